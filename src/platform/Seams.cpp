#include "platform/Seams.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDateTime>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <QEventLoop>
#include <QInputEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QWidget>
#include <QWindow>
#include <exception>

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/SessionEnd.h"

namespace plat {

Seam::~Seam() = default;

bool RunGuarded(const std::function<void()>& handler,
                const std::function<void(const std::string&)>& report) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    report(*e.what() ? e.what() : "Unexpected error");
  } catch (...) {
    report("Unexpected error");
  }
  return false;
}

std::string NormalizeLineBreaks(const std::string& text) {
  std::string r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      r += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      r += text[i];
    }
  }
  return r;
}

int Seam::MessageBox(QWidget* parent, const std::string& title, const std::string& text,
                     unsigned flags) {
  return MessageBoxText(parent, title, FromAnsi(text), flags);
}

QWidget* MessageBoxOwner(QWidget* asker) {
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner) owner = asker ? asker->window() : QApplication::activeWindow();
  if (!owner || !owner->isVisible() || !owner->windowHandle() ||
      !owner->windowHandle()->isExposed())
    return nullptr;
  return owner;
}

int Seam::MessageBoxText(QWidget* parent, const std::string& title, const QString& text,
                         unsigned flags) {
  // Centred over its owner, or the screen without one.
  QMessageBox box(MessageBoxOwner(parent));
  box.setWindowTitle(FromAnsi(title));
  box.setText(QString(text).replace("\r\n", "\n").replace('\r', '\n'));
  switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct B { QMessageBox::StandardButton b; int id; };
  std::vector<B> buttons;
  switch (flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
      buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY},
                 {QMessageBox::Ignore, IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      if (flags & MB_SAVEDONTSAVE)
        buttons = {{QMessageBox::Save, IDYES}, {QMessageBox::Discard, IDNO},
                   {QMessageBox::Cancel, IDCANCEL}};
      else
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO},
                   {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL:
      buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
  }
  QMessageBox::StandardButtons set;
  for (auto& b : buttons) set |= b.b;
  box.setStandardButtons(set);
  box.setDefaultButton(buttons.front().b);
  if (QAbstractButton* discard = box.button(QMessageBox::Discard)) discard->setText("Do&n't save");
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) box.setEscapeButton(cancel);
  int r = box.exec();
  for (auto& b : buttons)
    if (r == b.b) return b.id;
  // Closed without a button: the cancel-like answer.
  for (auto& b : buttons)
    if (b.id == IDCANCEL || b.id == IDNO) return b.id;
  return buttons.front().id;
}

namespace {
struct QtFilters {
  QStringList entries;             // "Profiles (*.vrl) (*.VRL *.vrl)"
  std::vector<std::string> exts;   // each entry's first concrete extension, without the dot
};

// "Profiles (*.vrl)|*.VRL|All files|*.*" -> "Profiles (*.vrl) (*.VRL *.vrl)", "All files (*)"
QtFilters ToQtFilters(const std::string& filter) {
  QtFilters r;
  QStringList parts = FromAnsi(filter).split('|');
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList pats = parts[i + 1].split(';', Qt::SkipEmptyParts);
    QStringList all;
    std::string ext;
    for (const QString& p : pats) {
      QString t = p.trimmed();
      if (t == "*.*") t = "*";
      if (ext.empty() && t.startsWith("*.") && t.indexOf('*', 1) < 0 && !t.contains('?'))
        ext = ToAnsi(t.mid(2));
      all << t;
      if (t.toLower() != t) all << t.toLower();
      if (t.toUpper() != t) all << t.toUpper();
    }
    all.removeDuplicates();
    r.entries << parts[i] + " (" + all.join(' ') + ")";
    r.exts.push_back(ext);
  }
  return r;
}

// The size the user last left a file dialog at (none before the first one).
QSize lastFileDialogSize;

// The first file dialog is wide enough for the columns of its detail view; later ones open at
// the size the last one was left at; neither is larger than the screen.
QSize FileDialogSize(const QWidget& dialog) {
  QSize s = lastFileDialogSize.isValid() ? lastFileDialogSize : QSize(900, 560);
  if (const QScreen* screen = dialog.screen())
    s = s.boundedTo(screen->availableGeometry().size() * 9 / 10);
  return s.expandedTo(dialog.minimumSizeHint());
}

// The detail columns (size, type, date) as wide as what they show; the name column gives way
// when they would not fit beside it.
void FitFileColumns(QFileDialog& dialog) {
  auto* view = dialog.findChild<QTreeView*>("treeView");
  if (!view) return;
  QHeaderView* header = view->header();
  int others = 0;
  for (int c = 1; c < header->count(); ++c) {
    view->resizeColumnToContents(c);
    others += header->sectionSize(c);
  }
  const int room = view->viewport()->width() - others;
  if (header->sectionSize(0) > room) header->resizeSection(0, std::max(room, 160));
}

// Runs a file or folder dialog at its size, with its columns fitted, and keeps the size the
// user leaves it at.
int ExecSized(QFileDialog& dialog) {
  dialog.resize(FileDialogSize(dialog));
  QTimer::singleShot(0, &dialog, [&dialog] { FitFileColumns(dialog); });  // once laid out
  if (auto* files = dialog.findChild<QFileSystemModel*>())
    QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                     [&dialog] { FitFileColumns(dialog); });
  const int answer = dialog.exec();
  lastFileDialogSize = dialog.size();
  return answer;
}
}  // namespace

std::optional<std::string> Seam::FileDialog(QWidget* parent, FileDialogRequest& req) {
  QtFilters filters = ToQtFilters(req.filter);
  QString selected;
  if (req.filterIndex >= 1 && req.filterIndex <= filters.entries.size())
    selected = filters.entries[req.filterIndex - 1];
  QString filter = filters.entries.join(";;");
  QString start = FromLocal(req.initialDir);
  if (!req.fileName.empty()) start = FromLocal(JoinPath(req.initialDir, req.fileName));
  QFileDialog dialog(parent, FromAnsi(req.title), start, filter);
  if (!req.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(req.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(req.save            ? QFileDialog::AnyFile
                     : req.multiSelect ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
  if (!selected.isEmpty()) dialog.selectNameFilter(selected);
  if (ExecSized(dialog) != QDialog::Accepted) return std::nullopt;
  selected = dialog.selectedNameFilter();
  const QStringList files = dialog.selectedFiles();
  QString r = req.multiSelect ? files.join('\n') : files.value(0);
  if (r.isEmpty()) return std::nullopt;
  int chosen = static_cast<int>(filters.entries.indexOf(selected));
  if (chosen >= 0) req.filterIndex = chosen + 1;
  std::string path = ToLocal(r);
  if (req.save && ExtensionOf(path).empty()) {
    // A name typed without extension takes the chosen filter's, else the default one.
    std::string ext = chosen >= 0 ? filters.exts[static_cast<size_t>(chosen)] : std::string();
    if (ext.empty()) ext = req.defaultExt;
    if (!ext.empty()) path += "." + ext;
  }
  return path;
}

std::optional<std::string> Seam::FolderDialog(QWidget* parent, const std::string& title,
                                              const std::string& startDir) {
  QFileDialog dialog(parent, FromAnsi(title), FromLocal(startDir));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (ExecSized(dialog) != QDialog::Accepted) return std::nullopt;
  const QString r = dialog.selectedFiles().value(0);
  if (r.isEmpty()) return std::nullopt;
  return WithSlash(ToLocal(r));
}

int Seam::ShowModal(QWidget* window) {
  QPointer<QWidget> w(window);
  window->setProperty("modalResult", 0);
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
  window->raise();
  window->activateWindow();
  QEventLoop loop;
  while (w && w->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  if (!w) return 0;
  w->setWindowModality(Qt::NonModal);
  return w->property("modalResult").toInt();
}

bool Seam::PrintDialog(QWidget* parent, QPrinter& printer) {
  QPrintDialog dlg(&printer, parent);
  return dlg.exec() == QDialog::Accepted;
}

bool Seam::PrinterSetupDialog(QWidget* parent, QPrinter& printer) {
  QPageSetupDialog dlg(&printer, parent);
  return dlg.exec() == QDialog::Accepted;
}

bool Seam::FontDialog(QWidget* parent, QFont& font) {
  bool ok = false;
  QFont f = QFontDialog::getFont(&ok, font, parent);
  if (ok) font = f;
  return ok;
}

bool Seam::ColorDialog(QWidget* parent, QColor& color) {
  QColor c = QColorDialog::getColor(color, parent);
  if (!c.isValid()) return false;
  color = c;
  return true;
}

ProcessResult Seam::RunProcess(const std::string& commandLine, bool showWindow, WaitMode wait) {
  return RunCommandLine(commandLine, showWindow, wait);
}

bool Seam::StartDetached(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workDir) {
  QStringList list;
  for (const std::string& a : args) list << FromLocal(a);
  return QProcess::startDetached(FromLocal(program), list, FromLocal(workDir));
}

bool Seam::OpenWithDesktop(const std::string& target) {
  QUrl url(FromLocal(target));
  if (url.scheme().isEmpty() || url.scheme().size() == 1) url = QUrl::fromLocalFile(FromLocal(target));
  return QDesktopServices::openUrl(url);
}

int64_t Seam::NowMs() { return QDateTime::currentMSecsSinceEpoch(); }
int64_t Seam::MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t Seam::ThreadCpuMs() {
  timespec ts{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) != 0) return 0;
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

uint32_t Seam::Random(uint32_t range) {
  return range == 0 ? 0 : QRandomGenerator::global()->bounded(range);
}

namespace {
Seam g_real;
Seam* g_current = &g_real;

// The seam once the session ends: nothing waits for the user and nothing new is started;
// what a message box would have said goes to the error output.
class EndingSeam : public Seam {
 public:
  int MessageBoxText(QWidget*, const std::string& title, const QString& text,
                     unsigned flags) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(FromAnsi(title)),
                 qPrintable(QString(text).replace("\r\n", "\n").replace('\r', '\n')));
    switch (flags & 0x0F) {
      case MB_OKCANCEL: case MB_YESNOCANCEL: case MB_RETRYCANCEL: return IDCANCEL;
      case MB_ABORTRETRYIGNORE: return IDABORT;
      case MB_YESNO: return IDNO;
      default: return IDOK;
    }
  }
  std::optional<std::string> FileDialog(QWidget*, FileDialogRequest&) override { return {}; }
  std::optional<std::string> FolderDialog(QWidget*, const std::string&,
                                          const std::string&) override {
    return {};
  }
  int ShowModal(QWidget*) override { return 0; }
  bool PrintDialog(QWidget*, QPrinter&) override { return false; }
  bool PrinterSetupDialog(QWidget*, QPrinter&) override { return false; }
  bool FontDialog(QWidget*, QFont&) override { return false; }
  bool ColorDialog(QWidget*, QColor&) override { return false; }
  ProcessResult RunProcess(const std::string&, bool, WaitMode) override {
    ProcessResult r;
    r.error = ECANCELED;
    return r;
  }
  void PlaySound(const std::string&) override {}
  bool StartDetached(const std::string&, const std::vector<std::string>&,
                     const std::string&) override {
    return false;
  }
  bool OpenWithDesktop(const std::string&) override { return false; }
  int64_t NowMs() override { return g_current->NowMs(); }
  int64_t MonotonicMs() override { return g_current->MonotonicMs(); }
  int64_t ThreadCpuMs() override { return g_current->ThreadCpuMs(); }
  uint32_t Random(uint32_t range) override { return g_current->Random(range); }
};
EndingSeam g_ending;
}  // namespace

Seam& Ui() { return SessionEnding() ? g_ending : *g_current; }
void SetUi(Seam* seam) { g_current = seam ? seam : &g_real; }

void ProcessPendingEvents() {
  if (QCoreApplication::instance())
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {

bool IsUserInput(const QEvent* e) {
  switch (e->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

bool Eat(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) e->accept();  // taken: no shortcut fires
  return true;
}

class InputEater : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* e) override { return IsUserInput(e) && Eat(e); }
};

// Learns the display's event clock against the steady clock (the smallest delay seen) and
// drops input stamped up to a given moment.
class InputClock : public QObject {
 public:
  void DropUntilNow() {
    if (known_) dropUntil_ = SteadyMs() - offset_;
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (!IsUserInput(e) || e->type() == QEvent::ContextMenu) return false;
    const auto stamp = static_cast<int64_t>(static_cast<QInputEvent*>(e)->timestamp());
    if (stamp == 0) return false;  // made by the program, not the display
    const int64_t offset = SteadyMs() - stamp;
    // The display's clock went round or restarted: learn it again.
    if (known_ && (offset - offset_ > kDay || offset_ - offset > kDay)) {
      known_ = false;
      dropUntil_ = 0;
    }
    if (!known_ || offset < offset_) offset_ = offset;
    known_ = true;
    return stamp <= dropUntil_ && Eat(e);
  }

 private:
  static constexpr int64_t kDay = 24 * 3600 * 1000;
  static int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  bool known_ = false;
  int64_t offset_ = 0;
  int64_t dropUntil_ = 0;
};

QPointer<InputClock> g_clock;

}  // namespace

void WatchUserInput() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || g_clock) return;
  g_clock = new InputClock;
  g_clock->setParent(app);
  app->installEventFilter(g_clock);
}

void DropPendingUserInput() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (g_clock) g_clock->DropUntilNow();
  InputEater eater;
  app->installEventFilter(&eater);
  for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  app->removeEventFilter(&eater);
}

}  // namespace plat
