// The keyboard over every window: Enter presses the default button, Escape cancels, and no two
// entries of a menu or a window share an access key.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTextEdit>
#include <functional>
#include <map>
#include <memory>

#include "database/NewMame.h"
#include "database/Report.h"
#include "frontend/About.h"
#include "frontend/InputQuery.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/NewFilterDialog.h"
#include "frontend/Preferences.h"
#include "frontend/Search.h"
#include "frontend/StatsWindow.h"
#include "frontend/SysInfo.h"
#include "frontend/TipOfTheDay.h"
#include "frontend/import.h"
#include "launch/Audio.h"
#include "launch/DosCmd.h"
#include "launch/MAMEdir.h"
#include "launch/Misc.h"
#include "launch/Video.h"
#include "verify/MameCd.h"
#include "verify/VerifyWindow.h"

namespace {

struct Dialog {
  const char* name;
  std::function<QWidget*(TMainFRM&)> make;
  const char* enterPresses;  // the button (name or caption) Enter presses; "" for none
  bool heldRepeats = false;  // a held Enter presses it again (find next)
};

const Dialog kDialogs[] = {
    {"video", [](TMainFRM& w) { return new TVideoFRM(&w); }, "OkBTN"},
    {"audio", [](TMainFRM& w) { return new TAudioFRM(&w); }, "OkBTN"},
    {"misc", [](TMainFRM& w) { return new TMiscFRM(&w); }, "OkBTN"},
    {"directories", [](TMainFRM& w) { return new TMAMEDirFRM(&w); }, "OkBTN"},
    {"command line",
     [](TMainFRM& w) {
       auto* d = new TCmdLineFRM;
       d->Main = &w;
       return d;
     },
     "OkBTN"},
    {"search",
     [](TMainFRM& w) {
       auto* d = new TSearchFRM(&w);
       d->Text2find->setText("Z");  // Ok needs a text
       return d;
     },
     "OkBTN"},
    {"import", [](TMainFRM&) { return new TFilterImportFRM; }, "OkBTN"},
    {"new filter", [](TMainFRM& w) { return new TNewFilterFRM(&w); }, "OkBTN"},
    {"new profile", [](TMainFRM&) { return new TNewMameFRM; }, "NextBTN"},
    {"input", [](TMainFRM&) { return new TInputQueryFRM("Velmora", "Name:", "x"); }, "OkBTN"},
    {"statistics", [](TMainFRM&) { return new TStatFRM; }, "CloseBTN"},
    {"preferences", [](TMainFRM& w) { return new TPreferencesFRM(&w); }, "OkBTN"},
    {"about", [](TMainFRM& w) { return new TAboutFRM(&w, w.ProgramDir); }, "OkBTN"},
    {"system info", [](TMainFRM& w) { return new TSysInfoFRM(&w); }, "OkBTN"},
    {"tip of the day", [](TMainFRM& w) { return new TTipOfTheDayDLG(&w); }, "NextBTN", true},
    {"verify", [](TMainFRM& w) { return new TVerifyFRM(&w); }, "GoBTN"},
    {"mamecd", [](TMainFRM&) { return new TMameCdFRM; }, "&Go"},
    {"report", [](TMainFRM&) { return new TReportFRM; }, ""},
    {"report find", [](TMainFRM&) { return new TSearchDLG(nullptr, true); }, "&Find Next", true},
};

// Sends a key where a user's typing lands: the first edit box, else the window.
void Press(QWidget* window, Qt::Key key, bool autoRepeat = false) {
  QWidget* target = window;
  for (QLineEdit* e : window->findChildren<QLineEdit*>())
    if (e->isVisibleTo(window) && e->isEnabled() && !e->isReadOnly()) {
      target = e;
      break;
    }
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
  QApplication::sendEvent(target, &press);
}

// The access key of a caption ('\0' when none); "&&" is a plain "&".
QChar AccessKey(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '&') {
      if (text[i + 1] != '&') return text[i + 1].toLower();
      ++i;
    }
  return QChar();
}

// Adds a caption's key to the set; a key met before is a failure naming both captions.
void Claim(std::map<QChar, QString>& taken, const QString& caption, const std::string& where) {
  const QChar key = AccessKey(caption);
  if (key.isNull()) return;
  auto [it, fresh] = taken.emplace(key, caption);
  EXPECT_TRUE(fresh) << where << ": \"" << caption.toStdString() << "\" and \""
                     << it->second.toStdString() << "\" share Alt+" << QString(key).toStdString();
}

// Each menu's entries, hidden ones too (as if shown), then each sub-menu on its own.
void CheckMenu(QMenu* menu, const std::string& where) {
  std::map<QChar, QString> taken;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    Claim(taken, a->text(), where);
    if (a->menu()) CheckMenu(a->menu(), where + " > " + a->text().toStdString());
  }
}

// A window's menu bar titles, buttons, labelled boxes, group boxes and tabs share one set.
void CheckWindow(QWidget* window, const std::string& where) {
  std::map<QChar, QString> taken;
  if (auto* mw = qobject_cast<QMainWindow*>(window); mw && mw->menuWidget())
    if (auto* bar = qobject_cast<QMenuBar*>(mw->menuWidget()))
      for (QAction* a : bar->actions()) {
        Claim(taken, a->text(), where + " menu bar");
        if (a->menu()) CheckMenu(a->menu(), where + " > " + a->text().toStdString());
      }
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->window() == window) Claim(taken, b->text(), where);
  for (QLabel* l : window->findChildren<QLabel*>())
    if (l->buddy() && l->window() == window) Claim(taken, l->text(), where);
  for (QGroupBox* g : window->findChildren<QGroupBox*>())
    if (g->window() == window) Claim(taken, g->title(), where);
  for (QTabWidget* t : window->findChildren<QTabWidget*>())
    for (int i = 0; i < t->count(); ++i) Claim(taken, t->tabText(i), where);
}

}  // namespace

TEST(Keyboard, EnterPressesTheDefaultButtonAndEscapeCancelsInEveryDialog) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON", "MOONRUN"}, h.home.path());
  for (const Dialog& d : kDialogs) {
    SCOPED_TRACE(d.name);
    // Enter.
    std::unique_ptr<QWidget> window(d.make(w));
    window->show();
    int pressed = 0;
    if (*d.enterPresses) {
      QPushButton* button = window->findChild<QPushButton*>(d.enterPresses);
      for (QPushButton* b : window->findChildren<QPushButton*>())
        if (!button && b->text() == d.enterPresses) button = b;
      ASSERT_TRUE(button);
      EXPECT_TRUE(button->isDefault());
      QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);  // only counted
      QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
    }
    Press(window.get(), Qt::Key_Return);
    EXPECT_EQ(pressed, *d.enterPresses ? 1 : 0);
    Press(window.get(), Qt::Key_Return, true);  // held down: nothing more, unless it repeats
    EXPECT_EQ(pressed, *d.enterPresses ? (d.heldRepeats ? 2 : 1) : 0);
    window.reset();

    // Escape: the Cancel button, else the window closes.
    window.reset(d.make(w));
    window->show();
    int cancelled = 0;
    for (auto* b : window->findChildren<QPushButton*>("CancelBTN")) {
      QObject::disconnect(b, &QPushButton::clicked, nullptr, nullptr);
      QObject::connect(b, &QPushButton::clicked, [&] { ++cancelled; });
    }
    Press(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(cancelled == 1 || !window->isVisible());
  }
  // The main window stays.
  w.show();
  Press(&w, Qt::Key_Escape);
  EXPECT_TRUE(w.isVisible());
}

TEST(Keyboard, EveryMenuAndDialogHasUniqueAccessKeys) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, h.home.path());
  CheckWindow(&w, "main window");
  for (QMenu* popUp : {w.GamesPopUpMENU, w.PicturePopUpMENU}) CheckMenu(popUp, "pop-up");
  for (const Dialog& d : kDialogs) {
    std::unique_ptr<QWidget> window(d.make(w));
    CheckWindow(window.get(), d.name);
  }
  // Hidden entries count as shown.
  EXPECT_FALSE(AccessKey(w.OptionsPreferencesACTN->text()).isNull());
  EXPECT_FALSE(AccessKey(w.FileFilterImportMacMameACTN->text()).isNull());
}

TEST(Keyboard, TabLeavesEveryTextBoxOfADialog) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, h.home.path());
  for (const Dialog& d : kDialogs) {
    std::unique_ptr<QWidget> window(d.make(w));
    // A text box that is the whole window (the report) keeps its tab characters.
    auto* main = qobject_cast<QMainWindow*>(window.get());
    auto leaves = [&](QAbstractScrollArea* e, bool readOnly, bool tabLeaves) {
      return readOnly || tabLeaves || (main && main->centralWidget() == e);
    };
    for (QPlainTextEdit* e : window->findChildren<QPlainTextEdit*>())
      EXPECT_TRUE(leaves(e, e->isReadOnly(), e->tabChangesFocus())) << d.name;
    for (QTextEdit* e : window->findChildren<QTextEdit*>())
      EXPECT_TRUE(leaves(e, e->isReadOnly(), e->tabChangesFocus())) << d.name;
  }
}

TEST(Keyboard, ZoomAndDelayBoxesTakeOnlyValuesTheyCanUse) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON"}, h.home.path());
  w.UpdateActions();
  for (QComboBox* box : {w.UserZoom, w.UserSlideshowDelay}) {
    SCOPED_TRACE(box->objectName().toStdString());
    const int items = box->count();
    for (const char* typed : {"abc", "12x", "7"}) {
      box->lineEdit()->clear();
      for (QChar c : QString(typed)) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box->lineEdit(), &key);
      }
      Press(box, Qt::Key_Return);
      EXPECT_FALSE(box->currentText().contains(QLatin1Char('b'))) << typed;
      EXPECT_EQ(box->count(), items) << typed;
    }
  }
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "7.00");
  // The picture's file name is shortened again when its label is resized.
  w.ImagePath->setToolTip("/a/long/folder/name/of/pictures/that/does/not/fit/zyphon.png");
  w.ImagePath->resize(400, 20);
  QResizeEvent grow(QSize(400, 20), QSize(80, 20));
  QApplication::sendEvent(w.ImagePath, &grow);
  EXPECT_EQ(w.ImagePath->text(), w.ImagePath->toolTip());
  QResizeEvent shrink(QSize(90, 20), QSize(400, 20));
  w.ImagePath->resize(90, 20);
  QApplication::sendEvent(w.ImagePath, &shrink);
  EXPECT_NE(w.ImagePath->text(), w.ImagePath->toolTip());
  EXPECT_LT(w.ImagePath->text().size(), w.ImagePath->toolTip().size());
}
