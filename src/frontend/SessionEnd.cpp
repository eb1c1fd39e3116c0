// The end of the desktop session made a close of the main window: what a close stores is
// stored, what runs is stopped and cleaned up, and nothing waits for the user.
#include "frontend/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QSessionManager>
#include <QThread>
#include <cstdlib>

#include "database/Working.h"
#include "frontend/FilterFile.h"
#include "frontend/Stats.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/SafeName.h"
#include "platform/Seams.h"
#include "platform/SessionEnd.h"

bool TMainFRM::HasUnsavedFilters() const {
  if (Filters)
    for (size_t i = 1; i < Filters->size(); ++i)
      if ((*Filters)[i] && (*Filters)[i]->Modified) return true;
  return false;
}

void TMainFRM::EndSession() {
  if (ending_) return;
  ending_ = true;
  plat::SetSessionEnding(true);
  // Stored first, before any window is touched: the display may be going too.
  Guarded([this] { KeepUnsavedFilters(); });
  StoreAtClose();
  closeAccepted_ = true;
  // The loops that show modal windows return; the work under them stops at its next check.
  for (int pass = 0; pass < 8 && QApplication::activePopupWidget(); ++pass)
    QApplication::activePopupWidget()->close();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || w == WorkingFRM || !w->isVisible() || !w->isModal()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(w))
      dialog->reject();
    else
      w->hide();
  }
  close();
}

void TMainFRM::EndAtExit() {
  plat::SetSessionEnding(true);
  plat::StopWaitedRun();
  if (playing_ && UseStats && PlayStats) {
    const int64_t seconds = (plat::Ui().MonotonicMs() - playing_->second) / 1000;
    stats::AddPlay(*PlayStats, playing_->first, seconds > 0 ? seconds : 0);
  }
  playing_.reset();
  if (!EmulatorDir.empty()) DeleteFolderTree(EmulatorDir + "$VRTEMP$");
  RemoveCaptureFile();
  if (!ending_) Guarded([this] { KeepUnsavedFilters(); });
  ending_ = true;
  StoreAtClose();
}

bool TMainFRM::CommitSessionData(bool mayAsk) {
  if (ending_) return true;  // all is stored at the end
  if (mayAsk) {
    if (!FormCloseQuery()) return false;
    // The session may go on after all: a later close asks about later changes.
    closeAccepted_ = false;
  }
  StoreAtClose();
  return true;
}

// Each unsaved filter goes to a new file in the filters folder, named after it, and its tab
// names that file from now on: the remembered filters open it at the next start. The filter's
// own file, if any, stays as it was. No progress window: the display may be gone.
void TMainFRM::KeepUnsavedFilters() {
  if (!Filters || !ProfileLoaded) return;
  const std::string folder = FiltersFolder();
  for (size_t i = 1; i < Filters->size(); ++i) {
    FilterDescriptor* f = (*Filters)[i].get();
    if (!f || !f->Modified) continue;
    std::string base = plat::ToLocal(plat::FromAnsi(plat::Trim(f->Name).substr(0, 80)));
    if (!plat::IsPlainName(base)) base = "Filter";
    base += " (not saved)";
    for (int n = 1; n <= 99; ++n) {
      const std::string name = base + (n > 1 ? " " + std::to_string(n) : "") + ".VRF";
      if (plat::FindNoCase(folder, name)) continue;
      std::string error;
      if (plat::WriteFileAtomic(folder + name, filterfile::Format(*f), &error)) {
        f->FileName = folder + name;
        f->Modified = 0;
      } else {
        ShowMessageBox("The \"" + f->Name + "\" filter could not be kept in " + folder + name +
                           ":\r" + error,
                       plat::MB_ICONERROR);
      }
      break;
    }
  }
}

namespace {
TSessionEndWatch* g_watch = nullptr;  // the one of the running program
}  // namespace

void TSessionEndWatch::AtExit() {
  TSessionEndWatch* watch = g_watch;
  g_watch = nullptr;
  if (watch && watch->main_) watch->main_->EndAtExit();
}

TSessionEndWatch::TSessionEndWatch(TMainFRM* main)
    : main_(main), signals_([this] { End(); }) {
  // The display or the session manager that goes away ends the process from under the event
  // loop (their libraries exit): what is running is then stopped and cleaned up all the same.
  static const bool atExit = std::atexit(&TSessionEndWatch::AtExit) == 0;
  if (atExit) g_watch = this;
  QCoreApplication* app = QCoreApplication::instance();
  app->installEventFilter(this);
  if (auto* gui = qobject_cast<QGuiApplication*>(app))
    connect(
        gui, &QGuiApplication::commitDataRequest, this,
        [this](QSessionManager& manager) {
          if (!main_) return;
          // Interaction is asked for only when there is something to ask.
          const bool mayAsk = main_->HasUnsavedFilters() && manager.allowsInteraction();
          const bool stored = main_->CommitSessionData(mayAsk);
          if (mayAsk) manager.release();
          if (!stored) manager.cancel();
        },
        Qt::DirectConnection);
}

TSessionEndWatch::~TSessionEndWatch() {
  if (g_watch == this) g_watch = nullptr;
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

void TSessionEndWatch::End() {
  if (main_) main_->EndSession();
  // Every event loop ends (and one started later ends at once); the program then ends as
  // after a close.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

bool TSessionEndWatch::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Quit && watched == QCoreApplication::instance() && main_ &&
      main_->isVisible() && !plat::SessionEnding()) {
    End();
    return true;
  }
  return false;
}
