// The video options dialog, with its viewable-area, centering and rotation previews.
#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include "launch/OptionDialog.h"

class TMainFRM;
struct GameRecord;

// A monitor preview that reports drags (offset from the press point) and is painted by its
// owner.
class TMonitorPreview : public QWidget {
  Q_OBJECT
 public:
  explicit TMonitorPreview(QWidget* parent, const char* name);
  std::function<void(QPainter&)> Paint;
  std::function<void(int dx, int dy)> Dragged;
  bool Dragging = false;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QPoint press_;
};

class TVideoFRM : public TOptionDialog {
  Q_OBJECT
 public:
  explicit TVideoFRM(TMainFRM* main);
  void FormShow();
  void UpdateDisplay();
  void DrawViewableArea();
  void DrawCentering();
  void SaveSettings() override;

  QComboBox *VesaMode, *Res, *ColorDepth, *FrameSkip, *ScanRate, *Monitor;
  QCheckBox *Stretch, *TripleBuffer, *Artwork, *tweak, *ScanLines, *Vsync, *WaitVSync,
      *waitinterlace, *Antialias, *Translucency, *AlwaysSynced, *norotate;
  QSlider *Beam, *Flicker, *Gamma;
  QLabel *BeamVAL, *FlickerVAL, *GammaVAL;
  QToolButton *rol, *ror, *flipx, *flipy;
  TMonitorPreview *Monitor1, *Monitor2;
  QPushButton *CenterViewBTN, *CenterScreenBTN;
  QLabel *SkipXLBL, *SkipXVAL, *SkipYLBL, *SkipYVAL, *CenterXLBL, *CenterXVAL, *CenterYLBL,
      *CenterYVAL, *RotationDemo;
  std::string RotationPictureName;

  // Working values while the dialog is open.
  const GameRecord* Game = nullptr;
  int32_t SkipLines = 0, SkipColumns = 0, CenterX = 0, CenterY = 0;

 private:
  TMainFRM* main_;
  int beam0_ = 0, flicker0_ = 0, gamma0_ = 0;  // positions at showing
  bool Vector() const;
};
