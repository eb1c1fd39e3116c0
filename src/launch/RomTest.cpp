#include "launch/RomTest.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "database/Working.h"
#include "platform/Files.h"
#include "verify/CRC32.h"

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

bool IsRegular(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file of that name in the folder (any case), when it is a regular file.
std::string Present(const std::string& folder, const std::string& name) {
  auto hit = plat::FindNoCase(folder, name);
  return hit && IsRegular(*hit) ? *hit : std::string();
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::string data;
  return plat::ReadWholeFile(from, data) && plat::WriteFileAtomic(to, data) &&
         plat::FileSize(to) == static_cast<int64_t>(data.size());
}

}  // namespace

uint64_t PhysicalMemory() {
  if (g_testMemory) return g_testMemory;
  std::ifstream in("/proc/meminfo");
  std::string key;
  uint64_t kb = 0;
  while (in >> key >> kb) {
    if (key == "MemTotal:") return kb * 1024;
    in.ignore(1 << 12, '\n');
  }
  return 0;
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
    uint64_t needed = 0;
    const auto count = static_cast<int32_t>(game.Roms->size());
    for (int32_t i = 0; i < count; ++i) {
      const RomRecord* rom = (*game.Roms)[i].get();
      if (o.progress) o.progress(TWorkingFRM::Percentage(i, count - 1));
      if (!rom) continue;
      needed += rom->Size;
      const std::string name = rom->Name.str();
      // Files made here take the emulator's usual lower-case spelling (the database keeps
      // names upper-cased).
      const std::string made = folder + plat::LowerCase(name);
      std::string file = Present(folder, name);
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
      for (const std::string& entry : plat::ListDir(folder)) {
        std::string path = folder + entry;
        uint32_t crc = 0;
        if (!IsRegular(path) || plat::FileSize(path) != rom->Size) continue;
        if (FileCRC32(path, crc) && crc == rom->Crc) {
          if (CopyFile(path, made)) file = made;
          break;
        }
      }
      say("Testing rom set...");
      if (!file.empty()) continue;
      if (o.createFakeFiles) {
        say("Creating fake file...");
        std::string bytes(rom->Size, '\0');
        for (char& c : bytes) c = static_cast<char>(o.randomByte ? o.randomByte() : 0);
        if (!plat::WriteFileAtomic(made, bytes))
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
      for (const std::string& s : *game.Samples) {
        if (!Present(folder, s).empty()) continue;
        r.samplesOk = false;
        r.sampleLines.push_back(Name12(s) + " sample file is missing");
      }
    }
  }
  return r;
}

}  // namespace launch
