// The main window. Its methods are spread over files named for the features they hold
// (main.cpp: creation, showing and destruction; Services.cpp: the message box and small
// helpers; the database, profile, filter, tree and launch files beside them).
#pragma once
#include <QStringList>
#include <array>
#include <memory>
#include <string>
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
class QAction;
class GameTreeModel;

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

  // --- game tree, quick information, play statistics, profile roads ---
  // (GameTree.cpp, StatsWindow.cpp, OpenProfile.cpp)
  // Settings these features use; the settings file code reads and writes them.
  uint8_t SortBy = 1;            // 0 none, 1 description, 2 manufacturer, 3 year, 4 most played, 5 set name
  uint8_t ReverseSort = 0;
  std::array<uint8_t, 7> ListingFlags{0, 0, 0, 1, 1, 1, 1};  // gametree::ListYear ...
  std::string LastSelected;      // set name of the selected game
  uint8_t UseStats = 1;
  std::string FaqFilesDir = "FAQ";
  // Game tree state.
  uint16_t MinYear = 65535;
  uint16_t MaxYear = 0;
  uint8_t ListUpdating = 0;
  std::string FaqFile;           // the selected game's FAQ file, empty when none
  // Exit status of the catalogue run while it is parsed (-1: it did not start); a crash or a
  // non-zero status becomes an error line of the parse report.
  int CatalogueRunStatus = 0;

  GameTreeModel* GameTree();     // the tree view's model, made on first use
  void BuildGameList();
  void RebuildFilterTabs(int32_t index);
  void SetSortOrder(uint8_t order);
  void SetSortDescending(uint8_t descending);
  void SortNoneACTNExecute() { SetSortOrder(0); }
  void SortDescriptionACTNExecute() { SetSortOrder(1); }
  void SortManufacturerACTNExecute() { SetSortOrder(2); }
  void SortYearACTNExecute() { SetSortOrder(3); }
  void SortMostPlayedACTNExecute() { SetSortOrder(4); }
  void SortSetNameACTNExecute() { SetSortOrder(5); }
  void SortAzACTNExecute() { SetSortDescending(0); }
  void SortZaACTNExecute() { SetSortDescending(1); }
  void GenerateFolderLists();
  static std::string CleanManufacturerName(const std::string& text);
  void SelectLastGame();
  void GameSelected();
  void ShowQuickInfo(const std::string& text);
  std::string FindFaqFile(const GameRecord* game);
  void TreeListChange();
  void TreeListDblClick();
  bool TreeListKeyPress(int key);  // a character code; true when the key was used
  void ListExpandACTNExecute();
  void ListCollapseACTNExecute();
  // An action of the main window by its name (null while it does not exist).
  QAction* ActionNamed(const char* name) const;

  std::string BuildQuickInfo(const GameRecord* game);
  void AddCloneListInfo(const GameRecord* game, std::string& text, uint16_t& count);
  void AddChipInfo(const GameRecord* game, std::string& text);
  void AddRomInfo(const GameRecord* game, std::string& text);
  void AddDipSwitchInfo(const GameRecord* game, std::string& text);
  void AddSampleInfo(const GameRecord* game, std::string& text);

  void LoadStats();
  void SaveStats();
  void OptionsStatResetACTNExecute();
  void StatsNPlaysACTNExecute();
  void StatsPlayingTimeACTNExecute();

  void OpenProfile(const std::string& fileName);
  void CreateProfile();
  void ClearDatabase();
  // Runs the emulator without arguments and gives its first printed line ("" when none).
  std::string GetEmulatorVersion(const std::string& exe);

  // Provided by the profile, filter and settings code; declared here until it is merged.
  GameRecord* FindGameByName(const std::string& name);
  void BuildGameIndex();
  bool LoadProfile(const std::string& fileName);
  bool SaveProfile(const std::string& fileName);
  bool ParseListInfo();
  bool ConfirmUnsavedFilters();
  void SaveSettings();
  void LoadMAMECfg();
  void UpdateActions();
  void DeletePifFile();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  bool idle_ = true;
};
