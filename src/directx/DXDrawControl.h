// The drawing control: a widget that shows a DirectDraw back surface. The program draws on
// Surface() and calls Flip to bring it to the screen.
//
// On Linux the control's "primary surface" is its own area: the software DirectDraw's primary
// surface, clipped to the widget, in the widget's coordinates. Flip (the blit driver) copies
// the back surface onto it (stretched with doStretch, centred with doCenter) and repaints the
// widget at once; doWaitVBlank is a no-op (the platform does not tell the display's frame).
// The full-screen flip driver shows the control's window full screen and swaps two buffers.
// Display modes are the screens' current modes; any other mode cannot be set. The owner
// form's messages are Qt events seen by the window hook: its showing, deactivation and the
// control's re-creation.
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "directx/DXDraws.h"

class TCustomDXDraw;
class TDX3D;

class EDXDrawError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};

enum TDXDrawOption : uint32_t {
  doFullScreen, doNoWindowChange, doAllowReboot, doWaitVBlank, doAllowPalette256,
  doSystemMemory, doStretch, doCenter, doFlip, do3D, doDirectX7Mode, doRetainedMode,
  doHardware, doSelectDriver, doZBuffer
};
// A set of options, one bit per option.
using TDXDrawOptions = uint32_t;
constexpr TDXDrawOptions Opt(TDXDrawOption o) { return 1u << o; }
constexpr TDXDrawOptions Opts(std::initializer_list<TDXDrawOption> list) {
  TDXDrawOptions s = 0;
  for (TDXDrawOption o : list) s |= Opt(o);
  return s;
}
constexpr bool Has(TDXDrawOptions set, TDXDrawOption o) { return (set & Opt(o)) != 0; }
constexpr TDXDrawOptions kDefaultDXDrawOptions =
    Opts({doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware, doSelectDriver});

enum TDXDrawNotifyType {
  dxntDestroying, dxntInitializing, dxntInitialize, dxntInitializeSurface, dxntFinalize,
  dxntFinalizeSurface, dxntRestore, dxntSetSurfaceSize
};
using TDXDrawNotifyEvent = std::function<void(TCustomDXDraw* sender, TDXDrawNotifyType kind)>;
using TDXDrawEvent = std::function<void(TCustomDXDraw* sender)>;

using TColorTable = std::array<TRGBQuad, 256>;

// The options a control works with before it is initialised (the driver adds back what it
// honours).
TDXDrawOptions EffectiveOptions(TDXDrawOptions set);
// Where the blit driver's Flip puts the back surface: at origin, the control's size with
// doStretch, else the surface's size, centred with doCenter (halves truncated toward zero).
TRect FlipDestination(TPoint origin, int controlWidth, int controlHeight, int surfaceWidth,
                      int surfaceHeight, TDXDrawOptions options);

class TDXDrawDisplayMode {
 public:
  DDSURFACEDESC SurfaceDesc;
  int Width() const { return static_cast<int>(SurfaceDesc.dwWidth); }
  int Height() const { return static_cast<int>(SurfaceDesc.dwHeight); }
  int BitCount() const { return static_cast<int>(SurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
};

class TDXDrawDisplay {
 public:
  explicit TDXDrawDisplay(TCustomDXDraw* owner) : owner_(owner) {}
  int BitCount() const { return bitCount_; }
  // 8, 16, 24 or 32; else EDirectDrawError "It should be either of 8 or 16 or 24 or 32".
  void SetBitCount(int value);
  int Width = 640, Height = 480;
  bool FixedBitCount = true, FixedRatio = true, FixedSize = false;
  void Assign(const TDXDrawDisplay& other);

  // The screens' modes, sorted by width, height and bit count; filled on demand.
  int Count();
  const TDXDrawDisplayMode& Mode(int i);
  void ClearModes() {
    modes_.clear();
    listed_ = false;
  }
  // Sets a mode, or the nearest acceptable one; false when none can be set.
  bool SetDisplayMode(int width, int height, int bitCount);
  // Which listed mode a request takes (-1: none), by the rules of the Fixed* flags.
  int FindMode(int width, int height, int bitCount);

 private:
  TCustomDXDraw* owner_;
  int bitCount_ = 8;
  std::vector<TDXDrawDisplayMode> modes_;
  bool listed_ = false;
};

class TDXDrawDriver {
 public:
  // Runs the display-driver choice when asked and creates the DirectDraw object.
  explicit TDXDrawDriver(TCustomDXDraw* owner);
  virtual ~TDXDrawDriver();
  virtual void Finalize();
  virtual void Flip() {}
  virtual void Initialize() {}
  virtual bool SetSize(int, int) { return false; }
  // Restores both surfaces; true when both came back.
  bool Restore();

 protected:
  TCustomDXDraw* dxdraw_;
  void CreatePalette(uint32_t caps);
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
  bool SetSize(int width, int height) override;
  // The rectangle of the primary surface the last flip covered.
  const TRect& LastDestination() const { return lastDest_; }

 private:
  void InitializeSurface();
  TRect lastDest_;
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
};

class TCustomDXDraw : public QWidget {
  Q_OBJECT
 public:
  explicit TCustomDXDraw(QWidget* parent = nullptr);
  ~TCustomDXDraw() override;

  void Initialize();
  void Finalize();
  void Flip();
  void Restore();
  bool CanDraw();
  // After the properties are set (the end of form loading).
  void Loaded();

  // Registration is by key (the registering object); a second registration replaces the first.
  void RegisterNotifyEvent(const void* key, TDXDrawNotifyEvent event);
  void UnRegisterNotifyEvent(const void* key);

  bool AutoInitialize = true;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  QColor Color() const { return color_; }
  void SetColor(const QColor& c);
  TDXDrawDisplay& Display() { return *display_; }
  void SetDisplay(const TDXDrawDisplay& d) { display_->Assign(d); }
  TDXDrawOptions Options() const { return options_; }
  TDXDrawOptions NowOptions() const { return nowOptions_; }
  void SetOptions(TDXDrawOptions value);
  int SurfaceWidth() const;
  int SurfaceHeight() const;
  void SetSurfaceWidth(int value) { SetSurfaceSize(value, surfaceHeight_); }
  void SetSurfaceHeight(int value) { SetSurfaceSize(surfaceWidth_, value); }
  void SetSurfaceSize(int width, int height);

  bool Initialized() const { return initialized_; }
  bool Busy() const { return busy_; }
  QWidget* OwnerForm() const { return form_; }
  TDXDrawDriver* Driver() const { return driver_.get(); }
  TDirectDraw* DDraw() const { return ddraw_.get(); }
  TDirectDrawSurface* Primary() const { return primary_.get(); }
  TDirectDrawSurface* Surface() const { return surface_.get(); }
  TDirectDrawPalette* Palette() const { return palette_.get(); }
  TDirectDrawClipper* Clipper() const { return clipper_.get(); }
  TDX3D* D3D() const { return d3d_.get(); }
  // The chosen display driver (nullptr: the primary display).
  const GUID* DriverGUID() const { return hasGuid_ ? &guid_ : nullptr; }
  void SetDriverGUID(const GUID* guid);

  TColorTable ColorTable, DefaultColorTable;

  TDXDrawEvent OnFinalize, OnFinalizeSurface, OnInitialize, OnInitializeSurface, OnInitializing,
      OnRestoreSurface;

 protected:
  virtual void DoFinalize();
  virtual void DoFinalizeSurface();
  virtual void DoInitialize();
  virtual void DoInitializeSurface();
  virtual void DoInitializing();
  virtual void DoRestoreSurface();

  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool event(QEvent* e) override;

 private:
  friend class TDXDrawDriver;
  friend class TDXDrawDriverBlt;
  friend class TDXDrawDriverFlip;
  friend class TDXDrawDisplay;
  friend class TDX3D;
  void Notify(TDXDrawNotifyType kind);
  void HookForm();
  bool FormWndProc(QObject* target, QEvent* event);
  void UpdatePalette();  // the colour table into the palette
  std::vector<TPaletteEntry> PaletteEntries(const TColorTable& table) const;
  void Present();        // shows the primary surface now

  bool autoSize_ = true;
  bool calledDoInitialize_ = false, calledDoInitializeSurface_ = false;
  bool initializedOnce_ = false;
  QWidget* form_ = nullptr;
  struct Registration {
    const void* key;
    TDXDrawNotifyEvent event;
  };
  std::vector<Registration> notifyEvents_;
  bool initialized_ = false, internalInitialized_ = false, busy_ = false;
  std::unique_ptr<TControlSubClass> hook_;
  TDXDrawOptions options_ = kDefaultDXDrawOptions;
  TDXDrawOptions nowOptions_ = EffectiveOptions(kDefaultDXDrawOptions);
  int suppressRestore_ = 0;
  std::unique_ptr<TDXDrawDriver> driver_;
  GUID guid_;
  bool hasGuid_ = false;
  std::unique_ptr<TDirectDraw> ddraw_;
  std::unique_ptr<TDXDrawDisplay> display_;
  std::unique_ptr<TDirectDrawClipper> clipper_;
  std::unique_ptr<TDirectDrawPalette> palette_;
  std::unique_ptr<TDirectDrawSurface> primary_, surface_;
  int surfaceWidth_ = 640, surfaceHeight_ = 480;
  std::unique_ptr<TDX3D> d3d_;
  QColor color_;
  bool painting_ = false;
  bool fullScreen_ = false;
};

// The published form.
class TDXDraw : public TCustomDXDraw {
  Q_OBJECT
 public:
  using TCustomDXDraw::TCustomDXDraw;
};
