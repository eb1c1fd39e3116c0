#include "launch/RomTest.h"

#include <unistd.h>

#include <algorithm>
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
  // Copies `source` in under that name; false, with nothing left, when it fails.
  bool Copy(const std::string& source, const std::string& name, uint32_t size) {
    if (!out_.CopyIn(source, name)) return false;
    Added(name, size);
    return true;
  }
  // Makes a file of `size` random bytes under that name, a piece at a time (nothing written
  // through a link); false, with nothing left, when it fails.
  bool WriteRandom(const std::string& name, uint32_t size, const std::function<uint8_t()>& random) {
    const int fd = out_.Create(name);
    if (fd < 0) return false;
    std::string piece;
    bool ok = true;
    for (uint32_t left = size; ok && left > 0;) {
      piece.resize(std::min<uint32_t>(left, 1 << 16));
      for (char& c : piece) c = static_cast<char>(random ? random() : 0);
      ok = plat::WriteAll(fd, piece.data(), piece.size());
      left -= static_cast<uint32_t>(piece.size());
    }
    if (close(fd) != 0) ok = false;
    if (!ok) {
      out_.Remove(name);
      return false;
    }
    Added(name, size);
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
    for (const auto& rom : *game.Roms)
      if (rom) needed += rom->Size;
    // Known first: a run that cannot load its roms gets no files made for it.
    const uint64_t total = o.physicalMemory;
    const bool shortOfMemory = total && total < needed;  // unknown (0): not tested
    const auto count = static_cast<int32_t>(game.Roms->size());
    for (int32_t i = 0; i < count; ++i) {
      const RomRecord* rom = (*game.Roms)[i].get();
      if (o.progress) o.progress(TWorkingFRM::Percentage(i, count - 1));
      if (!rom) continue;
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
      say("Searching misspelled file...");
      // The scratch folder is thrown away after the run: copies need no flush to disk.
      const std::string source = dir.Matching(rom->Size, rom->Crc);
      const bool found = !source.empty() && (shortOfMemory || dir.Copy(source, made, rom->Size));
      say("Testing rom set...");
      if (found) continue;
      if (o.createFakeFiles) {
        if (shortOfMemory) continue;  // the run is refused: no file is made for it
        say("Creating fake file...");
        if (!dir.WriteRandom(made, rom->Size, o.randomByte))
          fail(Name12(name) + " could not be created due to a disk write error");
        say("Testing rom set...");
      } else {
        fail(Name12(name) + " rom file is missing");
      }
    }
    if (shortOfMemory)
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
