#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>

#include "frontend/MainWindowHarness.h"
#include "launch/MameCfg.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace {

// A main window with a loaded profile whose emulator folder is a temporary folder.
struct CfgWindow : MainWindowHarness {
  TempDir emu;
  CfgWindow() {
    Make();
    LoadGames({"ZYPHON"}, emu.path());
  }
  TMainFRM& w() { return *window; }
};

std::vector<std::string> MenuNames(QMenu* menu) {
  std::vector<std::string> r;
  for (QAction* a : menu->actions()) r.push_back(a->objectName().toStdString());
  return r;
}

}  // namespace

TEST(MameCfgValues, CurrentFolderGoesFirstInPaths) {
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("/roms"), ".;/roms");
  EXPECT_EQ(mamecfg::AddCurrentDirToPath(".;ROMS"), ".;ROMS");
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("ROMS;."), "ROMS;.");
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("ROMS; . ;MORE"), "ROMS; . ;MORE");
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("."), ".");
  // ".." and names beginning with "." are not the current folder.
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("..;ROMS"), ".;..;ROMS");
  EXPECT_EQ(mamecfg::AddCurrentDirToPath("ROMS;.hidden"), ".;ROMS;.hidden");
}

TEST(MameCfgValues, NumbersIgnoreTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  // A locale with a decimal comma, when the machine has one.
  bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
  EXPECT_EQ(mamecfg::FormatReal(1.0f), "1.0000000");
  EXPECT_EQ(mamecfg::FormatReal(0.5f), "0.5000000");
  EXPECT_EQ(mamecfg::FormatReal(-2.25f), "-2.2500000");
  float f = 0;
  EXPECT_TRUE(mamecfg::ParseReal("1.5", f));
  EXPECT_FLOAT_EQ(f, 1.5f);
  EXPECT_TRUE(mamecfg::ParseReal(" 0,25 ", f));
  EXPECT_FLOAT_EQ(f, 0.25f);
  EXPECT_FALSE(mamecfg::ParseReal("1.5x", f));
  EXPECT_FALSE(mamecfg::ParseReal("", f));
  int32_t i = 0;
  EXPECT_TRUE(mamecfg::ParseInteger("-1", i));
  EXPECT_EQ(i, -1);
  EXPECT_FALSE(mamecfg::ParseInteger("60Hz", i));
  std::setlocale(LC_NUMERIC, saved.c_str());
  (void)comma;
}

TEST(MameCfgTopKey, WholeKeyIsMatched) {
  const std::string text =
      "emulate_threefold=yes\r\n"
      "[config]\r\n"
      "emulate_three=yes\r\n";
  // The section line counts for reading (the whole file is searched).
  EXPECT_EQ(mamecfg::ReadTopKey(text, "emulate_three", "no"), "YES");
  EXPECT_EQ(mamecfg::ReadTopKey("emulate_threefold=yes\n", "emulate_three", "no"), "NO");
  EXPECT_EQ(mamecfg::ReadTopKey("  Emulate_Three  =  yes \n[a]\n", "emulate_three", "no"), "YES");
  EXPECT_EQ(mamecfg::ReadTopKey("emulate_three\n", "emulate_three", "no"), "NO");
  // Writing: the key goes above the first section; the look-alike stays.
  EXPECT_EQ(mamecfg::WriteTopKey(text, "emulate_three", "NO"),
            "emulate_threefold=yes\r\n"
            "emulate_three=NO\r\n"
            "[config]\r\n"
            "emulate_three=yes\r\n");
}

TEST(MameCfgTopKey, ReplacedAboveTheSectionsAndAddedToAnEmptyFile) {
  EXPECT_EQ(mamecfg::WriteTopKey("  # mine  \n  EMULATE_THREE = yes\n[directory]\ninp = INP\n",
                                 "emulate_three", "YES"),
            "  # mine  \r\nemulate_three=YES\r\n[directory]\r\ninp = INP\r\n");
  EXPECT_EQ(mamecfg::WriteTopKey("", "emulate_three", "NO"), "emulate_three=NO\r\n");
  EXPECT_EQ(mamecfg::WriteTopKey("a=1\rb=2\r", "emulate_three", "NO"),
            "a=1\r\nb=2\r\nemulate_three=NO\r\n");
}

TEST(MameCfgFile, MissingFileGivesDefaultsAndIsCreatedOnSave) {
  CfgWindow h;
  h.w().LoadMAMECfg();
  const MAMEDirectoryRecord& d = h.w().MAMEDirectories;
  const MAMEConfigFile& c = h.w().MAMEConfig;
  EXPECT_EQ(d.inp, "INP");
  EXPECT_EQ(d.rompath, ".;ROMS");
  EXPECT_EQ(d.samplepath, ".;SAMPLES");
  EXPECT_EQ(d.cheat, ".");
  EXPECT_EQ(c.scanlines, 1);
  EXPECT_EQ(c.vsync, 0);
  EXPECT_EQ(c.vesamode, "VESA3");
  EXPECT_EQ(c.joystick, "NONE");
  EXPECT_EQ(c.language, "ENGLISH");
  EXPECT_EQ(c.vgafreq, -1);
  EXPECT_EQ(c.soundcard, -1);
  EXPECT_FLOAT_EQ(c.beam, 1.0f);
  EXPECT_FLOAT_EQ(c.flicker, 0.0f);
  EXPECT_FLOAT_EQ(c.gamma, 1.0f);
  EXPECT_EQ(c.samplerate, "22050");
  EXPECT_EQ(c.cheatfile, "CHEAT.DAT");
  EXPECT_EQ(c.emulate_three, 0);
  EXPECT_EQ(c.hiscorefile, h.emu.path() + "HISCORE.DAT");
  EXPECT_TRUE(h.seam.messages.empty());

  ASSERT_TRUE(h.w().SaveMAMECfg());
  std::string written = h.emu.read("MAME.CFG");
  EXPECT_EQ(written.rfind("emulate_three=NO\r\n[directory]\r\ninp=INP\r\nhi=HI\r\n", 0), 0u)
      << written;
  EXPECT_NE(written.find("\r\nbeam=1.0000000\r\nflicker=0.0000000\r\ngamma=1.0000000\r\n"),
            std::string::npos);
  EXPECT_NE(written.find("\r\nrompath=.;ROMS\r\n"), std::string::npos);
  EXPECT_EQ(written.find("hiscorefile"), std::string::npos);
  EXPECT_FALSE(plat::FileExists(h.emu.file("$VRTEMP$.CFG")));
}

// An emulator's own file with LF line ends, comments and keys the program does not know:
// every value is read, and after a save everything stands where it stood.
TEST(MameCfgFile, RoundTripKeepsUnknownLinesInPlace) {
  CfgWindow h;
  h.emu.write("mame.cfg",
              "# MAME configuration\n"
              "\n"
              "[directory]\n"
              "rompath = /data/roms\n"
              "samplepath=SAMPLES;.\n"
              "futurepath=/x\n"
              "cheat=Cheats\n"
              "\n"
              "[config]\n"
              "; video\n"
              "scanlines=no\n"
              "vsync=Yes\n"
              "joystick=Standard\n"
              "beam=fast\n"
              "flicker=0.5\n"
              "vgafreq=60Hz\n"
              "skiplines=3\n"
              "cheatfile=Cheats/My Cheat.dat\n"
              "newoption=keep me\n"
              "\n"
              "[unknown]\n"
              "a=b\n");
  h.w().LoadMAMECfg();
  const MAMEDirectoryRecord& d = h.w().MAMEDirectories;
  MAMEConfigFile& c = h.w().MAMEConfig;
  EXPECT_EQ(d.rompath, ".;/data/roms");
  EXPECT_EQ(d.samplepath, "SAMPLES;.");
  EXPECT_EQ(d.cheat, "Cheats");
  EXPECT_EQ(c.scanlines, 0);
  EXPECT_EQ(c.vsync, 1);
  EXPECT_EQ(c.joystick, "STANDARD");
  EXPECT_FLOAT_EQ(c.beam, 1.0f);
  EXPECT_FLOAT_EQ(c.flicker, 0.5f);
  EXPECT_EQ(c.vgafreq, -1);
  EXPECT_EQ(c.skiplines, 3);
  EXPECT_EQ(c.cheatfile, "Cheats/My Cheat.dat");
  EXPECT_EQ(c.emulate_three, 0);

  c.emulate_three = 1;
  ASSERT_TRUE(h.w().SaveMAMECfg()) << h.seam.AllMessages();
  EXPECT_FALSE(plat::FileExists(h.emu.file("MAME.CFG")));  // the file keeps its spelling
  std::string out = h.emu.read("mame.cfg");
  const std::string directory =
      "# MAME configuration\r\n"
      "\r\n"
      "emulate_three=YES\r\n"
      "[directory]\r\n"
      "rompath=.;/data/roms\r\n"
      "samplepath=SAMPLES;.\r\n"
      "futurepath=/x\r\n"
      "cheat=Cheats\r\n"
      "inp=INP\r\n";
  EXPECT_EQ(out.rfind(directory, 0), 0u) << out;
  const std::string config =
      "[config]\r\n"
      "; video\r\n"
      "scanlines=no\r\n"
      "vsync=yes\r\n"
      "joystick=STANDARD\r\n"
      "beam=1.0000000\r\n"
      "flicker=0.5000000\r\n"
      "vgafreq=-1\r\n"
      "skiplines=3\r\n"
      "cheatfile=Cheats/My Cheat.dat\r\n"
      "newoption=keep me\r\n"
      "stretch=yes\r\n";
  EXPECT_NE(out.find(config), std::string::npos) << out;
  EXPECT_NE(out.find("\r\n\r\n[unknown]\r\na=b\r\n"), std::string::npos) << out;
  EXPECT_EQ(out.find('\n', 0), out.find("\r\n", 0) + 1);

  // Read again, the records come back the same.
  MAMEDirectoryRecord d2 = d;
  MAMEConfigFile c2 = c;
  h.w().LoadMAMECfg();
  EXPECT_EQ(h.w().MAMEDirectories.rompath, d2.rompath);
  EXPECT_EQ(h.w().MAMEConfig.emulate_three, 1);
  EXPECT_EQ(h.w().MAMEConfig.cheatfile, c2.cheatfile);
  EXPECT_FLOAT_EQ(h.w().MAMEConfig.flicker, c2.flicker);

  // A byte-order mark before "[directory]" loses nothing and adds no second section.
  h.emu.write("mame.cfg", "\xEF\xBB\xBF[directory]\r\nrompath=/bom/roms\r\n");
  h.w().LoadMAMECfg();
  EXPECT_EQ(h.w().MAMEDirectories.rompath, ".;/bom/roms");
  ASSERT_TRUE(h.w().SaveMAMECfg());
  out = h.emu.read("mame.cfg");
  EXPECT_EQ(out.find("[directory]"), out.rfind("[directory]")) << out;
  EXPECT_NE(out.find("rompath=.;/bom/roms"), std::string::npos) << out;
}

// A read-only file gives the write error; one that cannot be read gives its own message at
// load and at save, and stays byte for byte.
TEST(MameCfgFile, ReadOnlyAndUnreadableFilesAreKept) {
  const std::string mine = "  # mine  \n[config]\nvsync = yes\n";
  enum Case { ReadOnly, NoPermission, Folder, Fifo };  // a pipe is never waited on
  for (Case c : {ReadOnly, NoPermission, Folder, Fifo}) {
    SCOPED_TRACE(c);
    if (c == NoPermission && geteuid() == 0) continue;  // root reads it anyway
    CfgWindow h;
    const std::string cfg = h.emu.file("MAME.CFG");
    if (c == Folder)
      ASSERT_TRUE(plat::MakeDirs(cfg + "/inside"));
    else if (c == Fifo)
      ASSERT_EQ(mkfifo(cfg.c_str(), 0644), 0);
    else
      h.emu.write("MAME.CFG", mine);
    if (c < Folder) chmod(cfg.c_str(), c == ReadOnly ? 0444 : 0);
    h.w().LoadMAMECfg();
    EXPECT_EQ(h.w().MAMEConfig.vsync, c == ReadOnly ? 1 : 0);
    EXPECT_EQ(h.seam.messages.size(), c == ReadOnly ? 0u : 1u);
    EXPECT_FALSE(h.w().SaveMAMECfg());
    ASSERT_FALSE(h.seam.messages.empty());
    EXPECT_EQ(h.seam.messages.back().flags, 16u);
    if (c == ReadOnly) {
      EXPECT_EQ(h.seam.messages.back().text,
                "There was an error while writing to MAME.CFG:\r" + cfg +
                    "\r(Permission denied)\r\rThe options were not saved. Please correct the "
                    "cause and then try again.");
    } else {
      EXPECT_EQ(h.seam.messages.back().text.rfind("MAME.CFG cannot be read:\r" + cfg, 0), 0u);
    }
    EXPECT_TRUE(h.w().WriteMAMECfgTopKey("emulate_three", "NO"));
    chmod(cfg.c_str(), 0755);
    struct stat st;
    if (c == Folder)
      EXPECT_TRUE(plat::DirExists(cfg));
    else if (c == Fifo)
      EXPECT_TRUE(lstat(cfg.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    else
      EXPECT_EQ(h.emu.read("MAME.CFG"), mine);
    EXPECT_EQ(plat::ListDir(h.emu.path()).size(), 1u);
  }
}

TEST(MameCfgFile, NothingIsWrittenWithoutAProfile) {
  CfgWindow h;
  h.emu.write("MAME.CFG", "[config]\nvsync=yes\n");
  h.w().ProfileLoaded = 0;
  EXPECT_TRUE(h.w().SaveMAMECfg());
  EXPECT_EQ(h.emu.read("MAME.CFG"), "[config]\nvsync=yes\n");
  // A profile without an emulator folder writes no MAME.CFG into the current folder.
  const std::string keep = plat::CurrentDir();
  ASSERT_TRUE(plat::SetCurrentDir(h.emu.path()));
  plat::RemoveFile(h.emu.file("MAME.CFG"));
  h.w().ProfileLoaded = 1;
  h.w().EmulatorDir.clear();
  EXPECT_TRUE(h.w().SaveMAMECfg());
  EXPECT_FALSE(h.w().WriteMAMECfgTopKey("emulate_three", "NO"));
  h.w().LoadMAMECfg();
  plat::SetCurrentDir(keep);
  EXPECT_TRUE(plat::ListDir(h.emu.path()).empty());
  EXPECT_TRUE(h.seam.messages.empty());
}

TEST(MameCfgMenu, TextFilesOfTheEmulatorFolder) {
  CfgWindow h;
  h.w().LoadMAMECfg();
  EXPECT_EQ(MenuNames(h.w().TextFilesSUB), std::vector<std::string>{"MameTextFilesNoneOPT"});
  EXPECT_FALSE(h.w().TextFilesSUB->actions()[0]->isEnabled());
  EXPECT_EQ(h.w().TextFilesSUB->actions()[0]->text(), "<none>");

  h.emu.write("whatsnew.txt", "");
  h.emu.write("Docs/Rock & Roll.TXT", "");
  h.emu.write("DIR.TXT", "");
  h.emu.write("readme.doc", "");
  h.w().LoadMAMECfg();
  QList<QAction*> items = h.w().TextFilesSUB->actions();
  ASSERT_EQ(items.size(), 2);
  // Sorted by path without regard to case: Docs/... before whatsnew.txt.
  EXPECT_EQ(items[0]->text(), "&0. Rock && Roll.TXT");
  EXPECT_EQ(items[0]->objectName(), "File0");
  EXPECT_EQ(items[1]->text(), "&1. whatsnew.txt");
  EXPECT_EQ(h.w().TextFiles[1], h.emu.path() + "whatsnew.txt");

  for (int i = 0; i < 10; ++i) h.emu.write("more/n" + std::to_string(i) + ".txt", "");
  h.w().LoadMAMECfg();
  items = h.w().TextFilesSUB->actions();
  ASSERT_EQ(items.size(), 12);
  EXPECT_EQ(items[0]->text(), "Rock && Roll.TXT");
  EXPECT_EQ(items[11]->objectName(), "File11");

  // Choosing one opens it in the text editor, the file as the editor's own argument.
  h.w().TextEditor = "/usr/bin/editor";
  items[11]->trigger();
  ASSERT_EQ(h.seam.started.size(), 1u);
  EXPECT_EQ(h.seam.started[0],
            (std::vector<std::string>{"/usr/bin/editor", h.w().TextFiles[11]}));
}
