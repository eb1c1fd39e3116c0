// The picture panel: the selected game's picture of the selected tab, zoom, dragging,
// numbered pictures, the slideshow and the shell actions on the shown file.
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileSystemWatcher>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTabWidget>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include "codecs/PictureFormats.h"
#include "frontend/PictureLayout.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {

const char* const kExtensions[] = {".WMF", ".BMP", ".GIF", ".JPG", ".PNG"};

// The program's logo, shown when there is no picture.
QImage Logo() {
  QImage img(320, 240, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient g(0, 0, 0, 240);
  g.setColorAt(0, QColor(24, 36, 72));
  g.setColorAt(1, QColor(8, 10, 24));
  p.fillRect(img.rect(), g);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(230, 180, 60), 3));
  p.drawEllipse(QPoint(160, 100), 56, 56);
  QFont f("Times New Roman", 40, QFont::Bold);
  p.setFont(f);
  p.setPen(QColor(250, 250, 250));
  p.drawText(QRect(0, 160, 320, 60), Qt::AlignCenter, "Velmora");
  p.setPen(QColor(230, 180, 60));
  p.drawText(QRect(104, 44, 112, 112), Qt::AlignCenter, "V");
  return img;
}

// The missing-picture mark: a red disc with a white cross on a transparent corner colour.
QImage MissingMark() {
  QImage img(32, 32, QImage::Format_RGB32);
  img.fill(QColor(255, 0, 255));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(200, 20, 20));
  p.setPen(QPen(Qt::white, 2));
  p.drawEllipse(QRect(2, 2, 27, 27));
  p.setPen(QPen(Qt::white, 4));
  p.drawLine(10, 10, 21, 21);
  p.drawLine(21, 10, 10, 21);
  return img;
}

// White text with a black shadow, readable on the logo's dark and light parts.
void DrawShadowedText(QPainter& p, const QRect& box, const QString& text) {
  p.setPen(Qt::black);
  p.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, text);
  p.setPen(Qt::white);
  p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

// Reads any picture format the program knows by its extension: GIF and PNG through our
// picture classes, the others through their registered formats. A file that holds no
// picture (an empty one, a lone file header) cannot be read either.
bool ReadPicture(const std::string& path, QImage& out, std::string& error) {
  if (!codecs::LoadPicture(path, out, error)) return false;
  if (!out.isNull()) return true;
  error = "The file holds no picture";
  return false;
}

// Mouse and size events of the picture go to the main window.
class PictureEvents : public QObject {
 public:
  explicit PictureEvents(TMainFRM* main) : QObject(main), main_(main) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
        if (watched == main_->SnapShot) main_->SnapShotMouseDown(static_cast<QMouseEvent*>(e));
        break;
      case QEvent::MouseMove:
        if (watched == main_->SnapShot) main_->SnapShotMouseMove(static_cast<QMouseEvent*>(e));
        break;
      case QEvent::MouseButtonRelease:
        if (watched == main_->SnapShot) main_->SnapShotMouseUp(static_cast<QMouseEvent*>(e));
        break;
      case QEvent::Resize:
        if (watched == main_->ImagePNL) main_->DisplayPicture();
        break;
      case QEvent::Paint:
        if (watched == main_->SnapShot) {
          PaintVisiblePart(static_cast<QPaintEvent*>(e)->rect());
          return true;
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  // Only the part of the picture in view is scaled, when it is painted.
  void PaintVisiblePart(const QRect& dirty) {
    QLabel* label = main_->SnapShot;
    const QImage& img = main_->ShownPicture;
    const QRect r = dirty & QRect(-label->pos(), main_->ImagePNL->size());
    if (img.isNull() || r.isEmpty() || label->width() < 1 || label->height() < 1) return;
    const double sx = double(img.width()) / label->width(),
                 sy = double(img.height()) / label->height();
    QPainter p(label);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(r), img, QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy));
  }

  TMainFRM* main_;
};

// The label shows its tool tip (the picture's whole file name) shortened to its width.
void FitPathLabel(QLabel* label) {
  label->setText(label->fontMetrics().elidedText(label->toolTip(), Qt::ElideMiddle,
                                                 std::max(label->width(), 80)));
}

// The file name is shortened again at every width.
class PathLabelFit : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Resize)
      if (auto* label = qobject_cast<QLabel*>(watched); label && !label->toolTip().isEmpty())
        FitPathLabel(label);
    return false;
  }
};

}  // namespace

void TMainFRM::CreatePicturePanel() {
  auto* events = new PictureEvents(this);
  SnapShot->installEventFilter(events);
  ImagePNL->installEventFilter(events);
  connect(SlideShowTMR, &QTimer::timeout, this, [this] {
    Guarded([this] { SlideShowTMRTimer(); });
    // The next picture comes a whole delay after this one showed, however long it took to
    // read: the user's input gets its turn in between.
    if (ScreenshotsSlideShowACTN->isChecked()) SlideShowTMR->start();
  });
  connect(ScreenShotPGE, &QTabWidget::currentChanged, this,
          [this] { Guarded([this] { ScreenShotPGEChange(); }); });
  connect(UserZoom, QOverload<int>::of(&QComboBox::activated), this,
          [this] { Guarded([this] { DisplayPicture(); }); });
  // A picture saved or copied into the shown folder shows once the folder is quiet again.
  PictureWatch = new QFileSystemWatcher(this);
  PictureWatchTMR = new QTimer(this);
  PictureWatchTMR->setSingleShot(true);
  PictureWatchTMR->setInterval(300);
  auto changed = [this] { PictureWatchTMR->start(); };
  connect(PictureWatch, &QFileSystemWatcher::directoryChanged, this, changed);
  connect(PictureWatch, &QFileSystemWatcher::fileChanged, this, changed);
  connect(PictureWatchTMR, &QTimer::timeout, this, [this] { Guarded([this] { RenewPictures(); }); });
  LoadPicture("");
  ImagePath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  ImagePath->installEventFilter(new PathLabelFit(ImagePath));
}

plat::FolderIndex& TMainFRM::PictureFolder(const std::string& folder) {
  auto& index = pictureFolders_[folder];
  if (!index) index = std::make_unique<plat::FolderIndex>(folder);
  return *index;
}

std::string TMainFRM::FindPictureFile(const std::string& baseName, const std::string& folder) {
  if (folder.empty() || baseName.empty()) return {};
  plat::FolderIndex& index = PictureFolder(folder);
  index.RenewIfChanged();  // a picture added since the folder was read is found
  std::string found;
  for (const char* ext : kExtensions)
    if (auto path = index.Find(baseName + ext); path && plat::FileExists(*path)) found = *path;
  return found;
}

std::string TMainFRM::PictureTabFolder() const {
  if (PictureTabs.empty() || ScreenshotDisplay >= PictureTabs.size()) return {};
  const std::string& folder = PictureTabs[ScreenshotDisplay];
  if (folder.empty()) return {};
  // Relative folders are the emulator folder's.
  return plat::WithSlash(folder[0] == '/' ? folder : plat::JoinPath(EmulatorDir, folder));
}

void TMainFRM::FindPicture(const GameRecord* game) {
  const std::string folder = PictureTabFolder();
  if (!game || folder.empty()) {
    LoadPicture("");
    return;
  }
  std::string file = FindPictureFile(game->Name.str(), folder);
  if (file.empty() && !game->CloneOf.str().empty())
    file = FindPictureFile(game->CloneOf.str(), folder);
  if (file.empty()) file = FindPictureFile("NOTFOUND", folder);
  LoadPicture(file);
  if (file.empty()) DrawMissingImage("Image not found");
}

void TMainFRM::LoadPicture(const std::string& file) {
  QImage img;
  std::string error;
  auto stamp = file.empty() ? decltype(shownStamp_)() : std::pair(file, plat::StampOf(file));
  // The picture on show (or its mark) stays while its file is unchanged: the same game is
  // selected more than once at start-up, and a slow file is read once.
  if (file.empty() || stamp != shownStamp_) {
    shownStamp_ = std::move(stamp);
    // The panel holds one picture: the shown one goes before the next is decoded.
    ShownPicture = QImage();
    if (file.empty()) {
      ShownPicture = Logo();
      CurrentPictureFile.clear();
    } else if (++PictureReads; !ReadPicture(file, img, error)) {
      // A damaged picture shows the logo with its own mark and the reason.
      ShownPicture = Logo();
      CurrentPictureFile.clear();
      DrawMissingImage("Cannot read image", error);
    } else {
      ShownPicture = img;
      CurrentPictureFile = file;
    }
    // The whole reason, where the drawn one is cut short.
    SnapShot->setToolTip(plat::FromLocal(error));
  }
  ScreenshotsBackACTN->setEnabled(false);
  ScreenshotsForwACTN->setEnabled(false);
  if (!shownStamp_.first.empty() && SelectedGame) {
    const std::string set = SelectedGame->Name.str();
    const int32_t n = pictures::GetPictureNumber(shownStamp_.first, set);
    ScreenshotsBackACTN->setEnabled(n >= 0);
    ScreenshotsForwACTN->setEnabled(!NumberedPicture(n + 1).empty());
  }
  WatchPictures();
  DisplayPicture();
}

void TMainFRM::WatchPictures() {
  // A picture that was read while it was being written shows whole once the writing ends.
  if (!PictureWatch) return;
  QStringList want;
  for (const std::string& path : {PictureTabFolder(), shownStamp_.first})
    if (plat::DirExists(path) || plat::FileExists(path)) want << plat::FromLocal(path);
  const QStringList have = PictureWatch->directories() + PictureWatch->files();
  QStringList gone, added;
  for (const QString& path : have)
    if (!want.contains(path)) gone << path;
  for (const QString& path : want)
    if (!have.contains(path)) added << path;
  if (!gone.isEmpty()) PictureWatch->removePaths(gone);
  if (!added.isEmpty()) PictureWatch->addPaths(added);
}

void TMainFRM::RenewPictures() {
  pictureFolders_.clear();  // read again at the next lookup
  if (!SelectedGame) return;
  // A numbered picture being looked at stays; any other is looked up again (the game's own
  // may have come in place of its parent's or the not-found picture).
  const std::string shown = shownStamp_.first;
  if (!shown.empty() && plat::FileExists(shown) &&
      pictures::GetPictureNumber(shown, SelectedGame->Name.str()) >= 0)
    LoadPicture(shown);
  else
    FindPicture(SelectedGame);
}

std::string TMainFRM::NumberedPicture(int32_t number) {
  if (!SelectedGame || shownStamp_.first.empty()) return {};
  const std::string folder = plat::DirectoryOf(shownStamp_.first);
  const std::string set = SelectedGame->Name.str();
  std::string f = FindPictureFile(pictures::MakePictureName(set, number, false), folder);
  if (f.empty()) f = FindPictureFile(pictures::MakePictureName(set, number, true), folder);
  return f;
}

void TMainFRM::DisplayPicture() {
  const int aw = ImagePNL->width(), ah = ImagePNL->height();
  const bool stretch = ScreenshotsShowStretchACTN->isChecked();
  const pictures::Layout l =
      pictures::ComputeLayout(ShownPicture.width(), ShownPicture.height(), aw, ah,
                              plat::ToAnsi(UserZoom->currentText()), stretch);
  // The logo is no picture of the game: it has no size to show.
  if (!CurrentPictureFile.empty() && ShownPicture.width() >= 1 && ShownPicture.height() >= 1) {
    ImageSize->setText(QString("%1x%2").arg(ShownPicture.width()).arg(ShownPicture.height()));
    if (!stretch) UserZoom->setCurrentText(plat::FromAnsi(l.zoomText));
  } else {
    ImageSize->clear();
  }
  // The label only places the picture; its paint scales the part in view.
  SnapShot->setGeometry(l.left, l.top, l.width, l.height);
  SnapShot->update();
  PictureOverflowX = l.overflowX;
  PictureOverflowY = l.overflowY;
  if (l.overflowX < 0 || l.overflowY < 0) {
    SnapShot->setCursor(l.overflowX < 0 && l.overflowY < 0 ? Qt::SizeAllCursor
                        : l.overflowX < 0                  ? Qt::SizeHorCursor
                                                           : Qt::SizeVerCursor);
    ImagePNL->setToolTip("Drag to reposition; right-click for options");
  } else {
    SnapShot->setCursor(Qt::ArrowCursor);
    ImagePNL->setToolTip("Right-click for options");
  }
  const QString path = CurrentPictureFile.empty() ? QString("No image loaded")
                                                  : plat::FromLocal(CurrentPictureFile);
  ImagePath->setToolTip(path);
  FitPathLabel(ImagePath);
  const bool file = !CurrentPictureFile.empty();
  for (QAction* a : {ScreenshotsOpenImageDirACTN, ScreenshotsLocateImageACTN,
                     ScreenshotsOpenImageInEditorACTN})
    a->setEnabled(file);
  UserZoom->setEnabled(ProfileLoaded && !stretch);
}

void TMainFRM::DrawMissingImage(const std::string& text, const std::string& reason) {
  const QImage mark = MissingMark();
  QPainter p(&ShownPicture);
  const int top = ShownPicture.height() - 5 - mark.height();
  const QRgb clear = mark.pixel(0, 0);
  for (int y = 0; y < mark.height(); ++y)
    for (int x = 0; x < mark.width(); ++x)
      if (mark.pixel(x, y) != clear) {
        p.setPen(QColor::fromRgb(mark.pixel(x, y)));
        p.drawPoint(5 + x, top + y);
      }
  QFont f("Times New Roman");
  f.setBold(true);
  f.setPixelSize(mark.height());
  p.setFont(f);
  const QRect box(mark.width() + 10, top, ShownPicture.width(), mark.height() + 8);
  DrawShadowedText(p, box, QString::fromStdString(text));
  // The reason in at most two lines above the logo's ring, cut short in the middle (its end
  // tells why a file named before it failed).
  f.setPixelSize(15);
  p.setFont(f);
  const int width = ShownPicture.width() - 16, lineHeight = p.fontMetrics().height();
  QTextLayout layout(plat::FromLocal(reason), f);
  QTextOption wrap;
  wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(wrap);
  layout.beginLayout();
  for (int n = 0; n < 2; ++n) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    const QString rest = layout.text().mid(line.textStart(), n == 1 ? -1 : line.textLength());
    DrawShadowedText(p, QRect(8, 4 + n * lineHeight, width, lineHeight),
                     p.fontMetrics().elidedText(rest.trimmed(), Qt::ElideMiddle, width));
  }
  layout.endLayout();
  p.end();
  DisplayPicture();
}

void TMainFRM::ScreenShotPGEChange() {
  pictureFolders_.clear();  // the folders are read again
  if (ScreenShotPGE->currentIndex() >= 0)
    ScreenshotDisplay = static_cast<uint8_t>(ScreenShotPGE->currentIndex());
  if (SelectedGame) FindPicture(SelectedGame);
}

void TMainFRM::StepPicture(int delta) {
  if (!ProfileLoaded || !SelectedGame || shownStamp_.first.empty()) return;
  const int32_t n = pictures::GetPictureNumber(shownStamp_.first, SelectedGame->Name.str());
  const std::string f = NumberedPicture(std::max(n + delta, -1));
  if (!f.empty()) LoadPicture(f);
}

void TMainFRM::ScreenshotsForwACTNExecute() { StepPicture(1); }
void TMainFRM::ScreenshotsBackACTNExecute() { StepPicture(-1); }

void TMainFRM::ScreenshotsSlideShowACTNExecute() {
  ScreenshotsSlideShowACTN->isChecked() ? SlideShowTMR->start() : SlideShowTMR->stop();
}

void TMainFRM::ScreenshotsShowStretchACTNExecute() { DisplayPicture(); }

void TMainFRM::ManualZoomSelect(int index) {
  UserZoom->setCurrentIndex(index);
  DisplayPicture();
}

void TMainFRM::SlideShowTMRTimer() {
  if (!ProfileLoaded || !SelectedGame || PictureTabs.empty() || PictureTabFolder().empty()) return;
  // A damaged picture has had its turn too: the show goes on from it.
  std::string file;
  if (!shownStamp_.first.empty()) {
    const int32_t n = pictures::GetPictureNumber(shownStamp_.first, SelectedGame->Name.str());
    file = NumberedPicture(n + 1);
  }
  if (file.empty()) {
    const int count = static_cast<int>(PictureTabs.size());
    for (int step = 1; step <= count && file.empty(); ++step) {
      const int tab = (ScreenshotDisplay + step) % count;
      const std::string& f = PictureTabs[static_cast<size_t>(tab)];
      if (f.empty()) continue;
      const std::string folder = plat::WithSlash(f[0] == '/' ? f : plat::JoinPath(EmulatorDir, f));
      file = FindPictureFile(SelectedGame->Name.str(), folder);
      if (file.empty() && !SelectedGame->CloneOf.str().empty())
        file = FindPictureFile(SelectedGame->CloneOf.str(), folder);
      if (!file.empty() && tab != ScreenshotDisplay) {
        QSignalBlocker block(ScreenShotPGE);
        ScreenShotPGE->setCurrentIndex(tab);
        ScreenshotDisplay = static_cast<uint8_t>(tab);
        // The shared picture area follows the tab (the blocked signal would have moved it).
        if (QWidget* page = ScreenShotPGE->currentWidget(); page && page->layout())
          page->layout()->addWidget(ImagePNL);
      }
    }
  }
  if (!file.empty()) LoadPicture(file);
}

void TMainFRM::SnapShotMouseDown(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || PictureDragging) return;
  if (PictureOverflowX >= 0 && PictureOverflowY >= 0) return;
  dragStart_ = e->globalPosition().toPoint();
  dragOrigin_ = SnapShot->pos();
  PictureDragging = 1;
}

void TMainFRM::SnapShotMouseMove(QMouseEvent* e) {
  if (!PictureDragging) return;
  const QPoint travel = e->globalPosition().toPoint() - dragStart_;
  SnapShot->move(pictures::DragPosition(dragOrigin_.x(), travel.x(), ImagePNL->width(),
                                        SnapShot->width()),
                 pictures::DragPosition(dragOrigin_.y(), travel.y(), ImagePNL->height(),
                                        SnapShot->height()));
}

void TMainFRM::SnapShotMouseUp(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) PictureDragging = 0;
}

void TMainFRM::ScreenshotsOpenImageDirACTNExecute() {
  if (CurrentPictureFile.empty()) return;
  const std::string folder = plat::DirectoryOf(CurrentPictureFile);
  if (!plat::Ui().OpenWithDesktop(folder))
    ShowMessageBox("The folder could not be opened:\r" + folder, plat::MB_ICONERROR);
}

void TMainFRM::ScreenshotsLocateImageACTNExecute() {
  if (CurrentPictureFile.empty()) return;
  // The desktop's file manager selects the file, and answers when it did; without one the
  // folder goes to the desktop; without that either, the user is told.
  const std::string url =
      QUrl::fromLocalFile(plat::FromLocal(CurrentPictureFile)).toEncoded().toStdString();
  const plat::ProcessResult shown = plat::Ui().RunProcess(
      "dbus-send --session --print-reply --reply-timeout=15000 "
      "--dest=org.freedesktop.FileManager1 /org/freedesktop/FileManager1 "
      "org.freedesktop.FileManager1.ShowItems " +
          plat::ShellQuote("array:string:" + url) + " string:",
      false, plat::WaitMode::KeepPainting);
  if (shown.error == 0 && shown.exitStatus == 0) return;
  if (!plat::Ui().OpenWithDesktop(plat::DirectoryOf(CurrentPictureFile)))
    ShowMessageBox("No file manager could be found to show the picture:\r" + CurrentPictureFile,
                   plat::MB_ICONERROR);
}

void TMainFRM::ScreenshotsOpenImageInEditorACTNExecute() {
  if (!CurrentPictureFile.empty() && !plat::Ui().OpenWithDesktop(CurrentPictureFile))
    ShowMessageBox("The picture could not be opened:\r" + CurrentPictureFile, plat::MB_ICONERROR);
}
