// The audio options dialog.
#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include "launch/OptionDialog.h"

class TMainFRM;

class TAudioFRM : public TOptionDialog {
  Q_OBJECT
 public:
  explicit TAudioFRM(TMainFRM* main);
  void FormShow();
  void SoundCardChange();
  void VolumeChange();
  void SaveSettings() override;
  QComboBox *SoundCard, *SampleRate;
  QCheckBox *ym3812opl, *Stereo, *Samples, *SampleRateDetect, *ResampleFilter;
  QSlider* Volume;
  QLabel* VolumeVAL;

 private:
  TMainFRM* main_;
};
