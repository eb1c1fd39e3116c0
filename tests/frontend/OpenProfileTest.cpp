#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <optional>
#include <QTextEdit>
#include <cstdlib>
#include <cstring>

#include "database/NewMame.h"
#include "database/ProfileFile.h"
#include "frontend/GameTree.h"
#include "frontend/main.h"
#include "platform/Files.h"
#include "frontend/MainWindowHarness.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

namespace {

// Keeps the process's current folder across a test.
struct KeepCurrentDir {
  std::string dir = plat::CurrentDir();
  KeepCurrentDir() { unsetenv("VELMORA_DEMO_EMULATOR"); }
  ~KeepCurrentDir() { plat::SetCurrentDir(dir); }
};

// A stand-in emulator: prints its version line, or a catalogue with -listinfo.
std::string WriteEmulator(const TempDir& t, const std::string& rel, const std::string& version,
                          const std::string& catalogue = "", int status = 0) {
  std::string script = "#!/bin/sh\nif [ \"$1\" = -listinfo ]; then\ncat <<'EOF'\n" + catalogue +
                       "\nEOF\nexit " + std::to_string(status) + "\nfi\n";
  if (!version.empty()) script += "echo '" + version + "'\n";
  std::string path = t.write(rel, script);
  chmod(path.c_str(), 0755);
  return path;
}

// Works the new-profile page: executable, then profile file. `left`, when given, gets the file
// box of the page as Go left it when that is back on its first step, else "".
std::function<int(QWidget*)> Page(const std::string& exe, const std::string& profile,
                                  std::string* left = nullptr) {
  return [exe, profile, left](QWidget* w) {
    auto* p = static_cast<TNewMameFRM*>(w);
    p->FormShow();
    p->FileName->setText(QString::fromStdString(exe));
    p->NextBTNClick();
    p->FileName->setText(QString::fromStdString(profile));
    p->GoBTNClick();
    if (left)
      *left = p->NextBTN->isEnabled() && !p->GoBTN->isEnabled()
                  ? p->FileName->text().toStdString()
                  : std::string();
    return p->ModalResult();
  };
}

}  // namespace

TEST(CreateProfile, CancelledPageChangesNothing) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TMainFRM& f = h.Make();
  f.EmulatorDir = "/old/";
  f.CreateProfile();
  EXPECT_EQ(seam.modalWindows, std::vector<std::string>{"TNewMameFRM"});
  EXPECT_TRUE(seam.messages.empty());
  EXPECT_TRUE(seam.commands.empty());
  EXPECT_EQ(f.EmulatorDir, "/old/");
  EXPECT_EQ(plat::CurrentDir(), keep.dir);
}

TEST(CreateProfile, AnEmulatorThatPrintsNothingStopsBeforeTheCatalogue) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  std::string exe = WriteEmulator(t, "emu dir/mame", "");
  TMainFRM& f = h.Make();
  f.ProgramDir = t.path();
  f.EmulatorDir = "/old/";
  f.EmulatorVersion = "old version";
  f.ProfileLoaded = 1;
  seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  f.CreateProfile();
  ASSERT_EQ(seam.messages.size(), 1u) << seam.AllMessages();
  EXPECT_EQ(seam.messages[0].text, "Cannot determine MAME version.\rPlease choose a new emulator file");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
  // One run only, through the interpreter, every inserted name quoted; the output goes to the
  // capture file handed over open, not through a redirection of the shell.
  ASSERT_EQ(seam.commands.size(), 1u);
  EXPECT_EQ(seam.commands[0].substr(seam.commands[0].find(" -c ")),
            " -c '" + t.path() + "emu dir/mame'");
  // The capture file is gone, the profile in use untouched and its folder current again.
  EXPECT_FALSE(plat::FileExists(t.file("emu dir/$VRTEMP$.NFO")));
  EXPECT_EQ(f.EmulatorDir, "/old/");
  EXPECT_EQ(f.EmulatorVersion, "old version");
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_EQ(plat::CurrentDir(), keep.dir);
}

TEST(CreateProfile, DecliningTheVersionKeepsTheProfileInUseAndOnlyOurOwnCaptureIsRead) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  std::string exe = WriteEmulator(t, "emu/mame", "M.A.M.E. v0.37 (Jan  1 2000)");
  TMainFRM& f = h.Make();
  f.ProgramDir = t.path();
  f.EmulatorDir = "/old/";
  f.ProfileLoaded = 1;
  seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  seam.messageAnswers = {plat::IDNO};
  f.CreateProfile();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "The following version of the MAME emulator has been found:\r\r"
            "M.A.M.E. v0.37 (Jan  1 2000)\r\r"
            "MAME will now be scanned to determine all the available data of the supported games.\r"
            "This could take a while. Proceed with profile creation?");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONINFORMATION);
  EXPECT_EQ(seam.commands.size(), 1u);
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_EQ(plat::CurrentDir(), keep.dir);

  // Yes, but the catalogue run leaves no capture file.
  seam.messages.clear();
  seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  seam.processHandler = [](const std::string&, bool, plat::WaitMode) {
    return plat::ProcessResult{};
  };
  f.CreateProfile();
  ASSERT_EQ(seam.messages.size(), 1u) << seam.AllMessages();
  // The version run gave nothing either: stopped there.
  EXPECT_EQ(seam.messages[0].text, "Cannot determine MAME version.\rPlease choose a new emulator file");

  // Another program on the same emulator removes the capture by name after each run and makes
  // its own: our runs are read from the capture we made (a version, then no game at all), and
  // the other program's file stays.
  seam.messages.clear();
  seam.commands.clear();
  seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  const std::string theirs = "Another 1.0\ngame ( name other )\n";
  seam.processHandler = [&](const std::string& cmd, bool shown, plat::WaitMode wait) {
    EXPECT_FALSE(shown);
    EXPECT_NE(wait, plat::WaitMode::NoWait);
    auto r = plat::Ui().Seam::RunProcess(cmd, shown, wait);
    plat::RemoveFile("$VRTEMP$.NFO");
    t.write("emu/$VRTEMP$.NFO", theirs);
    return r;
  };
  f.CreateProfile();
  ASSERT_EQ(seam.commands.size(), 2u);
  EXPECT_EQ(seam.commands[1].substr(seam.commands[1].size() - 15), "mame' -listinfo");
  ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
  EXPECT_NE(seam.messages[0].text.find("\r\rM.A.M.E. v0.37 (Jan  1 2000)\r\r"), std::string::npos);
  EXPECT_EQ(seam.messages[1].text,
            "No game was found in the emulator's listinfo file.\rThe profile cannot be created.");
  EXPECT_EQ(t.read("emu/$VRTEMP$.NFO"), theirs);
}

// Runs `stop` on the progress window once it offers to stop (modal, with its Cancel button)
// showing `text`, or after a minute as a guard against a hang; tells whether it offered and
// what it showed.
struct StopLater {
  StopLater(const std::function<void(TWorkingFRM&)>& stop, const std::string& text) {
    QObject::connect(&timer, &QTimer::timeout, [this, stop, text] {
      offered = WorkingFRM && WorkingFRM->isVisible() && WorkingFRM->isModal() &&
                WorkingFRM->CancelBTN->isVisible();
      shown = WorkingFRM ? WorkingFRM->Operation->text().toStdString() : "";
      if ((!offered || shown != text) && ++ticks < 3000) return;
      timer.stop();
      if (WorkingFRM) stop(*WorkingFRM);
    });
    timer.start(20);
  }
  QTimer timer;
  int ticks = 0;
  bool offered = false;
  std::string shown;
};

const std::function<void(TWorkingFRM&)> kStopWays[] = {
    [](TWorkingFRM& w) { w.CancelBTN->click(); },
    [](TWorkingFRM& w) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(&w, &escape);
    },
    [](TWorkingFRM& w) { w.close(); }};

TEST(CreateProfile, AHungEmulatorIsStoppedAndThePageStaysOpenToChooseAgain) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TempDir t;
  const std::string exe = t.write("emu/mame", "#!/bin/sh\nsleep 1000\n");
  chmod(exe.c_str(), 0755);
  TMainFRM& f = h.Make();
  f.ProgramDir = t.path();
  for (const auto& stop : kStopWays) {
    h.seam.messages.clear();
    StopLater later(stop, "Getting MAME version...");
    std::string left;
    h.seam.modalHandlers.push_back(Page(exe, t.file("new.VRL"), &left));
    f.CreateProfile();
    EXPECT_TRUE(later.offered);
    EXPECT_EQ(later.shown, "Getting MAME version...");
    ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
    EXPECT_EQ(h.seam.messages[0].text, "Cannot determine MAME version.\rThe emulator has been "
                                       "stopped.\rPlease choose a new emulator file");
    EXPECT_EQ(left, exe);
    EXPECT_FALSE(WorkingFRM->isVisible());
    EXPECT_FALSE(WorkingFRM->isModal());
    EXPECT_FALSE(plat::FileExists(t.file("emu/$VRTEMP$.NFO")));
    EXPECT_EQ(plat::CurrentDir(), keep.dir);
  }
}

TEST(CreateProfile, AVersionLineWithoutEndIsReadBoundedAndShownShortened) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TempDir t;
  const std::string exe = t.write("emu/mame", "#!/bin/sh\nhead -c 10000000 /dev/zero | tr '\\0' v\n");
  chmod(exe.c_str(), 0755);
  TMainFRM& f = h.Make();
  f.ProgramDir = t.path();
  h.seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  h.seam.messageAnswers = {plat::IDNO};
  f.CreateProfile();
  ASSERT_EQ(h.seam.messages.size(), 1u);
  const std::string shown = "The following version of the MAME emulator has been found:\r\r" +
                           std::string(120, 'v') + "...\r\rMAME will now be scanned";
  EXPECT_EQ(h.seam.messages[0].text.substr(0, shown.size()), shown);
}

TEST(OpenProfile, AMissingOrDamagedProfileOffersANewOneAndIsLeftAsItIs) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  TMainFRM& f = h.Make();
  std::string damaged(profile::ProfileHeader);
  damaged += std::string("\xC1\x00\x10\x00\x00", 5) + "not deflated at all";
  struct Row {
    std::string name, bytes, told;
  } rows[] = {
      {"FIRSTTIME", "", "Cannot find " + t.file("FIRSTTIME") + " profile!"},
      {"MAME.VRL", damaged,
       "Cannot read the profile " + t.file("MAME.VRL") +
           ": it is damaged.\r\rPlease rescan the profile."},
      {"OTHER.VRL", "plain text", t.file("OTHER.VRL") + ": invalid file type"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (!row.bytes.empty()) t.write(row.name, row.bytes);
    seam.messages.clear();
    seam.modalWindows.clear();
    seam.messageAnswers = {plat::IDNO};
    f.OpenProfile(t.file(row.name));
    ASSERT_EQ(seam.messages.size(), 1u) << seam.AllMessages();
    EXPECT_EQ(seam.messages[0].text, row.told + "\rDo you want to create a new profile?\r");
    EXPECT_EQ(seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONERROR);
    EXPECT_TRUE(seam.modalWindows.empty());
    f.OpenProfile(t.file(row.name));  // Yes: the new-profile page
    EXPECT_EQ(seam.modalWindows, std::vector<std::string>{"TNewMameFRM"});
    if (!row.bytes.empty()) {
      EXPECT_EQ(t.read(row.name), row.bytes);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The whole road on the demonstration emulator.

#include <QLabel>
#include <QTabBar>
#include <QTreeView>

#include "database/Report.h"

namespace {

const char* const kDemoVersion = "Velmora demonstration emulator v0.1 (a stand-in, it emulates nothing)";

// A copy of the demonstration emulator in a folder whose name needs quoting.
std::string CopyDemo(const TempDir& t, const std::string& folder) {
  std::string text;
  plat::ReadWholeFile(std::string(VELMORA_SOURCE_DIR) + "/demo/mame", text);
  std::string path = t.write(folder + "/mame", text);
  chmod(path.c_str(), 0755);
  return path;
}

// Creates a profile from the demonstration emulator with the default answers.
void CreateDemoProfile(MainWindowHarness& h, const std::string& exe, const std::string& profile) {
  h.seam.modalHandlers.push_back(Page(exe, profile));
  h.window->CreateProfile();
}

}  // namespace

TEST(ProfileRoads, CreateFromTheDemonstrationEmulatorThenOpenAgain) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  const std::string exe = CopyDemo(h.home, "emu $dir 'q'");
  plat::MakeDirs(h.home.file("PROFILES"));
  const std::string profile = h.home.file("PROFILES/mame.VRL");
  CreateDemoProfile(h, exe, profile);
  ASSERT_EQ(f.ProfileLoaded, 1) << h.seam.AllMessages();
  // Version question, success message, compression question.
  ASSERT_EQ(h.seam.messages.size(), 3u) << h.seam.AllMessages();
  EXPECT_NE(h.seam.messages[0].text.find(std::string("\r\r") + kDemoVersion + "\r\r"), std::string::npos);
  EXPECT_EQ(h.seam.messages[1].text.rfind("MAME info file parsed successfully!", 0), 0u);
  EXPECT_EQ(h.seam.commands.size(), 2u);
  EXPECT_EQ(f.EmulatorVersion, kDemoVersion);
  EXPECT_EQ(f.EmulatorDir, h.home.file("emu $dir 'q'/"));
  EXPECT_EQ(f.EmulatorExe, "mame");
  EXPECT_EQ(plat::CurrentDir(), f.EmulatorDir);
  EXPECT_FALSE(plat::FileExists(f.EmulatorDir + "$VRTEMP$.NFO"));
  EXPECT_TRUE(plat::FileExists(profile));
  EXPECT_EQ(f.ProfileFileName, profile);
  EXPECT_EQ(f.windowTitle().toStdString(), std::string("Velmora - [") + kDemoVersion + "]");
  EXPECT_EQ(f.StatusPanel0->text(), "29 romsets listed");
  EXPECT_NE(h.home.read("VELMORA.INI").find("LastProfile=" + profile), std::string::npos);
  EXPECT_EQ(f.QuickInfoBOX->toPlainText(), "No game has been selected");
  EXPECT_EQ(f.focusWidget(), f.TreeList);  // the arrows and Enter go to the games

  // Choose a game, leave, and open the profile in a new window: the game is selected again.
  GameRecord* nebulon = f.FindGameByName("NEBULON");
  ASSERT_NE(nebulon, nullptr);
  f.TreeList->selectionModel()->setCurrentIndex(f.GameTree()->IndexOfGame(nebulon),
                                                QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(f.QuickInfoBOX->toPlainText().toStdString().substr(0, 40),
            "Game: .............[NEBULON] = Nebulon\nC");
  h.Destroy();
  plat::SetCurrentDir(keep.dir);
  h.seam.messages.clear();
  h.seam.commands.clear();
  TMainFRM& g = h.Make();
  EXPECT_EQ(g.ProfileFileName, profile);
  EXPECT_EQ(g.LastSelected, "NEBULON");
  QImage shot(8, 8, QImage::Format_RGB32);
  shot.fill(Qt::blue);
  plat::MakeDirs(h.home.file("snap"));
  ASSERT_TRUE(shot.save(QString::fromStdString(h.home.file("snap/NEBULON.PNG"))));
  g.PictureTabs = {h.home.file("snap")};
  g.OpenProfile(g.ProfileFileName);
  EXPECT_EQ(g.CurrentPictureFile, h.home.file("snap/NEBULON.PNG"));
  EXPECT_EQ(g.PictureReads, 1u);  // the game is selected twice on the way, its picture read once
  EXPECT_EQ(h.seam.messages.size(), 0u) << h.seam.AllMessages();
  ASSERT_EQ(g.ProfileLoaded, 1);
  EXPECT_EQ(h.seam.commands.size(), 1u);
  EXPECT_EQ(plat::CurrentDir(), h.home.file("emu $dir 'q'/"));
  EXPECT_EQ(g.windowTitle().toStdString(), std::string("Velmora - [") + kDemoVersion + "]");
  ASSERT_NE(g.SelectedGame, nullptr);
  EXPECT_EQ(g.SelectedGame->Name, "NEBULON");
  EXPECT_EQ(g.GameTree()->GameAt(g.TreeList->selectionModel()->currentIndex()), g.SelectedGame);
  EXPECT_EQ(g.focusWidget(), g.TreeList);
  EXPECT_EQ(g.StatusPanel0->text(), "29 romsets listed");
}

TEST(ProfileRoads, AChangedEmulatorOrAMissingFolderMakesTheProfileUnusable) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  const std::string exe = CopyDemo(h.home, "emu");
  const std::string profile = h.home.file("demo.VRL");
  CreateDemoProfile(h, exe, profile);
  ASSERT_EQ(f.ProfileLoaded, 1) << h.seam.AllMessages();
  plat::SetCurrentDir(keep.dir);

  // A version line that differs in letter case only.
  std::string text = h.home.read("emu/mame");
  size_t at = text.find("Velmora demonstration");
  text.replace(at, 7, "VELMORA");
  h.home.write("emu/mame", text);
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDNO};
  f.OpenProfile(profile);
  ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[0].text,
            std::string("The emulator executable file has changed:\r\rExpected = ") + kDemoVersion +
                "\rFound    = VELMORA demonstration emulator v0.1 (a stand-in, it emulates nothing)"
                "\r\rThis profile has become invalid.\rDo you want to create a new profile?\r");
  EXPECT_EQ(h.seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONERROR);
  EXPECT_EQ(f.ProfileLoaded, 0);
  // Nothing of the freed records is left on show.
  EXPECT_EQ(f.GameTree()->rowCount(), 0);
  EXPECT_EQ(f.QuickInfoBOX->toPlainText(), "");
  EXPECT_EQ(f.windowTitle(), "Velmora - no profile loaded");

  // A folder the program cannot write: said so, nothing run, on both roads.
  chmod(h.home.file("emu").c_str(), 0555);
  const std::string unwritable = "The emulator folder " + h.home.file("emu/") +
                                 " is not writable.\rVelmora keeps its capture file, its "
                                 "temporary folder and MAME.CFG there.\rCopy or link the emulator "
                                 "into a folder of your own and make a profile for that copy.";
  h.seam.messages.clear();
  h.seam.commands.clear();
  h.seam.messageAnswers = {plat::IDNO};
  f.OpenProfile(profile);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, unwritable + "\rDo you want to create a new profile?\r");
  h.seam.modalHandlers.push_back(Page(exe, profile));
  f.CreateProfile();  // the page asks to replace the profile: Yes
  ASSERT_EQ(h.seam.messages.size(), 3u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[2].text, unwritable);
  EXPECT_TRUE(h.seam.commands.empty());
  chmod(h.home.file("emu").c_str(), 0755);

  // Whatever holds the capture file's name and is no regular file is named and left alone,
  // and nothing runs; a full disk is told as such.
  const std::string capture = h.home.file("emu/$VRTEMP$.NFO");
  const std::string user = h.home.write("user.txt", "the user's");
  for (const char* fault : {"link", "pipe", "socket", "dangling", "loop", "full"}) {
    SCOPED_TRACE(fault);
    const std::string c = fault;
    std::string kind = c == "pipe" ? "a named pipe" : c == "socket" ? "a socket" : "a symbolic link";
    const bool made = c == "link"       ? symlink(user.c_str(), capture.c_str()) == 0
                      : c == "pipe"     ? mkfifo(capture.c_str(), 0600) == 0
                      : c == "dangling" ? symlink("nowhere", capture.c_str()) == 0
                      : c == "loop"     ? symlink("$VRTEMP$.NFO", capture.c_str()) == 0
                      : c == "socket"   ? MakeSocket(capture)
                                        : true;
    ASSERT_TRUE(made);
    struct stat before{};
    lstat(capture.c_str(), &before);
    h.seam.messages.clear();
    h.seam.commands.clear();
    plat::SetDiskFullForTests(c == "full");
    f.OpenProfile(profile);
    plat::SetDiskFullForTests(false);
    ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
    EXPECT_EQ(h.seam.messages[0].text,
              "Cannot determine MAME version.\rThe emulator's output cannot be captured in\r" +
                  capture +
                  (c == "full" ? "\r(No space left on device)"
                               : "\r(Not a regular file: " + kind +
                                     ")\rIt has been left as it is: remove it, then try again."));
    EXPECT_EQ(h.seam.messages[0].flags, plat::MB_ICONERROR);
    EXPECT_TRUE(h.seam.commands.empty());
    EXPECT_EQ(f.ProfileLoaded, 0);
    struct stat after{};
    lstat(capture.c_str(), &after);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    plat::RemoveFile(capture);
  }
  EXPECT_EQ(h.home.read("user.txt"), "the user's");

  // The executable gone.
  plat::RemoveFile(h.home.file("emu/mame"));
  h.seam.messages.clear();
  h.seam.commands.clear();
  h.seam.messageAnswers = {plat::IDNO};
  f.OpenProfile(profile);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, h.home.file("emu/") +
                                         "mame emulator not found! This profile is unusable.\r"
                                         "Do you want to create a new profile?\r");
  // The folder gone: nothing is run.
  plat::RemoveTree(h.home.file("emu"));
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDNO};
  plat::SetCurrentDir(keep.dir);
  f.OpenProfile(profile);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, h.home.file("emu/") +
                                         " directory does not exist! This profile is unusable.\r"
                                         "Do you want to create a new profile?\r");
  EXPECT_TRUE(h.seam.commands.empty());
  EXPECT_EQ(f.ProfileLoaded, 0);
}

TEST(ProfileRoads, AFailedCatalogueRunIsListedInTheParseReport) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  std::string exe = WriteEmulator(h.home, "emu/mame", "Crashy 1.0",
                                  "game ( name one description \"One\" )", 3);
  std::string reportText;
  h.seam.modalHandlers.push_back(Page(exe, h.home.file("crashy.VRL")));
  h.seam.modalHandlers.push_back([&](QWidget* w) {
    reportText = static_cast<TReportFRM*>(w)->Doc->toPlainText().toStdString();
    return 1;
  });
  h.seam.messageAnswers = {plat::IDYES, plat::IDOK, plat::IDNO};  // proceed; errors; do not use
  f.CreateProfile();
  EXPECT_NE(reportText.find("The emulator ended with exit status 3 while listing its games"),
            std::string::npos)
      << reportText;
  ASSERT_EQ(h.seam.messages.size(), 3u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[2].text, "Do you want to use this profile anyway?");
  EXPECT_EQ(f.ProfileLoaded, 0);
  EXPECT_FALSE(plat::FileExists(h.home.file("crashy.VRL")));
  EXPECT_FALSE(plat::FileExists(h.home.file("emu/$VRTEMP$.NFO")));
  EXPECT_EQ(f.CatalogueRunStatus, 0);
}

TEST(ProfileRoads, AnOldProfileStaysUntilTheNewOneIsSavedAndAFailedSaveIsNotLoaded) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  const std::string exe = CopyDemo(h.home, "emu");
  // The page accepts the name; the save then fails (a folder stands in the way).
  plat::MakeDirs(h.home.file("taken.VRL/x"));
  std::string settingsBefore = h.home.read("VELMORA.INI");
  CreateDemoProfile(h, exe, h.home.file("taken.VRL"));
  EXPECT_EQ(f.ProfileLoaded, 0) << h.seam.AllMessages();
  EXPECT_NE(h.seam.AllMessages().find("Cannot save the profile"), std::string::npos);
  EXPECT_NE(f.ProfileFileName, h.home.file("taken.VRL"));
  EXPECT_EQ(h.home.read("VELMORA.INI"), settingsBefore);

  // A profile file that exists is untouched while the emulator is scanned.
  std::string old = h.home.write("mame.VRL", "old bytes");
  h.seam.messages.clear();
  bool seenOld = false;
  h.seam.processHandler = [&](const std::string& cmd, bool shown, plat::WaitMode wait) {
    seenOld = seenOld || h.home.read("mame.VRL") == "old bytes";
    return plat::Ui().Seam::RunProcess(cmd, shown, wait);
  };
  CreateDemoProfile(h, exe, old);
  EXPECT_TRUE(seenOld);
  EXPECT_EQ(f.ProfileLoaded, 1) << h.seam.AllMessages();
  EXPECT_NE(h.home.read("mame.VRL"), "old bytes");
}

TEST(ProfileRoads, AStoppedVersionOffersANewProfileAndAStoppedOrEndedCatalogueKeepsNothing) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  const std::string exe = CopyDemo(h.home, "emu");
  const std::string profile = h.home.file("demo.VRL");
  CreateDemoProfile(h, exe, profile);
  ASSERT_EQ(f.ProfileLoaded, 1) << h.seam.AllMessages();
  const std::string saved = h.home.read("demo.VRL");

  // Opening it with an emulator that hangs: stopped, and a new profile offered on the page
  // that proposes that emulator.
  h.home.write("emu/mame", "#!/bin/sh\nsleep 1000\n");
  h.seam.messages.clear();
  std::string proposed;
  h.seam.modalHandlers.push_back([&](QWidget* w) {
    auto* page = static_cast<TNewMameFRM*>(w);
    page->FormShow();
    proposed = page->FileName->text().toStdString();
    return mrCancel;
  });
  {
    StopLater later(kStopWays[0], "Getting MAME version...");
    f.OpenProfile(profile);
    EXPECT_TRUE(later.offered);
  }
  ASSERT_EQ(h.seam.messages.size(), 1u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[0].text, "Cannot determine MAME version.\rThe emulator has been "
                                     "stopped.\rDo you want to create a new profile?\r");
  EXPECT_EQ(proposed, exe);
  EXPECT_EQ(f.ProfileLoaded, 0);

  // A catalogue that never ends: its progress is shown, and a stop keeps nothing of it.
  h.home.write("emu/mame", "#!/bin/sh\nif [ \"$1\" = -listinfo ]; then\n"
                           "head -c 300000 /dev/zero | tr '\\0' x; sleep 1000\nfi\necho 'Hang 1'\n");
  f.ProfileLoaded = 1;
  h.seam.messages.clear();
  h.seam.commands.clear();
  std::string left;
  h.seam.modalHandlers.push_back(Page(exe, profile, &left));
  h.seam.processHandler = [&](const std::string& cmd, bool shown, plat::WaitMode wait) {
    static std::optional<StopLater> later;
    if (cmd.find("-listinfo") != std::string::npos) later.emplace(kStopWays[1], "Querying MAME... (292 KB received)");
    auto r = plat::Ui().Seam::RunProcess(cmd, shown, wait);
    if (later) {
      EXPECT_TRUE(later->offered);
      EXPECT_EQ(later->shown, "Querying MAME... (292 KB received)");
      later.reset();
    }
    return r;
  };
  f.CreateProfile();
  EXPECT_EQ(h.seam.commands.size(), 2u);
  // Replace?, version found, and the stop said; the page stays open on the emulator.
  ASSERT_EQ(h.seam.messages.size(), 3u) << h.seam.AllMessages();
  EXPECT_EQ(h.seam.messages[2].text, "The game list query has been cancelled: nothing has been "
                                     "saved.\rStart it again or choose another emulator file.");
  EXPECT_EQ(left, exe);
  EXPECT_EQ(h.home.read("demo.VRL"), saved);
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_EQ(f.EmulatorVersion, kDemoVersion);
  EXPECT_FALSE(plat::FileExists(h.home.file("emu/$VRTEMP$.NFO")));

  // The end of the session during a query: stopped too, nothing kept and nothing said.
  h.home.write("emu/mame", "#!/bin/sh\n[ \"$1\" = -listinfo ] && sleep 1000\necho 'Hang 1'\n");
  h.seam.messages.clear();
  h.seam.processHandler = nullptr;
  h.seam.modalHandlers.push_back(Page(exe, profile));
  {
    StopLater later([&f](TWorkingFRM&) { f.EndSession(); }, "Querying MAME...");
    f.CreateProfile();
    EXPECT_TRUE(later.offered);
  }
  EXPECT_EQ(h.seam.messages.size(), 2u) << h.seam.AllMessages();  // replace?, version found
  EXPECT_EQ(h.home.read("demo.VRL"), saved);
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_FALSE(plat::FileExists(h.home.file("emu/$VRTEMP$.NFO")));
}
