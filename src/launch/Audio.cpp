#include "launch/Audio.h"

#include <QGridLayout>

#include "frontend/main.h"

TAudioFRM::TAudioFRM(TMainFRM* main) : TOptionDialog(main, "AudioFRM"), main_(main) {
  using namespace options;
  QWidget* b = Body;
  SoundCard = MakeValueCombo(b, "SoundCard", SoundCards(), "-soundcard");
  SampleRate = MakeValueCombo(b, "SampleRate", SampleRates(), "-sr");
  ym3812opl = MakeCheck(b, "ym3812opl", "Use the OPL chip for YM3812", "-ym3812opl");
  Stereo = MakeCheck(b, "Stereo", "Stereo", "-stereo");
  Samples = MakeCheck(b, "Samples", "Use samples", "Samples= (MAME.CFG)");
  SampleRateDetect = MakeCheck(b, "SampleRateDetect", "Detect the sample rate", "-sampleratedetect");
  ResampleFilter = MakeCheck(b, "ResampleFilter", "Resample filter", "-resamplefilter");
  Volume = MakeSlider(b, "Volume", 0, 32, "-volume");
  VolumeVAL = MakeLabel(b, "VolumeVAL", "00 dB");
  auto* grid = new QGridLayout(b);
  grid->addWidget(new QLabel("Sound card:", b), 0, 0);
  grid->addWidget(SoundCard, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Sample rate:", b), 1, 0);
  grid->addWidget(SampleRate, 1, 1, 1, 2);
  grid->addWidget(new QLabel("Volume (attenuation):", b), 2, 0);
  grid->addWidget(Volume, 2, 1);
  grid->addWidget(VolumeVAL, 2, 2);
  int r = 3;
  for (QCheckBox* c : {ym3812opl, Stereo, Samples, SampleRateDetect, ResampleFilter})
    grid->addWidget(c, r++, 0, 1, 3);
  connect(SoundCard, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          [this] { SoundCardChange(); });
  connect(SampleRateDetect, &QCheckBox::clicked, this, [this] { SoundCardChange(); });
  connect(Volume, &QSlider::valueChanged, this, [this] { VolumeChange(); });
  FormShow();
}

void TAudioFRM::FormShow() {
  using namespace options;
  setWindowTitle("Velmora - MAME audio settings");
  const MAMEConfigFile& c = main_->MAMEConfig;
  SelectValue(SoundCard, SoundCards(), std::to_string(c.soundcard));
  SelectValue(SampleRate, SampleRates(), c.samplerate);
  ym3812opl->setChecked(c.ym3812opl);
  Stereo->setChecked(c.stereo);
  Samples->setChecked(c.samples);
  SampleRateDetect->setChecked(c.sampleratedetect);
  ResampleFilter->setChecked(c.resamplefilter);
  Volume->setValue(-c.volume);
  SoundCardChange();
  VolumeChange();
}

void TAudioFRM::SoundCardChange() {
  const bool sound = SoundCard->currentIndex() != 1;
  for (QWidget* w : std::initializer_list<QWidget*>{Stereo, ym3812opl, Samples, Volume, VolumeVAL,
                                                    SampleRateDetect, ResampleFilter})
    w->setEnabled(sound);
  SetEnabledColoured(SampleRate, sound && !SampleRateDetect->isChecked());
}

void TAudioFRM::VolumeChange() {
  VolumeVAL->setText(QString::fromStdString(options::VolumeLabel(Volume->value())));
}

void TAudioFRM::SaveSettings() {
  using namespace options;
  MAMEConfigFile& c = main_->MAMEConfig;
  if (SoundCard->currentIndex() >= 0) c.soundcard = SoundCard->currentIndex() - 1;
  c.samplerate = StoredValue(SampleRates(), SampleRate->currentIndex(), c.samplerate);
  c.ym3812opl = ym3812opl->isChecked();
  c.stereo = Stereo->isChecked();
  c.samples = Samples->isChecked();
  c.sampleratedetect = SampleRateDetect->isChecked();
  c.resamplefilter = ResampleFilter->isChecked();
  // A volume outside the slider's range stays as stored unless the slider moved.
  if (Volume->value() != std::clamp(-c.volume, 0, 32)) c.volume = -Volume->value();
}

void TMainFRM::MameAudioACTNExecute() {
  TAudioFRM dialog(this);
  dialog.ShowModal();
}
