// The 3D set-up of the drawing control (do3D), through OpenGL: a context on an offscreen
// surface renders into a framebuffer of the back surface's size; at each flip the pixels
// rendered since the last one are copied into the back surface, so 2D drawing elsewhere
// stays. A "hardware device" needs a renderer other than Mesa's software rasterisers
// (llvmpipe, softpipe, swrast) and a back surface in video memory, which the software
// DirectDraw never gives; the z-buffer is the first of 16, 24 and 32 bits the context
// grants. Retained mode is our own small scene with a camera frame.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "directx/DirectX.h"

class TCustomDXDraw;
class TDirectDrawSurface;
class QOpenGLContext;
class QOffscreenSurface;

// A frame of the retained-mode scene.
struct TD3DFrame {
  TD3DFrame* Parent = nullptr;
  std::vector<std::unique_ptr<TD3DFrame>> Children;
  float Position[3] = {0, 0, 0};
  TD3DFrame* AddChild();
};

struct TD3DViewport {
  int X = 0, Y = 0, Width = 0, Height = 0;
  double Back = 1.0;
};

// What a 3D context offers; made by the context maker (a seam for tests).
class TD3DContext {
 public:
  virtual ~TD3DContext() = default;
  virtual std::string Renderer() const = 0;
  // Makes a framebuffer of that size with a depth buffer of the bits (0: none); false when
  // the context refuses.
  virtual bool MakeFramebuffer(int width, int height, int depthBits) = 0;
  virtual void SetRenderStates(bool dither, bool depth) = 0;
  // Copies the framebuffer's pixels (32-bit XRGB rows, top first) into the buffer.
  virtual bool ReadPixels(int width, int height, std::vector<uint32_t>& out) = 0;
};
using TD3DContextMaker = std::function<std::unique_ptr<TD3DContext>()>;

class TDX3D {
 public:
  // Chooses the display driver for full screen 3D: the software DirectDraw has the primary
  // display only.
  static void SelectDriver(TCustomDXDraw& control);
  // Sets up the 3D objects on the control's back surface; raises EDXDrawError "3D device not
  // found" or "... cannot be made" and leaves in the effective options the 3D options honoured.
  static void Initialize(TCustomDXDraw& control);
  // nullptr: the real OpenGL contexts.
  static void SetContextMaker(TD3DContextMaker maker);
  static bool IsSoftwareRenderer(const std::string& renderer);

  ~TDX3D();
  bool Hardware() const { return hardware_; }
  int ZBufferBits() const { return zBits_; }
  bool DirectX7() const { return dx7_; }
  const std::string& Renderer() const { return renderer_; }
  TD3DContext* Device() const { return device_.get(); }
  // Retained mode (null without it).
  TD3DFrame* Scene() const { return scene_.get(); }
  TD3DFrame* Camera() const { return camera_; }
  const TD3DViewport* Viewport() const { return retained_ ? &viewport_ : nullptr; }
  int Quality = 0, TextureQuality = 0, Shades = 0, TextureColors = 0, TextureShades = 0;
  bool Dither = false;

  // Copies what was rendered since the last call into the back surface (at each flip).
  void ReadBack(TDirectDrawSurface& surface);

 private:
  std::unique_ptr<TD3DContext> device_;
  std::string renderer_;
  bool hardware_ = false, retained_ = false, dx7_ = false;
  int zBits_ = 0;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> seen_;  // the framebuffer as last read (a new one is black)
  std::unique_ptr<TD3DFrame> scene_;
  TD3DFrame* camera_ = nullptr;
  TD3DViewport viewport_;
};
