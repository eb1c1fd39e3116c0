#include "frontend/main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QLayout>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>
#include <exception>

#include "directx/DXInput.h"
#include "frontend/Placement.h"
#include "frontend/Preferences.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Seams.h"

namespace {

const char* const kWelcomeText =
    "Hi and welcome to Velmora!\r"
    "Since this is the first time you run this program, you will now be"
    "\r"
    "asked to create a new profile. This is necessary for "
    "Velmora"
    " to"
    "\r"
    "correctly use the emulator and all of its capabilities."
    "\r"
    "The operation may take some time, but you will need to do it"
    "\r"
    "just once.";

const char* const kCrashWarning =
    "Warning: MAME may have crashed your computer the last time it was run.\r"
    "This may be due to problems related to the MAME version you are using (e.g. betas)"
    "\r"
    "and it's not a "
    "Velmora"
    " fault. You better not try and run that game again"
    "\r"
    "until you get an updated version.";

const char* const kDeleteFailed =
    "The temporary directory could not be deleted!\r"
    "This means one or more rom files of the game you ran could not be deleted."
    "\r"
    "Please solve the problem and try again.";

}  // namespace

TMainFRM::TMainFRM(QWidget* owner) : TDXForm(owner) {
  setWindowTitle("Velmora");
  setMinimumSize(760, 570);
  setObjectName("MainFRM");
  SetEscapeCloses(false);
  plat::WatchUserInput();  // what is pressed while a game runs is dropped by its time

  ToolBAR = addToolBar("ToolBAR");
  ToolBAR->setObjectName("ToolBAR");

  MainSPLT = new QSplitter(Qt::Horizontal, this);
  MainSPLT->setObjectName("MainSPLT");
  auto* left = new QWidget(MainSPLT);
  left->setObjectName("MainLeftPNL");
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  LeftSPLT = new QSplitter(Qt::Vertical, left);
  LeftSPLT->setObjectName("LeftSPLT");
  auto* listPanel = new QWidget(LeftSPLT);
  auto* listLayout = new QVBoxLayout(listPanel);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->setSpacing(0);
  ListTabs = new QTabBar(listPanel);
  ListTabs->setObjectName("ListTabs");
  ListTabs->setExpanding(false);
  // Captions stay whole; a row too long for the panel scrolls.
  ListTabs->setElideMode(Qt::ElideNone);
  ListTabs->setUsesScrollButtons(true);
  ListTabs->addTab("All games");
  FiltersBAR = new QToolBar("FiltersBAR", listPanel);
  FiltersBAR->setObjectName("FiltersBAR");
  TreeList = new QTreeView(listPanel);
  TreeList->setObjectName("TreeList");
  TreeList->setHeaderHidden(true);
  TreeList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeList->setUniformRowHeights(true);
  listLayout->addWidget(ListTabs);
  listLayout->addWidget(FiltersBAR);
  listLayout->addWidget(TreeList, 1);
  QuickInfoBOX = new QTextEdit(LeftSPLT);
  QuickInfoBOX->setObjectName("QuickInfoBOX");
  QuickInfoBOX->setReadOnly(true);
  // A line longer than the panel goes on below instead of being cut off.
  QuickInfoBOX->setLineWrapMode(QTextEdit::WidgetWidth);
  QuickInfoBOX->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  QuickInfoBOX->setFont(QFont("Courier New", 9));
  QuickInfoBOX->setMinimumHeight(100);
  LeftSPLT->addWidget(listPanel);
  LeftSPLT->addWidget(QuickInfoBOX);
  LeftSPLT->setCollapsible(1, true);
  leftLayout->addWidget(LeftSPLT);
  left->setMinimumWidth(200);

  auto* right = new QWidget(MainSPLT);
  right->setObjectName("MainRightPNL");
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  ImageBAR = new QToolBar("ImageBAR", right);
  ImageBAR->setObjectName("ImageBAR");
  UserZoom = new QComboBox(ImageBAR);
  UserZoom->setObjectName("UserZoom");
  UserZoom->setEditable(true);
  for (const char* z : {"25%", "50%", "75%", "100%", "150%", "200%", "300%", "400%", "600%",
                        "800%", "1200%", "Automatic"})
    UserZoom->addItem(z);
  UserZoom->setCurrentText("Automatic");
  UserSlideshowDelay = new QComboBox(ImageBAR);
  UserSlideshowDelay->setObjectName("UserSlideshowDelay");
  UserSlideshowDelay->setEditable(true);
  for (const char* d : {"0.25", "0.5", "1", "2", "3", "4", "5"}) UserSlideshowDelay->addItem(d);
  ScreenShotPGE = new QTabWidget(right);
  ScreenShotPGE->setObjectName("ScreenShotPGE");
  ImagePNL = new QWidget;
  ImagePNL->setObjectName("ImagePNL");
  SnapShot = new QLabel(ImagePNL);  // placed by the picture layout, not by a layout
  SnapShot->setObjectName("SnapShot");
  SetPictureTabCaptions({"None"});
  connect(ScreenShotPGE, &QTabWidget::currentChanged, this, [this](int i) {
    // The picture area is shared by every tab: it follows the selected one.
    if (QWidget* page = ScreenShotPGE->widget(i); page && page->layout())
      page->layout()->addWidget(ImagePNL);
    if (i >= 0) ScreenshotDisplay = static_cast<uint8_t>(i);
  });
  auto* infoLine = new QWidget(right);
  auto* infoLayout = new QHBoxLayout(infoLine);
  infoLayout->setContentsMargins(4, 2, 4, 2);
  ImageSize = new QLabel(infoLine);
  ImagePath = new QLabel(infoLine);
  infoLayout->addWidget(new QLabel("Image size:", infoLine));
  infoLayout->addWidget(ImageSize);
  infoLayout->addWidget(new QLabel("Image file name:", infoLine));
  infoLayout->addWidget(ImagePath, 1);
  GameRecordingPNL = new QWidget(right);
  GameRecordingPNL->setObjectName("GameRecordingPNL");
  BuildRecordingPanel();
  rightLayout->addWidget(ImageBAR);
  rightLayout->addWidget(ScreenShotPGE, 1);
  rightLayout->addWidget(infoLine);
  rightLayout->addWidget(GameRecordingPNL);
  MainSPLT->addWidget(left);
  MainSPLT->addWidget(right);
  MainSPLT->setSizes({385, 375});
  MainSPLT->setChildrenCollapsible(false);  // neither panel can be dragged out of sight
  // The left panel and the quick information keep their size when the window is resized.
  MainSPLT->setStretchFactor(0, 0);
  MainSPLT->setStretchFactor(1, 1);
  LeftSPLT->setStretchFactor(0, 1);
  LeftSPLT->setStretchFactor(1, 0);
  setCentralWidget(MainSPLT);

  StatusPanel0 = new QLabel(this);
  StatusPanel0->setMinimumWidth(150);
  StatusPanel1 = new QLabel(this);
  StatusPanel1->setMinimumWidth(50);
  statusBar()->addWidget(StatusPanel0);
  statusBar()->addWidget(StatusPanel1, 1);

  JoyCheckTMR = new QTimer(this);
  JoyCheckTMR->setInterval(100);
  connect(JoyCheckTMR, &QTimer::timeout, this, [this]() { Guarded([this] { JoyCheckTMRTimer(); }); });
  // Dead zones 50 and ranges 1000 (the defaults).
  DirectX = NewJoystickInput(this);
  // Started again after each picture of the slideshow.
  SlideShowTMR = new QTimer(this);
  SlideShowTMR->setSingleShot(true);
  SlideShowTMR->setInterval(4000);

  CreateActions();
  connect(ListTabs, &QTabBar::currentChanged, this,
          [this]() { Guarded([this] { ListTabsChange(); }); });
  connect(UserSlideshowDelay, QOverload<int>::of(&QComboBox::activated), this,
          [this]() { Guarded([this] { UserSlideshowDelayClick(); }); });
  // A delay typed into the box applies when the box is left, as after Enter.
  connect(UserSlideshowDelay->lineEdit(), &QLineEdit::editingFinished, this,
          [this]() { Guarded([this] { UserSlideshowDelayClick(); }); });
  // The boxes take only what they can use and add nothing to their lists.
  UserZoom->setInsertPolicy(QComboBox::NoInsert);
  UserZoom->setValidator(new QRegularExpressionValidator(
      QRegularExpression("\\d{1,4}(?:[.,]\\d{0,2})? ?%?|Automatic",
                         QRegularExpression::CaseInsensitiveOption),
      UserZoom));
  UserZoom->setToolTip("Zoom: a percentage of the picture's area, or Automatic");
  UserSlideshowDelay->setInsertPolicy(QComboBox::NoInsert);
  UserSlideshowDelay->setValidator(new QRegularExpressionValidator(
      QRegularExpression("\\d{1,5}(?:[.,]\\d{0,3})?"), UserSlideshowDelay));
  UserSlideshowDelay->setToolTip("Seconds between two pictures of the slideshow");
  connect(UserZoom->lineEdit(), &QLineEdit::editingFinished, this,
          [this]() { Guarded([this] { DisplayPicture(); }); });
  auto* zoomLabel = new QLabel("&Zoom:", ImageBAR);
  zoomLabel->setBuddy(UserZoom);
  auto* delayLabel = new QLabel("Slideshow de&lay:", ImageBAR);
  delayLabel->setBuddy(UserSlideshowDelay);
  ImageBAR->addWidget(zoomLabel);
  ImageBAR->addWidget(UserZoom);
  ImageBAR->addSeparator();
  ImageBAR->addWidget(delayLabel);
  ImageBAR->addWidget(UserSlideshowDelay);
  CreatePicturePanel();

  FormCreate();
}

TMainFRM::~TMainFRM() {
  try {
    FormDestroy();
  } catch (...) {
    // Nothing may escape a destructor; every step reports its own failure.
  }
}

void TMainFRM::SetPictureTabCaptions(const StringList& captions) {
  QSignalBlocker block(ScreenShotPGE);
  ImagePNL->setParent(nullptr);
  while (ScreenShotPGE->count() > 0) {
    QWidget* page = ScreenShotPGE->widget(0);
    ScreenShotPGE->removeTab(0);
    delete page;
  }
  for (const std::string& c : captions) {
    auto* page = new QWidget;
    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(0, 0, 0, 0);
    ScreenShotPGE->addTab(page, plat::FromAnsi(c));
  }
  if (ScreenShotPGE->count() > 0) {
    ScreenShotPGE->setCurrentIndex(0);
    ScreenShotPGE->widget(0)->layout()->addWidget(ImagePNL);
  }
}

// ---------------------------------------------------------------------------------------------
// Creation, showing, closing and destruction.

void TMainFRM::FormCreate() {
  // No display name: the desktop would append it to titles that already name the program.
  QApplication::setApplicationName("Velmora");
  std::string argv0;
  if (QCoreApplication::instance() && !QCoreApplication::arguments().isEmpty())
    argv0 = plat::ToLocal(QCoreApplication::arguments().first());
  ProgramDir = plat::ProgramDir(argv0);
  SettingsFileName = ProgramDir + "VELMORA.INI";
  StatsFileName = ProgramDir + "STATS.INI";
  HistoryFileName = plat::FindShippedFile(ProgramDir, "HISTORY.TXT");
  CaptureFile = "$VRTEMP$.NFO";
  QuickSearchText.clear();
  StatusPanel1->setText("Quick search: \"\"");
  CurrentPictureFile.clear();
  SelectedGame = nullptr;
  // The system folder: the folder of the command interpreter stands in for it.
  ComSpec = plat::CommandInterpreter();
  WindowsDir = plat::DirectoryOf(ComSpec);
  if (WindowsDir.empty()) WindowsDir = "/";
  SetIdleCursor(false);
  for (auto& s : RecentProfiles) s.clear();
  for (auto& s : RecentFilters) s.clear();
  PictureTabs.clear();
  Filters = std::make_unique<FilterList>();
  Filters->push_back(nullptr);
  FiltersToOpen.clear();
  LastSelectedFilter = -1;
  FolderNodes = std::make_unique<TreeImageItemList>();
  AlphabetFolders.clear();
  ManufacturerFolders.clear();
  YearFolders.clear();
  LoadSettings();
  LoadStats();
  ProfileLoaded = 0;
  SearchCursor = 0;
  LanguageNames.clear();
  LanguageCaptions.clear();
  TextFiles.clear();
  BuildReopenMenus();
  PictureDragging = 0;
  SetIdleCursor(true);
}

void TMainFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  // A restore from minimised shows the window again: the start-up steps run once.
  if (formShown_) return;
  formShown_ = true;
  // The window takes its place before it appears: the panels are laid out in its real size.
  RestorePlacement();
  // The panels get their sizes once the window is laid out, so they come back as saved (and
  // a profile made at the first start stores them so).
  if (QLayout* l = layout()) l->activate();
  ApplyPanelSizes();
  // Once on the screen the frame is known (and a maximised window has its size): the whole
  // frame is brought onto the screen and the panels are sized again.
  if (QWindow* native = windowHandle())
    exposeHook_ = std::make_unique<TControlSubClass>(native, [this](QObject*, QEvent* ev) {
      if (ev->type() == QEvent::Expose && !framePlaced_ && windowHandle()->isExposed()) {
        framePlaced_ = true;
        QTimer::singleShot(0, this, [this] {
          Guarded([this] {
            FitFrameOnScreen();
            ApplyPanelSizes();
          });
        });
      }
      return false;
    });
  Guarded([this] { FormShow(); });
}

void TMainFRM::FormShow() {
  SetIdleCursor(false);
  setWindowTitle("Velmora");
  {
    // Its creation lists the CD-ROM drives and switches MAMECD use off without any.
    TPreferencesFRM prefs(this);
  }
  ShowStatsViews();
  SetIdleCursor(true);

  if (ProfileLoaded == 0) {
    if (!Arguments.empty()) {
      const std::string& arg = Arguments[0];
      if (plat::UpperCase(plat::ExtensionOf(arg)) == ".VRL") {
        OpenProfile(arg);
      } else {
        FiltersToOpen.push_back(arg);
        OpenProfile(ProfileFileName);
      }
    } else if (!plat::SameText(ProfileFileName, "FIRSTTIME")) {
      OpenProfile(ProfileFileName);
    } else {
      ShowMessageBox(kWelcomeText, plat::MB_ICONINFORMATION);
      CreateProfile();
    }
  }

  LanguageNames = {"ENGLISH"};
  LanguageCaptions = {"English"};

  // A leftover temporary folder means the last launch never returned. Without a known
  // emulator folder there is nothing to look at: the current folder could be anything.
  if (!EmulatorDir.empty()) {
    std::string temp = plat::WithSlash(EmulatorDir) + "$VRTEMP$";
    if (plat::DirExists(temp)) {
      ShowMessageBox(kCrashWarning, plat::MB_ICONWARNING);
      if (!DeleteFolderTree(temp)) ShowMessageBox(kDeleteFailed, plat::MB_ICONERROR);
    }
  }

  // The tip comes once the window is on the screen.
  if (ShowTipsAtStartup)
    QTimer::singleShot(0, this, [this] { Guarded([this] { HelpTipsACTN->trigger(); }); });
}

namespace {
// The areas of the screens that windows may take.
std::vector<placement::Rect> ScreenAreas() {
  std::vector<placement::Rect> areas;
  for (QScreen* s : QGuiApplication::screens()) {
    QRect g = s->availableGeometry();
    areas.push_back({g.left(), g.top(), g.width(), g.height()});
  }
  return areas;
}

QRect ToQRect(const placement::Rect& r) { return QRect(r.left, r.top, r.width, r.height); }
}  // namespace

// The stored placement is the window's normal geometry, without its frame: a maximised window
// keeps it to return to.
void TMainFRM::RestorePlacement() {
  const placement::Rect r = placement::BringOntoScreens(
      {WindowLeft, WindowTop, WindowWidth, WindowHeight}, ScreenAreas());
  setGeometry(ToQRect(r));
  if (WindowState == 2)
    setWindowState(windowState() | Qt::WindowMaximized);
  else
    setWindowState(windowState() & ~Qt::WindowMaximized);
}

void TMainFRM::FitFrameOnScreen() {
  // Asked of the window itself: the widget may still hold the frame it had before the window
  // manager framed it.
  const QRect g = geometry();
  const QMargins f = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  if (isMaximized() && f.isNull() && screen()) {
    // Nobody maximised it (no window manager): it takes its screen itself, and its normal
    // geometry is what is stored.
    const QRect area = screen()->availableGeometry();
    if (g.width() < area.width() || g.height() < area.height()) {
      unmanagedMaximised_ = {g, area};
      setGeometry(area);
    }
    return;
  }
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
  const placement::Margins m{f.left(), f.top(), f.right(), f.bottom()};
  const QRect fitted = ToQRect(placement::BringFrameOntoScreens(
      {g.left(), g.top(), g.width(), g.height()}, m, ScreenAreas()));
  if (fitted != g) setGeometry(fitted);
}

void TMainFRM::closeEvent(QCloseEvent* e) {
  bool ok = true;
  Guarded([this, &ok] { ok = FormCloseQuery(); });
  if (!ok) {
    e->ignore();
    return;
  }
  TDXForm::closeEvent(e);
}

void TMainFRM::FileQuitACTNExecute() { close(); }

namespace {
// Each step stands on its own: one that fails is reported and the others still run.
void Step(TMainFRM& w, const char* what, const std::function<void()>& f) {
  plat::RunGuarded(f, [&w, what](const std::string& error) {
    w.ShowMessageBox(std::string(what) + ": " + error, plat::MB_ICONERROR);
  });
}
}  // namespace

void TMainFRM::FormDestroy() {
  StoreAtClose();
  Step(*this, "Releasing the lists", [this] {
    types::DisposeFilterList(Filters);
    types::ResetTreeImageItems(FolderNodes);
    types::FreePlayStatList(PlayStats);
    ClearDatabase();
    LanguageNames.clear();
    LanguageCaptions.clear();
    TextFiles.clear();
    PictureTabs.clear();
    FiltersToOpen.clear();
    AlphabetFolders.clear();
    YearFolders.clear();
    ManufacturerFolders.clear();
  });
}

void TMainFRM::StoreAtClose() {
  auto step = [this](const char* what, const std::function<void()>& f) { Step(*this, what, f); };
  step("Storing the window placement", [this] {
    // Without a window manager the window still covers the area it took when maximised.
    const bool stretched = unmanagedMaximised_ && geometry() == unmanagedMaximised_->second;
    WindowState = isMaximized() || stretched ? 2 : 0;
    const QRect g = stretched ? unmanagedMaximised_->first : normalGeometry();
    WindowTop = g.top();
    WindowLeft = g.left();
    WindowHeight = g.height();
    WindowWidth = g.width();
  });
  step("Writing the settings", [this] {
    std::string error;
    if (!SaveSettings(&error))
      ShowMessageBox("The settings could not be written to " + SettingsFileName + ":\r" + error,
                     plat::MB_ICONERROR);
  });
  step("Writing MAME.CFG", [this] { SaveMAMECfg(); });
  step("Writing the statistics", [this] {
    if (PlayStats && !PlayStats->empty()) SaveStats();
  });
}

// ---------------------------------------------------------------------------------------------
// Panel sizes (settings keys LeftPanelWidth and QuickInfoHeight).

// Once the window has been laid out the splitters hold the sizes the user left, also after
// the window is hidden at quit.
int32_t TMainFRM::CurrentLeftPanelWidth() const {
  QList<int> s = MainSPLT->sizes();
  if (formShown_ && !s.isEmpty()) return s[0];
  return leftPanelWidth_;
}

// Hidden, the quick information keeps the height it was last shown at.
int32_t TMainFRM::CurrentQuickInfoHeight() const {
  QList<int> s = LeftSPLT->sizes();
  if (!formShown_ || s.size() < 2) return quickInfoHeight_;
  if (s[1] > 0) return s[1];
  return quickInfoShownHeight_ > 0 ? quickInfoShownHeight_ : quickInfoHeight_;
}

void TMainFRM::ApplyPanelSizes() {
  // Before the window is shown the splitters have no size of their own: applied at the show.
  if (!isVisible()) return;
  // As saved when both panels fit, else in proportion to the window it was saved in; a
  // maximised window's panels were saved in about the size it has again.
  const int total = MainSPLT->width() - MainSPLT->handleWidth();
  const int chrome = width() - total;
  const auto minWidth = [](const QWidget* w) {
    return std::max(w->minimumWidth(), w->minimumSizeHint().width());
  };
  const int savedTotal = WindowState == 2 ? total : WindowWidth - chrome;
  const int left = placement::SplitAt(leftPanelWidth_, savedTotal, total,
                                      minWidth(MainSPLT->widget(0)), minWidth(MainSPLT->widget(1)));
  MainSPLT->setSizes({left, std::max(0, total - left)});
  const int leftHeight = LeftSPLT->height() - LeftSPLT->handleWidth();
  if (quickInfoHeight_ < 0) quickInfoHeight_ = leftHeight / 3;
  LeftSPLT->setSizes({std::max(0, leftHeight - quickInfoHeight_), quickInfoHeight_});
}
