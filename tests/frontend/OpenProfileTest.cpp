#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLineEdit>
#include <QTextEdit>
#include <cstdlib>

#include "database/NewMame.h"
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

// Works the new-profile page: executable, then profile file.
std::function<int(QWidget*)> Page(const std::string& exe, const std::string& profile) {
  return [exe, profile](QWidget* w) {
    auto* p = static_cast<TNewMameFRM*>(w);
    p->FormShow();
    p->FileName->setText(QString::fromStdString(exe));
    p->NextBTNClick();
    p->FileName->setText(QString::fromStdString(profile));
    p->GoBTNClick();
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
  // One run only, through the interpreter, every inserted name quoted.
  ASSERT_EQ(seam.commands.size(), 1u);
  EXPECT_NE(seam.commands[0].find(" -c '" + t.path() + "emu dir/mame' >'$VRTEMP$.NFO'"),
            std::string::npos)
      << seam.commands[0];
  // The capture file is gone, the profile in use untouched and its folder current again.
  EXPECT_FALSE(plat::FileExists(t.file("emu dir/$VRTEMP$.NFO")));
  EXPECT_EQ(f.EmulatorDir, "/old/");
  EXPECT_EQ(f.EmulatorVersion, "old version");
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_EQ(plat::CurrentDir(), keep.dir);
}

TEST(CreateProfile, DecliningTheVersionOrAMissingCatalogueKeepsTheProfileInUse) {
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
            "MAME will be now scanned to determine all the available data of the supported games.\r"
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

  seam.messages.clear();
  seam.commands.clear();
  seam.modalHandlers.push_back(Page(exe, t.file("new.VRL")));
  seam.processHandler = [](const std::string& cmd, bool shown, plat::WaitMode wait) {
    EXPECT_FALSE(shown);
    EXPECT_NE(wait, plat::WaitMode::NoWait);
    if (cmd.find("-listinfo") == std::string::npos) return plat::Ui().Seam::RunProcess(cmd, shown, wait);
    return plat::ProcessResult{};
  };
  f.CreateProfile();
  ASSERT_EQ(seam.commands.size(), 2u);
  EXPECT_NE(seam.commands[1].find("mame' -listinfo >'$VRTEMP$.NFO'"), std::string::npos);
  ASSERT_EQ(seam.messages.size(), 2u) << seam.AllMessages();
  EXPECT_EQ(seam.messages[1].text, "Cannot read game info file!");
  EXPECT_EQ(f.EmulatorDir, "/old/");
  EXPECT_EQ(f.ProfileLoaded, 1);
  EXPECT_EQ(plat::CurrentDir(), keep.dir);
}

TEST(OpenProfile, MissingProfileOffersANewOne) {
  KeepCurrentDir keep;
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  TMainFRM& f = h.Make();
  seam.messageAnswers = {plat::IDNO};
  f.OpenProfile(t.file("FIRSTTIME"));
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "Cannot find " + t.file("FIRSTTIME") +
                                       " profile!\rDo you want to create a new profile?\r");
  EXPECT_EQ(seam.messages[0].flags, plat::MB_YESNO | plat::MB_ICONERROR);
  EXPECT_TRUE(seam.modalWindows.empty());
  f.OpenProfile(t.file("FIRSTTIME"));  // Yes: the new-profile page
  EXPECT_EQ(seam.modalWindows, std::vector<std::string>{"TNewMameFRM"});
}
