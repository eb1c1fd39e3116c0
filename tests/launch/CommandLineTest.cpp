// The command line, its window, the recording panel and the deletion of a game's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "frontend/MainWindowHarness.h"
#include "launch/CommandLine.h"
#include "launch/DosCmd.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "support/TempDir.h"

#include <unistd.h>

namespace {

TEST(CommandLine, ShapeAndRecordingName) {
  launch::CommandLineOptions o;
  o.comSpec = "/bin/sh";
  o.emulator = "/e/mame";
  o.setName = "abc";
  EXPECT_EQ(launch::BuildCommandLine(o), "/bin/sh -c '/e/mame' 'abc' -romdir '$VRTEMP$'");
  o.recording = 2;
  o.recordName = "old/RUN.INP";
  EXPECT_EQ(launch::BuildCommandLine(o),
            "/bin/sh -c '/e/mame' 'abc' -romdir '$VRTEMP$' -playback 'old/RUN'");
  // An interpreter in a folder with a blank still runs the emulator.
  TempDir dir;
  const std::string shell = dir.path() + "my shell/sh";
  ASSERT_TRUE(plat::MakeDirs(dir.path() + "my shell"));
  ASSERT_EQ(symlink("/bin/sh", shell.c_str()), 0);
  o = {};
  o.comSpec = shell;
  o.emulator = "/bin/true";
  const plat::ProcessResult run =
      plat::RunCommandLine(launch::BuildCommandLine(o), false, plat::WaitMode::Block);
  EXPECT_EQ(run.error, 0);
  EXPECT_EQ(run.exitStatus, 0);
  for (auto [in, out] : {std::pair{"RUN.INP", "RUN"}, {"RUN", "RUN"}, {"a.b/RUN", "a.b/RUN"},
                         {"a.b\\R.X.INP", "a.b\\R.X"}})
    EXPECT_EQ(launch::WithoutExtension(in), out) << in;
}

class CmdWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w = &h.Make();
    h.LoadGames({"abc"}, h.home.path());
    w->EmulatorExe = "mame";
    w->ComSpec = "/bin/sh";
    CmdLineFRM = &cmd;
    cmd.Main = w;
  }
  void TearDown() override { CmdLineFRM = nullptr; }
  MainWindowHarness h;
  TMainFRM* w = nullptr;
  TCmdLineFRM cmd;
};

TEST_F(CmdWindow, ExampleFollowsTheBoxesAndOnlyOkStores) {
  w->AddOptions = true;
  w->ExtraOptions = "-nosound";
  w->SelectedGame = nullptr;
  std::string example;
  h.seam.modalHandlers.push_back([&](QWidget*) {
    example = cmd.CmdLineExample->text().toStdString();
    cmd.AddOptions->click();  // off: the edit greys and the options leave the example
    EXPECT_FALSE(cmd.ExtraOptions->isEnabled());
    EXPECT_EQ(cmd.CmdLineExample->text().toStdString().find("-nosound"), std::string::npos);
    cmd.LogMame->click();
    cmd.CancelBTN->click();
    return cmd.ModalResult();
  });
  w->OptionsCommandLineACTNExecute();
  // As typed at a prompt: no interpreter in front to take the arguments as its own.
  EXPECT_NE(example.find("$ '" + h.home.path() + "mame' 'GAMENAME' -romdir "
                         "'$VRTEMP$' -nosound"),
            std::string::npos)
      << example;
  EXPECT_TRUE(w->AddOptions);
  EXPECT_FALSE(w->LogTextOutput);

  // Recording with no file name: showing the window gives the edit the example's set name.
  w->SelectedGame = h.Game("abc");
  w->RecordBTN->click();
  w->InpFile->clear();
  h.seam.modalHandlers.push_back([&](QWidget*) {
    example = cmd.CmdLineExample->text().toStdString();
    cmd.IgnoreCfg->click();
    cmd.LogMame->click();
    cmd.OkBTN->click();
    return cmd.ModalResult();
  });
  w->OptionsCommandLineACTNExecute();
  EXPECT_EQ(w->InpFile->text().toStdString(), "abc");
  EXPECT_NE(example.find("'abc' -romdir '$VRTEMP$' -record 'abc' -nosound"), std::string::npos)
      << example;
  EXPECT_TRUE(w->IgnoreConfig);
  EXPECT_TRUE(w->LogTextOutput);
  // Shown with the redirection to the capture file; run with the file handed over open.
  EXPECT_NE(cmd.BuildCommandLine("abc", false, true)
                .find("-ignorecfg -record 'abc' -nosound >'$VRTEMP$.NFO' 2>&1"),
            std::string::npos);
  EXPECT_EQ(cmd.BuildCommandLine("abc", false).find(">"), std::string::npos);

  // Typing a long option keeps the window's width (opened for a short line): the line scrolls.
  w->EmulatorDir = "/";
  w->LogTextOutput = w->IgnoreConfig = false;
  w->ExtraOptions.clear();
  w->NoneBTN->click();
  h.seam.modalHandlers.push_back([&](QWidget*) {
    auto settle = [] {  // layouts settle in rounds
      for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    };
    cmd.show();
    settle();
    const int width = cmd.width();
    cmd.ExtraOptions->setText(QString(100, 'x'));
    settle();
    EXPECT_EQ(cmd.width(), width);
    // It scrolls to the end of what was typed, in view.
    EXPECT_EQ(cmd.CmdLineExample->cursorPosition(),
              cmd.CmdLineExample->text().indexOf(QString(100, 'x')) + 100);
    cmd.hide();
    return 2;
  });
  w->OptionsCommandLineACTNExecute();
}

TEST_F(CmdWindow, RecordingPanel) {
  w->SelectedGame = nullptr;
  w->PlayBTN->click();
  EXPECT_FALSE(w->InpFile->isEnabled());
  EXPECT_FALSE(w->InpBrowseBTN->isEnabled());
  w->SelectedGame = h.Game("abc");
  w->GameSelected();  // selecting a game afterwards opens the name box
  EXPECT_TRUE(w->InpFile->isEnabled());
  EXPECT_EQ(w->InpFile->text().toStdString(), "abc");
  h.seam.fileAnswers.push_back("/somewhere/LONGRECORDING.INP");
  w->InpBrowseBTN->click();
  ASSERT_EQ(h.seam.fileRequests.size(), 1u);
  EXPECT_FALSE(h.seam.fileRequests[0].save);
  EXPECT_EQ(h.seam.fileRequests[0].title, "Select a game recording file");
  EXPECT_EQ(w->InpFile->text().toStdString(), "LONGRECO");
  w->NoneBTN->click();
  EXPECT_FALSE(w->InpFile->isEnabled());
  EXPECT_TRUE(w->InpFile->text().isEmpty());
  // The keyboard: Alt+R reaches the chosen button, an arrow key chooses the next one.
  w->show();  // keys go to the focused button of the active window
  QApplication::setActiveWindow(w);
  auto* label = w->GameRecordingPNL->findChild<QLabel*>();
  ASSERT_TRUE(label);
  EXPECT_EQ(label->text(), "&Recording:");
  EXPECT_EQ(label->buddy(), w->NoneBTN);
  w->NoneBTN->setFocus();
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(w->NoneBTN, &right);
  EXPECT_TRUE(w->PlayBTN->isChecked());
  EXPECT_TRUE(w->InpFile->isEnabled());
  EXPECT_EQ(label->buddy(), w->PlayBTN);
}

TEST_F(CmdWindow, DeletingAGamesFiles) {
  w->MAMEDirectories.cfg = "CFG";
  w->MAMEDirectories.hi = "HI";
  w->SelectedGame = h.Game("abc");
  h.home.write("CFG/abc.cfg", "x");
  h.home.write("CFG/DEFAULT.CFG", "x");
  h.seam.messageAnswers = {plat::IDYES, plat::IDNO, plat::IDYES};
  w->DeleteConfigACTNExecute();
  w->DeleteDefaultConfigACTNExecute();  // answered No
  w->DeleteHiscoreACTNExecute();        // no such file: nothing to ask, that is said
  ASSERT_EQ(h.seam.messages.size(), 3u);
  EXPECT_EQ(h.seam.messages[0].text,
            "Really delete the configuration file for [abc]?\rFile = CFG/abc.CFG");
  EXPECT_EQ(h.seam.messages[1].text,
            "Really delete the default configuration file?\rFile = CFG/DEFAULT.CFG");
  EXPECT_EQ(h.seam.messages[2].text, "There is no high score file for [abc].\rFile = HI/abc.HI");
  EXPECT_EQ(h.seam.messages[2].flags, unsigned(plat::MB_OK | plat::MB_ICONINFORMATION));
  EXPECT_FALSE(plat::FileExists(h.home.file("CFG/abc.cfg")));
  EXPECT_TRUE(plat::FileExists(h.home.file("CFG/DEFAULT.CFG")));
  // A failed deletion is told.
  plat::MakeDirs(h.home.file("NVRAM/abc.nv/x"));
  w->MAMEDirectories.nvram = "NVRAM";
  w->DeleteNVRamACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 5u);
  EXPECT_EQ(h.seam.messages[4].text.substr(0, 31), "The file could not be deleted:\r");
  w->SelectedGame = nullptr;
  w->DeleteDefaultConfigACTNExecute();
  EXPECT_EQ(h.seam.messages.size(), 5u);
  // A set name that would leave the folder is refused before anything is asked.
  w->SelectedGame = h.Game("abc");
  w->SelectedGame->Name = "../abc";
  w->DeleteConfigACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 6u);
  EXPECT_EQ(h.seam.messages[5].text, "The set name [../abc] cannot be part of a file name.");
}

}  // namespace
