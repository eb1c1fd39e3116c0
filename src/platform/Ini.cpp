#include "platform/Ini.h"

#include <cstdlib>

#include "platform/Cp1252.h"
#include "platform/Files.h"

namespace plat {

namespace {

inline unsigned char Upper(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

uint32_t NoCaseHash(std::string_view s, uint32_t seed) {
  uint32_t h = 2166136261u ^ seed;
  for (char c : s) {
    h ^= Upper(c);
    h *= 16777619u;
  }
  // Final mix, so that near names spread over the whole table.
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

uint32_t SectionHash(std::string_view name) { return NoCaseHash(name, 0); }
uint32_t KeyHash(uint32_t section, std::string_view key) {
  return NoCaseHash(key, (section + 1) * 0x9E3779B1u);
}

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

}  // namespace

template <class Same>
uint32_t IniFile::Index::Find(uint32_t hash, Same same) const {
  if (slots_.empty()) return kNone;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.id == kNone) return kNone;
    if (s.id != kGone && s.hash == hash && same(s.id)) return s.id;
  }
}

void IniFile::Index::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  size_t live = 0;
  for (const Slot& s : old)
    if (s.id != kNone && s.id != kGone) ++live;
  size_t size = 16;
  while (size < (live + 1) * 4) size *= 2;
  slots_.assign(size, Slot{});
  filled_ = 0;
  for (const Slot& s : old)
    if (s.id != kNone && s.id != kGone) Insert(s.hash, s.id);
}

void IniFile::Index::Insert(uint32_t hash, uint32_t id) {
  if ((filled_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].id != kNone) i = (i + 1) & mask;
  slots_[i] = Slot{id, hash};
  ++filled_;
}

template <class Same>
uint32_t IniFile::Index::FindOrInsert(uint32_t hash, uint32_t id, Same same) {
  if ((filled_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.id == kNone) {
      s = Slot{id, hash};
      ++filled_;
      return kNone;
    }
    if (s.id != kGone && s.hash == hash && same(s.id)) return s.id;
  }
}

void IniFile::Index::Erase(uint32_t hash, uint32_t id) {
  if (slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].id != kNone; i = (i + 1) & mask)
    if (slots_[i].id == id) {
      slots_[i].id = kGone;
      return;
    }
}

void IniFile::Index::Clear() {
  slots_.clear();
  filled_ = 0;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::Load(std::string* error, uint64_t limit) {
  Clear();
  std::string data;
  auto real = ResolveNoCase(path_);
  if (!real) return true;  // a missing file reads as empty
  if (!ReadRegularFile(*real, data, limit, error)) return false;
  LoadFromText(data);
  return true;
}

uint32_t IniFile::FindSection(std::string_view s) const {
  // Writes come in runs on one section: the last one found is tried first.
  if (lastSection_ != kNone && SameText(sections_[lastSection_].name, s)) return lastSection_;
  uint32_t id = sectionIndex_.Find(SectionHash(s),
                                   [&](uint32_t i) { return SameText(sections_[i].name, s); });
  if (id != kNone) lastSection_ = id;
  return id;
}

uint32_t IniFile::FindEntry(uint32_t section, std::string_view key) const {
  const Section& sec = sections_[section];
  if (!sec.indexed) {
    // A few keys: a scan of lines that lie together is quicker than the table.
    for (uint32_t id : sec.body) {
      const Entry& e = entries_[id];
      if (!e.raw && !e.deleted && SameText(e.Key(), key)) return id;
    }
    return kNone;
  }
  return keyIndex_.Find(KeyHash(section, key),
                        [&](uint32_t id) { return SameText(entries_[id].Key(), key); });
}

uint32_t IniFile::AddSection(std::string_view name, std::string header, bool fromFile) {
  if (!fromFile && lastSection_ != kNone && SameText(sections_[lastSection_].name, name))
    return lastSection_;
  const uint32_t id = static_cast<uint32_t>(sections_.size());
  uint32_t there = sectionIndex_.FindOrInsert(
      SectionHash(name), id, [&](uint32_t i) { return SameText(sections_[i].name, name); });
  if (there != kNone) {
    if (!fromFile) return lastSection_ = there;
    duplicateSections_ = true;
  }
  sections_.push_back(Section{std::string(name), std::move(header), {}, {}, false, false});
  if (there == kNone) lastSection_ = id;
  return id;
}

namespace {
constexpr size_t kScannedKeys = 16;  // sections with more lines get their keys indexed
}

void IniFile::IndexKey(uint32_t section, uint32_t id) {
  const Entry& e = entries_[id];
  if (e.raw || e.deleted) return;
  // The first line of a key wins, as with the profile functions.
  std::string_view key = e.Key();
  keyIndex_.FindOrInsert(KeyHash(section, key), id,
                         [&](uint32_t i) { return SameText(entries_[i].Key(), key); });
}

void IniFile::AddEntry(uint32_t section, Entry e) {
  const uint32_t id = static_cast<uint32_t>(entries_.size());
  entries_.push_back(std::move(e));
  Section& sec = sections_[section];
  sec.body.push_back(id);
  if (sec.indexed) {
    IndexKey(section, id);
  } else if (sec.body.size() > kScannedKeys) {
    sec.indexed = true;
    for (uint32_t other : sec.body) IndexKey(section, other);
  }
}

void IniFile::LoadFromText(std::string_view text) {
  Clear();
  text = WithoutBom(text);
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  entries_.reserve(lines);
  uint32_t cur = kNone;
  ForEachLine(text, [&](std::string_view line, size_t) {
    size_t b = 0, e = line.size();
    while (b < e && static_cast<unsigned char>(line[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(line[e - 1]) <= ' ') --e;
    std::string_view t = line.substr(b, e - b);
    if (!t.empty() && t[0] == '[') {
      size_t close = t.find(']');
      cur = AddSection(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                         : close - 1)),
                       std::string(line), true);
      return;
    }
    if (cur == kNone) cur = AddSection("", "", true);
    size_t eq = t.find('=');
    Entry entry;
    entry.line = std::string(line);
    if (t.empty() || t[0] == ';' || eq == std::string_view::npos || eq == 0) {
      entry.raw = true;
      AddEntry(cur, std::move(entry));
      return;
    }
    // Key and value, blanks around them aside, as offsets into the line.
    size_t kb = b, ke = b + eq;
    while (ke > kb && static_cast<unsigned char>(line[ke - 1]) <= ' ') --ke;
    size_t vb = b + eq + 1, ve = e;
    while (vb < ve && static_cast<unsigned char>(line[vb]) <= ' ') ++vb;
    entry.keyAt = static_cast<uint32_t>(kb);
    entry.keyLen = static_cast<uint32_t>(ke - kb);
    entry.valueAt = static_cast<uint32_t>(vb);
    entry.valueLen = static_cast<uint32_t>(ve - vb);
    AddEntry(cur, std::move(entry));
  });
  for (Section& s : sections_) {
    size_t keep = s.body.size();
    while (keep > 0 && entries_[s.body[keep - 1]].raw && IsBlank(entries_[s.body[keep - 1]].line))
      --keep;
    s.tail.assign(s.body.begin() + static_cast<std::ptrdiff_t>(keep), s.body.end());
    s.body.resize(keep);
  }
  // Lines before any section with nothing in them are dropped.
  if (!sections_.empty() && sections_[0].name.empty() && sections_[0].header.empty()) {
    bool blank = true;
    for (uint32_t id : sections_[0].body)
      if (!entries_[id].raw || !IsBlank(entries_[id].line)) blank = false;
    if (blank) {
      sections_[0].deleted = true;
      lastSection_ = kNone;
      sectionIndex_.Erase(SectionHash(""), 0);
    }
  }
}

std::string IniFile::ToText() const {
  std::string out;
  bool first = true;
  auto line = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out.append(a).append(b).append(c).append("\r\n");
  };
  for (const Section& sec : sections_) {
    if (sec.deleted) continue;
    if (!sec.header.empty())
      line(sec.header);
    else if (!sec.name.empty() || !first)
      line("[", sec.name, "]");
    first = false;
    for (uint32_t id : sec.body)
      if (!entries_[id].deleted) line(entries_[id].line);
    for (uint32_t id : sec.tail) line(entries_[id].line);
  }
  return out;
}

bool IniFile::Save(std::string* error) const { return WriteFileAtomic(path_, ToText(), error); }

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  uint32_t s = FindSection(section);
  uint32_t id = s == kNone ? kNone : FindEntry(s, key);
  if (id == kNone) return std::string(def);
  std::string_view v = entries_[id].Value();
  // The profile functions strip one pair of surrounding quotes.
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

long IniFile::ReadInteger(std::string_view section, std::string_view key, long def) const {
  std::string v = ReadString(section, key, "");
  if (v.empty()) return def;
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    char* end = nullptr;
    long r = std::strtol(v.c_str() + 2, &end, 16);
    return end == v.c_str() + 2 ? def : r;
  }
  char* end = nullptr;
  long r = std::strtol(v.c_str(), &end, 10);
  if (end == v.c_str()) return def;
  return r;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
  std::string v = ReadString(section, key, "");
  if (v.empty()) return def;
  for (char& c : v)
    if (c == ',') c = '.';
  char* end = nullptr;
  double r = std::strtod(v.c_str(), &end);
  return end == v.c_str() ? def : r;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const uint32_t s = AddSection(section, "", false);
  uint32_t id = FindEntry(s, key);
  if (id != kNone) {
    Entry& e = entries_[id];
    if (e.Value() == value) return;  // unchanged: the line keeps its text
    std::string line;
    line.reserve(e.keyLen + 1 + value.size());
    line.append(e.Key()).append("=").append(value);
    e.line = std::move(line);
    e.keyAt = 0;
    e.valueAt = e.keyLen + 1;
    e.valueLen = static_cast<uint32_t>(value.size());
    return;
  }
  Entry e;
  e.line.reserve(key.size() + 1 + value.size());
  e.line.append(key).append("=").append(value);
  e.keyLen = static_cast<uint32_t>(key.size());
  e.valueAt = e.keyLen + 1;
  e.valueLen = static_cast<uint32_t>(value.size());
  AddEntry(s, std::move(e));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != kNone;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  uint32_t s = FindSection(section);
  return s != kNone && FindEntry(s, key) != kNone;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> r;
  for (const Section& s : sections_)
    if (!s.deleted && !s.name.empty()) r.push_back(s.name);
  return r;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> r;
  uint32_t s = FindSection(section);
  if (s != kNone)
    for (uint32_t id : sections_[s].body)
      if (!entries_[id].raw && !entries_[id].deleted) r.emplace_back(entries_[id].Key());
  return r;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> r;
  uint32_t s = FindSection(section);
  if (s != kNone)
    for (uint32_t id : sections_[s].body) {
      const Entry& e = entries_[id];
      if (!e.raw && !e.deleted) r.push_back(std::string(e.Key()) + "=" + std::string(e.Value()));
    }
  return r;
}

void IniFile::EraseSection(std::string_view section) {
  uint32_t s = FindSection(section);
  if (s == kNone) return;
  Section& sec = sections_[s];
  sec.deleted = true;
  lastSection_ = kNone;
  sectionIndex_.Erase(SectionHash(sec.name), s);
  if (sec.indexed)
    for (uint32_t id : sec.body)
      if (!entries_[id].raw) keyIndex_.Erase(KeyHash(s, entries_[id].Key()), id);
  if (!duplicateSections_) return;
  // A later section of the same name comes to light, as with the profile functions.
  for (uint32_t n = s + 1; n < sections_.size(); ++n)
    if (!sections_[n].deleted && SameText(sections_[n].name, section)) {
      sectionIndex_.Insert(SectionHash(sections_[n].name), n);
      return;
    }
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  uint32_t s = FindSection(section);
  uint32_t id = s == kNone ? kNone : FindEntry(s, key);
  if (id == kNone) return;
  entries_[id].deleted = true;
  if (!sections_[s].indexed) return;
  keyIndex_.Erase(KeyHash(s, key), id);
  for (uint32_t other : sections_[s].body) {
    const Entry& e = entries_[other];
    if (!e.raw && !e.deleted && SameText(e.Key(), key)) {
      keyIndex_.Insert(KeyHash(s, key), other);
      return;
    }
  }
}

void IniFile::Clear() {
  sections_.clear();
  entries_.clear();
  sectionIndex_.Clear();
  keyIndex_.Clear();
  duplicateSections_ = false;
  lastSection_ = kNone;
}

}  // namespace plat
