// The about window: the animated logo, the program's version and licence notice.
#pragma once
#include <array>
#include <string>

#include "database/DXClass.h"
#include "directx/DXImageList.h"

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

  // The frames "Logo01" .. "Logo12" are read from LOGO01.BMP .. LOGO12.BMP in the
  // program's shared files.
  explicit TAboutFRM(QWidget* owner = nullptr, const std::string& programDir = {});
  ~TAboutFRM() override;

  void FormShow();
  // One timer tick: draws the step's frame and moves to the next step.
  void LogoTMRTimer();
  int Step() const { return step_; }
  int LastFrame() const { return lastFrame_; }  // -1 before the first tick

  TDXDraw* LogoArea = nullptr;
  TDXImageList Logo;
  QPlainTextEdit* Notice = nullptr;
  QPushButton* OkBTN = nullptr;
  QTimer* LogoTMR = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  int step_ = 1;
  int lastFrame_ = -1;
};
