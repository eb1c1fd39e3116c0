#include "verify/DiscSets.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "database/TextStream.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace discsets {

const char* const kDiscTypes[2] = {"MAMECD base mode", "MAMECD advanced mode"};

// --- prescan ---

Block& Prescan::AddBlock(const std::string& name, uint64_t size) {
  blockIndex_.emplace(plat::UpperCase(name), Blocks.size());
  Blocks.push_back(Block{name, {}, size});
  blockBytes_ += size;
  return Blocks.back();
}

const Block* Prescan::FindBlock(std::string_view name) const {
  auto it = blockIndex_.find(plat::UpperCase(name));
  return it == blockIndex_.end() ? nullptr : &Blocks[it->second];
}

void Prescan::AddGame(const GameRecord& g) {
  const std::string name = g.Name.str();
  const std::string romOf = g.RomOf.str();
  if (romOf.empty() || isResource_(romOf)) {
    if (!FindBlock(name)) AddBlock(name, size_(ROM_SET, name));
    if (!romOf.empty() && resources_.insert(romOf).second) {
      Resources.push_back(romOf);
      ResourceBytes += size_(ROM_SET, romOf);
    }
  } else if (const Block* found = FindBlock(romOf)) {
    Block& b = Blocks[static_cast<size_t>(found - Blocks.data())];
    const uint64_t size = size_(ROM_SET, name);
    b.Clones.push_back(name);
    b.Size += size;
    blockBytes_ += size;
  } else {
    const uint64_t master = size_(ROM_SET, romOf);
    AddBlock(romOf, master + size_(ROM_SET, name)).Clones.push_back(name);
  }
  if (g.Samples && !g.Samples->empty()) {
    const std::string set = g.SampleOf.empty() ? name : g.SampleOf.str();
    if (samples_.insert(set).second) {
      SampleSets.push_back(set);
      SampleBytes += size_(SAMPLE_SET, set);
    }
  }
}

// --- space and discs ---

std::optional<Estimate> EstimateSpace(uint64_t blockBytes, uint64_t overhead, uint64_t limit) {
  if (limit == 0 || overhead >= limit) return std::nullopt;
  // n x limit > blockBytes + n x overhead, i.e. n x (limit - overhead) > blockBytes.
  // Figures beyond the counters saturate: no disk holds them anyway.
  const uint64_t discs = blockBytes / (limit - overhead) + 1;
  const unsigned __int128 bytes = static_cast<unsigned __int128>(discs) * overhead + blockBytes;
  Estimate e;
  e.Discs = discs > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(discs);
  e.Bytes = bytes > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(bytes);
  return e;
}

std::vector<uint32_t> PlanDiscs(const std::vector<uint64_t>& sizes, uint64_t overhead,
                                uint64_t limit) {
  std::vector<uint32_t> discs;
  discs.reserve(sizes.size());
  uint32_t disc = 1;
  uint64_t used = overhead;
  bool empty = true;  // a disc without a block yet takes the next one, however large
  for (uint64_t size : sizes) {
    if (!empty && limit < used + size) {
      ++disc;
      used = overhead;
    }
    used += size;
    empty = false;
    discs.push_back(disc);
  }
  return discs;
}

// --- the index file ---

namespace {

class IndexWriter {
 public:
  void Section(const char* name) {
    Close();
    text_ += "[";
    text_ += name;
    text_ += "]\r\n";
    open_ = true;
    keys_.clear();
    lines_.clear();
  }
  void Key(const std::string& key, const std::string& value) {
    auto [it, added] = keys_.emplace(plat::UpperCase(key), lines_.size());
    if (added)
      lines_.push_back(key + "=" + value);
    else
      lines_[it->second] = lines_[it->second].substr(0, key.size()) + "=" + value;
  }
  std::string Finish() {
    Close();
    return std::move(text_);
  }

 private:
  void Close() {
    if (!open_) return;
    for (const std::string& l : lines_) text_ += l + "\r\n";
    text_ += "\r\n";
    open_ = false;
  }
  std::string text_;
  bool open_ = false;
  std::unordered_map<std::string, size_t> keys_;
  std::vector<std::string> lines_;
};

std::string Hex8(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

}  // namespace

bool IsIndexName(std::string_view name) {
  if (name.empty() || name[0] == '[' || name[0] == ';' || name.front() == ' ' ||
      name.back() == ' ')
    return false;
  for (char ch : name)
    if (ch == '=' || static_cast<unsigned char>(ch) < ' ') return false;
  return true;
}

std::string BuildDiscIndex(const IndexContent& c, uint32_t disc,
                           const std::vector<std::string>& resources,
                           const std::vector<std::string>& sampleSets) {
  IndexWriter w;
  const std::string self = std::to_string(disc);
  w.Section("MAMECD");
  w.Key("Disc", self);
  w.Key("Roms", "ROMS");
  w.Key("Samples", "SAMPLES");
  if (c.Advanced) {
    w.Key("CreatedWith", "Velmora");
    w.Key("FileVersion", "2");
    w.Key("CreatedOn", c.CreatedOn);
    w.Key("Serial", Hex8(c.Serial));
  }
  if (!c.RomIndex.empty() || !resources.empty()) {
    w.Section("ROMS");
    for (const auto& [name, d] : c.RomIndex)
      if (IsIndexName(name)) w.Key(name, std::to_string(d));
    for (const std::string& name : resources)
      if (IsIndexName(name)) w.Key(name, self);
  }
  if (!sampleSets.empty()) {
    w.Section("SAMPLES");
    for (const std::string& name : sampleSets)
      if (IsIndexName(name)) w.Key(name, self);
  }
  return w.Finish();
}

// --- disc information ---

namespace {

// The whole text as a decimal number (an optional sign); 0 when it is not one.
int64_t WholeNumber(std::string_view s) {
  const std::string t = plat::Trim(s);
  if (t.empty() || t.size() > 18) return 0;
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size()) return 0;
  int64_t v = 0;
  for (size_t k = i; k < t.size(); ++k) {
    if (t[k] < '0' || t[k] > '9') return 0;
    v = v * 10 + (t[k] - '0');
  }
  return t[0] == '-' ? -v : v;
}

std::string ValueOf(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

// Disc lines listed one by one up to this disc; higher discs only when some set names them.
constexpr int64_t kListedDiscs = 256;

}  // namespace

DiscInformation ReadDiscInformation(std::string_view indexText, const std::string& drive) {
  DiscInformation info;
  plat::IniFile ini;
  ini.LoadFromText(indexText);
  const long disc = ini.ReadInteger("MAMECD", "Disc", 1);
  const long version = ini.ReadInteger("MAMECD", "FileVersion", 1);
  const uint32_t serial = HexNum::HexToInt(ini.ReadString("MAMECD", "Serial", "00000000"));
  const std::string roms = ini.ReadString("MAMECD", "Roms", "");
  const std::string samples = ini.ReadString("MAMECD", "Samples", "");
  const std::string createdWith = ini.ReadString("MAMECD", "CreatedWith", "<unknown>");
  const std::string createdOn = ini.ReadString("MAMECD", "CreatedOn", "<unknown>");
  const std::vector<std::string> romLines = ini.ReadSectionValues("Roms");
  const std::vector<std::string> sampleLines = ini.ReadSectionValues("Samples");
  if (version > 2) {
    info.Result = DiscInformation::NewerFormat;
    return info;
  }
  std::map<int64_t, uint32_t> perDisc;
  int64_t discs = 0;
  for (const std::string& line : romLines) {
    const int64_t d = WholeNumber(ValueOf(line));
    if (d > discs) discs = d;
    if (d >= 1) ++perDisc[d];
  }
  const std::string root = plat::WithSlash(drive);
  auto& out = info.Lines;
  out.push_back("Disc number: ...................................... " + std::to_string(disc));
  out.push_back("Total number of discs in this collection: ......... " + std::to_string(discs));
  out.push_back("Index file format: ................................ " +
                std::string(version >= 1 && version <= 2 ? kDiscTypes[version - 1] : "<unknown>"));
  if (version > 1) {
    out.push_back("Collection serial number: ......................... $" + Hex8(serial));
    out.push_back("Collection created with: .......................... " + createdWith);
    out.push_back("Collection created on: ............................ " + createdOn);
  }
  out.push_back("Roms path: ........................................ " + root +
                plat::ToNativeSeparators(roms));
  out.push_back("Samples path: ..................................... " + root +
                plat::ToNativeSeparators(samples));
  out.push_back("Total number of rom archives: ..................... " +
                std::to_string(romLines.size()));
  out.push_back("Total number of sample archives: .................. " +
                std::to_string(sampleLines.size()));
  auto discLine = [&](int64_t d) {
    std::string l = "Roms contained in disc " + std::to_string(d) + ": ";
    if (d < 100) l += ".";
    if (d < 10) l += ".";
    auto it = perDisc.find(d);
    out.push_back(l + "....................... " + std::to_string(it == perDisc.end() ? 0 : it->second));
  };
  for (int64_t d = 1; d <= discs && d <= kListedDiscs; ++d) discLine(d);
  for (auto it = perDisc.upper_bound(kListedDiscs); it != perDisc.end(); ++it) discLine(it->first);
  return info;
}

std::string GroupedDigits(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace discsets
