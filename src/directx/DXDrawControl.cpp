#include "directx/DXDrawControl.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "directx/DX3D.h"
#include "platform/Seams.h"

namespace {

constexpr uint32_t PC_NOCOLLAPSE = 0x40;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x2;
constexpr uint32_t DDSCL_NOWINDOWCHANGES = 0x4;
constexpr uint32_t DDSCL_ALLOWMODEX = 0x40;

// Clears a flag when the scope ends, however it ends.
struct ClearOnExit {
  bool& flag;
  ~ClearOnExit() { flag = false; }
};

// The static colours of a palette display (the first and last ten entries), the rest a
// colour cube and a grey ramp: our stand-in for the system palette.
const TColorTable& SystemColorTable() {
  static const TColorTable table = [] {
    TColorTable t{};
    const uint8_t first[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                  {192, 220, 192}, {166, 202, 240}};
    const uint8_t last[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                 {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                 {0, 255, 255},   {255, 255, 255}};
    auto set = [&t](int i, uint8_t r, uint8_t g, uint8_t b) {
      t[static_cast<size_t>(i)] = TRGBQuad{b, g, r, 0};
    };
    for (int i = 0; i < 10; ++i) set(i, first[i][0], first[i][1], first[i][2]);
    for (int i = 0; i < 10; ++i) set(246 + i, last[i][0], last[i][1], last[i][2]);
    int i = 10;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) set(i++, uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51));
    for (int v = 0; i < 246; ++i, ++v) set(i, uint8_t(8 + v * 8), uint8_t(8 + v * 8), uint8_t(8 + v * 8));
    return t;
  }();
  return table;
}

}  // namespace

// ---- Options and the flip's rectangle ------------------------------------------------------

TDXDrawOptions EffectiveOptions(TDXDrawOptions set) {
  TDXDrawOptions now = set;
  if (!Has(set, doFullScreen))
    now &= ~Opts({doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip});
  if (!Has(set, do3D))
    now &= ~Opts({doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer});
  if (Has(set, doSystemMemory)) now &= ~Opt(doFlip);
  if (Has(set, doDirectX7Mode)) now &= ~Opt(doRetainedMode);
  return now | Opt(doHardware);
}

TRect FlipDestination(TPoint origin, int controlWidth, int controlHeight, int surfaceWidth,
                      int surfaceHeight, TDXDrawOptions options) {
  if (Has(options, doStretch)) return Bounds(origin.X, origin.Y, controlWidth, controlHeight);
  int x = origin.X, y = origin.Y;
  if (Has(options, doCenter)) {
    x += (controlWidth - surfaceWidth) / 2;
    y += (controlHeight - surfaceHeight) / 2;
  }
  return Bounds(x, y, surfaceWidth, surfaceHeight);
}

// ---- Display ---------------------------------------------------------------------------------

void TDXDrawDisplay::SetBitCount(int value) {
  if (value != 8 && value != 16 && value != 24 && value != 32)
    throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
  bitCount_ = value;
}

void TDXDrawDisplay::Assign(const TDXDrawDisplay& o) {
  bitCount_ = o.bitCount_;
  Width = o.Width;
  Height = o.Height;
  FixedBitCount = o.FixedBitCount;
  FixedRatio = o.FixedRatio;
  FixedSize = o.FixedSize;
}

int TDXDrawDisplay::Count() {
  if (!listed_) {
    listed_ = true;
    modes_.clear();
    // Every screen's current mode; nothing else can be set.
    const auto screens = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                             ? QGuiApplication::screens()
                             : QList<QScreen*>{};
    for (QScreen* s : screens) {
      TDXDrawDisplayMode m;
      m.SurfaceDesc.dwWidth = static_cast<uint32_t>(s->size().width());
      m.SurfaceDesc.dwHeight = static_cast<uint32_t>(s->size().height());
      m.SurfaceDesc.ddpfPixelFormat.dwRGBBitCount = static_cast<uint32_t>(s->depth() == 24 ? 32 : s->depth());
      const bool known = std::any_of(modes_.begin(), modes_.end(), [&m](const TDXDrawDisplayMode& o) {
        return o.Width() == m.Width() && o.Height() == m.Height() && o.BitCount() == m.BitCount();
      });
      if (!known) modes_.push_back(m);
    }
    std::sort(modes_.begin(), modes_.end(), [](const TDXDrawDisplayMode& a, const TDXDrawDisplayMode& b) {
      if (a.Width() != b.Width()) return a.Width() < b.Width();
      if (a.Height() != b.Height()) return a.Height() < b.Height();
      return a.BitCount() < b.BitCount();
    });
  }
  return static_cast<int>(modes_.size());
}

const TDXDrawDisplayMode& TDXDrawDisplay::Mode(int i) {
  Count();
  return modes_.at(static_cast<size_t>(i));
}

int TDXDrawDisplay::FindMode(int width, int height, int bitCount) {
  const int n = Count();
  auto search = [&](bool ratio) {
    int best = -1;
    for (int i = 0; i < n; ++i) {
      const TDXDrawDisplayMode& m = modes_[static_cast<size_t>(i)];
      if (ratio && int64_t(m.Width()) * height != int64_t(m.Height()) * width) continue;
      if (FixedSize ? (m.Width() != width || m.Height() != height)
                    : (m.Width() < width || m.Height() < height))
        continue;
      if (FixedBitCount ? m.BitCount() != bitCount
                        : ((m.BitCount() <= 8 || bitCount <= 8) && m.BitCount() < bitCount))
        continue;
      // Smallest area first; the requested bit count among modes of that size.
      if (best < 0) {
        best = i;
        continue;
      }
      const TDXDrawDisplayMode& b = modes_[static_cast<size_t>(best)];
      const int64_t area = int64_t(m.Width()) * m.Height(), bestArea = int64_t(b.Width()) * b.Height();
      if (area < bestArea || (area == bestArea && m.BitCount() == bitCount && b.BitCount() != bitCount))
        best = i;
    }
    return best;
  };
  for (int i = 0; i < n; ++i) {
    const TDXDrawDisplayMode& m = modes_[static_cast<size_t>(i)];
    if (m.Width() == width && m.Height() == height && m.BitCount() == bitCount) return i;
  }
  int found = FixedRatio ? search(true) : -1;
  if (found < 0) found = search(false);
  return found;
}

bool TDXDrawDisplay::SetDisplayMode(int width, int height, int bitCount) {
  if (width < 1 || height < 1 || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
    return false;
  return FindMode(width, height, bitCount) >= 0;
}

// ---- Drivers ---------------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw* owner) : dxdraw_(owner) {
  const TDXDrawOptions set = owner->options_;
  const bool selectable = Has(set, doFullScreen) && Has(set, doHardware) && !Has(set, doSystemMemory);
  if (selectable && Has(set, do3D)) TDX3D::SelectDriver(*owner);
  owner->ddraw_ = std::make_unique<TDirectDraw>(selectable ? owner->DriverGUID() : nullptr,
                                                Has(set, doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() = default;

void TDXDrawDriver::Finalize() {
  TCustomDXDraw& d = *dxdraw_;
  d.d3d_.reset();
  d.clipper_.reset();
  d.palette_.reset();
  d.surface_.reset();
  d.primary_.reset();
  d.ddraw_.reset();
}

bool TDXDrawDriver::Restore() {
  TCustomDXDraw& d = *dxdraw_;
  if (!d.primary_ || !d.surface_) return false;
  const bool ok = d.primary_->Restore() && d.surface_->Restore();
  if (ok) {
    d.primary_->Fill(0);
    d.surface_->Fill(0);
  }
  return ok;
}

void TDXDrawDriver::CreatePalette(uint32_t caps) {
  TCustomDXDraw& d = *dxdraw_;
  d.palette_ = std::make_unique<TDirectDrawPalette>(d.ddraw_.get());
  const auto entries = d.PaletteEntries(d.DefaultColorTable);
  TPaletteEntries table{};
  std::copy(entries.begin(), entries.end(), table.begin());
  d.palette_->CreatePalette(caps, table);
}

void TDXDrawDriverBlt::Initialize() {
  TCustomDXDraw& d = *dxdraw_;
  d.primary_ = std::make_unique<TDirectDrawSurface>(d.ddraw_.get());
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (!d.primary_->CreateSurface(desc)) throw EDXDrawError("Primary Surface cannot be made");
  d.clipper_ = std::make_unique<TDirectDrawClipper>(d.ddraw_.get());
  d.clipper_->SetHandle(&d);
  d.primary_->SetClipper(d.clipper_.get());
  CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE |
                (Has(d.options_, doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
  d.primary_->SetPalette(d.palette_.get());
  InitializeSurface();
}

void TDXDrawDriverBlt::InitializeSurface() {
  TCustomDXDraw& d = *dxdraw_;
  d.d3d_.reset();
  d.surface_.reset();
  d.surface_ = std::make_unique<TDirectDrawSurface>(d.ddraw_.get());
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<uint32_t>(std::max(d.surfaceWidth_, 1));
  desc.dwHeight = static_cast<uint32_t>(std::max(d.surfaceHeight_, 1));
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN |
                        (Has(d.options_, doSystemMemory) ? DDSCAPS_SYSTEMMEMORY : 0) |
                        (Has(d.options_, do3D) ? DDSCAPS_3DDEVICE : 0);
  if (!d.surface_->CreateSurface(desc)) {
    desc.ddsCaps.dwCaps = (desc.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (!d.surface_->CreateSurface(desc)) throw EDXDrawError("Surface cannot be made");
  }
  if (!(d.surface_->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY))
    d.nowOptions_ |= Opt(doSystemMemory);
  d.surface_->SetPalette(d.palette_.get());
  d.surface_->Fill(0);
  if (Has(d.options_, do3D)) TDX3D::Initialize(d);
}

bool TDXDrawDriverBlt::SetSize(int width, int height) {
  TCustomDXDraw& d = *dxdraw_;
  d.surfaceWidth_ = std::max(width, 1);
  d.surfaceHeight_ = std::max(height, 1);
  ++d.suppressRestore_;
  try {
    if (d.calledDoInitializeSurface_) {
      d.calledDoInitializeSurface_ = false;
      d.Notify(dxntFinalizeSurface);
      d.DoFinalizeSurface();
    }
    InitializeSurface();
    d.Notify(dxntInitializeSurface);
    d.calledDoInitializeSurface_ = true;
    d.DoInitializeSurface();
  } catch (...) {
    --d.suppressRestore_;
    throw;
  }
  --d.suppressRestore_;
  return true;
}

void TDXDrawDriverBlt::Flip() {
  TCustomDXDraw& d = *dxdraw_;
  // The primary surface is the control's own area: its client origin is (0, 0).
  lastDest_ = FlipDestination(TPoint{0, 0}, d.width(), d.height(), d.surface_->Width(),
                              d.surface_->Height(), d.nowOptions_);
  // doWaitVBlank: the platform does not tell the display's frame.
  DDBLTFX fx;
  if (d.d3d_) d.d3d_->ReadBack(*d.surface_);
  d.primary_->Blt(lastDest_, d.surface_->ClientRect(), DDBLT_WAIT, fx, d.surface_.get());
  d.Present();
}

void TDXDrawDriverFlip::Initialize() {
  TCustomDXDraw& d = *dxdraw_;
  // Two buffers of the control's full-screen size; Flip swaps them.
  d.primary_ = std::make_unique<TDirectDrawSurface>(d.ddraw_.get());
  d.surface_ = std::make_unique<TDirectDrawSurface>(d.ddraw_.get());
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (!d.primary_->CreateSurface(desc)) throw EDXDrawError("Primary Surface cannot be made");
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<uint32_t>(d.primary_->Width());
  desc.dwHeight = static_cast<uint32_t>(d.primary_->Height());
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_BACKBUFFER | DDSCAPS_SYSTEMMEMORY |
                        (Has(d.options_, do3D) ? DDSCAPS_3DDEVICE : 0);
  if (!d.surface_->CreateSurface(desc)) throw EDXDrawError("Surface cannot be made");
  d.surfaceWidth_ = d.surface_->Width();
  d.surfaceHeight_ = d.surface_->Height();
  d.nowOptions_ |= Opt(doSystemMemory);
  d.clipper_ = std::make_unique<TDirectDrawClipper>(d.ddraw_.get());
  d.clipper_->SetHandle(&d);
  d.primary_->SetClipper(d.clipper_.get());
  CreatePalette(DDPCAPS_8BIT | (Has(d.options_, doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
  d.primary_->SetPalette(d.palette_.get());
  d.surface_->SetPalette(d.palette_.get());
  if (Has(d.options_, do3D)) TDX3D::Initialize(d);
}

void TDXDrawDriverFlip::Flip() {
  TCustomDXDraw& d = *dxdraw_;
  if (!d.form_ || !d.form_->isActiveWindow()) return;
  // The back buffer becomes the shown one.
  IDirectDrawSurfacePtr front = d.primary_->InterfacePtr(), back = d.surface_->InterfacePtr();
  d.primary_->SetInterface(back);
  d.surface_->SetInterface(front);
  d.primary_->SetClipper(d.clipper_.get());
  d.Present();
}

// ---- The control -----------------------------------------------------------------------------

TCustomDXDraw::TCustomDXDraw(QWidget* parent)
    : QWidget(parent), display_(std::make_unique<TDXDrawDisplay>(this)) {
  resize(100, 100);
  color_ = palette().color(QPalette::Button);
  setAttribute(Qt::WA_OpaquePaintEvent);
  DefaultColorTable = SystemColorTable();
  ColorTable = DefaultColorTable;
  HookForm();
}

TCustomDXDraw::~TCustomDXDraw() {
  try {
    Finalize();
  } catch (...) {
  }
  Notify(dxntDestroying);
  hook_.reset();
}

void TCustomDXDraw::SetColor(const QColor& c) {
  color_ = c;
  update();
}

void TCustomDXDraw::SetDriverGUID(const GUID* guid) {
  hasGuid_ = guid != nullptr;
  guid_ = guid ? *guid : GUID{};
}

void TCustomDXDraw::RegisterNotifyEvent(const void* key, TDXDrawNotifyEvent event) {
  std::erase_if(notifyEvents_, [key](const Registration& r) { return r.key == key; });
  notifyEvents_.push_back({key, event});
  event(this, dxntSetSurfaceSize);
  if (initialized_) {
    event(this, dxntInitialize);
    if (calledDoInitializeSurface_) event(this, dxntInitializeSurface);
    if (suppressRestore_ == 0) event(this, dxntRestore);
  }
}

void TCustomDXDraw::UnRegisterNotifyEvent(const void* key) {
  auto it = std::find_if(notifyEvents_.begin(), notifyEvents_.end(),
                         [key](const Registration& r) { return r.key == key; });
  if (it == notifyEvents_.end()) return;
  TDXDrawNotifyEvent event = it->event;
  notifyEvents_.erase(it);
  if (calledDoInitializeSurface_) event(this, dxntFinalizeSurface);
  if (initialized_) event(this, dxntFinalize);
}

void TCustomDXDraw::Notify(TDXDrawNotifyType kind) {
  if (kind == dxntRestore && suppressRestore_ > 0) return;
  // From the last registered to the first; a handler may unregister itself.
  std::vector<Registration> copy = notifyEvents_;
  for (auto it = copy.rbegin(); it != copy.rend(); ++it) it->event(this, kind);
}

void TCustomDXDraw::DoFinalize() { if (OnFinalize) OnFinalize(this); }
void TCustomDXDraw::DoFinalizeSurface() { if (OnFinalizeSurface) OnFinalizeSurface(this); }
void TCustomDXDraw::DoInitialize() { if (OnInitialize) OnInitialize(this); }
void TCustomDXDraw::DoInitializeSurface() { if (OnInitializeSurface) OnInitializeSurface(this); }
void TCustomDXDraw::DoInitializing() { if (OnInitializing) OnInitializing(this); }
void TCustomDXDraw::DoRestoreSurface() { if (OnRestoreSurface) OnRestoreSurface(this); }

void TCustomDXDraw::SetOptions(TDXDrawOptions value) {
  if (initialized_) {
    const TDXDrawOptions follow = Opts({doWaitVBlank, doStretch, doCenter});
    options_ = (options_ & ~follow) | (value & follow);
    nowOptions_ = (nowOptions_ & ~follow) | (value & follow);
    if (!Has(value, do3D))
      nowOptions_ &= ~Opts({doRetainedMode, doHardware, doSelectDriver, doZBuffer});
  } else {
    options_ = value;
    nowOptions_ = EffectiveOptions(value);
  }
}

int TCustomDXDraw::SurfaceWidth() const { return surface_ ? surface_->Width() : surfaceWidth_; }
int TCustomDXDraw::SurfaceHeight() const { return surface_ ? surface_->Height() : surfaceHeight_; }

void TCustomDXDraw::SetSurfaceSize(int width, int height) {
  if ((width == SurfaceWidth() && height == SurfaceHeight()) || busy_) return;
  if (initialized_) {
    if (!driver_->SetSize(width, height)) return;
  } else {
    surfaceWidth_ = width;
    surfaceHeight_ = height;
  }
  Notify(dxntSetSurfaceSize);
}

void TCustomDXDraw::SetAutoSize(bool value) {
  autoSize_ = value;
  if (value) SetSurfaceSize(width(), height());
}

void TCustomDXDraw::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (autoSize_) SetSurfaceSize(width(), height());
}

void TCustomDXDraw::Loaded() {
  if (autoSize_) {
    surfaceWidth_ = width();
    surfaceHeight_ = height();
  }
  Notify(dxntSetSurfaceSize);
  if (AutoInitialize && !hook_) Initialize();
}

void TCustomDXDraw::Initialize() {
  initializedOnce_ = true;
  Finalize();
  if (!form_) throw EDXDrawError("Form not found");
  DoInitializing();
  busy_ = true;
  internalInitialized_ = true;
  try {
    Notify(dxntInitializing);
    driver_ = Has(nowOptions_, doFlip) ? std::unique_ptr<TDXDrawDriver>(new TDXDrawDriverFlip(this))
                                       : std::unique_ptr<TDXDrawDriver>(new TDXDrawDriverBlt(this));
    const bool full = Has(options_, doFullScreen);
    uint32_t level = DDSCL_NORMAL;
    if (full) {
      level = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWMODEX;
      if (Has(options_, doNoWindowChange)) level |= DDSCL_NOWINDOWCHANGES;
      if (Has(options_, doAllowReboot)) level |= DDSCL_ALLOWREBOOT;
    }
    ddraw_->CheckedInterface().SetCooperativeLevel(form_, level);
    if (full) {
      if (!display_->SetDisplayMode(display_->Width, display_->Height, display_->BitCount())) {
        char text[96];
        std::snprintf(text, sizeof text, "Display mode cannot be changed (%dx%d %dbit)",
                      display_->Width, display_->Height, display_->BitCount());
        throw EDXDrawError(text);
      }
      fullScreen_ = true;
      form_->showFullScreen();
    }
    if (autoSize_) {
      surfaceWidth_ = width();
      surfaceHeight_ = height();
    }
    driver_->Initialize();
  } catch (...) {
    busy_ = false;
    Finalize();
    throw;
  }
  busy_ = false;
  initialized_ = true;
  ++suppressRestore_;
  Notify(dxntSetSurfaceSize);
  Notify(dxntInitialize);
  calledDoInitialize_ = true;
  DoInitialize();
  Notify(dxntInitializeSurface);
  calledDoInitializeSurface_ = true;
  DoInitializeSurface();
  --suppressRestore_;
  Restore();
}

void TCustomDXDraw::Finalize() {
  if (!internalInitialized_) return;
  if (surface_) {
    surfaceWidth_ = surface_->Width();
    surfaceHeight_ = surface_->Height();
  }
  display_->ClearModes();
  busy_ = true;
  if (calledDoInitializeSurface_) {
    calledDoInitializeSurface_ = false;
    DoFinalizeSurface();
  }
  Notify(dxntFinalizeSurface);
  if (calledDoInitialize_) {
    calledDoInitialize_ = false;
    DoFinalize();
  }
  Notify(dxntFinalize);
  initialized_ = false;
  internalInitialized_ = false;
  nowOptions_ = EffectiveOptions(options_);
  if (driver_) driver_->Finalize();
  driver_.reset();
  d3d_.reset();
  clipper_.reset();
  palette_.reset();
  surface_.reset();
  primary_.reset();
  ddraw_.reset();
  if (fullScreen_ && form_) form_->showNormal();
  fullScreen_ = false;
  busy_ = false;
}

bool TCustomDXDraw::CanDraw() {
  if (!initialized_ || busy_ || !primary_) return false;
  if (!primary_->IsLost() && !(surface_ && surface_->IsLost())) return true;
  Restore();
  return !primary_->IsLost() && surface_ && !surface_->IsLost();
}

void TCustomDXDraw::Flip() {
  if (CanDraw()) driver_->Flip();
}

void TCustomDXDraw::Restore() {
  if (!initialized_ || busy_) return;
  busy_ = true;
  ClearOnExit clear{busy_};
  if (!driver_->Restore()) return;
  primary_->SetPalette(palette_.get());
  surface_->SetPalette(palette_.get());
  UpdatePalette();
  Notify(dxntRestore);
  DoRestoreSurface();
  const TColorTable saved = ColorTable;
  ColorTable = DefaultColorTable;
  UpdatePalette();
  ColorTable = saved;
}

std::vector<TPaletteEntry> TCustomDXDraw::PaletteEntries(const TColorTable& table) const {
  std::vector<TPaletteEntry> e(256);
  const TColorTable& sys = SystemColorTable();
  for (size_t i = 0; i < 256; ++i) {
    const bool fixed = !Has(options_, doAllowPalette256) && (i < 10 || i >= 246);
    const TRGBQuad& q = fixed ? sys[i] : table[i];
    e[i] = TPaletteEntry{q.rgbRed, q.rgbGreen, q.rgbBlue, static_cast<uint8_t>(PC_NOCOLLAPSE)};
  }
  return e;
}

void TCustomDXDraw::UpdatePalette() {
  if (!palette_) return;
  const auto e = PaletteEntries(ColorTable);
  palette_->SetEntries(0, 256, e.data());
}

void TCustomDXDraw::Present() {
  if (painting_) return;
  repaint();
}

void TCustomDXDraw::paintEvent(QPaintEvent*) {
  painting_ = true;
  ClearOnExit done{painting_};
  if (initialized_) {
    const TDXDrawOptions saved = nowOptions_;
    nowOptions_ &= ~Opt(doWaitVBlank);
    try {
      Flip();
    } catch (...) {
    }
    nowOptions_ = saved;
  }
  QPainter p(this);
  if (initialized_ && primary_ && primary_->Interface() && !primary_->IsLost()) {
    const QImage view = primary_->Interface()->View();
    if (!view.isNull()) {
      p.drawImage(QPoint(0, 0), view, rect());
      return;
    }
  }
  p.fillRect(rect(), color_);
}

// ---- The owner form's messages -------------------------------------------------------------

bool TCustomDXDraw::event(QEvent* e) {
  if (e->type() == QEvent::ParentChange) HookForm();
  if (e->type() == QEvent::WinIdChange && initialized_ && !busy_ && clipper_) {
    clipper_->SetHandle(this);
    ddraw_->CheckedInterface().SetCooperativeLevel(form_, fullScreen_ ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL);
  }
  return QWidget::event(e);
}

void TCustomDXDraw::HookForm() {
  hook_.reset();
  form_ = parentWidget() ? window() : nullptr;
  if (!form_) return;
  hook_ = std::make_unique<TControlSubClass>(form_, [this](QObject* t, QEvent* e) { return FormWndProc(t, e); });
}

bool TCustomDXDraw::FormWndProc(QObject*, QEvent* e) {
  switch (e->type()) {
    case QEvent::WindowDeactivate:
      // Full screen with page flipping: back to the desktop's surface; nothing to do here.
      break;
    case QEvent::Show:
      if (AutoInitialize && !initializedOnce_) {
        try {
          Initialize();
        } catch (const std::exception& ex) {
          plat::Ui().MessageBox(form_, "Velmora", ex.what(), plat::MB_ICONERROR);
        }
      }
      break;
    default:
      break;
  }
  return false;
}
