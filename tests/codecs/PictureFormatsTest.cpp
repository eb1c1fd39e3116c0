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
#include "support/ScriptedSeam.h"

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
    // The play's processor time is the seam's: it stands still but where a row moves it.
    ScriptedSeam seam;
    seam.cpuMs = 0;
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
    // Shapes are drawn as asked, each counted by the pixels it touches, its pen included. Each
    // bound is met and passed by one: the records (with the window's two and the end record),
    // the work (a fill of the 100 x 50 picture costs 5,001), the letters, the allocations the
    // library holds (it holds 118 of its own and two for each hole cut from the clip) and the
    // play's processor time (read once in 16 events: records, shapes, 256 bytes read).
    auto largestRecord = [](std::string m, uint32_t words) {
      for (int i = 0; i < 4; ++i) m[22 + 12 + i] = char(words >> (8 * i));
      return m;
    };
    const std::string tooMuch = "The metafile takes too much work to draw";
    using namespace wmfcorpus;
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    auto holes = [](int n) {
      return Placeable(100, 50, 96, Repeat(n, [](int i) {
                         return Record(0x0415, {i % 50 + 1, i % 100 + 1, i % 50, i % 100});
                       }));
    };
    auto letters = [](int n) {
      return Placeable(100, 50, 96,
                       Font(-8) + Select(0) + Text(0, 0, std::string(32768, 'i')) +
                           Text(0, 0, std::string(size_t(n - 32768), 'i')));
    };
    // A thin zigzag across a picture of 666 pixels: 4 a pixel, each segment 666 (16,000 of them
    // cost 42.7 M, 64,000 171 M); dashed, 8 times as much.
    auto zigzag = [](int points, int style) {
      std::vector<std::vector<int>> p;
      for (int i = 0; i < points; ++i) p.push_back({i % 2 ? 0 : 10000, i % 10000});
      return Placeable(10000, 10000, 1440, PenOf(style, 0, 0) + Select(0) + Polyline(0x0325, p));
    };
    // A filled polygon whose edges cross each of the 50 rows n times (a row costs their square),
    // and letters of 8 and 200 pixels (a letter costs twice its square).
    auto crossings = [](int n) {
      std::vector<std::vector<int>> points;
      for (int i = 0; i < n; ++i) points.push_back({i * 100 / n, i % 2 ? 0 : 50});
      return Placeable(100, 50, 96,
                       Brush(0xFF) + PenOf(5, 0, 0) + Select(1) + Polyline(0x0324, points));
    };
    auto big = [](int height) {
      return Placeable(1000, 1000, 96,
                       Font(-height) + Select(0) + Text(0, 0, std::string(2000, 'W')));
    };
    // Ellipses of 32,000 units about a window of 10 (a unit is 96 pixels): a curve is cut into
    // pieces all along.
    const std::string ellipses =
        Placeable(10, 10, 1,
                  Pen(1, 0) + Repeat(2, [](int) { return Ellipse(-31995, -31995, 32005, 32005); }));
    const struct {
      std::string Data;
      QSize Size;  // empty: refused
      std::string Error;
      QPoint At{-1, -1};  // a pixel of the picture, and its colour
      QRgb Colour = 0;
      int64_t CpuStep = 0;  // the processor time each reading of the clock adds
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
        {Metafile(100, 50, 96, 1, 249994), {100, 50}, ""},
        {Metafile(100, 50, 96, 1, 249995), {}, tooMuch},
        {Metafile(100, 50, 96, 26838), {100, 50}, ""},
        {Metafile(100, 50, 96, 26839), {}, tooMuch},
        {letters(65536), {100, 50}, ""},
        {letters(65537), {}, tooMuch},
        {holes(16325), {100, 50}, ""},
        {holes(16326), {}, tooMuch},
        {Metafile(100, 50, 96, 40), {100, 50}, "", {50, 25}, red, 10},
        {Metafile(100, 50, 96, 40), {}, tooMuch, {}, 0, 1000},
        {Metafile(100, 50, 96, 1, 100000), {}, tooMuch, {}, 0, 10},  // while the library scans
        {zigzag(16000, 0), {666, 666}, ""},
        {zigzag(64000, 0), {}, tooMuch},
        {zigzag(16000, 1), {}, tooMuch},
        {crossings(1000), {100, 50}, ""},
        {crossings(2000), {}, tooMuch},
        {big(8), {1000, 1000}, ""},
        {big(200), {}, tooMuch},
        {ellipses, {}, tooMuch},
        // Headers the library misreads.
        {Records({-32768, 0, 32767, 10}, 1440, Rectangle(0, 0, 100, 10)), {},
         "The metafile's frame (65535 x 10 units) is empty or larger than 32,767 units"},
        {Records({0, 0, 100, 50}, 0, Rectangle(10, 10, 90, 40)), {},
         "The metafile gives no units per inch"},
        {Records({0, 0, 100, 50}, 96, ""), {}, "The metafile holds no records"},
    };
    for (const auto& m : metafiles) {
      SCOPED_TRACE(m.Data.size());
      seam.cpuMs = 0;
      seam.cpuStepMs = m.CpuStep;
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

// The box of the pixels of a picture that `is` picks.
QRect Ink(const QImage& img, bool (*is)(QRgb)) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (is(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(PictureFormats, MetafilesDrawnWhereAndAsWindowsDrawsThem) {
  if (!codecs::HaveMetafiles()) return;
  ScriptedSeam seam;
  seam.cpuMs = 0;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/m.wmf";
  auto draw = [&](const std::string& data) {
    EXPECT_TRUE(plat::WriteFileAtomic(path, data));
    QImage img;
    std::string error;
    EXPECT_TRUE(codecs::LoadPicture(path, img, error)) << error;
    return img;
  };
  auto blue = [](QRgb c) { return qBlue(c) > 160 && qRed(c) < 100; };
  auto red = [](QRgb c) { return qRed(c) > 160 && qBlue(c) < 100; };
  auto dark = [](QRgb c) { return qGray(c) < 96; };
  using namespace wmfcorpus;
  const std::string blueText = Record(0x0209, {0, 0xFF}) + Record(0x0102, {1});

  // Map modes whose y axis goes up (a box of 10 x 5 cm in each one's units): blue text at the
  // top of the box stays inside it at its top, a red bar near its bottom stays there.
  const double perCm[] = {100, 1000, 100 / 2.54, 1000 / 2.54, 1440 / 2.54};
  for (int mode = 2; mode <= 6; ++mode) {
    SCOPED_TRACE(mode);
    const int w = int(10 * perCm[mode - 2]), h = int(5 * perCm[mode - 2]);
    const QImage img =
        draw(Records({}, 0,
                     Record(0x0103, {mode}) + Rectangle(0, 0, w, -h) + Brush(0xFF) +
                         Rectangle(w / 10, -h * 8 / 10, w * 9 / 10, -h * 9 / 10) + Font(-h / 6) +
                         Select(1) + blueText + Text(w / 20, -h / 20, "Top")));
    const QRect box = Ink(img, dark), bar = Ink(img, red), text = Ink(img, blue);
    EXPECT_TRUE(box.contains(text)) << box.top() << " " << text.top();
    EXPECT_LT(text.bottom(), box.center().y());
    EXPECT_GT(bar.top(), box.center().y());
  }

  // Text by its right and base line, by its centre and top (at 96 units an inch, 32 pixels).
  QImage img = draw(Placeable(400, 200, 96,
                              Font(-32) + Select(0) + blueText + Align(2 | 24) +
                                  Text(300, 100, "HIT") + Align(6) + Text(200, 150, "HIT")));
  QRect right = Ink(img.copy(0, 0, 400, 120), blue), centre = Ink(img.copy(0, 140, 400, 60), blue);
  EXPECT_NEAR(right.right(), 298, 3);
  EXPECT_NEAR(right.bottom(), 99, 1);
  EXPECT_NEAR(centre.center().x(), 200, 2);
  EXPECT_NEAR(centre.top(), 16, 3);  // below its top, by the space over capitals

  // Letters of the width asked (2.3 and 0.38 times Arial's average, 17.7 units of 40), and of
  // the height asked: the cell's (positive) takes the line spacing from the letters'.
  auto ink = [&](int height, int width, const char* text) {
    return Ink(draw(Placeable(500, 100, 96, Font(height, width) + Select(0) + Text(10, 10, text))),
               dark);
  };
  const QRect normal = ink(-40, 0, "HHHH"), wide = ink(-40, 41, "HHHH"),
              narrow = ink(-40, 7, "HHHH"), cell = ink(40, 0, "H"), letters = ink(-40, 0, "H");
  EXPECT_NEAR(double(wide.width()) / normal.width(), 2.3, 0.4);
  EXPECT_NEAR(double(narrow.width()) / normal.width(), 0.38, 0.1);
  EXPECT_NEAR(double(cell.height()) / letters.height(), 0.87, 0.08);

  // Bitmaps of a negative width or height are drawn mirrored, in their place: a red and a blue
  // pixel side by side, and a red one over a blue one (rows bottom first).
  img = draw(
      Placeable(100, 50, 96,
                StretchDib(60, 10, -40, 20, 2, 1, std::string("\0\0\xff\xff\0\0\0\0", 8)) +
                    StretchDib(10, 45, 20, -20, 1, 2, std::string("\xff\0\0\0\0\0\xff\0", 8))));
  EXPECT_TRUE(blue(img.pixel(30, 20)) && red(img.pixel(50, 20)));
  EXPECT_TRUE(blue(img.pixel(20, 30)) && red(img.pixel(20, 40)));

  // Past a few font faces, a new one is drawn in its family's usual font.
  img = draw(Placeable(1000, 40, 96, Repeat(100, [](int i) {
                         return Font(-20, 0, "Face" + std::to_string(i)) + Select(0) +
                                Text(i * 10, 10, "W") + Record(0x01F0, {0});
                       })));
  EXPECT_GE(Ink(img, dark).right(), 990);
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
