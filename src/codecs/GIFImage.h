// The GIF picture: header, colour tables, frames and extensions, reading a GIF stream into
// that model, and rendering frame 0 into a bitmap.
#pragma once
#include <QImage>
#include <QVector>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codecs/GifLzw.h"
#include "codecs/Graphic.h"

namespace gif {

class TGIFImage;
class TGIFSubImage;
class TGIFExtension;

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

 private:
  TGIFImage* image_;
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  explicit TGIFLocalColorMap(TGIFSubImage* frame) : frame_(frame) {}
  void Warning(TGIFSeverity s, const std::string& m) override;

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
  void LoadFromFile(const std::string& fileName);
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
  void Clear();

  uint16_t Width = 0, Height = 0;
  uint8_t Packed = 0, BackgroundColorIndex = 0, AspectRatio = 0;
  TGIFGlobalColorMap ColorMap;
};

class TGIFTrailer : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;
  void LoadFromStream(TByteReader& in) override;
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
  virtual const TGIFExtensionClass& Class() const = 0;
  uint8_t ExtensionLabel() const { return Class().Label; }
  TGIFSubImage* Frame() const { return frame_; }
  void Detach() { frame_ = nullptr; }

 protected:
  virtual void LoadBody(TByteReader& in) = 0;
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

  uint8_t BlockSize = 4, Packed = 0;
  uint16_t Delay = 0;
  uint8_t TransparentColorIndex = 0, Terminator = 0;

 protected:
  void LoadBody(TByteReader& in) override;
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
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  const TGIFExtensionClass& Class() const override;
  static const TGIFExtensionClass ClassInfo;
  std::vector<std::string> Text;

 protected:
  void LoadBody(TByteReader& in) override;
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
  virtual void LoadData(TByteReader& in) = 0;
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
  void LoadData(TByteReader& in) override;
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
};

// The two class registries: extension label -> class, application identifier -> class.
void RegisterExtensionClass(const TGIFExtensionClass* cls);
void RegisterAppExtensionClass(const char identifierAndCode[11], const TGIFExtensionClass* cls);
const TGIFExtensionClass* FindExtensionClass(uint8_t label);
const TGIFExtensionClass* FindAppExtensionClass(const char identifierAndCode[11]);
// The class of the extension at the stream's position (the stream is left where it was).
const TGIFExtensionClass* FindExtensionClassAt(TByteReader& in);

class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* image);
  ~TGIFSubImage() override;
  int GetVersion() const override;
  void LoadFromStream(TByteReader& in) override;
  void Clear();
  bool Empty() const { return pixels_.empty() || Width == 0 || Height == 0; }
  // The frame as an 8-bit picture over its colour table; the transparent index has alpha 0.
  const QImage& GetBitmap();
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

 private:
  void LoadExtensions(TByteReader& in);
  void Decompress(TByteReader& in);
  QImage bitmap_;
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
  void Clear();
  bool GetEmpty() const override { return frames_.empty(); }
  int GetWidth() const override { return Header.Width; }
  int GetHeight() const override { return Header.Height; }
  QImage ToImage() override;
  QVector<QRgb> GetPalette() const;
  // The bitmap of frame 0 on the logical screen, owned by the image (null without frames).
  const QImage* GetBitmap();
  void Warning(TGIFItem* sender, TGIFSeverity severity, const std::string& message);

  int Count() const { return int(frames_.size()); }
  TGIFSubImage& Frame(int i) { return *frames_.at(size_t(i)); }
  void Add(std::unique_ptr<TGIFSubImage> frame) { frames_.push_back(std::move(frame)); }
  void Delete(int i) { frames_.erase(frames_.begin() + i); }

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
