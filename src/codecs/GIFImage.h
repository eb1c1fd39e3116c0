// The GIF picture: header, colour tables, frames and extensions, reading a GIF stream into
// that model, and rendering frame 0 into a bitmap.
#pragma once
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QVector>

class QPainter;

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "codecs/GifLzw.h"
#include "codecs/Graphic.h"

namespace gif {

class TGIFImage;
class TGIFSubImage;
class TGIFExtension;
class TGIFPainter;

// Draw options of an image.
enum : uint16_t {
  goAsync = 0x0001,            // the painter runs as a thread
  goTransparent = 0x0002,      // draw transparently
  goAnimate = 0x0004,          // go on to the following frames
  goLoop = 0x0008,             // start again after the last frame
  goLoopContinously = 0x0010,  // loop for ever, whatever the looping extension says
  goValidateCanvas = 0x0020,   // the painter stops once the target canvas is gone
  goDirectDraw = 0x0040,       // draw straight onto the target canvas
  goClearOnLoop = 0x0080,      // restore the background before frame 0
  goTile = 0x0100,             // tile the picture over the target rectangle
  goDither = 0x0200,           // draw through the 216-colour web palette
  goAutoDither = 0x0400        // ...only on displays of 8 bits per pixel or less
};
constexpr uint16_t GIFImageDefaultDrawOptions = 0x060F;

// Optimisation options of TGIFImage::Optimize.
enum : uint8_t {
  ooCrop = 1,
  ooMerge = 2,
  ooCleanup = 4,
  ooColorMap = 8,
  ooReduceColors = 16
};

// The display's bits per pixel (the screen's, unless a test set one); displays of 8 bits or
// less are palette devices.
int DisplayDepth();
void SetDisplayDepth(int bits);  // 0: ask the screen again
inline bool PaletteDevice() { return DisplayDepth() < 9; }

// "No colour": the draw background colour of an image that has none of its own.
constexpr uint32_t clNone = 0x1FFFFFFF;

struct TGIFColor {
  uint8_t Red = 0, Green = 0, Blue = 0;
  bool operator==(const TGIFColor&) const = default;
};

class TGIFColorMap {
 public:
  virtual ~TGIFColorMap() = default;
  virtual void Assign(const TGIFColorMap& source);
  virtual void Warning(TGIFSeverity, const std::string&) {}
  virtual void Changed() {}

  void Clear();
  void LoadFromStream(TByteReader& in, int count);
  // Entries followed by black ones up to 2^BitsPerPixel.
  void SaveToStream(std::string& out) const;
  int IndexOf(TGIFColor c) const;
  int Add(TGIFColor c);  // "Color table overflow" at 256 entries
  int AddUnique(TGIFColor c);
  void Delete(int index);         // "Invalid color index"
  TGIFColor GetColor(int index);  // warns "Invalid color index"; "Color table is empty"
  int Count() const { return count_; }
  int Capacity() const { return capacity_; }
  bool Optimized() const { return optimized_; }
  void SetOptimized(bool v) { optimized_ = v; }
  // Smallest n with 2^n >= count (1 for 1 or 2 colours, 0 for none).
  int BitsPerPixel() const;
  const TGIFColor* Data() const { return colors_.data(); }
  QVector<QRgb> Palette() const;
  // Imports (up to 256 entries): a palette, blue-green-red-reserved quads, the colour table of
  // a DIB (its quads).
  void ImportPalette(const QVector<QRgb>& palette);
  void ImportRGBQuads(const uint8_t* quads, int count);
  void ImportDIBColors(const uint8_t* quads, int count) { ImportRGBQuads(quads, count); }
  // Optimisation: sorts the colours by use, most used first, remaps the pixels of the frames
  // that use the table and drops the unused colours (a table already in order stays whole).
  std::vector<int> Histogram() const;
  // New indices from `kept` on are dropped colours: a transparency on one of them goes.
  void MapImages(const std::vector<int>& newIndex, int kept = 256);
  void Optimize();
  // The frames whose active table this is.
  virtual std::vector<TGIFSubImage*> Users() const { return {}; }
  // Indices used outside the frames' pixels, and their remapping.
  virtual void CountOtherUses(std::vector<int>&) const {}
  virtual void MapOtherUses(const std::vector<int>&) {}

 private:
  void Grow(int needed);
  std::vector<TGIFColor> colors_;
  int count_ = 0;
  int capacity_ = 0;
  bool optimized_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  explicit TGIFGlobalColorMap(TGIFImage* image) : image_(image) {}
  void Warning(TGIFSeverity s, const std::string& m) override;
  void Changed() override;
  std::vector<TGIFSubImage*> Users() const override;
  // The screen's background colour index.
  void CountOtherUses(std::vector<int>& counts) const override;
  void MapOtherUses(const std::vector<int>& newIndex) override;

 private:
  TGIFImage* image_;
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  explicit TGIFLocalColorMap(TGIFSubImage* frame) : frame_(frame) {}
  void Warning(TGIFSeverity s, const std::string& m) override;
  std::vector<TGIFSubImage*> Users() const override;

 private:
  TGIFSubImage* frame_;
};

class TGIFItem {
 public:
  explicit TGIFItem(TGIFImage* image) : image_(image) {}
  virtual ~TGIFItem() = default;
  virtual int GetVersion() const { return 1; }  // 1 = 87a, 2 = 89a
  virtual void Warning(TGIFSeverity severity, const std::string& message);
  virtual void LoadFromStream(TByteReader& in) = 0;
  virtual void SaveToStream(std::string& out) = 0;
  void LoadFromFile(const std::string& fileName);
  // Written to a temporary name and renamed over the file.
  void SaveToFile(const std::string& fileName);
  TGIFImage* Image() const { return image_; }

 protected:
  TGIFImage* image_;
};

class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFImage* image);
  void Assign(const TGIFHeader& source);
  void Assign(const TGIFColorMap& colors);
  int GetVersion() const override;
  void LoadFromStream(TByteReader& in) override;
  // Recomputes the packed fields, then writes the descriptor and the global table.
  void SaveToStream(std::string& out) override;
  void Clear();

  uint16_t Width = 0, Height = 0;
  uint8_t Packed = 0, BackgroundColorIndex = 0, AspectRatio = 0;
  TGIFGlobalColorMap ColorMap;
};

class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  void LoadFromStream(TByteReader& in) override;
  void SaveToStream(std::string& out) override;
};

class TGIFBlock {
 public:
  uint8_t Size = 0;
  std::vector<uint8_t> Data;
};

// An extension class: its label, how to make one, and how it refines itself from the
// stream (nullptr: answers with itself).
struct TGIFExtensionClass {
  const char* Name;
  uint8_t Label;
  std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* frame);
  const TGIFExtensionClass* (*Refine)(TByteReader& in);
};

class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage* frame);
  ~TGIFExtension() override;
  int GetVersion() const override { return 2; }
  void LoadFromStream(TByteReader& in) override;
  // The introducer, the label and the body.
  void SaveToStream(std::string& out) override;
  virtual const TGIFExtensionClass& Class() const = 0;
  uint8_t ExtensionLabel() const { return Class().Label; }
  TGIFSubImage* Frame() const { return frame_; }
  void Detach() { frame_ = nullptr; }

 protected:
  virtual void LoadBody(TByteReader& in) = 0;
  virtual void SaveBody(std::string& out) = 0;
  TGIFSubImage* frame_;
};

class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
  ~TGIFGraphicControlExtension() override;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  bool Transparent() const { return Packed & 1; }
  bool UserInput() const { return Packed & 2; }
  int Disposal() const { return (Packed >> 2) & 7; }
  // Also sets the frame's transparent flag.
  void SetTransparent(bool on);
  void SetUserInput(bool on);
  void SetDisposal(int method);
  // An index not below the active table's count (when it has entries) warns "Invalid color
  // index" and stores 0.
  void SetTransparentColorIndex(int index);

  uint8_t BlockSize = 4, Packed = 0;
  uint16_t Delay = 0;
  uint8_t TransparentColorIndex = 0, Terminator = 0;

 protected:
  void LoadBody(TByteReader& in) override;
  void SaveBody(std::string& out) override;
};

class TGIFTextExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  uint8_t BlockSize = 12;
  uint16_t Left = 0, Top = 0, GridWidth = 0, GridHeight = 0;
  uint8_t CellWidth = 0, CellHeight = 0, TextFgColorIndex = 0, TextBgColorIndex = 0;
  std::vector<std::string> Text;

 protected:
  void LoadBody(TByteReader& in) override;
  void SaveBody(std::string& out) override;
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  std::vector<std::string> Text;

 protected:
  void LoadBody(TByteReader& in) override;
  void SaveBody(std::string& out) override;
};

class TGIFApplicationExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  uint8_t BlockSize = 11;
  std::array<char, 8> Identifier{};
  std::array<char, 3> Authentication{};

 protected:
  void LoadBody(TByteReader& in) override;
  void SaveBody(std::string& out) override;
  virtual void LoadData(TByteReader& in) = 0;
  virtual void SaveData(std::string& out) = 0;
  // An identifier block of a size no reader knows (only the unknown-application class).
  virtual void KeepOddIdentifier(TByteReader& in, int size);
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  std::vector<TGIFBlock> Blocks;

 protected:
  // The identifier block keeps the size it was read with, so it reads back as unknown.
  void SaveBody(std::string& out) override;
  void LoadData(TByteReader& in) override;
  void SaveData(std::string& out) override;
  void KeepOddIdentifier(TByteReader& in, int size) override;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  uint16_t Loops = 0;
  uint32_t BufferSize = 0;

 protected:
  void LoadData(TByteReader& in) override;
  void SaveData(std::string& out) override;
};

// The two class registries: extension label -> class, application identifier -> class.
void RegisterExtensionClass(const TGIFExtensionClass* cls);
void RegisterAppExtensionClass(const char identifierAndCode[11], const TGIFExtensionClass* cls);
const TGIFExtensionClass* FindExtensionClass(uint8_t label);
const TGIFExtensionClass* FindAppExtensionClass(const char identifierAndCode[11]);
// The class of the extension at the stream's position (the stream is left where it was).
const TGIFExtensionClass* FindExtensionClassAt(TByteReader& in);

// The rows of a device-independent bitmap of 1, 4, 8 or 24 bits per pixel (24: blue, green,
// red), top row first, with its colour table as blue-green-red-reserved quads.
struct TBitmapBits {
  int Width = 0, Height = 0, BitCount = 0;
  const uint8_t* Bits = nullptr;
  size_t Stride = 0;
  std::vector<uint8_t> ColorQuads;
};

class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* image);
  ~TGIFSubImage() override;
  int GetVersion() const override;
  void LoadFromStream(TByteReader& in) override;
  // The descriptor with recomputed packed fields, the local table and the compressed pixels.
  void SaveToStream(std::string& out) override;
  void Compress(std::string& out);
  void Clear();
  bool Empty() const { return pixels_.empty() || Width == 0 || Height == 0; }
  // The frame as an 8-bit picture over its colour table (or, drawing through a palette, over
  // the web palette); pixels of the transparent index have alpha 0 and form the mask.
  const QImage& GetBitmap();
  // 1-bit mask, a bit set for each transparent pixel; null when no pixel is transparent.
  const QImage& Mask() const { return mask_; }
  bool HasMask() const { return !mask_.isNull(); }
  // Drops the rendered bitmap and mask (after the pixels changed).
  void DiscardBitmap();
  // The frame's palette (see the palette rules); SetPalette keeps one of the caller's.
  QVector<QRgb> GetPalette();
  void SetPalette(const QVector<QRgb>& palette);
  // The frame's rectangle mapped into `rect` in proportion to the image's size.
  QRect ScaledRect(const QRect& rect) const;
  void Draw(QPainter& canvas, const QRect& rect, bool transparent, bool tile);
  void Assign(const TGIFSubImage& source);
  // A bitmap without alpha by its depth (others reduced first); one with alpha as a graphic.
  void Assign(const QImage& bitmap);
  void AssignBits(const TBitmapBits& bits);
  // A picture drawn on white and on black; where the two differ is transparent.
  void AssignGraphic(const QImage& picture);
  void Assign(const QIcon& icon);
  void AssignTo(QImage& bitmap);
  // Moves and sizes the frame and its pixels, growing the image to hold it; bounds past 16 bits
  // raise "Invalid image dimensions".
  void SetBounds(int left, int top, int width, int height);
  // Local table when it has entries, else the image's global table.
  const TGIFColorMap& ActiveColorMap() const;
  QVector<QRgb> ColorTable() const;
  const std::vector<uint8_t>& Data() const { return pixels_; }
  std::vector<uint8_t>& Data() { return pixels_; }
  bool Interlaced() const { return Packed & 0x40; }
  int CodeSize() const { return codeSize_; }

  char Separator = ',';
  uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
  uint8_t Packed = 0;
  TGIFLocalColorMap ColorMap;
  std::vector<std::unique_ptr<TGIFExtension>> Extensions;
  bool Transparent = false;
  TGIFGraphicControlExtension* GraphicControlExtension = nullptr;
  // The transparent colour index, -1 when the frame is opaque.
  int TransparentIndex() const {
    return Transparent && GraphicControlExtension ? GraphicControlExtension->TransparentColorIndex
                                                  : -1;
  }

 private:
  void LoadExtensions(TByteReader& in);
  void Decompress(TByteReader& in);
  void Render(bool paletted);
  void TransparencyFromMask(const std::vector<uint8_t>& mask);
  QImage bitmap_;
  QImage mask_;
  bool needMask_ = true;
  std::optional<QVector<QRgb>> palette_;
  std::vector<uint8_t> pixels_;
  int codeSize_ = 0;
};

class TGIFImage : public codecs::TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  void LoadFromStream(TByteReader& in);
  void LoadFromData(const std::string& data);
  void LoadFromFile(const std::string& fileName) override;
  // Raises "Unsupported GIF version" for an image without a frame that has pixels.
  void SaveToStream(std::string& out);
  // Written to a temporary name and renamed over the file.
  void SaveToFile(const std::string& fileName);
  void WriteData(std::string& out);
  // Options ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors.
  void Optimize(int options, int reductionMethod, int bits, int ditherMode);
  // The highest version the frames ask for (0 without frames).
  int GetVersion() const;
  void Clear();
  bool GetEmpty() const override { return frames_.empty(); }
  int GetWidth() const override { return Header.Width; }
  int GetHeight() const override { return Header.Height; }
  QImage ToImage() override;
  // Raises "No global or local color table defined" when asked again while it runs.
  QVector<QRgb> GetPalette();
  void SetPalette(const QVector<QRgb>& palette);
  void ReleasePalette() { palette_.reset(); }
  bool PaletteBusy() const { return paletteBusy_; }
  // Whether the frames draw through the web palette.
  bool DoDither() const;
  void SetWidth(int width);
  void SetHeight(int height);
  bool Equals(const codecs::TGraphic* other) const { return other == this; }

  void Draw(QPainter& canvas, const QRect& rect);
  // Stops every painter of the image and frees the image's bitmap.
  void StopDraw();
  bool Drawing() const { return drawing_; }
  TGIFPainter* Painter() const { return painter_; }
  int PainterCount();

  void Assign(const TGIFImage* source);
  void Assign(const QImage& bitmap);
  void Assign(const QIcon& icon);
  void Assign(const codecs::TGraphic& graphic);
  // A frame as it is, or a new one made from a picture.
  TGIFSubImage& Add(const QImage& bitmap);
  void AssignTo(QImage& bitmap);

  // "image/gif" with the whole file beside the bitmap.
  void SaveToClipboardFormat();
  // "image/gif" first, then an image; else "Unsupported clipboard format".
  void LoadFromClipboardFormat();
  // Calls the change event.
  void Changed();
  void ReportProgress(int stage, int percent, bool redraw, const std::string& message) {
    Progress(stage, percent, redraw, message);
  }
  // The image's bitmap or pictures changed (a painter drew a frame into the bitmap).
  std::function<void(TGIFImage*)> OnChange;
  // Painter events, called on the thread that draws: start, paint, after paint, loop, end.
  std::function<void(TGIFPainter*)> OnStartPaint, OnPaint, OnAfterPaint, OnLoop, OnEndPaint;

 private:
  friend class TGIFPainter;
  void OptimizePasses(int options);
  void ReapPainters();
  std::optional<QVector<QRgb>> palette_;
  bool paletteBusy_ = false;
  bool drawing_ = false;
  // Running painters; the lock is held while painters are created, looked up and stopped.
  std::recursive_mutex painterLock_;
  std::vector<TGIFPainter*> painters_;
  std::vector<TGIFPainter*> ended_;  // threaded painters that ended, to be joined and freed
  TGIFPainter* painter_ = nullptr;

 public:
  // The bitmap of frame 0 on the logical screen, owned by the image (null without frames).
  const QImage* GetBitmap();
  void Warning(TGIFItem* sender, TGIFSeverity severity, const std::string& message);

  int Count() const { return int(frames_.size()); }
  TGIFSubImage& Frame(int i) { return *frames_.at(size_t(i)); }
  // Both stop the painters first and free the image's bitmap; Add signals a change.
  void Add(std::unique_ptr<TGIFSubImage> frame);
  int IndexOf(const TGIFSubImage* frame) const;
  void Delete(int i);

  TGIFHeader Header{this};
  // Showing needs frame 0 only: the frames after it are not decoded.
  bool FirstFrameOnly = false;
  uint16_t DrawOptions = 0x060F;
  uint8_t ColorReduction = 6;
  int ReductionBits = 8;
  uint8_t DitherMode = 0;
  uint8_t Compression = 0;
  uint8_t ThreadPriority = 3;
  int AnimationSpeed = 100;
  uint32_t DrawBackgroundColor = 0x1FFFFFFF;
  std::function<void(TGIFItem* sender, TGIFSeverity, const std::string&)> OnWarning;
  // Progress: stage (0 start, 1 running, 2 end), percent, redraw, message.
  std::function<void(int stage, int percent, bool redraw, const std::string&)> OnProgress;

 private:
  void Progress(int stage, int percent, bool redraw, const std::string& message) {
    if (OnProgress) OnProgress(stage, percent, redraw, message);
  }
  void LoadFrames(TByteReader& in);
  friend class TGIFSubImage;
  std::vector<std::unique_ptr<TGIFSubImage>> frames_;
  std::unique_ptr<QImage> bitmap_;
  uint64_t pixelsRead_ = 0;  // over all frames decoded
};

}  // namespace gif
