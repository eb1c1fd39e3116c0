#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "database/NewMame.h"
#include "platform/Files.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

namespace {

std::string Text(QLineEdit* e) { return e->text().toStdString(); }

struct DemoVarCleared {
  DemoVarCleared() { unsetenv("VELMORA_DEMO_EMULATOR"); }
  ~DemoVarCleared() { unsetenv("VELMORA_DEMO_EMULATOR"); }
};

}  // namespace

TEST(NewMamePage, FirstStepTextsAndDialogs) {
  DemoVarCleared clear;
  ScriptedSeam seam;
  TempDir t;
  plat::MakeDirs(t.file("profiles"));
  TNewMameFRM p;
  p.ProgramDir = t.path();
  p.FileName->setText("left over");
  p.FormShow();
  EXPECT_EQ(p.windowTitle(), "Velmora - New emulator file");
  EXPECT_EQ(Text(p.FileName), "");
  EXPECT_EQ(p.FileNameLBL->text(), "Emulator executable file:");
  EXPECT_EQ(p.HintLBL->text().toStdString(),
            "In order to run games and display their characteristics,\n"
            "Velmora needs to access the emulator's\n"
            "executable file (e.g. mame).\n"
            "Please specify the path where the emulator is located\n"
            "using the box above, then click the \"NEXT\" button.");
  EXPECT_TRUE(p.NextBTN->isEnabled());
  EXPECT_FALSE(p.GoBTN->isEnabled());
  EXPECT_EQ(p.BrowseBTN->text(), "&Browse...");
  EXPECT_EQ(p.NextBTN->text(), "&Next >>");
  EXPECT_EQ(p.GoBTN->text(), "&Go");
  EXPECT_EQ(p.CancelBTN->text(), "&Cancel");
  EXPECT_EQ(p.OpenDLG.initialDir, t.path());  // no emulator folder yet: the program folder
  EXPECT_EQ(p.SaveDLG.initialDir, t.path() + "profiles/");
  EXPECT_EQ(p.OpenDLG.title, "Select emulator file");
  EXPECT_EQ(p.SaveDLG.title, "Save profile as...");
  EXPECT_TRUE(p.SaveDLG.overwritePrompt);

  p.EmulatorDir = "/opt/emu/";
  p.FormShow();
  EXPECT_EQ(p.OpenDLG.initialDir, "/opt/emu/");

  // Browsing in the first step offers the executable dialog with the typed name.
  t.write("emu/mame", "#!/bin/sh\n");
  p.FileName->setText(QString::fromStdString(t.file("emu/mam")));
  seam.fileAnswers = {t.file("emu/mame")};
  p.BrowseBTNClick();
  ASSERT_EQ(seam.fileRequests.size(), 1u);
  EXPECT_FALSE(seam.fileRequests[0].save);
  EXPECT_TRUE(seam.fileRequests[0].mustExist);
  EXPECT_EQ(seam.fileRequests[0].initialDir, t.file("emu/"));
  EXPECT_EQ(seam.fileRequests[0].fileName, "mam");
  EXPECT_EQ(Text(p.FileName), t.file("emu/mame"));
  // A cancelled dialog changes nothing.
  p.BrowseBTNClick();
  EXPECT_EQ(Text(p.FileName), t.file("emu/mame"));
}

TEST(NewMamePage, DemonstrationEmulatorIsFilledIn) {
  DemoVarCleared clear;
  ScriptedSeam seam;
  TNewMameFRM p;
  setenv("VELMORA_DEMO_EMULATOR", "/somewhere/demo/mame", 1);
  p.FormShow();
  EXPECT_EQ(Text(p.FileName), "/somewhere/demo/mame");
}

TEST(NewMamePage, NextChecksTheExecutableAndProposesAProfile) {
  DemoVarCleared clear;
  ScriptedSeam seam;
  TempDir t;
  t.write("emu/Mame.exe", "x");
  TNewMameFRM p;
  p.ProgramDir = t.path();
  p.FormShow();
  p.FileName->setText(QString::fromStdString(t.file("emu/nothere")));
  p.NextBTNClick();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "The specified file does not exist.\rPlease specify an existing file then try again.");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
  EXPECT_TRUE(p.NextBTN->isEnabled());
  // No PROFILES folder: the proposal lies in the program folder. The file is found without
  // regard to case.
  p.FileName->setText(QString::fromStdString(t.file("emu/MAME.EXE")));
  p.NextBTNClick();
  EXPECT_EQ(p.EmulatorFile, t.file("emu/Mame.exe"));
  EXPECT_EQ(Text(p.FileName), t.file("Mame.VRL"));
  EXPECT_EQ(p.FileNameLBL->text(), "Profile file name:");
  EXPECT_EQ(p.HintLBL->text().toStdString(),
            "Please specify a profile file name, in which Velmora\n"
            "will store all the parameters retrieved from the emulator.\n"
            "This will save you from rescanning the emulator file\n"
            "again, should you change emulator and then make up your\n"
            "mind. Once done click the \"GO\" button.");
  EXPECT_FALSE(p.NextBTN->isEnabled());
  EXPECT_TRUE(p.GoBTN->isEnabled());
  // Browsing now offers the profile dialog.
  p.BrowseBTNClick();
  ASSERT_EQ(seam.fileRequests.size(), 1u);
  EXPECT_TRUE(seam.fileRequests[0].save);
  EXPECT_EQ(seam.fileRequests[0].fileName, "Mame.VRL");

  // With a PROFILES folder the proposal goes there.
  plat::MakeDirs(t.file("PROFILES"));
  TNewMameFRM q;
  q.ProgramDir = t.path();
  q.FormShow();
  q.FileName->setText(QString::fromStdString(t.file("emu/Mame.exe")));
  q.NextBTNClick();
  EXPECT_EQ(Text(q.FileName), t.file("PROFILES/Mame.VRL"));
}

TEST(NewMamePage, GoTestsTheFolderWithoutTouchingTheFile) {
  DemoVarCleared clear;
  ScriptedSeam seam;
  TempDir t;
  TNewMameFRM p;
  p.ProgramDir = t.path();
  p.FormShow();
  p.NextBTN->setEnabled(false);
  p.GoBTN->setEnabled(true);

  p.FileName->setText("MAME.VRL");  // no folder
  p.GoBTNClick();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "The file cannot be created!\rThis may be due to a non existing path.\r"
            "Please choose another path.");
  p.FileName->setText(QString::fromStdString(t.file("missing/MAME.VRL")));
  p.GoBTNClick();
  EXPECT_EQ(seam.messages.size(), 2u);

  // An existing profile: replaced only on Yes, and kept as it is until the new one is saved.
  std::string old = t.write("MAME.VRL", "old profile");
  p.FileName->setText(QString::fromStdString(t.file("mame.vrl")));
  seam.messageAnswers = {plat::IDNO};
  p.GoBTNClick();
  ASSERT_EQ(seam.messages.size(), 3u);
  EXPECT_EQ(seam.messages[2].text,
            "The profile file " + old + " already exists.\rDo you want to replace it?");
  EXPECT_EQ(seam.messages[2].flags, unsigned(plat::MB_YESNO | plat::MB_ICONWARNING));
  EXPECT_NE(p.ModalResult(), mrOk);
  p.FileName->setText(QString::fromStdString(old));
  p.GoBTNClick();  // Yes
  EXPECT_EQ(seam.messages.size(), 4u);
  EXPECT_EQ(p.ModalResult(), mrOk);
  EXPECT_EQ(p.ProfileFile, old);
  EXPECT_EQ(t.read("MAME.VRL"), "old profile");
  EXPECT_EQ(plat::ListDir(t.path()).size(), 1u);  // no probe left behind

  chmod(old.c_str(), 0444);
  p.GoBTNClick();
  ASSERT_EQ(seam.messages.size(), 5u);
  EXPECT_EQ(seam.messages[4].text,
            "The file cannot be created!\rThis may be due to the read-only attribute of the "
            "file you want to overwrite.\rPlease choose another name.");
  EXPECT_EQ(t.read("MAME.VRL"), "old profile");
}

TEST(NewMamePage, EnterIsNextAndEscapeCancels) {
  DemoVarCleared clear;
  ScriptedSeam seam;
  TNewMameFRM p;
  EXPECT_TRUE(p.NextBTN->isDefault());
  int next = 0;
  QObject::connect(p.NextBTN, &QPushButton::clicked, [&next] { ++next; });
  seam.modalHandlers.push_back([](QWidget* w) {
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(w, &press);
    }
    return w->property("modalResult").toInt();
  });
  EXPECT_EQ(p.ShowModal(), mrCancel);
  EXPECT_EQ(next, 1);
}
