// Reading GIF files into the model: a generated corpus against giflib and Qt's reader, the
// stream's edge cases, hostile files and truncation at every offset.
#include <gtest/gtest.h>

#include <QImage>

#include "GifCorpus.h"
#include "codecs/GIFImage.h"

namespace {

using namespace std::string_literals;

struct Loaded {
  std::unique_ptr<gif::TGIFImage> Image = std::make_unique<gif::TGIFImage>();
  std::vector<std::string> Warnings;
  std::string Error;
};

Loaded Load(const std::string& data) {
  Loaded r;
  r.Image->OnWarning = [&w = r.Warnings](gif::TGIFItem*, gif::TGIFSeverity, const std::string& m) {
    w.push_back(m);
  };
  try {
    r.Image->LoadFromData(data);
  } catch (const gif::GIFException& e) {
    r.Error = e.what();
  }
  return r;
}

// Equal pictures; fully transparent pixels match whatever their colour.
bool SamePicture(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  if (x.size() != y.size()) return false;
  for (int r = 0; r < x.height(); ++r)
    for (int c = 0; c < x.width(); ++c) {
      const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
      if (p != q && !(qAlpha(p) == 0 && qAlpha(q) == 0)) return false;
    }
  return true;
}

corpus::Gif Animation() {
  corpus::Gif g;
  g.Width = 40;
  g.Height = 30;
  g.GlobalColors = 32;
  g.Loop = true;
  g.Frames.push_back(corpus::MakeFrame(40, 30, 32, 1));
  g.Frames[0].Comment = std::string(300, 'c');
  g.Frames.push_back(corpus::MakeFrame(10, 7, 8, 2));
  g.Frames[1].Left = 5;
  g.Frames[1].Top = 20;
  g.Frames[1].LocalColors = 8;
  g.Frames[1].Transparent = 3;
  g.Frames[1].Delay = 12;
  g.Frames[1].Disposal = 2;
  g.Frames.push_back(corpus::MakeFrame(25, 9, 32, 3, false));
  g.Frames[2].Left = 15;
  g.Frames[2].Top = 1;
  g.Frames[2].Interlaced = true;
  return g;
}

TEST(GifImage, CorpusMatchesGiflibAndQt) {
  std::vector<corpus::Gif> gifs;
  for (int bits = 1; bits <= 8; ++bits)
    for (bool interlaced : {false, true})
      for (bool transparent : {false, true}) {
        corpus::Gif g = corpus::OneFrame(23 + bits, 11 + 2 * bits, 1 << bits, uint32_t(bits));
        g.Frames[0].Interlaced = interlaced;
        if (transparent) g.Frames[0].Transparent = (1 << bits) - 1;
        gifs.push_back(g);
      }
  corpus::Gif local;
  local.Width = 16;
  local.Height = 16;
  local.Frames.push_back(corpus::MakeFrame(16, 16, 64, 9));
  local.Frames[0].LocalColors = 64;
  gifs.push_back(local);
  gifs.push_back(Animation());

  for (size_t i = 0; i < gifs.size(); ++i)
    for (int writer = 0; writer < 3; ++writer) {
      SCOPED_TRACE(testing::Message() << "gif " << i << " writer " << writer);
      const corpus::Gif& g = gifs[i];
      const std::string data = writer == 2 ? corpus::WriteGiflib(g) : corpus::WriteOurs(g, writer);
      std::vector<std::vector<uint8_t>> reference;
      ASSERT_TRUE(corpus::ReadGiflib(data, reference));
      Loaded l = Load(data);
      ASSERT_EQ(l.Error, "");
      EXPECT_TRUE(l.Warnings.empty());
      ASSERT_EQ(l.Image->Count(), int(g.Frames.size()));
      for (int f = 0; f < l.Image->Count(); ++f) {
        gif::TGIFSubImage& frame = l.Image->Frame(f);
        EXPECT_EQ(frame.Data(), reference[size_t(f)]);
        EXPECT_EQ(frame.Data(), g.Frames[size_t(f)].Pixels);
        EXPECT_EQ(frame.Left, g.Frames[size_t(f)].Left);
        EXPECT_EQ(frame.Transparent, g.Frames[size_t(f)].Transparent >= 0);
      }
      const QImage qt = QImage::fromData(QByteArray::fromStdString(data), "GIF");
      ASSERT_FALSE(qt.isNull());
      EXPECT_TRUE(SamePicture(*l.Image->GetBitmap(), qt));
    }
}

TEST(GifImage, ModelOfAnAnimation) {
  Loaded l = Load(corpus::WriteOurs(Animation()));
  ASSERT_EQ(l.Error, "");
  gif::TGIFImage& img = *l.Image;
  ASSERT_EQ(img.Count(), 3);
  EXPECT_EQ(img.Header.ColorMap.Count(), 32);
  auto& first = img.Frame(0);
  ASSERT_EQ(first.Extensions.size(), 2u);  // the loop block and the comment
  auto* loop = dynamic_cast<gif::TGIFAppExtNSLoop*>(first.Extensions[0].get());
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops, 0);
  auto* comment = dynamic_cast<gif::TGIFCommentExtension*>(first.Extensions[1].get());
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(comment->Text, (std::vector<std::string>{std::string(255, 'c'), std::string(45, 'c')}));
  auto& second = img.Frame(1);
  ASSERT_NE(second.GraphicControlExtension, nullptr);
  EXPECT_EQ(second.GraphicControlExtension->Delay, 12);
  EXPECT_EQ(second.GraphicControlExtension->Disposal(), 2);
  EXPECT_EQ(second.GetVersion(), 2);
  EXPECT_EQ(img.Frame(2).GetVersion(), 1);
  const QImage* b = img.GetBitmap();
  EXPECT_EQ(b, img.GetBitmap());
  // Freeing the control block clears the frame's transparency.
  second.Extensions.clear();
  EXPECT_EQ(second.GraphicControlExtension, nullptr);
  EXPECT_FALSE(second.Transparent);
}

corpus::Gif Small() { return corpus::OneFrame(4, 3, 4, 5); }

// Offset of the frame's image separator in Small() written by us.
constexpr size_t kFrameAt = 13 + 12;

TEST(GifImage, StreamEdgeCases) {
  const std::string base = corpus::WriteOurs(Small());
  const std::string head = base.substr(0, kFrameAt),
                    frame = base.substr(kFrameAt, base.size() - kFrameAt - 1);
  std::string zeroWidth = base;
  zeroWidth[kFrameAt + 5] = 0;
  zeroWidth[kFrameAt + 6] = 0;
  struct Case {
    const char* Name;
    std::string Data;
    int Frames;
    std::vector<std::string> Warnings;
    std::string Error;
  };
  const Case cases[] = {
      {"plain", base, 1, {}, ""},
      {"prefix", "abcd" + base, 1, {}, ""},
      {"lower case, any version", "gif00z" + base.substr(6), 1, {}, ""},
      {"no trailer", head + frame, 1, {}, ""},
      {"zero bytes between blocks", head + "\0\0"s + frame + "\0"s + ";", 1, {}, ""},
      {"unknown extension skipped",
       head + "!\x42\x02xy\x01z\0"s + frame + ";",
       1,
       {"Unknown extension type"},
       ""},
      {"application block of 10",
       head +
           "!\xff\x0a"
           "ABCDEFGHIJ\x02xy\0"s +
           frame + ";",
       1,
       {},
       ""},
      {"application block of 5",
       head +
           "!\xff\x05"
           "ABCDE\x02xy\0"s +
           frame + ";",
       1,
       {},
       ""},
      {"control block of 6", head + "!\xf9\x06\x01\x00\x00\x02zz\0"s + frame + ";", 1, {}, ""},
      {"zero width", zeroWidth, 1, {"Image exceeds Logical Screen size"}, ""},
      {"bad trailer",
       head + frame + "x",
       1,
       {"Unknown GIF block type", "Invalid Image trailer"},
       ""},
      {"no separator after extensions",
       head + "!\xfe\x01z\0x"s,
       1,
       {"Invalid extension introducer", "Unknown GIF block type", "Invalid Image trailer"},
       ""},
      {"bad signature", "JIF89a" + base.substr(6), 0, {}, "Invalid GIF signature"},
      {"short header", base.substr(0, 9), 0, {}, "Premature end of data"},
      // Looping blocks too short for their count or buffer size are kept raw.
      {"loop block of 2", head + "!\xff\x0bNETSCAPE2.0\x02\x01\x05\0"s + frame, 1, {}, ""},
      {"loop block of 1", head + "!\xff\x0bNETSCAPE2.0\x01\x01\0"s + frame + ";", 1, {}, ""},
      {"buffer block of 3", head + "!\xff\x0b" "ANIMEXTS1.0\x03\x02\x01\x00\0"s + frame, 1, {}, ""},
      {"huge frame after a good one",
       head + frame + ",\0\0\0\0\xff\xff\xff\xff\0\x02\x02\x4c\x01\0;"s,
       1,
       {"Invalid image dimensions"},
       ""},
      {"bad code in frame 1", head + frame + ",\0\0\0\0\x02\0\x02\0\0\x02\x02\xff\xff\0;"s, 1,
       {"Invalid GIF data"}, ""},
      {"frame larger than its own data, long comment after",
       head + ",\0\0\0\0\0\x10\0\x10\0\x02\x02\x4c\x01\0!\xfe"s +
           [] {
             std::string c;
             for (int i = 0; i < 40; ++i) c += "\xff"s + std::string(255, 'c');
             return c;
           }() + "\0;"s,
       0,
       {},
       "Premature end of data"},
      {"frame larger than its data",
       head + ",\0\0\0\0\xff\x0f\xff\x0f\0\x02\x02\x4c\x01\0;"s,
       0,
       {},
       "Premature end of data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Loaded l = Load(c.Data);
    EXPECT_EQ(l.Error, c.Error);
    EXPECT_EQ(l.Image->Count(), c.Frames);
    EXPECT_EQ(l.Warnings, c.Warnings);
    if (c.Frames > 0 && c.Error.empty() && c.Warnings.empty()) {
      EXPECT_EQ(l.Image->Frame(0).Data(), Small().Frames[0].Pixels);
    }
  }
  Loaded app = Load(head +
                    "!\xff\x0a"
                    "ABCDEFGHIJ\x02xy\0"s +
                    frame + ";");
  auto* unknown =
      dynamic_cast<gif::TGIFUnknownAppExtension*>(app.Image->Frame(0).Extensions.at(0).get());
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->Blocks.size(), 1u);
  // ...and written back as they were.
  const std::string shortLoop = head + "!\xff\x0bNETSCAPE2.0\x01\x01\0"s + frame + ";";
  Loaded loop = Load(shortLoop);
  ASSERT_EQ(loop.Image->Frame(0).Extensions.size(), 1u);
  EXPECT_NE(dynamic_cast<gif::TGIFUnknownAppExtension*>(loop.Image->Frame(0).Extensions[0].get()), nullptr);
  std::string written;
  loop.Image->SaveToStream(written);
  EXPECT_NE(written.find("NETSCAPE2.0\x01\x01\0"s), std::string::npos);
}

TEST(GifImage, HostileSizesAreBounded) {
  const std::string base = corpus::WriteOurs(Small());
  const std::string head = base.substr(0, kFrameAt);
  // Frames within their data but over the total: the ones before stay.
  const uint64_t keep = gif::MaxPixels;
  gif::MaxPixels = 20;
  std::string frames;
  for (int i = 0; i < 3; ++i) frames += base.substr(kFrameAt, base.size() - kFrameAt - 1);
  Loaded total = Load(head + frames + ";");
  gif::MaxPixels = keep;
  EXPECT_EQ(total.Image->Count(), 1);
  EXPECT_EQ(total.Warnings, std::vector<std::string>{"Invalid image dimensions"});

  // A tiny file with a huge screen refuses to draw it.
  std::string screen = base;
  screen[6] = screen[8] = '\x41';
  screen[7] = screen[9] = '\x2d';  // 11585 x 11585
  Loaded big = Load(screen);
  ASSERT_EQ(big.Error, "");
  EXPECT_THROW(big.Image->GetBitmap(), gif::GIFException);

  // For showing, frames after the first are not decoded.
  gif::TGIFImage shown;
  shown.FirstFrameOnly = true;
  shown.LoadFromData(corpus::WriteOurs(Animation()));
  EXPECT_EQ(shown.Count(), 1);
}

TEST(GifImage, BitmapOfFrameZero) {
  // A smaller first frame lands at its offset; the rest shows the background colour.
  corpus::Gif g = Small();
  g.Width = 9;
  g.Height = 8;
  g.Background = 2;
  g.Frames[0].Left = 3;
  g.Frames[0].Top = 4;
  g.Frames[0].Transparent = 1;
  Loaded l = Load(corpus::WriteOurs(g));
  const QImage b = *l.Image->GetBitmap();
  ASSERT_EQ(b.size(), QSize(9, 8));
  const QRgb bg =
      qRgb(corpus::Channel(0, 2, 0), corpus::Channel(0, 2, 1), corpus::Channel(0, 2, 2));
  EXPECT_EQ(b.pixel(0, 0), bg);
  EXPECT_EQ(b.pixel(8, 7), bg);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const int i = g.Frames[0].Pixels[size_t(y * 4 + x)];
      const QRgb p = b.pixel(3 + x, 4 + y);
      if (i == 1) {
        EXPECT_EQ(qAlpha(p), 0);
      } else {
        EXPECT_EQ(
            p, qRgb(corpus::Channel(0, i, 0), corpus::Channel(0, i, 1), corpus::Channel(0, i, 2)));
      }
    }

  // A 0 x 0 screen grows to the frames; no colour table gives a grey ramp.
  corpus::Gif bare = Small();
  bare.GlobalColors = 0;
  bare.Width = bare.Height = 0;
  Loaded z = Load(corpus::WriteOurs(bare));
  ASSERT_EQ(z.Error, "");
  EXPECT_EQ(z.Image->GetWidth(), 4);
  EXPECT_EQ(z.Image->GetHeight(), 3);
  const QImage zb = z.Image->GetBitmap()->convertToFormat(QImage::Format_ARGB32);
  for (int i = 0; i < 12; ++i) {
    const int v = bare.Frames[0].Pixels[size_t(i)] * 85;
    EXPECT_EQ(zb.pixel(i % 4, i / 4), qRgb(v, v, v));
  }
  gif::TGIFImage empty;
  EXPECT_EQ(empty.GetBitmap(), nullptr);
  EXPECT_TRUE(empty.GetEmpty());
}

TEST(GifImage, TruncationAtEveryOffset) {
  for (const std::string& data : {corpus::WriteOurs(Animation()), corpus::WriteGiflib(Animation()),
                                  corpus::WriteOurs(Small(), 1)}) {
    const int full = Load(data).Image->Count();
    for (size_t n = 0; n < data.size(); ++n) {
      Loaded l = Load(data.substr(0, n));
      EXPECT_LE(l.Image->Count(), full) << n;
      if (l.Image->Count() > 0) l.Image->GetBitmap();
    }
  }
}

}  // namespace
