#include <gtest/gtest.h>

#include <map>

#include "../../fuzz/DiscIndexFuzzChecks.h"
#include "platform/Ini.h"
#include "support/CorpusCheck.h"
#include "verify/DiscSets.h"

using namespace discsets;

TEST(DiscSets, PlannerWithTinyDiscs) {
  struct Case {
    std::vector<uint64_t> sizes;
    uint64_t overhead;
    std::vector<uint32_t> discs;
  } cases[] = {
      {{40, 50}, 10, {1, 1}},            // an exact fit stays
      {{40, 51}, 10, {1, 2}},            // one byte more starts a disc
      {{200, 5, 95}, 10, {1, 2, 3}},     // a block larger than a disc goes alone, no empty disc
      {{30, 30, 30, 30}, 0, {1, 1, 1, 2}},
      {{}, 10, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlanDiscs(c.sizes, c.overhead, 100), c.discs);

  EXPECT_FALSE(EstimateSpace(500, 100, 100));  // the overhead alone fills a disc: refused
  EXPECT_FALSE(EstimateSpace(500, 150, 100));
  auto e = EstimateSpace(90, 10, 100);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Discs, 2u);  // 100 x 1 is not above 100
  EXPECT_EQ(e->Bytes, 110u);
  // Beyond 4 GiB: 5e9 bytes of blocks, 10 MB per disc, 650 MB discs.
  e = EstimateSpace(5000000000ull, 10000000, DiscLimit(1));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Discs, 8u);
  EXPECT_EQ(e->Bytes, 5080000000ull);
  // The closed form against counting disc by disc, edges included.
  for (uint64_t blocks : {0ull, 1ull, 89ull, 90ull, 91ull, 179ull, 180ull, 1000ull})
    for (uint64_t overhead : {0ull, 10ull, 99ull}) {
      uint64_t n = 1;
      while (100 * n <= blocks + n * overhead) ++n;
      e = EstimateSpace(blocks, overhead, 100);
      ASSERT_TRUE(e);
      EXPECT_EQ(e->Discs, n) << blocks << " " << overhead;
      EXPECT_EQ(e->Bytes, blocks + n * overhead);
    }
  // A huge collection with an overhead near the disc size answers at once.
  e = EstimateSpace(1ull << 40, DiscLimit(0) - 1, DiscLimit(0));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Discs, UINT32_MAX);
  EXPECT_GT(e->Bytes, 1ull << 40);
}

TEST(DiscSets, PrescanGroupsBlocksResourcesAndSamples) {
  std::map<std::string, uint64_t> sizes = {{"PACMAN", 10}, {"PUCKMAN", 3},  {"GALAGA", 7},
                                           {"GALAGAO", 2}, {"MSLUG", 20},   {"NEOGEO", 5},
                                           {"MSLUGX", 4},  {"S:PACMAN", 1}, {"S:GALAGA", 2}};
  std::vector<std::string> asked;
  Prescan p(
      [&](uint8_t kind, const std::string& n) {
        asked.push_back(n);
        return sizes[(kind == SAMPLE_SET ? "S:" : "") + n];
      },
      [](const std::string& n) { return n == "NEOGEO"; });
  auto game = [](const char* name, const char* romOf, const char* sampleOf, bool samples) {
    GameRecord g;
    g.Name = name;
    g.RomOf = romOf;
    g.SampleOf = sampleOf;
    if (samples) g.Samples = std::make_unique<StringList>(StringList{"a.wav"});
    return g;
  };
  p.AddGame(game("GALAGAO", "GALAGA", "GALAGA", true));  // a clone met before its master
  p.AddGame(game("PACMAN", "", "", true));
  p.AddGame(game("PUCKMAN", "PACMAN", "", false));
  p.AddGame(game("GALAGA", "", "", true));
  p.AddGame(game("MSLUG", "NEOGEO", "", false));       // a master using a resource
  p.AddGame(game("MSLUGX", "neogeo", "", false));      // resources compare with case
  ASSERT_EQ(p.Blocks.size(), 4u);
  EXPECT_EQ(p.Blocks[0].Name, "GALAGA");
  EXPECT_EQ(p.Blocks[0].Clones, StringList{"GALAGAO"});
  EXPECT_EQ(p.Blocks[0].Size, 9u);
  EXPECT_EQ(p.Blocks[1].Size, 13u);
  EXPECT_EQ(p.Blocks[3].Name, "neogeo");  // not a resource by that spelling: a game's block
  EXPECT_EQ(p.Blocks[3].Clones, StringList{"MSLUGX"});
  EXPECT_EQ(p.Resources, StringList{"NEOGEO"});
  EXPECT_EQ(p.ResourceBytes, 5u);
  EXPECT_EQ(p.SampleSets, (StringList{"GALAGA", "PACMAN"}));
  EXPECT_EQ(p.SampleBytes, 3u);
  EXPECT_EQ(p.Overhead(), 8u);
  EXPECT_EQ(p.BlockBytes(), 9u + 13u + 20u + 4u);
  EXPECT_NE(p.FindBlock("pacman"), nullptr);
}

TEST(DiscSets, IndexTextInBothModes) {
  IndexContent c;
  c.CreatedOn = "12/9/26 01:02:03";
  c.Serial = 0xABCD;
  c.RomIndex = {{"PACMAN", 1}, {"PUCKMAN", 1}, {"GALAGA", 2}};
  EXPECT_EQ(BuildDiscIndex(c, 2, {"NEOGEO"}, {"PACMAN"}),
            "[MAMECD]\r\nDisc=2\r\nRoms=ROMS\r\nSamples=SAMPLES\r\nCreatedWith=Velmora\r\n"
            "FileVersion=2\r\nCreatedOn=12/9/26 01:02:03\r\nSerial=0000ABCD\r\n\r\n"
            "[ROMS]\r\nPACMAN=1\r\nPUCKMAN=1\r\nGALAGA=2\r\nNEOGEO=2\r\n\r\n"
            "[SAMPLES]\r\nPACMAN=2\r\n\r\n");
  // Names the index could not read back are left out; the sets after them stay.
  c.RomIndex = {{"[ROMS]", 1}, {"A=B", 1}, {";X", 1}, {"B ", 1}, {"C\rD", 1}, {"PAC[MAN]", 2}};
  plat::IniFile ini;
  ini.LoadFromText(BuildDiscIndex(c, 2, {"=N"}, {"S", "[S]"}));
  EXPECT_EQ(ini.ReadSectionValues("ROMS"), std::vector<std::string>{"PAC[MAN]=2"});
  EXPECT_EQ(ini.ReadSectionValues("SAMPLES"), std::vector<std::string>{"S=2"});
  EXPECT_EQ(ini.ReadInteger("MAMECD", "Disc", 0), 2);
  CheckSeedsAndRegressions("discindex", "verify", fuzzchecks::CheckDiscIndex);
  c.Advanced = false;
  c.RomIndex.clear();
  EXPECT_EQ(BuildDiscIndex(c, 1, {}, {}),
            "[MAMECD]\r\nDisc=1\r\nRoms=ROMS\r\nSamples=SAMPLES\r\n\r\n");
}

TEST(DiscSets, DiscInformationLines) {
  const std::string index =
      "[MameCd]\r\nDisc=2\r\nRoms=ROMS\r\nSamples=SAMPLES\r\nFileVersion=2\r\nSerial=00c0ffee\r\n"
      "[Roms]\r\nA=1\r\nB=9\r\nC=10\r\nD=99\r\nE=100\r\nF=x\r\nG=9\r\nH=300\r\n"
      "[Samples]\r\nS=2\r\n";
  DiscInformation info = ReadDiscInformation(index, "/media/cd");
  ASSERT_EQ(info.Result, DiscInformation::Ok);
  const auto& l = info.Lines;
  ASSERT_EQ(l.size(), 10u + 256u + 1u);
  EXPECT_EQ(l[0], "Disc number: ...................................... 2");
  EXPECT_EQ(l[1], "Total number of discs in this collection: ......... 300");
  EXPECT_EQ(l[2], "Index file format: ................................ MAMECD advanced mode");
  EXPECT_EQ(l[3], "Collection serial number: ......................... $00C0FFEE");
  EXPECT_EQ(l[4], "Collection created with: .......................... <unknown>");
  EXPECT_EQ(l[6], "Roms path: ........................................ /media/cd/ROMS");
  EXPECT_EQ(l[8], "Total number of rom archives: ..................... 8");
  EXPECT_EQ(l[9], "Total number of sample archives: .................. 1");
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(l[i].substr(50, 2), ". ") << l[i];  // 52-wide labels
  // Every count at column 53, whatever the disc number's width.
  for (int d : {1, 9, 10, 99, 100}) {
    const std::string& line = l[9 + d];
    EXPECT_EQ(line.rfind("Roms contained in disc " + std::to_string(d) + ": ", 0), 0u);
    EXPECT_EQ(line.size(), 53u) << line;
  }
  EXPECT_EQ(l[9 + 9].back(), '2');
  EXPECT_EQ(l[9 + 2].back(), '0');
  EXPECT_EQ(l.back(), "Roms contained in disc 300: ....................... 1");

  info = ReadDiscInformation("[MAMECD]\r\nRoms=ROMS\r\n", "D:");
  ASSERT_EQ(info.Lines.size(), 7u);  // base mode: no serial lines; no discs
  EXPECT_EQ(info.Lines[1], "Total number of discs in this collection: ......... 0");
  EXPECT_EQ(info.Lines[2], "Index file format: ................................ MAMECD base mode");
  EXPECT_EQ(ReadDiscInformation("[MAMECD]\r\nFileVersion=0\r\n", "D:").Lines[2],
            "Index file format: ................................ <unknown>");
  EXPECT_EQ(ReadDiscInformation("[MAMECD]\r\nFileVersion=3\r\n", "D:").Result,
            DiscInformation::NewerFormat);
}

TEST(DiscSets, GroupedDigits) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {79603879936ull, "79,603,879,936"},
      {UINT64_MAX, "18,446,744,073,709,551,615"}};
  for (const auto& [n, text] : cases) EXPECT_EQ(GroupedDigits(n), text);
}
