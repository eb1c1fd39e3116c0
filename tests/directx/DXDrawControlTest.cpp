#include <gtest/gtest.h>

#include <QWidget>

#include "directx/DX3D.h"
#include "directx/DXDrawControl.h"
#include "directx/SoftwareDraw.h"

namespace {

// A form with a drawing control that records the notifications and events in order.
struct Form {
  std::vector<std::string> log;  // outlives the control, which tells it of its destruction
  QWidget form;
  TDXDraw* draw = new TDXDraw(&form);
  Form() {
    draw->resize(389, 120);
    draw->SetAutoSize(false);
    draw->SetSurfaceSize(389, 120);
    draw->OnInitialize = [this](TCustomDXDraw*) { log.push_back("OnInitialize"); };
    draw->OnInitializeSurface = [this](TCustomDXDraw*) { log.push_back("OnInitializeSurface"); };
    draw->OnRestoreSurface = [this](TCustomDXDraw*) { log.push_back("OnRestoreSurface"); };
    draw->OnFinalize = [this](TCustomDXDraw*) { log.push_back("OnFinalize"); };
    draw->OnFinalizeSurface = [this](TCustomDXDraw*) { log.push_back("OnFinalizeSurface"); };
    draw->RegisterNotifyEvent(this, [this](TCustomDXDraw*, TDXDrawNotifyType k) {
      static const char* const names[] = {"destroying", "initializing", "initialize",
                                          "initialize surface", "finalize", "finalize surface",
                                          "restore", "set surface size"};
      log.push_back(names[k]);
    });
  }
};

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

}  // namespace

TEST(DXDraw, EffectiveOptionsAndTheFlipRectangle) {
  struct OptCase {
    TDXDrawOptions set, want;
  } opts[] = {
      {kDefaultDXDrawOptions, Opts({doWaitVBlank, doCenter, doHardware})},
      {Opts({doFullScreen, doFlip, doAllowReboot}), Opts({doFullScreen, doFlip, doAllowReboot, doHardware})},
      {Opts({doFullScreen, doFlip, doSystemMemory}), Opts({doFullScreen, doSystemMemory, doHardware})},
      {Opts({doFlip, doStretch}), Opts({doStretch, doHardware})},  // windowed driver
      {Opts({do3D, doDirectX7Mode, doRetainedMode, doZBuffer}), Opts({do3D, doDirectX7Mode, doZBuffer, doHardware})},
  };
  for (const OptCase& c : opts) EXPECT_EQ(EffectiveOptions(c.set), c.want) << c.set;

  struct FlipCase {
    TDXDrawOptions options;
    int cw, ch;
    TRect want;
  } flips[] = {
      {Opt(doStretch) | Opt(doCenter), 389, 120, {10, 20, 399, 140}},
      {Opt(doStretch), 200, 100, {10, 20, 210, 120}},
      {Opt(doCenter), 400, 131, {15, 25, 404, 145}},
      {Opt(doCenter), 100, 50, {-134, -15, 255, 105}},  // halves toward zero
      {0, 400, 131, {10, 20, 399, 140}},
  };
  for (const FlipCase& c : flips)
    EXPECT_EQ(FlipDestination(TPoint{10, 20}, c.cw, c.ch, 389, 120, c.options), c.want) << c.options;
}

TEST(DXDraw, NotificationsInOrderAndLostSurfacesRestoredOnTheNextFlip) {
  Form f;
  EXPECT_EQ(f.log, std::vector<std::string>{"set surface size"});
  f.log.clear();
  f.draw->SetOptions(Opt(doFlip) | Opt(doStretch));  // without doFullScreen: the windowed driver
  f.draw->Initialize();
  EXPECT_NE(dynamic_cast<TDXDrawDriverBlt*>(f.draw->Driver()), nullptr);
  EXPECT_EQ(f.log, (std::vector<std::string>{"initializing", "set surface size", "initialize",
                                             "OnInitialize", "initialize surface",
                                             "OnInitializeSurface", "restore", "OnRestoreSurface"}));
  EXPECT_EQ(f.draw->SurfaceWidth(), 389);
  EXPECT_TRUE(f.draw->NowOptions() & Opt(doSystemMemory));

  f.log.clear();
  f.draw->DDraw()->Interface()->LoseSurfaces();
  f.draw->Flip();
  EXPECT_EQ(f.log, (std::vector<std::string>{"restore", "OnRestoreSurface"}));
  EXPECT_FALSE(f.draw->Surface()->IsLost());

  // A new surface size while initialised makes the back surface again.
  f.log.clear();
  f.draw->SetSurfaceSize(100, 50);
  EXPECT_EQ(f.draw->Surface()->Width(), 100);
  EXPECT_EQ(f.log, (std::vector<std::string>{"finalize surface", "OnFinalizeSurface",
                                             "initialize surface", "OnInitializeSurface",
                                             "set surface size"}));
  f.log.clear();
  f.draw->Finalize();
  EXPECT_EQ(f.log, (std::vector<std::string>{"OnFinalizeSurface", "finalize surface", "OnFinalize",
                                             "finalize"}));
  EXPECT_FALSE(f.draw->Initialized());
  EXPECT_EQ(f.draw->DDraw(), nullptr);
}

TEST(DXDraw, FailuresOfTheInitialisation) {
  TDXDraw lone;  // no form
  EXPECT_EQ(Message([&] { lone.Initialize(); }), "Form not found");
  EXPECT_FALSE(lone.Initialized());

  Form f;
  f.draw->SetOptions(Opts({doFullScreen}));
  f.draw->Display().Width = 123;
  f.draw->Display().Height = 45;
  EXPECT_EQ(Message([&] { f.draw->Initialize(); }), "Display mode cannot be changed (123x45 8bit)");
  EXPECT_FALSE(f.draw->Initialized());
  EXPECT_EQ(Message([&] { f.draw->Display().SetBitCount(15); }),
            "It should be either of 8 or 16 or 24 or 32");
  // The screen's own mode can be taken: full screen with two buffers.
  ASSERT_GT(f.draw->Display().Count(), 0);
  const TDXDrawDisplayMode mode = f.draw->Display().Mode(0);
  f.draw->Display().Width = mode.Width();
  f.draw->Display().Height = mode.Height();
  f.draw->Display().SetBitCount(mode.BitCount());
  f.draw->SetOptions(Opts({doFullScreen, doFlip}));
  f.draw->Initialize();
  EXPECT_NE(dynamic_cast<TDXDrawDriverFlip*>(f.draw->Driver()), nullptr);
  EXPECT_EQ(f.draw->SurfaceWidth(), mode.Width());
  f.draw->Finalize();
}

namespace {
class FakeContext : public TD3DContext {
 public:
  std::string renderer;
  int grantsDepth = 24;
  std::string Renderer() const override { return renderer; }
  bool MakeFramebuffer(int, int, int bits) override { return bits == 0 || bits == grantsDepth; }
  void SetRenderStates(bool, bool) override {}
  bool ReadPixels(int w, int h, std::vector<uint32_t>& out) override {
    out.assign(size_t(w) * size_t(h), 0x123456);
    return true;
  }
};
}  // namespace

TEST(DXDraw, ThreeDSetUp) {
  struct Case {
    const char* renderer;  // nullptr: no context can be made
    TDXDrawOptions options;
    std::string error;
    bool hardware;
    int zBits;
    bool retained;
  } cases[] = {
      {nullptr, Opts({do3D}), "3D device not found", false, 0, false},
      {"llvmpipe (LLVM 15.0.6, 256 bits)", Opts({do3D, doHardware, doZBuffer, doRetainedMode}), "",
       false, 24, true},
      // no hardware device on a back surface in system memory
      {"Radeon RX", Opts({do3D, doHardware, doZBuffer, doDirectX7Mode}), "", false, 24, false},
  };
  for (const Case& c : cases) {
    TDX3D::SetContextMaker([&c]() -> std::unique_ptr<TD3DContext> {
      if (!c.renderer) return nullptr;
      auto ctx = std::make_unique<FakeContext>();
      ctx->renderer = c.renderer;
      return ctx;
    });
    Form f;
    f.draw->SetOptions(c.options);
    EXPECT_EQ(Message([&] { f.draw->Initialize(); }), c.error) << c.renderer;
    if (!c.error.empty()) continue;
    const TDX3D& x = *f.draw->D3D();
    EXPECT_EQ(x.Hardware(), c.hardware) << c.renderer;
    EXPECT_EQ(bool(f.draw->NowOptions() & Opt(doHardware)), c.hardware);
    EXPECT_EQ(x.ZBufferBits(), c.zBits);
    EXPECT_EQ(bool(f.draw->NowOptions() & Opt(doRetainedMode)), c.retained);
    if (c.retained) {
      ASSERT_NE(x.Camera(), nullptr);
      EXPECT_EQ(x.Camera()->Parent, x.Scene());
      EXPECT_EQ(x.Viewport()->Back, 5000.0);
      EXPECT_EQ(x.Viewport()->Width, 389);
    }
    f.draw->Flip();  // what was rendered becomes the back surface
    EXPECT_EQ(f.draw->Surface()->Pixel(5, 5) & 0xFFFFFF, 0x123456u);
    f.draw->Surface()->Fill(0x00FF00);  // 2D drawing over an unchanged 3D picture stays
    f.draw->Flip();
    EXPECT_EQ(f.draw->Surface()->Pixel(5, 5) & 0xFFFFFF, 0x00FF00u);
  }
  // The road this machine allows: a real OpenGL context, or "not found".
  TDX3D::SetContextMaker(nullptr);
  Form f;
  f.draw->SetOptions(Opts({do3D, doZBuffer}));
  const std::string error = Message([&] { f.draw->Initialize(); });
  if (error.empty())
    EXPECT_FALSE(f.draw->D3D()->Renderer().empty());
  else
    EXPECT_EQ(error, "3D device not found");
}
