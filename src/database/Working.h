// The "please wait" progress window, created once at start-up and kept for the whole run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "database/DXClass.h"

class QLabel;
class QProgressBar;
class QTimer;

class TWorkingFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TWorkingFRM(QWidget* owner = nullptr);
  ~TWorkingFRM() override;

  static int32_t Percentage(int32_t done, int32_t total);
  void SetProgress(int32_t p);

  QLabel* Operation = nullptr;           // the step text
  QLabel* ProgressPercentage = nullptr;
  QProgressBar* Progress = nullptr;
  QLabel* Bub1 = nullptr;
  QLabel* Bub2 = nullptr;
  QTimer* AnimationTMR = nullptr;

  // How often SetProgress let pending messages through (tests).
  int MessagePumps() const { return pumps_; }

  // The animation timer's handler: shows the other frame.
  void AnimationTMRTimer();

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  // The work it shows cannot be stopped: closing it is refused; it goes when the work ends.
  void closeEvent(QCloseEvent* e) override;

 private:
  void FormShow();
  void FormHide();
  int pumps_ = 0;
};

// The program's one progress window (null until start-up has created it).
extern TWorkingFRM* WorkingFRM;

// The progress window around one long operation: shown with a step text when made, hidden on
// every way out (or earlier, by Hide, before a message about the result). Does nothing while
// there is no progress window.
class TWorkingGuard {
 public:
  // text: Windows-1252; progress: a percentage, or -1 for no bar.
  explicit TWorkingGuard(const std::string& text, int32_t progress = 0);
  ~TWorkingGuard();
  TWorkingGuard(const TWorkingGuard&) = delete;
  TWorkingGuard& operator=(const TWorkingGuard&) = delete;

  void Step(const std::string& text, int32_t progress);
  void Set(int32_t progress);
  // Step `done` of the steps up to `last`, passed on when the whole percentage changes.
  void Progress(size_t done, size_t last);
  void Hide();

 private:
  int32_t last_ = -2;
  bool shown_ = false;
};
