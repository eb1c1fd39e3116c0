// The main window's actions: one table gives each its caption, shortcut and handler; the
// menus, tool bars and pop-up menus are built from the actions, and UpdateActions enables
// them by the profile state.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QAbstractButton>
#include <exception>

#include "database/Report.h"
#include "frontend/ActionLooks.h"
#include "frontend/GameTree.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Rtf.h"
#include "platform/Seams.h"

namespace {

using Handler = void (TMainFRM::*)();

struct ActionSpec {
  QAction* TMainFRM::*member;
  const char* name;
  const char* caption;
  const char* shortcut;  // "" for none
  Handler handler;       // null: the feature is not in the program, the action stays hidden
  bool checkable;
};

#define VACT(n) &TMainFRM::n, #n

// In the order of the action list.
const ActionSpec kActions[] = {
    {VACT(FileProfileNewACTN), "&New profile", "Ctrl+N", &TMainFRM::CreateProfile, false},
    {VACT(FileProfileOpenACTN), "&Open profile", "Ctrl+O", &TMainFRM::FileProfileOpenACTNExecute,
     false},
    {VACT(FileProfileInfoACTN), "Profile &info", "", &TMainFRM::FileProfileInfoACTNExecute, false},
    {VACT(FileQuitACTN), "&Quit", "", &TMainFRM::FileQuitACTNExecute, false},
    {VACT(MamePlayACTN), "&Play selected game", "Ctrl+P", &TMainFRM::MamePlayACTNExecute, false},
    {VACT(MameRomsetDetailACTN), "Romset de&tails", "Ctrl+T", &TMainFRM::MameRomsetDetailACTNExecute, false},
    {VACT(MameVideoACTN), "&Video settings", "Ctrl+V", &TMainFRM::MameVideoACTNExecute, false},
    {VACT(MameAudioACTN), "&Audio settings", "Ctrl+A", &TMainFRM::MameAudioACTNExecute, false},
    {VACT(MameMiscACTN), "M&isc settings", "Ctrl+I", &TMainFRM::MameMiscACTNExecute, false},
    {VACT(MameDirectoriesACTN), "&Directories", "Ctrl+D", &TMainFRM::MameDirectoriesACTNExecute, false},
    {VACT(MameVerifyACTN), "Verif&y sets", "Ctrl+Alt+Y", &TMainFRM::MameVerifyACTNExecute, false},
    {VACT(DeleteConfigACTN), "Game &config file", "", &TMainFRM::DeleteConfigACTNExecute, false},
    {VACT(DeleteHiscoreACTN), "Game &high scores", "", &TMainFRM::DeleteHiscoreACTNExecute, false},
    {VACT(DeleteNVRamACTN), "Game NV-&Ram", "", &TMainFRM::DeleteNVRamACTNExecute, false},
    {VACT(DeleteDefaultConfigACTN), "&Default configuration file", "",
     &TMainFRM::DeleteDefaultConfigACTNExecute, false},
    {VACT(FindGameACTN), "Find &game", "Ctrl+G", &TMainFRM::FindGameACTNExecute, false},
    {VACT(FindRomsetACTN), "Find &romset", "Ctrl+R", &TMainFRM::FindRomsetACTNExecute, false},
    {VACT(FindCloneACTN), "Find &clone sets", "Ctrl+C", &TMainFRM::FindCloneACTNExecute, false},
    {VACT(FindManufacturerACTN), "Find man&ufacturer", "Ctrl+U", &TMainFRM::FindManufacturerACTNExecute, false},
    {VACT(FindRandomACTN), "Choose r&andom game", "", &TMainFRM::FindRandomACTNExecute, false},
    {VACT(FindNextMatchACTN), "Highlight &next match", "F3", &TMainFRM::FindNextMatchACTNExecute, false},
    {VACT(SortNoneACTN), "&No sorting", "", &TMainFRM::SortNoneACTNExecute, true},
    {VACT(SortDescriptionACTN), "Sort by &description", "", &TMainFRM::SortDescriptionACTNExecute,
     true},
    {VACT(SortManufacturerACTN), "Sort by &manufacturer", "",
     &TMainFRM::SortManufacturerACTNExecute, true},
    {VACT(SortYearACTN), "Sort by &year", "", &TMainFRM::SortYearACTNExecute, true},
    {VACT(SortMostPlayedACTN), "Sort by most &played", "", &TMainFRM::SortMostPlayedACTNExecute,
     true},
    {VACT(SortSetNameACTN), "Sort by &set name", "", &TMainFRM::SortSetNameACTNExecute, true},
    {VACT(SortAzACTN), "Sort in &A ... Z order", "", &TMainFRM::SortAzACTNExecute, true},
    {VACT(SortZaACTN), "Sort in &Z ... A order", "", &TMainFRM::SortZaACTNExecute, true},
    {VACT(OptionsPreferencesACTN), "Pr&eferences", "Ctrl+E",
     &TMainFRM::OptionsPreferencesACTNExecute, false},
    {VACT(OptionsShowQuickInfoesACTN), "Show/hide quic&k info", "Ctrl+K",
     &TMainFRM::OptionsShowQuickInfoesACTNExecute, false},
    {VACT(OptionsCommandLineACTN), "Command &line", "Ctrl+L",
     &TMainFRM::OptionsCommandLineACTNExecute, false},
    {VACT(ScreenshotsOpenImageDirACTN), "Show &directory in file manager", "", &TMainFRM::ScreenshotsOpenImageDirACTNExecute, false},
    {VACT(OptionsShowFaqACTN), "Show game's FA&Q file", "Ctrl+Q",
     &TMainFRM::OptionsShowFaqACTNExecute, false},
    {VACT(OptionsSysInfoACTN), "System &info", "", &TMainFRM::OptionsSysInfoACTNExecute, false},
    {VACT(OptionsCDInfoACTN), "Show &CD information", "", &TMainFRM::OptionsCDInfoACTNExecute, false},
    {VACT(OptionsCreateCdACTN), "Create &MAMECDs", "Ctrl+Alt+M", &TMainFRM::OptionsCreateCdACTNExecute, false},
    {VACT(OptionsStatResetACTN), "&Reset statistics", "", &TMainFRM::OptionsStatResetACTNExecute,
     false},
    {VACT(StatsNPlaysACTN), "Number of &plays", "", &TMainFRM::StatsNPlaysACTNExecute, false},
    {VACT(StatsPlayingTimeACTN), "Playing &time", "", &TMainFRM::StatsPlayingTimeACTNExecute,
     false},
    {VACT(HelpMameSiteACTN), "Visit MAME's web &site", "", &TMainFRM::HelpMameSiteACTNExecute,
     false},
    {VACT(HelpWhatsNewACTN), "What's &new in this version", "",
     &TMainFRM::HelpWhatsNewACTNExecute, false},
    {VACT(HelpVisitMyWebACTN), "Visit &web site", "", &TMainFRM::HelpVisitMyWebACTNExecute,
     false},
    {VACT(HelpEMailACTN), "&E-Mail the author", "", &TMainFRM::HelpEMailACTNExecute, false},
    {VACT(HelpAboutACTN), "A&bout", "Ctrl+B", &TMainFRM::HelpAboutACTNExecute, false},
    {VACT(ScreenshotsSlideShowACTN), "Enable picture slides&how", "", &TMainFRM::ScreenshotsSlideShowACTNExecute, true},
    {VACT(ScreenshotsShowStretchACTN), "&Stretch to the available area", "", &TMainFRM::ScreenshotsShowStretchACTNExecute, true},
    {VACT(ScreenshotsLocateImageACTN), "&Locate image in file manager", "", &TMainFRM::ScreenshotsLocateImageACTNExecute, false},
    {VACT(ScreenshotsOpenImageInEditorACTN), "Show image in associated vie&wer", "Ctrl+W", &TMainFRM::ScreenshotsOpenImageInEditorACTNExecute,
     false},
    {VACT(ScreenshotsBackACTN), "&Previous image", "", &TMainFRM::ScreenshotsBackACTNExecute, false},
    {VACT(ScreenshotsForwACTN), "&Next image", "", &TMainFRM::ScreenshotsForwACTNExecute, false},
    {VACT(FileFilterNewACTN), "Ne&w filter", "Ctrl+Alt+N", &TMainFRM::FileFilterNewACTNExecute, false},
    {VACT(FileFilterRenameACTN), "Rena&me filter", "Ctrl+Alt+R",
     &TMainFRM::FileFilterRenameACTNExecute, false},
    {VACT(FileFilterOpenACTN), "O&pen filter", "Ctrl+Alt+O", &TMainFRM::FileFilterOpenACTNExecute,
     false},
    {VACT(FileFilterSaveACTN), "&Save filter", "Ctrl+Alt+S", &TMainFRM::FileFilterSaveACTNExecute,
     false},
    {VACT(FileFilterSaveAsACTN), "S&ave filter as...", "", &TMainFRM::FileFilterSaveAsACTNExecute,
     false},
    {VACT(FileFilterCloseACTN), "&Close filter", "Ctrl+Alt+C",
     &TMainFRM::FileFilterCloseACTNExecute, false},
    {VACT(FileFilterImportCatVerACTN), "&CatList's category files", "", &TMainFRM::FileFilterImportCatVerACTNExecute, false},
    {VACT(FileFilterImportMacMameACTN), "&MacMAME grouping files", "", &TMainFRM::FileFilterImportMacMameACTNExecute, false},
    {VACT(HelpTipsACTN), "&Tip of the day", "Ctrl+Alt+T", &TMainFRM::HelpTipsACTNExecute, false},
    {VACT(ListExpandACTN), "E&xpand all nodes", "", &TMainFRM::ListExpandACTNExecute, false},
    {VACT(ListCollapseACTN), "Co&llapse all nodes", "", &TMainFRM::ListCollapseACTNExecute, false},
};

#undef VACT

// The help links' addresses.
const char* const kMameSite = "https://www.mamedev.org/";
const char* const kHomePage = "https://velmora.example.org/";
const char* const kAuthorMail = "mailto:author@velmora.example.org";

// Menu captions use "&" for the mnemonic: a literal "&" in a name is doubled.
QString MenuText(const std::string& ansi) {
  QString t = plat::FromAnsi(ansi);
  t.replace("&", "&&");
  return t;
}

int SenderTag(QObject* sender) {
  if (!sender) return 0;
  bool ok = false;
  int tag = sender->property("tag").toInt(&ok);
  return ok ? tag : 0;
}

// A menu whose every entry is hidden is hidden itself; one with no entries yet is filled at run
// time (reopen lists, zoom, text files) and stays.
void HideEmptyMenu(QMenu* menu) {
  bool any = menu->actions().isEmpty();
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    if (QMenu* sub = a->menu()) HideEmptyMenu(sub);
    any = any || a->isVisible();
  }
  menu->menuAction()->setVisible(any);
}

void AddAll(QWidget* target, std::initializer_list<QAction*> actions) {
  for (QAction* a : actions) {
    if (a)
      target->addAction(a);
    else if (auto* m = qobject_cast<QMenu*>(target))
      m->addSeparator();
    else if (auto* t = qobject_cast<QToolBar*>(target))
      t->addSeparator();
  }
}

void DropDown(QToolBar* bar, QAction* action, QMenu* menu) {
  if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
    b->setMenu(menu);
    b->setPopupMode(QToolButton::MenuButtonPopup);
  }
}

}  // namespace

void TMainFRM::CreateActions() {
  for (const ActionSpec& spec : kActions) {
    auto* a = new QAction(QString::fromLatin1(spec.caption), this);
    a->setObjectName(QString::fromLatin1(spec.name));
    if (*spec.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
    a->setCheckable(spec.checkable);
    this->*spec.member = a;
    addAction(a);  // shortcuts work wherever the action is shown, or not shown
    if (!spec.handler) {
      a->setVisible(false);
      continue;
    }
    Handler h = spec.handler;
    connect(a, &QAction::triggered, this, [this, h]() { Guarded([this, h] { (this->*h)(); }); });
  }
  looks::ApplyActionLooks(*this);

  // Menus.
  QMenuBar* bar = menuBar();
  FileSUB = bar->addMenu("&File");
  FileSUB->setObjectName("FileSUB");
  AddAll(FileSUB, {FileProfileNewACTN, FileProfileOpenACTN});
  ReopenProfileSUB = FileSUB->addMenu("&Reopen profile");
  ReopenProfileSUB->setObjectName("ReopenProfileSUB");
  AddAll(FileSUB, {FileProfileInfoACTN, nullptr, FileFilterNewACTN, FileFilterOpenACTN});
  ReopenFilterSUB = FileSUB->addMenu("Reopen &filter");
  ReopenFilterSUB->setObjectName("ReopenFilterSUB");
  ImportFilterSUB = FileSUB->addMenu("Impor&t filter");
  ImportFilterSUB->setObjectName("ImportFilterSUB");
  AddAll(ImportFilterSUB, {FileFilterImportCatVerACTN, FileFilterImportMacMameACTN});
  AddAll(FileSUB, {FileFilterRenameACTN, FileFilterSaveACTN, FileFilterSaveAsACTN,
                   FileFilterCloseACTN, nullptr, FileQuitACTN});

  MameSUB = bar->addMenu("&MAME");
  MameSUB->setObjectName("MameSUB");
  AddAll(MameSUB, {MamePlayACTN, MameRomsetDetailACTN});
  DeleteSUB = MameSUB->addMenu("D&elete");
  DeleteSUB->setObjectName("DeleteSUB");
  AddAll(DeleteSUB,
         {DeleteConfigACTN, DeleteHiscoreACTN, DeleteNVRamACTN, nullptr, DeleteDefaultConfigACTN});
  AddAll(MameSUB, {nullptr, MameVideoACTN, MameAudioACTN, MameMiscACTN, MameDirectoriesACTN,
                   nullptr, MameVerifyACTN});

  SearchSUB = bar->addMenu("&Search");
  SearchSUB->setObjectName("SearchSUB");
  AddAll(SearchSUB, {FindGameACTN, FindRomsetACTN, FindCloneACTN, FindManufacturerACTN, nullptr,
                     FindRandomACTN, FindNextMatchACTN});

  SortingSUB = bar->addMenu("S&orting");
  SortingSUB->setObjectName("SortingSUB");
  AddAll(SortingSUB, {SortNoneACTN, SortDescriptionACTN, SortManufacturerACTN, SortYearACTN,
                      SortMostPlayedACTN, SortSetNameACTN, nullptr, SortAzACTN, SortZaACTN});

  ImageSUB = bar->addMenu("&Image");
  ImageSUB->setObjectName("ImageSUB");
  ZoomSUB = ImageSUB->addMenu("&Zoom");
  ZoomSUB->setObjectName("ZoomSUB");
  AddAll(ImageSUB, {ScreenshotsShowStretchACTN, ScreenshotsSlideShowACTN, nullptr,
                    ScreenshotsBackACTN, ScreenshotsForwACTN, nullptr,
                    ScreenshotsOpenImageInEditorACTN, ScreenshotsLocateImageACTN,
                    ScreenshotsOpenImageDirACTN});

  OptionsSUB = bar->addMenu("O&ptions");
  OptionsSUB->setObjectName("OptionsSUB");
  AddAll(OptionsSUB, {OptionsPreferencesACTN, OptionsShowQuickInfoesACTN, OptionsCommandLineACTN,
                      OptionsShowFaqACTN, nullptr});
  StatsSUB = OptionsSUB->addMenu("S&tatistics");
  StatsSUB->setObjectName("StatsSUB");
  AddAll(StatsSUB, {StatsNPlaysACTN, StatsPlayingTimeACTN, nullptr, OptionsStatResetACTN});
  AddAll(OptionsSUB, {nullptr, OptionsCreateCdACTN, OptionsCDInfoACTN, nullptr,
                      OptionsSysInfoACTN});

  HelpSUB = bar->addMenu("&Help");
  HelpSUB->setObjectName("HelpSUB");
  AddAll(HelpSUB, {HelpTipsACTN});
  TextFilesSUB = HelpSUB->addMenu("&MAME text files");
  TextFilesSUB->setObjectName("TextFilesSUB");
  AddAll(HelpSUB, {HelpWhatsNewACTN, nullptr, HelpMameSiteACTN, HelpVisitMyWebACTN,
                   HelpEMailACTN, nullptr, HelpAboutACTN});

  // Pop-up menus.
  GamesPopUpMENU = new QMenu(this);
  GamesPopUpMENU->setObjectName("GamesPopUpMENU");
  AddAll(GamesPopUpMENU, {MamePlayACTN, MameRomsetDetailACTN, OptionsShowFaqACTN});
  GamesPopUpMENU->setDefaultAction(MamePlayACTN);
  GamesPopUpMENU->addMenu(DeleteSUB);
  GamesPopUpMENU->addMenu(SortingSUB);
  QMenu* filtersPopUp = GamesPopUpMENU->addMenu("&Filters");
  filtersPopUp->setObjectName("FiltersPopUpSUB");
  AddAll(filtersPopUp, {FileFilterNewACTN, FileFilterOpenACTN, FileFilterRenameACTN,
                        FileFilterSaveACTN, FileFilterSaveAsACTN, FileFilterCloseACTN});
  AddAll(GamesPopUpMENU, {nullptr, ListExpandACTN, ListCollapseACTN});
  TreeList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TreeList, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    if (QModelIndex i = TreeList->indexAt(p); i.isValid()) TreeList->setCurrentIndex(i);
    GamesPopUpMENU->popup(TreeList->viewport()->mapToGlobal(p));
  });

  PicturePopUpMENU = new QMenu(this);
  PicturePopUpMENU->setObjectName("PicturePopUpMENU");
  AddAll(PicturePopUpMENU, {ScreenshotsBackACTN, ScreenshotsForwACTN, nullptr,
                            ScreenshotsOpenImageInEditorACTN, ScreenshotsLocateImageACTN,
                            ScreenshotsOpenImageDirACTN, nullptr, ScreenshotsSlideShowACTN,
                            ScreenshotsShowStretchACTN});
  ZoomSUB_ = PicturePopUpMENU->addMenu("&Zoom");
  ZoomSUB_->setObjectName("ZoomSUB_");
  SnapShot->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(SnapShot, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PicturePopUpMENU->popup(SnapShot->mapToGlobal(p)); });

  // Tool bars.
  AddAll(ToolBAR, {FileProfileNewACTN, FileProfileOpenACTN, FileProfileInfoACTN, nullptr,
                   MamePlayACTN, MameRomsetDetailACTN, OptionsShowFaqACTN, nullptr,
                   MameVideoACTN, MameAudioACTN, MameMiscACTN, MameDirectoriesACTN,
                   OptionsPreferencesACTN, nullptr, FindGameACTN, FindRomsetACTN, FindCloneACTN,
                   FindManufacturerACTN, FindRandomACTN, nullptr, OptionsCommandLineACTN,
                   HelpAboutACTN});
  DropDown(ToolBAR, FileProfileOpenACTN, ReopenProfileSUB);
  AddAll(FiltersBAR, {FileFilterNewACTN, FileFilterOpenACTN, FileFilterRenameACTN,
                      FileFilterSaveACTN, FileFilterSaveAsACTN, FileFilterCloseACTN});
  DropDown(FiltersBAR, FileFilterOpenACTN, ReopenFilterSUB);

  for (QMenu* m : {FileSUB, MameSUB, SearchSUB, SortingSUB, ImageSUB, OptionsSUB, HelpSUB})
    HideEmptyMenu(m);
}

std::array<QAction*, 8> TMainFRM::SortActions() const {
  return {SortNoneACTN,    SortDescriptionACTN, SortManufacturerACTN, SortYearACTN,
          SortMostPlayedACTN, SortSetNameACTN,  SortAzACTN,           SortZaACTN};
}

// ---------------------------------------------------------------------------------------------
// Enabling by the profile state.

void TMainFRM::UpdateActions() {
  const bool p = ProfileLoaded != 0;
  for (QAction* a :
       {FileProfileInfoACTN, FileFilterNewACTN, FileFilterOpenACTN, FileFilterImportCatVerACTN,
        FileFilterImportMacMameACTN, MamePlayACTN, MameRomsetDetailACTN, MameVideoACTN,
        MameAudioACTN, MameMiscACTN, MameDirectoriesACTN, MameVerifyACTN, DeleteConfigACTN,
        DeleteHiscoreACTN, DeleteNVRamACTN, DeleteDefaultConfigACTN, ScreenshotsSlideShowACTN,
        ScreenshotsShowStretchACTN, OptionsCommandLineACTN, OptionsCreateCdACTN, StatsNPlaysACTN,
        StatsPlayingTimeACTN, FindGameACTN, FindRomsetACTN, FindCloneACTN, FindManufacturerACTN,
        FindRandomACTN, ListExpandACTN, ListCollapseACTN})
    a->setEnabled(p);
  for (QAction* a : SortActions()) a->setEnabled(p);
  // The selected game's actions need a game (the selection enables them).
  for (QAction* a : {MamePlayACTN, MameRomsetDetailACTN, DeleteConfigACTN, DeleteHiscoreACTN,
                     DeleteNVRamACTN})
    a->setEnabled(p && SelectedGame);
  ReopenFilterSUB->setEnabled(p);
  TextFilesSUB->setEnabled(p);
  ZoomSUB->setEnabled(p);  // as the zoom box
  ZoomSUB_->setEnabled(p);
  for (QWidget* w : std::initializer_list<QWidget*>{ListTabs, TreeList, ScreenShotPGE, SnapShot,
                                                    UserSlideshowDelay, QuickInfoBOX})
    w->setEnabled(p);
  for (const char* name : {"NoneBTN", "RecordBTN", "PlayBTN"})
    if (auto* b = findChild<QAbstractButton*>(name)) b->setEnabled(p);

  const bool filterTab = p && ListTabs->currentIndex() > 0;
  for (QAction* a : {FileFilterRenameACTN, FileFilterSaveACTN, FileFilterSaveAsACTN,
                     FileFilterCloseACTN})
    a->setEnabled(filterTab);

  UserZoom->setEnabled(p && !ScreenshotsShowStretchACTN->isChecked());
  FindNextMatchACTN->setEnabled(false);
  HelpWhatsNewACTN->setEnabled(plat::FileExists(HistoryFileName));

  const QPalette::ColorRole role = p ? QPalette::Base : QPalette::Button;
  for (QWidget* w :
       std::initializer_list<QWidget*>{TreeList, UserSlideshowDelay, QuickInfoBOX}) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, palette().color(role));
    w->setPalette(pal);
  }
  SnapShot->setVisible(p);
  if (!p) {
    if (auto* model = qobject_cast<GameTreeModel*>(TreeList->model())) model->Clear();
    QuickInfoBOX->clear();
  }

  for (QAction* a : {ScreenshotsOpenImageDirACTN, ScreenshotsLocateImageACTN,
                     ScreenshotsOpenImageInEditorACTN, ScreenshotsBackACTN, ScreenshotsForwACTN})
    a->setEnabled(false);

  // Recording goes back to none.
  if (auto* none = findChild<QAbstractButton*>("NoneBTN")) {
    for (const char* name : {"RecordBTN", "PlayBTN"})
      if (auto* b = findChild<QAbstractButton*>(name)) b->setChecked(false);
    none->setChecked(true);
    none->click();
  }

  if (!p) {
    OptionsShowFaqACTN->setEnabled(false);
    setWindowTitle("Velmora - no profile loaded");
  }
}

// ---------------------------------------------------------------------------------------------
// Reopen menus and the zoom menus.

void TMainFRM::BuildReopenMenus() {
  auto build = [this](QMenu* menu, const std::array<std::string, 9>& recent, const char* prefix,
                      const char* none, Handler handler) {
    menu->clear();
    int n = 0;
    for (size_t slot = 1; slot <= recent.size(); ++slot) {
      const std::string& text = recent[slot - 1];
      if (text.empty()) continue;
      ++n;
      QAction* a = menu->addAction("&" + QString::number(n) + ". " + MenuText(text));
      a->setObjectName(QString::fromLatin1(prefix) + QString::number(slot) + "OPT");
      a->setProperty("tag", static_cast<int>(slot));
      connect(a, &QAction::triggered, this,
              [this, handler]() { Guarded([this, handler] { (this->*handler)(); }); });
    }
    if (n == 0) {
      QAction* a = menu->addAction("<none>");
      a->setObjectName(QString::fromLatin1(none));
      a->setEnabled(false);
    }
  };
  build(ReopenProfileSUB, RecentProfiles, "ReopenFile", "ReopenNoneOPT", &TMainFRM::ReopenProfile);
  build(ReopenFilterSUB, RecentFilters, "ReopenFilter", "ReopenFilterNoneOPT",
        &TMainFRM::ReopenFilter);

  // Each zoom entry makes its item the zoom box's choice.
  for (QMenu* menu : {ZoomSUB, ZoomSUB_}) {
    menu->clear();
    for (int i = 0; i < UserZoom->count(); ++i) {
      QAction* a = menu->addAction(UserZoom->itemText(i));
      a->setObjectName("Zoom" + QString::number(i) + "OPT");
      a->setProperty("tag", i);
      connect(a, &QAction::triggered, this, [this, i]() { Guarded([this, i] { ManualZoomSelect(i); }); });
    }
  }
}

void TMainFRM::ReopenProfile() {
  int tag = SenderTag(sender());
  if (tag <= 0 || tag > 9) return;
  OpenProfile(RecentProfiles[static_cast<size_t>(tag - 1)]);
}

void TMainFRM::ReopenFilter() {
  int tag = SenderTag(sender());
  if (tag <= 0 || tag > 9) return;
  if (!Filters || Filters->empty() || !(*Filters)[0]) return;  // no profile read
  if (LoadFilterFile(RecentFilters[static_cast<size_t>(tag - 1)]))
    RebuildFilterTabs(static_cast<int32_t>(Filters->size()) - 1);
  else
    RebuildFilterTabs(-1);
}

// ---------------------------------------------------------------------------------------------
// Small actions of the main window.

void TMainFRM::FileProfileOpenACTNExecute() {
  plat::FileDialogRequest req;
  req.title = "Open profile";
  req.filter = "Velmora profiles (*.VRL)|*.VRL";
  req.defaultExt = "VRL";
  req.fileName = "MAME.VRL";
  auto profiles = plat::FindNoCase(ProgramDir, "PROFILES");
  req.initialDir = profiles && plat::DirExists(*profiles) ? plat::WithSlash(*profiles) : ProgramDir;
  req.mustExist = true;
  if (auto chosen = plat::Ui().FileDialog(this, req)) OpenProfile(*chosen);
}

void TMainFRM::OptionsShowQuickInfoesACTNExecute() {
  QList<int> sizes = LeftSPLT->sizes();
  if (sizes.size() < 2) return;
  const int total = sizes[0] + sizes[1];
  // Shown again at the height it was hidden at (a third of the panel when none is known).
  const int shown = sizes[1] > 0 ? sizes[1] : CurrentQuickInfoHeight();
  quickInfoShownHeight_ = shown > 0 && shown < total ? shown : total / 3;
  const int info = sizes[1] > 0 ? 0 : quickInfoShownHeight_;
  LeftSPLT->setSizes({total - info, info});
}

void TMainFRM::OptionsShowFaqACTNExecute() {
  if (!SelectedGame) return;
  std::string faq = FindFaqFile(SelectedGame);
  if (faq.empty()) {
    ShowMessageBox("There is no FAQ file for this game", plat::MB_ICONINFORMATION);
    return;
  }
  OpenInTextEditor(faq);
}

void TMainFRM::HelpWhatsNewACTNExecute() {
  if (!plat::FileExists(HistoryFileName)) {
    ShowMessageBox("News file not found", plat::MB_ICONERROR);
    return;
  }
  OpenInTextEditor(HistoryFileName);
}

namespace {
void OpenAddress(TMainFRM& w, const char* address) {
  if (!plat::Ui().OpenWithDesktop(address))
    w.ShowMessageBox(std::string("The desktop could not open:\r") + address, plat::MB_ICONERROR);
}
}  // namespace

void TMainFRM::HelpMameSiteACTNExecute() { OpenAddress(*this, kMameSite); }
void TMainFRM::HelpVisitMyWebACTNExecute() { OpenAddress(*this, kHomePage); }
void TMainFRM::HelpEMailACTNExecute() { OpenAddress(*this, kAuthorMail); }

void TMainFRM::Guarded(const std::function<void()>& step) {
  plat::RunGuarded(step, [this](const std::string& error) { ShowMessageBox(error, plat::MB_ICONERROR); });
}

bool TMainFRM::OpenInTextEditor(const std::string& fileName) {
  if (!TextEditor.empty()) {
    if (plat::Ui().StartDetached(TextEditor, {fileName}, plat::DirectoryOf(fileName))) return true;
    ShowMessageBox("The text editor could not be started:\r" + TextEditor, plat::MB_ICONERROR);
    return false;
  }
  if (plat::Ui().OpenWithDesktop(fileName)) return true;
  // No desktop to hand it to: the program's own report window shows it.
  TReportFRM report(this);
  report.NewDocument("Velmora - " + plat::FileNameOf(fileName), fileName, true, true);
  // As in a text editor: fixed-pitch, so the columns of a plain text line up.
  QFont fixed = report.Doc->document()->defaultFont();
  fixed.setFamilies(plat::FontFamiliesFor("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  report.Doc->document()->setDefaultFont(fixed);
  if (!report.LoadDocument()) return false;
  report.FitColumns(80);  // the program's own reports and lists are 80 columns wide
  report.ShowReport();
  return true;
}
