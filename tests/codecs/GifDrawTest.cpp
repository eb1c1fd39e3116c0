// Drawing GIF images: the painter's timing (through a test clock), looping and disposal, stopping,
// rendering through the web palette, the palette rules, conversion from other pictures, the
// clipboard, and PNG drawing.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTimer>

#include <mutex>
#include <thread>

#include "GifCompose.h"
#include "GifCorpus.h"
#include "codecs/GIFImage.h"
#include "codecs/GIFPainter.h"
#include "codecs/PngImage.h"

namespace {

// Time moves only when a painter waits.
struct TestClock : gif::TGIFClock {
  std::atomic<int64_t> Now{0}, Slept{0};
  std::function<void()> OnSleep;
  int64_t NowMs() override { return Now; }
  void Sleep(int ms) override {
    Now += ms;
    Slept += ms;
    if (OnSleep) OnSleep();
  }
  bool Wait(gif::TWakeEvent& e, int64_t ms) override {
    if (e.TryTake()) return true;
    if (ms < 0) return e.WaitFor(-1);
    Now += ms;
    Slept += ms;
    return false;
  }
};

struct ClockScope {
  TestClock Clock;
  ClockScope() { gif::SetPainterClock(&Clock); }
  ~ClockScope() { gif::SetPainterClock(nullptr); }
};

std::unique_ptr<gif::TGIFImage> Load(const corpus::Gif& g) {
  auto image = std::make_unique<gif::TGIFImage>();
  image->LoadFromData(corpus::WriteOurs(g));
  return image;
}

// Frames of 4 x 4 with the given delays.
corpus::Gif Frames(const std::vector<int>& delays) {
  corpus::Gif g;
  g.Width = g.Height = 4;
  g.GlobalColors = 4;
  for (size_t i = 0; i < delays.size(); ++i) {
    g.Frames.push_back(corpus::MakeFrame(4, 4, 4, uint32_t(i)));
    g.Frames.back().Delay = delays[i];
    g.Frames.back().Disposal = 1;
  }
  return g;
}

// loops < 0: no looping extension.

std::unique_ptr<gif::TGIFImage> LoadLooping(const corpus::Gif& g, int loops) {
  auto image = Load(g);
  if (loops >= 0) {
    auto loop = std::make_unique<gif::TGIFAppExtNSLoop>(&image->Frame(0));
    loop->Loops = uint16_t(loops);
    image->Frame(0).Extensions.insert(image->Frame(0).Extensions.begin(), std::move(loop));
  }
  return image;
}

// Runs a painter (a threaded one until it ends); returns the time slept before each frame.
// Painting a frame takes `lag` ms.
std::vector<int64_t> PlayTimed(gif::TGIFImage& image, TestClock& clock, uint16_t options,
                               int lag = 0) {
  std::vector<int64_t> waits;
  image.StopDraw();  // frees the bitmap an earlier run left
  image.DrawOptions = options;
  clock.Slept = 0;
  image.OnPaint = [&waits, &clock, lag](gif::TGIFPainter*) {
    waits.push_back(clock.Slept);
    clock.Slept = 0;
    clock.Now += lag;
  };
  QImage canvas(4, 4, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter p(&canvas);
    image.Draw(p, canvas.rect());
  }
  QElapsedTimer t;  // a guard against a hang only
  t.start();
  while (image.PainterCount() > 0 && t.elapsed() < 60000) QCoreApplication::processEvents();
  image.StopDraw();
  return waits;
}

TEST(GifDraw, PainterTimingAndLooping) {
  ClockScope scope;
  TestClock& clock = scope.Clock;
  const corpus::Gif g = Frames({1, 0, 50, 2000, 4});
  auto image = Load(g);
  using W = std::vector<int64_t>;
  struct Timing {
    uint16_t Options;
    int Speed, Lag;
    W Waits;
  };
  const uint16_t sync = gif::goAnimate, async = gif::goAsync | gif::goAnimate;
  // The first wait is one unit (none in a thread); then delay 1 -> 3 units, 0 -> 10, at most
  // 1000 in this thread. Half the painting time is made up; a late frame comes at once.
  for (const Timing& c : {Timing{sync, 100, 0, {12, 36, 120, 600, 12000}},
                          Timing{sync, 200, 0, {6, 18, 60, 300, 6000}},
                          Timing{sync, 100, 40, {12, 16, 100, 580, 11980}},
                          Timing{sync, 100, 100, {12, 0, 70, 550, 11950}},
                          Timing{async, 100, 0, {0, 36, 120, 600, 24000}},
                          Timing{async, 100, 100, {0, 0, 70, 550, 23950}}}) {
    SCOPED_TRACE(testing::Message() << c.Options << " " << c.Speed << " " << c.Lag);
    image->AnimationSpeed = c.Speed;
    EXPECT_EQ(PlayTimed(*image, clock, c.Options, c.Lag), c.Waits);
  }
  // Speed 0 in this thread: the longest delay, slept in slices of at most 100 ms.
  image->AnimationSpeed = 0;
  int64_t longest = 0, before = 0;
  clock.OnSleep = [&] {
    longest = std::max<int64_t>(longest, clock.Now - before);
    before = clock.Now;
  };
  before = clock.Now;
  EXPECT_EQ(PlayTimed(*image, clock, gif::goAnimate), (W{12000, 12000, 12000, 12000, 12000}));
  EXPECT_EQ(longest, 100);
  clock.OnSleep = nullptr;
  image->AnimationSpeed = 100;

  struct Case {
    int Loops;
    uint16_t Options;
    size_t Paints;
    bool Quit = false;  // the application quits after 3 paints
  };
  const uint16_t loop = gif::goAnimate | gif::goLoop;
  for (const Case& c : {Case{-1, loop, 5}, Case{2, loop, 10}, Case{2, gif::goAnimate, 5},
                        Case{0, loop, 5}, Case{-1, loop | gif::goLoopContinously, 23},
                        Case{-1, loop | gif::goLoopContinously, 3, true}}) {
    SCOPED_TRACE(c.Loops);
    auto looping = LoadLooping(g, c.Loops);
    size_t paints = 0, shown = 0;
    looping->OnAfterPaint = [&](gif::TGIFPainter*) {
      if (++paints == 23) looping->StopDraw();
      if (paints == 3 && c.Quit) QCoreApplication::quit();
    };
    // From within the application's event loop, as in the program.
    QTimer::singleShot(0, [&] {
      shown = PlayTimed(*looping, clock, c.Options).size();
      QCoreApplication::quit();
    });
    QCoreApplication::exec();
    EXPECT_EQ(shown, c.Paints);
  }

  // One frame: drawn, never a painter.
  auto single = Load(Frames({5}));
  bool started = false;
  single->OnStartPaint = [&](gif::TGIFPainter*) { started = true; };
  PlayTimed(*single, clock, gif::GIFImageDefaultDrawOptions);
  EXPECT_FALSE(started);
  EXPECT_EQ(single->PainterCount(), 0);

  // A synchronous painter stopped during its sleep ends at once.
  auto stopped = Load(Frames({1000, 1000}));
  clock.OnSleep = [&] {
    if (clock.Slept > 300) stopped->StopDraw();
  };
  EXPECT_EQ(PlayTimed(*stopped, clock, gif::goAnimate).size(), 1u);  // frame 1 never came
  clock.OnSleep = nullptr;
  EXPECT_LE(clock.Slept.load(), 400);
}

TEST(GifDraw, ThreadedPainters) {
  // Count 0 loops for ever in a thread; destroying the image ends it.
  {
    ClockScope scope;
    auto image = LoadLooping(Frames({3, 3}), 0);
    std::atomic<int> loops{0};
    image->OnLoop = [&](gif::TGIFPainter*) { ++loops; };
    image->DrawOptions = gif::goAsync | gif::goAnimate | gif::goLoop;
    QImage canvas(4, 4, QImage::Format_ARGB32_Premultiplied);
    {
      QPainter p(&canvas);
      image->Draw(p, canvas.rect());
    }
    EXPECT_EQ(image->PainterCount(), 1);
    QElapsedTimer t;  // a guard against a hang only
    t.start();
    while (loops < 3 && t.elapsed() < 60000) QCoreApplication::processEvents();
    EXPECT_GE(loops, 3);
    image.reset();
  }
  // A painter waiting without limit (speed 0) is woken by the stop: it ends at all.
  auto image = Load(Frames({1000, 1000}));
  image->AnimationSpeed = 0;
  image->DrawOptions = gif::goAsync | gif::goAnimate;
  std::atomic<int> ends{0};
  image->OnEndPaint = [&](gif::TGIFPainter*) { ++ends; };
  QImage canvas(4, 4, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    image->Draw(p, canvas.rect());
  }
  image->StopDraw();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(image->PainterCount(), 0);
}

TEST(GifDraw, ChangingTheFramesStopsThePainters) {
  ClockScope scope;
  for (int c = 0; c < 12; ++c) {
    SCOPED_TRACE(c);
    // Changed from here: 0 threaded, 1 in the caller's thread on another one; changed from
    // their own event: 2 in this thread, 3 threaded.
    const int kind = c / 3;
    auto image = LoadLooping(Frames({3, 3, 3}), 0);
    std::atomic<int> paints{0}, at{0};
    auto change = [&] {
      if (c % 3 == 0) image->Add(QImage(4, 4, QImage::Format_RGB32));
      if (c % 3 == 1) image->Add(std::make_unique<gif::TGIFSubImage>(image.get()));
      if (c % 3 == 2) image->Delete(1);
      at = int(paints);
    };
    image->OnPaint = [&](gif::TGIFPainter*) {
      if (++paints == 2 && kind >= 2) change();
      if (paints == 50) image->StopDraw();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    image->DrawOptions = gif::goAnimate | gif::goLoop | gif::goLoopContinously |
                         (kind % 3 == 0 ? gif::goAsync : 0);
    auto draw = [&] {
      QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
      QPainter p(&canvas);
      image->Draw(p, canvas.rect());
    };
    std::thread caller([&] { if (kind == 1) draw(); });
    if (kind != 1) draw();
    while (paints < 2) QCoreApplication::processEvents();
    if (kind < 2)
      change();
    else
      image->StopDraw();
    EXPECT_EQ(image->PainterCount(), 0);
    caller.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints, at);
    EXPECT_EQ(image->GetBitmap()->size(), QSize(4, 4));  // the painters' 8 x 8 bitmap is gone
  }
  gif::TGIFImage image;
  int changes = 0;
  image.OnChange = [&](gif::TGIFImage*) { ++changes; };
  image.Add(std::make_unique<gif::TGIFSubImage>(&image));
  EXPECT_EQ(changes, 1);
}

TEST(GifDraw, DisposalMatchesTheComposedPictures) {
  corpus::Gif g = corpus::OneFrame(12, 10, 8, 1);
  auto frame = [&](int l, int t, int w, int h, int transparent, int disposal) {
    corpus::Frame f = corpus::MakeFrame(w, h, 8, uint32_t(l * 7 + t));
    f.Left = l;
    f.Top = t;
    f.Transparent = transparent;
    f.Disposal = disposal;
    f.Delay = 2;
    g.Frames.push_back(f);
  };
  frame(2, 2, 6, 4, 3, 3);
  frame(5, 4, 5, 5, -1, 2);
  frame(0, 0, 4, 4, 5, 1);
  frame(1, 5, 6, 4, -1, 3);
  frame(3, 1, 4, 4, 2, 1);
  const std::string data = corpus::WriteOurs(g);
  const QRgb bg = qRgb(10, 20, 30);
  std::vector<QImage> expected;
  ASSERT_TRUE(corpus::ComposeGiflib(data, expected, bg));

  ClockScope scope;
  for (uint16_t target : {uint16_t(gif::goDirectDraw), uint16_t(0)}) {
    SCOPED_TRACE(target);
    gif::TGIFImage image;
    image.LoadFromData(data);
    image.DrawOptions = gif::goAnimate | gif::goTransparent | target;
    image.DrawBackgroundColor = 30u << 16 | 20u << 8 | 10u;
    QImage canvas(12, 10, QImage::Format_ARGB32);
    canvas.fill(bg);
    std::vector<QImage> shown;
    QPainter p(&canvas);
    image.OnAfterPaint = [&](gif::TGIFPainter*) { shown.push_back(canvas.copy()); };
    image.Draw(p, canvas.rect());
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], expected[i]) << "frame " << i;
  }
}

TEST(GifDraw, RenderingPalettesAndScaling) {
  corpus::Gif g = Frames({0});
  g.Frames[0].Transparent = 2;
  g.Frames[0].Left = 1;
  g.Frames[0].Width = 3;
  g.Frames[0].Pixels.resize(12);
  g.Frames[0].Pixels = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
  for (int depth : {8, 24}) {
    SCOPED_TRACE(depth);
    gif::SetDisplayDepth(depth);
    auto image = Load(g);
    image->Header.ColorMap.ImportPalette({qRgb(51, 102, 153), qRgb(255, 0, 0), qRgb(1, 2, 3), qRgb(40, 40, 40)});
    std::vector<std::string> progress;
    image->OnProgress = [&](int stage, int, bool, const std::string& m) {
      if (stage != 1) progress.push_back(m);
    };
    const QImage& bitmap = image->Frame(0).GetBitmap();
    EXPECT_EQ(progress, (std::vector<std::string>{"Rendering...", "Rendering..."}));
    ASSERT_TRUE(image->Frame(0).HasMask());
    EXPECT_EQ(image->Frame(0).Mask().pixelIndex(2, 0), 1);
    EXPECT_EQ(image->Frame(0).Mask().pixelIndex(0, 0), 0);
    EXPECT_EQ(qAlpha(bitmap.pixel(2, 0)), 0);
    EXPECT_EQ(bitmap.pixel(0, 0), qRgb(51, 102, 153));  // on the web palette: kept
    EXPECT_EQ(bitmap.pixel(1, 0), qRgb(255, 0, 0));
    if (depth == 8) {
      EXPECT_EQ(bitmap.colorCount(), 217);
      EXPECT_EQ(bitmap.pixelIndex(0, 0), 1 * 36 + 2 * 6 + 3);
      EXPECT_EQ(image->Frame(0).GetPalette().size(), 217);
      EXPECT_EQ(image->GetPalette().size(), 216);
    } else {
      EXPECT_EQ(bitmap.colorCount(), 256);
      EXPECT_EQ(image->GetPalette().size(), 4);
    }
    image->SetPalette({qRgb(1, 1, 1)});
    EXPECT_EQ(image->GetPalette(), QVector<QRgb>{qRgb(1, 1, 1)});
  }
  gif::SetDisplayDepth(0);

  // The frame is mapped into the rectangle in proportion; opaque drawing shows the
  // transparent colour.
  auto image = Load(g);
  EXPECT_EQ(image->Frame(0).ScaledRect(QRect(10, 20, 8, 8)), QRect(12, 20, 6, 8));
  QImage canvas(8, 8, QImage::Format_ARGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    image->DrawOptions = gif::GIFImageDefaultDrawOptions & ~gif::goTransparent;
    image->Draw(p, canvas.rect());
  }
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(6, 0), image->Frame(0).ColorTable()[2] | 0xFF000000);

  // Colour map imports.
  gif::TGIFColorMap map;
  const uint8_t quads[] = {1, 2, 3, 0, 4, 5, 6, 0};
  map.ImportDIBColors(quads, 2);
  ASSERT_EQ(map.Count(), 2);
  EXPECT_EQ(map.Data()[1], (gif::TGIFColor{6, 5, 4}));
}

TEST(GifDraw, AssignFromOtherPictures) {
  gif::TGIFImage image;
  std::vector<std::string> warnings;
  image.OnWarning = [&](gif::TGIFItem*, gif::TGIFSeverity, const std::string& m) { warnings.push_back(m); };
  // 1 bit.
  QImage mono(10, 2, QImage::Format_Mono);
  mono.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
  mono.fill(0);
  mono.setPixel(3, 1, 1);
  image.Assign(mono);
  ASSERT_EQ(image.Count(), 1);
  EXPECT_EQ(image.Frame(0).ColorMap.Count(), 2);
  EXPECT_EQ(image.Frame(0).Data()[13], 1);
  EXPECT_EQ(image.GetWidth(), 10);
  // 4 bits, as a DIB's rows.
  const uint8_t nibbles[] = {0x12, 0x3F, 0x45, 0x60};
  gif::TBitmapBits bits;
  bits.Width = 3;
  bits.Height = 2;
  bits.BitCount = 4;
  bits.Bits = nibbles;
  bits.Stride = 2;
  bits.ColorQuads.assign(16 * 4, 0);
  image.Frame(0).AssignBits(bits);
  EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(image.Frame(0).ColorMap.Count(), 16);
  // 8 bits.
  QImage indexed(3, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3)});
  indexed.setPixel(0, 0, 2);
  indexed.setPixel(1, 0, 0);
  indexed.setPixel(2, 0, 1);
  image.Assign(indexed);
  EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{2, 0, 1}));
  // 24 bits without reduction: the colours met; more than 256 overflow.
  image.ColorReduction = 0;
  QImage rgb(300, 1, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) rgb.setPixel(x, 0, qRgb(x % 3 * 100, 0, 0));
  image.Assign(rgb);
  EXPECT_EQ(image.Frame(0).ColorMap.Count(), 3);
  EXPECT_EQ(image.Frame(0).Data()[4], 1);
  for (int x = 0; x < 300; ++x) rgb.setPixel(x, 0, qRgb(x, x / 2, 0));
  EXPECT_THROW(
      try { image.Assign(rgb); } catch (const gif::GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
        throw;
      },
      gif::GIFException);
  // A picture with transparency: drawn on white and black, the difference is transparent.
  image.ColorReduction = 6;
  QImage icon(4, 4, QImage::Format_ARGB32);
  icon.fill(qRgb(0, 51, 102));
  icon.setPixel(1, 1, qRgba(0, 0, 0, 0));
  gif::TGIFImage fromIcon;
  fromIcon.Assign(QIcon(QPixmap::fromImage(icon)));
  ASSERT_EQ(fromIcon.Count(), 1);
  gif::TGIFSubImage& f = fromIcon.Frame(0);
  ASSERT_TRUE(f.Transparent);
  EXPECT_EQ(f.Data()[5], f.GraphicControlExtension->TransparentColorIndex);
  EXPECT_EQ(f.ColorMap.Data()[f.Data()[0]], (gif::TGIFColor{0, 51, 102}));
  // A copy of another image, and its bitmap.
  gif::TGIFImage copy;
  copy.Assign(&fromIcon);
  EXPECT_EQ(copy.Frame(0).Data(), f.Data());
  EXPECT_TRUE(copy.Frame(0).Transparent);
  QImage bitmap;
  copy.AssignTo(bitmap);
  EXPECT_EQ(bitmap.size(), QSize(4, 4));
  EXPECT_TRUE(copy.Equals(&copy));
  EXPECT_FALSE(copy.Equals(&fromIcon));
  // Size setters and frame bounds.
  EXPECT_THROW(copy.SetWidth(3), gif::GIFException);
  EXPECT_THROW(copy.SetHeight(3), gif::GIFException);
  copy.SetWidth(9);
  EXPECT_EQ(copy.GetWidth(), 9);
  copy.OnWarning = image.OnWarning;
  copy.Frame(0).SetBounds(0, 0, 400, 1);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Image width too small for contained frames",
                                                "Image exceeds Logical Screen size"}));
  EXPECT_EQ(copy.GetWidth(), 400);
}

TEST(GifDraw, ClipboardRoundTrip) {
  auto image = Load(Frames({5, 6}));
  image->SaveToClipboardFormat();
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(mime && mime->hasFormat("image/gif") && mime->hasImage());
  gif::TGIFImage pasted;
  pasted.LoadFromClipboardFormat();
  ASSERT_EQ(pasted.Count(), 2);
  EXPECT_EQ(pasted.Frame(1).Data(), image->Frame(1).Data());
  EXPECT_EQ(pasted.Frame(1).GraphicControlExtension->Delay, 6);

  QImage picture(3, 2, QImage::Format_RGB32);
  picture.fill(qRgb(255, 0, 0));
  QGuiApplication::clipboard()->setImage(picture);
  pasted.LoadFromClipboardFormat();
  ASSERT_EQ(pasted.Count(), 1);
  EXPECT_EQ(pasted.Frame(0).Width, 3);
  QGuiApplication::clipboard()->setText("text");
  EXPECT_THROW(
      try { pasted.LoadFromClipboardFormat(); } catch (const gif::GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported clipboard format");
        throw;
      },
      gif::GIFException);
}

TEST(GifDraw, PngDrawsAtTheCanvasCorner) {
  QImage source(3, 2, QImage::Format_RGB32);
  source.fill(qRgb(0, 200, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  source.save(&buffer, "PNG");
  pngimage::TPngGraphic png;
  png.LoadFromStream(bytes.toStdString());
  QImage canvas(8, 8, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    png.Draw(p, QRect(4, 4, 4, 4));
  }
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 200, 0));
  EXPECT_EQ(canvas.pixel(2, 1), qRgb(0, 200, 0));
  EXPECT_EQ(canvas.pixel(3, 2), qRgb(255, 255, 255));
}

}  // namespace
