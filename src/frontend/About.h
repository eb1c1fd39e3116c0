// The about window: the animated logo, the program's version and licence notice.
#pragma once
#include <QImage>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "database/DXClass.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

class TAboutFRM : public TDXForm {
  Q_OBJECT
 public:
  // Image index of each animation step 1..22: forward through the twelve frames and back.
  static constexpr std::array<int, 22> kLogoSteps = {0, 1, 2, 3, 4,  5, 6, 7, 8, 9, 10,
                                                     11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  static constexpr int kLogoWidth = 389, kLogoHeight = 120, kLogoFrames = 12, kInterval = 55;

  // The frames come from LOGO01.BMP .. LOGO12.BMP in the program's shared files.
  explicit TAboutFRM(QWidget* owner = nullptr, const std::string& programDir = {});
  ~TAboutFRM() override;

  void FormShow();
  // One timer tick: draws the step's frame and moves to the next step.
  void LogoTMRTimer();
  int Step() const { return step_; }
  int LastFrame() const { return lastFrame_; }  // -1 before the first tick
  int FrameCount() const { return static_cast<int>(frames_.size()); }

  QWidget* LogoArea = nullptr;
  QPlainTextEdit* Notice = nullptr;
  QPushButton* OkBTN = nullptr;
  QTimer* LogoTMR = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  std::vector<QImage> frames_;
  int step_ = 1;
  int lastFrame_ = -1;
};
