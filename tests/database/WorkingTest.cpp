#include "database/Working.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <stdexcept>

TEST(WorkingPercentage, WholePercentTruncatedAndClamped) {
  EXPECT_EQ(TWorkingFRM::Percentage(1, 3), 33);
  EXPECT_EQ(TWorkingFRM::Percentage(2, 3), 66);
  EXPECT_EQ(TWorkingFRM::Percentage(3, 3), 100);
  EXPECT_EQ(TWorkingFRM::Percentage(0, 0), 100);
  EXPECT_EQ(TWorkingFRM::Percentage(7, 0), 100);
  EXPECT_EQ(TWorkingFRM::Percentage(0, 5), 0);
  EXPECT_EQ(TWorkingFRM::Percentage(199, 200), 99);
  // Negative figures and overshoot stay inside 0..100; no overflow on large counts.
  EXPECT_EQ(TWorkingFRM::Percentage(-1, 5), 0);
  EXPECT_EQ(TWorkingFRM::Percentage(1, -5), 0);
  EXPECT_EQ(TWorkingFRM::Percentage(-1, -4), 25);
  EXPECT_EQ(TWorkingFRM::Percentage(6, 5), 100);
  EXPECT_EQ(TWorkingFRM::Percentage(INT32_MAX, INT32_MAX), 100);
  EXPECT_EQ(TWorkingFRM::Percentage(INT32_MAX / 2, INT32_MAX), 49);
  EXPECT_EQ(TWorkingFRM::Percentage(INT32_MIN, 1), 0);
}

TEST(WorkingWindow, SetProgressShowsHidesAndPumpsOnlyOnChange) {
  TWorkingFRM w;
  EXPECT_EQ(w.ProgressPercentage->text(), "0%");
  EXPECT_EQ(w.Progress->minimum(), 0);
  EXPECT_EQ(w.Progress->maximum(), 100);

  w.SetProgress(45);
  EXPECT_EQ(w.Progress->value(), 45);
  EXPECT_EQ(w.ProgressPercentage->text(), "45%");
  EXPECT_EQ(w.MessagePumps(), 1);
  w.SetProgress(45);  // the same whole percent: returns at once
  EXPECT_EQ(w.MessagePumps(), 1);

  w.SetProgress(-1);
  EXPECT_TRUE(w.Progress->isHidden());
  EXPECT_TRUE(w.ProgressPercentage->isHidden());
  EXPECT_EQ(w.MessagePumps(), 2);
  w.SetProgress(-1);  // nothing left to hide
  EXPECT_EQ(w.MessagePumps(), 2);

  // The old position arriving while hidden shows the bar again.
  w.SetProgress(45);
  EXPECT_FALSE(w.Progress->isHidden());
  EXPECT_FALSE(w.ProgressPercentage->isHidden());
  EXPECT_EQ(w.ProgressPercentage->text(), "45%");
  EXPECT_EQ(w.MessagePumps(), 3);

  w.SetProgress(-1);
  w.SetProgress(0);
  EXPECT_FALSE(w.Progress->isHidden());
  EXPECT_EQ(w.ProgressPercentage->text(), "0%");

  // Values above 100 are shown as 100 and do not pump on every call.
  w.SetProgress(250);
  EXPECT_EQ(w.Progress->value(), 100);
  int pumps = w.MessagePumps();
  w.SetProgress(250);
  EXPECT_EQ(w.MessagePumps(), pumps);
}

TEST(WorkingWindow, PendingWorkRunsWhileProgressChanges) {
  TWorkingFRM w;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  w.SetProgress(10);
  EXPECT_TRUE(ran);
  ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  w.SetProgress(10);  // unchanged: no messages processed
  EXPECT_FALSE(ran);
  QApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST(WorkingWindow, ShowingStartsTheAnimationFromTheFirstFrame) {
  TWorkingFRM w;
  w.Operation->setText("Parsing...");
  EXPECT_FALSE(w.AnimationTMR->isActive());
  EXPECT_EQ(w.AnimationTMR->interval(), 500);
  EXPECT_TRUE(w.Bub1->isHidden());
  EXPECT_TRUE(w.Bub2->isHidden());
  ASSERT_FALSE(w.Bub1->pixmap().isNull());
  EXPECT_EQ(w.Bub1->pixmap().size(), QSize(48, 41));
  EXPECT_EQ(w.Bub2->pixmap().size(), QSize(48, 41));
  EXPECT_NE(w.Bub1->pixmap().toImage(), w.Bub2->pixmap().toImage());

  w.show();
  EXPECT_EQ(w.windowTitle(), "Velmora - Please wait...");
  EXPECT_TRUE(w.AnimationTMR->isActive());
  EXPECT_FALSE(w.Bub1->isHidden());
  EXPECT_TRUE(w.Bub2->isHidden());

  w.AnimationTMRTimer();
  EXPECT_TRUE(w.Bub1->isHidden());
  EXPECT_FALSE(w.Bub2->isHidden());
  w.AnimationTMRTimer();
  EXPECT_FALSE(w.Bub1->isHidden());
  EXPECT_TRUE(w.Bub2->isHidden());
  w.AnimationTMRTimer();

  w.hide();
  EXPECT_FALSE(w.AnimationTMR->isActive());
  // Shown again: from Bub1.
  w.show();
  EXPECT_FALSE(w.Bub1->isHidden());
  EXPECT_TRUE(w.Bub2->isHidden());
  EXPECT_TRUE(w.AnimationTMR->isActive());

  // The real timer advances the frames (the minute guards against a hang only).
  QElapsedTimer t;
  t.start();
  while (!w.Bub1->isHidden() && t.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_TRUE(w.Bub1->isHidden());
  EXPECT_FALSE(w.Bub2->isHidden());
  w.hide();
}

TEST(WorkingWindow, FirstWindowIsTheProgramsProgressWindow) {
  TWorkingFRM* saved = WorkingFRM;
  WorkingFRM = nullptr;
  {
    TWorkingFRM first;
    TWorkingFRM second;
    EXPECT_EQ(WorkingFRM, &first);
  }
  EXPECT_EQ(WorkingFRM, nullptr);
  WorkingFRM = saved;
}

TEST(WorkingGuard, ShownForItsLifeAndHiddenOnEveryWayOut) {
  TWorkingFRM w;
  WorkingFRM = &w;
  try {
    TWorkingGuard g("Building list...", 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Operation->text(), "Building list...");
    int pumps = w.MessagePumps();
    for (size_t i = 0; i < 1000; ++i) g.Progress(i, 999);
    EXPECT_EQ(w.MessagePumps(), pumps + 100);  // once per whole percent
    // The reports, imports and the launch run under it: closing it mid-run is refused.
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    throw std::runtime_error("stop");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(w.isVisible());
  WorkingFRM = nullptr;
  TWorkingGuard none("Nothing to show", 0);  // no progress window: nothing happens
}
