// The main window. Its methods are spread over files named for the features they hold
// (main.cpp: creation, showing and destruction; Services.cpp: the message box and small
// helpers; the database, profile, filter, tree and launch files beside them).
#pragma once
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <functional>
#include <map>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "database/DXClass.h"
#include "database/types.h"
#include "directx/DXInputDefs.h"
#include "frontend/TreeLayout.h"
#include "platform/Files.h"

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
class QMenu;
class QComboBox;
class QWidget;
class QToolButton;
class QLineEdit;
class TDXInput;
class QPushButton;
class QMouseEvent;
class QFileSystemWatcher;
namespace plat {
class FolderIndex;
}

class TMainFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TMainFRM(QWidget* owner = nullptr);
  ~TMainFRM() override;

  // --- services ---
  int ShowMessageBox(const std::string& text, unsigned flags);
  // The same for a text that quotes what the user typed (Windows-1252 may not hold it).
  int ShowMessageBoxText(const QString& text, unsigned flags);
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
  int CaptureFd = -1;  // the capture file made by CreateCaptureFile, open until it is removed
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
  // Tabs of the settings file past the ones shown: caption and folder, written back as read.
  std::vector<std::pair<std::string, std::string>> PictureTabsKept;
  uint16_t SearchCursor = 0;
  StringList LanguageNames, LanguageCaptions;
  StringList TextFiles;
  uint8_t PictureDragging = 0;

  // --- components (built in main.cpp) ---
  QToolBar* ToolBAR = nullptr;
  QToolBar* FiltersBAR = nullptr;
  QTabBar* ListTabs = nullptr;         // filter tabs, first "All games"
  QTreeView* TreeList = nullptr;       // the game tree
  QTextEdit* QuickInfoBOX = nullptr;   // read-only, "Courier New", wrapped at its width
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
  TDXInput* DirectX = nullptr;         // the joystick component
  QTimer* SlideShowTMR = nullptr;

  // --- emulator options ---
  MAMEDirectoryRecord MAMEDirectories;
  MAMEConfigFile MAMEConfig;

  // --- listinfo and profiles ---
  // (AddRecentProfile, AddRecentFilter and LookUpSetName, declared below, are in
  // ProfileDatabase.cpp and GameIndex.cpp; ClearDatabase is in OpenProfile.cpp.)
  bool ParseListInfo();                                // reads CaptureFd; true = use it
  bool SaveProfile(const std::string& FileName);       // false = not written (reported)
  // false = refused: reported, or with `refusal` given the reason is put there instead.
  bool LoadProfile(const std::string& FileName, std::string* refusal = nullptr);
  // The set-name index over Games and Resources, rebuilt after every parse and load.
  void BuildGameIndex();
  GameRecord* FindGameByName(const std::string& Name) const;
  std::unique_ptr<std::unordered_map<std::string, GameRecord*>> GameIndex;

  // --- start-up and shut-down ---
  void FormCreate();
  void FormShow();
  void FormDestroy();
  bool FormCloseQuery();  // the filters' close question; false keeps the window open
  void FileQuitACTNExecute();
  // What a close stores: the placement, the settings, MAME.CFG and the statistics.
  void StoreAtClose();
  // (SessionEnd.cpp) The end of the desktop session, made a close that asks nothing: each
  // unsaved filter is written to a new file of its own, which its tab opens at the next start;
  // modal windows go, the work under them stops (a game, a catalogue query, a verification)
  // and the window closes.
  void EndSession();
  // The process ends from under the event loop (the display or the session manager went away
  // and their library exits): the run waited for is stopped, the play so far counted, the
  // temporary folder and the capture file removed, the unsaved filters kept and what a close
  // stores stored, without a window.
  void EndAtExit();
  // The session manager's request to store the user's data: the filters' question where it
  // lets the program ask (false: the user keeps the program), then what a close stores.
  bool CommitSessionData(bool mayAsk);
  bool HasUnsavedFilters() const;
  // The saved placement: WindowState 2 = maximised, 0 = normal.
  int32_t WindowState = 0;
  int32_t WindowTop = 0, WindowLeft = 0, WindowHeight = 570, WindowWidth = 760;
  bool FormShown() const { return formShown_; }

  // --- settings (VELMORA.INI) ---
  void LoadSettings();
  // Rewrites the file whole; false (with the reason) when it could not be written.
  bool SaveSettings(std::string* error = nullptr);
  bool ErrorLog = false;
  bool LogTextOutput = false;
  std::string ExtraOptions;
  bool AddOptions = false;
  bool IgnoreConfig = false;
  uint8_t ScreenshotDisplay = 0;
  uint8_t SortBy = 1;       // 0 none, 1 description, 2 manufacturer, 3 year, 4 most played, 5 set name
  uint8_t ReverseSort = 0;
  std::string LastSelected = "NoGameSelected";
  gametree::ListingFlagSet ListingFlags = gametree::DefaultListingFlags;  // by gametree::List*
  bool DXGameSelect = false;
  uint8_t PlayButton = 3, TopButton = 6, BottomButton = 5, PageUpButton = 4,
          PageDownButton = 2, RandomButton = 1;
  bool CheckSamplesOnRun = true;
  bool CheckCRCOnRun = false;
  bool CreateFakeFiles = false;
  bool MameCdEnabled = false;
  std::string MameCdDrive;
  int32_t BoldFontSize = 10;
  int32_t NormalFontSize = 8;
  bool ShowLogWarning = true;
  int32_t TipNumber = 0;
  bool TipsRandomly = false;
  bool ShowTipsAtStartup = true;
  std::string TextEditor;
  std::string PlayWaveAtVerifyEnd = "FINISH.WAV";
  bool KillPifFile = true;
  bool UseStats = true;
  std::string FaqFilesDir = "FAQ";
  // The slideshow delay rule: the delay text in seconds sets the timer's interval.
  void UserSlideshowDelayClick();
  // Rebuilds the picture tabs from captions (the picture area follows the selected tab).
  void SetPictureTabCaptions(const StringList& captions);

  // --- actions and menus (Actions.cpp) ---
  // Creates every action, menu, tool button and pop-up menu. An action whose feature is not
  // in the program has no handler and stays hidden wherever it is placed.
  void CreateActions();
  void BuildReopenMenus();
  void ReopenProfile();  // click handlers; the sender's "tag" property names the slot
  void ReopenFilter();
  void FileProfileOpenACTNExecute();
  void OptionsShowQuickInfoesACTNExecute();
  void OptionsShowFaqACTNExecute();
  // The preferences window (Preferences.cpp); the statistics views show while UseStats is on.
  void OptionsPreferencesACTNExecute();
  void ShowStatsViews();
  void HelpWhatsNewACTNExecute();
  void HelpMameSiteACTNExecute();
  void HelpVisitMyWebACTNExecute();
  void HelpEMailACTNExecute();
  // The system-information, tip-of-the-day and about windows (SysInfo.cpp, TipOfTheDay.cpp,
  // About.cpp).
  void OptionsSysInfoACTNExecute();
  void HelpTipsACTNExecute();
  void HelpAboutACTNExecute();
  // Runs a handler step; what it throws is told in a message box instead of escaping.
  void Guarded(const std::function<void()>& step);

  // --- picture panel (PicturePanel.cpp) ---
  void CreatePicturePanel();
  // The picture file of a base name in a folder: the preferred of its extensions (PNG, JPG,
  // GIF, BMP, WMF) found without regard to case, as a full path; "" when none exists.
  std::string FindPictureFile(const std::string& baseName, const std::string& folder);
  void FindPicture(const GameRecord* game);
  void LoadPicture(const std::string& file);  // "" shows the logo
  void DisplayPicture();
  // The mark with its text on the shown picture, and the reason under the picture's top edge.
  void DrawMissingImage(const std::string& text, const std::string& reason = {});
  void ScreenShotPGEChange();
  void ScreenshotsForwACTNExecute();
  void ScreenshotsBackACTNExecute();
  void ScreenshotsSlideShowACTNExecute();
  void ScreenshotsShowStretchACTNExecute();
  void ScreenshotsOpenImageDirACTNExecute();
  void ScreenshotsLocateImageACTNExecute();
  void ScreenshotsOpenImageInEditorACTNExecute();
  void ManualZoomSelect(int index);
  void SlideShowTMRTimer();
  void SnapShotMouseDown(QMouseEvent* e);
  void SnapShotMouseMove(QMouseEvent* e);
  void SnapShotMouseUp(QMouseEvent* e);
  // The picture folders are read again and the selected game's picture shown afresh: after a
  // game (its emulator may have saved a snapshot) and when the shown folder or file changed.
  void RenewPictures();
  QFileSystemWatcher* PictureWatch = nullptr;  // the shown tab's folder and the shown file
  QTimer* PictureWatchTMR = nullptr;           // a burst of changes renews the pictures once
  QImage ShownPicture;
  uint32_t PictureReads = 0;  // picture files read into the panel
  int32_t PictureOverflowX = 0, PictureOverflowY = 0;
  // The emulator option dialogs (MAMEdir.cpp, Video.cpp, Audio.cpp, Misc.cpp).
  void MameDirectoriesACTNExecute();
  void MameVideoACTNExecute();
  void MameAudioACTNExecute();
  void MameMiscACTNExecute();
  // Opens a text file in the text editor of the settings (the file as its own argument), or
  // with the desktop's default application when none is set; false (told) when it fails.
  bool OpenInTextEditor(const std::string& fileName);
  // The sort actions by order (0 none ... 5 set name), then A-Z and Z-A.
  std::array<QAction*, 8> SortActions() const;
  QMenu* FileSUB = nullptr;
  QMenu* ReopenProfileSUB = nullptr;
  QMenu* ReopenFilterSUB = nullptr;
  QMenu* ImportFilterSUB = nullptr;
  QMenu* MameSUB = nullptr;
  QMenu* DeleteSUB = nullptr;
  QMenu* SearchSUB = nullptr;
  QMenu* SortingSUB = nullptr;
  QMenu* ImageSUB = nullptr;
  QMenu* ZoomSUB = nullptr;
  QMenu* ZoomSUB_ = nullptr;           // the picture pop-up's copy
  QMenu* OptionsSUB = nullptr;
  QMenu* StatsSUB = nullptr;
  QMenu* HelpSUB = nullptr;
  QMenu* TextFilesSUB = nullptr;       // "&MAME text files"
  QMenu* GamesPopUpMENU = nullptr;
  QMenu* PicturePopUpMENU = nullptr;
  QToolBar* ImageBAR = nullptr;
  QComboBox* UserZoom = nullptr;
  QComboBox* UserSlideshowDelay = nullptr;
  QAction* FileProfileNewACTN = nullptr;
  QAction* FileProfileOpenACTN = nullptr;
  QAction* FileProfileInfoACTN = nullptr;
  QAction* FileQuitACTN = nullptr;
  QAction* MamePlayACTN = nullptr;
  QAction* MameRomsetDetailACTN = nullptr;
  QAction* MameVideoACTN = nullptr;
  QAction* MameAudioACTN = nullptr;
  QAction* MameMiscACTN = nullptr;
  QAction* MameDirectoriesACTN = nullptr;
  QAction* MameVerifyACTN = nullptr;
  QAction* DeleteConfigACTN = nullptr;
  QAction* DeleteHiscoreACTN = nullptr;
  QAction* DeleteNVRamACTN = nullptr;
  QAction* DeleteDefaultConfigACTN = nullptr;
  QAction* FindGameACTN = nullptr;
  QAction* FindRomsetACTN = nullptr;
  QAction* FindCloneACTN = nullptr;
  QAction* FindManufacturerACTN = nullptr;
  QAction* FindRandomACTN = nullptr;
  QAction* FindNextMatchACTN = nullptr;
  QAction* SortNoneACTN = nullptr;
  QAction* SortDescriptionACTN = nullptr;
  QAction* SortManufacturerACTN = nullptr;
  QAction* SortYearACTN = nullptr;
  QAction* SortMostPlayedACTN = nullptr;
  QAction* SortSetNameACTN = nullptr;
  QAction* SortAzACTN = nullptr;
  QAction* SortZaACTN = nullptr;
  QAction* OptionsPreferencesACTN = nullptr;
  QAction* OptionsShowQuickInfoesACTN = nullptr;
  QAction* OptionsCommandLineACTN = nullptr;
  QAction* ScreenshotsOpenImageDirACTN = nullptr;
  QAction* OptionsShowFaqACTN = nullptr;
  QAction* OptionsSysInfoACTN = nullptr;
  QAction* OptionsCDInfoACTN = nullptr;
  QAction* OptionsCreateCdACTN = nullptr;
  QAction* OptionsStatResetACTN = nullptr;
  QAction* StatsNPlaysACTN = nullptr;
  QAction* StatsPlayingTimeACTN = nullptr;
  QAction* HelpMameSiteACTN = nullptr;
  QAction* HelpWhatsNewACTN = nullptr;
  QAction* HelpVisitMyWebACTN = nullptr;
  QAction* HelpEMailACTN = nullptr;
  QAction* HelpAboutACTN = nullptr;
  QAction* ScreenshotsSlideShowACTN = nullptr;
  QAction* ScreenshotsShowStretchACTN = nullptr;
  QAction* ScreenshotsLocateImageACTN = nullptr;
  QAction* ScreenshotsOpenImageInEditorACTN = nullptr;
  QAction* ScreenshotsBackACTN = nullptr;
  QAction* ScreenshotsForwACTN = nullptr;
  QAction* FileFilterNewACTN = nullptr;
  QAction* FileFilterRenameACTN = nullptr;
  QAction* FileFilterOpenACTN = nullptr;
  QAction* FileFilterSaveACTN = nullptr;
  QAction* FileFilterSaveAsACTN = nullptr;
  QAction* FileFilterCloseACTN = nullptr;
  QAction* FileFilterImportCatVerACTN = nullptr;
  QAction* FileFilterImportMacMameACTN = nullptr;
  QAction* HelpTipsACTN = nullptr;
  QAction* ListExpandACTN = nullptr;
  QAction* ListCollapseACTN = nullptr;
  QWidget* ImagePNL = nullptr;

  // --- MAME.CFG ---
  void LoadMAMECfg();
  bool SaveMAMECfg();  // false only after a write error was reported
  std::string ReadMAMECfgTopKey(const std::string& key, const std::string& def);
  bool WriteMAMECfgTopKey(const std::string& key, const std::string& value);  // true = failed
  static std::string AddCurrentDirToPath(const std::string& path);
  void ShowMAMETextFile();
  std::string MAMECfgFileName() const;  // MAME.CFG of the emulator folder, as spelled on disk

  // --- filters ---
  // With `failures`, what went wrong is added there instead of shown.
  bool LoadFilterFile(const std::string& fileName, StringList* failures = nullptr);
  bool SaveFilterFile(FilterDescriptor* filter);  // false when the file could not be written
  bool CloseFilter(int index);
  bool ConfirmUnsavedFilters();
  void ReloadRememberedFilters();
  void ListTabsChange();
  void FileFilterRenameACTNExecute();
  void FileFilterOpenACTNExecute();
  void FileFilterSaveACTNExecute();
  void FileFilterSaveAsACTNExecute();
  void FileFilterCloseACTNExecute();
  std::string FiltersFolder() const;  // "FILTERS" of the program folder when it exists
  FilterDescriptor* FilterOfTab(int tab) const;  // null when the list tab has none

  // --- new filters, search and imports (NewFilterDialog.cpp, Search.cpp, import.cpp) ---
  // Appends a new, unsaved filter and shows its tab.
  void AppendFilter(std::unique_ptr<FilterDescriptor> filter);
  void FileFilterImportCatVerACTNExecute();
  void FileFilterImportMacMameACTNExecute();
  void FindGameACTNExecute();
  void FindRomsetACTNExecute();
  void FindCloneACTNExecute();
  void FindManufacturerACTNExecute();
  void FindRandomACTNExecute();
  void FindNextMatchACTNExecute();
  // Selects the search result at the cursor and moves the cursor on (back to 0 at the end).
  void SelectNextMatch();
  std::unique_ptr<std::vector<GameRecord*>> SearchResults;  // none until a search finds some

  // --- temporary folder ---
  bool DeleteFolderTree(const std::string& folder);

  // --- set sources and unpacking ---
  // Set kinds: 1 rom set, 2 sample set, 3 rom set as well.
  // The path of the set's archive (".ACE", ".RAR", ".ZIP") or folder, "" when it is nowhere.
  std::string FindSetSource(const std::string& SetName, uint8_t Kind, bool FromDisc);
  bool AskForMameCdDisc(int32_t Disc);  // false when the user cancelled
  // Appends the prompt's first line to Message and gives the rest.
  std::string BuildDiscPrompt(int32_t Disc, std::string& Message);
  // Unpacks the set into the emulator folder's "$VRTEMP$"; the error text, "" when none failed.
  std::string UnpackSet(const std::string& SetName, uint8_t Kind, bool FromDisc);
  void AddUnrarError(std::string& errors, const std::string& path, int code);
  void AddUnaceError(std::string& errors, const std::string& path, int code);
  uint32_t MameCdSerial = 0;

  // --- set verification (src/verify/VerifyWindow.cpp) ---
  void MameVerifyACTNExecute();

  // --- provided by the profile, tree and statistics features ---
  void OpenProfile(const std::string& fileName);
  void CreateProfile();
  // The same, the page proposing `proposedEmulator` (an executable, or none when empty).
  void CreateProfileFor(const std::string& proposedEmulator);
  void ClearDatabase();
  void LoadStats();
  void SaveStats();
  void RebuildFilterTabs(int32_t index);
  void FileFilterNewACTNExecute();
  void AddRecentProfile(const std::string& fileName);
  void AddRecentFilter(const std::string& fileName);
  GameRecord* LookUpSetName(const std::string& name);  // the name index's lookup

  // --- game tree, quick information, play statistics, profile roads ---
  // (GameTree.cpp, StatsWindow.cpp, OpenProfile.cpp)
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

  std::string BuildQuickInfo(const GameRecord* game);
  void AddCloneListInfo(const GameRecord* game, std::string& text, uint16_t& count);
  void AddChipInfo(const GameRecord* game, std::string& text);
  void AddRomInfo(const GameRecord* game, std::string& text);
  void AddDipSwitchInfo(const GameRecord* game, std::string& text);
  void AddSampleInfo(const GameRecord* game, std::string& text);

  void OptionsStatResetACTNExecute();
  void StatsNPlaysACTNExecute();
  void StatsPlayingTimeACTNExecute();

  // Writes the settings file; a failure is told to the user.
  void WriteSettings();
  // Runs the emulator without arguments and gives its first printed line ("" when none);
  // `stopReason` says why a run that the user or the time limit stopped gave none, or why it
  // was not started (`captureRefused` then true).
  std::string GetEmulatorVersion(const std::string& exe, std::string* stopReason = nullptr,
                                 bool* captureRefused = nullptr);
  // Makes the capture file anew for the emulator's output (see plat::CreateNewFile): its
  // descriptor (kept in CaptureFd; the output is read back from it, never by name), or -1
  // with the message that names the cause.
  int CreateCaptureFile(std::string& message);
  // Removes the capture file while its name still stands for the one we made (never what
  // another program put there), and closes it.
  void RemoveCaptureFile();

  // --- emulator data files and reports (MainReports.cpp) ---
  // A data file named in MAME.CFG as found on disk (any case), "" when missing.
  std::string DataFileName(const std::string& name) const;
  std::string ReadHiscoreEntry(const std::string& FileName, const std::string& SetName);
  static std::string FormatHiscoreArea(const std::string& line);
  std::string ReadInfoFileEntry(const std::string& FileName, const std::string& SetName,
                                const std::string& Part);
  std::string ReadCheatEntries(const std::string& SetName);  // "<GZIP>" for a compressed file
  static std::string HexByteToBits(const std::string& hex);
  void FileProfileInfoACTNExecute();
  void MameRomsetDetailACTNExecute();
  // The disc-set window and the disc information (verify/MameCd.cpp).
  void OptionsCreateCdACTNExecute();
  void OptionsCDInfoACTNExecute();

  void UpdateActions();  // enables the actions and controls by the profile state
  void FocusGameList();  // the game list takes the keyboard once a profile is loaded

  // --- joystick navigation (MainJoystick.cpp) ---
  // The highest pressed button (32 down to 1), 0 when none is pressed.
  static uint8_t GetJoyButton(const TInputStates& states);
  // A joystick component that reads the joystick only (keyboard and mouse off).
  static TDXInput* NewJoystickInput(QObject* owner);
  void JoyCheckTMRTimer();
  // The joystick component's use of its joystick and the timer, both as DXGameSelect says.
  void SwitchJoystick(bool on);
  // The Play button that started the last run has not been let go since.
  bool JoyPlayHeld = false;

  // --- launch (src/launch: Launch.cpp, TestRomset.cpp, Recording.cpp, DosCmd.cpp) ---
  void MamePlayACTNExecute();
  // The end of a launch: the temporary folder goes, the tree shows the game again.
  void DeleteTemporaryFolder();
  void AppendError(const std::string& text);  // to LaunchErrors, with CR LF
  std::string LaunchErrors;
  // The unpacked set against the database; false (after the not-runnable question) on failure.
  bool TestRomset(GameRecord* game, const std::string& errors);
  void OptionsCommandLineACTNExecute();
  // The recording panel under the game list.
  void BuildRecordingPanel();
  void NoneBTNClick();
  void GameRecordingEnable();
  void InpBrowseBTNClick();
  QToolButton* NoneBTN = nullptr;
  QToolButton* PlayBTN = nullptr;
  QToolButton* RecordBTN = nullptr;
  QLabel* InpFileLBL = nullptr;
  QLineEdit* InpFile = nullptr;
  QPushButton* InpBrowseBTN = nullptr;
  // A game's files kept by the emulator: 0 configuration, 1 high score, 2 NV-RAM, 3 default
  // configuration.
  void DeleteGameFile(uint8_t kind);
  void DeleteConfigACTNExecute() { DeleteGameFile(0); }
  void DeleteHiscoreACTNExecute() { DeleteGameFile(1); }
  void DeleteNVRamACTNExecute() { DeleteGameFile(2); }
  void DeleteDefaultConfigACTNExecute() { DeleteGameFile(3); }
  void DeletePifFile();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  std::string PictureTabFolder() const;  // the selected tab's folder, "" when none
  // Of the selected game, beside the shown one (a damaged one among them).
  std::string NumberedPicture(int32_t number);
  void StepPicture(int delta);
  plat::FolderIndex& PictureFolder(const std::string& folder);
  void WatchPictures();
  std::map<std::string, std::unique_ptr<plat::FolderIndex>> pictureFolders_;
  // The file the shown picture was read from, with its size and time then (read or not).
  std::pair<std::string, plat::FileStamp> shownStamp_;
  QPoint dragStart_, dragOrigin_;
  bool idle_ = true;
  bool formShown_ = false;     // the start-up steps of the show run once
  bool tabsChanging_ = false;  // guards the tab change against its own rebuild
  bool closeAccepted_ = false;
  bool ending_ = false;  // the session ends: the close asks nothing
  // The game being run and the steady clock at its start, while the emulator runs.
  std::optional<std::pair<std::string, int64_t>> playing_;
  void KeepUnsavedFilters();
  int32_t leftPanelWidth_ = 380;
  int32_t quickInfoHeight_ = -1;
  int32_t quickInfoShownHeight_ = -1;  // the last height it was shown at (-1: unknown)
  void ApplyPanelSizes();
  int32_t CurrentLeftPanelWidth() const;
  int32_t CurrentQuickInfoHeight() const;
  void RestorePlacement();
  void FitFrameOnScreen();  // the whole frame on the screen, once the frame is known
  std::unique_ptr<TControlSubClass> exposeHook_;
  bool framePlaced_ = false;
  // Set when no window manager maximised the window and it took its screen itself: its
  // normal geometry and the area it took.
  std::optional<std::pair<QRect, QRect>> unmanagedMaximised_;
};
