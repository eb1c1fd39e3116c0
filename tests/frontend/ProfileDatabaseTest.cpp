#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QTextEdit>
#include <string>
#include <vector>

#include "database/GameCompare.h"
#include "database/Listinfo.h"
#include "database/ProfileFile.h"
#include "database/Report.h"
#include "database/Working.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "frontend/MainWindowHarness.h"
#include "support/TempDir.h"

using plat::IDNO;
using plat::IDOK;
using plat::IDYES;

namespace {

const char* const kCatalogue =
    "game ( name pacman description \"Pac-Man\" year 1980\n"
    " rom ( name pacman.6e size 4096 crc c1e6ab10 )\n"
    " chip ( type cpu name Z80 clock 3072000 )\n"
    " dipswitch ( name \"Lives\" entry \"1\" entry \"2\" default \"2\" ) sample x.wav )\n"
    "game ( name puckman cloneof pacman romof pacman rom ( name pm1 merge pacman.6e size 4096 ) )\n"
    "resource ( name neogeo description \"BIOS\" )\n";

const char* const kParseErrorsText =
    "Velmora encountered errors in parsing the emulator's listinfo file.\r"
    "You will be asked whether to use the resulting profile anyway after having viewed the error log.\r"
    "Although there will probably be no problems at all in using it, you are encouraged to download "
    "an\r"
    "updated version of this program, which is probably already available (or will be soon) on "
    "the\r"
    "author's web site (see the about box).\r"
    "Since bugged profiles are known to make the front-end crash sometimes, please do not report "
    "such\r"
    "problems to the author. He is perfectly aware of them. Thank you.";

class ProfileDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    main.ProgramDir = dir.path();
    main.CaptureFile = dir.file("$VRTEMP$.NFO");
    main.EmulatorDir = "/opt/mame/";
    main.EmulatorExe = "mame";
    main.EmulatorVersion = "M.A.M.E. v0.36";
  }
  void TearDown() override { main.RemoveCaptureFile(); }
  // The catalogue as the emulator leaves it in the capture file we made and hold open.
  bool Parse(const std::string& text) {
    dir.write("$VRTEMP$.NFO", text);
    Hold();
    return main.ParseListInfo();
  }
  void Hold() {
    if (main.CaptureFd >= 0) close(main.CaptureFd);
    main.CaptureFd = open(main.CaptureFile.c_str(), O_RDWR | O_CLOEXEC);
  }
  // Answers the compression question.
  bool Save(const std::string& file, bool compressed) {
    seam.messageAnswers.push_back(compressed ? IDYES : IDNO);
    return main.SaveProfile(file);
  }
  // The report's text, read while it is shown.
  void CaptureReport() {
    seam.modalHandlers.push_back([this](QWidget* w) {
      auto* report = qobject_cast<TReportFRM*>(w);
      if (report && report->Doc) reportText = report->Doc->toPlainText().toStdString();
      return 1;
    });
  }

  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TMainFRM& main = h.Make();
  TempDir dir;
  std::string reportText;
};

}  // namespace

TEST_F(ProfileDatabase, ParseWithoutErrorsFillsTheDatabaseAndReports) {
  ASSERT_TRUE(Parse(kCatalogue));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].title, "Velmora");
  EXPECT_EQ(seam.messages[0].text,
            "MAME info file parsed successfully!\r\rM.A.M.E. v0.36\rGames found:     2\r"
            "Resources found: 1");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONINFORMATION);
  EXPECT_TRUE(seam.modalWindows.empty());
  // The progress window showed the step and is gone again.
  EXPECT_EQ(h.working->Operation->text().toStdString(), "Parsing MAME listinfo file...");
  EXPECT_GT(h.working->MessagePumps(), 0);
  EXPECT_FALSE(h.working->isVisible());
  ASSERT_EQ(main.Games->size(), 2u);
  ASSERT_EQ(main.Resources->size(), 1u);
  // "All games" holds the games only, in order.
  ASSERT_EQ(main.Filters->size(), 1u);
  const FilterDescriptor& all = *main.Filters->at(0);
  EXPECT_EQ(all.Name, "All games");
  EXPECT_TRUE(all.FileName.empty());
  EXPECT_EQ(all.Modified, 0);
  ASSERT_EQ(all.Entries->size(), 2u);
  EXPECT_EQ(all.Entries->at(0)->Game, main.Games->at(0).get());
  EXPECT_EQ(all.Entries->at(1)->Game, main.Games->at(1).get());
  EXPECT_TRUE(all.Entries->at(1)->Folder.empty());
  // The name index is built.
  EXPECT_EQ(main.FindGameByName("PUCKMAN"), main.Games->at(1).get());
  EXPECT_EQ(main.FindGameByName("NEOGEO"), main.Resources->at(0).get());
  EXPECT_EQ(main.FindGameByName("pacman"), nullptr);
  EXPECT_EQ(main.FindGameByName(""), nullptr);
}

TEST_F(ProfileDatabase, ParseErrorsAreReportedAndTheUserDecides) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    seam.messages.clear();
    seam.modalWindows.clear();
    seam.messageAnswers = {IDOK, answer};
    CaptureReport();
    const bool use = Parse(std::string(kCatalogue) +
                           "game ( name bad year 19?? sound ( players 2 ) )\n"
                           "game ( name open rom ( name a size 1");
    EXPECT_EQ(use, answer == IDYES);
    EXPECT_EQ(seam.modalWindows, (std::vector<std::string>{"TReportFRM"}));
    ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
    EXPECT_EQ(seam.messages[0].text, kParseErrorsText);
    EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
    EXPECT_EQ(seam.messages[1].text, "Do you want to use this profile anyway?");
    EXPECT_EQ(seam.messages[1].flags, plat::MB_YESNO | plat::MB_ICONWARNING);
    for (const char* line : {"Profile creation errors",
                             "Cannot convert value to binary: GAME\\YEAR=19??",
                             "Tag not allowed: GAME\\SOUND\\PLAYERS",
                             "End of file reached inside the GAME\\ROM block of the GAME entry "
                             "OPEN: the entry was ignored."})
      EXPECT_NE(reportText.find(line), std::string::npos) << line << "\n" << reportText;
    // The database stands either way, with its name index.
    ASSERT_EQ(main.Games->size(), 3u);
    EXPECT_EQ(main.FindGameByName("BAD"), main.Games->at(2).get());
    EXPECT_EQ(main.Filters->at(0)->Entries->size(), 3u);
  }
}

TEST_F(ProfileDatabase, AnEmptyCatalogueIsAFailure) {
  EXPECT_FALSE(Parse("\r\n"));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "No game was found in the emulator's listinfo file.\rThe profile cannot be created.");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
  EXPECT_TRUE(seam.modalWindows.empty());

  // With errors the report shows why; no question is asked.
  seam.messages.clear();
  CaptureReport();
  EXPECT_FALSE(Parse("resource ( name bios ) junk ( x )"));
  EXPECT_EQ(seam.modalWindows, (std::vector<std::string>{"TReportFRM"}));
  EXPECT_NE(reportText.find("Tag unknown: JUNK"), std::string::npos);
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "No game was found in the emulator's listinfo file.\rThe profile cannot be created.");

  // One game more than a profile numbers: refused, nothing kept.
  seam.messages.clear();
  std::string many;
  for (int i = 0; i < 65536; ++i) many += "game ( )\n";
  EXPECT_FALSE(Parse(many));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "The emulator's listinfo file holds more than 65,535 games: a profile cannot keep so "
            "many.\rThe profile cannot be created.");
  EXPECT_TRUE(main.Games->empty());
}

TEST_F(ProfileDatabase, AMissingCaptureFileChangesNothing) {
  ASSERT_TRUE(Parse(kCatalogue));
  GameRecord* first = main.Games->at(0).get();
  main.RemoveCaptureFile();
  EXPECT_FALSE(plat::FileExists(main.CaptureFile));
  seam.messages.clear();
  EXPECT_FALSE(main.ParseListInfo());
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "Cannot read game info file!");
  EXPECT_EQ(main.Games->at(0).get(), first);
  EXPECT_EQ(main.FindGameByName("PACMAN"), first);
  // One larger than any catalogue is refused unread, and says why (sparse: takes no disk).
  plat::WriteFileAtomic(main.CaptureFile, "");
  std::filesystem::resize_file(main.CaptureFile, listinfo::kMaxListingSize + 1);
  Hold();
  seam.messages.clear();
  EXPECT_FALSE(main.ParseListInfo());
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "Cannot read game info file!\rLarger than 128 MB");
  EXPECT_EQ(main.FindGameByName("PACMAN"), first);
}

TEST_F(ProfileDatabase, SaveAndLoadGiveTheSameDatabase) {
  ASSERT_TRUE(Parse(kCatalogue));
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "stored");
    const std::string file = dir.file(compressed ? "packed.vrl" : "plain.vrl");
    seam.messages.clear();
    ASSERT_TRUE(Save(file, compressed)) << seam.AllMessages();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text,
              "You can use compression to save your profile to disk.\r"
              "Compressed profiles load a little slower but need less disk space, while\r"
              "uncompressed profiles load faster but need more disk space.\r\r"
              "Do you want to save the profile in compressed format?");
    EXPECT_EQ(seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONQUESTION);
    const std::string bytes = dir.read(file);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[32]), compressed ? 0xC1 : 0xC0);
    EXPECT_EQ(main.ProfileFileName, file);
    EXPECT_EQ(main.RecentProfiles[0], file);

    TMainFRM other;
    ASSERT_TRUE(other.LoadProfile(file)) << seam.AllMessages();
    EXPECT_EQ(other.EmulatorDir, "/opt/mame/");
    EXPECT_EQ(other.EmulatorExe, "mame");
    EXPECT_EQ(other.EmulatorVersion, "M.A.M.E. v0.36");
    EXPECT_EQ(other.ProfileFileName, file);
    EXPECT_EQ(other.RecentProfiles[0], file);
    ExpectSameGames(*main.Games, *other.Games);
    ExpectSameGames(*main.Resources, *other.Resources);
    ASSERT_EQ(other.Filters->size(), 1u);
    EXPECT_EQ(other.Filters->at(0)->Name, "All games");
    ASSERT_EQ(other.Filters->at(0)->Entries->size(), 2u);
    EXPECT_EQ(other.Filters->at(0)->Entries->at(1)->Game, other.Games->at(1).get());
    EXPECT_EQ(other.FindGameByName("NEOGEO"), other.Resources->at(0).get());
  }
}

TEST_F(ProfileDatabase, SaveFailuresAreReportedAndLeaveTheOldFile) {
  // Nothing to save.
  EXPECT_FALSE(main.SaveProfile(dir.file("none.vrl")));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "The profile cannot be saved: the game list is empty.");
  EXPECT_FALSE(plat::FileExists(dir.file("none.vrl")));

  ASSERT_TRUE(Parse(kCatalogue));
  const std::string good = dir.file("good.vrl");
  ASSERT_TRUE(Save(good, false));
  const std::string before = dir.read(good);

  // A folder, file name or version the profile cannot hold.
  const std::pair<std::string*, const char*> held[] = {
      {&main.EmulatorDir, "the emulator folder name"},
      {&main.EmulatorExe, "the emulator file name"},
      {&main.EmulatorVersion, "the emulator's version line"}};
  for (const auto& [text, what] : held) {
    seam.messages.clear();
    const std::string keep = *text;
    *text = std::string(256, 'd');
    EXPECT_FALSE(main.SaveProfile(good));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text.rfind(std::string("The profile cannot be saved: ") + what +
                                              " is longer than 255 characters.\r", 0),
              0u);
    *text = keep;
  }
  EXPECT_EQ(dir.read(good), before);

  // A write that fails: the profile name and the recent list stay as they were.
  seam.messages.clear();
  const std::string missing = dir.file("no/such/folder/x.vrl");
  EXPECT_FALSE(Save(missing, true));
  ASSERT_EQ(seam.messages.size(), 2u);
  EXPECT_EQ(seam.messages[1].text.rfind("Cannot save the profile " + missing + ":\r", 0), 0u);
  EXPECT_EQ(main.ProfileFileName, good);
  EXPECT_EQ(main.RecentProfiles[0], good);
  EXPECT_EQ(dir.read(good), before);
}

TEST_F(ProfileDatabase, ARefusedFileLeavesTheLoadedProfileUsable) {
  ASSERT_TRUE(Parse(kCatalogue));
  const std::string good = dir.file("good.vrl");
  ASSERT_TRUE(Save(good, true));
  ASSERT_TRUE(main.LoadProfile(good));
  GameRecord* first = main.Games->at(0).get();
  FilterDescriptor* all = main.Filters->at(0).get();

  const std::string bytes = dir.read(good);
  std::string header = bytes;
  header[0] = 'v';
  std::string cut = bytes.substr(0, bytes.size() - 10);
  std::string stored(profile::ProfileHeader);
  stored += std::string("\xC0\x10\x00\x00\x00", 5) + "short";
  // One game more than a profile numbers.
  std::string record(1, '\xBA');
  profile::WriteGameRecord(record, *types::NewGameRecord());
  std::string body(3, '\0'), large;
  for (int i = 0; i < 65536; ++i) body += record;
  ASSERT_TRUE(profile::BuildFile(body, true, large));
  struct Case {
    std::string name, bytes, message;
  } cases[] = {
      {"bad-header.vrl", header, dir.file("bad-header.vrl") + ": invalid file type"},
      {"cut.vrl", cut,
       "Cannot read the profile " + dir.file("cut.vrl") + ": it is damaged.\r\rPlease rescan the profile."},
      {"short.vrl", stored,
       "Could not uncompress the source stream.\rMost likely you are trying to load an old "
       "profile\ror the profile you want to load is damaged.\r\rPlease rescan the profile."},
      {"large.vrl", large,
       "Cannot read the profile " + dir.file("large.vrl") + ": it holds more than 65,535 games, "
       "more than Velmora keeps of a catalogue.\r\rPlease rescan the profile."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seam.messages.clear();
    const std::string path = dir.write(c.name, c.bytes);
    EXPECT_FALSE(main.LoadProfile(path));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, c.message);
    EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
    EXPECT_EQ(main.Games->at(0).get(), first);
    EXPECT_EQ(main.Filters->at(0).get(), all);
    EXPECT_EQ(main.FindGameByName("PACMAN"), first);
    EXPECT_EQ(main.ProfileFileName, good);
    EXPECT_EQ(main.EmulatorExe, "mame");
  }
  // Neither a missing file nor a pipe (never waited on) nor a device (never read without end).
  ASSERT_EQ(mkfifo(dir.file("pipe.vrl").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.file("zero.vrl").c_str()), 0);
  for (const char* name : {"absent.vrl", "pipe.vrl", "zero.vrl"}) {
    seam.messages.clear();
    EXPECT_FALSE(main.LoadProfile(dir.file(name)));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text.rfind("Cannot read the profile " + dir.file(name), 0), 0u);
    EXPECT_EQ(main.Games->at(0).get(), first);
  }
}

TEST_F(ProfileDatabase, LoadFindsTheFileWithoutRegardToCase) {
  ASSERT_TRUE(Parse(kCatalogue));
  ASSERT_TRUE(Save(dir.file("Mame.vrl"), false));
  TMainFRM other;
  ASSERT_TRUE(other.LoadProfile(dir.file("MAME.VRL"))) << seam.AllMessages();
  EXPECT_EQ(other.ProfileFileName, dir.file("MAME.VRL"));
  EXPECT_EQ(other.Games->size(), 2u);
}

TEST_F(ProfileDatabase, UnsavedFiltersAreConfirmedFirst) {
  ASSERT_TRUE(Parse(kCatalogue));
  const std::string good = dir.file("good.vrl");
  ASSERT_TRUE(Save(good, false));
  auto mine = types::NewFilterDescriptor();
  mine->Name = "Mine";
  const std::string mineFile =
      dir.write("mine.vrf", "Velmora filter file v1.0=Mine\r\n\r\n\\Shooters\\PUCKMAN\r\n");
  mine->FileName = mineFile;
  mine->Modified = 1;
  main.Filters->push_back(std::move(mine));
  GameRecord* first = main.Games->at(0).get();

  // No: nothing is read and the loaded profile stays.
  seam.messages.clear();
  seam.messageAnswers = {IDNO};
  EXPECT_TRUE(main.LoadProfile(dir.file("never-read.vrl")));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "The \"Mine\" filter is not saved yet.\rContinue with the operation?");
  EXPECT_EQ(main.Games->at(0).get(), first);
  EXPECT_EQ(main.Filters->size(), 2u);
  EXPECT_EQ(main.FiltersToOpen, StringList{mineFile});

  // Yes: the profile replaces the database; the filter file is read again, its names
  // found through the new index.
  seam.messageAnswers = {IDYES};
  EXPECT_TRUE(main.LoadProfile(good));
  ASSERT_EQ(main.Filters->size(), 2u) << seam.AllMessages();
  EXPECT_EQ(main.Filters->at(1)->Name, "Mine");
  ASSERT_EQ(main.Filters->at(1)->Entries->size(), 1u);
  EXPECT_EQ(main.Filters->at(1)->Entries->at(0)->Game, main.Games->at(1).get());
  EXPECT_EQ(main.Filters->at(1)->Entries->at(0)->Folder, "\\Shooters\\");
}

TEST_F(ProfileDatabase, RecentListsKeepNamesAsGiven) {
  for (int i = 1; i <= 9; ++i) main.AddRecentProfile("/p/Profile" + std::to_string(i) + ".vrl");
  EXPECT_EQ(main.RecentProfiles[0], "/p/Profile9.vrl");
  EXPECT_EQ(main.RecentProfiles[8], "/p/Profile1.vrl");
  // A name already listed, in another case, changes nothing.
  main.AddRecentProfile("/P/PROFILE5.VRL");
  EXPECT_EQ(main.RecentProfiles[0], "/p/Profile9.vrl");
  EXPECT_EQ(main.RecentProfiles[4], "/p/Profile5.vrl");
  // A new name enters at the head as given; the ninth drops out.
  main.AddRecentProfile("/p/New.vrl");
  EXPECT_EQ(main.RecentProfiles[0], "/p/New.vrl");
  EXPECT_EQ(main.RecentProfiles[1], "/p/Profile9.vrl");
  EXPECT_EQ(main.RecentProfiles[8], "/p/Profile2.vrl");

  main.AddRecentFilter("/f/Shooters.vrf");
  main.AddRecentFilter("/f/shooters.VRF");
  EXPECT_EQ(main.RecentFilters[0], "/f/Shooters.vrf");
  EXPECT_TRUE(main.RecentFilters[1].empty());
  main.AddRecentFilter("");
  EXPECT_TRUE(main.RecentFilters[1].empty());
}

TEST_F(ProfileDatabase, NameIndexAnswers) {
  EXPECT_EQ(main.FindGameByName("PACMAN"), nullptr);  // no index yet
  ASSERT_TRUE(Parse("game ( name dup ) game ( name 1942 ) resource ( name dup ) "
                    "game ( name \"MixCase\" ) game ( name _under )"));
  EXPECT_EQ(main.FindGameByName("DUP"), main.Games->at(0).get());  // games come first
  EXPECT_EQ(main.FindGameByName("1942"), main.Games->at(1).get());
  EXPECT_EQ(main.FindGameByName("MixCase"), main.Games->at(2).get());
  EXPECT_EQ(main.FindGameByName("MIXCASE"), nullptr);
  EXPECT_EQ(main.FindGameByName("_UNDER"), main.Games->at(3).get());
  EXPECT_EQ(main.FindGameByName("ZZZ"), nullptr);
  main.ClearDatabase();
  EXPECT_EQ(main.GameIndex, nullptr);
  EXPECT_EQ(main.FindGameByName("DUP"), nullptr);
  EXPECT_EQ(main.ProfileLoaded, 0);
  EXPECT_EQ(main.SelectedGame, nullptr);
}
