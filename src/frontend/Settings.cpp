// The settings file VELMORA.INI: read once at creation, rewritten whole on every save.
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <unistd.h>

#include "frontend/SettingsValues.h"
#include "frontend/PictureLayout.h"
#include "frontend/Placement.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"
#include "platform/Ini.h"
#include "platform/Numbers.h"

namespace settings {

bool ParseInteger(std::string_view text, long& out) {
  int32_t v = 0;
  if (!plat::ParseInteger(text, v)) return false;
  out = v;
  return true;
}

bool ParseDecimal(std::string_view text, double& out) { return plat::ParseDecimal(text, out); }

long ReadInteger(const plat::IniFile& ini, std::string_view section, std::string_view key,
                 long def) {
  long v = 0;
  return ParseInteger(ini.ReadString(section, key, ""), v) ? v : def;
}

bool ReadBool(const plat::IniFile& ini, std::string_view section, std::string_view key, bool def) {
  return ReadInteger(ini, section, key, def ? 1 : 0) != 0;
}

uint8_t ReadByte(const plat::IniFile& ini, std::string_view section, std::string_view key,
                 uint8_t def) {
  return static_cast<uint8_t>(std::clamp<long>(ReadInteger(ini, section, key, def), 0, 255));
}

int32_t ClampFontSize(long size) {
  return static_cast<int32_t>(std::clamp<long>(size, kMinFontSize, kMaxFontSize));
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string_view rest(path);
  while (!rest.empty()) {
    size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (dir.empty()) continue;
    std::string candidate = plat::JoinPath(dir, program);
    if (plat::FileExists(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace settings

namespace {

using settings::ReadBool;
using settings::ReadByte;
using settings::ReadInteger;

const char* const kListingKeys[7] = {"ListRomsetName",    "ListYear",         "ListManufacturer",
                                     "ListRowNumber",     "AdditionalFolders", "FilterOwnFolders",
                                     "AddedFoldersAsRoot"};
// Position of each key above in TMainFRM::ListingFlags.
const size_t kListingSlots[7] = {gametree::ListRomsetName,    gametree::ListYear,
                                 gametree::ListManufacturer,  gametree::ListRowNumber,
                                 gametree::AdditionalFolders, gametree::FilterOwnFolders,
                                 gametree::AddedFoldersAsRoot};

// "key=value" split at the first "=".
std::pair<std::string, std::string> SplitValue(const std::string& line) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return {line, {}};
  return {line.substr(0, eq), line.substr(eq + 1)};
}

QRect FirstMonitor() {
  QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return QRect(0, 0, 1024, 768);
  return screens.first()->geometry();
}

}  // namespace

void TMainFRM::LoadSettings() {
  plat::IniFile ini(SettingsFileName);
  std::string error;  // a missing or unreadable file gives every default
  if (!ini.Load(&error))
    ShowMessageBox("The settings cannot be read from " + SettingsFileName + ":\r" + error +
                       "\r\rVelmora starts with the default settings and leaves the file as it is.",
                   plat::MB_ICONWARNING);

  // [MAME]
  ErrorLog = ReadBool(ini, "MAME", "ErrorLog", false);
  LogTextOutput = ReadBool(ini, "MAME", "LogTextOutput", false);
  ExtraOptions = ini.ReadString("MAME", "ExtraOptions", "*");
  if (ExtraOptions == "*") ExtraOptions.clear();
  AddOptions = !ExtraOptions.empty();
  IgnoreConfig = ReadBool(ini, "MAME", "IgnoreConfig", false);

  // [ScreenshotTabs]
  StringList captions;
  PictureTabs.clear();
  PictureTabsKept.clear();
  const std::vector<std::string> tabLines = ini.ReadSectionValues("ScreenshotTabs");
  for (const std::string& line : tabLines) {
    auto [caption, folder] = SplitValue(line);
    if (captions.size() == settings::kMaxShownPictureTabs) {
      PictureTabsKept.emplace_back(std::move(caption), std::move(folder));
      continue;
    }
    captions.push_back(caption);
    PictureTabs.push_back(folder);
  }
  if (!PictureTabsKept.empty())
    ShowMessageBox("The settings file " + SettingsFileName + " has " +
                       std::to_string(tabLines.size()) + " picture tabs; Velmora shows the first " +
                       std::to_string(settings::kMaxShownPictureTabs) +
                       ".\rThe others are kept in the file.",
                   plat::MB_ICONWARNING);
  if (captions.empty()) {
    captions.push_back("None");
    PictureTabs.push_back("");
  }
  SetPictureTabCaptions(captions);

  // [Screenshots]
  ScreenshotDisplay = ReadByte(ini, "Screenshots", "ScreenshotDisplay", 0);
  if (ScreenshotDisplay > ScreenShotPGE->count() - 1) ScreenshotDisplay = 0;
  ScreenShotPGE->setCurrentIndex(ScreenshotDisplay);
  if (QWidget* page = ScreenShotPGE->currentWidget(); page && page->layout())
    page->layout()->addWidget(ImagePNL);
  bool slideShow = ReadBool(ini, "Screenshots", "Slideshow", false);
  {
    QSignalBlocker block(ScreenshotsSlideShowACTN);
    ScreenshotsSlideShowACTN->setChecked(slideShow);
  }
  slideShow ? SlideShowTMR->start() : SlideShowTMR->stop();
  UserZoom->setCurrentText(
      plat::FromAnsi(ini.ReadString("Screenshots", "PictureShowZoom", "Automatic")));
  ScreenshotsShowStretchACTN->setChecked(ReadBool(ini, "Screenshots", "StretchPicture", false));
  UserSlideshowDelay->setCurrentText(plat::FromAnsi(ini.ReadString("Screenshots", "Delay", "1.00")));
  UserSlideshowDelayClick();

  // [Sort]
  SortBy = ReadByte(ini, "Sort", "SortBy", 1);
  QAction* sortActions[6] = {SortNoneACTN,       SortDescriptionACTN, SortManufacturerACTN,
                             SortYearACTN,       SortMostPlayedACTN,  SortSetNameACTN};
  for (size_t i = 0; i < 6; ++i) sortActions[i]->setChecked(i == SortBy);
  ReverseSort = ReadBool(ini, "Sort", "ReverseSort", false) ? 1 : 0;
  SortZaACTN->setChecked(ReverseSort != 0);
  SortAzACTN->setChecked(ReverseSort == 0);
  LastSelected = plat::UpperCase(ini.ReadString("Sort", "LastSelected", "NoGameSelected"));
  LastSelectedFilter = static_cast<int32_t>(ReadInteger(ini, "Sort", "LastSelectedFilter", 0));

  // [Listing]
  for (size_t i = 0; i < 7; ++i)
    ListingFlags[kListingSlots[i]] = ReadBool(ini, "Listing", kListingKeys[i],
                                               gametree::DefaultListingFlags[kListingSlots[i]] != 0);

  // [DirectX]
  DXGameSelect = ReadBool(ini, "DirectX", "DXGameSelect", false);
  PlayButton = ReadByte(ini, "DirectX", "PlayButton", 3);
  TopButton = ReadByte(ini, "DirectX", "TopButton", 6);
  BottomButton = ReadByte(ini, "DirectX", "BottomButton", 5);
  PageUpButton = ReadByte(ini, "DirectX", "PageUpButton", 4);
  PageDownButton = ReadByte(ini, "DirectX", "PageDownButton", 2);
  RandomButton = ReadByte(ini, "DirectX", "RandomButton", 1);
  SwitchJoystick(DXGameSelect);

  // [VerifyOnRun]
  CheckSamplesOnRun = ReadBool(ini, "VerifyOnRun", "CheckSamplesOnRun", true);
  CheckCRCOnRun = ReadBool(ini, "VerifyOnRun", "CheckCRCOnRun", false);
  CreateFakeFiles = ReadBool(ini, "VerifyOnRun", "CreateFakeFiles", false);

  // [MameCd]
  MameCdEnabled = ReadBool(ini, "MameCd", "MameCd", false);
  MameCdDrive = ini.ReadString("MameCd", "MameCdDrive", "");

  // [Fonts]
  BoldFontSize = settings::ClampFontSize(ReadInteger(ini, "Fonts", "BoldFontSize", 10));
  NormalFontSize = settings::ClampFontSize(ReadInteger(ini, "Fonts", "NormalFontSize", 8));

  // [ReopenList], [ReopenFilterList]: spelled as the user wrote them.
  for (size_t i = 0; i < 9; ++i) {
    RecentProfiles[i] =
        String255(ini.ReadString("ReopenList", "File" + std::to_string(i + 1), "")).str();
    RecentFilters[i] =
        String255(ini.ReadString("ReopenFilterList", "Filter" + std::to_string(i + 1), "")).str();
  }

  // [OpenFiltersAtBoot]: every value, whatever its key.
  FiltersToOpen.clear();
  for (const std::string& line : ini.ReadSectionValues("OpenFiltersAtBoot")) {
    std::string file = plat::Trim(SplitValue(line).second);
    if (!file.empty()) FiltersToOpen.push_back(file);
  }

  // [Window]
  // Without a stored placement the window uses most of the first monitor.
  const QRect mon = FirstMonitor();
  const placement::Rect first = placement::FirstPlacement(
      {mon.left(), mon.top(), mon.width(), mon.height()}, minimumWidth(), minimumHeight());
  WindowLeft = static_cast<int32_t>(ReadInteger(ini, "Window", "UpperLeftX", first.left));
  WindowTop = static_cast<int32_t>(ReadInteger(ini, "Window", "UpperLeftY", first.top));
  WindowHeight = static_cast<int32_t>(ReadInteger(ini, "Window", "Height", first.height));
  WindowWidth = static_cast<int32_t>(ReadInteger(ini, "Window", "Width", first.width));
  WindowState = ReadBool(ini, "Window", "Maximized", false) ? 2 : 0;
  leftPanelWidth_ = std::max<int32_t>(
      0, static_cast<int32_t>(ReadInteger(ini, "Window", "LeftPanelWidth",
                                          std::max(minimumWidth() / 2, first.width * 2 / 5))));
  // The default height of the quick information: a third of the left panel.
  quickInfoHeight_ = -1;
  long qi = ReadInteger(ini, "Window", "QuickInfoHeight", -1);
  if (qi >= 0) quickInfoHeight_ = static_cast<int32_t>(qi);
  ApplyPanelSizes();

  // [Warnings]
  ShowLogWarning = ReadBool(ini, "Warnings", "LogMameTextOutput", true);

  // [Tips]
  TipNumber = static_cast<int32_t>(ReadInteger(ini, "Tips", "Number", 0));
  TipsRandomly = ReadBool(ini, "Tips", "Randomly", false);
  ShowTipsAtStartup = ReadBool(ini, "Tips", "ShowAtStartup", true);

  // [General]
  ProfileFileName = ini.ReadString("General", "LastProfile", "FIRSTTIME");
  TextEditor = ini.ReadString("General", "TextEditor", settings::FindOnPath("xdg-open"));
  PlayWaveAtVerifyEnd = ini.ReadString("General", "PlayWaveAtVerifyEnd", "FINISH.WAV");
  KillPifFile = ReadBool(ini, "General", "KillPifFile", true);
  UseStats = ReadBool(ini, "General", "UseStats", true);
  FaqFilesDir = ini.ReadString("General", "FaqFiles", "FAQ");
}

bool TMainFRM::SaveSettings(std::string* error) {
  plat::IniFile ini(SettingsFileName);
  if (!ini.Load(error)) return false;  // a file that cannot be read is not written over
  ini.Clear();

  // Which filter files to open next time: the open ones; with no profile in use, the list
  // that was to be opened, so that a failed start does not lose it.
  // The selected tab is stored as its place among them (0: all games, also for a filter that
  // has no file and so does not come back).
  std::vector<std::pair<std::string, std::string>> boot;
  int32_t selected = 0;
  if (ProfileLoaded && Filters) {
    const int current = ListTabs->currentIndex();
    for (size_t i = 1; i < Filters->size(); ++i) {
      const FilterDescriptor* f = (*Filters)[i].get();
      if (!f || f->FileName.empty()) continue;
      boot.emplace_back("Filter" + std::to_string(i), f->FileName);
      if (static_cast<int>(i) == current) selected = static_cast<int32_t>(boot.size());
    }
  } else {
    for (size_t i = 0; i < FiltersToOpen.size(); ++i)
      boot.emplace_back("Filter" + std::to_string(i + 1), FiltersToOpen[i]);
    selected = std::max<int32_t>(0, LastSelectedFilter);
  }
  std::vector<std::pair<std::string, std::string>> tabs;
  for (size_t i = 0; i < PictureTabs.size(); ++i) {
    if (PictureTabs[i].empty()) continue;
    std::string caption = static_cast<int>(i) < ScreenShotPGE->count()
                              ? plat::ToAnsi(ScreenShotPGE->tabText(static_cast<int>(i)))
                              : std::string();
    tabs.emplace_back(caption, PictureTabs[i]);
  }
  for (const auto& kept : PictureTabsKept)
    if (!kept.second.empty()) tabs.push_back(kept);

  // Every section gets its header, its keys and one empty line; sections without keys
  // are left out.
  std::string skeleton;
  for (const char* s : {"MAME", "Screenshots", "ScreenshotTabs", "Sort", "Listing", "DirectX",
                        "VerifyOnRun", "MameCd", "Fonts", "ReopenList", "ReopenFilterList",
                        "OpenFiltersAtBoot", "Window", "Warnings", "Tips", "General"}) {
    if (std::string_view(s) == "ScreenshotTabs" && tabs.empty()) continue;
    if (std::string_view(s) == "OpenFiltersAtBoot" && boot.empty()) continue;
    skeleton += "[" + std::string(s) + "]\r\n\r\n";
  }
  ini.LoadFromText(skeleton);

  ini.WriteBool("MAME", "ErrorLog", ErrorLog);
  ini.WriteBool("MAME", "LogTextOutput", LogTextOutput);
  if (AddOptions && !ExtraOptions.empty()) ini.WriteString("MAME", "ExtraOptions", ExtraOptions);
  ini.WriteBool("MAME", "IgnoreConfig", IgnoreConfig);

  ini.WriteInteger("Screenshots", "ScreenshotDisplay", ScreenshotDisplay);
  ini.WriteBool("Screenshots", "SlideShow", ScreenshotsSlideShowACTN->isChecked());
  ini.WriteString("Screenshots", "PictureShowZoom", plat::ToAnsi(UserZoom->currentText()));
  ini.WriteBool("Screenshots", "StretchPicture", ScreenshotsShowStretchACTN->isChecked());
  ini.WriteString("Screenshots", "Delay", plat::ToAnsi(UserSlideshowDelay->currentText()));

  for (const auto& [caption, folder] : tabs) ini.WriteString("ScreenshotTabs", caption, folder);

  ini.WriteInteger("Sort", "SortBy", SortBy);
  ini.WriteBool("Sort", "ReverseSort", ReverseSort != 0);
  ini.WriteString("Sort", "LastSelected", LastSelected);
  ini.WriteInteger("Sort", "LastSelectedFilter", selected);

  for (size_t i = 0; i < 7; ++i)
    ini.WriteBool("Listing", kListingKeys[i], ListingFlags[kListingSlots[i]] != 0);

  ini.WriteBool("DirectX", "DXGameSelect", DXGameSelect);
  ini.WriteInteger("DirectX", "PlayButton", PlayButton);
  ini.WriteInteger("DirectX", "TopButton", TopButton);
  ini.WriteInteger("DirectX", "BottomButton", BottomButton);
  ini.WriteInteger("DirectX", "PageUpButton", PageUpButton);
  ini.WriteInteger("DirectX", "PageDownButton", PageDownButton);
  ini.WriteInteger("DirectX", "RandomButton", RandomButton);

  ini.WriteBool("VerifyOnRun", "CheckSamplesOnRun", CheckSamplesOnRun);
  ini.WriteBool("VerifyOnRun", "CheckCRCOnRun", CheckCRCOnRun);
  ini.WriteBool("VerifyOnRun", "CreateFakeFiles", CreateFakeFiles);

  ini.WriteBool("MameCd", "MameCd", MameCdEnabled);
  ini.WriteString("MameCd", "MameCdDrive", MameCdDrive);

  ini.WriteInteger("Fonts", "BoldFontSize", BoldFontSize);
  ini.WriteInteger("Fonts", "NormalFontSize", NormalFontSize);

  for (size_t i = 0; i < 9; ++i)
    ini.WriteString("ReopenList", "File" + std::to_string(i + 1), String255(RecentProfiles[i]).str());
  for (size_t i = 0; i < 9; ++i)
    ini.WriteString("ReopenFilterList", "Filter" + std::to_string(i + 1),
                    String255(RecentFilters[i]).str());

  for (const auto& [key, file] : boot) ini.WriteString("OpenFiltersAtBoot", key, file);

  ini.WriteInteger("Window", "UpperLeftX", WindowLeft);
  ini.WriteInteger("Window", "UpperLeftY", WindowTop);
  ini.WriteInteger("Window", "Height", WindowHeight);
  ini.WriteInteger("Window", "Width", WindowWidth);
  ini.WriteBool("Window", "Maximized", WindowState == 2);
  ini.WriteInteger("Window", "LeftPanelWidth", CurrentLeftPanelWidth());
  ini.WriteInteger("Window", "QuickInfoHeight", std::max<int32_t>(0, CurrentQuickInfoHeight()));

  ini.WriteBool("Warnings", "LogMameTextOutput", ShowLogWarning);

  ini.WriteInteger("Tips", "Number", TipNumber);
  ini.WriteBool("Tips", "Randomly", TipsRandomly);
  ini.WriteBool("Tips", "ShowAtStartup", ShowTipsAtStartup);

  ini.WriteString("General", "LastProfile", ProfileFileName);
  ini.WriteString("General", "TextEditor", TextEditor);
  ini.WriteString("General", "PlayWaveAtVerifyEnd", PlayWaveAtVerifyEnd);
  ini.WriteBool("General", "KillPifFile", KillPifFile);
  ini.WriteBool("General", "UseStats", UseStats);
  ini.WriteString("General", "FaqFiles", FaqFilesDir);

  return ini.Save(error);
}

void TMainFRM::UserSlideshowDelayClick() {
  const int ms = pictures::SlideshowInterval(plat::ToAnsi(UserSlideshowDelay->currentText()),
                                             SlideShowTMR->interval());
  bool running = SlideShowTMR->isActive();
  SlideShowTMR->stop();
  SlideShowTMR->setInterval(ms);
  if (running) SlideShowTMR->start();
  char text[32];
  auto [p, ec] = std::to_chars(text, text + sizeof text, SlideShowTMR->interval() / 1000.0,
                               std::chars_format::fixed, 2);
  UserSlideshowDelay->setCurrentText(QString::fromLatin1(text, ec == std::errc() ? p - text : 0));
}
