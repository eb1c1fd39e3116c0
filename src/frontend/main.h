// The main window. Its methods are spread over files named for the features they hold
// (main.cpp: creation, showing and destruction; Services.cpp: the message box and small
// helpers; the database, profile, filter, tree and launch files beside them).
#pragma once
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/DXClass.h"
#include "database/types.h"

class QTabBar;
class QTreeView;
class QTextEdit;
class QLabel;
class QTabWidget;
class QSplitter;
class QToolBar;
class QTimer;

class TMainFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TMainFRM(QWidget* owner = nullptr);
  ~TMainFRM() override;

  // --- services ---
  int ShowMessageBox(const std::string& text, unsigned flags);
  void SetIdleCursor(bool idle);
  static std::string PadRight(const std::string& text, uint8_t width);
  static bool IsGZipFile(const std::string& fileName);
  static void CollectTextFiles(StringList& list, const std::string& folder);

  // --- program files and environment ---
  std::string ProgramDir;
  std::string SettingsFileName;
  std::string StatsFileName;
  std::string HistoryFileName;
  std::string CaptureFile = "$VRTEMP$.NFO";
  std::string QuickSearchText;
  std::string WindowsDir;
  std::string ComSpec;
  std::string CurrentPictureFile;
  std::vector<std::string> Arguments;  // command-line arguments after argument 0

  // --- database ---
  std::unique_ptr<GameList> Games;
  std::unique_ptr<GameList> Resources;
  GameRecord* SelectedGame = nullptr;
  std::string EmulatorDir;      // with trailing "/"
  std::string EmulatorExe;
  std::string EmulatorVersion;
  std::string ProfileFileName;
  uint8_t ProfileLoaded = 0;
  std::unique_ptr<PlayStatList> PlayStats;

  // --- filters and tree ---
  std::unique_ptr<FilterList> Filters;
  StringList FiltersToOpen;
  int32_t LastSelectedFilter = -1;
  std::unique_ptr<TreeImageItemList> FolderNodes;
  StringList AlphabetFolders, YearFolders, ManufacturerFolders;
  std::array<std::string, 9> RecentProfiles{}, RecentFilters{};
  StringList PictureTabs;
  uint16_t SearchCursor = 0;
  StringList LanguageNames, LanguageCaptions;
  StringList TextFiles;
  uint8_t PictureDragging = 0;

  // --- components (built in main.cpp) ---
  QToolBar* ToolBAR = nullptr;
  QToolBar* FiltersBAR = nullptr;
  QTabBar* ListTabs = nullptr;         // filter tabs, first "All games"
  QTreeView* TreeList = nullptr;       // the game tree
  QTextEdit* QuickInfoBOX = nullptr;   // read-only, "Courier New", no wrap
  QTabWidget* ScreenShotPGE = nullptr; // picture tabs, first "None"
  QLabel* SnapShot = nullptr;
  QLabel* ImageSize = nullptr;
  QLabel* ImagePath = nullptr;
  QWidget* GameRecordingPNL = nullptr;
  QLabel* StatusPanel0 = nullptr;      // number of listed sets (150 px)
  QLabel* StatusPanel1 = nullptr;      // quick-search text (50 px)
  QSplitter* MainSPLT = nullptr;
  QSplitter* LeftSPLT = nullptr;
  QTimer* JoyCheckTMR = nullptr;
  QTimer* SlideShowTMR = nullptr;

  // --- emulator options ---
  MAMEDirectoryRecord MAMEDirectories;
  MAMEConfigFile MAMEConfig;

  // --- listinfo and profiles ---
  bool ParseListInfo();                                // reads CaptureFile; true = use it
  bool SaveProfile(const std::string& FileName);       // false = not written (reported)
  bool LoadProfile(const std::string& FileName);       // false = refused (reported)
  void AddRecentProfile(const std::string& FileName);
  void AddRecentFilter(const std::string& FileName);
  void ClearDatabase();
  // The set-name index over Games and Resources, rebuilt after every parse and load.
  void BuildGameIndex();
  GameRecord* FindGameByName(const std::string& Name) const;
  std::unique_ptr<std::unordered_map<std::string, GameRecord*>> GameIndex;
  int32_t BoldFontSize = 10;    // report headings are this + 4
  int32_t NormalFontSize = 8;   // report text
  // Filter hand-over around a profile change and the reopen menus.
  bool ConfirmUnsavedFilters();
  void ReloadRememberedFilters();
  void BuildReopenMenus();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  bool idle_ = true;
};
