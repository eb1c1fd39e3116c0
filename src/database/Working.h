// The "please wait" progress window, created once at start-up and kept for the whole run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "database/DXClass.h"

class QLabel;
class QProgressBar;
class QPushButton;
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
  QPushButton* CancelBTN = nullptr;  // shown for work that can be stopped
  QTimer* AnimationTMR = nullptr;

  // Work that can be stopped: the window is modal and closable, and shows CancelBTN; the
  // button, Escape and closing ask the work to stop. Set while the window is hidden.
  void SetCancellable(bool cancellable);
  bool Cancellable() const { return cancellable_; }
  bool CancelRequested() const { return cancelRequested_; }
  void RequestCancel();

  // How often SetProgress let pending messages through (tests).
  int MessagePumps() const { return pumps_; }

  // The animation timer's handler: shows the other frame.
  void AnimationTMRTimer();

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  // The window goes when the work ends: closing it only asks work that can be stopped to stop.
  void closeEvent(QCloseEvent* e) override;

 private:
  void FormShow();
  void FormHide();
  int pumps_ = 0;
  bool cancellable_ = false;
  bool cancelRequested_ = false;
};

// The program's one progress window (null until start-up has created it).
extern TWorkingFRM* WorkingFRM;

// The progress window around one long operation: shown with a step text when made, hidden on
// every way out (or earlier, by Hide, before a message about the result). Does nothing while
// there is no progress window.
class TWorkingGuard {
 public:
  // text: Windows-1252; progress: a percentage, or -1 for no bar; cancellable: the user may
  // ask the work to stop (see TWorkingFRM::SetCancellable).
  explicit TWorkingGuard(const std::string& text, int32_t progress = 0, bool cancellable = false);
  ~TWorkingGuard();
  TWorkingGuard(const TWorkingGuard&) = delete;
  TWorkingGuard& operator=(const TWorkingGuard&) = delete;

  void Step(const std::string& text, int32_t progress);
  void Set(int32_t progress);
  // Step `done` of the steps up to `last`, passed on when the whole percentage changes.
  void Progress(size_t done, size_t last);
  void Hide();
  // For work that can be stopped: lets pending messages through (the user's input reaches
  // only the modal progress window) and tells whether the user asked to stop.
  bool Poll();

 private:
  int32_t last_ = -2;
  bool shown_ = false;
};
