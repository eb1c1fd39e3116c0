// The pre-launch test of an unpacked set, without a window.
#include <gtest/gtest.h>

#include <zlib.h>

#include "launch/RomTest.h"
#include "platform/Files.h"
#include "support/TempDir.h"

namespace {

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), s.size()));
}

void AddRom(GameRecord& g, const char* name, uint32_t size, uint32_t crc) {
  auto r = std::make_unique<RomRecord>();
  r->Name = name;
  r->Size = size;
  r->Crc = crc;
  g.Roms->push_back(std::move(r));
}

struct Case {
  const char* what;
  const char* file;     // what the folder holds as the rom: "good", "complement", "short",
                        // "wrongcrc", "folder", "none"
  uint32_t crc;         // 0: the good bytes' CRC; 1: no known dump (CRC 0)
  bool checkCrc, fake;
  const char* line;     // expected line, "" for none
};

TEST(RomTest, EachRomCase) {
  const std::string good(100, 'g');
  const Case cases[] = {
      {"present, not checked", "short", 0, false, false, ""},
      {"right size and CRC", "good", 0, true, false, ""},
      {"complement of the CRC passes", "complement", 0, true, false, ""},
      {"wrong size", "short", 0, true, false, "a.rom        has wrong size (5 instead of 100)"},
      {"wrong CRC", "wrongcrc", 0, true, false, "a.rom        has wrong CRC ($"},
      {"a folder is not a rom", "folder", 0, true, false, "a.rom        rom file is missing"},
      {"missing", "none", 0, false, false, "a.rom        rom file is missing"},
      {"missing, no known dump", "none", 1, false, false, ""},
      {"missing, faked", "none", 0, false, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir t;
    std::string f = c.file;
    if (f == "good") t.write("A.ROM", good);  // any case
    if (f == "short") t.write("a.rom", "short");
    if (f == "wrongcrc") t.write("a.rom", std::string(100, 'x'));
    if (f == "folder") plat::MakeDirs(t.file("a.rom"));
    uint32_t crc = c.crc == 1 ? 0 : Crc(good);
    if (f == "complement") {
      // Bytes whose CRC is the complement of the expected one.
      std::string other(100, 'c');
      t.write("a.rom", other);
      crc = ~Crc(other);
    }
    GameRecord g;
    g.Roms = std::make_unique<RomList>();
    g.Samples = std::make_unique<StringList>();
    AddRom(g, "a.rom", 100, crc);
    launch::RomTestOptions o;
    o.checkCrc = c.checkCrc;
    o.createFakeFiles = c.fake;
    o.physicalMemory = uint64_t(16) << 30;
    o.randomByte = [] { return uint8_t(7); };
    launch::RomTestResult r = launch::TestSet(g, t.path(), o);
    std::string line = c.line;
    EXPECT_EQ(r.romsOk, line.empty());
    if (line.empty()) {
      EXPECT_TRUE(r.romLines.empty());
    } else {
      ASSERT_EQ(r.romLines.size(), 1u);
      EXPECT_EQ(r.romLines[0].substr(0, line.size()), line);
    }
    if (c.fake) {
      EXPECT_EQ(t.read("a.rom"), std::string(100, '\7'));
    }
  }
}

TEST(RomTest, MemorySamplesAndDatabaseErrors) {
  TempDir t;
  t.write("big.rom", "");
  t.write("shot.wav", "RIFF");
  GameRecord g;
  g.Roms = std::make_unique<RomList>();
  g.Samples = std::make_unique<StringList>(StringList{"shot.wav", "boom.wav"});
  AddRom(g, "big.rom", 80u << 20, 0x1234);
  launch::RomTestOptions o;
  o.physicalMemory = uint64_t(64) << 20;
  launch::RomTestResult r = launch::TestSet(g, t.path(), o);
  EXPECT_FALSE(r.romsOk);
  EXPECT_EQ(r.romLines, std::vector<std::string>{
                            "Not enough physical memory for MAME to load roms (Total=64 MB; "
                            "Needed=80 MB)"});
  EXPECT_FALSE(r.samplesOk);
  EXPECT_EQ(r.sampleLines, std::vector<std::string>{"boom.wav     sample file is missing"});
  // Memory is tested first: no fake file is made for a run it refuses.
  AddRom(g, "fake.rom", 8u << 20, 0x5678);
  o.createFakeFiles = true;
  r = launch::TestSet(g, t.path(), o);
  EXPECT_EQ(r.romLines, std::vector<std::string>{
                            "Not enough physical memory for MAME to load roms (Total=64 MB; "
                            "Needed=88 MB)"});
  EXPECT_FALSE(plat::FileExists(t.file("fake.rom")));
  // Memory compared in 64 bits: 16 GiB is plenty.
  o.physicalMemory = uint64_t(16) << 30;
  o.checkSamples = false;
  r = launch::TestSet(g, t.path(), o);
  EXPECT_TRUE(r.romsOk && r.samplesOk);
  EXPECT_EQ(plat::FileSize(t.file("fake.rom")), 8 << 20);

  g.Roms.reset();
  g.Samples.reset();
  o.checkSamples = true;
  r = launch::TestSet(g, t.path(), o);
  EXPECT_EQ(r.romLines, std::vector<std::string>{"Database error: rom list not found!! Please "
                                                 "warn the author about this bug."});
  EXPECT_EQ(r.sampleLines, std::vector<std::string>{"Database error: sample list not found!! "
                                                    "Please warn the author about this bug."});
}

TEST(RomTest, NamesThatWouldLeaveTheFolderAreReportedAndNothingIsWritten) {
  TempDir t;
  const std::string data(10, 'd');
  t.write("set/renamed", data);
  GameRecord g;
  g.Roms = std::make_unique<RomList>();
  g.Samples = std::make_unique<StringList>(StringList{"../x.wav"});
  AddRom(g, "../MAME.CFG", 10, Crc(data));  // its bytes are in the folder: a copy would follow
  AddRom(g, "../FAKE", 4, 0x1234);          // missing: a fake file would follow
  for (int i = 0; i < 3; ++i) AddRom(g, ("R" + std::to_string(i)).c_str(), 10, Crc(data));
  launch::RomTestOptions o;
  o.createFakeFiles = true;
  launch::RomTestResult r = launch::TestSet(g, t.file("set/"), o);
  EXPECT_EQ(r.romLines, (std::vector<std::string>{"../MAME.CFG  has a name that cannot be a file name",
                                                  "../FAKE      has a name that cannot be a file name"}));
  EXPECT_EQ(r.sampleLines, std::vector<std::string>{"../x.wav     has a name that cannot be a file name"});
  EXPECT_EQ(plat::ListDir(t.path()), std::vector<std::string>{"set"});
  // The misspelled file stands in for each rom of its size and checksum.
  for (const char* made : {"r0", "r1", "r2"}) EXPECT_EQ(t.read(std::string("set/") + made), data);
}

}  // namespace
