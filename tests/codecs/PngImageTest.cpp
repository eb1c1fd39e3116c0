// PNG pictures: every colour type and bit depth written by libpng and read by ours against
// values worked out from the samples, text and time chunks, writing, the bitmap copy, and
// broken files.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>
#include <QImage>

#include <sys/resource.h>

#include <csetjmp>
#include <random>

#include "codecs/PngImage.h"

namespace {

using pngimage::EPngError;
using pngimage::TPngImage;

struct Spec {
  Spec(int type, int depth, bool trns = false, bool interlaced = false)
      : ColorType(type), Depth(depth), Trns(trns), Interlaced(interlaced) {}
  int ColorType, Depth;
  bool Trns = false;
  bool Interlaced = false;
  int W = 13, H = 7;
  std::vector<std::pair<std::string, std::string>> TextBefore, TextAfter;
  png_time Time{};
  bool WithTime = false;
};

int Channels(int colorType) {
  switch (colorType) {
    case 0:
    case 3: return 1;
    case 4: return 2;
    case 2: return 3;
    default: return 4;
  }
}

struct Sample {
  std::vector<uint16_t> Values;  // per pixel, per channel
  std::vector<png_color> Palette;
  std::vector<uint8_t> PaletteAlpha;
  png_color_16 TrnsColor{};
};

void AppendFn(png_structp png, png_bytep p, size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(p), n);
}

std::string EncodePng(const Spec& s, const Sample& smp, int entries);

std::string WritePng(const Spec& s, Sample& smp) {
  std::mt19937 rng(uint32_t(s.ColorType * 100 + s.Depth));
  const int ch = Channels(s.ColorType), max = (1 << s.Depth) - 1;
  const int entries = s.ColorType == 3 ? std::min(max + 1, 200) : 0;
  for (int i = 0; i < entries; ++i) {
    smp.Palette.push_back({png_byte(rng()), png_byte(rng()), png_byte(rng())});
    smp.PaletteAlpha.push_back(png_byte(i % 3 == 0 ? 0 : i % 3 == 1 ? 255 : rng()));
  }
  for (int i = 0; i < s.W * s.H * ch; ++i)
    smp.Values.push_back(uint16_t(s.ColorType == 3 ? rng() % entries : rng() % (max + 1)));
  // The transparent colour is the first pixel's, so it occurs.
  smp.TrnsColor.gray = smp.Values[0];
  smp.TrnsColor.red = smp.Values[0];
  if (ch >= 3) {
    smp.TrnsColor.green = smp.Values[1];
    smp.TrnsColor.blue = smp.Values[2];
  }
  return EncodePng(s, smp, entries);
}

std::string EncodePng(const Spec& s, const Sample& smp, int entries) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendFn, nullptr);
  png_set_IHDR(png, info, png_uint_32(s.W), png_uint_32(s.H), s.Depth, s.ColorType,
               s.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, 0, 0);
  const int ch = Channels(s.ColorType);
  if (s.ColorType == 3) png_set_PLTE(png, info, smp.Palette.data(), entries);
  if (s.Trns)
    png_set_tRNS(png, info, smp.PaletteAlpha.data(), s.ColorType == 3 ? entries : 0,
                 &smp.TrnsColor);
  std::vector<png_text> texts;
  auto addTexts = [&](const auto& list) {
    texts.clear();
    for (const auto& [k, v] : list) {
      png_text t{};
      t.compression = v.size() > 100 ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
      t.key = const_cast<char*>(k.c_str());
      t.text = const_cast<char*>(v.c_str());
      t.text_length = v.size();
      texts.push_back(t);
    }
    if (!texts.empty()) png_set_text(png, info, texts.data(), int(texts.size()));
  };
  addTexts(s.TextBefore);
  png_write_info(png, info);
  if (s.Depth == 16) png_set_swap(png);  // rows below are little-endian 16-bit
  const int bits = s.Depth * ch;
  const size_t rowBytes = (size_t(s.W) * bits + 7) / 8;
  std::vector<std::vector<uint8_t>> rows(size_t(s.H), std::vector<uint8_t>(rowBytes));
  for (int y = 0; y < s.H; ++y)
    for (int i = 0; i < s.W * ch; ++i) {
      const uint16_t v = smp.Values[size_t(y * s.W * ch + i)];
      uint8_t* r = rows[size_t(y)].data();
      if (s.Depth == 16) {
        r[i * 2] = uint8_t(v);
        r[i * 2 + 1] = uint8_t(v >> 8);
      } else if (s.Depth == 8) {
        r[i] = uint8_t(v);
      } else {
        const int bit = i * s.Depth;
        r[bit / 8] |= uint8_t(v << (8 - s.Depth - bit % 8));
      }
    }
  std::vector<png_bytep> ptrs;
  for (auto& r : rows) ptrs.push_back(r.data());
  png_write_image(png, ptrs.data());
  if (s.WithTime) png_set_tIME(png, info, &s.Time);
  png_infop endInfo = png_create_info_struct(png);
  addTexts(s.TextAfter);
  if (!texts.empty()) png_set_text(png, endInfo, texts.data(), int(texts.size()));
  if (s.WithTime) png_set_tIME(png, endInfo, &s.Time);
  png_write_end(png, endInfo);
  png_destroy_info_struct(png, &endInfo);
  png_destroy_write_struct(&png, &info);
  return out;
}

// The red, green, blue and alpha a reader must give for a pixel.
std::array<int, 4> Expected(const Spec& s, const Sample& smp, int pixel) {
  const int ch = Channels(s.ColorType);
  const uint16_t* v = &smp.Values[size_t(pixel * ch)];
  auto scale = [&](int x) { return s.Depth == 16 ? x >> 8 : x * 255 / ((1 << s.Depth) - 1); };
  switch (s.ColorType) {
    case 3: {
      const png_color c = smp.Palette[v[0]];
      return {c.red, c.green, c.blue, s.Trns ? smp.PaletteAlpha[v[0]] : 255};
    }
    case 0:
      return {scale(v[0]), scale(v[0]), scale(v[0]),
              s.Trns && v[0] == smp.TrnsColor.gray ? 0 : 255};
    case 4: return {scale(v[0]), scale(v[0]), scale(v[0]), scale(v[1])};
    case 2: {
      const bool t = s.Trns && v[0] == smp.TrnsColor.red && v[1] == smp.TrnsColor.green &&
                     v[2] == smp.TrnsColor.blue;
      return {scale(v[0]), scale(v[1]), scale(v[2]), t ? 0 : 255};
    }
    default: return {scale(v[0]), scale(v[1]), scale(v[2]), scale(v[3])};
  }
}

std::string Chunk(const std::string& type, const std::string& body) {
  std::string c;
  const uint32_t n = uint32_t(body.size());
  for (int i = 3; i >= 0; --i) c.push_back(char(n >> (i * 8)));
  c += type + body;
  const uint32_t crc = uint32_t(crc32(
      crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(c.data() + 4), uInt(c.size() - 4)));
  for (int i = 3; i >= 0; --i) c.push_back(char(crc >> (i * 8)));
  return c;
}

TEST(PngImage, EveryColorTypeAndBitDepth) {
  const std::vector<std::pair<int, std::vector<int>>> kinds = {
      {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  for (const auto& [type, depths] : kinds)
    for (int depth : depths)
      for (bool trns : {false, true}) {
        if (trns && (type == 4 || type == 6)) continue;
        SCOPED_TRACE(testing::Message()
                     << "type " << type << " depth " << depth << " tRNS " << trns);
        Spec s{type, depth, trns, depth == 8};
        Sample smp;
        const std::string data = WritePng(s, smp);
        ASSERT_FALSE(data.empty());
        TPngImage* img = new TPngImage;
        img->LoadFromStream(data);
        const bool alpha = trns || type == 4 || type == 6;
        ASSERT_EQ(img->BytesPerPixel, alpha ? 4 : 3);
        EXPECT_EQ(img->BitDepth, 8);
        ASSERT_EQ(img->Width, 13u);
        ASSERT_EQ(img->Height, 7u);
        int bad = 0;
        for (int p = 0; p < 13 * 7; ++p) {
          const auto e = Expected(s, smp, p);
          const uint8_t* got = img->Pixels.data() + size_t(p) * size_t(img->BytesPerPixel);
          const int a = alpha ? 255 - got[3] : 255;
          if (got[0] != e[0] || got[1] != e[1] || got[2] != e[2] || a != e[3]) ++bad;
        }
        EXPECT_EQ(bad, 0);
        img->Release();
      }
}

TEST(PngImage, TextAndTimeChunks) {
  Spec s{2, 8};
  s.TextBefore = {{"Title", "A title"}, {"Comment", "seen"}};
  s.TextAfter = {{"author", "Someone"}, {"Description", std::string(20000, 'd')}};
  s.WithTime = true;
  s.Time = {2001, 2, 3, 4, 5, 6};
  Sample smp;
  TPngImage* img = new TPngImage;
  img->LoadFromStream(WritePng(s, smp));
  EXPECT_EQ(img->Title, "A title");
  EXPECT_EQ(img->Author, "Someone");
  EXPECT_EQ(img->Description, std::string(20000, 'd'));
  ASSERT_EQ(img->Text.size(), 4u);
  EXPECT_EQ(img->Text[1], "Comment=seen");
  EXPECT_DOUBLE_EQ(img->Time, pngimage::EncodeDateTime(2001, 2, 3, 4, 5, 6));
  EXPECT_NEAR(img->Time, 36925.0 + (4 * 3600 + 5 * 60 + 6) / 86400.0, 1e-9);

  // The next picture has none of them; an impossible date loads without a time.
  Spec plain{2, 8};
  Sample smp2;
  std::string file = WritePng(plain, smp2);
  file.insert(file.size() - 12, Chunk("tIME", std::string("\x07\xd1\x0d\x28\x19\x00\x00", 7)));
  img->LoadFromStream(file);
  EXPECT_EQ(img->Title, "");
  EXPECT_EQ(img->Author, "");
  EXPECT_EQ(img->Description, "");
  EXPECT_TRUE(img->Text.empty());
  EXPECT_EQ(img->Time, 0);
  img->Release();
}

TEST(PngImage, WritingKeepsAlphaTextAndUsesLevel9) {
  Spec s{6, 8};
  Sample smp;
  TPngImage* img = new TPngImage;
  img->LoadFromStream(WritePng(s, smp));
  img->Title = "T";
  img->Author = "A";
  img->Description = "D";
  std::string saved;
  img->SaveToStream(saved);
  const size_t idat = saved.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  EXPECT_EQ(uint8_t(saved[idat + 5]) >> 6, 3);  // zlib header: best compression
  const QImage qt = QImage::fromData(QByteArray::fromStdString(saved), "PNG")
                        .convertToFormat(QImage::Format_ARGB32);
  TPngImage* back = new TPngImage;
  back->LoadFromStream(saved);
  EXPECT_EQ(back->Pixels, img->Pixels);
  EXPECT_EQ(back->Title, "T");
  EXPECT_EQ(back->Author, "A");
  EXPECT_EQ(back->Description, "D");
  EXPECT_GT(back->Time, 40000);
  for (int p = 0; p < 13 * 7; ++p) {
    const auto e = Expected(s, smp, p);
    EXPECT_EQ(qAlpha(qt.pixel(p % 13, p / 13)), e[3]);
  }
  back->Release();
  img->Release();
}

TEST(PngImage, CopyToBitmapBlendsAndGrows) {
  TPngImage* img = new TPngImage;
  img->Width = 3;
  img->Height = 1;
  img->BytesPerPixel = 4;
  img->Pixels = {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 51};
  QImage bitmap(2, 3, QImage::Format_RGB888);
  bitmap.fill(qRgb(100, 100, 100));
  img->CopyToBitmap(bitmap, 1, 2);
  ASSERT_EQ(bitmap.size(), QSize(4, 3));  // grown to x + width, never shrunk in height
  EXPECT_EQ(bitmap.pixel(1, 2), qRgb(10, 20, 30));
  EXPECT_EQ(bitmap.pixel(2, 2), qRgb(255, 255, 255));  // new area, left as it was
  EXPECT_EQ(bitmap.pixel(3, 2),
            qRgb((255 * 51 + 204 * 200) / 255, (255 * 51 + 204 * 100) / 255, (255 * 51) / 255));
  EXPECT_EQ(bitmap.pixel(0, 0), qRgb(100, 100, 100));
  img->Release();

  pngimage::TPngGraphic g;
  EXPECT_TRUE(g.ToImage().isNull());
  EXPECT_THROW(g.SetWidth(1), EPngError);
  pngimage::TPngGraphic shared;
  shared.Assign(g);
  EXPECT_EQ(shared.Image(), g.Image());
  EXPECT_EQ(g.Image()->RefCount(), 2);
}

TEST(PngImage, BrokenFilesRaise) {
  Spec s{3, 4, true};
  Sample smp;
  const std::string good = WritePng(s, smp);
  auto message = [](const std::string& data) -> std::string {
    TPngImage* img = new TPngImage;
    std::string m;
    try {
      img->LoadFromStream(data);
    } catch (const EPngError& e) {
      m = e.what();
    }
    img->Release();
    return m;
  };
  EXPECT_EQ(message("GIF89a" + good), "Is not a valid PNG !");
  EXPECT_EQ(message("\x89PN"), "Stream read error");
  std::string badCrc = good;
  badCrc[good.find("IDAT") + 6] ^= 0x55;
  EXPECT_NE(message(badCrc), "");
  // A huge header is refused before any pixel memory is taken.
  const std::string huge =
      good.substr(0, 8) +
      Chunk("IHDR", std::string("\x00\x00\xff\xff\x00\x00\xff\xff\x08\x02\x00\x00\x00", 13)) +
      Chunk("IDAT", "") + Chunk("IEND", "");
  EXPECT_EQ(message(huge), "Image too large");
  for (size_t n = 0; n < good.size(); ++n) EXPECT_NE(message(good.substr(0, n)), "") << n;
  EXPECT_EQ(message(good), "");
  // A size the data cannot hold is refused before the rows are allocated.
  const std::string claims =
      good.substr(0, 8) +
      Chunk("IHDR", std::string("\x00\x00\x13\x88\x00\x00\x13\x88\x08\x02\x00\x00\x00", 13)) +
      Chunk("IDAT", "x") + Chunk("IEND", "");
  EXPECT_EQ(message(claims), "Image data too short for its size");
  // A text chunk that claims 2 GB, before or after the pixels, takes no memory for it.
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  std::string text = Chunk("tEXt", std::string("Comment\0", 8) + std::string(40, 'x'));
  text.replace(0, 4, "\x7F\xFF\xFF\xF0");
  const size_t iend = good.size() - 12;
  EXPECT_EQ(message(good.substr(0, 33) + text + good.substr(33)), "Stream read error");
  EXPECT_EQ(message(good.substr(0, iend) + text + good.substr(iend)), "Stream read error");
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 << 10);  // kB

  // A failed reload leaves the previous picture whole.
  TPngImage* img = new TPngImage;
  img->LoadFromStream(good);
  EXPECT_THROW(img->LoadFromStream(huge), EPngError);
  EXPECT_EQ(img->Width, 13u);
  EXPECT_EQ(img->Pixels.size(), size_t(img->Width) * img->Height * size_t(img->BytesPerPixel));
  QImage bitmap;
  img->CopyToBitmap(bitmap, 0, 0);
  EXPECT_EQ(bitmap.size(), QSize(13, 7));
  img->Release();
}

TEST(PngImage, TextIsBoundedAndInternationalTextKept) {
  Spec s{2, 8};
  Sample smp;
  std::string file = WritePng(s, smp);
  // Many compressed texts: each is limited and all together are capped.
  const std::string big(600000, 't');
  std::string packed(compressBound(uLong(big.size())), '\0');
  uLongf packedSize = uLongf(packed.size());
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
           reinterpret_cast<const Bytef*>(big.data()), uLong(big.size()));
  packed.resize(packedSize);
  std::string chunks = Chunk("iTXt", std::string("Title\0\0\0\0\0Hello", 15));
  // A text longer than the cap is skipped whole.
  chunks += Chunk("tEXt", std::string("Author\0", 7) + std::string((1 << 20) + 1, 'a'));
  for (int i = 0; i < 24; ++i) chunks += Chunk("zTXt", std::string("Comment\0\0", 9) + packed);
  file.insert(33, chunks);
  TPngImage* img = new TPngImage;
  img->LoadFromStream(file);
  EXPECT_EQ(img->Title, "Hello");
  EXPECT_TRUE(img->Author.empty());
  size_t total = 0;
  for (const std::string& t : img->Text) total += t.size();
  EXPECT_LE(total, size_t(1) << 21);
  img->Release();
}

}  // namespace
