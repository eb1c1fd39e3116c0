#include "launch/RomTest.h"

#include <unistd.h>

#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "database/Working.h"
#include "platform/Files.h"
#include "platform/FlatOutput.h"
#include "platform/SafeName.h"
#include "platform/SystemInfo.h"
#include "verify/CRC32.h"
#include "verify/DirListing.h"

namespace launch {

namespace {

uint64_t g_testMemory = 0;

std::string Name12(const std::string& name) {
  std::string s = name;
  if (s.size() < 12) s.append(12 - s.size(), ' ');
  return s;
}

std::string Hex8(uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}

// The unpacked folder, listed once: lookups by name (exact spelling first, else any case) and
// by size and checksum for misspelled files, each size checksummed once.
class Folder {
 public:
  explicit Folder(const std::string& dir) : dir_(dir), out_(dir) {
    verify::ListEntries(dir, entries_, true);
    for (size_t i = 0; i < entries_.size(); ++i) Index(i);
  }
  // The regular file of that name, "" when none.
  std::string Present(const std::string& name) const {
    auto it = exact_.find(name);
    if (it == exact_.end()) {
      it = upper_.find(plat::UpperCase(name));
      if (it == upper_.end()) return {};
    }
    const verify::DirEntry& e = entries_[it->second];
    return e.regular ? dir_ + e.name : std::string();
  }
  std::string Matching(uint32_t size, uint32_t crc) {
    if (summed_.insert(size).second)
      for (const verify::DirEntry& e : entries_) {
        uint32_t c = 0;
        if (e.regular && e.size == static_cast<int64_t>(size) && FileCRC32(dir_ + e.name, c))
          bySum_.emplace((uint64_t(size) << 32) | c, dir_ + e.name);
      }
    auto it = bySum_.find((uint64_t(size) << 32) | crc);
    return it == bySum_.end() ? std::string() : it->second;
  }
  // Makes a file of that name here (nothing written through a link); false when it fails.
  bool Write(const std::string& name, const std::string& bytes) {
    const int fd = out_.Create(name);
    if (fd < 0) return false;
    const bool ok = plat::WriteAll(fd, bytes.data(), bytes.size());
    if (close(fd) != 0 || !ok) return false;
    Added(name, static_cast<uint32_t>(bytes.size()));
    return true;
  }

 private:
  void Added(const std::string& name, uint32_t size) {
    verify::DirEntry e;
    e.name = name;
    e.regular = true;
    e.size = size;
    entries_.push_back(std::move(e));
    Index(entries_.size() - 1);
  }

  void Index(size_t i) {
    exact_.emplace(entries_[i].name, i);
    upper_.emplace(plat::UpperCase(entries_[i].name), i);
  }
  std::string dir_;
  plat::FlatOutputFolder out_;
  std::vector<verify::DirEntry> entries_;
  std::unordered_map<std::string, size_t> exact_, upper_;
  std::unordered_set<uint32_t> summed_;
  std::unordered_map<uint64_t, std::string> bySum_;
};

}  // namespace

uint64_t PhysicalMemory() {
  if (g_testMemory) return g_testMemory;
  return plat::ParseMemInfo(plat::RealSystem().ReadText("/proc/meminfo")).totalPhys;
}

void SetPhysicalMemoryForTests(uint64_t bytes) { g_testMemory = bytes; }

RomTestResult TestSet(const GameRecord& game, const std::string& folder,
                      const RomTestOptions& o) {
  RomTestResult r;
  auto say = [&](const char* text) { if (o.operation) o.operation(text); };
  auto fail = [&](const std::string& line) {
    r.romsOk = false;
    r.romLines.push_back(line);
  };
  if (!game.Roms) {
    fail("Database error: rom list not found!! Please warn the author about this bug.");
  } else if (!game.Roms->empty()) {
    Folder dir(folder);
    uint64_t needed = 0;
    const auto count = static_cast<int32_t>(game.Roms->size());
    for (int32_t i = 0; i < count; ++i) {
      const RomRecord* rom = (*game.Roms)[i].get();
      if (o.progress) o.progress(TWorkingFRM::Percentage(i, count - 1));
      if (!rom) continue;
      needed += rom->Size;
      const std::string name = rom->Name.str();
      // Files made here take the emulator's usual lower-case spelling (the database keeps
      // names upper-cased); a name that would leave the folder is never used.
      const std::string made = plat::LowerCase(name);
      if (!plat::IsPlainName(made)) {
        fail(Name12(name) + " has a name that cannot be a file name");
        continue;
      }
      std::string file = dir.Present(name);
      if (!file.empty()) {
        if (o.checkCrc && rom->Crc && rom->Size) {
          int64_t size = plat::FileSize(file);
          uint32_t crc = 0;
          if (size != rom->Size) {
            fail(Name12(name) + " has wrong size (" + std::to_string(size) + " instead of " +
                 std::to_string(rom->Size) + ")");
          } else if (!FileCRC32(file, crc)) {
            fail(Name12(name) + " could not be read");
          } else if (crc != rom->Crc && crc != ~rom->Crc) {
            fail(Name12(name) + " has wrong CRC ($" + Hex8(crc) + " instead of $" +
                 Hex8(rom->Crc) + ")");
          }
        }
        continue;
      }
      if (rom->Crc == 0) continue;  // no known dump: not required
      say("Searching miss-spelled file...");
      // The scratch folder is thrown away after the run: copies need no flush to disk.
      std::string copy;
      if (const std::string source = dir.Matching(rom->Size, rom->Crc);
          !source.empty() && plat::ReadWholeFile(source, copy) && copy.size() == rom->Size &&
          dir.Write(made, copy))
        file = made;
      say("Testing rom set...");
      if (!file.empty()) continue;
      if (o.createFakeFiles) {
        say("Creating fake file...");
        std::string bytes(rom->Size, '\0');
        for (char& c : bytes) c = static_cast<char>(o.randomByte ? o.randomByte() : 0);
        if (!dir.Write(made, bytes))
          fail(Name12(name) + " could not be created due to a disk write error");
        say("Testing rom set...");
      } else {
        fail(Name12(name) + " rom file is missing");
      }
    }
    const uint64_t total = o.physicalMemory;
    if (total && total < needed)  // unknown (0): not tested
      fail("Not enough physical memory for MAME to load roms (Total=" +
           std::to_string(total >> 20) + " MB; Needed=" + std::to_string(needed >> 20) + " MB)");
  }
  if (o.checkSamples) {
    if (!game.Samples) {
      r.samplesOk = false;
      r.sampleLines.push_back(
          "Database error: sample list not found!! Please warn the author about this bug.");
    } else {
      Folder dir(folder);
      for (const std::string& s : *game.Samples) {
        const bool plain = plat::IsPlainName(s);
        if (plain && !dir.Present(s).empty()) continue;
        r.samplesOk = false;
        r.sampleLines.push_back(Name12(s) + (plain ? " sample file is missing"
                                                   : " has a name that cannot be a file name"));
      }
    }
  }
  return r;
}

}  // namespace launch
