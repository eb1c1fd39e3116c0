#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextEdit>
#include <filesystem>

#include "database/Report.h"
#include "frontend/DataFiles.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/Reports.h"

using reports::Style;

namespace {

GameRecord* Add(GameList& list, const char* name, const char* cloneOf = "", const char* romOf = "",
                uint8_t kind = KIND_GAME) {
  auto g = types::NewGameRecord();
  g->Kind = kind;
  g->Name = name;
  g->Description = std::string("Game ") + name;
  g->CloneOf = cloneOf;
  g->RomOf = romOf;
  list.push_back(std::move(g));
  return list.back().get();
}

void AddChip(GameRecord* g, uint8_t type, const char* name) {
  if (!g->Chips) g->Chips = std::make_unique<ChipList>();
  auto c = std::make_unique<ChipRecord>();
  c->ChipType = type;
  c->Name = name;
  g->Chips->push_back(std::move(c));
}

void AddRom(GameRecord* g, const char* name, const char* merge, uint32_t crc) {
  if (!g->Roms) g->Roms = std::make_unique<RomList>();
  auto r = std::make_unique<RomRecord>();
  r->Name = name;
  r->Merge = merge;
  r->Crc = crc;
  r->Size = 16;
  g->Roms->push_back(std::move(r));
}

struct Catalogue {
  GameList games, resources;
  quickinfo::GameLookup Find() const {
    return [this](std::string_view n) -> const GameRecord* {
      for (const GameList* l : {&games, &resources})
        for (const auto& g : *l)
          if (g->Name.str() == n) return g.get();
      return nullptr;
    };
  }
};

std::string Body(const reports::Document& d, Style style) {
  std::string t;
  for (const auto& l : d.lines)
    if (l.style == style) t += l.text + "|";
  return t;
}

}  // namespace

TEST(Reports, ProfileInfoCountsChainsAndLists) {
  Catalogue c;
  Add(c.resources, "NEOGEO", "", "", KIND_RESOURCE);
  GameRecord* master = Add(c.games, "MSLUG", "", "NEOGEO");
  GameRecord* clone = Add(c.games, "MSLUGA", "MSLUG", "MSLUG");  // via its parent to the BIOS
  Add(c.games, "LOOPA", "", "LOOPB");                            // a cycle ends quietly
  Add(c.games, "LOOPB", "", "LOOPA");
  GameRecord* plain = Add(c.games, "PACMAN");
  Add(c.games, "PUCKMAN", "PACMAN", "PACMAN");                   // ends at a master: nothing
  for (GameRecord* g : {master, clone, plain}) AddChip(g, 1, "Z80");
  AddChip(plain, 1, "z80");
  AddChip(plain, 2, "Namco");
  AddRom(master, "a.rom", "", 1);
  AddRom(clone, "a.rom", "a.rom", 0);
  AddRom(plain, "b.rom", "", 0);
  plain->Samples = std::make_unique<StringList>(StringList{"x.wav"});
  clone->SampleOf = "PACMAN";

  reports::ProfileFacts f;
  f.programDir = "/home/";
  f.profileFile = "/home/PROFILES/Mame.vrl";
  f.executable = "/emu/mame";
  f.version = "v1";
  f.games = &c.games;
  f.resources = &c.resources;
  f.find = c.Find();
  size_t calls = 0;
  const reports::Document d = reports::ProfileInfo(f, [&](size_t, size_t) { ++calls; });
  EXPECT_EQ(calls, c.games.size());
  EXPECT_EQ(d.title, "Velmora - Profile info");
  EXPECT_EQ(d.fileName, "/home/Mame_profile_info");
  EXPECT_EQ(Body(d, Style::Title), "Profile details|");
  EXPECT_EQ(Body(d, Style::Heading),
            "There are 2 games using external resources (BIOS):|1 CPU supported:|"
            "1 sound chip supported:|1 sample set supported:|");
  EXPECT_EQ(Body(d, Style::Body),
            "|Profile: ................../home/PROFILES/Mame.vrl|"
            "MAME executable file: ...../emu/mame|MAME version: .............v1|"
            "Romsets supported: ........6|Resources needed: .........1|"
            "Master sets: ..............4|Clone sets: ...............2|"
            "Games not using BIOSes: ...4|"
            "Total rom files: ..........2 (counted on a \"per master set\" basis)|"
            "Total no good dumps: ......2|Sets requiring samples: ...2||"
            "[MSLUG]    uses [NEOGEO]|[MSLUGA]   uses [NEOGEO]||Z80||Namco||[PACMAN]|");

  // Exactly one, and none at all.
  c.games.erase(c.games.begin() + 1);
  EXPECT_NE(reports::ProfileInfo(f).PlainText().find(
                "There is 1 game using an external resource (BIOS):\r\n[MSLUG]    uses [NEOGEO]"),
            std::string::npos);
  c.games.clear();
  f.creationDate = "1/2/03 - 04:05:06";
  EXPECT_EQ(reports::ProfileInfo(f).PlainText(),
            "Profile details\r\n\r\nProfile: ................../home/PROFILES/Mame.vrl\r\n"
            "Creation date: ............1/2/03 - 04:05:06\r\n"
            "MAME executable file: ...../emu/mame\r\nMAME version: .............v1\r\n"
            "Romsets supported: ........0\r\nResources needed: .........1");
}

TEST(Reports, RomsetDetailSectionsAndCloneFallback) {
  TempDir dir;
  Catalogue c;
  GameRecord* master = Add(c.games, "PACMAN");
  GameRecord* clone = Add(c.games, "PUCKMAN", "PACMAN", "PACMAN");
  AddRom(master, "pm1", "", 0x12345678);
  reports::RomsetFacts f;
  f.programDir = "/home/";
  f.game = clone;
  f.games = &c.games;
  f.quickInfo = "QUICK";
  f.files.history = dir.write("history.dat", "$info=pacman\n$bio\nParent story.\n$end\n");
  f.files.mameinfo = dir.write("mameinfo.dat", "$info=puckman\n$mame\nOwn notes.\n$end\n");
  f.files.cheat = dir.write("cheat.dat", std::string("\x1f\x8b\x08\x00", 4));
  reports::Document d = reports::RomsetDetail(f);
  EXPECT_EQ(d.title, "Velmora - Detailed romset description");
  EXPECT_EQ(d.fileName, "/home/PUCKMAN_romset");
  EXPECT_EQ(Body(d, Style::Heading),
            "There is 1 clone of the [PACMAN] master set:||No chipset information available||"
            "No roms used||No samples used||HighScore save for this game is not supported yet||"
            "The cheat file is GZip-compressed and cannot be scanned||History file entry:|"
            "MAME Info file entry:|");
  EXPECT_EQ(Body(d, Style::Body),
            "|QUICK||[PUCKMAN]  = Game PUCKMAN <- this set||Parent story.||Own notes.|");

  // A master without clones, data files missing.
  c.games.pop_back();
  f.game = master;
  f.files = {};
  f.files.hiscore = dir.write("hiscore.dat", "pacman:\n0:4c00:1:00:00\n");
  d = reports::RomsetDetail(f);
  const std::string h = Body(d, Style::Heading);
  EXPECT_NE(h.find("There are no clones of the [PACMAN] master set|"), std::string::npos);
  EXPECT_NE(h.find("Rom files (name/crc/size/area/bank):|"), std::string::npos);
  EXPECT_NE(h.find("This game supports HighScore save using the following memory areas:|"),
            std::string::npos);
  EXPECT_NE(h.find("No entry found in cheat file||No entry found in history file||"
                   "No entry found in mame info file|"),
            std::string::npos);
  EXPECT_TRUE(d.problems.empty());

  // An entry without "$end" is cut, and the report says so; NUL bytes never reach it.
  f.files.history = dir.write("open.dat", "$info=pacman\n$bio\nStory.\n");
  std::filesystem::resize_file(f.files.history, 4u << 20);
  d = reports::RomsetDetail(f);
  EXPECT_NE(d.PlainText().find("History file entry:\r\nStory.\r\n\r\n[The entry is longer than "
                               "64 KB: the rest was left out]"),
            std::string::npos);
  EXPECT_EQ(d.PlainText().find('\0'), std::string::npos);

  // A history file larger than any is refused unread, and told by name.
  f.files.history = dir.write("huge.dat", "$info=pacman\n$bio\nStory.\n$end\n");
  std::filesystem::resize_file(f.files.history, datafiles::kMaxDataFileSize + 1);
  d = reports::RomsetDetail(f);
  EXPECT_NE(Body(d, Style::Heading).find("|The history file could not be read|"),
            std::string::npos);
  EXPECT_EQ(d.problems, std::vector<std::string>{"The history file \"" + f.files.history +
                                                 "\" could not be read:\rLarger than 48 MB"});
}

TEST(Reports, MainWindowShowsBothReportsInTheirStyles) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  TempDir emu;
  h.LoadGames({"ZYPHON", "ZYPHONB"}, emu.path());
  h.Game("ZYPHONB")->CloneOf = "ZYPHON";
  emu.write("Cheat.Dat", "zyphon:0:4e00:03:000:Lives:\n");
  w.MAMEConfig.cheatfile = "CHEAT.DAT";
  w.MAMEConfig.hiscorefile = emu.path() + "HISCORE.DAT";
  w.ProfileFileName = emu.write("demo.vrl", "x");
  w.SelectedGame = h.Game("ZYPHONB");

  std::vector<std::string> titles, texts;
  std::vector<QFont> firstFonts, lastFonts;
  auto capture = [&](QWidget* window) {
    auto* r = qobject_cast<TReportFRM*>(window);
    EXPECT_NE(r, nullptr);
    if (!r) return 2;
    EXPECT_TRUE(r->ReadOnly());
    titles.push_back(r->DocumentTitle() + "|" + r->DocumentFileName());
    texts.push_back(r->Doc->toPlainText().toStdString());
    QTextDocument* doc = r->Doc->document();
    firstFonts.push_back(doc->firstBlock().charFormat().font());
    lastFonts.push_back(doc->lastBlock().charFormat().font());
    EXPECT_EQ(doc->firstBlock().blockFormat().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    return 1;
  };
  h.seam.modalHandlers.push_back(capture);
  h.seam.modalHandlers.push_back(capture);
  w.FileProfileInfoACTNExecute();
  w.MameRomsetDetailACTNExecute();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(titles[0], "Velmora - Profile info|demo_profile_info");
  EXPECT_EQ(titles[1], "Velmora - Detailed romset description|ZYPHONB_romset");
  EXPECT_NE(texts[0].find("Creation date: ............"), std::string::npos);
  EXPECT_NE(texts[0].find("Romsets supported: ........2"), std::string::npos);
  EXPECT_NE(texts[1].find("There is 1 clone of the [ZYPHON] master set:"), std::string::npos);
  EXPECT_NE(texts[1].find("No entry found in cheat file"), std::string::npos);  // not ours
  EXPECT_TRUE(firstFonts[0].bold() && firstFonts[0].italic());
  EXPECT_EQ(firstFonts[0].pointSize(), w.BoldFontSize + 4);
  EXPECT_FALSE(lastFonts[1].italic());  // the last heading
  EXPECT_TRUE(lastFonts[1].bold());
  EXPECT_TRUE(WorkingFRM->isHidden());

  w.SelectedGame = h.Game("ZYPHON");
  h.seam.modalHandlers.push_back(capture);
  // A history file too large to read is told before the report, by name.
  std::filesystem::resize_file(emu.write("HISTORY.DAT", ""), datafiles::kMaxDataFileSize + 1);
  w.MAMEConfig.historyfile = "history.dat";
  h.seam.messages.clear();
  w.MameRomsetDetailACTNExecute();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NE(texts[2].find("Cheats available for this game:\nLives:"), std::string::npos);
  ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
  EXPECT_NE(h.seam.messages[0].text.find(emu.file("HISTORY.DAT")), std::string::npos);
  EXPECT_EQ(h.seam.messages[0].flags & plat::MB_ICONERROR, plat::MB_ICONERROR);
}
