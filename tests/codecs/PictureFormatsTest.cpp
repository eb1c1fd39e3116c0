// The picture-format registry and loading a picture file of each format.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <filesystem>

#include "GifCorpus.h"
#include "JpegCorpus.h"
#include "WmfCorpus.h"
#include "codecs/JpegPicture.h"
#include "codecs/PictureBound.h"
#include "codecs/PictureFormats.h"
#include "directx/DibFiles.h"
#include "platform/Files.h"

namespace {

// A placeable metafile with one red rectangle over a 100 x 50 window.
std::string RedRectangleMetafile() { return wmfcorpus::Metafile(100, 50, 96, 1); }

TEST(PictureFormats, RegistryByExtension) {
  for (const char* ext : {"GIF", ".gif", "png", "BMP", ".jpg", "JPEG"})
    EXPECT_NE(codecs::FindPictureFormat(ext), nullptr) << ext;
  EXPECT_EQ(codecs::FindPictureFormat("GIF")->Description, "GIF Image");
  EXPECT_EQ(codecs::FindPictureFormat("PNG")->Description, "Portable Network Graphics");
  EXPECT_EQ(codecs::FindPictureFormat("WMF") != nullptr, codecs::HaveMetafiles());
  EXPECT_EQ(codecs::FindPictureFormat("TXT"), nullptr);
}

TEST(PictureFormats, LoadPictureOfEachFormat) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  QImage source(6, 4, QImage::Format_RGB32);
  source.fill(qRgb(200, 40, 40));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/a.bmp"), "BMP"));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/b.JPG"), "JPEG", 100));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/c.png"), "PNG"));
  const corpus::Gif g = corpus::OneFrame(6, 4, 4, 1);
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/d.Gif", corpus::WriteOurs(g)));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/e.wmf", RedRectangleMetafile()));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.gif", "GIF89a"));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.png", "nothing"));

  for (const char* name : {"a.bmp", "b.JPG", "c.png", "d.Gif"}) {
    QImage img;
    std::string error;
    ASSERT_TRUE(codecs::LoadPicture(d + "/" + name, img, error)) << name << error;
    EXPECT_EQ(img.size(), QSize(6, 4)) << name;
    if (name[0] != 'd') {
      EXPECT_NEAR(qRed(img.pixel(2, 2)), 200, 3) << name;
    }
  }
  if (codecs::HaveMetafiles()) {
    QImage img;
    std::string error;
    ASSERT_TRUE(codecs::LoadPicture(d + "/e.wmf", img, error)) << error;
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2), qRgb(255, 0, 0));
    // A failing metafile names missing fonts as the cause.
    ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.wmf", "\xD7\xCD\xC6\x9A"));
    EXPECT_FALSE(codecs::LoadPicture(d + "/bad.wmf", img, error));
    EXPECT_EQ(error, "Invalid metafile");
    codecs::SetMetafileFontFolder(d);
    EXPECT_FALSE(codecs::LoadPicture(d + "/bad.wmf", img, error));
    EXPECT_EQ(error, "Metafiles cannot be shown: the fonts they are drawn with are missing from " +
                         d + " (install the package fonts-urw-base35)");
    codecs::SetMetafileFontFolder("/usr/share/fonts/type1/urw-base35");
    // A huge box is drawn smaller; more drawing or more records than the bound are refused,
    // and so is a header announcing a record larger than the file (a rounded-up one is read).
    // Shapes are drawn as asked, each counted by the pixels it touches, its pen included.
    auto largestRecord = [](std::string m, uint32_t words) {
      for (int i = 0; i < 4; ++i) m[22 + 12 + i] = char(words >> (8 * i));
      return m;
    };
    const std::string tooMuch = "The metafile takes too much work to draw";
    using namespace wmfcorpus;
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    const struct {
      std::string Data;
      QSize Size;  // empty: refused
      std::string Error;
      QPoint At{};  // a pixel of the picture, and its colour
      QRgb Colour = 0;
    } metafiles[] = {
        {Metafile(32767, 32767, 1440, 1), {1448, 1448}, "", {700, 700}, red},
        {largestRecord(Metafile(32767, 32767, 1440, 1), 64), {1448, 1448}, "", {700, 700}, red},
        {largestRecord(Metafile(100, 50, 96, 1), 0x7FFF7FFF), {}, "Invalid metafile"},
        {Metafile(32767, 32767, 1440, 8), {1448, 1448}, "", {700, 700}, red},
        {Metafile(32767, 32767, 1440, 100), {}, tooMuch},
        {Metafile(100, 50, 96, 30000), {}, tooMuch},
        {Metafile(100, 50, 96, 1, 300000), {}, tooMuch},
        // Two squares as one shape: the inner one is a hole.
        {Placeable(100, 100, 96, Brush(0xFF) + Squares({{10, 10, 80}, {40, 40, 20}})), {100, 100},
         "", {50, 50}, white},
        {Placeable(100, 100, 96, Brush(0xFF) + Squares({{10, 10, 80}, {40, 40, 20}})), {100, 100},
         "", {20, 50}, red},
        {Placeable(100, 50, 96, Brush(0xFF) + Ellipse(10, 10, 90, 40)), {100, 50}, "", {50, 25},
         red},
        // A banner in a square frame.
        {Placeable(100, 100, 96, Brush(0xFF) + Rectangle(0, 45, 100, 55)), {100, 100}, "",
         {50, 50}, red},
        // Ellipses and rectangles drawn with a pen as wide as the picture.
        {WidePenEllipses(), {1448, 1448}, "", {10, 10}, black},
        {FatPenRectangles(), {}, tooMuch},
    };
    for (const auto& m : metafiles) {
      SCOPED_TRACE(m.Data.size());
      ASSERT_TRUE(plat::WriteFileAtomic(d + "/m.wmf", m.Data));
      EXPECT_EQ(codecs::LoadPicture(d + "/m.wmf", img, error), !m.Size.isEmpty());
      if (m.Size.isEmpty()) {
        EXPECT_EQ(error, m.Error);
      } else {
        EXPECT_EQ(img.size(), m.Size);
        if (img.rect().contains(m.At)) {
          EXPECT_EQ(img.pixel(m.At), m.Colour);
        }
      }
    }
  }
  struct {
    const char* Name;
    const char* Error;
  } failures[] = {{"bad.gif", "Premature end of data"},
                  {"bad.png", "Is not a valid PNG !"},
                  {"x.txt", "Unknown picture file extension (.txt)"}};
  for (const auto& f : failures) {
    QImage img;
    std::string error;
    EXPECT_FALSE(codecs::LoadPicture(d + "/" + f.Name, img, error));
    EXPECT_EQ(error, f.Error);
  }
  // Files larger than any picture are refused unread (sparse: they take no disk).
  for (const char* name : {"huge.gif", "huge.png", "huge.wmf"}) {
    if (name[5] == 'w' && !codecs::HaveMetafiles()) continue;
    const std::string path = d + "/" + name;
    ASSERT_TRUE(plat::WriteFileAtomic(path, ""));
    std::filesystem::resize_file(path, codecs::kMaxPictureFileSize + 1);
    QImage img;
    std::string error;
    EXPECT_FALSE(codecs::LoadPicture(path, img, error));
    EXPECT_EQ(error, "Cannot open file \"" + path + "\". Larger than 64 MB");
  }
}

// What the toolkit's own reader made of a JPEG, which the program showed before.
QImage ToolkitJpeg(const std::string& data) {
  QByteArray bytes(data.data(), qsizetype(data.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "jpeg");
  return reader.read();
}

TEST(PictureFormats, JpegReadsAsTheToolkitDidAndRefusesEndlessScans) {
  using jpegcorpus::Spec;
  const std::string colour = jpegcorpus::Write({40, 24});
  const std::string progressive = jpegcorpus::Write({40, 24, JCS_RGB, true});
  // 197 legal scans, each over the whole picture.
  auto cycles = [](J_COLOR_SPACE space) {
    return jpegcorpus::Write({64, 48, space, true, false, 0, false, true, 14});
  };
  const struct {
    const char* Name;
    std::string Data;
    const char* Error;  // nullptr: read as the toolkit read it
  } files[] = {
      {"colour", colour, nullptr},
      {"grey", jpegcorpus::Write({33, 17, JCS_GRAYSCALE}), nullptr},
      {"cmyk", jpegcorpus::Write({24, 16, JCS_CMYK}), nullptr},
      {"ycck", jpegcorpus::Write({24, 16, JCS_YCCK}), nullptr},
      {"full chroma, restarts", jpegcorpus::Write({37, 29, JCS_RGB, false, true, 1}), nullptr},
      {"progressive", progressive, nullptr},
      {"progressive grey", jpegcorpus::Write({33, 17, JCS_GRAYSCALE, true}), nullptr},
      {"progressive cmyk, full chroma", jpegcorpus::Write({24, 16, JCS_CMYK, true, true}), nullptr},
      {"arithmetic-coded progressive",
       jpegcorpus::Write({.Width = 40, .Height = 24, .Progressive = true, .Arithmetic = true}),
       nullptr},
      {"orientation tag", jpegcorpus::WithOrientation(colour, 6), nullptr},
      {"cut", colour.substr(0, colour.size() * 2 / 3), nullptr},
      {"last scan repeated", jpegcorpus::RepeatLastScan(progressive, 1000),
       "Inconsistent progression sequence for component 0 coefficient 1"},
      {"one coefficient a scan", jpegcorpus::Write({16, 16, JCS_RGB, true, false, 0, true}),
       "Too many scans for the image size"},
      {"one coefficient a scan, small chroma",
       jpegcorpus::Write({.Width = 32, .Height = 32, .Progressive = true, .NarrowScans = true,
                          .LumaSampling = 4, .NarrowFrom = 1}),
       "More than 200 scans"},
      {"approximation cycles", cycles(JCS_GRAYSCALE), "Too many scans for the image size"},
      {"approximation cycles, colour", cycles(JCS_RGB), "Too many scans for the image size"},
      // Whole coefficients of 384 MB for a picture of 256 MB.
      {"progressive beyond the decoder's memory",
       jpegcorpus::WithSize(jpegcorpus::Write({16, 16, JCS_RGB, true, true}), 8192, 8192),
       "Image too large to decode"},
      {"no picture", "\xFF\xD8\xFF\xD9", "JPEG datastream contains no image"},
  };
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/a.jpg";
  for (const auto& f : files) {
    SCOPED_TRACE(f.Name);
    ASSERT_TRUE(plat::WriteFileAtomic(path, f.Data));
    QImage img;
    std::string error;
    EXPECT_EQ(codecs::LoadPicture(path, img, error), f.Error == nullptr);
    EXPECT_EQ(error, f.Error ? f.Error : "");
    if (f.Error) continue;
    const QImage expected = ToolkitJpeg(f.Data);
    EXPECT_EQ(img.format(), expected.format());
    EXPECT_EQ(img, expected);
  }
}

TEST(PictureFormats, OneBoundOnTheDecodedPictureOfEveryFormat) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  auto load = [&](const std::string& name, const std::string& data) {
    EXPECT_TRUE(plat::WriteFileAtomic(d + "/" + name, data));
    QImage img;
    std::string error;
    return codecs::LoadPicture(d + "/" + name, img, error) && !img.isNull();
  };
  // A 525 KB run-length BMP of 11585 x 11585 would decode to 537 MB.
  std::string rle = dibfiles::Write({1, 1, 8, dibfiles::Header::Info, dibfiles::Comp::Rle8});
  const uint32_t runs = 11585u * 11585u / 256 + 1;
  for (int at : {18, 22}) rle.replace(size_t(at), 4, std::string("\x41\x2D\0\0", 4));
  rle.replace(34, 4, std::string{char(runs), char(runs >> 8), char(runs >> 16), 0});
  rle.resize(rle.size() - 4 + runs, '\0');
  EXPECT_FALSE(load("huge.bmp", rle));

  // Each format at the bound (64 x 64 pixels of 4 bytes, grey JPEG 128 x 128 of 1 byte)
  // and a row beyond it. Progressive JPEG at full chroma holds more coefficients than pixels.
  // The work bound is the most of a Huffman-coded picture at the bound; an arithmetic-coded
  // one is read within it.
  const uint64_t keep = codecs::MaxPictureBytes, keepWork = codecs::MaxJpegWork;
  codecs::MaxPictureBytes = 64 * 64 * 4;
  codecs::MaxJpegWork = 64 * 64 * 3 / 64 * codecs::kMaxJpegWorkPerBlock;
  auto gif = [](int h) {
    corpus::Gif g = corpus::OneFrame(1, 1, 4, 1);
    g.Width = 64;
    g.Height = h;
    return corpus::WriteOurs(g);
  };
  auto png = [&](int h) {
    QImage mono(64, h, QImage::Format_Mono);
    mono.fill(1);
    const std::string path = d + "/mono.png";
    EXPECT_TRUE(mono.save(QString::fromStdString(path), "PNG"));
    std::string data;
    EXPECT_TRUE(plat::ReadWholeFile(path, data));
    return data;
  };
  auto bmp = [](int h) {
    return dibfiles::Write({64, h, 8, dibfiles::Header::Info, dibfiles::Comp::Rle8});
  };
  auto jpeg = [](int w, int h, J_COLOR_SPACE space) { return jpegcorpus::Write({w, h, space}); };
  auto progressive = [](int w, int h, bool arithmetic = false) {
    return jpegcorpus::Write({.Width = w, .Height = h, .Progressive = true, .FullChroma = true,
                              .Arithmetic = arithmetic});
  };
  const struct {
    const char* Name;
    std::string Within, Beyond;
  } formats[] = {
      {"a.gif", gif(64), gif(65)},
      {"a.png", png(64), png(65)},
      {"a.bmp", bmp(64), bmp(65)},
      {"a.jpg", jpeg(64, 64, JCS_RGB), jpeg(64, 65, JCS_RGB)},
      {"g.jpg", jpeg(128, 128, JCS_GRAYSCALE), jpeg(129, 128, JCS_GRAYSCALE)},
      {"p.jpg", progressive(64, 64), progressive(64, 65)},
      {"c.jpg", progressive(32, 24, true), progressive(64, 48, true)},
  };
  for (const auto& f : formats) {
    EXPECT_TRUE(load(f.Name, f.Within)) << f.Name;
    EXPECT_FALSE(load(f.Name, f.Beyond)) << f.Name;
  }
  // A header beyond the bound is refused before the data is looked at.
  EXPECT_FALSE(load("b.jpg", jpegcorpus::WithSize(formats[3].Within, 64, 65)));
  codecs::MaxPictureBytes = keep;

  // A JPEG's work and memory at their bounds and one past. A progressive 16 x 16 colour
  // picture at 4:2:0 takes 1,532: libjpeg's ten scans, each its blocks times its band and 16
  // more. The memory counts the file: one of 1 MB of comments and the picture within twice it.
  std::string commented = jpegcorpus::Write({16, 16});
  for (int i = 0; i < 16; ++i)
    commented.insert(2, "\xFF\xFE\xFF\xFF" + std::string(0xFFFD, 'c'));
  const uint64_t keepMemory = codecs::MaxJpegMemory;
  const struct {
    std::string Data;
    uint64_t Work, Memory;
    bool Read;
  } bounds[] = {
      {jpegcorpus::Write({16, 16, JCS_RGB, true}), 1532, keepMemory, true},
      {jpegcorpus::Write({16, 16, JCS_RGB, true}), 1531, keepMemory, false},
      {commented, keepWork, commented.size() * 2, true},
      {commented, keepWork, commented.size(), false},
  };
  for (const auto& b : bounds) {
    codecs::MaxJpegWork = b.Work;
    codecs::MaxJpegMemory = b.Memory;
    EXPECT_EQ(load("w.jpg", b.Data), b.Read) << b.Work << " " << b.Memory;
  }
  codecs::MaxJpegWork = keepWork;
  codecs::MaxJpegMemory = keepMemory;
}

}  // namespace
