#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTextEdit>

#include "frontend/TipOfTheDay.h"
#include "frontend/TipsFile.h"
#include "MainWindowHarness.h"
#include "../../fuzz/TipsFuzzChecks.h"
#include "support/CorpusCheck.h"
#include "support/TempDir.h"

namespace {

std::string Patch32(std::string s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

const std::string kThree = tips::Build({"one", "two", "three"});

}  // namespace

TEST(TipsFile, DamagedFilesGiveNoTextAndReadNothingOutside) {
  const auto offs = tips::ReadOffsets(kThree);
  ASSERT_EQ(offs.size(), 3u);
  EXPECT_EQ(*tips::LoadTip(kThree, offs[2]), "three");
  const uint32_t first = offs[0];
  struct Case {
    const char* what;
    std::string file;
    uint32_t offset;
  } cases[] = {
      {"offset past the end", kThree, static_cast<uint32_t>(kThree.size())},
      {"length cut off", kThree, static_cast<uint32_t>(kThree.size() - 2)},
      {"huge length", Patch32(kThree, first, 0xFFFFFFFFu), first},
      {"longer than the stream", Patch32(kThree, first, 4), first},
      {"stream cut off", kThree.substr(0, first + 6), first},
      {"not a zlib stream", Patch32(kThree, first + 4, 0x12345678u), first},
  };
  for (const Case& c : cases) EXPECT_FALSE(tips::LoadTip(c.file, c.offset)) << c.what;
  // No signature, or no table: no tips; a table without its 0 ends with the data.
  EXPECT_TRUE(tips::ReadOffsets("TIPX" + kThree.substr(4)).empty());
  EXPECT_TRUE(tips::ReadOffsets("TIPS").empty());
  EXPECT_EQ(tips::ReadOffsets(std::string("TIPS\x08\0\0\0\x09\0", 10)),
            (std::vector<uint32_t>{8}));
  CheckSeedsAndRegressions("tips", "frontend", fuzzchecks::CheckTips);
}

class TipDialog : public ::testing::Test {
 protected:
  void Open(const std::string& file, int32_t position, bool random = false) {
    dlg.Title = "Velmora";
    dlg.FileName = dir.write("VELMORA.TIP", file);
    dlg.Position = position;
    dlg.Random = random;
    dlg.FormShow();
  }
  std::string Shown() { return dlg.TipBOX->toPlainText().toStdString(); }
  TempDir dir;
  ScriptedSeam seam;
  TTipOfTheDayDLG dlg;
};

TEST_F(TipDialog, PositionIsTheNextTipAndWrapsBothWays) {
  Open(kThree, 2);
  EXPECT_EQ(Shown(), "three");
  EXPECT_EQ(dlg.Position, 0);
  EXPECT_EQ(dlg.windowTitle().toStdString(), "Velmora - Tip of the day (3/3)");
  // Previous steps back from the tip on screen, wrapping before the first; the position
  // stays the tip after the one shown.
  const char* back[] = {"two", "one", "three"};
  for (const char* tip : back) {
    dlg.PrevBTN->click();
    EXPECT_EQ(Shown(), tip);
  }
  EXPECT_EQ(dlg.Position, 0);
  EXPECT_EQ(dlg.windowTitle().toStdString(), "Velmora - Tip of the day (3/3)");
  dlg.PrevBTN->click();
  dlg.NextBTN->click();
  EXPECT_EQ(Shown(), "three");
  EXPECT_EQ(dlg.Position, 0);
  // A position beyond a shorter file starts again at the first tip.
  Open(kThree, 7);
  EXPECT_EQ(Shown(), "one");
  EXPECT_TRUE(seam.messages.empty()) << seam.AllMessages();
}

TEST_F(TipDialog, RandomOrderTakesTheNextPositionFromTheRandomNumbers) {
  seam.randoms = {2, 2, 0};
  Open(kThree, 1, true);
  EXPECT_EQ(Shown(), "two");
  EXPECT_EQ(dlg.Position, 2);
  dlg.NextBTN->click();
  EXPECT_EQ(Shown(), "three");
  EXPECT_EQ(dlg.Position, 2);  // it may repeat
  dlg.NextBTN->click();
  EXPECT_EQ(dlg.Position, 0);
}

TEST_F(TipDialog, MissingOrDamagedFilesAreReportedAndTheDialogStays) {
  const std::string notFound = "Tip-of-the-day resource file not found. Sorry, can't show any tip.";
  const std::string failed = "Error while loading tip of the day. Sorry, can't show any tip.";
  struct Case {
    std::string file;
    std::string message;
  } cases[] = {{"TIPX" + kThree.substr(4), notFound},
               {"TIPS", notFound},
               {Patch32(kThree, tips::ReadOffsets(kThree)[0], 0xFFFFFFF0u), failed},
               // one word of 9 KiB: more than a tip can be
               {tips::Build({std::string(9 << 10, 'w')}), failed}};
  for (const Case& c : cases) {
    seam.messages.clear();
    Open(c.file, 0);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, c.message);
    EXPECT_EQ(seam.messages[0].flags, plat::MB_ICONERROR);
    EXPECT_EQ(seam.messages[0].title, dlg.windowTitle().toStdString());
    EXPECT_EQ(dlg.Position, 0);
  }
  // A file beyond the size that can hold tips is refused before it is read.
  seam.messages.clear();
  dlg.FileName = dir.write("BIG.TIP", kThree);
  ASSERT_EQ(truncate(dlg.FileName.c_str(), tips::kMaxFileSize + 1), 0);
  dlg.FormShow();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text, "The tip-of-the-day file cannot be read:\r" + dlg.FileName +
                                       "\r(Larger than 16 MB)\rSorry, can't show any tip.");
}

TEST(TipOfTheDayAction, RunsModallyAndKeepsTheStatesInTheSettings) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.home.write("VELMORA.TIP", kThree);
  w.TipNumber = 1;
  w.TipsRandomly = false;
  w.ShowTipsAtStartup = true;
  h.seam.modalHandlers.push_back([](QWidget* win) {
    auto* dlg = static_cast<TTipOfTheDayDLG*>(win);
    dlg->FormShow();
    dlg->NextBTN->click();
    dlg->AutoShow->setChecked(false);
    dlg->ShowRandom->setChecked(true);
    return 1;
  });
  w.HelpTipsACTN->trigger();
  EXPECT_EQ(h.seam.modalWindows, std::vector<std::string>{"TTipOfTheDayDLG"});
  EXPECT_EQ(w.TipNumber, 0);
  EXPECT_TRUE(w.TipsRandomly);
  EXPECT_FALSE(w.ShowTipsAtStartup);
  EXPECT_TRUE(w.HelpTipsACTN->isVisible());
}

TEST(TipOfTheDayAction, ShownAtStartupOnlyWhenAsked) {
  for (bool on : {true, false}) {
    MainWindowHarness h;
    h.home.write("VELMORA.INI", "[General]\r\nLastProfile=" + h.home.file("none.vrl") +
                                    "\r\n[Tips]\r\nShowAtStartup=" + (on ? "1" : "0") + "\r\n");
    h.Make().show();
    auto tips = [&h] {
      return std::count(h.seam.modalWindows.begin(), h.seam.modalWindows.end(), "TTipOfTheDayDLG");
    };
    EXPECT_EQ(tips(), 0);  // the window shows first
    QCoreApplication::processEvents();
    EXPECT_EQ(tips(), on ? 1 : 0);
  }
}
