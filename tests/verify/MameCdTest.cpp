#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScreen>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

#include "database/Report.h"
#include "frontend/MainWindowHarness.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "support/TempDir.h"
#include "verify/MameCd.h"

namespace {

// A scripted seam that also lets a test act when a message is shown (swapping discs).
class HookSeam : public ScriptedSeam {
 public:
  std::function<void(const std::string&)> onMessage;
  int MessageBox(QWidget* w, const std::string& title, const std::string& text,
                 unsigned flags) override {
    if (onMessage) onMessage(text);
    return ScriptedSeam::MessageBox(w, title, text, flags);
  }
};

// A profile of five games over a small collection: a master with a clone, a folder set, a game
// on a resource, and one whose set is missing; 800-byte discs.
struct Collection {
  MainWindowHarness h;
  HookSeam seam;
  TempDir emu, dest;
  TMainFRM* w = nullptr;
  std::unique_ptr<TMameCdFRM> cd;

  explicit Collection(std::initializer_list<const char*> names = {"PACMAN", "PUCKMAN", "GALAXIAN",
                                                                   "MSLUG", "MISSING"}) {
    w = &h.Make();
    h.LoadGames(names, emu.path());
    if (GameRecord* g = h.Game("PUCKMAN")) g->CloneOf = g->RomOf = "PACMAN";
    if (GameRecord* g = h.Game("MSLUG")) g->RomOf = "NEOGEO";
    if (GameRecord* g = h.Game("PACMAN")) g->Samples = std::make_unique<StringList>(StringList{"a.wav"});
    auto bios = types::NewGameRecord();
    bios->Kind = KIND_RESOURCE;
    bios->Name = "NEOGEO";
    w->Resources->push_back(std::move(bios));
    w->BuildGameIndex();
    emu.write("roms/PACMAN.zip", std::string(300, 'p'));
    emu.write("roms/PUCKMAN.zip", std::string(200, 'u'));
    emu.write("roms/galaxian/g1", std::string(100, 'g'));
    emu.write("roms/galaxian/g2", std::string(50, 'h'));
    emu.write("roms/NEOGEO.zip", std::string(50, 'n'));
    emu.write("roms/MSLUG.zip", std::string(400, 'm'));
    emu.write("samples/PACMAN.zip", std::string(30, 's'));
    w->MAMEDirectories.rompath = "roms";
    w->MAMEDirectories.samplepath = "samples";
    cd = std::make_unique<TMameCdFRM>();
    MameCdFRM = cd.get();
    cd->Main = w;
    cd->FormShow();
    cd->DestinationDir->setText(QString::fromStdString(dest.path() + "MAMECD"));
    cd->DiscBytes = 800;
  }
  ~Collection() {
    cd.reset();
    h.Destroy();  // while this seam is still in place
  }
  std::string Disc(int n) const { return dest.path() + "MAMECD/DISC" + std::to_string(n) + "/"; }
};

std::string Masked(const std::string& ini) {
  return std::regex_replace(std::regex_replace(ini, std::regex("CreatedOn=[^\r]*"), "CreatedOn=*"),
                            std::regex("Serial=[0-9A-F]{8}"), "Serial=*");
}

}  // namespace

TEST(MameCd, WritesDiscsAndTheirIndexesInBothModes) {
  Collection c;
  c.h.home.write("FINISH.WAV", "RIFF");
  EXPECT_EQ(c.cd->windowTitle(), "Velmora - Create MAMECDs");
  EXPECT_EQ(c.cd->MaxDiscSpace->currentText(), "650");
  EXPECT_EQ(c.cd->DiscType->currentIndex(), 1);
  c.cd->GoBTNClick();
  EXPECT_EQ(c.cd->CancelBTN->text(), "&Close");  // the window stays open after the run
  EXPECT_EQ(c.cd->Pass->text().toStdString(), "Done: 2 disc(s) written");
  EXPECT_TRUE(c.cd->GoBTN->isEnabled());
  EXPECT_EQ(c.seam.sounds.size(), 1u);
  // The missing set is named at the end, not passed over.
  ASSERT_FALSE(c.seam.messages.empty());
  EXPECT_NE(c.seam.messages.back().text.find("[MISSING]"), std::string::npos);
  EXPECT_EQ(c.cd->FailedSets, std::vector<std::string>{"[MISSING]"});

  for (const char* f : {"ROMS/PACMAN.zip", "ROMS/PUCKMAN.zip", "ROMS/GALAXIAN/g1",
                        "ROMS/GALAXIAN/g2", "ROMS/NEOGEO.zip", "SAMPLES/PACMAN.zip"})
    EXPECT_TRUE(plat::FileExists(c.Disc(1) + f)) << f;
  for (const char* f : {"ROMS/MSLUG.zip", "ROMS/NEOGEO.zip", "SAMPLES/PACMAN.zip"})
    EXPECT_TRUE(plat::FileExists(c.Disc(2) + f)) << f;
  EXPECT_FALSE(plat::DirExists(c.Disc(3)));
  const std::string games = "PACMAN=1\r\nPUCKMAN=1\r\nGALAXIAN=1\r\nMSLUG=2\r\n";
  std::string one, two;
  ASSERT_TRUE(plat::ReadWholeFile(c.Disc(1) + "MAMECD.INI", one));
  ASSERT_TRUE(plat::ReadWholeFile(c.Disc(2) + "MAMECD.INI", two));
  EXPECT_EQ(Masked(one),
            "[MAMECD]\r\nDisc=1\r\nRoms=ROMS\r\nSamples=SAMPLES\r\nCreatedWith=Velmora\r\n"
            "FileVersion=2\r\nCreatedOn=*\r\nSerial=*\r\n\r\n[ROMS]\r\n" + games +
            "NEOGEO=1\r\n\r\n[SAMPLES]\r\nPACMAN=1\r\n\r\n");
  // One serial and one time for the whole collection.
  std::smatch a, b;
  const std::regex stamp("CreatedOn=[^\r]*\r\nSerial=([0-9A-F]{8})");
  ASSERT_TRUE(std::regex_search(one, a, stamp));
  ASSERT_TRUE(std::regex_search(two, b, stamp));
  EXPECT_EQ(a.str(0), b.str(0));
  EXPECT_NE(a.str(1), "00000000");

  // Base mode into a folder that exists; the earlier discs there are warned about first.
  c.seam.messages.clear();
  c.cd->DiscType->setCurrentIndex(0);
  c.seam.messageAnswers = {plat::IDNO};
  c.cd->GoBTNClick();
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_NE(c.seam.messages[0].text.find("already holds disc folders"), std::string::npos);
  EXPECT_EQ(c.cd->CancelBTN->text(), "&Cancel");
  c.cd->GoBTNClick();  // answered Yes
  ASSERT_TRUE(plat::ReadWholeFile(c.Disc(2) + "MAMECD.INI", two));
  EXPECT_EQ(two, "[MAMECD]\r\nDisc=2\r\nRoms=ROMS\r\nSamples=SAMPLES\r\n\r\n[ROMS]\r\n" + games +
                     "NEOGEO=2\r\n\r\n[SAMPLES]\r\nPACMAN=2\r\n\r\n");

  // A read-only archive there is kept, whoever runs the program, and named with the reason.
  c.dest.write("MAMECD/DISC1/ROMS/PUCKMAN.zip", "mine");
  chmod(c.Disc(1).append("ROMS/PUCKMAN.zip").c_str(), 0444);
  c.cd->GoBTNClick();
  EXPECT_EQ(c.dest.read("MAMECD/DISC1/ROMS/PUCKMAN.zip"), "mine");
  EXPECT_EQ(c.cd->FailedSets,
            (std::vector<std::string>{"[PUCKMAN]: Permission denied", "[MISSING]"}));
}

TEST(MameCd, RefusesWithoutSpaceAndCopiesNothing) {
  Collection c({"HUGE"});
  const std::string huge = c.emu.file("roms/HUGE.zip");
  c.emu.write("roms/HUGE.zip", "");
  const int64_t free = TMameCdFRM::DriveFreeSpace(c.dest.path());
  ASSERT_GT(free, 0);
  ASSERT_EQ(truncate(huge.c_str(), free + 1000000), 0);  // sparse: never copied
  c.cd->DiscBytes = 0;
  c.cd->GoBTNClick();
  ASSERT_EQ(c.seam.messages.size(), 1u);
  const std::string& text = c.seam.messages[0].text;
  EXPECT_EQ(text.rfind("The path you selected resides on a disk with not enough space to hold the "
                       "required disc images.\rYou need ", 0), 0u) << text;
  EXPECT_NE(text.find(" bytes free on your disk.\r\rPlease select another target drive and try "
                      "again."), std::string::npos);
  EXPECT_EQ(c.seam.messages[0].flags, plat::MB_ICONERROR);
  EXPECT_FALSE(plat::DirExists(c.dest.path() + "MAMECD"));
  EXPECT_TRUE(std::regex_match(c.cd->FreeSpace->text().toStdString(),
                               std::regex("[0-9]{1,3}(,[0-9]{3})+")))
      << c.cd->FreeSpace->text().toStdString();

  // Resources on every disc that fill a disc alone: refused before any estimate.
  c.seam.messages.clear();
  c.cd->DiscBytes = 10;
  GameRecord* g = c.h.Game("HUGE");
  g->RomOf = "NEOGEO";
  c.cd->GoBTNClick();
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_NE(c.seam.messages[0].text.find("Please choose a larger disc size."), std::string::npos);
  EXPECT_EQ(c.cd->CancelBTN->text(), "&Cancel");

  // A read-only folder is told as such, not as a lack of space.
  c.seam.messages.clear();
  chmod(c.dest.path().c_str(), 0555);
  c.cd->GoBTNClick();
  chmod(c.dest.path().c_str(), 0755);
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_EQ(c.seam.messages[0].text, "The directory " + c.dest.path().substr(0, c.dest.path().size() - 1) +
                                         " cannot be written to: it is read-only.\r\r"
                                         "Please select another target drive and try again.");
  EXPECT_FALSE(plat::DirExists(c.dest.path() + "MAMECD"));
}

TEST(MameCd, ClosingOrEscapeDuringARunAsksLikeAbortAndGoCannotStartASecondRun) {
  for (int answer : {plat::IDNO, plat::IDYES}) {
    for (bool escape : {false, true}) {
      SCOPED_TRACE(std::to_string(answer) + (escape ? " escape" : " close"));
      Collection c;
      c.cd->show();  // showing resets the fields
      if (QScreen* s = c.cd->screen()) {  // and places the window in the middle of the screen
        EXPECT_LE((c.cd->frameGeometry().center() - s->availableGeometry().center())
                      .manhattanLength(), 2);
      }
      c.cd->DestinationDir->setText(QString::fromStdString(c.dest.path() + "MAMECD"));
      c.seam.messageAnswers = {answer};
      bool refused = false;
      QTimer::singleShot(0, c.cd.get(), [&] {
        c.cd->GoBTNClick();  // no second run inside the first
        if (escape) {
          QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
          QApplication::sendEvent(c.cd.get(), &press);
          refused = true;
        } else {
          refused = !c.cd->close();
        }
      });
      c.cd->GoBTNClick();
      EXPECT_TRUE(refused);
      ASSERT_FALSE(c.seam.messages.empty());
      EXPECT_EQ(c.seam.messages[0].text.rfind("This will stop the MAMECD disc creation", 0), 0u);
      const bool aborted = answer == plat::IDYES;
      // Declined: one run to its end (one folder question, one list of missing sets).
      EXPECT_EQ(c.seam.messages.size(), aborted ? 1u : 3u) << c.seam.AllMessages();
      EXPECT_EQ(c.cd->isVisible(), !aborted);
      EXPECT_EQ(plat::FileExists(c.Disc(1) + "MAMECD.INI"), !aborted);
      EXPECT_FALSE(c.cd->Running());
      // Idle, Escape is Cancel.
      c.cd->show();
      c.seam.messages.clear();
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(c.cd.get(), &press);
      EXPECT_FALSE(c.cd->isVisible());
      EXPECT_TRUE(c.seam.messages.empty());
    }
  }
}

TEST(MameCd, DiscInformationAndTheLaunchReadTheDiscs) {
  Collection c;
  c.cd->GoBTNClick();
  std::string report;
  c.seam.modalHandlers.push_back([&](QWidget* window) {
    auto* r = qobject_cast<TReportFRM*>(window);
    if (r) report = r->DocumentTitle() + "\n" + r->Doc->toPlainText().toStdString();
    return 1;
  });
  c.w->MameCdDrive = c.Disc(2);
  c.cd->ShowDiscInformation();
  EXPECT_NE(report.find("Velmora - MAMECD disc information\nCD information\n\nDisc number: "
                        "...................................... 2\n"),
            std::string::npos) << report;
  const std::string dots(25, '.');
  EXPECT_NE(report.find("Roms contained in disc 1: " + dots + " 3\nRoms contained in disc 2: " +
                        dots + " 2"),
            std::string::npos) << report;

  c.seam.messages.clear();
  c.w->MameCdDrive = c.emu.path();
  c.cd->ShowDiscInformation();
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_EQ(c.seam.messages[0].text,
            "No MAMECD compliant disc in drive.\rInsert a MAMECD disc and try again.");

  // An index larger than any is refused unread, by name, and no report is shown.
  TempDir huge;
  std::filesystem::resize_file(huge.write("MAMECD.INI", ""), plat::IniFile::kMaxFileSize + 1);
  c.seam.messages.clear();
  report.clear();
  c.w->MameCdDrive = huge.path();
  c.cd->ShowDiscInformation();
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_EQ(c.seam.messages[0].text, "The MAMECD index \"" + huge.file("MAMECD.INI") +
                                         "\" could not be read:\rLarger than 64 MB");
  EXPECT_EQ(report, "");

  // The launch's disc road: MSLUG is on disc 2; the drive is the folder of disc 1 until Retry
  // lets the user choose the folder of disc 2.
  c.w->MameCdEnabled = true;
  c.w->MameCdDrive = c.Disc(1);
  c.seam.messages.clear();
  c.seam.folderAnswers = {c.Disc(2)};
  const std::string path = c.w->FindSetSource("MSLUG", 1, true);
  EXPECT_EQ(path, c.Disc(2) + "ROMS/MSLUG.zip");
  EXPECT_EQ(c.w->MameCdDrive, c.Disc(2));
  ASSERT_EQ(c.seam.messages.size(), 1u);
  EXPECT_NE(c.seam.messages[0].text.find("into the drive " + c.Disc(1) + ":\r\rDisc 2.\r"),
            std::string::npos) << c.seam.messages[0].text;
  EXPECT_NE(c.seam.messages[0].text.find("Retry lets you choose the folder"), std::string::npos);
}

// The end of the session during a run stops it as an abort does, asking nothing.
TEST(MameCd, TheSessionEndStopsARun) {
  Collection c;
  c.cd->show();
  c.cd->DestinationDir->setText(QString::fromStdString(c.dest.path() + "MAMECD"));
  QTimer::singleShot(0, c.cd.get(), [&c] { c.w->EndSession(); });
  c.cd->GoBTNClick();
  EXPECT_FALSE(c.cd->Running() || c.cd->isVisible());
  EXPECT_FALSE(plat::FileExists(c.Disc(1) + "MAMECD.INI"));
  EXPECT_TRUE(c.seam.messages.empty()) << c.seam.AllMessages();
}
