#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "frontend/MainWindowHarness.h"
#include "frontend/Preferences.h"
#include "frontend/SessionEnd.h"
#include "launch/TempFolder.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace {

const char* const kWelcomeStart = "Hi and welcome to Velmora!\rSince this is the first time";
const char* const kCrashStart = "Warning: MAME may have crashed your computer the last time";

bool Starts(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A settings file naming a last profile, so that a start does not take the first-run road;
// `more` follows.
void WriteLastProfile(MainWindowHarness& h, const std::string& profile,
                      const std::string& more = "") {
  h.home.write("VELMORA.INI", "[General]\r\nLastProfile=" + profile + "\r\n" + more);
}

// Shows the window, answering No to what it asks on the way.
TMainFRM& ShowAnsweringNo(MainWindowHarness& h) {
  TMainFRM& w = h.Make();
  h.seam.messageAnswers = {plat::IDNO};
  w.show();
  return w;
}

// Closes the window and reads back the settings it stored.
plat::IniFile StoredSettings(MainWindowHarness& h) {
  h.Destroy();
  plat::IniFile ini(h.home.file("VELMORA.INI"));
  ini.Load();
  return ini;
}

}  // namespace

TEST(Startup, CreationSetsFilesAndEnvironment) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  EXPECT_EQ(QApplication::applicationName(), "Velmora");
  EXPECT_EQ(w.ProgramDir, h.home.path());
  EXPECT_EQ(w.SettingsFileName, h.home.path() + "VELMORA.INI");
  EXPECT_EQ(w.StatsFileName, h.home.path() + "STATS.INI");
  EXPECT_EQ(w.HistoryFileName, h.home.path() + "HISTORY.TXT");
  EXPECT_EQ(w.CaptureFile, "$VRTEMP$.NFO");
  EXPECT_FALSE(w.ComSpec.empty());
  EXPECT_EQ(w.WindowsDir.back(), '/');
  EXPECT_EQ(w.StatusPanel1->text(), "Quick search: \"\"");
  ASSERT_TRUE(w.Filters);
  ASSERT_EQ(w.Filters->size(), 1u);
  EXPECT_EQ((*w.Filters)[0], nullptr);  // until a profile is read
  EXPECT_EQ(w.LastSelectedFilter, 0);    // -1, then read from the settings
  EXPECT_EQ(w.ProfileLoaded, 0);
  ASSERT_TRUE(w.PlayStats);
  EXPECT_TRUE(h.seam.messages.empty());
}

TEST(Startup, FirstRunWelcomesAndOffersANewProfile) {
  {
    // A hand-edited "firsttime" is the first run too.
    MainWindowHarness other;
    WriteLastProfile(other, "firsttime");
    other.Make().show();
    ASSERT_FALSE(other.seam.messages.empty());
    EXPECT_TRUE(Starts(other.seam.messages[0].text, kWelcomeStart)) << other.seam.AllMessages();
  }

  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.show();
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_TRUE(Starts(h.seam.messages[0].text, kWelcomeStart)) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[0].flags, 64u);
  EXPECT_EQ(h.seam.messages[0].title, "Velmora");
  EXPECT_EQ(w.ProfileLoaded, 0);  // the new-profile page was cancelled
  EXPECT_EQ(w.LanguageNames, StringList{"ENGLISH"});
  EXPECT_EQ(w.LanguageCaptions, StringList{"English"});
  EXPECT_TRUE(w.windowTitle().startsWith("Velmora"));
}

TEST(Startup, ShowStepsRunOnceAcrossMinimiseAndRestore) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.show();
  size_t shown = h.seam.messages.size();
  ASSERT_GE(shown, 1u);
  w.hide();
  w.showMinimized();
  w.showNormal();
  w.show();
  EXPECT_EQ(h.seam.messages.size(), shown);
  EXPECT_EQ(w.LanguageNames.size(), 1u);
}

TEST(Startup, ProfileArgumentInAnyCaseIsOpened) {
  MainWindowHarness h;
  WriteLastProfile(h, h.home.file("last.vrl"));
  TMainFRM& w = h.Make();
  std::string arg = h.home.file("Other.vrl");
  w.Arguments = {arg, h.home.file("ignored.vrf")};
  h.seam.messageAnswers = {plat::IDNO};
  w.show();
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_TRUE(Starts(h.seam.messages[0].text, "Cannot find " + arg + " profile!"))
      << h.seam.AllMessages();
  EXPECT_TRUE(w.FiltersToOpen.empty());  // only the first argument counts
}

TEST(Startup, FilterArgumentIsRememberedAndTheLastProfileOpened) {
  MainWindowHarness h;
  std::string last = h.home.file("Profiles/Last.VRL");
  WriteLastProfile(h, last);
  h.home.write("VELMORA.INI", "[General]\r\nLastProfile=" + last +
                                  "\r\n[OpenFiltersAtBoot]\r\nX=/f/boot.vrf\r\n");
  TMainFRM& w = h.Make();
  std::string arg = h.home.file("Shooters.VRF");
  w.Arguments = {arg};
  h.seam.messageAnswers = {plat::IDNO};
  w.show();
  EXPECT_EQ(w.FiltersToOpen, (StringList{"/f/boot.vrf", arg}));
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_TRUE(Starts(h.seam.messages[0].text, "Cannot find " + last + " profile!"))
      << h.seam.AllMessages();
}

TEST(Startup, FilterArgumentOnTheFirstRunTriesTheFirstTimeProfile) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.Arguments = {"x.vrf"};
  h.seam.messageAnswers = {plat::IDNO};
  w.show();
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_TRUE(Starts(h.seam.messages[0].text, "Cannot find FIRSTTIME profile!"));
}

TEST(Startup, LeftoverTemporaryFolderWarnsOnceAndIsDeleted) {
  MainWindowHarness h;
  TempDir emu;
  emu.write("$VRTEMP$/ZYPHON.1A", "rom");
  emu.write("$VRTEMP$/sub/x.bin", "x");
  {
    TMainFRM& w = h.Make();
    h.LoadGames({"ZYPHON"}, emu.path());
    w.show();
    ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
    EXPECT_TRUE(Starts(h.seam.messages[0].text, kCrashStart));
    EXPECT_EQ(h.seam.messages[0].flags, 48u);
    EXPECT_FALSE(plat::DirExists(emu.file("$VRTEMP$")));
    h.Destroy();
  }
  h.seam.messages.clear();
  TMainFRM& again = h.Make();
  h.LoadGames({"ZYPHON"}, emu.path());
  again.show();
  EXPECT_TRUE(h.seam.messages.empty()) << h.seam.AllMessages();
}

TEST(Startup, TemporaryFolderThatCannotBeDeletedIsReported) {
  MainWindowHarness h;
  TempDir emu;
  emu.write("$VRTEMP$/LOCKED.BIN", "rom");
  emu.write("$VRTEMP$/FREE.BIN", "rom");
  launch::SetDeleteFileHookForTests(
      [](const std::string& path) { return plat::FileNameOf(path) != "LOCKED.BIN"; });
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, emu.path());
  w.show();
  launch::SetDeleteFileHookForTests(nullptr);
  ASSERT_EQ(h.seam.messages.size(), 2u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[1].text,
            "The temporary directory could not be deleted!\r"
            "This means one or more rom files of the game you ran could not be deleted.\r"
            "Please solve the problem and try again.");
  EXPECT_EQ(h.seam.messages[1].flags, 16u);
  EXPECT_TRUE(plat::FileExists(emu.file("$VRTEMP$/LOCKED.BIN")));
  EXPECT_FALSE(plat::FileExists(emu.file("$VRTEMP$/FREE.BIN")));
}

TEST(Startup, WithoutEmulatorFolderTheCurrentFolderIsLeftAlone) {
  MainWindowHarness h;
  TempDir cwd;
  cwd.write("$VRTEMP$/keep.txt", "mine");
  std::string before = plat::CurrentDir();
  ASSERT_TRUE(plat::SetCurrentDir(cwd.path()));
  WriteLastProfile(h, h.home.file("gone.vrl"));
  ShowAnsweringNo(h);
  plat::SetCurrentDir(before);
  EXPECT_TRUE(plat::FileExists(cwd.file("$VRTEMP$/keep.txt")));
  for (const ShownMessage& m : h.seam.messages) EXPECT_FALSE(Starts(m.text, kCrashStart));
}

TEST(Startup, PlacementIsRestoredAndStored) {
  MainWindowHarness h;
  QRect screen = QGuiApplication::screens().first()->availableGeometry();
  int left = screen.left() + 10, top = screen.top() + 12;
  WriteLastProfile(h, h.home.file("p.vrl"),
                   "[Window]\r\nUpperLeftX=" + std::to_string(left) +
                       "\r\nUpperLeftY=" + std::to_string(top) + "\r\nWidth=770\r\nHeight=575\r\n");
  TMainFRM& w = ShowAnsweringNo(h);
  // The stored placement is the window without its frame, read and written alike.
  EXPECT_EQ(w.geometry(), QRect(left, top, 770, 575));
  w.move(w.pos() + QPoint(5, 6));
  plat::IniFile ini = StoredSettings(h);
  EXPECT_EQ(ini.ReadString("Window", "UpperLeftX", ""), std::to_string(left + 5));
  EXPECT_EQ(ini.ReadString("Window", "UpperLeftY", ""), std::to_string(top + 6));
  EXPECT_EQ(ini.ReadString("Window", "Width", ""), "770");
  EXPECT_EQ(ini.ReadString("Window", "Maximized", ""), "0");
}

TEST(Startup, MaximisedWindowComesBackMaximised) {
  MainWindowHarness h;
  const QRect normal(QGuiApplication::screens().first()->availableGeometry().topLeft() +
                         QPoint(10, 12),
                     QSize(770, 575));
  WriteLastProfile(h, h.home.file("p.vrl"),
                   "[Window]\r\nMaximized=1\r\nUpperLeftX=" + std::to_string(normal.left()) +
                       "\r\nUpperLeftY=" + std::to_string(normal.top()) +
                       "\r\nWidth=770\r\nHeight=575\r\n");
  TMainFRM& w = ShowAnsweringNo(h);
  EXPECT_TRUE(w.isMaximized());
  // The size to return to is the stored one, and it is stored again.
  EXPECT_EQ(w.normalGeometry(), normal);
  plat::IniFile ini = StoredSettings(h);
  EXPECT_EQ(ini.ReadString("Window", "Maximized", ""), "1");
  EXPECT_EQ(ini.ReadString("Window", "UpperLeftX", ""), std::to_string(normal.left()));
  EXPECT_EQ(ini.ReadString("Window", "Width", ""), "770");
  EXPECT_EQ(ini.ReadString("Window", "Height", ""), "575");
}

TEST(Startup, PlacementOffEveryScreenIsBroughtBack) {
  MainWindowHarness h;
  WriteLastProfile(h, h.home.file("p.vrl"), "[Window]\r\nUpperLeftX=9000\r\nUpperLeftY=-7000\r\n");
  TMainFRM& w = ShowAnsweringNo(h);
  QRect screen = QGuiApplication::screens().first()->availableGeometry();
  EXPECT_TRUE(screen.contains(w.pos())) << w.x() << "," << w.y();
}

TEST(Startup, CdRomDrivesDecideTheMameCdSetting) {
  {
    MainWindowHarness h;
    h.home.write("VELMORA.INI", "[MameCd]\r\nMameCd=1\r\n");
    plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{});
    TMainFRM& w = h.Make();
    EXPECT_TRUE(w.MameCdEnabled);
    w.show();
    EXPECT_FALSE(w.MameCdEnabled);  // no drive: the setting is switched off
  }
  {
    MainWindowHarness h;
    TempDir disc1, disc2;
    h.home.write("VELMORA.INI", "[MameCd]\r\nMameCd=1\r\n");
    plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{
        {"D:", disc1.path(), "MAMECD1", ""}, {"E:", disc2.path(), "MAMECD2", ""}});
    TMainFRM& w = h.Make();
    TPreferencesFRM prefs(&w);
    ASSERT_EQ(prefs.CdRom->count(), 2);
    EXPECT_EQ(prefs.CdRom->itemText(1), "E:");
    w.show();
    EXPECT_TRUE(w.MameCdEnabled);
  }
  plat::SetCdRomDrivesForTests(std::nullopt);
}

TEST(Shutdown, FailedSettingsWriteIsReportedAndTheRestStillWritten) {
  MainWindowHarness h;
  TempDir emu;
  h.Make();
  h.LoadGames({"ZYPHON"}, emu.path());
  ASSERT_TRUE(plat::MakeDirs(h.home.file("VELMORA.INI")));  // cannot be replaced by a file
  h.Destroy();
  ASSERT_FALSE(h.seam.messages.empty());
  EXPECT_TRUE(Starts(h.seam.messages[0].text, "The settings could not be written to "))
      << h.seam.AllMessages();
  EXPECT_TRUE(plat::FileExists(emu.file("MAME.CFG")));
}

TEST(Startup, SettingsAndStatisticsThatAreNoRegularFilesAreToldAndKept) {
  struct Case { const char* file; bool pipe; const char* told; };
  for (const Case& c : {Case{"VELMORA.INI", true, "The settings cannot be read from "},
                        Case{"VELMORA.INI", false, "The settings cannot be read from "},
                        Case{"STATS.INI", true, "The statistics cannot be read from "},
                        Case{"STATS.INI", false, "The statistics cannot be read from "}}) {
    SCOPED_TRACE(std::string(c.file) + (c.pipe ? " pipe" : " /dev/zero"));
    MainWindowHarness h;
    const std::string path = h.home.file(c.file);
    ASSERT_EQ(c.pipe ? mkfifo(path.c_str(), 0600) : symlink("/dev/zero", path.c_str()), 0);
    h.Make();
    ASSERT_FALSE(h.seam.messages.empty());
    EXPECT_EQ(h.seam.messages[0].text.rfind(c.told + path + ":\rNot a regular file\r", 0), 0u)
        << h.seam.AllMessages();
    h.Destroy();
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(c.pipe ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
  }
}

TEST(Shutdown, FilterListIsKeptWhenNoProfileCouldBeOpened) {
  MainWindowHarness h;
  WriteLastProfile(h, h.home.file("gone.vrl"),
                   "[OpenFiltersAtBoot]\r\nFilter1=/f/a.vrf\r\nFilter4=/f/b.vrf\r\n");
  TMainFRM& w = ShowAnsweringNo(h);
  EXPECT_EQ(w.ProfileLoaded, 0);
  plat::IniFile ini = StoredSettings(h);
  EXPECT_EQ(ini.ReadSectionValues("OpenFiltersAtBoot"),
            (std::vector<std::string>{"Filter1=/f/a.vrf", "Filter2=/f/b.vrf"}));
}

TEST(Shutdown, NoProfileLeavesMameCfgUntouched) {
  MainWindowHarness h;
  TempDir emu;
  emu.write("MAME.CFG", "[config]\nvsync=yes\n");
  TMainFRM& w = h.Make();
  w.EmulatorDir = emu.path();
  h.Destroy();
  EXPECT_EQ(emu.read("MAME.CFG"), "[config]\nvsync=yes\n");
}

TEST(Shutdown, CloseAsksForEachUnsavedFilterAndKeepsMarksOnNo) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON", "MOONRUN"}, h.home.path());
  FilterDescriptor* a = h.AddFilter("Shooters", {"ZYPHON"}, 1);
  h.AddFilter("Saved", {"ZYPHON"}, 0);
  FilterDescriptor* b = h.AddFilter("Puzzles", {"MOONRUN"}, 1);
  w.show();
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDNO, plat::IDCANCEL};
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.seam.messages[0].text, "The \"Shooters\" filter is not saved yet.\rSave it first?");
  EXPECT_EQ(h.seam.messages[0].flags, 51u | plat::MB_SAVEDONTSAVE);
  EXPECT_EQ(h.seam.messages[1].text, "The \"Puzzles\" filter is not saved yet.\rSave it first?");
  // Nothing was let go: both are still unsaved and a later question asks about both again.
  EXPECT_EQ(a->Modified, 1);
  EXPECT_EQ(b->Modified, 1);
  // Save writes a filter that has no file yet to the name chosen; Don't save lets one go.
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDYES, plat::IDNO};
  h.seam.fileAnswers = {h.home.path() + "SHOOTERS.VRF"};
  EXPECT_TRUE(w.close());
  EXPECT_EQ(h.seam.messages.size(), 2u);
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(plat::FileExists(h.home.path() + "SHOOTERS.VRF"));
  EXPECT_EQ(a->Modified, 0);
}

TEST(Shutdown, QuitActionRunsTheCloseQuestion) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, h.home.path());
  h.AddFilter("Mine", {"ZYPHON"}, 1);
  w.show();
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDCANCEL};
  w.FileQuitACTN->trigger();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(h.seam.messages.size(), 1u);
}

// The end of the session (a signal, caught in the event loop, or the session manager's order)
// is a close that asks nothing. Each unsaved filter goes to a new file, never over another,
// which its tab opens next time; the filter's own file stays as it was.
TEST(Shutdown, TheSessionEndIsACloseThatAsksNothingAndKeepsUnsavedFilters) {
  const std::function<void()> ways[] = {[] { raise(SIGTERM); }, [] { raise(SIGHUP); },
                                        [] { raise(SIGINT); }, [] {
                                          QEvent quit(QEvent::Quit);
                                          QCoreApplication::sendEvent(qApp, &quit);
                                        }};
  for (size_t way = 0; way < std::size(ways); ++way) {
    SCOPED_TRACE(way);
    MainWindowHarness h;
    TMainFRM& w = h.Make();
    h.LoadGames({"ZYPHON", "MOONRUN"}, h.home.path());
    ASSERT_TRUE(w.SaveFilterFile(h.AddFilter("Saved", {"ZYPHON"}, 0, h.home.file("SAVED.VRF"))));
    h.home.write("SHOOT.VRF", "own file");
    h.home.write("PUZZLES (NOT SAVED).VRF", "another file");
    h.AddFilter("Shooters", {"ZYPHON"}, 1, h.home.file("SHOOT.VRF"));
    h.AddFilter("Puzzles", {"MOONRUN"}, 1);
    w.show();
    w.ListTabs->setCurrentIndex(3);
    w.SelectedGame = h.Game("MOONRUN");
    w.SelectLastGame();
    QCoreApplication::processEvents();
    h.seam.messages.clear();
    for (int s : {SIGTERM, SIGHUP, SIGINT}) signal(s, SIG_DFL);  // as a desktop starts it
    {
      TSessionEndWatch watch(&w);
      ways[way]();
      for (int i = 0; i < 100 && w.isVisible(); ++i) QCoreApplication::processEvents();
    }
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(h.seam.messages.empty()) << h.seam.AllMessages();
    plat::IniFile ini = StoredSettings(h);
    EXPECT_EQ(ini.ReadSectionValues("OpenFiltersAtBoot"),
              (std::vector<std::string>{"Filter1=" + h.home.file("SAVED.VRF"),
                                        "Filter2=" + h.home.file("Shooters (not saved).VRF"),
                                        "Filter3=" + h.home.file("Puzzles (not saved) 2.VRF")}));
    EXPECT_EQ(ini.ReadString("Sort", "LastSelectedFilter", ""), "3");
    EXPECT_EQ(ini.ReadString("Sort", "LastSelected", ""), "MOONRUN");
    EXPECT_EQ(h.home.read("SHOOT.VRF"), "own file");
    EXPECT_EQ(h.home.read("PUZZLES (NOT SAVED).VRF"), "another file");
    EXPECT_NE(h.home.read("Puzzles (not saved) 2.VRF").find("MOONRUN"), std::string::npos);
  }
}

// The session manager's request to store: the filters' question where it may ask (Cancel keeps
// the session going), then what a close stores; the program goes on and a later close asks
// about later changes.
TEST(Shutdown, TheSessionManagersRequestAsksAsACloseThenStores) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, h.home.path());
  FilterDescriptor* f = h.AddFilter("Mine", {"ZYPHON"}, 1);
  w.show();
  QCoreApplication::processEvents();
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDCANCEL};
  EXPECT_FALSE(w.CommitSessionData(true));
  EXPECT_FALSE(plat::FileExists(h.home.file("VELMORA.INI")));
  EXPECT_TRUE(w.CommitSessionData(false));
  EXPECT_TRUE(plat::FileExists(h.home.file("VELMORA.INI")));
  EXPECT_EQ(f->Modified, 1);
  h.seam.messageAnswers = {plat::IDNO};
  EXPECT_TRUE(w.CommitSessionData(true));
  EXPECT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(f->Modified, 0);
  EXPECT_TRUE(w.isVisible());
  f->Modified = 1;
  h.seam.messageAnswers = {plat::IDCANCEL};
  EXPECT_FALSE(w.close());
  EXPECT_EQ(h.seam.messages.size(), 3u);
}

// Windows open when the session ends close as cancelled, and later ones answer at once.
TEST(Shutdown, TheSessionEndClosesOpenDialogsAndLaterOnesAnswerAtOnce) {
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    MainWindowHarness h;
    TMainFRM& w = h.Make();
    w.show();
    QCoreApplication::processEvents();
    h.seam.messages.clear();
    h.seam.modalWindows.clear();
    TDXForm form;
    QTimer::singleShot(0, &w, [&w] { w.EndSession(); });
    plat::FileDialogRequest request;
    if (kind == 0)
      EXPECT_EQ(h.seam.Seam::MessageBoxText(&w, "Velmora", "Go on?", plat::MB_YESNO), plat::IDNO);
    else if (kind == 1)
      EXPECT_FALSE(h.seam.Seam::FileDialog(&w, request));
    else
      EXPECT_EQ(h.seam.Seam::ShowModal(&form), 0);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(plat::Ui().MessageBox(&w, "Velmora", "Save?", plat::MB_YESNOCANCEL), plat::IDCANCEL);
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_FALSE(plat::Ui().FileDialog(&w, request));
    EXPECT_TRUE(h.seam.messages.empty() && h.seam.modalWindows.empty());
  }
}

TEST(ReopenMenus, EntriesCountTheFilledSlotsAndKeepTheSpelling) {
  MainWindowHarness h;
  h.home.write("VELMORA.INI", "[ReopenList]\r\nFile2=/p/Rock & Roll.vrl\r\nFile5=/p/b.VRL\r\n");
  TMainFRM& w = h.Make();
  QList<QAction*> profiles = w.ReopenProfileSUB->actions();
  ASSERT_EQ(profiles.size(), 2);
  EXPECT_EQ(profiles[0]->text(), "&1. /p/Rock && Roll.vrl");
  EXPECT_EQ(profiles[0]->objectName(), "ReopenFile2OPT");
  EXPECT_EQ(profiles[0]->property("tag").toInt(), 2);
  EXPECT_EQ(profiles[1]->text(), "&2. /p/b.VRL");
  EXPECT_EQ(profiles[1]->property("tag").toInt(), 5);
  QList<QAction*> filters = w.ReopenFilterSUB->actions();
  ASSERT_EQ(filters.size(), 1);
  EXPECT_EQ(filters[0]->objectName(), "ReopenFilterNoneOPT");
  EXPECT_EQ(filters[0]->text(), "<none>");
  EXPECT_FALSE(filters[0]->isEnabled());
  // Choosing an entry opens that slot's profile.
  h.seam.messageAnswers = {plat::IDNO};
  profiles[1]->trigger();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_TRUE(Starts(h.seam.messages[0].text, "Cannot find /p/b.VRL profile!"));
}

TEST(ReopenMenus, OpenProfileDialog) {
  MainWindowHarness h;
  plat::MakeDirs(h.home.file("PROFILES"));
  TMainFRM& w = h.Make();
  w.FileProfileOpenACTN->trigger();
  ASSERT_EQ(h.seam.fileRequests.size(), 1u);
  const plat::FileDialogRequest& r = h.seam.fileRequests[0];
  EXPECT_EQ(r.title, "Open profile");
  EXPECT_EQ(r.filter, "Velmora profiles (*.VRL)|*.VRL");
  EXPECT_EQ(r.defaultExt, "VRL");
  EXPECT_EQ(r.fileName, "MAME.VRL");
  EXPECT_EQ(r.initialDir, h.home.file("PROFILES/"));
  EXPECT_TRUE(r.mustExist);
  EXPECT_TRUE(h.seam.messages.empty());  // cancelled: nothing opened
}
