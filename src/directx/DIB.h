// The device-independent bitmap graphic: BMP/DIB pictures of 1 to 32 bits, bit fields, RLE4 and
// RLE8, shared between TDIB objects and copied on change.
//
// On Linux the image is plain memory (rows bottom-up, as the format stores them). A "DIB
// section" is the same memory with a QImage over it and a QPainter canvas; drawing on the
// canvas changes the bits in place (for 1, 4 and 8 bits the canvas paints on a true-colour copy
// that is mapped back to the colour table when the canvas is released). "GDI palettes" are the
// palette manager's items holding the colour tables. Draw paints through QPainter, stretched
// nearest-neighbour. The clipboard format CF_DIB is the clipboard's "image/bmp" data (a packed
// DIB behind a file header) plus the image itself.
#pragma once
#include <QHash>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/Graphic.h"
#include "directx/DirectX.h"

class QIODevice;
class QMimeData;

// The class library's graphic errors.
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EInvalidGraphicOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TDIBPixelFormat {
  uint32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
  int32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
  int32_t RShift = 0, GShift = 0, BShift = 0;
  int32_t RBitCount2 = 0, GBitCount2 = 0, BBitCount2 = 0;
  bool operator==(const TDIBPixelFormat&) const = default;
};

TDIBPixelFormat MakeDIBPixelFormat(int rBitCount, int gBitCount, int bBitCount);
TDIBPixelFormat MakeDIBPixelFormatMask(uint32_t rBitMask, uint32_t gBitMask, uint32_t bBitMask);
// Skips the mask's zero bits from bit 0, then counts the consecutive one bits.
int GetBitCount(uint32_t mask);

using TRGBQuads = std::array<TRGBQuad, 256>;
using TPaletteEntries = std::array<TPaletteEntry, 256>;

TRGBQuad RGBTripleToRGBQuad(const TRGBTriple& c);
TRGBQuad PaletteEntryToRGBQuad(const TPaletteEntry& c);
TPaletteEntry RGBQuadToPaletteEntry(const TRGBQuad& c);
TRGBQuads PaletteEntriesToRGBQuads(const TPaletteEntries& entries);
TPaletteEntries RGBQuadsToPaletteEntries(const TRGBQuads& table);
// The grey ramp: entry i = (i, i, i, 0).
TRGBQuads GreyscaleColorTable();

// A "GDI palette": a handle to a table of palette entries.
struct TLogPalette {
  std::vector<TPaletteEntry> Entries;
};
using HPALETTE = TLogPalette*;
HPALETTE CreateGDIPalette(const TPaletteEntry* entries, int count);
void DeleteGDIPalette(HPALETTE palette);
// Copies up to count entries from start; returns the number copied.
int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out);

class TPaletteItem {
 public:
  ~TPaletteItem();  // deletes its palette
  uint32_t ID = 0;  // sum of the red, green and blue bytes of its entries
  HPALETTE Palette = nullptr;
  int RefCount = 0;
  TRGBQuads ColorTable{};
  int ColorTableCount = 0;
};

// The process-wide cache of palettes, shared by images with equal colour tables.
class TPaletteManager {
 public:
  HPALETTE CreatePalette(const TRGBQuads& table, int count);
  // Drops one reference of the palette's item and sets `palette` to nullptr.
  void DeletePalette(HPALETTE& palette);
  int Count() const { return static_cast<int>(items_.size()); }
  const TPaletteItem& Item(int i) const { return *items_[static_cast<size_t>(i)]; }

 private:
  std::vector<std::unique_ptr<TPaletteItem>> items_;
};
TPaletteManager& PaletteManager();

// Maps 0xRRGGBB colours onto a table of count such colours: the first equal entry, else the
// nearest (least squared distance, the first of equals). Each answer is remembered.
class TColorIndexer {
 public:
  TColorIndexer(const uint32_t* colors, int count);  // the table outlives the indexer
  int Index(uint32_t rgb);

 private:
  const uint32_t* colors_;
  int count_;
  QHash<uint32_t, int> index_;
};

class TDIBSharedImage {
 public:
  TDIBSharedImage();
  ~TDIBSharedImage();
  TDIBSharedImage(const TDIBSharedImage&) = delete;
  TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

  void NewImage(int width, int height, int bitCount, const TDIBPixelFormat& pixelFormat,
                const TRGBQuads& colorTable, bool memoryImage, bool compressed);
  // Reads a packed DIB (no file header). The pixels start bitsOffset bytes after the packed
  // DIB's start when that lies after the header and inside the data (-1: after the colours).
  void ReadData(QIODevice& stream, bool memoryImage, int64_t bitsOffset = -1);
  // A new uncompressed image with the same picture (decoded from RLE, or the bits copied).
  std::shared_ptr<TDIBSharedImage> Decompress(bool memoryImage) const;
  std::shared_ptr<TDIBSharedImage> Duplicate(bool memoryImage) const;
  void SetColorTable(const TRGBQuads& table);
  HPALETTE GetPalette();
  // Gives the image a QImage view over its bits (a "DIB section").
  void AllocSection();

  int BitCount = 0;
  std::vector<uint8_t> BitmapInfo;  // header, masks with bit fields, colour table
  int BitmapInfoSize = 0;
  bool PaletteChanged = false;
  TRGBQuads ColorTable{};
  int ColorTablePos = 40;
  bool Compressed = false;
  int Height = 0, Width = 0;
  bool MemoryImage = true;
  int NextLine = 0;
  HPALETTE Palette = nullptr;
  int ColorTableCount = 0;
  uint8_t* PBits = nullptr;  // bottom row first, or the compressed data
  TDIBPixelFormat PixelFormat;
  int Size = 0;
  uint8_t* TopPBits = nullptr;
  int WidthBytes = 0;
  // The "DIB section": a QImage over the bits, rows flipped (bottom row first); null for
  // memory images and for bit counts QPainter cannot paint on.
  QImage Section;

 private:
  void Reset();
  std::unique_ptr<uint8_t[]> bits_;
};

// The image every new or cleared TDIB shares; never freed while the program runs.
const std::shared_ptr<TDIBSharedImage>& EmptyDIBImage();

class TDIB;

// The canvas of a TDIB: a QPainter on its bits (upright coordinates, y = 0 at the top).
class TDIBCanvas {
 public:
  explicit TDIBCanvas(TDIB& dib) : dib_(dib) {}
  ~TDIBCanvas();
  // Makes the image a private DIB section on first use and begins painting on it. Take it
  // again for each drawing; a change of the picture ends the painter.
  QPainter& Painter();
  bool HandleAllocated() const { return painter_ != nullptr; }
  // Ends painting (writing 1, 4 and 8-bit pictures back through their colour table).
  void Release();

 private:
  TDIB& dib_;
  std::unique_ptr<QPainter> painter_;
  QImage shadow_;  // the true-colour copy of a 1, 4 or 8-bit picture
};

class TDIB : public codecs::TGraphic {
 public:
  TDIB();
  ~TDIB() override;
  TDIB(const TDIB&) = delete;
  TDIB& operator=(const TDIB&) = delete;

  // nullptr clears; another TDIB shares its image.
  void Assign(const TDIB* source);
  // Any other graphic (or bitmap) is drawn into a 24-bit picture of its size.
  void Assign(codecs::TGraphic& graphic);
  void Assign(const QImage& bitmap);
  void Clear();

  void SetSize(int width, int height, int bitCount);
  void SetWidth(int value);
  void SetHeight(int value);
  int Width() const { return image_->Width; }
  int Height() const { return image_->Height; }
  int BitCount() const { return image_->BitCount; }
  int Size() const { return image_->Size; }
  int WidthBytes() const { return image_->WidthBytes; }
  int NextLine() const { return image_->NextLine; }
  int BitmapInfoSize() const { return image_->BitmapInfoSize; }
  const TDIBPixelFormat& NowPixelFormat() const { return image_->PixelFormat; }
  bool Compressed() const { return image_->Compressed; }
  bool MemoryImage() const { return image_->MemoryImage; }
  bool Empty() const { return image_->Size == 0; }
  // Makes the image private and uncompressed, then returns the bits (bottom row first).
  uint8_t* PBits();
  uint8_t* TopPBits();
  // Row y (0 = the top row) of the private, uncompressed image.
  uint8_t* ScanLine(int y);
  const TDIBSharedImage& Image() const { return *image_; }
  bool SharesImageWith(const TDIB& other) const { return image_ == other.image_; }

  uint32_t Pixel(int x, int y) const;  // 0 outside (decodes a compressed copy when needed)
  void SetPixel(int x, int y, uint32_t value);

  TDIBCanvas& Canvas();
  HPALETTE Palette();  // the image's shared palette (owned by the palette manager)
  // Reads the palette's entries, deletes the handle and applies them as the colour table.
  void SetPalette(HPALETTE palette);
  // Applies ColorTable when it differs from the image's.
  void UpdatePalette();
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool v) { paletteModified_ = v; }

  // Paints the picture stretched into `rect` (nearest neighbour).
  void Draw(QPainter& canvas, const TRect& rect);

  // BMP files (14-byte file header, then the packed DIB).
  void LoadFromStream(QIODevice& stream);
  void SaveToStream(QIODevice& stream);
  // Packed DIB, as the graphic's form data stores it.
  void ReadData(QIODevice& stream);
  void WriteData(QIODevice& stream);
  // A picture's form data: the length-prefixed class name "TDIB" before the packed DIB.
  void ReadPictureData(QIODevice& stream);
  void WritePictureData(QIODevice& stream);
  // Written to a temporary name and renamed.
  void SaveToFile(const std::string& fileName);
  void LoadFromClipboardFormat(const QMimeData& data);
  void SaveToClipboardFormat(QMimeData& data);

  // codecs::TGraphic
  void LoadFromFile(const std::string& fileName) override;
  bool GetEmpty() const override { return Empty(); }
  int GetWidth() const override { return Width(); }
  int GetHeight() const override { return Height(); }
  QImage ToImage() override;  // upright, 32-bit RGB

  TRGBQuads ColorTable;  // the caller's copy; apply with UpdatePalette
  TDIBPixelFormat PixelFormat;  // used by SetSize

  // The largest picture a file may describe, in pixels (tests and fuzzing lower it).
  static uint64_t MaxPixels;

 private:
  friend class TDIBCanvas;
  void SetImage(std::shared_ptr<TDIBSharedImage> image);
  void ReadPacked(QIODevice& stream, int64_t bitsOffset);
  void Changing(bool memoryImageAllowed);
  void AllocHandle();
  void EndCanvas();
  std::shared_ptr<TDIBSharedImage> image_;
  std::unique_ptr<TDIBCanvas> canvas_;
  bool paletteModified_ = false;
};

// The picture format "dib" ("Device Independent Bitmap"), also used for ".bmp": the picture
// format registry creates TDIB graphics through this.
std::unique_ptr<codecs::TGraphic> CreateDIBGraphic();
extern const char* const DIBFormatDescription;
