#include "directx/DX3D.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QSurfaceFormat>
#include <algorithm>
#include <cstring>

#include "directx/DXDrawControl.h"
#include "platform/Files.h"

namespace {

#ifndef GL_DEPTH_COMPONENT24
#define GL_DEPTH_COMPONENT24 0x81A6
#endif
#ifndef GL_DEPTH_COMPONENT32
#define GL_DEPTH_COMPONENT32 0x81A7
#endif

// An OpenGL context on an offscreen surface with one framebuffer.
class GLContext : public TD3DContext {
 public:
  bool Make() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->create();
    context_ = std::make_unique<QOpenGLContext>();
    if (!surface_->isValid() || !context_->create() || !context_->makeCurrent(surface_.get()))
      return false;
    f_ = context_->extraFunctions();
    const char* r = reinterpret_cast<const char*>(f_->glGetString(GL_RENDERER));
    renderer_ = r ? r : "";
    return true;
  }
  ~GLContext() override {
    if (context_ && surface_ && context_->makeCurrent(surface_.get())) Drop();
  }
  std::string Renderer() const override { return renderer_; }
  bool MakeFramebuffer(int width, int height, int depthBits) override {
    if (!context_->makeCurrent(surface_.get())) return false;
    Drop();
    f_->glGenFramebuffers(1, &fbo_);
    f_->glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    f_->glGenRenderbuffers(1, &color_);
    f_->glBindRenderbuffer(GL_RENDERBUFFER, color_);
    f_->glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    f_->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
    if (depthBits) {
      const GLenum format = depthBits == 16   ? GL_DEPTH_COMPONENT16
                            : depthBits == 24 ? GL_DEPTH_COMPONENT24
                                              : GL_DEPTH_COMPONENT32;
      f_->glGenRenderbuffers(1, &depth_);
      f_->glBindRenderbuffer(GL_RENDERBUFFER, depth_);
      f_->glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
      f_->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    const bool ok = f_->glGetError() == GL_NO_ERROR &&
                    f_->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!ok) {
      Drop();
      return false;
    }
    f_->glViewport(0, 0, width, height);
    // A new framebuffer starts black, as the 3D side's record of it says.
    f_->glClearColor(0, 0, 0, 0);
    f_->glClear(GL_COLOR_BUFFER_BIT | (depthBits ? GL_DEPTH_BUFFER_BIT : 0));
    return true;
  }
  void SetRenderStates(bool dither, bool depth) override {
    if (!context_->makeCurrent(surface_.get())) return;
    dither ? f_->glEnable(GL_DITHER) : f_->glDisable(GL_DITHER);
    depth ? f_->glEnable(GL_DEPTH_TEST) : f_->glDisable(GL_DEPTH_TEST);
    f_->glDepthMask(depth ? GL_TRUE : GL_FALSE);
  }
  bool ReadPixels(int width, int height, std::vector<uint32_t>& out) override {
    if (!fbo_ || !context_->makeCurrent(surface_.get())) return false;
    f_->glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    f_->glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    out.resize(size_t(width) * size_t(height));
    // OpenGL's rows run bottom up.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = &rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
        out[size_t(y) * size_t(width) + size_t(x)] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
      }
    return true;
  }

 private:
  void Drop() {
    if (fbo_) f_->glDeleteFramebuffers(1, &fbo_);
    if (color_) f_->glDeleteRenderbuffers(1, &color_);
    if (depth_) f_->glDeleteRenderbuffers(1, &depth_);
    fbo_ = color_ = depth_ = 0;
  }
  std::unique_ptr<QOffscreenSurface> surface_;
  std::unique_ptr<QOpenGLContext> context_;
  QOpenGLExtraFunctions* f_ = nullptr;
  std::string renderer_;
  GLuint fbo_ = 0, color_ = 0, depth_ = 0;
};

TD3DContextMaker& Maker() {
  static TD3DContextMaker maker;
  return maker;
}

std::unique_ptr<TD3DContext> MakeContext() {
  if (Maker()) return Maker()();
  auto c = std::make_unique<GLContext>();
  if (!c->Make()) return nullptr;
  return c;
}

}  // namespace

TD3DFrame* TD3DFrame::AddChild() {
  Children.push_back(std::make_unique<TD3DFrame>());
  Children.back()->Parent = this;
  return Children.back().get();
}

TDX3D::~TDX3D() = default;

void TDX3D::SetContextMaker(TD3DContextMaker maker) { Maker() = std::move(maker); }

bool TDX3D::IsSoftwareRenderer(const std::string& renderer) {
  const std::string r = plat::LowerCase(renderer);
  for (const char* soft : {"llvmpipe", "softpipe", "swrast", "software rasterizer"})
    if (r.find(soft) != std::string::npos) return true;
  return false;
}

void TDX3D::SelectDriver(TCustomDXDraw& control) {
  // One driver, the primary display, with no DirectDraw 3D capability: nothing qualifies.
  control.SetDriverGUID(nullptr);
}

void TDX3D::Initialize(TCustomDXDraw& d) {
  const TDXDrawOptions set = d.Options();
  const bool wantHardware = Has(set, doHardware);
  const bool wantRetained = Has(set, doRetainedMode);
  const bool wantZ = Has(set, doZBuffer);
  const bool dx7 = Has(set, doDirectX7Mode);
  d.nowOptions_ &= ~Opts({doHardware, doRetainedMode, doSelectDriver, doZBuffer});

  auto x = std::make_unique<TDX3D>();
  x->dx7_ = dx7;
  x->device_ = MakeContext();
  if (!x->device_) throw EDXDrawError("3D device not found");
  x->renderer_ = x->device_->Renderer();
  // A hardware device needs a hardware renderer and a back surface in video memory (the
  // software DirectDraw keeps every surface in system memory).
  x->hardware_ = wantHardware && !IsSoftwareRenderer(x->renderer_) &&
                 (d.Surface()->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0;
  x->width_ = d.Surface()->Width();
  x->height_ = d.Surface()->Height();

  bool made = false;
  if (wantZ)
    for (int bits : {16, 24, 32})
      if (x->device_->MakeFramebuffer(x->width_, x->height_, bits)) {
        x->zBits_ = bits;
        made = true;
        break;
      }
  if (!made) made = x->device_->MakeFramebuffer(x->width_, x->height_, 0);
  if (!made) throw EDXDrawError(dx7 ? "IDirect3DDevice7 cannot be made" : "IDirect3DDevice3 cannot be made");

  if (!dx7) {
    x->device_->SetRenderStates(true, x->zBits_ != 0);
    x->Dither = true;
    if (wantRetained) {
      x->retained_ = true;
      x->Quality = 0x89;
      x->TextureQuality = 0;
      if (d.Surface()->BitCount() == 8) x->Shades = 8;
      x->TextureColors = 64;
      x->TextureShades = 32;
      x->scene_ = std::make_unique<TD3DFrame>();
      x->camera_ = x->scene_->AddChild();
      x->viewport_ = TD3DViewport{0, 0, x->width_, x->height_, 5000.0};
      d.nowOptions_ |= Opt(doRetainedMode);
    }
  }
  if (x->hardware_) d.nowOptions_ |= Opt(doHardware);
  if (x->zBits_) d.nowOptions_ |= Opt(doZBuffer);
  d.d3d_ = std::move(x);
}

void TDX3D::ReadBack(TDirectDrawSurface& surface) {
  std::vector<uint32_t> pixels;
  if (!device_ || !device_->ReadPixels(width_, height_, pixels)) return;
  // Only what was rendered since the last flip reaches the back surface: 2D drawing there
  // stays where the 3D picture did not change.
  seen_.resize(pixels.size(), 0);
  const int w = std::min(width_, surface.Width()), h = std::min(height_, surface.Height());
  DDSURFACEDESC desc;
  const bool locked = surface.BitCount() == 32 && surface.Lock(nullptr, desc);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y) * size_t(width_) + size_t(x);
      if (pixels[i] == seen_[i]) continue;
      if (locked)
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch)[x] = pixels[i];
      else
        surface.SetPixel(x, y, pixels[i]);
    }
  if (locked) surface.Unlock();
  seen_ = std::move(pixels);
}
