// Verification runs over a small collection that each test builds: zips, a folder set, a
// sample set with or without its certified readme, pictures in both cases.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <map>

#include "frontend/MainWindowHarness.h"
#include "platform/Files.h"
#include "support/ZipFixture.h"
#include "verify/CRC32.h"
#include "verify/Verify.h"
#include "verify/VerifyWindow.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

std::string Bytes(const std::string& seed, size_t size = 16) {
  std::string s;
  while (s.size() < size) s += seed;
  return s.substr(0, size);
}
void Zip(const std::string& path, const Files& files) {
  std::vector<ZipFixtureEntry> entries;
  for (auto& [name, bytes] : files) entries.push_back({name, bytes});
  WriteZip(path, entries);
}
uint32_t Crc(const std::string& bytes) { return UpdateCRC32(0, bytes.data(), bytes.size()); }

struct Listener : verify::VerifyListener {
  std::string pass;
  int abortAfter = -1;  // CheckAbort calls before an abort
  void PassName(const std::string& t) override { if (!t.empty()) pass = t; }
  void SetName(const std::string&) override {}
  void Clones(const std::string&) override {}
  void Progress(int32_t, int32_t) override {}
  void UpdateCounters(const verify::VerifyCounters&) override {}
  void LetMessagesThrough() override {}
  bool CheckAbort() override { return abortAfter >= 0 && abortAfter-- == 0; }
  std::vector<unsigned> messages;
  int ShowMessage(const std::string&, unsigned flags) override {
    messages.push_back(flags);
    return plat::IDNO;
  }
};

// The collection: a resource, masters with a clone, a folder set, a shared sample set.
struct Collection {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  std::string emu = h.home.path() + "emu/";
  bool lower = false;  // archive and member names in lower case
  std::map<std::string, Files> roms, samples;  // set -> files ("dir:" prefix = folder set)
  std::map<std::string, std::string> pictures;  // file name -> bytes

  Collection() {
    w.Games = std::make_unique<GameList>();
    w.Resources = std::make_unique<GameList>();
    w.EmulatorDir = emu;
    w.MAMEDirectories.rompath = "roms";
    w.MAMEDirectories.samplepath = "samples";
    GameRecord* neo = Add(*w.Resources, "NEOGEO", "");
    Rom(neo, "BIOS1", Bytes("bios1"));
    Rom(neo, "BIOS2", Bytes("bios2"));
    GameRecord* pac = Add(*w.Games, "PACMAN", "");
    Rom(pac, "PACMAN.6E", Bytes("6e"));
    Rom(pac, "PACMAN.6F", Bytes("6f"));
    Rom(pac, "PROM", Bytes("prom"), "", 0);
    GameRecord* puck = Add(*w.Games, "PUCKMAN", "PACMAN");
    Rom(puck, "PUCKMAN.6E", Bytes("p6e"));
    Rom(puck, "PACMAN.6F", Bytes("6f"), "PACMAN.6F");
    GameRecord* ms = Add(*w.Games, "MSLUG", "");
    Rom(ms, "MS.P1", Bytes("msp1", 32));
    Rom(ms, "BIOS1", Bytes("bios1"), "BIOS1");
    Rom(ms, "BIOS2", Bytes("bios2"));  // lives in the resource set
    GameRecord* inv = Add(*w.Games, "INVADERS", "");
    Rom(inv, "INV.1", Bytes("inv1"));
    inv->Samples = std::make_unique<StringList>(StringList{"1.wav", "2.wav"});
    GameRecord* pt2 = Add(*w.Games, "INVADPT2", "INVADERS");
    Rom(pt2, "PT2.1", Bytes("pt21"));
    pt2->SampleOf = "INVADERS";
    pt2->Samples = std::make_unique<StringList>(StringList{"2.wav", "3.wav"});
    w.PictureTabs = {emu + "snap"};
    w.SetPictureTabCaptions({"Snap"});
    roms["NEOGEO"] = {{"BIOS1", Bytes("bios1")}, {"BIOS2", Bytes("bios2")}};
    roms["PACMAN"] = {{"PACMAN.6E", Bytes("6e")}, {"PACMAN.6F", Bytes("6f")},
                      {"PROM", Bytes("x")}};
    roms["PUCKMAN"] = {{"PUCKMAN.6E", Bytes("p6e")}};
    roms["dir:MSLUG"] = {{"MS.P1", Bytes("msp1", 32)}};
    roms["INVADERS"] = {{"INV.1", Bytes("inv1")}};
    roms["INVADPT2"] = {{"PT2.1", Bytes("pt21")}};
    samples["INVADERS"] = {{"1.WAV", "one"}, {"2.WAV", "two"}, {"3.WAV", "three"},
                           {"README.TXT", "Certified:\r\nwww.zeffa\r\n.com\r\n"}};
    pictures = {{"pacman.png", "p"}, {"MSLUG.JPG", "j"}, {"Invaders.gif", "g"}};
  }
  GameRecord* Add(GameList& list, const char* name, const char* cloneOf) {
    auto g = types::NewGameRecord();
    g->Name = name;
    g->CloneOf = cloneOf;
    g->Kind = &list == w.Resources.get() ? KIND_RESOURCE : KIND_GAME;
    if (!g->Roms) g->Roms = std::make_unique<RomList>();
    list.push_back(std::move(g));
    return list.back().get();
  }
  void Rom(GameRecord* g, const char* name, const std::string& bytes, const char* merge = "",
           int64_t crc = -1) {
    auto r = types::NewRomRecord();
    r->Name = name;
    r->Merge = merge;
    r->Size = static_cast<uint32_t>(bytes.size());
    r->Crc = crc < 0 ? Crc(bytes) : static_cast<uint32_t>(crc);
    g->Roms->push_back(std::move(r));
  }
  RomRecord* FindRom(const char* set, const char* rom) {
    w.BuildGameIndex();
    GameRecord* g = w.FindGameByName(set);
    for (auto& r : *g->Roms)
      if (r->Name == rom) return r.get();
    return nullptr;
  }
  std::string Case(const std::string& s) const { return lower ? plat::LowerCase(s) : s; }
  void Write() {
    w.BuildGameIndex();
    auto sets = [&](const std::map<std::string, Files>& list, const std::string& folder) {
      plat::MakeDirs(emu + folder);
      for (auto& [set, files] : list) {
        Files named;
        for (auto& [n, b] : files) named.emplace_back(Case(n), b);
        if (set.rfind("dir:", 0) == 0) {
          for (auto& [n, b] : named) h.home.write("emu/" + folder + "/" + Case(set.substr(4)) + "/" + n, b);
        } else {
          Zip(emu + folder + "/" + Case(set) + ".zip", named);
        }
      }
    };
    sets(roms, "roms");
    sets(samples, "samples");
    plat::MakeDirs(emu + "snap");
    for (auto& [n, b] : pictures) h.home.write("emu/snap/" + n, b);
  }
  std::function<void()> afterWrite;
  int unpacked = 0;  // sets unpacked into the folder
  std::string Run(verify::VerifyOptions o, verify::VerifyCounters* counters = nullptr,
                  std::string* pass = nullptr, bool onDisk = false) {
    Write();
    if (afterWrite) afterWrite();
    TTextStream report;
    Listener l;
    verify::VerifyCollection collection = TVerifyFRM::CollectionOf(&w);
    if (onDisk) collection.FindSet = nullptr;  // every set unpacked, none tested in memory
    auto unpack = collection.UnpackSet;
    collection.UnpackSet = [&](const std::string& name, uint8_t kind) {
      ++unpacked;
      return unpack(name, kind);
    };
    verify::VerifyEngine engine(collection, o, l, report);
    EXPECT_TRUE(engine.Run());
    if (counters) *counters = engine.Counters;
    if (pass) *pass = l.pass;
    EXPECT_FALSE(plat::DirExists(emu + "$VRTEMP$"));
    return report.Data();
  }
};

// INVADERS.zip (INV.1 stored) as the change makes it.
void Unreadable(Collection& c, std::string (*change)(std::string&)) {
  c.afterWrite = [&c, change] {
    std::string zip = BuildZip({{"INV.1", Bytes("inv1"), false}});
    c.h.home.write("emu/roms/INVADERS.zip", change(zip));
  };
}

verify::VerifyOptions AllPasses() {
  verify::VerifyOptions o;
  o.ReportUnused = true;
  o.ReportUnsupported = true;
  return o;
}

const char* const kCleanReport =
    "\r\nResource set verification report:\r\n"
    "\r\nRom set verification report:\r\n"
    "\r\nSample set verification report:\r\n"
    "\r\nPictures verification report:\r\n"
    "\r\nUnsupported rom/sample sets report:\r\n";

}  // namespace

TEST(Verify, CleanCollectionHasNoFindingInFourPasses) {
  for (bool lower : {false, true}) {
    Collection c;
    c.lower = lower;
    verify::VerifyCounters n;
    std::string pass;
    EXPECT_EQ(c.Run(AllPasses(), &n, &pass), kCleanReport) << lower;
    EXPECT_EQ(pass, "Done in 4 passes.");
    EXPECT_EQ(n.FaultySetCount + n.MissingRomCount + n.SkippedCount + n.UnsupportedCount +
                  n.MissingImageCount + n.MissingSampleCount + n.CorruptRomCount,
              0);
  }
}

TEST(Verify, EachFaultGivesItsLineAndCounter) {
  using C = verify::VerifyCounters;
  struct Case {
    const char* what;
    std::function<void(Collection&, verify::VerifyOptions&)> change;
    std::string line;
    int32_t C::*counter;
    int32_t faulty;
  };
  const std::vector<Case> cases = {
      {"missing rom", [](Collection& c, auto&) { c.roms["PACMAN"].erase(c.roms["PACMAN"].begin() + 1); },
       "[PACMAN]   - PACMAN.6F    rom not found", &C::MissingRomCount, 1},
      {"missing resource rom",
       [](Collection& c, auto&) { c.roms["NEOGEO"].pop_back(); },
       "[NEOGEO]   - BIOS2        rom not found", &C::MissingRomCount, 1},
      {"wrong size", [](Collection& c, auto&) { c.roms["PACMAN"][0].second += "!"; },
       "[PACMAN]   - PACMAN.6E    has wrong size: 17 bytes instead of 16 bytes",
       &C::CorruptRomCount, 1},
      {"wrong crc", [](Collection& c, auto&) { c.roms["PACMAN"][0].second = Bytes("zz"); },
       "[PACMAN]   - PACMAN.6E    has wrong CRC: $" + [] {
         char b[9]; std::snprintf(b, 9, "%08X", Crc(Bytes("zz"))); return std::string(b); }() +
       " instead of $" + [] {
         char b[9]; std::snprintf(b, 9, "%08X", Crc(Bytes("6e"))); return std::string(b); }(),
       &C::CorruptRomCount, 1},
      {"redump", [](Collection& c, verify::VerifyOptions& o) {
         o.ReportRedumps = true;
         c.FindRom("PACMAN", "PACMAN.6E")->Crc ^= 0xFFFFFFFFu; },
       "[PACMAN]   - PACMAN.6E    needs redump: this is the best available",
       &C::CorruptRomCount, 1},
      {"misspelled", [](Collection& c, auto&) { c.roms["PACMAN"][1].first = "pac.6f"; },
       "[PACMAN]   - PACMAN.6F    rom has incorrect file name (pac.6f)\r\n"
       "[PACMAN]   - pac.6f       file is unused", &C::MissSpelledCount, 1},
      {"clone rom", [](Collection& c, auto&) { c.roms["PUCKMAN"][0].second = Bytes("p6e", 8); },
       "[PUCKMAN]  - PUCKMAN.6E   has wrong size: 8 bytes instead of 16 bytes",
       &C::CorruptRomCount, 1},
      {"no good dump missing", [](Collection& c, verify::VerifyOptions& o) {
         o.NoGoodDump = 1; c.roms["PACMAN"].pop_back(); },
       "[PACMAN]   - PROM         rom not found (no good dump known)", &C::NoGoodDumpCount, 1},
      {"no good dump not borrowed", [](Collection& c, verify::VerifyOptions& o) {
         o.NoGoodDump = 1;
         c.Rom(c.w.Games->front().get(), "PROM2", Bytes("x"), "", 0); },
       "[PACMAN]   - PROM2        rom not found (no good dump known)", &C::NoGoodDumpCount, 1},
      {"no good dump present", [](Collection&, verify::VerifyOptions& o) { o.NoGoodDump = 3; },
       "[PACMAN]   - PROM         rom has wrong CRC (no good dump known)", &C::NoGoodDumpCount, 1},
      {"missing sample", [](Collection& c, auto&) { c.samples["INVADERS"].erase(c.samples["INVADERS"].begin() + 2); },
       "[INVADERS] - 3.WAV        sample not found", &C::MissingSampleCount, 1},
      {"missing picture", [](Collection& c, auto&) { c.pictures.erase("pacman.png"); },
       "[PACMAN]   - Snap image not found", &C::MissingImageCount, 0},
      {"unsupported set", [](Collection& c, auto&) { c.roms["ZZZ"] = {{"A", "a"}}; },
       "Unsupported set: EMU/roms/" + std::string("ZZZ.zip"), &C::UnsupportedCount, 0},
      {"skipped set", [](Collection& c, auto&) { c.roms.erase("INVADERS"); },
       "", &C::SkippedCount, 0},
      // An archive that cannot be read is named with the library's error, never skipped.
      {"random bytes", [](Collection& c, auto&) { Unreadable(c, [](std::string&) { return Bytes("?!", 600); }); },
       "[INVADERS] - UNZIP error in EMU/roms/INVADERS.zip: Not a zip archive\r\n"
       "[INVADERS] - INV.1        rom not found", &C::MissingRomCount, 1},
      {"cut in half", [](Collection& c, auto&) { Unreadable(c, [](std::string& z) { return z.substr(0, z.size() / 2); }); },
       "[INVADERS] - UNZIP error in EMU/roms/INVADERS.zip: Not a zip archive\r\n"
       "[INVADERS] - INV.1        rom not found", &C::MissingRomCount, 1},
      {"damaged entry", [](Collection& c, auto&) { Unreadable(c, [](std::string& z) {
         z[z.find(Bytes("inv1"))] ^= 1; return z; }); },
       "[INVADERS] - UNZIP error in EMU/roms/INVADERS.zip: CRC error in INV.1\r\n"
       "[INVADERS] - INV.1        could not be read", &C::CorruptRomCount, 1},
      {"name leaving the folder", [](Collection& c, auto&) {
         c.Rom(c.w.Games->front().get(), "../MAME.CFG", Bytes("6e")); },
       "[PACMAN]   - ../MAME.CFG  has a name that cannot be a file name", &C::CorruptRomCount, 1},
      {"unused file", [](Collection& c, auto&) { c.roms["PACMAN"].push_back({"EXTRA.BIN", "e"}); },
       "[PACMAN]   - EXTRA.BIN    file is unused", nullptr, 0},
      {"not certified", [](Collection& c, auto&) { c.samples["INVADERS"].back().second = "plain"; },
       "[INVADERS] - sample set is not \"Zeffa's high quality\" certified\r\n"
       "[INVADERS] - README.TXT   sample file is unused", nullptr, 0},
  };
  for (const Case& k : cases) {
    Collection c;
    verify::VerifyOptions o = AllPasses();
    k.change(c, o);
    C n;
    std::string report = c.Run(o, &n);
    std::string line = k.line;
    if (auto p = line.find("EMU/"); p != std::string::npos) line.replace(p, 4, c.emu);
    EXPECT_NE(report.find(line + "\r\n"), std::string::npos) << k.what << "\n" << report;
    // The one finding is the only line besides the headings.
    EXPECT_EQ(report.size(), std::string(kCleanReport).size() + (line.empty() ? 0 : line.size() + 2))
        << k.what << "\n" << report;
    if (k.counter) {
      EXPECT_EQ(n.*k.counter, 1) << k.what;
    }
    EXPECT_EQ(n.FaultySetCount, k.faulty) << k.what;
    EXPECT_EQ(plat::ListDir(c.emu).size(), 3u) << k.what;  // roms, samples, snap: nothing else
  }
}

// Zipped rom sets are tested in memory: the report is the one unpacking them gives.
TEST(Verify, SetsTestedInMemoryGiveTheReportOfUnpackedSets) {
  const std::vector<std::pair<const char*, std::function<void(Collection&)>>> cases = {
      {"clean", [](Collection&) {}},
      {"faults", [](Collection& c) {
         c.roms["PACMAN"][0].second += "!";                       // wrong size
         c.roms["PACMAN"][1].first = "pac.6f";                   // misspelled
         c.roms["PACMAN"].push_back({"Z.BIN", "z"});             // unused files, in order
         c.roms["PACMAN"].push_back({"A.BIN", "a"});
         c.roms["PUCKMAN"].push_back({"PACMAN.6E", Bytes("p6e")});  // a clone replaces a file
         c.roms["NEOGEO"].pop_back();
         c.FindRom("PACMAN", "PACMAN.6E")->Crc ^= 1; }},
      {"names twice, a damaged entry", [](Collection& c) {
         c.roms["PACMAN"].insert(c.roms["PACMAN"].begin(), {"PACMAN.6F", Bytes("bad")});
         c.afterWrite = [&c] {
           std::vector<ZipFixtureEntry> entries;
           for (auto& [n, b] : c.roms["PUCKMAN"]) entries.push_back({n, b});
           entries.push_back({"PUCK.BAD", "PUCKBADPUCKBADPUCKBAD", false});
           std::string zip = BuildZip(entries);
           zip[zip.find("PUCKBADPUCKBADPUCKBAD")] ^= 1;  // stored: its CRC no longer matches
           c.h.home.write("emu/roms/PUCKMAN.zip", zip);
         }; }},
      {"a clone in a folder unpacks its group", [](Collection& c) {
         c.roms["dir:PUCKMAN"] = c.roms["PUCKMAN"];
         c.roms.erase("PUCKMAN");
         c.roms["PACMAN"].push_back({"EXTRA", "e"}); }},
  };
  for (const auto& [what, change] : cases) {
    std::string reports[2];
    int unpacked[2];
    for (bool onDisk : {false, true}) {
      Collection c;
      change(c);
      reports[onDisk] = c.Run(AllPasses(), nullptr, nullptr, onDisk);
      for (size_t at; (at = reports[onDisk].find(c.emu)) != std::string::npos;)
        reports[onDisk].replace(at, c.emu.size(), "EMU/");
      unpacked[onDisk] = c.unpacked;
    }
    EXPECT_EQ(reports[0], reports[1]) << what;
    EXPECT_LT(unpacked[0], unpacked[1]) << what;
  }
}

TEST(Verify, MissingPicturesAreListedBySetName) {
  for (bool separate : {false, true}) {
    Collection c;
    c.pictures.clear();
    verify::VerifyOptions o = AllPasses();
    o.ScreenshotDetail = true;
    o.SeparatePhotoLists = separate;
    const std::string report = c.Run(o);
    size_t at = report.find("Pictures verification report:");
    ASSERT_NE(at, std::string::npos);
    for (const char* set : {"[INVADERS]", "[INVADPT2]", "[MSLUG]", "[PACMAN]", "[PUCKMAN]"}) {
      const size_t next = report.find(set, at);
      EXPECT_NE(next, std::string::npos) << set << "\n" << report;
      at = next;
    }
  }
}

TEST(Verify, UnsupportedScanFoldersAndNames) {
  Collection c;
  c.Write();
  TTextStream report;
  Listener l;
  verify::VerifyEngine e(TVerifyFRM::CollectionOf(&c.w), {}, l, report);
  const std::string roms = c.emu + "roms/";
  EXPECT_EQ(e.PathFolders(" roms ;.;;roms "), (std::vector<std::string>{c.emu + "roms /", roms}));
  EXPECT_EQ(e.PathFolders(""), std::vector<std::string>{});
  EXPECT_EQ(e.PathFolders("./;" + c.emu + ";roms;roms"),
            (std::vector<std::string>{roms, roms}));  // the emulator folder itself is dropped
  // A folder named for a set is known; a sample folder knows sets with samples only.
  plat::MakeDirs(roms + "Pacman");
  c.h.home.write("emu/roms/a.b.zip", "x");
  c.h.home.write("emu/samples/pacman.zip", "x");
  c.h.home.write("emu/samples/invadpt2.zip", "x");
  c.w.MAMEDirectories.rompath = "roms;roms";
  verify::VerifyEngine e2(TVerifyFRM::CollectionOf(&c.w), {}, l, report);
  e2.ScanUnsupportedSets(0);
  e2.ScanUnsupportedSets(1);
  EXPECT_EQ(e2.Counters.UnsupportedCount, 4);
  for (const std::string& line :
       {"Unsupported set: " + roms + "a.b.zip", "Unsupported set: " + c.emu + "samples/pacman.zip",
        "Unsupported set: " + c.emu + "samples/invadpt2.zip"})
    EXPECT_NE(report.Data().find(line + "\r\n"), std::string::npos) << line;
}

TEST(Verify, AbortEndsTheRunAtACheckPoint) {
  Collection c;
  c.Write();
  TTextStream report;
  Listener l;
  l.abortAfter = 3;
  verify::VerifyEngine e(TVerifyFRM::CollectionOf(&c.w), AllPasses(), l, report);
  EXPECT_FALSE(e.Run());
  EXPECT_EQ(report.Data().find("Rom set"), std::string::npos);
}

TEST(Verify, ATemporaryFolderThatStaysAsksOnceThenOffersToStopAsking) {
  Collection c;
  c.Write();
  TTextStream report;
  Listener l;
  verify::VerifyCollection collection = TVerifyFRM::CollectionOf(&c.w);
  collection.DeleteFolderTree = [](const std::string&) { return false; };
  verify::VerifyEngine e(collection, AllPasses(), l, report);
  EXPECT_TRUE(e.Run());
  EXPECT_EQ(l.messages, (std::vector<unsigned>{plat::MB_OK | plat::MB_ICONERROR,
                                               plat::MB_YESNO | plat::MB_ICONERROR}));
}

TEST(Verify, SmallTexts) {
  EXPECT_EQ(verify::FormatElapsed(0), "00:00:00");
  EXPECT_EQ(verify::FormatElapsed((25 * 3600 + 61) * 1000LL + 999), "25:01:01");
  EXPECT_EQ(verify::VerifyEngine::SetTag("LONGNAME"), "[LONGNAME]");
  EXPECT_EQ(verify::VerifyEngine::SetTag("A"), "[A]       ");
  EXPECT_TRUE(verify::IsQualityReadme("x www.zeffa\n.com"));
  EXPECT_FALSE(verify::IsQualityReadme("WWW.ZEFFA.COM"));
}

// The window: options, the whole report file, the sound, the editor and an abort.
TEST(VerifyWindow, ReportFileAndEndOfRun) {
  Collection c;
  c.Write();
  c.h.seam.nowMs = 1000;
  c.w.ProgramDir = c.h.home.path();
  c.w.ProfileFileName = c.h.home.write("PROFILES/demo.vrl", "x");
  c.w.EmulatorExe = "mame";
  c.w.EmulatorVersion = "0.37b16";
  c.w.TextEditor = "editor";
  c.h.home.write("finish.wav", "RIFF");
  TVerifyFRM v(&c.w);
  v.show();
  // Go follows the four main options.
  for (QCheckBox* b : {v.VerifyRoms, v.VerifySamples, v.VerifyImages}) b->click();
  EXPECT_FALSE(v.GoBTN->isEnabled());
  v.ReportUnsupported->click();
  EXPECT_TRUE(v.GoBTN->isEnabled());
  EXPECT_FALSE(v.RomClones->isEnabled());
  v.VerifyRoms->click();
  c.h.home.write("REPORT.TXT", "old");
  // With MAMECD on, a No keeps the window idle.
  c.w.MameCdEnabled = true;
  c.h.seam.messageAnswers = {plat::IDNO};
  v.GoBTNClick();
  EXPECT_EQ(v.AbortBTN->text(), "Cancel");
  ASSERT_EQ(c.h.seam.messages.size(), 1u);
  EXPECT_EQ(c.h.seam.messages[0].text,
            "You have the MAMECD option enabled. Since performing this test on\r"
            "CDs would be too slow, due to the intensive disk access, and would\r"
            "force you to continuously change disc, the Verify Set function cannot\r"
            "be performed on CD.\r\rWould you like to test the sets present on your hard disk?");
  v.GoBTNClick();  // Yes
  EXPECT_EQ(v.AbortBTN->text(), "Close");
  EXPECT_EQ(v.PassNameLBL->text(), "Done in 2 passes.");
  std::string text = c.h.home.read("REPORT.TXT");
  const std::string dateLabel = "Creation date: ............";
  auto p = text.find(dateLabel);
  ASSERT_NE(p, std::string::npos);
  text.replace(p + dateLabel.size(), text.find("\r\n", p) - p - dateLabel.size(), "DATE");
  const std::string rule(80, '-');
  const std::string expected =
      std::string(26, ' ') + "Velmora verification report\r\n" + std::string(80, '=') +
      "\r\n \r\n"
      "Profile: .................." + c.w.ProfileFileName + "\r\n"
      "Creation date: ............DATE\r\n"
      "MAME executable file: ....." + c.emu + "mame\r\n"
      "MAME version: .............0.37b16\r\n"
      "Romsets supported: ........5\r\n"
      "Resources needed: .........1\r\n" + rule + "\r\n \r\n"
      "\r\nResource set verification report:\r\n"
      "\r\nRom set verification report:\r\n"
      "\r\nUnsupported rom/sample sets report:\r\n"
      " \r\n" + rule + "\r\n \r\nOption settings resume:\r\n"
      "Verify romsets: ........................Yes\r\n"
      "Verify roms of clone sets: .............Yes\r\n"
      "Report \"no good dump\" missing files: ...No\r\n"
      "Report \"rom needs redump\" files: .......No\r\n"
      "Skip sets with no rom files: ...........Yes\r\n"
      "Verify sample sets: ....................No\r\n"
      "Verify sample sets quality: ............Yes\r\n"
      "Verify images: .........................No\r\n"
      "Check images in clone sets: ............No\r\n"
      "Report unused files in sets: ...........No\r\n"
      "Report unsupported sets: ...............Yes\r\n"
      " \r\nVerification report resume:\r\n"
      "Total missing rom files: ...............0\r\n"
      "Total corrupt rom files: ...............0\r\n"
      "Total misspelled rom files: ...........0\r\n"
      "Total faulty sets: .....................0\r\n"
      "Total skipped sets: ....................0\r\n"
      "Total unsupported sets: ................0\r\n"
      "Time needed to accomplish the test: ....00:00:00\r\n"
      "Passes done in the whole test: .........2\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(c.h.seam.sounds, std::vector<std::string>{c.h.home.path() + "finish.wav"});
  ASSERT_EQ(c.h.seam.started.size(), 1u);
  EXPECT_EQ(c.h.seam.started[0],
            (std::vector<std::string>{"editor", c.h.home.path() + "REPORT.TXT"}));
  // Go and the options are back after the run: a second run counts afresh.
  EXPECT_TRUE(v.GoBTN->isEnabled() && v.VerifyRoms->isEnabled() && v.LogFileName->isEnabled());
  v.GoBTNClick();
  EXPECT_EQ(c.h.seam.started.size(), 2u);
  EXPECT_EQ(v.AbortBTN->text(), "Close");
  // Enter presses Close.
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&v, &enter);
  EXPECT_FALSE(v.isVisible());
}

TEST(VerifyWindow, AbortKeepsAnEarlierReportAndADeclinedAbortGoesOn) {
  for (int answer : {plat::IDNO, plat::IDYES})
  for (bool viaClose : {false, true}) {
    Collection c;
    c.Write();
    c.w.ProgramDir = c.h.home.path();
    c.h.home.write("REPORT.TXT", "earlier");
    TVerifyFRM v(&c.w);
    v.show();
    v.OpenInEditor->setChecked(false);
    c.h.seam.messageAnswers = {answer};
    bool closed = true;
    QTimer::singleShot(0, v.AbortBTN, [&] {
      v.GoBTNClick();  // no second run inside the first
      // Closing the window asks as Abort does.
      if (viaClose) closed = v.close(); else v.AbortBTN->click();
    });
    v.GoBTNClick();
    ASSERT_EQ(c.h.seam.messages.size(), 1u);
    EXPECT_EQ(c.h.seam.messages[0].text,
              "This will terminate the rom scanning and discard the verification results.\r"
              "Are you sure you want to abort this process now?");
    const bool aborted = answer == plat::IDYES;
    EXPECT_FALSE(viaClose && closed);
    EXPECT_EQ(v.isVisible(), !aborted);
    EXPECT_EQ(c.h.home.read("REPORT.TXT") == "earlier", aborted);
    EXPECT_FALSE(plat::DirExists(c.emu + "$VRTEMP$"));
  }
}

// The end of the session during a run: it stops as an abort does, asking nothing.
TEST(VerifyWindow, TheSessionEndStopsARunAndCleansUp) {
  Collection c;
  c.Write();
  c.w.ProgramDir = c.h.home.path();
  c.h.home.write("REPORT.TXT", "earlier");
  TVerifyFRM v(&c.w);
  v.show();
  QTimer::singleShot(0, v.AbortBTN, [&c] { c.w.EndSession(); });
  v.GoBTNClick();
  EXPECT_FALSE(v.isVisible());
  EXPECT_EQ(c.h.home.read("REPORT.TXT"), "earlier");
  EXPECT_FALSE(plat::DirExists(c.emu + "$VRTEMP$"));
  EXPECT_TRUE(c.h.seam.messages.empty()) << c.h.seam.AllMessages();
}
