#include <QAction>
#include <QActionGroup>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <gtest/gtest.h>
#include <QTextEdit>

#include "database/Report.h"

#include "frontend/MainWindowHarness.h"

namespace {

// Counts the receivers of a signal of any object (the count is protected in QObject).
struct Receivers : QObject {
  static int Of(const QObject* o, const char* signal) { return (o->*(&Receivers::receivers))(signal); }
};

// Every entry a user can reach (menus, their submenus, pop-ups, tool bars) does something.
void ExpectReachableEntriesConnected(QWidget* holder, const QString& where) {
  for (QAction* a : holder->actions()) {
    if (a->isSeparator() || !a->isVisible()) continue;
    if (QMenu* sub = a->menu()) {
      ExpectReachableEntriesConnected(sub, where + " > " + sub->objectName());
      continue;
    }
    const bool connected =
        Receivers::Of(a, SIGNAL(triggered(bool))) > 0 || Receivers::Of(a, SIGNAL(toggled(bool))) > 0;
    EXPECT_TRUE(connected) << (where + ": " + a->objectName()).toStdString();
  }
}

}  // namespace

TEST(MainActions, EveryShownEntryIsConnectedAndHiddenMenusAreEmpty) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  for (QAction* top : w.menuBar()->actions())
    if (top->isVisible() && top->menu())
      ExpectReachableEntriesConnected(top->menu(), top->menu()->objectName());
  ExpectReachableEntriesConnected(w.GamesPopUpMENU, "GamesPopUpMENU");
  ExpectReachableEntriesConnected(w.ToolBAR, "ToolBAR");
  ExpectReachableEntriesConnected(w.FiltersBAR, "FiltersBAR");
  // What exists is placed: the sort actions, the tree's expand/collapse and the statistics.
  for (QAction* a : w.SortActions()) EXPECT_TRUE(w.SortingSUB->actions().contains(a));
  EXPECT_TRUE(w.GamesPopUpMENU->actions().contains(w.ListExpandACTN));
  EXPECT_TRUE(w.StatsSUB->actions().contains(w.StatsNPlaysACTN));
  EXPECT_TRUE(w.StatsSUB->menuAction()->isVisible());
  // Sub-menus filled at run time are shown too.
  for (QMenu* m : {w.ReopenProfileSUB, w.ReopenFilterSUB, w.ZoomSUB, w.TextFilesSUB})
    EXPECT_TRUE(m->menuAction()->isVisible()) << m->objectName().toStdString();
  EXPECT_EQ(w.FileProfileNewACTN->shortcut(), QKeySequence("Ctrl+N"));
}

TEST(MainActions, EnabledByTheProfileState) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.UpdateActions();
  EXPECT_EQ(w.windowTitle().toStdString(), "Velmora - no profile loaded");
  for (QAction* a : {w.SortYearACTN, w.StatsNPlaysACTN, w.ListExpandACTN, w.FileFilterSaveACTN,
                     w.OptionsShowFaqACTN, w.ZoomSUB->menuAction()})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  EXPECT_TRUE(w.FileProfileNewACTN->isEnabled());

  h.LoadGames({"PACMAN", "GALAGA"}, h.home.path());
  w.UpdateActions();
  for (QAction* a : {w.SortYearACTN, w.StatsNPlaysACTN, w.ListExpandACTN})
    EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
  EXPECT_FALSE(w.FileFilterSaveACTN->isEnabled());  // "All games" is selected
  EXPECT_FALSE(w.FindNextMatchACTN->isEnabled());
  // The game's own actions follow the selection, also when the state is refreshed.
  w.SelectedGame = nullptr;
  w.UpdateActions();
  EXPECT_FALSE(w.MamePlayACTN->isEnabled());
  EXPECT_FALSE(w.DeleteConfigACTN->isEnabled());
  w.SelectedGame = h.Game("GALAGA");
  w.UpdateActions();
  EXPECT_TRUE(w.MameRomsetDetailACTN->isEnabled());
}

TEST(MainActions, TextEditorNewsAndFaq) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.seam.messageAnswers.clear();

  // The file is the editor's own argument; without an editor the desktop opens it.
  w.TextEditor = "/opt/my editor/ed";
  h.home.write("HISTORY.TXT", "news");
  w.HelpWhatsNewACTNExecute();
  ASSERT_EQ(h.seam.started.size(), 1u);
  EXPECT_EQ(h.seam.started[0], (std::vector<std::string>{"/opt/my editor/ed", w.HistoryFileName}));
  w.TextEditor.clear();
  w.HelpWhatsNewACTNExecute();
  EXPECT_EQ(h.seam.opened, std::vector<std::string>{w.HistoryFileName});

  // A failed start of the editor is told.
  h.seam.startResult = false;
  w.TextEditor = "/opt/my editor/ed";
  EXPECT_FALSE(w.OpenInTextEditor(w.HistoryFileName));
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_NE(h.seam.messages[0].text.find("could not be started"), std::string::npos);
  // Without an editor, a file the desktop cannot open is shown in the report window.
  w.TextEditor.clear();
  std::string shown;
  h.seam.modalHandlers.push_back([&shown](QWidget* r) {
    auto* report = static_cast<TReportFRM*>(r);
    shown = report->Doc->toPlainText().toStdString();
    EXPECT_TRUE(report->ReadOnly());
    EXPECT_TRUE(QFontInfo(report->Doc->document()->defaultFont()).fixedPitch());  // columns line up
    return 2;
  });
  EXPECT_TRUE(w.OpenInTextEditor(w.HistoryFileName));
  EXPECT_EQ(shown, "news");
  EXPECT_EQ(h.seam.messages.size(), 1u);

  std::remove(w.HistoryFileName.c_str());
  w.HelpWhatsNewACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.seam.messages[1].text, "News file not found");
  EXPECT_EQ(h.seam.messages[1].flags, 16u);

  h.LoadGames({"PACMAN"}, h.home.path());
  w.SelectedGame = h.Game("PACMAN");
  w.OptionsShowFaqACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 3u);
  EXPECT_EQ(h.seam.messages[2].text, "There is no FAQ file for this game");
  // A clone-of name that climbs out of the FAQ folder finds nothing there.
  w.FaqFilesDir = h.home.file("FAQ");
  h.home.write("FAQ/parent.faq", "inside");
  h.home.write("ESC.FAQ", "outside");
  w.SelectedGame->CloneOf = "PARENT";
  EXPECT_EQ(w.FindFaqFile(w.SelectedGame), h.home.file("FAQ/parent.faq"));
  w.SelectedGame->CloneOf = "../ESC";
  EXPECT_EQ(w.FindFaqFile(w.SelectedGame), "");

  // A help link the desktop cannot open is told too.
  w.HelpMameSiteACTNExecute();
  ASSERT_EQ(h.seam.messages.size(), 4u);
  EXPECT_NE(h.seam.messages[3].text.find("https://www.mamedev.org/"), std::string::npos);
}

TEST(MainActions, EveryActionHasAnIconAndAHintAndSortChoicesAreExclusive) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  TReportFRM report;
  for (QWidget* window : {static_cast<QWidget*>(&w), static_cast<QWidget*>(&report)})
    for (QAction* a : window->findChildren<QAction*>()) {
      if (a->isSeparator() || a->objectName().isEmpty() || a->menu() ||
          !a->objectName().endsWith("ACTN"))
        continue;
      EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
      EXPECT_FALSE(a->statusTip().isEmpty()) << a->objectName().toStdString();
      EXPECT_TRUE(a->toolTip().startsWith(a->statusTip())) << a->objectName().toStdString();
    }
  EXPECT_EQ(w.MamePlayACTN->toolTip().toStdString(), "Play the selected game (Ctrl+P)");
  for (QAction* a : w.SortActions()) {
    ASSERT_TRUE(a->actionGroup()) << a->objectName().toStdString();
    EXPECT_TRUE(a->actionGroup()->isExclusive());
  }
  EXPECT_NE(w.SortNoneACTN->actionGroup(), w.SortAzACTN->actionGroup());
  EXPECT_FALSE(w.MamePlayACTN->autoRepeat());
}
