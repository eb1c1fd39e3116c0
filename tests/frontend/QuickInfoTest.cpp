#include <gtest/gtest.h>

#include "frontend/QuickInfo.h"
#include "support/Records.h"

TEST(QuickInfo, FullTextOfARasterCloneIsByteForByte) {
  auto parent = Game("PACMAN", "Pac-Man (Midway)");
  auto g = Game("PUCKMAN", "PuckMan (Japan set 1)");
  g->CloneOf = "PACMAN";
  g->Year = 1980;
  g->Manufacturer = "Namco";
  g->Screen = 1;
  g->Orientation = 1;
  g->Width = 224;
  g->Height = 288;
  g->Colors = 16;
  g->Freq = "60.61";
  g->Channels = 1;
  g->Players = 2;
  g->Control = 2;
  g->Buttons = 3;
  g->Coins = 2;
  g->Tilt = 1;
  g->Service = 1;
  g->DipSwitches = std::make_unique<DipSwitchList>();
  g->DipSwitches->push_back(types::NewDipSwitchRecord());
  g->Status = 3;
  g->Color = 1;
  g->Sound = 2;
  g->ColorDeep = 1;
  PlayStatList stats;
  stats.push_back(Stat("PUCKMAN", 12, 1, 5, 9));
  auto find = [&](std::string_view n) -> const GameRecord* {
    return n == "PACMAN" ? parent.get() : nullptr;
  };
  EXPECT_EQ(quickinfo::BuildQuickInfo(g.get(), find, &stats),
            "Game: .............[PUCKMAN] = PuckMan (Japan set 1)\r\n"
            "Clone of: .........[PACMAN] = Pac-Man (Midway)\r\n"
            "Copyright: ........1980 - Namco\r\n"
            "Screen: ...........Raster, vertical\r\n"
            "Resolution: .......224x288, 16 colors, 60.61Hz\r\n"
            "Sound: ............Mono\r\n"
            "Controls: .........2 players, joystick (with diagonals)+3 buttons each player\r\n"
            "Coinage: ..........2 slots, TILT supported, service button\r\n"
            "Dip switches: .....1 setting\r\n"
            "Driver quality: ...Ok\r\n"
            "Color quality: ....Bugged, 16 bits\r\n"
            "Sound quality: ....Preliminary\r\n"
            "Statistics: .......Played 12 times; total time: 01:05:09");
  EXPECT_EQ(quickinfo::BuildQuickInfo(nullptr, find, &stats), "");
}

TEST(QuickInfo, VectorGameMissingParentAndUnknownYear) {
  auto g = Game("ASTDELUX", "Asteroids Deluxe");
  g->CloneOf = "NOPARENT";
  g->Screen = 0;
  g->Players = 1;
  g->Coins = 1;
  PlayStatList stats;
  stats.push_back(Stat("ASTDELUX", 0, 3, 0, 0));  // no plays: never played
  std::string t = quickinfo::BuildQuickInfo(
      g.get(), [](std::string_view) -> const GameRecord* { return nullptr; }, &stats);
  EXPECT_EQ(t,
            "Game: .............[ASTDELUX] = Asteroids Deluxe\r\n"
            "Copyright: ........???? - \r\n"
            "Screen: ...........Vector, horizontal\r\n"
            "Sound: ............None\r\n"
            "Controls: .........1 player, \r\n"
            "Coinage: ..........1 slot\r\n"
            "Dip switches: .....no settings\r\n"
            "Driver quality: ...Not available\r\n"
            "Color quality: ....Not available, 8 bits\r\n"
            "Sound quality: ....Not available\r\n"
            "Statistics: .......Never played");
  g->DipSwitches.reset();  // no list at all: no line
  EXPECT_EQ(quickinfo::BuildQuickInfo(g.get(), {}, nullptr).find("Dip switches"),
            std::string::npos);
}

TEST(QuickInfo, WordsForEveryCodeAndFallbacksForDamagedOnes) {
  EXPECT_EQ(quickinfo::ChannelWord(3), "Stereo with sub-woofer");
  EXPECT_EQ(quickinfo::ChannelWord(5), "Surround with sub-woofer (Dolby surround PRO-Logic?)");
  EXPECT_EQ(quickinfo::ChannelWord(6), "Polyphonic (more than 5 speakers)");
  EXPECT_EQ(quickinfo::ChannelWord(200), "Polyphonic (more than 5 speakers)");
  EXPECT_EQ(quickinfo::ControlWord(0), "");
  EXPECT_EQ(quickinfo::ControlWord(6), "analog stick");
  EXPECT_EQ(quickinfo::ControlWord(8), "trackball");
  EXPECT_FALSE(quickinfo::ControlWord(9).empty());
  EXPECT_EQ(quickinfo::QualityWord(2), "Preliminary");
  EXPECT_EQ(quickinfo::QualityWord(77), "Unknown");

  // A damaged record: codes far outside the tables still give a whole text.
  auto g = Game("BAD", "Bad");
  g->Control = 250;
  g->Status = 9;
  g->Color = 200;
  g->Sound = 255;
  g->Players = 1;
  g->Buttons = 1;
  std::string t = quickinfo::BuildQuickInfo(g.get(), {}, nullptr);
  EXPECT_NE(t.find("Controls: .........1 player, unknown control+1 button\r\n"), std::string::npos);
  EXPECT_NE(t.find("Driver quality: ...Unknown\r\n"), std::string::npos);
  EXPECT_NE(t.find("Color quality: ....Unknown, 8 bits"), std::string::npos);

  // Buttons without a control, one play.
  g->Control = 0;
  g->Players = 3;
  g->Buttons = 2;
  PlayStatList stats;
  stats.push_back(Stat("BAD", 1, 100, 0, 7));
  t = quickinfo::BuildQuickInfo(g.get(), {}, &stats);
  EXPECT_NE(t.find("Controls: .........3 players, 2 buttons each player\r\n"), std::string::npos);
  EXPECT_NE(t.find("Statistics: .......Played 1 time; total time: 100:00:07"), std::string::npos);
}

TEST(QuickInfo, RelatedSetsListTheFamilyWithoutTheMaster) {
  GameList games;
  games.push_back(Game("PACMAN", "Pac-Man"));
  games.push_back(Game("PUCKMAN", "PuckMan"));
  games.back()->CloneOf = "PACMAN";
  games.push_back(Game("GALAXIAN", "Galaxian"));
  games.push_back(Game("PACMANFXX", "Pac-Man fast"));  // name cut to 8: PACMANFX
  games.back()->CloneOf = "PACMAN";
  std::string t;
  uint16_t n = 99;
  quickinfo::AddCloneListInfo(games[1].get(), &games, t, n);
  EXPECT_EQ(t, "[PUCKMAN]  = PuckMan <- this set\r\n[PACMANFX] = Pac-Man fast");
  EXPECT_EQ(n, 2);
  quickinfo::AddCloneListInfo(games[0].get(), &games, t, n);  // the master itself
  EXPECT_EQ(t, "[PUCKMAN]  = PuckMan\r\n[PACMANFX] = Pac-Man fast");
  quickinfo::AddCloneListInfo(games[2].get(), &games, t, n);
  EXPECT_EQ(t, "");
  EXPECT_EQ(n, 0);
  quickinfo::AddCloneListInfo(nullptr, &games, t, n);
  EXPECT_EQ(t, "");
}

TEST(QuickInfo, ChipLines) {
  auto g = Game("X", "X");
  auto c1 = types::NewChipRecord();
  c1->ChipType = 1;
  c1->Name = "Z80";
  c1->Clock = "3072000";
  auto c2 = types::NewChipRecord();
  c2->ChipType = 2;
  c2->Flags = 1;
  c2->Name = "Namco";
  auto c3 = types::NewChipRecord();
  c3->ChipType = 7;
  c3->Name = "Odd";
  g->Chips->push_back(std::move(c1));
  g->Chips->push_back(std::move(c2));
  g->Chips->push_back(std::move(c3));
  std::string t;
  quickinfo::AddChipInfo(g.get(), t);
  EXPECT_EQ(t, "CPU: .....Z80, 3072000Hz clock\r\nAudio: ...Namco (sound)\r\nUnknown: Odd");
  quickinfo::AddChipInfo(nullptr, t);
  EXPECT_EQ(t, "");
}

TEST(QuickInfo, RomLines) {
  auto g = Game("X", "X");
  g->RomOf = "PARENT";
  auto rom = [](const char* name, uint32_t crc, uint32_t size, uint32_t offs, uint32_t flags) {
    auto r = types::NewRomRecord();
    r->Name = name;
    r->Crc = crc;
    r->Size = size;
    r->Offs = offs;
    r->Flags = flags;
    r->Region = "CPU1";
    return r;
  };
  g->Roms->push_back(rom("A.BIN", 0x1234ABCD, 512, 0, 1 | 4));
  g->Roms->push_back(rom("B.BIN", 0, 0, 0, 0));
  g->Roms->push_back(rom("C.BIN", 0xDEAD, 1024, 0x8000, 2 | 8 | 0x10 | 0x20 | 0x40 | 0x80 | 0xFF00));
  g->Roms->push_back(rom("LONGNAME.BIN", 1, 1, 0, 3));  // 12 characters: nothing to pad
  g->Roms->back()->Merge = "LONGNAME.BIN";
  std::string t;
  quickinfo::AddRomInfo(g.get(), t);
  EXPECT_EQ(t,
            "A.BIN        $1234ABCD      512 {$00000000..$000001FF} CPU1 (16bits, big endian)\r\n"
            "B.BIN         ????????        0 {$00000000..$FFFFFFFF} CPU1 (8bits)\r\n"
            "C.BIN        $0000DEAD     1024 {$00008000..$000083FF} CPU1 (32bits, little endian, "
            "inverted, dispose after init, load only if sound enabled, load in upper part of cpu "
            "space, fill with $FF)\r\n"
            "LONGNAME.BIN $00000001        1 {$00000000..$00000000} CPU1 (64bits, little endian)"
            " - from master set PARENT");
}

TEST(QuickInfo, DipSwitchAndSampleLines) {
  auto g = Game("X", "X");
  auto d = types::NewDipSwitchRecord();
  d->Name = "Lives";
  d->Entries->push_back("1");
  d->Entries->push_back("2");
  d->Entries->push_back("3");
  d->Default = "3";
  auto e = types::NewDipSwitchRecord();
  e->Name = "Unused";
  g->DipSwitches->push_back(std::move(d));
  g->DipSwitches->push_back(std::move(e));
  std::string t;
  quickinfo::AddDipSwitchInfo(g.get(), t);
  EXPECT_EQ(t,
            "Lives                         = {1, 2, 3}; Factory setting=3\r\n"
            "Unused                        ");
  g->Samples->push_back("fire.wav");
  g->Samples->push_back("averyverylongname.wav");
  quickinfo::AddSampleInfo(g.get(), t);
  EXPECT_EQ(t, "fire.wav    \r\naveryverylongname.wav");
  g->SampleOf = "INVADERS";
  quickinfo::AddSampleInfo(g.get(), t);
  EXPECT_EQ(t, "fire.wav     - from sample set INVADERS\r\n"
               "averyverylongname.wav - from sample set INVADERS");
  g->Samples->clear();
  quickinfo::AddSampleInfo(g.get(), t);
  EXPECT_EQ(t, "");
}
