#include "directx/DIB.h"

#include <QBuffer>
#include <QFile>
#include <QMimeData>

#include <algorithm>
#include <climits>
#include <cstring>

#include "codecs/PictureBound.h"
#include "directx/DXConsts.h"
#include "platform/Files.h"
#include "platform/LittleEndian.h"

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(dxconsts::SInvalidDIB); }

std::string CannotMakeDIB() { return dxconsts::Format(dxconsts::SCannotMade, "DIB"); }

// Reads exactly n bytes or nothing useful: returns the count read.
qint64 ReadSome(QIODevice& s, void* to, qint64 n) {
  qint64 got = 0;
  while (got < n) {
    const qint64 r = s.read(static_cast<char*>(to) + got, n - got);
    if (r <= 0) break;
    got += r;
  }
  return got;
}
void ReadExact(QIODevice& s, void* to, qint64 n) {
  if (ReadSome(s, to, n) != n) Invalid();
}
void WriteExact(QIODevice& s, const void* from, qint64 n) {
  if (n > 0 && s.write(static_cast<const char*>(from), n) != n)
    throw EInvalidGraphicOperation("Stream write error");
}

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

QRgb ToRgb(const TRGBQuad& q) { return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// The QImage format of uncompressed 16, 24 or 32-bit bits; invalid for palettised ones.
QImage::Format DirectFormat(int bitCount, const TDIBPixelFormat& pf) {
  switch (bitCount) {
    case 32: return QImage::Format_RGB32;
    case 24: return QImage::Format_BGR888;
    case 16: return pf.GBitMask == 0x7E0 ? QImage::Format_RGB16 : QImage::Format_RGB555;
    default: return QImage::Format_Invalid;
  }
}

// Writes pixel x of a bottom-up row in the image's bit count.
void StorePixel(uint8_t* row, int x, int bitCount, uint32_t v) {
  switch (bitCount) {
    case 1: {
      const uint8_t bit = uint8_t(0x80 >> (x % 8));
      row[x / 8] = (v & 1) ? row[x / 8] | bit : row[x / 8] & ~bit;
      break;
    }
    case 4:
      if (x & 1) row[x / 2] = uint8_t((row[x / 2] & 0xF0) | (v & 0x0F));
      else row[x / 2] = uint8_t((row[x / 2] & 0x0F) | ((v & 0x0F) << 4));
      break;
    case 8: row[x] = uint8_t(v); break;
    case 16: plat::Set16LE(row + 2 * x, v); break;
    case 24:
      row[3 * x] = uint8_t(v);
      row[3 * x + 1] = uint8_t(v >> 8);
      row[3 * x + 2] = uint8_t(v >> 16);
      break;
    case 32: plat::Set32LE(row + 4 * x, v); break;
  }
}

// Expands an n-bit colour component to 8 bits.
inline uint32_t Expand(uint32_t v, int bits) {
  if (bits >= 8) return v >> (bits - 8);
  if (bits <= 0) return 0;
  uint32_t r = v << (8 - bits);
  for (int s = bits; s < 8; s += bits) r |= r >> bits;
  return r & 0xFF;
}

// The RLE decoder: put(x, y, index) receives each coded pixel of stored row y (0 = the bottom
// row); pixels the data skips are left to the caller. Runs past the row's end are clipped (some
// writers code the row padding as pixels, and a row may lack its end-of-line mark); a delta or
// an end of line past the picture, and data that ends early, end the picture there.
template <class Put>
void DecodeRle(const uint8_t* data, size_t size, bool rle4, int width, int height, Put&& put) {
  size_t pos = 0;
  int x = 0, y = 0;
  while (pos + 2 <= size && y < height) {
    const int count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count && x + i < width; ++i)
        put(x + i, y, uint8_t(!rle4 ? value : (i & 1) ? value & 0x0F : value >> 4));
      x = std::min(x + count, width);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta
        if (pos + 2 > size) return;
        x += data[pos];
        y += data[pos + 1];
        pos += 2;
        if (x > width) return;
        break;
      default: {  // absolute run, as far as the data goes
        const int n = value;
        const size_t bytes = rle4 ? size_t(n + 1) / 2 : size_t(n);
        const int there = int(std::min(bytes, size - pos) * (rle4 ? 2 : 1));
        for (int i = 0; i < std::min(n, there) && x + i < width; ++i) {
          const uint8_t b = data[pos + size_t(rle4 ? i / 2 : i)];
          put(x + i, y, uint8_t(!rle4 ? b : (i & 1) ? b & 0x0F : b >> 4));
        }
        x = std::min(x + n, width);
        pos += bytes;
        pos += pos & 1;
        break;
      }
    }
  }
}

// Pictures this small are read whatever their RLE data; larger ones need data in proportion
// (a coded run gives at most 255 pixels for two bytes), so a few bytes cannot make a picture
// of hundreds of megabytes.
constexpr uint64_t kRleFreePixels = uint64_t(1) << 20;
constexpr uint64_t kRlePixelsPerByte = 256;

// The position of a colour mask's lowest bit.
int MaskShift(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }

}  // namespace

// ---- Pixel formats and colour tables --------------------------------------------------------

TDIBPixelFormat MakeDIBPixelFormat(int r, int g, int b) {
  TDIBPixelFormat f;
  f.RBitMask = ((1u << r) - 1) << (g + b);
  f.GBitMask = ((1u << g) - 1) << b;
  f.BBitMask = (1u << b) - 1;
  f.RBitCount = r;
  f.GBitCount = g;
  f.BBitCount = b;
  f.RBitCount2 = 8 - r;
  f.GBitCount2 = 8 - g;
  f.BBitCount2 = 8 - b;
  f.RShift = (g + b) - (8 - r);
  f.GShift = b - (8 - g);
  f.BShift = 8 - b;
  return f;
}

int GetBitCount(uint32_t mask) {
  int i = 0;
  while (i < 31 && (mask & (1u << i)) == 0) ++i;
  int n = 0;
  while (i < 32 && (mask & (1u << i)) != 0) {
    ++n;
    ++i;
  }
  return n;
}

TDIBPixelFormat MakeDIBPixelFormatMask(uint32_t r, uint32_t g, uint32_t b) {
  TDIBPixelFormat f;
  f.RBitMask = r;
  f.GBitMask = g;
  f.BBitMask = b;
  f.RBitCount = GetBitCount(r);
  f.GBitCount = GetBitCount(g);
  f.BBitCount = GetBitCount(b);
  f.RBitCount2 = 8 - f.RBitCount;
  f.GBitCount2 = 8 - f.GBitCount;
  f.BBitCount2 = 8 - f.BBitCount;
  // As MakeDIBPixelFormat gives them: red and green shift right to a byte, blue left.
  f.RShift = MaskShift(r) - f.RBitCount2;
  f.GShift = MaskShift(g) - f.GBitCount2;
  f.BShift = f.BBitCount2 - MaskShift(b);
  return f;
}

TRGBQuad RGBTripleToRGBQuad(const TRGBTriple& c) {
  return TRGBQuad{c.rgbtBlue, c.rgbtGreen, c.rgbtRed, 0};
}
TRGBQuad PaletteEntryToRGBQuad(const TPaletteEntry& c) {
  return TRGBQuad{c.peBlue, c.peGreen, c.peRed, 0};
}
TPaletteEntry RGBQuadToPaletteEntry(const TRGBQuad& c) {
  return TPaletteEntry{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
}
TRGBQuads PaletteEntriesToRGBQuads(const TPaletteEntries& entries) {
  TRGBQuads t;
  for (size_t i = 0; i < 256; ++i) t[i] = PaletteEntryToRGBQuad(entries[i]);
  return t;
}
TPaletteEntries RGBQuadsToPaletteEntries(const TRGBQuads& table) {
  TPaletteEntries t;
  for (size_t i = 0; i < 256; ++i) t[i] = RGBQuadToPaletteEntry(table[i]);
  return t;
}
TRGBQuads GreyscaleColorTable() {
  TRGBQuads t;
  for (int i = 0; i < 256; ++i) t[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  return t;
}

// ---- GDI palettes and the palette manager ---------------------------------------------------

HPALETTE CreateGDIPalette(const TPaletteEntry* entries, int count) {
  auto* p = new TLogPalette;
  p->Entries.assign(entries, entries + std::max(count, 0));
  return p;
}
void DeleteGDIPalette(HPALETTE palette) { delete palette; }
int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out) {
  if (!palette || start < 0) return 0;
  int n = 0;
  for (; n < count && size_t(start + n) < palette->Entries.size(); ++n)
    out[n] = palette->Entries[size_t(start + n)];
  return n;
}

TPaletteItem::~TPaletteItem() { DeleteGDIPalette(Palette); }

HPALETTE TPaletteManager::CreatePalette(const TRGBQuads& table, int count) {
  count = std::clamp(count, 0, 256);
  uint32_t id = 0;
  for (int i = 0; i < count; ++i)
    id += table[size_t(i)].rgbRed + table[size_t(i)].rgbGreen + table[size_t(i)].rgbBlue;
  for (auto& item : items_) {
    if (item->ID == id && item->ColorTableCount == count &&
        std::memcmp(item->ColorTable.data(), table.data(), size_t(count) * 4) == 0) {
      ++item->RefCount;
      return item->Palette;
    }
  }
  auto item = std::make_unique<TPaletteItem>();
  item->ID = id;
  item->ColorTable = table;
  item->ColorTableCount = count;
  const TPaletteEntries entries = RGBQuadsToPaletteEntries(table);
  item->Palette = CreateGDIPalette(entries.data(), count);
  item->RefCount = 1;
  items_.push_back(std::move(item));
  return items_.back()->Palette;
}

void TPaletteManager::DeletePalette(HPALETTE& palette) {
  if (!palette) return;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->Palette == palette) {
      palette = nullptr;
      if (--items_[i]->RefCount <= 0) items_.erase(items_.begin() + long(i));
      return;
    }
  }
}

TPaletteManager& PaletteManager() {
  static TPaletteManager* m = new TPaletteManager;  // outlives every image
  return *m;
}

// ---- The shared image -----------------------------------------------------------------------

TDIBSharedImage::TDIBSharedImage() { Reset(); }

TDIBSharedImage::~TDIBSharedImage() { PaletteManager().DeletePalette(Palette); }

void TDIBSharedImage::Reset() {
  Section = QImage();
  bits_.reset();
  PBits = TopPBits = nullptr;
  BitCount = 0;
  BitmapInfo.clear();
  BitmapInfoSize = 0;
  ColorTable = GreyscaleColorTable();
  ColorTablePos = 40;
  Compressed = false;
  Height = Width = 0;
  MemoryImage = true;
  NextLine = 0;
  ColorTableCount = 0;
  PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  Size = 0;
  WidthBytes = 0;
  PaletteManager().DeletePalette(Palette);
  PaletteChanged = true;
}

void TDIBSharedImage::NewImage(int width, int height, int bitCount, const TDIBPixelFormat& pf,
                               const TRGBQuads& colorTable, bool memoryImage, bool compressed) {
  Reset();
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      if (pf.RBitMask != 0xFF0000 || pf.GBitMask != 0xFF00 || pf.BBitMask != 0xFF)
        throw EInvalidGraphicOperation(dxconsts::SInvalidDIBPixelFormat);
      break;
    case 16:
      if (!((pf.RBitMask == 0x7C00 && pf.GBitMask == 0x3E0) ||
            (pf.RBitMask == 0xF800 && pf.GBitMask == 0x7E0)) ||
          pf.BBitMask != 0x1F)
        throw EInvalidGraphicOperation(dxconsts::SInvalidDIBPixelFormat);
      break;
    default:
      throw EInvalidGraphicOperation(
          dxconsts::Format(dxconsts::SInvalidDIBBitCount, std::to_string(bitCount)));
  }
  const int64_t rowSize = ((int64_t(width) * bitCount) + 31) / 32 * 4;
  const int64_t size = rowSize * height;
  if (width < 0 || height < 0 || size > INT_MAX - 4096)
    throw EOutOfResources(CannotMakeDIB());
  BitCount = bitCount;
  Height = height;
  Width = width;
  WidthBytes = int(rowSize);
  NextLine = -WidthBytes;
  Size = int(size);
  const bool bitFields = bitCount == 16 || bitCount == 32;
  PixelFormat = pf;
  ColorTableCount = bitCount <= 8 ? 1 << bitCount : 0;

  ColorTablePos = bitFields ? 52 : 40;
  BitmapInfoSize = ColorTablePos + ColorTableCount * 4;
  BitmapInfo.assign(size_t(BitmapInfoSize), 0);
  uint8_t* h = BitmapInfo.data();
  plat::Set32LE(h, 40);
  plat::Set32LE(h + 4, uint32_t(width));
  plat::Set32LE(h + 8, uint32_t(height));
  plat::Set16LE(h + 12, 1);
  plat::Set16LE(h + 14, uint32_t(bitCount));
  uint32_t compression = BI_RGB;
  if (bitFields) compression = BI_BITFIELDS;
  else if (compressed && bitCount == 4) compression = BI_RLE4;
  else if (compressed && bitCount == 8) compression = BI_RLE8;
  plat::Set32LE(h + 16, compression);
  plat::Set32LE(h + 20, uint32_t(Size));
  if (bitFields) {
    plat::Set32LE(h + 40, pf.RBitMask);
    plat::Set32LE(h + 44, pf.GBitMask);
    plat::Set32LE(h + 48, pf.BBitMask);
  }
  SetColorTable(colorTable);
  Compressed = compression == BI_RLE4 || compression == BI_RLE8;
  MemoryImage = memoryImage || Compressed;
  if (!Compressed) {
    bits_.reset(new (std::nothrow) uint8_t[size_t(Size) + 1]());
    if (!bits_) throw EOutOfResources(CannotMakeDIB());
    PBits = bits_.get();
    if (!MemoryImage) AllocSection();
  }
  TopPBits = PBits ? PBits + int64_t(Height - 1) * WidthBytes : nullptr;
}

void TDIBSharedImage::AllocSection() {
  MemoryImage = false;
  if (!PBits || Width < 1 || Height < 1) return;
  const QImage::Format f = DirectFormat(BitCount, PixelFormat);
  if (f != QImage::Format_Invalid) Section = QImage(PBits, Width, Height, WidthBytes, f);
}

void TDIBSharedImage::SetColorTable(const TRGBQuads& table) {
  ColorTable = table;
  PaletteChanged = true;
  if (Size > 0 && ColorTableCount > 0)
    std::memcpy(BitmapInfo.data() + ColorTablePos, ColorTable.data(),
                size_t(ColorTableCount) * 4);
}

HPALETTE TDIBSharedImage::GetPalette() {
  if (ColorTableCount < 1) return nullptr;
  if (PaletteChanged) {
    PaletteChanged = false;
    PaletteManager().DeletePalette(Palette);
    Palette = PaletteManager().CreatePalette(ColorTable, ColorTableCount);
  }
  return Palette;
}

void TDIBSharedImage::ReadData(QIODevice& s, bool memoryImage, int64_t bitsOffset) {
  Reset();
  const qint64 start = s.isSequential() ? -1 : s.pos();
  uint8_t h[124] = {};
  const qint64 got = ReadSome(s, h, 4);
  if (got == 0) return;
  if (got < 4) Invalid();
  const uint32_t headerSize = plat::Get32LE(h);
  int64_t width, height;
  int bitCount;
  uint32_t compression = BI_RGB, imageSize = 0, colorsUsed = 0;
  const bool core = headerSize == 12, os2 = headerSize == 16 || headerSize == 64;
  if (core) {
    ReadExact(s, h + 4, 8);
    width = plat::Get16LE(h + 4);
    height = plat::Get16LE(h + 6);
    bitCount = plat::Get16LE(h + 10);
  } else if (headerSize == 40 || headerSize == 108 || headerSize == 124 || os2) {
    // The OS/2 2.x header starts as the 40-byte one (its short form stops after the bit
    // count: the fields it leaves out stay zero); the OS/2 fields after those 40 bytes are
    // not used.
    ReadExact(s, h + 4, headerSize - 4);
    width = int32_t(plat::Get32LE(h + 4));
    height = int32_t(plat::Get32LE(h + 8));
    bitCount = plat::Get16LE(h + 14);
    compression = plat::Get32LE(h + 16);
    imageSize = plat::Get32LE(h + 20);
    colorsUsed = plat::Get32LE(h + 32);
  } else {
    Invalid();
  }
  // OS/2 compression 3 is Huffman coding, not bit fields.
  if (os2 && compression == BI_BITFIELDS) Invalid();
  int64_t consumed = headerSize;  // bytes of the packed DIB read so far
  TDIBPixelFormat pf = MakeDIBPixelFormat(8, 8, 8);
  // Bit fields other than the 16 and 32-bit layouts the image keeps are converted to 32 bits.
  bool convert = false;
  TDIBPixelFormat filePf = pf;
  if (compression == BI_BITFIELDS) {
    // The masks follow an info header and are part of the larger headers.
    if (headerSize == 40) {
      ReadExact(s, h + 40, 12);
      consumed += 12;
    }
    // Channels wider than a byte cannot be converted (and their shifts would overflow).
    for (int m = 40; m <= 48; m += 4)
      if (GetBitCount(plat::Get32LE(h + m)) > 8 || plat::Get32LE(h + m) == 0) Invalid();
    pf = MakeDIBPixelFormatMask(plat::Get32LE(h + 40), plat::Get32LE(h + 44), plat::Get32LE(h + 48));
    const bool native =
        (bitCount == 32 && pf == MakeDIBPixelFormat(8, 8, 8)) ||
        (bitCount == 16 && (pf == MakeDIBPixelFormat(5, 5, 5) || pf == MakeDIBPixelFormat(5, 6, 5)));
    if (!native && (bitCount == 16 || bitCount == 32)) {
      convert = true;
      filePf = pf;
      pf = MakeDIBPixelFormat(8, 8, 8);
    }
  } else if (bitCount == 16) {
    pf = MakeDIBPixelFormat(5, 5, 5);
  }
  const int64_t headerEnd = consumed;
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (compression > BI_BITFIELDS || (compression == BI_RLE8 && bitCount != 8) ||
      (compression == BI_RLE4 && bitCount != 4))
    Invalid();
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width < 1 || height < 1 || (topDown && rle)) Invalid();
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (pixels > TDIB::MaxPixels) Invalid();
  if (rle && pixels > kRleFreePixels && pixels / kRlePixelsPerByte > imageSize) Invalid();

  // A longer table than 256 colours gives its first 256.
  const int64_t entries = colorsUsed ? int64_t(colorsUsed) : bitCount <= 8 ? 1 << bitCount : 0;
  const int colorCount = int(std::min<int64_t>(entries, 256));
  const int entry = core ? 3 : 4;
  TRGBQuads table{};
  if (colorCount > 0) {
    uint8_t raw[256 * 4];
    ReadExact(s, raw, qint64(colorCount) * entry);
    for (int i = 0; i < colorCount; ++i) {
      const uint8_t* e = raw + i * entry;
      table[size_t(i)] = TRGBQuad{e[0], e[1], e[2], 0};
    }
  }
  consumed += int64_t(colorCount) * entry;
  // The pixels start at the file header's offset when it lies after the header and inside
  // the data, else right after the colour table.
  int64_t skip = (entries - colorCount) * entry;
  if (bitsOffset >= headerEnd) {
    if (start >= 0 && start + bitsOffset < s.size()) {
      if (!s.seek(start + bitsOffset)) Invalid();
      skip = 0;
    } else if (start < 0 && bitsOffset >= consumed) {
      skip = bitsOffset - consumed;
    }
  }
  if (skip > 0 && s.skip(skip) != skip) Invalid();

  const int64_t rowSize = ((width * bitCount) + 31) / 32 * 4;
  const int64_t need = rowSize * height;
  if (rle ? (imageSize == 0 || imageSize > uint32_t(INT_MAX - 4096)) : need > INT_MAX - 4096)
    Invalid();
  // The last row's padding may be missing; whatever the image-size field says, the rows that
  // are there are read.
  const int64_t lastRow = (width * bitCount + 7) / 8;
  // Refuse what the data cannot hold before allocating; a stream of unknown length is read
  // ahead in small pieces first.
  const int64_t want = rle ? int64_t(imageSize) : need;
  QByteArray ahead;
  QBuffer aheadStream(&ahead);
  QIODevice* from = &s;
  if (s.isSequential()) {
    while (ahead.size() < want) {
      const QByteArray piece = s.read(std::min<int64_t>(want - ahead.size(), 1 << 20));
      if (piece.isEmpty()) break;
      ahead += piece;
    }
    aheadStream.open(QIODevice::ReadOnly);
    from = &aheadStream;
  }
  if (rle) {
    // RLE data cut short is read as far as it goes, within the same bound on what it holds.
    imageSize = uint32_t(std::min<int64_t>(imageSize, from->bytesAvailable()));
    if (imageSize == 0 || (pixels > kRleFreePixels && pixels / kRlePixelsPerByte > imageSize))
      Invalid();
  } else if (from->bytesAvailable() < need - rowSize + lastRow) {
    Invalid();
  }

  NewImage(int(width), int(height), convert ? 32 : bitCount, pf, table, memoryImage, rle);
  if (rle) {
    bits_.reset(new uint8_t[imageSize + 1]);
    ReadExact(*from, bits_.get(), imageSize);
    PBits = bits_.get();
    Size = int(imageSize);
    plat::Set32LE(BitmapInfo.data() + 20, imageSize);
    TopPBits = PBits;
    return;
  }
  std::vector<uint8_t> raw(convert ? size_t(rowSize) : 0);
  const int rs = MaskShift(filePf.RBitMask), gs = MaskShift(filePf.GBitMask),
            bs = MaskShift(filePf.BBitMask);
  for (int i = 0; i < Height; ++i) {
    uint8_t* row = topDown ? TopPBits + int64_t(i) * NextLine : PBits + int64_t(i) * WidthBytes;
    uint8_t* into = convert ? raw.data() : row;
    if (ReadSome(*from, into, rowSize) < (i == Height - 1 ? lastRow : rowSize)) Invalid();
    if (!convert) continue;
    for (int x = 0; x < Width; ++x) {
      const uint32_t p = bitCount == 16 ? plat::Get16LE(into + 2 * x) : plat::Get32LE(into + 4 * x);
      plat::Set32LE(row + 4 * x,
                    Expand((p & filePf.RBitMask) >> rs, filePf.RBitCount) << 16 |
                        Expand((p & filePf.GBitMask) >> gs, filePf.GBitCount) << 8 |
                        Expand((p & filePf.BBitMask) >> bs, filePf.BBitCount));
    }
  }
}

std::shared_ptr<TDIBSharedImage> TDIBSharedImage::Decompress(bool memoryImage) const {
  if (!Compressed) return Duplicate(memoryImage);
  auto img = std::make_shared<TDIBSharedImage>();
  img->NewImage(Width, Height, BitCount, PixelFormat, ColorTable, memoryImage, false);
  uint8_t* bits = img->PBits;
  const int rowSize = img->WidthBytes;
  DecodeRle(PBits, size_t(Size), BitCount == 4, Width, Height, [&](int x, int y, uint8_t v) {
    StorePixel(bits + int64_t(y) * rowSize, x, BitCount, v);
  });
  return img;
}

std::shared_ptr<TDIBSharedImage> TDIBSharedImage::Duplicate(bool memoryImage) const {
  if (Compressed) return Decompress(memoryImage);
  auto img = std::make_shared<TDIBSharedImage>();
  if (Size == 0) return img;
  img->NewImage(Width, Height, BitCount, PixelFormat, ColorTable, memoryImage, false);
  std::memcpy(img->PBits, PBits, size_t(Size));
  return img;
}

const std::shared_ptr<TDIBSharedImage>& EmptyDIBImage() {
  static auto* empty = new std::shared_ptr<TDIBSharedImage>(std::make_shared<TDIBSharedImage>());
  return *empty;
}

// ---- TDIB -----------------------------------------------------------------------------------

uint64_t TDIB::MaxPixels = uint64_t(1) << 27;
const char* const DIBFormatDescription = "Device Independent Bitmap";

std::unique_ptr<codecs::TGraphic> CreateDIBGraphic() { return std::make_unique<TDIB>(); }

TDIB::TDIB() : ColorTable(GreyscaleColorTable()), PixelFormat(MakeDIBPixelFormat(8, 8, 8)) {
  image_ = EmptyDIBImage();
}

TDIB::~TDIB() {
  EndCanvas();
  canvas_.reset();
}

void TDIB::EndCanvas() {
  if (canvas_) canvas_->Release();
}

void TDIB::SetImage(std::shared_ptr<TDIBSharedImage> image) {
  if (image == image_) return;
  EndCanvas();
  image_ = std::move(image);
  ColorTable = image_->ColorTable;
}

void TDIB::Clear() { SetImage(EmptyDIBImage()); }

void TDIB::Assign(const TDIB* source) {
  if (!source) {
    Clear();
    return;
  }
  if (source == this) return;
  const_cast<TDIB*>(source)->EndCanvas();
  SetImage(source->image_);
  paletteModified_ = true;
}

void TDIB::Assign(codecs::TGraphic& graphic) {
  if (auto* dib = dynamic_cast<TDIB*>(&graphic)) {
    Assign(dib);
    return;
  }
  Assign(graphic.ToImage());
}

void TDIB::Assign(const QImage& bitmap) {
  if (bitmap.isNull()) {
    Clear();
    return;
  }
  if (bitmap.format() == QImage::Format_Indexed8 || bitmap.format() == QImage::Format_Mono ||
      bitmap.format() == QImage::Format_MonoLSB) {
    // A palettised bitmap keeps its bit count and colour table.
    const QImage src = bitmap.convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> colors = src.colorTable();
    TRGBQuads table{};
    for (qsizetype i = 0; i < colors.size() && i < 256; ++i)
      table[size_t(i)] = TRGBQuad{uint8_t(qBlue(colors[i])), uint8_t(qGreen(colors[i])),
                                  uint8_t(qRed(colors[i])), 0};
    ColorTable = table;
    PixelFormat = MakeDIBPixelFormat(8, 8, 8);
    const bool mono = bitmap.format() != QImage::Format_Indexed8;
    SetSize(src.width(), src.height(), mono ? 1 : 8);
    Changing(true);
    image_->SetColorTable(table);
    ColorTable = table;
    for (int y = 0; y < src.height(); ++y) {
      const uchar* s = src.constScanLine(y);
      uint8_t* d = image_->TopPBits + int64_t(y) * image_->NextLine;
      if (!mono) {
        std::memcpy(d, s, size_t(src.width()));
        continue;
      }
      std::memset(d, 0, size_t(image_->WidthBytes));
      for (int x = 0; x < src.width(); ++x)
        if (s[x] & 1) d[x / 8] = uint8_t(d[x / 8] | (0x80 >> (x % 8)));
    }
    return;
  }
  // The bitmap drawn onto black bits.
  const QImage src = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  SetSize(src.width(), src.height(), 24);
  Changing(true);
  for (int y = 0; y < Height(); ++y) {
    const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* d = image_->TopPBits + int64_t(y) * image_->NextLine;
    for (int x = 0; x < Width(); ++x, d += 3) {
      d[0] = uint8_t(qBlue(s[x]));
      d[1] = uint8_t(qGreen(s[x]));
      d[2] = uint8_t(qRed(s[x]));
    }
  }
}

void TDIB::SetSize(int width, int height, int bitCount) {
  const TDIBSharedImage& cur = *image_;
  if (width == cur.Width && height == cur.Height && bitCount == cur.BitCount &&
      PixelFormat.RBitMask == cur.PixelFormat.RBitMask &&
      PixelFormat.GBitMask == cur.PixelFormat.GBitMask &&
      PixelFormat.BBitMask == cur.PixelFormat.BBitMask)
    return;
  if (width >= 1 && height > 0) {
    auto img = std::make_shared<TDIBSharedImage>();
    img->NewImage(width, height, bitCount, PixelFormat, ColorTable, image_->MemoryImage, false);
    SetImage(img);
    paletteModified_ = true;
  } else {
    Clear();
  }
}

void TDIB::SetWidth(int value) {
  if (value < 1) Clear();
  else if (Empty()) SetSize(value, std::max(Height(), 1), 8);
  else SetSize(value, Height(), BitCount());
}

void TDIB::SetHeight(int value) {
  if (value < 1) Clear();
  else if (Empty()) SetSize(std::max(Width(), 1), value, 8);
  else SetSize(Width(), value, BitCount());
}

void TDIB::Changing(bool memoryImageAllowed) {
  if (Empty()) return;
  if (image_.use_count() > 1 || image_->Compressed ||
      (!memoryImageAllowed && image_->MemoryImage)) {
    const bool mem = image_->MemoryImage && memoryImageAllowed;
    SetImage(image_->Duplicate(mem));
  }
}

void TDIB::AllocHandle() { Changing(false); }

uint8_t* TDIB::PBits() {
  EndCanvas();
  Changing(true);
  return image_->PBits;
}

uint8_t* TDIB::TopPBits() {
  PBits();
  return image_->TopPBits;
}

uint8_t* TDIB::ScanLine(int y) { return TopPBits() + int64_t(y) * NextLine(); }

uint32_t TDIB::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  const_cast<TDIB*>(this)->EndCanvas();
  std::shared_ptr<TDIBSharedImage> img = image_;
  if (img->Compressed) img = img->Decompress(true);
  const uint8_t* row = img->TopPBits + int64_t(y) * img->NextLine;
  switch (img->BitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    case 8: return row[x];
    case 16: return plat::Get16LE(row + 2 * x);
    case 24: return uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) |
                    (uint32_t(row[3 * x + 2]) << 16);
    case 32: return plat::Get32LE(row + 4 * x);
  }
  return 0;
}

void TDIB::SetPixel(int x, int y, uint32_t v) {
  EndCanvas();
  Changing(true);
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  StorePixel(image_->TopPBits + int64_t(y) * image_->NextLine, x, BitCount(), v);
}

TDIBCanvas& TDIB::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TDIBCanvas>(*this);
  return *canvas_;
}

HPALETTE TDIB::Palette() { return image_->GetPalette(); }

void TDIB::SetPalette(HPALETTE palette) {
  if (!palette) return;
  TPaletteEntries entries{};
  GetPaletteEntries(palette, 0, 256, entries.data());
  DeleteGDIPalette(palette);
  ColorTable = PaletteEntriesToRGBQuads(entries);
  UpdatePalette();
}

void TDIB::UpdatePalette() {
  if (std::memcmp(ColorTable.data(), image_->ColorTable.data(), sizeof(TRGBQuads)) == 0) return;
  const TRGBQuads table = ColorTable;
  EndCanvas();
  Changing(true);
  image_->SetColorTable(table);
  ColorTable = table;
  paletteModified_ = true;
}

QImage TDIB::ToImage() {
  EndCanvas();
  if (Empty()) return QImage();
  const std::shared_ptr<TDIBSharedImage> img = image_;
  const int w = img->Width, h = img->Height;
  if (!codecs::PictureFits(uint64_t(w), uint64_t(h))) throw EOutOfResources(CannotMakeDIB());
  QImage out(w, h, QImage::Format_RGB32);
  if (out.isNull()) throw EOutOfResources(CannotMakeDIB());
  std::array<QRgb, 256> lut{};
  for (size_t i = 0; i < 256; ++i) lut[i] = ToRgb(img->ColorTable[i]);
  if (img->Compressed) {
    // Decoded straight into the picture: no uncompressed copy of the bits.
    out.fill(lut[0]);
    uchar* top = out.bits();
    const qsizetype line = out.bytesPerLine();
    DecodeRle(img->PBits, size_t(img->Size), img->BitCount == 4, w, h, [&](int x, int y, uint8_t v) {
      reinterpret_cast<QRgb*>(top + (h - 1 - y) * line)[x] = lut[v];
    });
    return out;
  }
  const TDIBPixelFormat& pf = img->PixelFormat;
  const int rs = __builtin_ctz(pf.RBitMask | 0x80000000u);
  const int gs = __builtin_ctz(pf.GBitMask | 0x80000000u);
  const int bs = __builtin_ctz(pf.BBitMask | 0x80000000u);
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = img->TopPBits + int64_t(y) * img->NextLine;
    QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
    switch (img->BitCount) {
      case 1:
        for (int x = 0; x < w; ++x) d[x] = lut[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < w; ++x) d[x] = lut[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4];
        break;
      case 8:
        for (int x = 0; x < w; ++x) d[x] = lut[s[x]];
        break;
      case 16:
        for (int x = 0; x < w; ++x) {
          const uint32_t p = plat::Get16LE(s + 2 * x);
          d[x] = qRgb(int(Expand((p & pf.RBitMask) >> rs, pf.RBitCount)),
                      int(Expand((p & pf.GBitMask) >> gs, pf.GBitCount)),
                      int(Expand((p & pf.BBitMask) >> bs, pf.BBitCount)));
        }
        break;
      case 24:
        for (int x = 0; x < w; ++x, s += 3) d[x] = 0xFF000000u | s[0] | (s[1] << 8) | (s[2] << 16);
        break;
      case 32:
        for (int x = 0; x < w; ++x) d[x] = 0xFF000000u | plat::Get32LE(s + 4 * x);
        break;
    }
  }
  return out;
}

void TDIB::Draw(QPainter& canvas, const TRect& rect) {
  if (Empty()) return;
  EndCanvas();
  QImage view;
  const TDIBSharedImage& img = *image_;
  if (!img.Compressed && img.BitCount >= 16) {
    view = QImage(img.PBits, img.Width, img.Height, img.WidthBytes,
                  DirectFormat(img.BitCount, img.PixelFormat));
  } else if (!img.Compressed && img.BitCount == 8) {
    view = QImage(img.PBits, img.Width, img.Height, img.WidthBytes, QImage::Format_Indexed8);
    QList<QRgb> colors(256);
    for (int i = 0; i < 256; ++i) colors[i] = ToRgb(img.ColorTable[size_t(i)]);
    view.setColorTable(colors);
  }
  canvas.save();
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (!view.isNull()) {
    // The rows are stored bottom-up: draw the view flipped.
    canvas.translate(rect.Left, rect.Bottom);
    canvas.scale(double(rect.Width()) / img.Width, -double(rect.Height()) / img.Height);
    canvas.drawImage(QPointF(0, 0), view);
  } else {
    canvas.drawImage(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ToImage());
  }
  canvas.restore();
}

// ---- Streams --------------------------------------------------------------------------------

void TDIB::ReadData(QIODevice& stream) { ReadPacked(stream, -1); }

void TDIB::ReadPacked(QIODevice& stream, int64_t bitsOffset) {
  auto img = std::make_shared<TDIBSharedImage>();
  img->ReadData(stream, image_->MemoryImage, bitsOffset);
  SetImage(img->Size == 0 ? EmptyDIBImage() : img);
  paletteModified_ = true;
}

void TDIB::WriteData(QIODevice& stream) {
  if (Empty()) return;
  EndCanvas();
  WriteExact(stream, image_->BitmapInfo.data(), image_->BitmapInfoSize);
  WriteExact(stream, image_->PBits, image_->Size);
}

void TDIB::LoadFromStream(QIODevice& stream) {
  uint8_t h[14];
  const qint64 got = ReadSome(stream, h, 14);
  if (got == 0) return;
  if (got < 14 || plat::Get16LE(h) != 0x4D42) Invalid();
  ReadPacked(stream, int64_t(plat::Get32LE(h + 10)) - 14);
}

void TDIB::SaveToStream(QIODevice& stream) {
  if (Empty()) return;
  uint8_t h[14] = {};
  plat::Set16LE(h, 0x4D42);
  plat::Set32LE(h + 2, uint32_t(image_->BitmapInfoSize + 14 + image_->Size));
  plat::Set32LE(h + 10, uint32_t(image_->BitmapInfoSize + 14));
  WriteExact(stream, h, 14);
  WriteData(stream);
}

void TDIB::ReadPictureData(QIODevice& stream) {
  uint8_t n = 0;
  char name[256];
  ReadExact(stream, &n, 1);
  ReadExact(stream, name, n);
  if (std::string(name, n) != "TDIB") Invalid();
  ReadData(stream);
}

void TDIB::WritePictureData(QIODevice& stream) {
  WriteExact(stream, "\x04TDIB", 5);
  WriteData(stream);
}

void TDIB::LoadFromFile(const std::string& fileName) {
  QFile f(QString::fromLocal8Bit(fileName.c_str()));
  if (!f.open(QIODevice::ReadOnly))
    throw EInvalidGraphic("Cannot open file \"" + fileName + "\"");
  LoadFromStream(f);
}

void TDIB::SaveToFile(const std::string& fileName) {
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  SaveToStream(b);
  std::string error;
  if (!plat::WriteFileAtomic(fileName, std::string_view(b.data().constData(), b.data().size()),
                             &error))
    throw EInvalidGraphicOperation("Cannot write file \"" + fileName + "\": " + error);
}

namespace {
// A read view of the clipboard's block; it never frees the block.
class TGlobalMemoryStream : public QBuffer {
 public:
  explicit TGlobalMemoryStream(const QByteArray& block) {
    setData(block);  // shares the block
    open(QIODevice::ReadOnly);
  }
};
}  // namespace

void TDIB::LoadFromClipboardFormat(const QMimeData& data) {
  if (data.hasFormat("image/bmp")) {
    TGlobalMemoryStream s(data.data("image/bmp"));
    LoadFromStream(s);
  } else if (data.hasImage()) {
    Assign(qvariant_cast<QImage>(data.imageData()));
  }
}

void TDIB::SaveToClipboardFormat(QMimeData& data) {
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  SaveToStream(b);
  data.setData("image/bmp", b.data());
  data.setImageData(ToImage());
}

// ---- Colour tables of painted pictures ------------------------------------------------------

TColorIndexer::TColorIndexer(const uint32_t* colors, int count) : colors_(colors), count_(count) {
  for (int i = count - 1; i >= 0; --i) index_[colors[i]] = i;
}

int TColorIndexer::Index(uint32_t rgb) {
  auto it = index_.constFind(rgb);
  if (it != index_.constEnd()) return it.value();
  int best = 0, bestD = INT_MAX;
  for (int i = 0; i < count_; ++i) {
    const int dr = int((colors_[i] >> 16) & 0xFF) - int((rgb >> 16) & 0xFF);
    const int dg = int((colors_[i] >> 8) & 0xFF) - int((rgb >> 8) & 0xFF);
    const int db = int(colors_[i] & 0xFF) - int(rgb & 0xFF);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  index_[rgb] = best;
  return best;
}

// ---- The canvas -----------------------------------------------------------------------------

TDIBCanvas::~TDIBCanvas() { Release(); }

QPainter& TDIBCanvas::Painter() {
  if (painter_) return *painter_;
  dib_.AllocHandle();
  TDIBSharedImage& img = *dib_.image_;
  if (!img.Section.isNull()) {
    painter_ = std::make_unique<QPainter>(&img.Section);
    // The rows are stored bottom-up.
    painter_->translate(0, img.Height);
    painter_->scale(1, -1);
  } else {
    shadow_ = dib_.Empty() ? QImage(1, 1, QImage::Format_RGB32) : dib_.ToImage();
    painter_ = std::make_unique<QPainter>(&shadow_);
  }
  return *painter_;
}

void TDIBCanvas::Release() {
  if (!painter_) return;
  painter_->end();
  painter_.reset();
  if (shadow_.isNull() || dib_.Empty()) {
    shadow_ = QImage();
    return;
  }
  // Map the painted colours back to the colour table.
  TDIBSharedImage& img = *dib_.image_;
  std::array<uint32_t, 256> colors{};
  for (int i = 0; i < img.ColorTableCount; ++i)
    colors[size_t(i)] = ToRgb(img.ColorTable[size_t(i)]) & 0xFFFFFF;
  TColorIndexer indexer(colors.data(), img.ColorTableCount);
  QImage shadow = std::move(shadow_);
  shadow_ = QImage();
  for (int y = 0; y < img.Height; ++y) {
    const QRgb* s = reinterpret_cast<const QRgb*>(shadow.constScanLine(y));
    uint8_t* row = img.TopPBits + int64_t(y) * img.NextLine;
    for (int x = 0; x < img.Width; ++x)
      StorePixel(row, x, img.BitCount, uint32_t(indexer.Index(s[x] & 0xFFFFFF)));
  }
}
