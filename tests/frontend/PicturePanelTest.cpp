#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include "codecs/GifCorpus.h"
#include "codecs/JpegCorpus.h"
#include "codecs/WmfCorpus.h"
#include "codecs/PictureFormats.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/PictureLayout.h"
#include "platform/Files.h"

using pictures::ComputeLayout;

TEST(PictureRules, NumbersNamesLayoutAndDelay) {
  using pictures::GetPictureNumber;
  EXPECT_EQ(GetPictureNumber("/p/PACMAN.PNG", "PACMAN"), -1);
  EXPECT_EQ(GetPictureNumber("/p/pacman0003.png", "PACMAN"), 3);
  EXPECT_EQ(GetPictureNumber("/p/PACM0012.GIF", "PACMAN"), 12);  // the short form
  EXPECT_EQ(GetPictureNumber("/p/KOF2000.PNG", "KOF2000"), -1);   // not a number of its own
  EXPECT_EQ(GetPictureNumber("/p/KOF20000001.PNG", "KOF2000"), 1);
  EXPECT_EQ(GetPictureNumber("/p/GALAGA0001.PNG", "PACMAN"), -1);
  EXPECT_EQ(pictures::MakePictureName("/p/PACMAN.PNG", 7, false), "PACMAN0007");
  EXPECT_EQ(pictures::MakePictureName("PACMAN", 7, true), "PACM0007");
  EXPECT_EQ(pictures::MakePictureName("PACMAN", -1, true), "PACMAN");

  struct Case {
    int w, h, aw, ah;
    const char* zoom;
    bool stretch;
    int rw, rh, left, top;
    const char* text;
  } cases[] = {
      {100, 100, 300, 300, "400%", false, 200, 200, 50, 50, "400%"},
      {100, 100, 300, 300, "abc", false, 300, 300, 0, 0, "Automatic"},
      {100, 50, 300, 300, "Automatic", false, 300, 150, 0, 75, "Automatic"},
      {100, 100, 300, 300, "0%", false, 300, 300, 0, 0, "Automatic"},
      {100, 100, 300, 300, "-50", false, 300, 300, 0, 0, "Automatic"},
      {100, 100, 300, 300, "9999999%", false, 300, 300, 0, 0, "Automatic"},
      {640, 480, 300, 200, "100%", false, 640, 480, -170, -140, "100%"},
      {64, 48, 300, 200, "50", true, 300, 200, 0, 0, "50"},
  };
  for (const Case& c : cases) {
    pictures::Layout l = ComputeLayout(c.w, c.h, c.aw, c.ah, c.zoom, c.stretch);
    EXPECT_EQ(l.width, c.rw) << c.zoom;
    EXPECT_EQ(l.height, c.rh) << c.zoom;
    EXPECT_EQ(l.left, c.left) << c.zoom;
    EXPECT_EQ(l.top, c.top) << c.zoom;
    EXPECT_EQ(l.zoomText, c.text) << c.zoom;
  }
  // A 641-pixel picture in a 300-pixel area reaches both of its edges.
  EXPECT_EQ(pictures::DragPosition(-170, -500, 300, 641), -341);
  EXPECT_EQ(pictures::DragPosition(-170, 500, 300, 641), 0);
  EXPECT_EQ(pictures::DragPosition(5, 40, 300, 200), 5);
  EXPECT_EQ(pictures::SlideshowInterval("0.1", 4000), 250);
  EXPECT_EQ(pictures::SlideshowInterval("0", 4000), 4000);
  EXPECT_EQ(pictures::SlideshowInterval("2", 4000), 2000);
}

namespace {

struct PictureWindow : MainWindowHarness {
  TempDir snap, titles;
  PictureWindow() {
    Make();
    LoadGames({"PACMAN", "PUCKMAN", "GALAGA", "KOF2000"}, home.path());
    Game("PUCKMAN")->CloneOf = "PACMAN";
    w().PictureTabs = {snap.path(), titles.path()};
    w().SetPictureTabCaptions({"Snap", "Titles"});
    w().ScreenshotDisplay = 0;
  }
  TMainFRM& w() { return *window; }
  static void Picture(const TempDir& dir, const std::string& name, int width, const char* fmt) {
    QImage img(width, 10, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(QString::fromStdString(dir.file(name)), fmt));
  }
  void Select(const char* name) {
    w().SelectedGame = Game(name);
    w().FindPicture(w().SelectedGame);
  }
  std::string Shown() const { return plat::FileNameOf(window->CurrentPictureFile); }
};

}  // namespace

TEST(PicturePanel, LookupOrderNumbersAndSlideshow) {
  PictureWindow h;
  TMainFRM& w = h.w();
  PictureWindow::Picture(h.snap, "pacman.bmp", 20, "BMP");
  PictureWindow::Picture(h.snap, "PACMAN.PNG", 30, "PNG");
  h.Select("PACMAN");
  EXPECT_EQ(h.Shown(), "PACMAN.PNG");  // PNG before BMP, names without regard to case
  EXPECT_EQ(w.ShownPicture.width(), 30);
  EXPECT_EQ(w.ImageSize->text(), "30x10");
  EXPECT_FALSE(w.ScreenshotsForwACTN->isEnabled());
  // Selected again or its tab turned to, the unchanged file is not read again; a changed one is.
  h.Select("PACMAN");
  w.ScreenShotPGEChange();
  EXPECT_EQ(w.PictureReads, 1u);
  PictureWindow::Picture(h.snap, "PACMAN.PNG", 31, "PNG");
  h.Select("PACMAN");
  EXPECT_EQ(w.ShownPicture.width(), 31);

  h.Select("PUCKMAN");  // a clone without its own picture shows its parent's
  EXPECT_EQ(h.Shown(), "PACMAN.PNG");

  h.Select("GALAGA");  // nothing: the logo with its mark, and no size
  EXPECT_EQ(h.Shown(), "");
  EXPECT_FALSE(w.ShownPicture.isNull());
  EXPECT_EQ(w.ImageSize->text(), "");
  h.Select("PACMAN");  // the logo left nothing of the picture before it
  EXPECT_EQ(h.Shown(), "PACMAN.PNG");
  PictureWindow::Picture(h.snap, "NotFound.png", 12, "PNG");
  h.w().ScreenShotPGEChange();  // a tab change reads the folder again
  h.Select("GALAGA");
  EXPECT_EQ(h.Shown(), "NotFound.png");
  // The shown folder is watched: a picture added to it shows with no new selection.
  EXPECT_TRUE(w.PictureWatch->directories().contains(QString::fromStdString(h.snap.path())));
  PictureWindow::Picture(h.snap, "galaga.png", 13, "PNG");
  QMetaObject::invokeMethod(w.PictureWatchTMR, "timeout");
  EXPECT_EQ(h.Shown(), "galaga.png");

  // Numbered pictures: KOF2000's own name is not a number; the damaged one is stepped past.
  PictureWindow::Picture(h.snap, "KOF2000.PNG", 40, "PNG");
  h.snap.write("KOF20000000.PNG", "damaged");
  PictureWindow::Picture(h.snap, "KOF20000001.PNG", 42, "PNG");
  h.w().ScreenShotPGEChange();
  h.Select("KOF2000");
  EXPECT_EQ(h.Shown(), "KOF2000.PNG");
  EXPECT_TRUE(w.ScreenshotsForwACTN->isEnabled());
  EXPECT_FALSE(w.ScreenshotsBackACTN->isEnabled());
  w.ScreenshotsForwACTNExecute();
  w.ScreenshotsForwACTNExecute();
  EXPECT_EQ(h.Shown(), "KOF20000001.PNG");
  w.ScreenshotsBackACTNExecute();
  w.ScreenshotsBackACTNExecute();
  EXPECT_EQ(h.Shown(), "KOF2000.PNG");

  // The slideshow walks the numbers (the damaged one takes its turn), then the next tab with a
  // picture of the game; after each picture the timer waits its whole delay again.
  PictureWindow::Picture(h.titles, "KOF2000.GIF.PNG", 5, "PNG");  // not its name
  PictureWindow::Picture(h.titles, "kof2000.jpg", 50, "JPG");
  w.ScreenshotsSlideShowACTN->setChecked(true);
  auto fire = [&] {
    w.SlideShowTMR->stop();  // as it stops when it fires
    QMetaObject::invokeMethod(w.SlideShowTMR, "timeout");
    EXPECT_TRUE(w.SlideShowTMR->isActive());
  };
  fire();
  EXPECT_EQ(w.SnapShot->toolTip(), "Is not a valid PNG !");
  fire();
  EXPECT_EQ(h.Shown(), "KOF20000001.PNG");
  fire();
  EXPECT_EQ(h.Shown(), "kof2000.jpg");
  EXPECT_EQ(w.ScreenshotDisplay, 1);
  EXPECT_EQ(w.ScreenShotPGE->currentIndex(), 1);
  // The shared picture area moves to the tab the slideshow turned to.
  EXPECT_EQ(w.ImagePNL->parentWidget(), w.ScreenShotPGE->currentWidget());

  // Without a file manager the folder actions say so, as the viewer action does. Locating
  // asks the file manager, which answers when it showed the file; else the folder goes to the
  // desktop.
  struct Row { int answer; bool desktop; size_t opened, told; };
  for (const Row& r : {Row{0, false, 0, 0}, Row{1, true, 1, 0}, Row{1, false, 1, 1}}) {
    h.seam.processHandler = [&r](const std::string& line, bool, plat::WaitMode) {
      EXPECT_NE(line.find("ShowItems 'array:string:file:///"), std::string::npos) << line;
      plat::ProcessResult result;
      result.exitStatus = r.answer;
      return result;
    };
    h.seam.startResult = r.desktop;
    const size_t opened = h.seam.opened.size(), told = h.seam.messages.size();
    w.ScreenshotsLocateImageACTNExecute();
    EXPECT_EQ(h.seam.opened.size(), opened + r.opened) << r.answer << r.desktop;
    EXPECT_EQ(h.seam.messages.size(), told + r.told) << r.answer << r.desktop;
  }
  const size_t told = h.seam.messages.size();
  w.ScreenshotsOpenImageDirACTNExecute();
  EXPECT_EQ(h.seam.messages.size(), told + 1);
}

TEST(PicturePanel, ZoomPaintsOnlyThePartInView) {
  PictureWindow h;
  TMainFRM& w = h.w();
  w.ImagePNL->resize(300, 200);
  PictureWindow::Picture(h.snap, "PACMAN.PNG", 400, "PNG");
  h.Select("PACMAN");
  w.UserZoom->setCurrentText("2400%");
  w.DisplayPicture();
  EXPECT_GT(w.SnapShot->width(), 1900);
  // No scaled copy of the whole picture is kept; the panel still shows it.
  EXPECT_TRUE(w.SnapShot->pixmap().isNull());
  const QImage shown = w.ImagePNL->grab().toImage();
  EXPECT_EQ(shown.pixelColor(150, w.SnapShot->y() + w.SnapShot->height() / 2), QColor(Qt::green));
}

// An ordinary photo of each format at a usual size shows, a metafile holding one too.
TEST(PicturePanel, PhotosOfEveryFormatShow) {
  constexpr int kW = 2000, kH = 1500;
  QImage photo(kW, kH, QImage::Format_RGB32);
  for (int y = 0; y < kH; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < kW; ++x) line[x] = qRgb(x * 255 / kW, y * 255 / kH, (x ^ y) & 255);
  }
  auto saved = [&](const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(photo.save(&buffer, format, 90));
    return bytes.toStdString();
  };
  // The photo as a 24-bit bitmap stretched over the metafile's frame.
  std::string dib = wmfcorpus::Dword(40) + wmfcorpus::Dword(kW) + wmfcorpus::Dword(kH) +
                    wmfcorpus::Word(1) + wmfcorpus::Word(24) + std::string(24, '\0');
  for (int y = kH - 1; y >= 0; --y)
    for (int x = 0; x < kW; ++x) {
      const QRgb p = photo.pixel(x, y);
      dib += {char(qBlue(p)), char(qGreen(p)), char(qRed(p))};
    }
  using wmfcorpus::Word;
  const std::string stretch = wmfcorpus::Dword(uint32_t(14 + dib.size() / 2)) + Word(0x0F43) +
                              wmfcorpus::Dword(0x00CC0020) + Word(0) + Word(kH) + Word(kW) +
                              Word(0) + Word(0) + Word(kH) + Word(kW) + Word(0) + Word(0) + dib;
  const struct {
    const char* Name;
    std::string Data;
  } files[] = {
      {"GALAGA.BMP", saved("BMP")},
      {"GALAGA.JPG", saved("JPEG")},
      {"GALAGA.GIF", corpus::WriteOurs(corpus::OneFrame(kW, kH, 256, 7))},
      {"GALAGA.PNG", saved("PNG")},
      {"GALAGA.WMF", wmfcorpus::Placeable(kW, kH, 96, stretch)},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.Name);
    if (plat::ExtensionOf(f.Name) == ".WMF" && !codecs::HaveMetafiles()) continue;
    PictureWindow h;
    h.snap.write(f.Name, f.Data);
    h.Select("GALAGA");
    EXPECT_EQ(h.Shown(), f.Name);
    EXPECT_EQ(h.w().SnapShot->toolTip(), "");
    if (f.Name != std::string("GALAGA.WMF")) {
      EXPECT_EQ(h.w().ImageSize->text(), "2000x1500");
    }
  }
}

TEST(PicturePanel, DamagedPictureShowsTheLogo) {
  // A damaged file, an empty one, a lone file header and JPEG files of endless scans: the
  // logo with the "cannot read" mark and the reason; the slideshow goes on to the next.
  const struct {
    const char* Name;
    std::string Data;
    const char* Reason;
  } files[] = {
      {"GALAGA.PNG", "\x89PNG\r\n\x1a\ntruncated", "Stream read error"},
      {"GALAGA.BMP", "", "The file holds no picture"},
      {"GALAGA.BMP", std::string("BM\x0e\0\0\0\0\0\0\0\x0e\0\0\0", 14),
       "The file holds no picture"},
      {"GALAGA.JPG",
       jpegcorpus::RepeatLastScan(
           jpegcorpus::Write({64, 64, JCS_RGB, true, false, 0, false, true}), 1000),
       "Inconsistent progression sequence for component 0 coefficient 1"},
      {"GALAGA.JPG", jpegcorpus::Write({16, 16, JCS_RGB, true, false, 0, true}),
       "Too many scans for the image size"}};
  QImage last;  // and its reason
  std::string lastReason;
  for (const auto& f : files) {
    SCOPED_TRACE(f.Reason);
    PictureWindow h;
    h.snap.write(f.Name, f.Data);
    PictureWindow::Picture(h.snap, "GALAGA0000.PNG", 8, "PNG");
    h.Select("GALAGA");
    EXPECT_EQ(h.Shown(), "");
    const QImage mark = h.w().ShownPicture;
    ASSERT_FALSE(mark.isNull());
    EXPECT_EQ(h.w().SnapShot->toolTip(), f.Reason);
    EXPECT_EQ(mark == last, f.Reason == lastReason);  // the reason drawn with the mark
    last = mark;
    lastReason = f.Reason;
    EXPECT_EQ(h.w().ImageSize->text(), "");
    EXPECT_TRUE(h.seam.messages.empty());
    h.Select("GALAGA");  // the mark again, the file not read again
    EXPECT_EQ(h.w().PictureReads, 1u);
    EXPECT_EQ(h.w().ShownPicture, mark);
    h.w().SlideShowTMRTimer();
    EXPECT_EQ(h.Shown(), "GALAGA0000.PNG");
    EXPECT_EQ(h.w().SnapShot->toolTip(), "");
  }
}

namespace {
// A picture format whose reading looks at what the panel still holds.
struct ProbePicture : codecs::TGraphic {
  static inline std::function<void()> OnLoad;
  void LoadFromFile(const std::string&) override { OnLoad(); }
  bool GetEmpty() const override { return false; }
  int GetWidth() const override { return 8; }
  int GetHeight() const override { return 8; }
  QImage ToImage() override {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img;
  }
};
}  // namespace

TEST(PicturePanel, TheShownPictureGoesBeforeTheNextIsRead) {
  PictureWindow h;
  PictureWindow::Picture(h.snap, "PACMAN.PNG", 30, "PNG");
  h.snap.write("GALAGA.WMF", "probe");
  h.Select("PACMAN");
  QImage shown = h.w().ShownPicture;
  bool panelHeldIt = true;
  ProbePicture::OnLoad = [&] { panelHeldIt = !shown.isDetached(); };
  codecs::RegisterFileFormat("WMF", "Probe", [] {
    return std::unique_ptr<codecs::TGraphic>(new ProbePicture);
  });
  h.Select("GALAGA");
  if (codecs::HaveMetafiles())
    codecs::RegisterFileFormat("WMF", "Metafiles", &codecs::CreateMetafile);
  else
    codecs::UnregisterFileFormat("WMF");
  EXPECT_FALSE(panelHeldIt);
  EXPECT_EQ(h.Shown(), "GALAGA.WMF");
  EXPECT_EQ(h.w().ShownPicture.pixel(1, 1), qRgb(255, 0, 0));
}
