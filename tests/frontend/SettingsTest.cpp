#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

#include "frontend/MainWindowHarness.h"
#include "frontend/Placement.h"
#include "frontend/SettingsValues.h"
#include "platform/Ini.h"

namespace {

std::string Crlf(const std::string& lf) {
  std::string r;
  for (char c : lf) {
    if (c == '\n') r += '\r';
    r += c;
  }
  return r;
}

QRect FirstMonitor() { return QGuiApplication::screens().first()->geometry(); }

}  // namespace

TEST(SettingsFile, NoFileGivesEveryDefault) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  EXPECT_EQ(w.SortBy, 1);
  EXPECT_EQ(w.ReverseSort, 0);
  EXPECT_TRUE(w.SortDescriptionACTN->isChecked());
  EXPECT_TRUE(w.SortAzACTN->isChecked());
  EXPECT_FALSE(w.SortZaACTN->isChecked());
  ASSERT_EQ(w.ScreenShotPGE->count(), 1);
  EXPECT_EQ(w.ScreenShotPGE->tabText(0), "None");
  ASSERT_EQ(w.PictureTabs.size(), 1u);
  EXPECT_EQ(w.PictureTabs[0], "");
  EXPECT_EQ(w.ProfileFileName, "FIRSTTIME");
  EXPECT_EQ(w.LastSelected, "NOGAMESELECTED");
  EXPECT_EQ(w.LastSelectedFilter, 0);
  QRect mon = FirstMonitor();
  const placement::Rect first = placement::FirstPlacement(
      {mon.left(), mon.top(), mon.width(), mon.height()}, 760, 570);
  EXPECT_EQ(w.WindowLeft, first.left);
  EXPECT_EQ(w.WindowTop, first.top);
  EXPECT_EQ(w.WindowWidth, first.width);
  EXPECT_EQ(w.WindowHeight, first.height);
  EXPECT_EQ(w.WindowState, 0);
  EXPECT_EQ(w.ListingFlags, (std::array<uint8_t, 7>{0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(w.PlayButton, 3);
  EXPECT_EQ(w.TopButton, 6);
  EXPECT_EQ(w.BottomButton, 5);
  EXPECT_EQ(w.PageUpButton, 4);
  EXPECT_EQ(w.PageDownButton, 2);
  EXPECT_EQ(w.RandomButton, 1);
  EXPECT_FALSE(w.JoyCheckTMR->isActive());
  EXPECT_TRUE(w.CheckSamplesOnRun);
  EXPECT_FALSE(w.CheckCRCOnRun);
  EXPECT_EQ(w.BoldFontSize, 10);
  EXPECT_EQ(w.NormalFontSize, 8);
  EXPECT_TRUE(w.ShowLogWarning);
  EXPECT_TRUE(w.ShowTipsAtStartup);
  EXPECT_EQ(w.PlayWaveAtVerifyEnd, "FINISH.WAV");
  EXPECT_EQ(w.FaqFilesDir, "FAQ");
  EXPECT_TRUE(w.KillPifFile);
  EXPECT_TRUE(w.UseStats);
  EXPECT_TRUE(w.ExtraOptions.empty());
  EXPECT_FALSE(w.AddOptions);
  EXPECT_EQ(w.UserZoom->currentText(), "Automatic");
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "1.00");
  EXPECT_EQ(w.SlideShowTMR->interval(), 1000);
  EXPECT_FALSE(w.SlideShowTMR->isActive());
  EXPECT_TRUE(w.FiltersToOpen.empty());
  EXPECT_EQ(w.TextEditor, settings::FindOnPath("xdg-open"));
}

// A file written by hand with every key set, odd spellings and extra keys: read, then
// saved whole in the writer's order and spelling.
TEST(SettingsFile, HandWrittenFileRoundTrip) {
  MainWindowHarness h;
  h.home.write("velmora.ini", Crlf(
      "; written by hand\n"
      "[General]\n"
      "LastProfile=/home/user/Profiles/My Mame.vrl\n"
      "TextEditor=/usr/bin/Gedit\n"
      "PlayWaveAtVerifyEnd=done.wav\n"
      "KillPifFile=0\n"
      "UseStats=0\n"
      "FaqFiles=/data/Faq/\n"
      "Unknown=dropped\n"
      "[MAME]\n"
      "ErrorLog=1\n"
      "LogTextOutput=7\n"
      "ExtraOptions=-nosound -debug\n"
      "IgnoreConfig=1\n"
      "[ScreenshotTabs]\n"
      "Snaps=/pics/snap/\n"
      "Titles=/pics/titles/\n"
      "Flyers=/pics/Flyers/\n"
      "[Screenshots]\n"
      "ScreenshotDisplay=2\n"
      "slideshow=1\n"
      "PictureShowZoom=200%\n"
      "StretchPicture=1\n"
      "Delay=2\n"
      "[Sort]\n"
      "SortBy=3\n"
      "ReverseSort=1\n"
      "LastSelected=zyphon\n"
      "LastSelectedFilter=2\n"
      "[Listing]\n"
      "ListRomsetName=1\n"
      "ListYear=1\n"
      "ListManufacturer=0\n"
      "ListRowNumber=0\n"
      "AdditionalFolders=0\n"
      "FilterOwnFolders=1\n"
      "AddedFoldersAsRoot=0\n"
      "[DirectX]\n"
      "DXGameSelect=1\n"
      "PlayButton=7\n"
      "TopButton=8\n"
      "BottomButton=9\n"
      "PageUpButton=10\n"
      "PageDownButton=11\n"
      "RandomButton=12\n"
      "[VerifyOnRun]\n"
      "CheckSamplesOnRun=0\n"
      "CheckCRCOnRun=1\n"
      "CreateFakeFiles=1\n"
      "[MameCd]\n"
      "MameCd=1\n"
      "MameCdDrive=E:\n"
      "[Fonts]\n"
      "BoldFontSize=14\n"
      "NormalFontSize=12\n"
      "[ReopenList]\n"
      "File1=/home/user/Profiles/My Mame.vrl\n"
      "File3=/home/user/Profiles/old.VRL\n"
      "[ReopenFilterList]\n"
      "Filter2=/home/user/Filters/Shooters.vrf\n"
      "[OpenFiltersAtBoot]\n"
      "A=/home/user/Filters/Shooters.vrf\n"
      "B=/home/user/Filters/Puzzle.VRF\n"
      "[Window]\n"
      "UpperLeftX=30\n"
      "UpperLeftY=40\n"
      "Height=600\n"
      "Width=780\n"
      "Maximized=1\n"
      "LeftPanelWidth=300\n"
      "QuickInfoHeight=150\n"
      "[Warnings]\n"
      "LogMameTextOutput=0\n"
      "[Tips]\n"
      "Number=4\n"
      "Randomly=1\n"
      "ShowAtStartup=0\n"));
  TMainFRM& w = h.Make();
  EXPECT_EQ(w.ProfileFileName, "/home/user/Profiles/My Mame.vrl");
  EXPECT_EQ(w.TextEditor, "/usr/bin/Gedit");
  EXPECT_EQ(w.ExtraOptions, "-nosound -debug");
  EXPECT_TRUE(w.AddOptions);
  EXPECT_TRUE(w.LogTextOutput);
  ASSERT_EQ(w.ScreenShotPGE->count(), 3);
  EXPECT_EQ(w.ScreenShotPGE->tabText(1), "Titles");
  EXPECT_EQ(w.PictureTabs[2], "/pics/Flyers/");
  EXPECT_EQ(w.ScreenshotDisplay, 2);
  EXPECT_EQ(w.ScreenShotPGE->currentIndex(), 2);
  EXPECT_TRUE(w.ScreenshotsSlideShowACTN->isChecked());
  EXPECT_TRUE(w.SlideShowTMR->isActive());
  EXPECT_EQ(w.SlideShowTMR->interval(), 2000);
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "2.00");
  EXPECT_EQ(w.UserZoom->currentText(), "200%");
  EXPECT_TRUE(w.ScreenshotsShowStretchACTN->isChecked());
  EXPECT_EQ(w.SortBy, 3);
  EXPECT_TRUE(w.SortYearACTN->isChecked());
  EXPECT_FALSE(w.SortDescriptionACTN->isChecked());
  EXPECT_TRUE(w.SortZaACTN->isChecked());
  EXPECT_EQ(w.LastSelected, "ZYPHON");
  EXPECT_EQ(w.LastSelectedFilter, 2);
  // Held as ListYear, ListManufacturer, ListRomsetName, ListRowNumber, ...
  EXPECT_EQ(w.ListingFlags, (std::array<uint8_t, 7>{1, 0, 1, 0, 0, 1, 0}));
  EXPECT_TRUE(w.DXGameSelect);
  EXPECT_TRUE(w.JoyCheckTMR->isActive());
  EXPECT_EQ(w.RandomButton, 12);
  EXPECT_TRUE(w.MameCdEnabled);
  EXPECT_EQ(w.MameCdDrive, "E:");
  EXPECT_EQ(w.BoldFontSize, 14);
  EXPECT_EQ(w.RecentProfiles[0], "/home/user/Profiles/My Mame.vrl");
  EXPECT_EQ(w.RecentProfiles[1], "");
  EXPECT_EQ(w.RecentProfiles[2], "/home/user/Profiles/old.VRL");
  EXPECT_EQ(w.RecentFilters[1], "/home/user/Filters/Shooters.vrf");
  EXPECT_EQ(w.FiltersToOpen,
            (StringList{"/home/user/Filters/Shooters.vrf", "/home/user/Filters/Puzzle.VRF"}));
  EXPECT_EQ(w.WindowState, 2);
  EXPECT_EQ(w.WindowLeft, 30);
  EXPECT_EQ(w.TipNumber, 4);
  EXPECT_FALSE(w.ShowTipsAtStartup);

  std::string error;
  ASSERT_TRUE(w.SaveSettings(&error)) << error;
  EXPECT_EQ(h.home.read("velmora.ini"), Crlf(
      "[MAME]\n"
      "ErrorLog=1\n"
      "LogTextOutput=1\n"
      "ExtraOptions=-nosound -debug\n"
      "IgnoreConfig=1\n"
      "\n"
      "[Screenshots]\n"
      "ScreenshotDisplay=2\n"
      "SlideShow=1\n"
      "PictureShowZoom=200%\n"
      "StretchPicture=1\n"
      "Delay=2.00\n"
      "\n"
      "[ScreenshotTabs]\n"
      "Snaps=/pics/snap/\n"
      "Titles=/pics/titles/\n"
      "Flyers=/pics/Flyers/\n"
      "\n"
      "[Sort]\n"
      "SortBy=3\n"
      "ReverseSort=1\n"
      "LastSelected=ZYPHON\n"
      "LastSelectedFilter=2\n"
      "\n"
      "[Listing]\n"
      "ListRomsetName=1\n"
      "ListYear=1\n"
      "ListManufacturer=0\n"
      "ListRowNumber=0\n"
      "AdditionalFolders=0\n"
      "FilterOwnFolders=1\n"
      "AddedFoldersAsRoot=0\n"
      "\n"
      "[DirectX]\n"
      "DXGameSelect=1\n"
      "PlayButton=7\n"
      "TopButton=8\n"
      "BottomButton=9\n"
      "PageUpButton=10\n"
      "PageDownButton=11\n"
      "RandomButton=12\n"
      "\n"
      "[VerifyOnRun]\n"
      "CheckSamplesOnRun=0\n"
      "CheckCRCOnRun=1\n"
      "CreateFakeFiles=1\n"
      "\n"
      "[MameCd]\n"
      "MameCd=1\n"
      "MameCdDrive=E:\n"
      "\n"
      "[Fonts]\n"
      "BoldFontSize=14\n"
      "NormalFontSize=12\n"
      "\n"
      "[ReopenList]\n"
      "File1=/home/user/Profiles/My Mame.vrl\n"
      "File2=\n"
      "File3=/home/user/Profiles/old.VRL\n"
      "File4=\n"
      "File5=\n"
      "File6=\n"
      "File7=\n"
      "File8=\n"
      "File9=\n"
      "\n"
      "[ReopenFilterList]\n"
      "Filter1=\n"
      "Filter2=/home/user/Filters/Shooters.vrf\n"
      "Filter3=\n"
      "Filter4=\n"
      "Filter5=\n"
      "Filter6=\n"
      "Filter7=\n"
      "Filter8=\n"
      "Filter9=\n"
      "\n"
      "[OpenFiltersAtBoot]\n"
      "Filter1=/home/user/Filters/Shooters.vrf\n"
      "Filter2=/home/user/Filters/Puzzle.VRF\n"
      "\n"
      "[Window]\n"
      "UpperLeftX=30\n"
      "UpperLeftY=40\n"
      "Height=600\n"
      "Width=780\n"
      "Maximized=1\n"
      "LeftPanelWidth=300\n"
      "QuickInfoHeight=150\n"
      "\n"
      "[Warnings]\n"
      "LogMameTextOutput=0\n"
      "\n"
      "[Tips]\n"
      "Number=4\n"
      "Randomly=1\n"
      "ShowAtStartup=0\n"
      "\n"
      "[General]\n"
      "LastProfile=/home/user/Profiles/My Mame.vrl\n"
      "TextEditor=/usr/bin/Gedit\n"
      "PlayWaveAtVerifyEnd=done.wav\n"
      "KillPifFile=0\n"
      "UseStats=0\n"
      "FaqFiles=/data/Faq/\n"
      "\n"));
}

TEST(SettingsFile, ExtraOptionsStarOrEmptyMeanNone) {
  for (const char* value : {"*", ""}) {
    MainWindowHarness h;
    h.home.write("VELMORA.INI", std::string("[MAME]\r\nExtraOptions=") + value + "\r\n");
    TMainFRM& w = h.Make();
    EXPECT_TRUE(w.ExtraOptions.empty());
    EXPECT_FALSE(w.AddOptions);
    ASSERT_TRUE(w.SaveSettings());
    plat::IniFile ini(h.home.file("VELMORA.INI"));
    ini.Load();
    EXPECT_FALSE(ini.ValueExists("MAME", "ExtraOptions"));
    EXPECT_TRUE(ini.ValueExists("MAME", "ErrorLog"));
  }
}

TEST(SettingsFile, OutOfRangeValuesAreKeptInBounds) {
  MainWindowHarness h;
  h.home.write("VELMORA.INI",
               "[ScreenshotTabs]\r\nA=/a/\r\nB=/b/\r\nC=/c/\r\n"
               "[Screenshots]\r\nScreenshotDisplay=5\r\nDelay=x\r\n"
               "[Sort]\r\nSortBy=9\r\n"
               "[DirectX]\r\nPlayButton=259\r\nTopButton=-4\r\nBottomButton=2x\r\n"
               "[Fonts]\r\nBoldFontSize=0\r\nNormalFontSize=900\r\n");
  TMainFRM& w = h.Make();
  EXPECT_EQ(w.ScreenshotDisplay, 0);
  EXPECT_EQ(w.ScreenShotPGE->currentIndex(), 0);
  EXPECT_EQ(w.SortBy, 9);
  for (QAction* a : {w.SortNoneACTN, w.SortDescriptionACTN, w.SortManufacturerACTN,
                     w.SortYearACTN, w.SortMostPlayedACTN, w.SortSetNameACTN})
    EXPECT_FALSE(a->isChecked());
  // 259 would wrap to button 3 (the play default); it is held at the byte's top instead.
  EXPECT_EQ(w.PlayButton, 255);
  EXPECT_EQ(w.TopButton, 0);
  EXPECT_EQ(w.BottomButton, 5);  // not a number: the default
  EXPECT_EQ(w.BoldFontSize, settings::kMinFontSize);
  EXPECT_EQ(w.NormalFontSize, settings::kMaxFontSize);
  // A delay that is not a number keeps the interval.
  EXPECT_EQ(w.SlideShowTMR->interval(), 4000);
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "4.00");
  ASSERT_TRUE(w.SaveSettings());
  plat::IniFile ini(h.home.file("VELMORA.INI"));
  ini.Load();
  EXPECT_EQ(ini.ReadString("Sort", "SortBy", ""), "9");
}

TEST(SettingsFile, SlideshowDelayRule) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.UserSlideshowDelay->setCurrentText("0.25");
  w.UserSlideshowDelayClick();
  EXPECT_EQ(w.SlideShowTMR->interval(), 250);
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "0.25");
  w.SlideShowTMR->start();
  w.UserSlideshowDelay->setCurrentText("3");
  w.UserSlideshowDelayClick();
  EXPECT_EQ(w.SlideShowTMR->interval(), 3000);
  EXPECT_TRUE(w.SlideShowTMR->isActive());  // its running state is kept
  w.UserSlideshowDelay->setCurrentText("-1");
  w.UserSlideshowDelayClick();
  EXPECT_EQ(w.SlideShowTMR->interval(), 3000);
  EXPECT_EQ(w.UserSlideshowDelay->currentText(), "3.00");
}

TEST(SettingsFile, TabsWithoutFolderAreNotWrittenAndTwinCaptionsCollapse) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  w.SetPictureTabCaptions({"None", "Snap", "Snap"});
  w.PictureTabs = {"", "/one/", "/two/"};
  ASSERT_TRUE(w.SaveSettings());
  plat::IniFile ini(h.home.file("VELMORA.INI"));
  ini.Load();
  EXPECT_EQ(ini.ReadSectionValues("ScreenshotTabs"), (std::vector<std::string>{"Snap=/two/"}));
  // Without any folder the section is left out.
  w.PictureTabs = {"", "", ""};
  ASSERT_TRUE(w.SaveSettings());
  ini.Load();
  EXPECT_FALSE(ini.SectionExists("ScreenshotTabs"));
}

TEST(SettingsFile, TabsPastTheShownOnesAreToldAndKeptInTheFile) {
  MainWindowHarness h;
  std::string file = "[ScreenshotTabs]\r\n";
  for (size_t i = 0; i < settings::kMaxShownPictureTabs + 3; ++i)
    file += "T" + std::to_string(i) + "=/p" + std::to_string(i) + "/\r\n";
  h.home.write("VELMORA.INI", file);
  TMainFRM& w = h.Make();
  EXPECT_EQ(w.ScreenShotPGE->count(), static_cast<int>(settings::kMaxShownPictureTabs));
  EXPECT_EQ(w.PictureTabs.size(), settings::kMaxShownPictureTabs);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, "The settings file " + h.home.file("VELMORA.INI") +
                                         " has 259 picture tabs; Velmora shows the first 256.\r"
                                         "The others are kept in the file.");
  ASSERT_TRUE(w.SaveSettings());
  plat::IniFile ini(h.home.file("VELMORA.INI"));
  ini.Load();
  const auto tabs = ini.ReadSectionValues("ScreenshotTabs");
  ASSERT_EQ(tabs.size(), settings::kMaxShownPictureTabs + 3);
  EXPECT_EQ(tabs.back(), "T258=/p258/");
}

TEST(SettingsFile, OpenFiltersAreWrittenByPosition) {
  MainWindowHarness h;
  TMainFRM& w = h.Make();
  h.LoadGames({"ZYPHON", "MOONRUN"}, h.home.path());
  h.AddFilter("One", {"ZYPHON"}, 0, "/f/one.vrf");
  h.AddFilter("Two", {"ZYPHON"}, 0);
  h.AddFilter("Three", {"MOONRUN"}, 0, "/f/three.vrf");
  w.FiltersToOpen = {"/f/old.vrf"};
  ASSERT_TRUE(w.SaveSettings());
  plat::IniFile ini(h.home.file("VELMORA.INI"));
  ini.Load();
  EXPECT_EQ(ini.ReadSectionValues("OpenFiltersAtBoot"),
            (std::vector<std::string>{"Filter1=/f/one.vrf", "Filter3=/f/three.vrf"}));
  // The selected tab is stored as its place among those files; Two, without one, is not
  // among them.
  for (auto [tab, stored] : {std::pair{3, 2}, {2, 0}, {1, 1}}) {
    w.ListTabs->setCurrentIndex(tab);
    ASSERT_TRUE(w.SaveSettings());
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ReadInteger("Sort", "LastSelectedFilter", -1), stored) << tab;
  }
}

TEST(SettingsValues, IntegerConversionTakesTheWholeText) {
  long v = 0;
  EXPECT_TRUE(settings::ParseInteger(" 42 ", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(settings::ParseInteger("-7", v));
  EXPECT_EQ(v, -7);
  EXPECT_TRUE(settings::ParseInteger("$1F", v));
  EXPECT_EQ(v, 31);
  EXPECT_TRUE(settings::ParseInteger("0x10", v));
  EXPECT_EQ(v, 16);
  EXPECT_FALSE(settings::ParseInteger("12abc", v));
  EXPECT_FALSE(settings::ParseInteger("", v));
  EXPECT_FALSE(settings::ParseInteger("-", v));
  EXPECT_FALSE(settings::ParseInteger("99999999999", v));
  double d = 0;
  EXPECT_TRUE(settings::ParseDecimal("0,5", d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  EXPECT_FALSE(settings::ParseDecimal("1.5s", d));
}

// A start followed by a quit writes the panel sizes it read, or the ones the user dragged the
// splitters to (the window is hidden by then); quick information hidden at quit keeps the
// height it was shown at, and comes back at it.
TEST(SettingsFile, PanelSizesStableAcrossStarts) {
  MainWindowHarness h;
  h.home.write("VELMORA.INI",
               "[General]\r\nLastProfile=" + h.home.file("none.vrl") +
                   "\r\n[Window]\r\nHeight=600\r\nWidth=800\r\nLeftPanelWidth=300\r\n"
                   "QuickInfoHeight=150\r\n");
  struct Start { int left, quickInfo; bool drag, hide; };
  for (const Start& start :
       {Start{300, 150, false, false}, Start{300, 150, false, false}, Start{350, 120, true, false},
        Start{350, 120, false, true}, Start{350, 120, false, false}}) {
    h.seam.messageAnswers = {plat::IDNO};
    TMainFRM& w = h.Make();
    w.show();
    QApplication::processEvents();
    if (start.drag) {
      w.MainSPLT->setSizes(
          {start.left, w.MainSPLT->width() - w.MainSPLT->handleWidth() - start.left});
      w.LeftSPLT->setSizes(
          {w.LeftSPLT->height() - w.LeftSPLT->handleWidth() - start.quickInfo, start.quickInfo});
    }
    if (start.hide) {
      w.OptionsShowQuickInfoesACTNExecute();
      EXPECT_EQ(w.LeftSPLT->sizes()[1], 0);
      w.OptionsShowQuickInfoesACTNExecute();  // shown again at its height, then hidden
      EXPECT_EQ(w.LeftSPLT->sizes()[1], start.quickInfo);
      w.OptionsShowQuickInfoesACTNExecute();
    }
    w.close();
    h.Destroy();
    plat::IniFile ini(h.home.file("VELMORA.INI"));
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ReadInteger("Window", "LeftPanelWidth", 0), start.left) << start.drag;
    EXPECT_EQ(ini.ReadInteger("Window", "QuickInfoHeight", 0), start.quickInfo) << start.hide;
  }
  // A left panel stored wider than the window leaves the picture panel its minimum width.
  h.home.write("VELMORA.INI", "[Window]\r\nHeight=600\r\nWidth=800\r\nLeftPanelWidth=5000\r\n");
  h.seam.messageAnswers = {plat::IDNO};
  TMainFRM& w = h.Make();
  w.show();
  QApplication::processEvents();
  EXPECT_GE(w.MainSPLT->sizes()[1], w.MainSPLT->widget(1)->minimumSizeHint().width());
  EXPECT_GE(w.MainSPLT->sizes()[0], 200);
}
