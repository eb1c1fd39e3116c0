#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

#include "frontend/MainWindowHarness.h"
#include "launch/SetSources.h"
#include "platform/Drives.h"
#include "platform/Files.h"

namespace {

// A seam that can change the world (swap the disc) when a message is shown.
struct SwapSeam : ScriptedSeam {
  std::deque<std::function<void()>> onMessage;
  int MessageBox(QWidget* parent, const std::string& title, const std::string& text,
                 unsigned flags) override {
    if (!onMessage.empty()) {
      auto f = std::move(onMessage.front());
      onMessage.pop_front();
      f();
    }
    return ScriptedSeam::MessageBox(parent, title, text, flags);
  }
};

struct SetWindow : MainWindowHarness {
  TempDir emu, other, drive;
  SwapSeam ui;
  SetWindow() {
    Make();
    LoadGames({"PACMAN"}, emu.path());
    launch::ForgetFolderIndexes();
    plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{{"D:", drive.path(), "MAMECD", ""}});
  }
  ~SetWindow() {
    Destroy();
    plat::SetCdRomDrivesForTests(std::nullopt);
  }
  TMainFRM& w() { return *window; }
  // Puts a MAMECD disc in the drive: its index and a rom folder "roms" holding `files`.
  void Insert(int disc, int version, const std::string& serial, const std::string& roms,
              std::initializer_list<const char*> files = {}) {
    plat::RemoveTree(drive.path());
    plat::MakeDirs(drive.path());
    drive.write("MameCd.ini", "[MameCd]\r\nDisc=" + std::to_string(disc) + "\r\nFileVersion=" +
                                  std::to_string(version) + "\r\nSerial=" + serial +
                                  "\r\n[MAMECD]\r\nRoms= \\roms \r\n[Roms]\r\n" + roms);
    for (const char* f : files) drive.write(std::string("roms/") + f, "disc");
  }
};

const char* kPrompt3 = "Please insert the following disc into the D: drive:\r\rDisc 3.\r";

}  // namespace

// The probe order, folder order, case and kind rules of the local road, on one layout.
TEST(FindSetSource, LocalRoadProbesEachFolderInOrder) {
  SetWindow t;
  for (const char* f : {"Roms/pacman.ace", "Roms/PACMAN.rar", "Roms/Pacman.zip", "Roms/pacman/x",
                        "Roms/galaga/x", "Roms/GALAGA.Zip", "Roms/DKONG.ZIP/x", "Roms/MSPAC/x",
                        "samples/PACMAN.ZIP", "mame.exe"})
    t.emu.write(f, "x");
  for (const char* f : {"mspac.zip", "dkong.zip", "dkong.rar/x", "only.ZIP"}) t.other.write(f, "x");
  symlink(t.other.file("mspac.zip").c_str(), t.emu.file("Roms/LINKED.ZIP").c_str());
  t.w().MAMEDirectories.rompath = " ROMS ;; " + t.other.path() + " ; ;";
  t.w().MAMEDirectories.samplepath = ".;samples";
  const std::string roms = t.emu.path() + "Roms/";
  struct Case {
    const char* set;
    uint8_t kind;
    std::string want;
  } cases[] = {
      {"PACMAN", 1, roms + "pacman.ace"},             // ACE before RAR, ZIP and the folder
      {"galaga", 3, roms + "GALAGA.Zip"},             // ZIP before the folder, real spelling
      {"MSPAC", 1, roms + "MSPAC"},                   // first folder wins, folder without "/"
      {"DKONG", 1, t.other.path() + "dkong.zip"},     // a folder named .ZIP is not an archive
      {"ONLY", 1, t.other.path() + "only.ZIP"},       // absolute folder of the list
      {"linked", 1, roms + "LINKED.ZIP"},             // a link to an archive is that archive
      {"PACMAN", 2, t.emu.path() + "samples/PACMAN.ZIP"},
      {"MAME", 2, ""},                                // "mame.exe" is no set
      {"NOWHERE", 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(t.w().FindSetSource(c.set, c.kind, true), c.want) << c.set << " kind " << +c.kind;
  EXPECT_TRUE(t.ui.messages.empty());  // the disc road is off
  EXPECT_TRUE(t.w().FindSetSource("PACMAN", 1, false).size());
  t.w().MAMEDirectories.rompath = "";
  EXPECT_EQ(t.w().FindSetSource("PACMAN", 1, false), "");
}

// The folder index is kept, yet a set added later is found, also in a folder whose index had
// settled long ago.
TEST(FindSetSource, CachedIndexSeesNewSets) {
  SetWindow t;
  t.emu.write("roms/A.ZIP", "x");
  t.w().MAMEDirectories.rompath = "roms";
  const std::string dir = t.emu.file("roms");
  timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), old, 0), 0);
  EXPECT_EQ(t.w().FindSetSource("a", 1, false), dir + "/A.ZIP");
  EXPECT_EQ(t.w().FindSetSource("B", 1, false), "");
  t.emu.write("roms/b.zip", "x");
  EXPECT_EQ(t.w().FindSetSource("B", 1, false), dir + "/b.zip");
  plat::RemoveFile(dir + "/A.ZIP");
  EXPECT_EQ(t.w().FindSetSource("A", 1, false), "");
  // Folders of the list made or renamed after the list was first read.
  t.w().MAMEDirectories.rompath = "roms;late";
  EXPECT_EQ(t.w().FindSetSource("C", 1, false), "");
  t.emu.write("LATE/c.ace", "x");
  EXPECT_EQ(t.w().FindSetSource("C", 1, false), t.emu.path() + "LATE/c.ace");
  ASSERT_EQ(rename(dir.c_str(), t.emu.file("Roms").c_str()), 0);
  EXPECT_EQ(t.w().FindSetSource("B", 1, false), t.emu.path() + "Roms/b.zip");
}

TEST(FindSetSource, DiscRoadAsksForTheListedDisc) {
  SetWindow t;
  t.w().MameCdEnabled = true;
  t.w().MameCdDrive = "d:";
  t.emu.write("ROMS/PACMAN.ZIP", "local");
  t.emu.write("ROMS/GALAGA.ZIP", "local");
  t.w().MAMEDirectories.rompath = "ROMS";
  t.Insert(1, 2, "0000abcd", "PACMAN=3\r\nGALAGA=3\r\n");
  // Disc 1 is in: the wrong-disc message with the prompt; Retry after disc 3 goes in.
  t.ui.onMessage.push_back([&] { t.Insert(3, 2, "0000ABCD", "PACMAN=3\r\nGALAGA=3\r\n", {"Pacman.Zip"}); });
  EXPECT_EQ(t.w().FindSetSource("pacman", 1, true), t.drive.path() + "roms/Pacman.Zip");
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, std::string("You have inserted disc 1.\r") + kPrompt3);
  EXPECT_EQ(t.ui.messages[0].flags, plat::MB_RETRYCANCEL | plat::MB_ICONINFORMATION);
  EXPECT_EQ(t.w().MameCdSerial, 0xABCDu);  // from the disc accepted
  // Listed on the disc but missing there: nothing, the local road is not tried.
  EXPECT_EQ(t.w().FindSetSource("GALAGA", 1, true), "");
  // Not listed: silently the local road; a disabled disc road changes nothing.
  EXPECT_EQ(t.w().FindSetSource("galaga", 1, false), t.emu.path() + "ROMS/GALAGA.ZIP");
  t.w().MameCdEnabled = false;
  EXPECT_EQ(t.w().FindSetSource("PACMAN", 1, true), t.emu.path() + "ROMS/PACMAN.ZIP");
  EXPECT_EQ(t.ui.messages.size(), 1u);
  // The index's folder stays below the disc's root.
  EXPECT_EQ(launch::DiscSetFolder("/cd", " \\roms\\sub "), "/cd/roms/sub/");
  for (const char* up : {"..\\..", "roms/../..", "./roms", "ro\tms"})
    EXPECT_EQ(launch::DiscSetFolder("/cd", up), "") << up;
}

// Each row: the disc in the drive, the disc asked for, the serial known before, the answers,
// the discs inserted on each message, and what is expected.
TEST(AskForMameCdDisc, MessagesAndEndings) {
  struct Disc {
    int number, version;
    const char* serial;
  };
  struct Case {
    const char* name;
    std::optional<Disc> inserted;
    int asked;
    uint32_t knownSerial;
    std::vector<int> answers;
    std::vector<std::optional<Disc>> swaps;
    bool result;
    uint32_t serialAfter;
    std::vector<std::string> texts;
  };
  const std::string noDisc = "No MAMECD compliant disc has been found in the CD-ROM drive.\r";
  const std::string unsupported =
      "The MAMECD disc you have inserted is written in an unsupported format.\r"
      "Please upgrade to the latest version of Velmora as soon as possible.";
  const std::string otherCollection =
      "This MAMECD disc does not belong to the same collection as the previous one.\r";
  const std::string anyPrompt = "Please insert a disc into the D: drive.\r\rAny MAMECD disc will do"
                                ", provided it comes from the collection number 0000ABCD.\r";
  const Case cases[] = {
      {"empty drive, then disc 3", std::nullopt, 3, 0, {plat::IDRETRY}, {Disc{3, 2, "12345678"}},
       true, 0x12345678, {noDisc + kPrompt3}},
      {"empty drive, cancelled", std::nullopt, 3, 0, {plat::IDCANCEL}, {}, false, 0,
       {noDisc + kPrompt3}},
      {"format 3, cancelled", Disc{3, 3, "1"}, 3, 0, {plat::IDCANCEL}, {}, false, 0, {unsupported}},
      {"format 1 after format 2 ends at once", Disc{2, 1, "00000000"}, 2, 0xABCD, {}, {}, true,
       0xABCD, {}},
      {"other collection, Retry looks again", Disc{4, 2, "99"}, 4, 0xABCD, {plat::IDRETRY},
       {Disc{4, 2, "0000ABCD"}}, true, 0xABCD,
       {otherCollection +
        "Please insert the following disc into the D: drive:\r\rDisc 4, serial# 0000ABCD.\r"}},
      {"any disc: one pass, even from another collection", Disc{0, 2, "99"}, 0, 0xABCD,
       {plat::IDRETRY, plat::IDCANCEL}, {}, true, 0xABCD, {otherCollection + anyPrompt}},
      {"any disc: one pass, even of format 3", Disc{1, 3, "1"}, 0, 0,
       {plat::IDRETRY, plat::IDCANCEL}, {}, true, 0, {unsupported}},
      {"other collection, cancelled", Disc{3, 2, "99"}, 3, 0xABCD, {plat::IDCANCEL}, {}, false,
       0xABCD,
       {otherCollection +
        "Please insert the following disc into the D: drive:\r\rDisc 3, serial# 0000ABCD.\r"}},
      {"any disc, serial taken", Disc{5, 2, "00C0FFEE"}, 0, 0, {}, {}, true, 0xC0FFEE, {}},
  };
  for (const Case& c : cases) {
    SetWindow t;
    t.w().MameCdDrive = "D:";
    t.w().MameCdSerial = c.knownSerial;
    auto put = [&t](const std::optional<Disc>& d) {
      if (d)
        t.Insert(d->number, d->version, d->serial, "");
      else
        plat::RemoveFile(t.drive.file("MameCd.ini"));
    };
    put(c.inserted);
    for (const auto& s : c.swaps) t.ui.onMessage.push_back([put, s] { put(s); });
    t.ui.messageAnswers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(t.w().AskForMameCdDisc(c.asked), c.result) << c.name;
    EXPECT_EQ(t.w().MameCdSerial, c.serialAfter) << c.name;
    std::vector<std::string> texts;
    for (const ShownMessage& m : t.ui.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, c.texts) << c.name;
  }
}
