// The "please wait" progress window, created once at start-up and kept for the whole run.
#pragma once
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

 private:
  void FormShow();
  void FormHide();
  int pumps_ = 0;
};

// The program's one progress window (null until start-up has created it).
extern TWorkingFRM* WorkingFRM;
