#include "launch/Video.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "frontend/main.h"

TMonitorPreview::TMonitorPreview(QWidget* parent, const char* name) : QWidget(parent) {
  setObjectName(name);
  setFixedSize(100, 70);
}

void TMonitorPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, options::MonitorPicture());
  if (Paint && isEnabled()) Paint(p);
}

void TMonitorPreview::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  Dragging = true;
  press_ = e->position().toPoint();
}

void TMonitorPreview::mouseMoveEvent(QMouseEvent* e) {
  if (!Dragging || e->buttons() != Qt::LeftButton || !Dragged) return;
  const QPoint d = e->position().toPoint() - press_;
  Dragged(d.x(), d.y());
}

void TMonitorPreview::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) Dragging = false;
}

namespace {

QToolButton* Toggle(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(QString::fromLatin1(caption));
  b->setCheckable(true);
  b->setToolTip(QString::fromLatin1(hint));
  return b;
}

}  // namespace

TVideoFRM::TVideoFRM(TMainFRM* main) : TOptionDialog(main, "VideoFRM"), main_(main) {
  using namespace options;
  QWidget* b = Body;
  VesaMode = MakeValueCombo(b, "VesaMode", VesaModes(), "-vesamode");
  Res = MakeValueCombo(b, "Res", Resolutions(), "-resolution");
  ColorDepth = MakeValueCombo(b, "ColorDepth", ColorDepths(), "-depth");
  FrameSkip = MakeValueCombo(b, "FrameSkip", FrameSkips(), "-frameskip");
  ScanRate = MakeValueCombo(b, "ScanRate", ScanRates(), "-vgafreq");
  Monitor = MakeValueCombo(b, "Monitor", Monitors(), "-monitor");
  Stretch = MakeCheck(b, "Stretch", "Stretch", "-stretch");
  TripleBuffer = MakeCheck(b, "TripleBuffer", "Triple buffering", "-triplebuffer");
  Artwork = MakeCheck(b, "Artwork", "Artwork", "Artwork= (MAME.CFG)");
  tweak = MakeCheck(b, "tweak", "Tweaked modes", "-tweak");
  ScanLines = MakeCheck(b, "ScanLines", "Scan lines", "-scanlines");
  Vsync = MakeCheck(b, "Vsync", "Vertical sync", "-vsync");
  WaitVSync = MakeCheck(b, "WaitVSync", "Wait vertical sync", "-waitvsync");
  waitinterlace = MakeCheck(b, "waitinterlace", "Wait interlace", "-waitinterlace");
  Antialias = MakeCheck(b, "Antialias", "Antialiasing", "-antialias");
  Translucency = MakeCheck(b, "Translucency", "Translucency", "-translucency");
  AlwaysSynced = MakeCheck(b, "AlwaysSynced", "Always synced", "-alwayssynced");
  norotate = MakeCheck(b, "norotate", "No rotation", "-norotate");
  Beam = MakeSlider(b, "Beam", 10, 160, "-beam");
  Flicker = MakeSlider(b, "Flicker", 0, 1000, "-flicker");
  Gamma = MakeSlider(b, "Gamma", 50, 200, "-gamma");
  BeamVAL = MakeLabel(b, "BeamVAL", "1.00");
  FlickerVAL = MakeLabel(b, "FlickerVAL", "0.00");
  GammaVAL = MakeLabel(b, "GammaVAL", "1.00");
  rol = Toggle(b, "rol", "L", "Rotate left (-rol)");
  ror = Toggle(b, "ror", "R", "Rotate right (-ror)");
  flipx = Toggle(b, "flipx", "X", "Flip horizontally (-flipx)");
  flipy = Toggle(b, "flipy", "Y", "Flip vertically (-flipy)");
  // rol and ror: at most one down.
  for (QToolButton* t : {rol, ror})
    connect(t, &QToolButton::toggled, this, [this, t](bool on) {
      if (on) (t == rol ? ror : rol)->setChecked(false);
    });
  Monitor1 = new TMonitorPreview(b, "Monitor1");
  Monitor2 = new TMonitorPreview(b, "Monitor2");
  CenterViewBTN = new QPushButton("C&enter", b);
  CenterViewBTN->setObjectName("CenterViewBTN");
  CenterScreenBTN = new QPushButton("Ce&nter", b);
  CenterScreenBTN->setObjectName("CenterScreenBTN");
  SkipXLBL = MakeLabel(b, "SkipXLBL", "X:");
  SkipXVAL = MakeLabel(b, "SkipXVAL", "0");
  SkipYLBL = MakeLabel(b, "SkipYLBL", "Y:");
  SkipYVAL = MakeLabel(b, "SkipYVAL", "0");
  CenterXLBL = MakeLabel(b, "CenterXLBL", "X:");
  CenterXVAL = MakeLabel(b, "CenterXVAL", "0");
  CenterYLBL = MakeLabel(b, "CenterYLBL", "Y:");
  CenterYVAL = MakeLabel(b, "CenterYVAL", "0");
  RotationDemo = MakeLabel(b, "RotationDemo", "");
  RotationDemo->setFixedSize(100, 70);
  RotationDemo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  RotationDemo->setContentsMargins(22, 7, 0, 0);

  auto* grid = new QGridLayout(b);
  auto row = [grid, b](int r, int c, const char* text, QWidget* w) {
    grid->addWidget(new QLabel(QString::fromLatin1(text), b), r, c);
    grid->addWidget(w, r, c + 1);
  };
  row(0, 0, "VESA mode:", VesaMode);
  row(1, 0, "Resolution:", Res);
  row(2, 0, "Color depth:", ColorDepth);
  row(3, 0, "Frame skip:", FrameSkip);
  row(4, 0, "Scan rate:", ScanRate);
  row(5, 0, "Monitor:", Monitor);
  auto sliderRow = [grid, b](int r, const char* text, QSlider* s, QLabel* v) {
    grid->addWidget(new QLabel(QString::fromLatin1(text), b), r, 0);
    grid->addWidget(s, r, 1);
    grid->addWidget(v, r, 2);
  };
  sliderRow(6, "Beam:", Beam, BeamVAL);
  sliderRow(7, "Flicker:", Flicker, FlickerVAL);
  sliderRow(8, "Gamma:", Gamma, GammaVAL);
  auto* checks = new QVBoxLayout;
  for (QCheckBox* c : {Stretch, TripleBuffer, Artwork, tweak, ScanLines, Vsync, WaitVSync,
                       waitinterlace, Antialias, Translucency, AlwaysSynced, norotate})
    checks->addWidget(c);
  grid->addLayout(checks, 0, 3, 9, 1);
  auto preview = [b](const char* title, TMonitorPreview* m, QPushButton* center,
                     std::initializer_list<QLabel*> labels) {
    auto* box = new QGroupBox(QString::fromLatin1(title), b);
    auto* l = new QGridLayout(box);
    l->addWidget(m, 0, 0, 1, 4);
    int c = 0;
    for (QLabel* x : labels) l->addWidget(x, 1, c++);
    l->addWidget(center, 2, 0, 1, 4);
    return box;
  };
  grid->addWidget(preview("Viewable area", Monitor1, CenterViewBTN,
                          {SkipXLBL, SkipXVAL, SkipYLBL, SkipYVAL}),
                  0, 4, 5, 1);
  grid->addWidget(preview("Screen centering", Monitor2, CenterScreenBTN,
                          {CenterXLBL, CenterXVAL, CenterYLBL, CenterYVAL}),
                  5, 4, 4, 1);
  auto* rotation = new QGroupBox("Rotation", b);
  auto* rl = new QGridLayout(rotation);
  rl->addWidget(RotationDemo, 0, 0, 1, 4);
  int c = 0;
  for (QToolButton* t : {rol, ror, flipx, flipy}) rl->addWidget(t, 1, c++);
  grid->addWidget(rotation, 0, 5, 5, 1);

  Monitor1->Paint = [this](QPainter& p) {
    const options::ViewableArea a =
        options::ComputeViewableArea(Game ? Game->Width : 0, Game ? Game->Height : 0,
                                     Res->currentIndex(), SkipColumns, SkipLines);
    if (!a.active) return;
    p.fillRect(QRect(QPoint(7, 7), QPoint(93, 63)), Qt::black);
    p.setPen(Qt::white);
    p.drawRect(51 - a.frameWidth / 2, 36 - a.frameHeight / 2, a.frameWidth, a.frameHeight);
    p.fillRect(a.windowCenterX - a.windowWidth / 2, a.windowCenterY - a.windowHeight / 2,
               a.windowWidth, a.windowHeight, Qt::red);
  };
  Monitor1->Dragged = [this](int dx, int dy) {
    SkipColumns = dx;
    SkipLines = dy;
    DrawViewableArea();
  };
  Monitor2->Paint = [this](QPainter& p) {
    p.fillRect(QRect(QPoint(7, 7), QPoint(93, 63)), Qt::black);
    if (Monitor->currentIndex() == 0) return;
    p.setPen(Qt::white);
    p.drawLine(CenterX + 46, CenterY + 35, CenterX + 55, CenterY + 35);
    p.drawLine(CenterX + 50, CenterY + 31, CenterX + 50, CenterY + 40);
  };
  Monitor2->Dragged = [this](int dx, int dy) {
    CenterX = options::ClampCenterX(dx);
    CenterY = options::ClampCenterY(dy);
    DrawCentering();
  };

  for (QCheckBox* cb : {tweak, AlwaysSynced, norotate})
    connect(cb, &QCheckBox::toggled, this, [this] { UpdateDisplay(); });
  for (QToolButton* t : {rol, ror, flipx, flipy})
    connect(t, &QToolButton::toggled, this, [this] { UpdateDisplay(); });
  for (QComboBox* box : {Res, Monitor})
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { UpdateDisplay(); });
  connect(Beam, &QSlider::valueChanged, this,
          [this](int v) { BeamVAL->setText(QString::fromStdString(options::SliderLabel(v, 10))); });
  connect(Flicker, &QSlider::valueChanged, this, [this](int v) {
    FlickerVAL->setText(QString::fromStdString(options::SliderLabel(v, 10)));
  });
  connect(Gamma, &QSlider::valueChanged, this, [this](int v) {
    GammaVAL->setText(QString::fromStdString(options::SliderLabel(v, 100)));
  });
  connect(CenterViewBTN, &QPushButton::clicked, this, [this] {
    SkipLines = SkipColumns = 0;
    UpdateDisplay();
  });
  connect(CenterScreenBTN, &QPushButton::clicked, this, [this] {
    CenterX = CenterY = 0;
    UpdateDisplay();
  });
  FormShow();
}

bool TVideoFRM::Vector() const { return Game && Game->Screen == 0; }

void TVideoFRM::FormShow() {
  using namespace options;
  setWindowTitle("Velmora - MAME video settings");
  const MAMEConfigFile& c = main_->MAMEConfig;
  Game = main_->SelectedGame;
  SelectValue(VesaMode, VesaModes(), c.vesamode);
  SelectValue(Res, Resolutions(), Vector() ? c.vectorres : c.resolution);
  SelectValue(ColorDepth, ColorDepths(), c.depth);
  SelectValue(FrameSkip, FrameSkips(), c.frameskip);
  SelectValue(ScanRate, ScanRates(), std::to_string(c.vgafreq));
  SelectValue(Monitor, Monitors(), c.monitor);
  const std::pair<QCheckBox*, uint8_t> checks[] = {
      {Stretch, c.stretch},     {TripleBuffer, c.triplebuffer}, {Artwork, c.artwork},
      {tweak, c.tweak},         {ScanLines, c.scanlines},       {Vsync, c.vsync},
      {WaitVSync, c.waitvsync}, {waitinterlace, c.waitinterlace}, {Antialias, c.antialias},
      {Translucency, c.translucency}, {AlwaysSynced, c.alwayssynced}, {norotate, c.norotate}};
  for (auto [box, v] : checks) box->setChecked(v != 0);
  rol->setChecked(c.rol != 0);
  ror->setChecked(c.ror != 0 && c.rol == 0);
  flipx->setChecked(c.flipx != 0);
  flipy->setChecked(c.flipy != 0);
  beam0_ = SliderPosition(c.beam, 10, 10, 160);
  flicker0_ = SliderPosition(c.flicker, 10, 0, 1000);
  gamma0_ = SliderPosition(c.gamma, 100, 50, 200);
  Beam->setValue(beam0_);
  Flicker->setValue(flicker0_);
  Gamma->setValue(gamma0_);
  BeamVAL->setText(QString::fromStdString(SliderLabel(beam0_, 10)));
  FlickerVAL->setText(QString::fromStdString(SliderLabel(flicker0_, 10)));
  GammaVAL->setText(QString::fromStdString(SliderLabel(gamma0_, 100)));
  SkipLines = c.skiplines;
  SkipColumns = c.skipcolumns;
  CenterX = c.centerx;
  CenterY = c.centery;
  UpdateDisplay();
}

void TVideoFRM::UpdateDisplay() {
  SetEnabledColoured(VesaMode, !tweak->isChecked());
  TripleBuffer->setEnabled(!tweak->isChecked());
  const bool special = Monitor->currentIndex() != 0;
  waitinterlace->setEnabled(special);
  DrawViewableArea();
  DrawCentering();
  for (QWidget* w : std::initializer_list<QWidget*>{CenterScreenBTN, Monitor2, CenterXLBL,
                                                    CenterXVAL, CenterYLBL, CenterYVAL})
    w->setEnabled(special);
  AlwaysSynced->setEnabled(tweak->isChecked());
  SetEnabledColoured(ScanRate, !(AlwaysSynced->isEnabled() && AlwaysSynced->isChecked()));
  for (QToolButton* t : {rol, ror, flipx, flipy}) t->setEnabled(norotate->isChecked());
  RotationPictureName = options::RotationPicture(norotate->isChecked(), rol->isChecked(),
                                                 ror->isChecked(), flipx->isChecked(),
                                                 flipy->isChecked());
  RotationDemo->setPixmap(options::RotationDemo(RotationPictureName));
}

void TVideoFRM::DrawViewableArea() {
  const options::ViewableArea a =
      options::ComputeViewableArea(Game ? Game->Width : 0, Game ? Game->Height : 0,
                                   Res->currentIndex(), SkipColumns, SkipLines);
  SkipColumns = a.skipColumns;
  SkipLines = a.skipLines;
  CenterViewBTN->setEnabled(a.active);
  Monitor1->setEnabled(a.active);
  SkipXLBL->setEnabled(a.xEnabled);
  SkipXVAL->setEnabled(a.xEnabled);
  SkipYLBL->setEnabled(a.yEnabled);
  SkipYVAL->setEnabled(a.yEnabled);
  SkipXVAL->setText(QString::number(SkipColumns));
  SkipYVAL->setText(QString::number(SkipLines));
  Monitor1->update();
}

void TVideoFRM::DrawCentering() {
  if (Monitor->currentIndex() != 0) {
    CenterXVAL->setText(QString::number(CenterX));
    CenterYVAL->setText(QString::number(CenterY));
  }
  Monitor2->update();
}

void TVideoFRM::SaveSettings() {
  using namespace options;
  MAMEConfigFile& c = main_->MAMEConfig;
  c.vesamode = StoredValue(VesaModes(), VesaMode->currentIndex(), c.vesamode);
  std::string& res = Vector() ? c.vectorres : c.resolution;
  res = StoredValue(Resolutions(), Res->currentIndex(), res);
  c.depth = StoredValue(ColorDepths(), ColorDepth->currentIndex(), c.depth);
  c.frameskip = StoredValue(FrameSkips(), FrameSkip->currentIndex(), c.frameskip);
  if (ScanRate->currentIndex() >= 0) c.vgafreq = ScanRate->currentIndex() - 1;
  c.monitor = StoredValue(Monitors(), Monitor->currentIndex(), c.monitor);
  const std::pair<QCheckBox*, uint8_t*> checks[] = {
      {Stretch, &c.stretch},     {TripleBuffer, &c.triplebuffer}, {Artwork, &c.artwork},
      {tweak, &c.tweak},         {ScanLines, &c.scanlines},       {Vsync, &c.vsync},
      {WaitVSync, &c.waitvsync}, {waitinterlace, &c.waitinterlace}, {Antialias, &c.antialias},
      {Translucency, &c.translucency}, {AlwaysSynced, &c.alwayssynced}, {norotate, &c.norotate}};
  for (auto [box, field] : checks) *field = box->isChecked() ? 1 : 0;
  c.rol = rol->isChecked();
  c.ror = ror->isChecked();
  c.flipx = flipx->isChecked();
  c.flipy = flipy->isChecked();
  // A slider left where it was keeps the exact stored value.
  if (Beam->value() != beam0_) c.beam = static_cast<float>(Beam->value()) / 10;
  if (Flicker->value() != flicker0_) c.flicker = static_cast<float>(Flicker->value()) / 10;
  if (Gamma->value() != gamma0_) c.gamma = static_cast<float>(Gamma->value()) / 100;
  c.skiplines = SkipLines;
  c.skipcolumns = SkipColumns;
  c.centerx = CenterX;
  c.centery = CenterY;
}

void TMainFRM::MameVideoACTNExecute() {
  TVideoFRM dialog(this);
  dialog.ShowModal();
}
