// Writing GIF files and optimising them: files read back by our reader, giflib and Qt, the
// writer's edge cases, and each optimisation pass compared as composed pictures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

#include "GifCompose.h"
#include "GifCorpus.h"
#include "codecs/ColorReduction.h"
#include "codecs/GIFImage.h"

namespace {

using namespace std::string_literals;

std::unique_ptr<gif::TGIFImage> Read(const std::string& data, std::vector<std::string>* warnings = nullptr) {
  auto image = std::make_unique<gif::TGIFImage>();
  if (warnings)
    image->OnWarning = [warnings](gif::TGIFItem*, gif::TGIFSeverity, const std::string& m) {
      warnings->push_back(m);
    };
  image->LoadFromData(data);
  return image;
}

std::string Write(gif::TGIFImage& image) {
  std::string out;
  image.SaveToStream(out);
  return out;
}

std::vector<QImage> QtFrames(const std::string& data) {
  QByteArray bytes = QByteArray::fromStdString(data);
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "gif");
  std::vector<QImage> frames;
  for (QImage f; reader.read(&f);) frames.push_back(f.convertToFormat(QImage::Format_ARGB32));
  return frames;
}

// Several frames: offsets, a local table, transparency, disposal, interlacing, a comment and
// the looping extension.
corpus::Gif Animation() {
  corpus::Gif g;
  g.Width = 20;
  g.Height = 16;
  g.GlobalColors = 16;
  g.Loop = true;
  g.Frames.push_back(corpus::MakeFrame(20, 16, 8, 1));
  corpus::Frame f1 = g.Frames[0];  // frame 0 with one block changed
  for (int y = 4; y < 8; ++y)
    for (int x = 6; x < 10; ++x) f1.Pixels[size_t(y) * 20 + x] = uint8_t((x + y) % 8);
  f1.Delay = 5;
  f1.Disposal = 1;
  g.Frames.push_back(f1);
  corpus::Frame f2 = corpus::MakeFrame(6, 5, 8, 3);  // unused transparent index, disposal 2
  f2.Left = 3;
  f2.Top = 3;
  f2.Transparent = 15;
  f2.Disposal = 2;
  f2.Delay = 7;
  g.Frames.push_back(f2);
  corpus::Frame f3 = corpus::MakeFrame(10, 8, 4, 4);  // covers frame 2, local table
  f3.Left = 1;
  f3.Top = 1;
  f3.LocalColors = 8;
  f3.Comment = "made by hand";
  f3.Interlaced = true;
  g.Frames.push_back(f3);
  corpus::Frame f4 = corpus::MakeFrame(12, 10, 7, 5);  // transparent border
  f4.Left = 4;
  f4.Top = 3;
  f4.Transparent = 7;
  f4.Delay = 3;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x)
      if (y < 2 || y > 7 || x < 3 || x > 9) f4.Pixels[size_t(y) * 12 + x] = 7;
  g.Frames.push_back(f4);
  return g;
}

TEST(GifWrite, ReadBackByOursGiflibAndQt) {
  ASSERT_TRUE(QImageReader::supportedImageFormats().contains("gif"));
  std::vector<corpus::Gif> gifs = {Animation()};
  for (int bits : {1, 3, 8}) {
    corpus::Gif g = corpus::OneFrame(17 + bits, 9 + bits, 1 << bits, uint32_t(bits));
    g.Frames[0].Interlaced = bits == 3;
    gifs.push_back(g);
  }
  for (size_t i = 0; i < gifs.size(); ++i)
    for (int compression : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "gif " << i << " compression " << compression);
      const std::string original = corpus::WriteOurs(gifs[i]);
      auto image = Read(original);
      image->Compression = uint8_t(compression);
      const std::string written = Write(*image);
      auto again = Read(written);
      std::vector<std::vector<uint8_t>> reference;
      ASSERT_TRUE(corpus::ReadGiflib(written, reference));
      ASSERT_EQ(again->Count(), int(gifs[i].Frames.size()));
      for (int f = 0; f < again->Count(); ++f) {
        EXPECT_EQ(again->Frame(f).Data(), gifs[i].Frames[size_t(f)].Pixels);
        EXPECT_EQ(reference[size_t(f)], gifs[i].Frames[size_t(f)].Pixels);
      }
      std::vector<QImage> before, after;
      ASSERT_TRUE(corpus::ComposeGiflib(original, before));
      ASSERT_TRUE(corpus::ComposeGiflib(written, after));
      EXPECT_EQ(before, after);
      const std::vector<QImage> qtBefore = QtFrames(original), qtAfter = QtFrames(written);
      ASSERT_EQ(qtAfter.size(), gifs[i].Frames.size());
      EXPECT_EQ(qtBefore, qtAfter);
    }
}

TEST(GifWrite, WriterEdgeCases) {
  // No extensions: 87a; a graphic control extension anywhere: 89a.
  corpus::Gif g = corpus::OneFrame(8, 4, 5, 1);
  auto image = Read(corpus::WriteOurs(g));
  std::string out = Write(*image);
  EXPECT_EQ(out.substr(0, 6), "GIF87a");
  // 5 colours written as 8, the last three black; the size field says 8.
  EXPECT_EQ(uint8_t(out[10]) & 0x87, 0x82);
  EXPECT_EQ(out.substr(13 + 15, 9), std::string(9, '\0'));
  EXPECT_EQ(out.substr(13, 3), std::string({char(corpus::Channel(0, 0, 0)), char(corpus::Channel(0, 0, 1)),
                                            char(corpus::Channel(0, 0, 2))}));
  image->Frame(0).Extensions.push_back(
      std::make_unique<gif::TGIFGraphicControlExtension>(&image->Frame(0)));
  EXPECT_EQ(Write(*image).substr(0, 6), "GIF89a");

  // An interlaced frame with a local table is written non-interlaced with the same pixels.
  corpus::Gif il;
  il.Width = 9;
  il.Height = 11;
  il.Frames.push_back(corpus::MakeFrame(9, 11, 16, 2));
  il.Frames[0].LocalColors = 16;
  il.Frames[0].Interlaced = true;
  auto interlaced = Read(corpus::WriteOurs(il));
  ASSERT_TRUE(interlaced->Frame(0).Interlaced());
  out = Write(*interlaced);
  auto back = Read(out);
  EXPECT_FALSE(back->Frame(0).Interlaced());
  EXPECT_EQ(back->Frame(0).Data(), il.Frames[0].Pixels);

  // 3 of 256 colours used: 3 left, most used first.
  corpus::Gif many = corpus::OneFrame(6, 1, 256, 1);
  many.Frames[0].Pixels = {200, 7, 200, 40, 200, 7};
  many.Background = 40;  // the background colour counts as used and follows its colour
  auto sorted = Read(corpus::WriteOurs(many));
  sorted->Optimize(gif::ooColorMap, 0, 8, 0);
  const gif::TGIFColorMap& map = sorted->Header.ColorMap;
  ASSERT_EQ(map.Count(), 3);
  EXPECT_EQ(map.Data()[0].Red, corpus::Channel(0, 200, 0));
  EXPECT_EQ(map.Data()[1].Red, corpus::Channel(0, 7, 0));
  EXPECT_EQ(map.Data()[2].Red, corpus::Channel(0, 40, 0));
  EXPECT_EQ(sorted->Frame(0).Data(), (std::vector<uint8_t>{0, 1, 0, 2, 0, 1}));
  EXPECT_EQ(sorted->Header.BackgroundColorIndex, 2);
  EXPECT_EQ(uint8_t(Write(*sorted)[10]) & 0x88, 0x88);  // sorted flag

  // Failures: no frames; the custom reduction.
  gif::TGIFImage empty;
  std::string ignored;
  std::vector<std::string> progress;
  empty.OnProgress = [&](int stage, int percent, bool, const std::string& m) {
    progress.push_back(std::to_string(stage) + " " + std::to_string(percent) + " " + m);
  };
  EXPECT_THROW(
      try { empty.SaveToStream(ignored); } catch (const gif::GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported GIF version");
        throw;
      },
      gif::GIFException);
  EXPECT_EQ(progress, (std::vector<std::string>{"0 0 Saving...", "2 0 Saving..."}));
  EXPECT_THROW(
      try { sorted->Optimize(gif::ooReduceColors, 9, 8, 0); } catch (const gif::GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid reduction method");
        throw;
      },
      gif::GIFException);

  // The transparent index setter checks the active table.
  std::vector<std::string> warnings;
  image->OnWarning = [&](gif::TGIFItem*, gif::TGIFSeverity, const std::string& m) { warnings.push_back(m); };
  gif::TGIFGraphicControlExtension& gce = *image->Frame(0).GraphicControlExtension;
  gce.SetTransparentColorIndex(7);  // the table read holds 8 entries
  EXPECT_EQ(gce.TransparentColorIndex, 7);
  gce.SetTransparentColorIndex(8);
  EXPECT_EQ(gce.TransparentColorIndex, 0);
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});
  gce.SetTransparent(true);
  gce.SetDisposal(3);
  gce.SetUserInput(true);
  EXPECT_TRUE(image->Frame(0).Transparent);
  EXPECT_EQ(gce.Packed, 0x0F);
}

TEST(GifWrite, ExtensionsSurviveTheRoundTrip) {
  corpus::Gif g = Animation();
  g.Frames[0].Comment = std::string(600, 'x');
  std::string data = corpus::WriteOurs(g);
  // A plain text block and an unknown application block before the last frame.
  const size_t at = data.rfind(",\x04\0\x03\0"s);
  ASSERT_NE(at, std::string::npos);
  std::string text = "!\x01\x0c" + std::string(12, '\x02') + "\x05hello\x00"s;
  std::string app = "!\xFF\x0b" "ABCDEFGH123\x02zz\x00"s;
  data.insert(at, text + app);
  auto image = Read(data);
  auto again = Read(Write(*image));
  ASSERT_EQ(again->Count(), image->Count());
  const auto& ext = again->Frame(4).Extensions;
  ASSERT_EQ(ext.size(), image->Frame(4).Extensions.size());
  auto* t = dynamic_cast<gif::TGIFTextExtension*>(ext[ext.size() - 2].get());
  auto* a = dynamic_cast<gif::TGIFUnknownAppExtension*>(ext.back().get());
  ASSERT_TRUE(t && a);
  EXPECT_EQ(t->Text, std::vector<std::string>{"hello"});
  EXPECT_EQ(t->CellWidth, 2);
  EXPECT_EQ(std::string(a->Identifier.data(), 8), "ABCDEFGH");
  ASSERT_EQ(a->Blocks.size(), 1u);
  EXPECT_EQ(a->Blocks[0].Data, (std::vector<uint8_t>{'z', 'z'}));
  auto* c = dynamic_cast<gif::TGIFCommentExtension*>(again->Frame(0).Extensions.back().get());
  ASSERT_TRUE(c);
  // Each sub-block reads as one line.
  std::string comment;
  for (const std::string& line : c->Text) comment += line;
  EXPECT_EQ(comment, std::string(600, 'x'));
  auto* loop = dynamic_cast<gif::TGIFAppExtNSLoop*>(again->Frame(0).Extensions.front().get());
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->Loops, 0);
}

TEST(GifWrite, EachOptimisationPassKeepsThePictures) {
  const std::string original = corpus::WriteOurs(Animation());
  std::vector<QImage> expected;
  ASSERT_TRUE(corpus::ComposeGiflib(original, expected));
  struct Case {
    int Options;
    std::function<void(gif::TGIFImage&)> Check;
  };
  const std::vector<Case> cases = {
      {gif::ooColorMap,
       [](gif::TGIFImage& i) {
         EXPECT_EQ(i.Header.ColorMap.Count(), 8);
         EXPECT_TRUE(i.Header.ColorMap.Optimized());
         EXPECT_EQ(i.Frame(3).ColorMap.Count(), 4);
       }},
      {gif::ooCleanup,
       [](gif::TGIFImage& i) {
         EXPECT_FALSE(i.Frame(2).Transparent);
         EXPECT_EQ(i.Frame(2).GraphicControlExtension->Disposal(), 0);
         EXPECT_EQ(i.Frame(3).Extensions.size(), 0u);  // the comment
         EXPECT_EQ(i.Frame(0).Extensions.size(), 1u);  // the looping extension stays
       }},
      {gif::ooMerge,
       [](gif::TGIFImage& i) {
         EXPECT_TRUE(i.Frame(1).Transparent);
         const auto& d = i.Frame(1).Data();
         EXPECT_GT(std::count(d.begin(), d.end(), i.Frame(1).GraphicControlExtension->TransparentColorIndex),
                   300);
       }},
      {gif::ooCrop,
       [](gif::TGIFImage& i) {
         EXPECT_EQ(i.Frame(4).Left, 7);
         EXPECT_EQ(i.Frame(4).Top, 5);
         EXPECT_EQ(i.Frame(4).Width, 7);
         EXPECT_EQ(i.Frame(4).Height, 6);
       }},
      {gif::ooColorMap | gif::ooCleanup | gif::ooMerge | gif::ooCrop,
       [&](gif::TGIFImage& i) {
         EXPECT_EQ(i.Count(), 5);
         EXPECT_LT(i.Frame(1).Width, 20);  // merged, then cropped
         EXPECT_LT(Write(i).size(), original.size());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options);
    auto image = Read(original);
    std::vector<int> percents;
    image->OnProgress = [&](int, int p, bool, const std::string& m) {
      if (m == "Optimizing...") percents.push_back(p);
    };
    image->Optimize(c.Options, 0, 8, 0);
    c.Check(*image);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    std::vector<QImage> pictures;
    ASSERT_TRUE(corpus::ComposeGiflib(Write(*image), pictures));
    ASSERT_EQ(pictures.size(), expected.size());
    for (size_t f = 0; f < pictures.size(); ++f) EXPECT_EQ(pictures[f], expected[f]) << "frame " << f;
  }
}

// A frame of `w` x `h` at (`l`, `t`) filled with `fill`, its inner rectangle `in` with `inner`.
corpus::Frame Box(int l, int t, int w, int h, int fill, QRect in = {}, int inner = 0) {
  corpus::Frame f = corpus::MakeFrame(w, h, 1, 0);
  f.Left = l;
  f.Top = t;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.Pixels[size_t(y) * w + x] = uint8_t(in.contains(x, y) ? inner : fill);
  return f;
}

corpus::Frame With(corpus::Frame f, int delay, int disposal, int transparent = -1) {
  f.Delay = delay;
  f.Disposal = disposal;
  f.Transparent = transparent;
  return f;
}

// An 8 x 6 screen of 8 global colours, looping `loops` times from before frame `loopFrame`.
corpus::Gif Screen(std::vector<corpus::Frame> frames, int loops = -1, int loopFrame = 0) {
  corpus::Gif g{8, 6, 8, 0, loops >= 0, loops, loopFrame, std::move(frames)};
  return g;
}

// What a viewer shows: each composed picture with how long it stays.
std::vector<std::pair<QImage, int>> Timeline(const std::string& data) {
  std::vector<QImage> pictures;
  std::vector<int> delays;
  EXPECT_TRUE(corpus::ComposeGiflib(data, pictures, qRgba(0, 0, 0, 0), &delays));
  std::vector<std::pair<QImage, int>> shown;
  for (size_t i = 0; i < pictures.size(); ++i)
    if (!shown.empty() && shown.back().first == pictures[i])
      shown.back().second += delays[i];
    else
      shown.emplace_back(pictures[i], delays[i]);
  return shown;
}

// The loop count and the frame holding it ({-1, -1} without looping).
std::pair<int, int> Looping(const std::string& data) {
  auto image = Read(data);
  for (int i = 0; i < image->Count(); ++i)
    for (const auto& e : image->Frame(i).Extensions)
      if (auto* l = dynamic_cast<gif::TGIFAppExtNSLoop*>(e.get())) return {l->Loops, i};
  return {-1, -1};
}

TEST(GifWrite, EveryCombinationOfPassesKeepsPicturesTimesAndLooping) {
  const QRect inner(1, 1, 4, 2);
  corpus::Frame base = Box(0, 0, 8, 6, 2, QRect(0, 0, 3, 2), 0), next = base, last = base;
  base.Pixels[20] = next.Pixels[30] = 1;
  last.Pixels[40] = 0;
  const std::vector<corpus::Gif> gifs = {
      // An overlay twice over a cleared rectangle, a cleared pause, a blank frame with the loop.
      Screen({With(corpus::MakeFrame(8, 6, 4, 1), 10, 1), With(Box(1, 1, 6, 4, 7, inner, 5), 10, 2, 7),
              With(Box(1, 1, 6, 4, 7, inner, 5), 10, 2, 7), With(Box(0, 0, 8, 6, 7), 50, 1, 7),
              With(Box(4, 2, 3, 3, 6), 10, 0), With(Box(0, 0, 2, 2, 7), 20, 0, 7)},
             3, 5),
      // A blank lead-in; a blank pause after a frame without control block.
      Screen({With(Box(0, 0, 8, 6, 7), 80, 0, 7), corpus::MakeFrame(8, 6, 4, 2),
              With(Box(2, 1, 4, 4, 7), 80, 0, 7), With(Box(1, 1, 3, 2, 4), 10, 0)},
             3),
      // A transparent index unused in the table, then one outside it.
      Screen({With(base, 10, 0), With(next, 20, 1, 7), With(last, 30, 1, 9)}),
      // Transparent pixels of the index just past a 16-colour table, global and local.
      [] {
        const corpus::Frame first = corpus::MakeFrame(8, 6, 16, 3);
        corpus::Frame over = first, local = With(Box(1, 1, 5, 4, 4, QRect(1, 1, 2, 2), 2), 30, 1, 4);
        for (size_t i = 0; i < over.Pixels.size(); ++i)
          if (i % 5 == 0) over.Pixels[i] = 16;
          else if (i % 7 == 0) over.Pixels[i] = uint8_t((over.Pixels[i] + 1) % 16);
        local.LocalColors = 4;
        corpus::Gif g = Screen({With(first, 10, 1), With(over, 20, 1, 16), local}, 0);
        g.GlobalColors = 16;
        return g;
      }(),
      // Transparent pixels of index 255 over a 2-colour table.
      [] {
        corpus::Gif g = Screen({With(Box(0, 0, 8, 6, 1, QRect(2, 1, 3, 2), 255), 10, 0, 255)});
        g.GlobalColors = 2;
        return g;
      }()};
  for (size_t n = 0; n < gifs.size(); ++n) {
    const std::string original = corpus::WriteOurs(gifs[n]);
    const auto expected = Timeline(original);
    const auto loops = Looping(original);
    // None (a plain save, also through the clipboard), then crop, merge, cleanup, colour tables.
    for (int options = 0; options < 16; ++options) {
      SCOPED_TRACE(testing::Message() << "gif " << n << " options " << options);
      auto image = Read(original);
      image->Optimize(options, 0, 8, 0);
      std::string written;
      EXPECT_NO_THROW(written = Write(*image));
      if (options == 0) {
        EXPECT_NO_THROW(image->SaveToClipboardFormat());
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        EXPECT_EQ(copied ? copied->data("image/gif").toStdString() : "", written);
      }
      if (written.empty()) continue;
      const auto shown = Timeline(written);
      EXPECT_EQ(shown.size(), expected.size());
      for (size_t i = 0; i < std::min(shown.size(), expected.size()); ++i) {
        EXPECT_TRUE(shown[i].first == expected[i].first) << "picture " << i;
        EXPECT_EQ(shown[i].second, expected[i].second) << "delay " << i;
      }
      const auto after = Looping(written);
      EXPECT_EQ(after.first, loops.first);
      if (loops.first >= 0 && (options & (gif::ooCrop | gif::ooCleanup))) {
        EXPECT_EQ(after.second, 0);
      }
    }
  }
}

TEST(GifWrite, EveryFrameWrittenIsOneReadersTake) {
  const corpus::Gif g = Screen({With(corpus::MakeFrame(8, 6, 8, 1), 30, 2), corpus::MakeFrame(8, 6, 8, 2)});
  const std::string original = corpus::WriteOurs(g);
  // A frame without pixels goes with its control block, which would steer the next frame.
  auto image = Read(original);
  image->Frame(0).Data().clear();
  std::vector<QImage> pictures;
  std::vector<int> delays;
  ASSERT_TRUE(corpus::ComposeGiflib(Write(*image), pictures, qRgba(0, 0, 0, 0), &delays));
  EXPECT_EQ(delays, std::vector<int>{0});
  // No frame with pixels: no file.
  image->Frame(1).Data().clear();
  EXPECT_THROW(Write(*image), gif::GIFException);
  // A frame beyond the screen grows it.
  image = Read(original);
  image->Frame(1).Left = 3;
  EXPECT_EQ(Read(Write(*image))->GetWidth(), 11);
  // Bounds resize the pixels, keeping those that stay; no bounds beyond 16 bits.
  image = Read(original);
  image->Frame(1).SetBounds(1, 2, 10, 3);
  EXPECT_EQ(image->Frame(1).Data().size(), 30u);
  EXPECT_TRUE(std::equal(g.Frames[1].Pixels.begin() + 8, g.Frames[1].Pixels.begin() + 16,
                         image->Frame(1).Data().begin() + 10));
  EXPECT_EQ(Read(Write(*image))->Frame(1).Data(), image->Frame(1).Data());
  EXPECT_THROW(image->Frame(1).SetBounds(65530, 0, 10, 10), gif::GIFException);
  EXPECT_EQ(image->GetWidth(), 11);
}

TEST(GifWrite, ColourTablesKeepEveryIndexInUse) {
  corpus::Gif g = corpus::OneFrame(6, 1, 8, 1);
  g.Frames[0].Pixels = {2, 2, 2, 0, 0, 1};
  auto image = Read(corpus::WriteOurs(g));
  // Plain text colours index the global table and follow their colours.
  auto text = std::make_unique<gif::TGIFTextExtension>(&image->Frame(0));
  text->TextFgColorIndex = 6;
  text->TextBgColorIndex = 2;
  auto* t = text.get();
  image->Frame(0).Extensions.push_back(std::move(text));
  image->Optimize(gif::ooColorMap, 0, 8, 0);
  EXPECT_EQ(image->Header.ColorMap.Count(), 4);
  EXPECT_EQ(image->Header.ColorMap.Data()[t->TextFgColorIndex].Red, corpus::Channel(0, 6, 0));
  EXPECT_EQ(t->TextBgColorIndex, 0);
  // A table already in order keeps its unused colours.
  g.Frames[0].Pixels = {0, 0, 0, 1, 1, 2};
  image = Read(corpus::WriteOurs(g));
  image->Optimize(gif::ooColorMap, 0, 8, 0);
  EXPECT_EQ(image->Header.ColorMap.Count(), 8);
  // A frame copied from an empty one keeps no table of its own.
  g.Frames[0].LocalColors = 4;
  image = Read(corpus::WriteOurs(g));
  image->Frame(0).Assign(gif::TGIFSubImage(image.get()));
  EXPECT_EQ(image->Frame(0).ColorMap.Count(), 0);
  // A picture whose reduction fills all 256 colours keeps its transparency.
  QImage picture(256, 2, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 0, 0));
  for (int x = 0; x < 256; ++x) picture.setPixel(x, 0, qRgb(x, x, x));
  gif::TGIFImage converted;
  converted.ColorReduction = gif::rmGrayScale;
  converted.Assign(picture);
  const QImage shown = converted.ToImage().convertToFormat(QImage::Format_ARGB32);
  int clear = 0, worst = 0;
  for (int x = 0; x < 256; ++x) {
    clear += qAlpha(shown.pixel(x, 1)) == 0;
    worst = std::max(worst, std::abs(qGreen(shown.pixel(x, 0)) - x));
  }
  EXPECT_EQ(clear, 256);
  EXPECT_LE(worst, 1);
}

TEST(GifWrite, OptimizeKeepsTheLastFrame) {
  // Every frame wholly transparent: cropping would delete them all.
  corpus::Gif g;
  g.Width = 4;
  g.Height = 4;
  g.GlobalColors = 4;
  for (int i = 0; i < 3; ++i) {
    g.Frames.push_back(corpus::MakeFrame(4, 4, 1, 1));
    g.Frames.back().Transparent = 0;
    g.Frames.back().Delay = 10;
  }
  auto image = Read(corpus::WriteOurs(g));
  image->Optimize(gif::ooCrop, 0, 8, 0);
  ASSERT_EQ(image->Count(), 1);
  EXPECT_EQ(image->Frame(0).GraphicControlExtension->Delay, 30);
  EXPECT_NO_THROW(Write(*image));
}

}  // namespace
