#include <gtest/gtest.h>

#include <QBuffer>
#include <QMimeData>
#include <QPainter>

#include <cstring>
#include <random>

#include "../../fuzz/DibFuzzChecks.h"
#include "DibFiles.h"
#include "codecs/PictureFormats.h"
#include "directx/DIB.h"
#include "support/CorpusCheck.h"
#include "support/TempDir.h"

using dibfiles::Comp;
using dibfiles::Header;
using dibfiles::BmpKind;

namespace {

void Load(TDIB& dib, const std::string& data) {
  QByteArray ba(data.data(), qsizetype(data.size()));
  QBuffer b(&ba);
  b.open(QIODevice::ReadOnly);
  dib.LoadFromStream(b);
}

// A stream of unknown length (a pipe, a socket).
class Pipe : public QIODevice {
 public:
  explicit Pipe(std::string data) : data_(std::move(data)) { open(QIODevice::ReadOnly); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* to, qint64 n) override {
    n = std::min<qint64>(n, qint64(data_.size() - at_));
    if (n > 0) std::memcpy(to, data_.data() + at_, size_t(n));
    at_ += size_t(n);
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::string data_;
  size_t at_ = 0;
};

std::string Save(TDIB& dib, bool file = true) {
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  if (file) dib.SaveToStream(b);
  else dib.WriteData(b);
  return b.data().toStdString();
}

// The largest channel difference between two pictures of one size (256 when they differ in size).
int MaxDiff(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 256;
  int d = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      d = std::max({d, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q))});
    }
  return d;
}

std::string Describe(const BmpKind& s) {
  return std::to_string(s.Width) + "x" + std::to_string(s.Height) + "x" + std::to_string(s.Bits) +
         " header " + std::to_string(int(s.Kind)) + " comp " + std::to_string(int(s.Compression)) +
         (s.TopDown ? " top-down" : "");
}

}  // namespace

TEST(DIB, PixelFormatsAndColourTables) {
  const TDIBPixelFormat f555 = MakeDIBPixelFormat(5, 5, 5), f565 = MakeDIBPixelFormat(5, 6, 5);
  EXPECT_EQ(f555.RBitMask, 0x7C00u);
  EXPECT_EQ(f555.GBitMask, 0x3E0u);
  EXPECT_EQ(f565.RBitMask, 0xF800u);
  EXPECT_EQ(f565.GBitMask, 0x7E0u);
  EXPECT_EQ(f565.RShift, 8);
  EXPECT_EQ(f565.GShift, 3);
  EXPECT_EQ(f565.BShift, 3);
  EXPECT_EQ(f565.GBitCount2, 2);
  EXPECT_EQ(MakeDIBPixelFormatMask(0xFF0000, 0xFF00, 0xFF), MakeDIBPixelFormat(8, 8, 8));
  EXPECT_EQ(GetBitCount(0), 0);
  EXPECT_EQ(GetBitCount(0x7E0), 6);
  EXPECT_EQ(GetBitCount(0x80000000u), 1);
  const TPaletteEntry e{10, 20, 30, 4};
  EXPECT_EQ(PaletteEntryToRGBQuad(e), (TRGBQuad{30, 20, 10, 0}));
  EXPECT_EQ(RGBQuadToPaletteEntry(PaletteEntryToRGBQuad(e)), (TPaletteEntry{10, 20, 30, 0}));
  EXPECT_EQ(RGBTripleToRGBQuad(TRGBTriple{1, 2, 3}), (TRGBQuad{1, 2, 3, 0}));
  EXPECT_EQ(GreyscaleColorTable()[77], (TRGBQuad{77, 77, 77, 0}));
}

// Every bit depth and header kind, bit fields, top-down rows and RLE, against the picture the
// file was written from and against Qt's reader.
TEST(DIB, ReadsEveryVariant) {
  const BmpKind kinds[] = {
      {13, 7, 1},
      {13, 7, 4},
      {13, 7, 8},
      {13, 7, 24},
      {13, 7, 32},
      {13, 7, 16, Header::Info, Comp::Rgb},
      {13, 7, 16, Header::Info, Comp::Fields555},
      {13, 7, 16, Header::Info, Comp::Fields565},
      {13, 7, 32, Header::Info, Comp::Fields888},
      {13, 7, 1, Header::Core},
      {13, 7, 4, Header::Core},
      {13, 7, 8, Header::Core},
      {13, 7, 24, Header::Core},
      {13, 7, 8, Header::V5},
      {13, 7, 16, Header::V5, Comp::Fields565},
      {13, 7, 24, Header::Info, Comp::Rgb, true},
      {13, 7, 8, Header::Info, Comp::Rgb, true},
      {40, 9, 8, Header::Info, Comp::Rle8},
      {41, 9, 4, Header::Info, Comp::Rle4},
      {600, 3, 8, Header::Info, Comp::Rle8},
      {13, 7, 16, Header::Info, Comp::FieldsBgr565},
      {13, 7, 32, Header::Info, Comp::FieldsHigh888},
      {13, 7, 8, Header::Info, Comp::Rgb, false, 6},       // a gap before the pixels
      {13, 7, 24, Header::Info, Comp::Rgb, false, 0, 273},  // the size of unpadded rows
      // RLE rows coded with their padding as pixels
      {13, 7, 8, Header::Info, Comp::Rle8, false, 0, -1, 4},
      {13, 7, 4, Header::Info, Comp::Rle4, false, 0, -1, 8},
      {13, 7, 8, Header::Os2},
      {13, 7, 24, Header::Os2},
      {13, 7, 4, Header::Os2, Comp::Rle4},
      {13, 7, 1, Header::Os2Short},
      {13, 7, 8, Header::Os2Short},
  };
  for (const BmpKind& s : kinds) {
    SCOPED_TRACE(Describe(s));
    const std::string file = dibfiles::Write(s);
    TDIB dib;
    Load(dib, file);
    ASSERT_EQ(dib.Width(), s.Width);
    EXPECT_EQ(dib.Height(), s.Height);
    // Channels in another order or place are read into 32 bits.
    const bool moved = s.Compression == Comp::FieldsBgr565 || s.Compression == Comp::FieldsHigh888;
    EXPECT_EQ(dib.BitCount(), moved ? 32 : s.Bits);
    const QImage expected = dibfiles::Expected(s);
    EXPECT_EQ(MaxDiff(dib.ToImage(), expected), 0);
    const QImage qt = QImage::fromData(QByteArray(file.data(), qsizetype(file.size())), "BMP");
    // Qt widens 5 and 6-bit channels without repeating their top bits.
    if (!qt.isNull()) {
      EXPECT_LE(MaxDiff(dib.ToImage(), qt), s.Bits == 16 ? 7 : 0);
    }
    // Written back and read again, the picture is the same, stored bottom-up.
    const std::string again = Save(dib);
    EXPECT_GT(int32_t(uint8_t(again[22]) | uint8_t(again[23]) << 8 | uint8_t(again[24]) << 16 |
                      uint8_t(again[25]) << 24),
              0);
    TDIB copy;
    Load(copy, again);
    EXPECT_EQ(MaxDiff(copy.ToImage(), expected), 0);
  }
}

TEST(DIB, SizesAndPictureData) {
  TDIB dib;
  dib.SetSize(389, 120, 24);
  EXPECT_EQ(dib.WidthBytes(), 1168);
  EXPECT_EQ(Save(dib, false).size(), 40u + 120 * 1168);
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  dib.WritePictureData(b);
  EXPECT_EQ(b.data().size(), 140205);
  b.close();
  b.open(QIODevice::ReadOnly);
  TDIB back;
  back.ReadPictureData(b);
  EXPECT_EQ(back.Width(), 389);

  EXPECT_THROW(dib.SetSize(4, 4, 16), EInvalidGraphicOperation);
  try {
    dib.SetSize(4, 4, 16);
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "PixelFormat is invalid");
  }
  try {
    dib.SetSize(4, 4, 7);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Bitcount is invalid (7)");
  }
  dib.PixelFormat = MakeDIBPixelFormat(5, 6, 5);
  dib.SetSize(4, 4, 16);
  EXPECT_EQ(dib.BitCount(), 16);
  dib.SetWidth(0);
  EXPECT_TRUE(dib.Empty());
  dib.PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  dib.SetHeight(5);
  EXPECT_EQ(dib.Width(), 1);
  EXPECT_EQ(dib.BitCount(), 8);
}

TEST(DIB, SharingCompressionAndCanvas) {
  TDIB rle;
  Load(rle, dibfiles::Write({40, 9, 8, Header::Info, Comp::Rle8}));
  EXPECT_TRUE(rle.Compressed());
  const std::string packed = Save(rle);
  TDIB other;
  other.Assign(&rle);
  EXPECT_TRUE(other.SharesImageWith(rle));
  other.SetPixel(0, 0, 3);
  EXPECT_FALSE(other.Compressed());
  EXPECT_FALSE(other.SharesImageWith(rle));
  EXPECT_TRUE(rle.Compressed());
  EXPECT_EQ(Save(rle), packed);
  EXPECT_EQ(other.Pixel(0, 0), 3u);
  EXPECT_EQ(rle.Pixel(0, 0), dibfiles::PixelAt({40, 9, 8}, 0, 0));

  // The canvas draws upright onto the stored bits, 24-bit in place and 8-bit via the table.
  for (int bits : {24, 8}) {
    TDIB dib;
    dib.ColorTable[5] = TRGBQuad{0, 0, 255, 0};
    dib.SetSize(10, 6, bits);
    dib.Canvas().Painter().fillRect(0, 0, 2, 1, QColor(255, 0, 0));
    EXPECT_EQ(dib.ToImage().pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(dib.ToImage().pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dib.Pixel(0, 0), bits == 24 ? 0xFF0000u : 5u);
  }

  // A palettised bitmap keeps its bits and colours; others become 24-bit.
  QImage indexed(3, 2, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
  indexed.fill(1);
  indexed.setPixel(0, 0, 0);
  TDIB fromImage;
  fromImage.Assign(indexed);
  EXPECT_EQ(fromImage.BitCount(), 8);
  EXPECT_EQ(fromImage.ToImage(), indexed.convertToFormat(QImage::Format_RGB32));
  const QImage mono = indexed.convertToFormat(QImage::Format_Mono);
  fromImage.Assign(mono);
  EXPECT_EQ(fromImage.BitCount(), 1);
  EXPECT_EQ(fromImage.ToImage(), mono.convertToFormat(QImage::Format_RGB32));
  fromImage.Assign(indexed.convertToFormat(QImage::Format_ARGB32));
  EXPECT_EQ(fromImage.BitCount(), 24);
  EXPECT_EQ(fromImage.ToImage(), indexed.convertToFormat(QImage::Format_RGB32));

  // Equal colour tables share one palette.
  TDIB a, c;
  a.SetSize(2, 2, 8);
  c.SetSize(3, 3, 8);
  EXPECT_NE(a.Palette(), nullptr);
  EXPECT_EQ(a.Palette(), c.Palette());
  c.ColorTable[0] = TRGBQuad{1, 2, 3, 0};
  c.UpdatePalette();
  EXPECT_NE(a.Palette(), c.Palette());
  TPaletteEntries entries{};
  entries[1] = TPaletteEntry{9, 8, 7, 0};
  a.SetPalette(CreateGDIPalette(entries.data(), 256));
  EXPECT_EQ(a.Image().ColorTable[1], (TRGBQuad{7, 8, 9, 0}));
}

TEST(DIB, StreamsAndClipboard) {
  TDIB dib;
  Load(dib, dibfiles::Write({5, 4, 24}));
  Load(dib, "");  // an empty stream leaves the picture
  EXPECT_EQ(dib.Width(), 5);
  QByteArray none;
  QBuffer empty(&none);
  empty.open(QIODevice::ReadOnly);
  dib.ReadData(empty);  // an empty packed DIB gives an empty picture
  EXPECT_TRUE(dib.Empty());

  // From a stream of unknown length: read as well, and no allocation beyond the data.
  std::string huge = dibfiles::Write({5, 4, 8});
  huge[19] = huge[23] = 0x20;  // 8197 x 8196
  for (const std::string& file : {dibfiles::Write({5, 4, 8}), huge}) {
    Pipe seq(file);
    TDIB d;
    try {
      d.LoadFromStream(seq);
      EXPECT_EQ(d.Width(), 5);
    } catch (const EInvalidGraphic&) {
      EXPECT_EQ(file, huge);
    }
  }
  Load(dib, dibfiles::Write({5, 4, 8}));
  QMimeData mime;
  dib.SaveToClipboardFormat(mime);
  TDIB pasted;
  pasted.LoadFromClipboardFormat(mime);
  EXPECT_EQ(MaxDiff(pasted.ToImage(), dib.ToImage()), 0);
  EXPECT_EQ(pasted.BitCount(), 8);

  // Through the picture formats, by extension, and drawn stretched.
  TempDir dir;
  const std::string path = dir.path() + "/pic.dib";
  dib.SaveToFile(path);
  QImage img;
  std::string error;
  ASSERT_TRUE(codecs::LoadPicture(path, img, error)) << error;
  EXPECT_EQ(MaxDiff(img, dib.ToImage()), 0);
  ASSERT_NE(codecs::FindPictureFormat(".bmp"), nullptr);
  EXPECT_EQ(codecs::FindPictureFormat("dib")->Description, "Device Independent Bitmap");
  for (int bits : {8, 24, 4}) {
    TDIB d;
    Load(d, dibfiles::Write({5, 4, bits}));
    QImage target(10, 8, QImage::Format_RGB32);
    QPainter p(&target);
    d.Draw(p, TRect{0, 0, 10, 8});
    p.end();
    EXPECT_EQ(MaxDiff(target, d.ToImage().scaled(10, 8)), 0) << bits;
  }
}

// Hostile headers and data: "DIB is invalid", and the picture read before stays.
TEST(DIB, RefusesBadFilesAndKeepsThePicture) {
  auto patch = [](std::string f, size_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) f[at++] = char(b);
    return f;
  };
  const std::string good8 = dibfiles::Write({8, 4, 8});
  const std::string rle = dibfiles::Write({40, 9, 8, Header::Info, Comp::Rle8});
  const size_t bits8 = 14 + 40 + 1024, bitsRle = bits8;
  const std::string cases[] = {
      "BX" + good8.substr(2),
      good8.substr(0, 10),
      patch(good8, 14, {41}),                          // header size
      patch(good8, 18, {0, 0, 0, 0}),                  // width 0
      patch(good8, 22, {0, 0, 0, 0}),                  // height 0
      patch(good8, 18, {0xFF, 0xFF, 0xFF, 0x7F}),      // huge width
      patch(good8, 22, {0, 0, 0, 0x80}),               // height -2^31
      patch(good8, 30, {9}),                           // compression
      patch(dibfiles::Write({8, 4, 8, Header::Os2}), 30, {3}),  // OS/2 Huffman coding
      good8.substr(0, good8.size() - 1),               // pixels end early
      rle.substr(0, bitsRle),                          // no RLE data at all
      patch(dibfiles::Write({8, 4, 8, Header::Info, Comp::Rle8, true}), 0, {'B'}),  // top-down RLE
      // 2048 x 2048 pixels from the two bytes of an end mark
      patch(patch(rle.substr(0, bitsRle), 18, {0, 8, 0, 0, 0, 8, 0, 0}), 34, {2, 0, 0, 0}) +
          std::string("\0\1", 2),
      // ...and so does a file cut short whose image size would allow them
      patch(patch(rle.substr(0, bitsRle), 18, {0, 8, 0, 0, 0, 8, 0, 0}), 34, {0, 0, 1, 0}) +
          std::string("\0\1", 2),
  };
  TDIB dib;
  Load(dib, good8);
  const QImage before = dib.ToImage();
  int i = 0;
  for (const std::string& c : cases) {
    SCOPED_TRACE(i++);
    try {
      Load(dib, c);
      (void)dib.ToImage();
      ADD_FAILURE() << "read";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "DIB is invalid");
    }
    EXPECT_EQ(MaxDiff(dib.ToImage(), before), 0);
  }
  // More than 256 colours: the first 256.
  Load(dib, patch(good8, 46, {0x2C, 1}));
  EXPECT_EQ(MaxDiff(dib.ToImage(), before), 0);
}

// Damaged RLE data is read as far as it goes: runs past the row's end are clipped, and what
// the data does not reach stays the background (index 0).
TEST(DIB, ReadsDamagedRleAsFarAsItGoes) {
  struct Case {
    const char* What;
    int Bits;
    std::string Data;
    const char* Rows;  // stored rows, the bottom one first
    int SizeField = -1;
  };
  auto b = [](std::initializer_list<int> v) {
    std::string s;
    for (int c : v) s.push_back(char(c));
    return s;
  };
  const Case cases[] = {
      {"run past the row", 8, b({8, 1, 0, 0, 2, 2, 0, 0, 5, 3, 0, 1}), "11111 22000 33333"},
      {"last row without an end mark", 8, b({5, 1, 0, 0, 5, 2, 0, 0, 8, 3}), "11111 22222 33333"},
      {"row left by a delta", 8, b({3, 1, 0, 2, 1, 1, 2, 2, 0, 0, 5, 3}), "11100 00002 33333"},
      {"delta after a run past the row", 8, b({8, 1, 0, 2, 0, 1, 2, 2, 0, 0, 5, 3, 0, 1}),
       "11111 00000 33333"},
      {"absolute run past the row", 8, b({0, 7, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 1, 4}), "12345 40000 00000"},
      {"ends early", 8, b({5, 1, 0, 0, 3, 2}), "11111 22200 00000"},
      {"ends in an absolute run", 8, b({5, 1, 0, 0, 0, 5, 2, 2}), "11111 22000 00000"},
      {"ends in a delta", 8, b({5, 1, 0, 2, 1}), "11111 00000 00000"},
      {"delta past the picture", 8, b({2, 1, 0, 2, 1, 5, 5, 3, 0, 1}), "11000 00000 00000"},
      {"delta past the row", 8, b({2, 1, 0, 2, 9, 0, 5, 3, 0, 1}), "11000 00000 00000"},
      {"end of line past the last row", 8, b({5, 1, 0, 0, 5, 2, 0, 0, 5, 3, 0, 0, 5, 4, 0, 1}),
       "11111 22222 33333"},
      {"file cut short", 8, b({5, 1, 0, 0, 5, 2}), "11111 22222 00000", 40},
      {"RLE4 run past the row", 4, b({8, 0x12, 0, 0, 0, 8, 0x12, 0x34, 0x56, 0x78, 0, 1}),
       "12121 12345 00000"},
      {"RLE4 ends in an absolute run", 4, b({0, 6, 0x12}), "12000 00000 00000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    BmpKind kind{5, 3, c.Bits, Header::Info, c.Bits == 4 ? Comp::Rle4 : Comp::Rle8};
    kind.SizeField = c.SizeField;
    TDIB dib;
    Load(dib, dibfiles::Write(kind, c.Data));
    const QImage shown = dib.ToImage();
    for (int row = 0; row < 3; ++row)
      for (int x = 0; x < 5; ++x) {
        const int index = c.Rows[row * 6 + x] - '0';
        EXPECT_EQ(shown.pixel(x, 2 - row), dibfiles::PaletteColor(index)) << x << "," << row;
        EXPECT_EQ(dib.Pixel(x, 2 - row), uint32_t(index)) << x << "," << row;
      }
  }
}

// Every truncation and random byte changes of a few files: a clean read or a clean refusal
// (run under the sanitizer build).
TEST(DIB, TruncationAndMutationLoop) {
  const BmpKind kinds[] = {{17, 5, 8, Header::Info, Comp::Rle8},
                        {17, 5, 4, Header::Info, Comp::Rle4},
                        {6, 3, 24, Header::Info, Comp::Rgb, true},
                        {9, 4, 16, Header::Info, Comp::Fields565},
                        {9, 4, 4, Header::Core}};
  std::mt19937 rng(7);
  const uint64_t oldMax = TDIB::MaxPixels;
  TDIB::MaxPixels = 1 << 20;
  for (const BmpKind& s : kinds) {
    const std::string file = dibfiles::Write(s);
    std::vector<std::string> inputs;
    for (size_t n = 0; n < file.size(); ++n) inputs.push_back(file.substr(0, n));
    for (int k = 0; k < 300; ++k) {
      std::string m = file;
      for (int j = 0; j < 1 + int(rng() % 4); ++j) m[rng() % m.size()] = char(rng());
      inputs.push_back(m);
    }
    for (const std::string& in : inputs) {
      TDIB dib;
      try {
        Load(dib, in);
        const QImage img = dib.ToImage();
        ASSERT_EQ(img.width(), dib.Width());
        (void)Save(dib);
      } catch (const EInvalidGraphic&) {
      } catch (const EInvalidGraphicOperation&) {
      } catch (const EOutOfResources&) {
      }
    }
  }
  TDIB::MaxPixels = oldMax;
  CheckSeedsAndRegressions("dib", "directx", fuzzchecks::CheckDib);
}
