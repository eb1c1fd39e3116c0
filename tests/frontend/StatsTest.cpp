#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <cmath>
#include <unistd.h>

#include "frontend/Stats.h"
#include "frontend/StatsWindow.h"
#include "platform/Files.h"
#include "support/Records.h"
#include "support/TempDir.h"

TEST(PlayStatsFile, RoundTripKeepsOrderAndWritesCrLf) {
  TempDir t;
  PlayStatList list;
  list.push_back(Stat("PACMAN", 12, 1, 5, 9));
  list.push_back(Stat("GALAXIAN", 1, 70000, 0, 59));  // beyond 16 bits of hours
  std::string err;
  ASSERT_TRUE(stats::SaveStatsFile(list, t.file("STATS.INI"), &err)) << err;
  EXPECT_EQ(t.read("STATS.INI"),
            "[PACMAN]\r\nTotHours=1\r\nTotMinutes=5\r\nTotSeconds=9\r\nTotTimes=12\r\n"
            "[GALAXIAN]\r\nTotHours=70000\r\nTotMinutes=0\r\nTotSeconds=59\r\nTotTimes=1\r\n");
  auto back = stats::LoadStatsFile(t.file("STATS.INI"));
  ASSERT_EQ(back->size(), 2u);
  EXPECT_EQ((*back)[0]->Name, "PACMAN");
  EXPECT_EQ((*back)[1]->TotHours, 70000u);
  EXPECT_EQ((*back)[1]->TotSeconds, 59u);
  // A missing file: an empty list.
  EXPECT_TRUE(stats::LoadStatsFile(t.file("NONE.INI"))->empty());
  // One that is no regular file: no list, and it is not written over.
  ASSERT_EQ(symlink("/dev/zero", t.file("ZERO.INI").c_str()), 0);
  EXPECT_EQ(stats::LoadStatsFile(t.file("ZERO.INI"), &err), nullptr);
  EXPECT_EQ(err, "Not a regular file");
  EXPECT_FALSE(stats::SaveStatsFile(list, t.file("ZERO.INI"), &err));
  EXPECT_TRUE(plat::ResolveNoCase(t.file("ZERO.INI")) && !plat::FileExists(t.file("ZERO.INI")));
}

TEST(PlayStatsFile, ValuesFromTheFileAreKeptInRange) {
  TempDir t;
  t.write("stats.ini",
          "[pacman]\nTotHours=2\nTotMinutes=300\nTotSeconds=125\nTotTimes=-4\n"
          "[longername]\nTotHours=-1\nTotMinutes=-30\nTotSeconds=70000\nTotTimes=99999999999\n"
          "[empty]\n");
  // Found whatever the case of the file name.
  auto list = stats::LoadStatsFile(t.file("STATS.INI"));
  ASSERT_EQ(list->size(), 3u);
  const PlayStatRecord& a = *(*list)[0];
  EXPECT_EQ(a.Name, "PACMAN");
  EXPECT_EQ(a.TotHours, 7u);  // 2 h + 300 min + 125 s = 7:02:05
  EXPECT_EQ(a.TotMinutes, 2u);
  EXPECT_EQ(a.TotSeconds, 5u);
  EXPECT_EQ(a.TotTimes, 0u);
  const PlayStatRecord& b = *(*list)[1];
  EXPECT_EQ(b.Name, "LONGERNA");  // cut to 8 characters
  EXPECT_EQ(b.TotHours, 19u);    // 70000 s = 19:26:40
  EXPECT_EQ(b.TotMinutes, 26u);
  EXPECT_EQ(b.TotSeconds, 40u);
  EXPECT_EQ(b.TotTimes, 4294967295u);
  EXPECT_EQ((*list)[2]->TotTimes, 0u);
  // Saving writes the same name it was read under, into the file's existing spelling.
  std::string err;
  ASSERT_TRUE(stats::SaveStatsFile(*list, t.file("STATS.INI"), &err)) << err;
  EXPECT_NE(t.read("stats.ini").find("[PACMAN]\r\nTotHours=7\r\nTotMinutes=2"), std::string::npos);
}

TEST(PlayStatsFile, FailedWriteIsReported) {
  TempDir t;
  // A folder in the way of the file: the rename fails, whoever runs the test.
  t.write("STATS.INI/keep", "x");
  PlayStatList list;
  list.push_back(Stat("B", 2, 0, 0, 0));
  std::string err;
  EXPECT_FALSE(stats::SaveStatsFile(list, t.file("STATS.INI"), &err));
  EXPECT_FALSE(err.empty());
  EXPECT_EQ(t.read("STATS.INI/keep"), "x");
}

TEST(PlayStats, AddPlayCarriesTime) {
  PlayStatList list;
  stats::AddPlay(list, "pacman", 3590);
  PlayStatRecord& r = stats::AddPlay(list, "PACMAN", 20);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(r.TotTimes, 2u);
  EXPECT_EQ(stats::TimeText(r.TotHours, r.TotMinutes, r.TotSeconds), "01:00:10");
  stats::SetTime(r, uint64_t{5000000000} * 3600);
  EXPECT_EQ(r.TotHours, 4294967295u);
  EXPECT_EQ(r.TotMinutes, 59u);
}

TEST(PlayStatsView, TotalsCarryAndTheTimeViewRanksBySeconds) {
  PlayStatList list;
  list.push_back(Stat("A", 1, 1, 59, 50));
  list.push_back(Stat("B", 3, 0, 0, 20));
  list.push_back(Stat("C", 2, 0, 0, 30));
  stats::View v = stats::BuildView(list, stats::ByTime, {});
  EXPECT_EQ(v.caption, "Velmora - Statistics report by playing time");
  EXPECT_EQ(v.timeText, "02:00:40");
  EXPECT_EQ(v.playsText, "6");
  // Sorted in place: A, then C (30 s) before B (20 s).
  EXPECT_EQ(list[0]->Name, "A");
  EXPECT_EQ(list[1]->Name, "C");
  EXPECT_EQ(list[2]->Name, "B");
  EXPECT_EQ(v.Slots[1].label, "00:00:30 - [C] (game not supported by current profile)");
  EXPECT_TRUE(v.Slots[2].used);
  EXPECT_FALSE(v.Slots[3].used);
  EXPECT_EQ(v.Slots[3].label, "Not available");
  EXPECT_EQ(v.Slots[3].panelText, "0%");
  // Statistics of 1:59:50 and 0:00:20 total 2:00:10.
  PlayStatList two;
  two.push_back(Stat("A", 1, 1, 59, 50));
  two.push_back(Stat("B", 1, 0, 0, 20));
  EXPECT_EQ(stats::BuildView(two, stats::ByTime, {}).timeText, "02:00:10");
}

TEST(PlayStatsView, NineRecordsShowOtherGamesAndSharesAddUp) {
  PlayStatList list;
  for (int i = 0; i < 9; ++i) list.push_back(Stat("SET" + std::to_string(i), 10 - i, 0, 0, 0));
  list.insert(list.begin() + 3, nullptr);  // an empty slot is dropped
  GameRecord g;
  g.Description = "First set";
  auto find = [&](std::string_view n) -> const GameRecord* { return n == "SET0" ? &g : nullptr; };
  stats::View v = stats::BuildView(list, stats::ByPlays, find);
  EXPECT_EQ(list.size(), 9u);
  EXPECT_EQ(v.caption, "Velmora - Statistics report by number of plays");
  EXPECT_EQ(v.playsText, "54");
  EXPECT_EQ(v.Slots[0].label, "10 - [SET0] = First set");
  EXPECT_EQ(v.Slots[0].panelText, "18.52%");
  EXPECT_EQ(v.Slots[0].panelColor, 0x0000FFu);
  EXPECT_EQ(v.Slots[0].textColor, 0xFFFFFFu);
  EXPECT_EQ(v.Slots[3].textColor, 0x000000u);
  EXPECT_TRUE(v.Slots[7].others);
  EXPECT_EQ(v.Slots[7].label, "5 - Other games");  // ranks 8 and 9: 3 + 2 plays
  EXPECT_EQ(v.Slots[7].panelColor, 0x808080u);
  EXPECT_DOUBLE_EQ(v.Slots[0].startAngle, M_PI / 2);
  double sum = 0;
  for (const auto& s : v.Slots) sum += s.sweepAngle;
  EXPECT_NEAR(sum, 2 * M_PI, 1e-9);
  EXPECT_NEAR(v.Slots[1].startAngle, M_PI / 2 + v.Slots[0].sweepAngle, 1e-12);
  EXPECT_FALSE(v.emptyChart);
  // With exactly eight records the eighth is shown by name.
  list.pop_back();
  v = stats::BuildView(list, stats::ByPlays, find);
  EXPECT_FALSE(v.Slots[7].others);
  EXPECT_EQ(v.Slots[7].label, "3 - [SET7] (game not supported by current profile)");
}

TEST(PlayStatsView, AllZeroSharesDrawAnEmptyChart) {
  PlayStatList list;
  list.push_back(Stat("A", 0, 0, 0, 0));
  list.push_back(Stat("B", 0, 0, 0, 0));
  for (uint8_t mode : {stats::ByPlays, stats::ByTime}) {
    stats::View v = stats::BuildView(list, mode, {});
    EXPECT_TRUE(v.emptyChart);
    EXPECT_EQ(v.Slots[0].panelText, "0.00%");
    EXPECT_EQ(v.Slots[0].sweepAngle, 0.0);
    EXPECT_TRUE(v.Slots[1].used);
  }
  PlayStatList none;
  EXPECT_TRUE(stats::BuildView(none, stats::ByPlays, {}).emptyChart);
}

TEST(StatsWindow, ShowsTheViewAndPaintsTheChart) {
  PlayStatList list;
  list.push_back(Stat("A", 3, 0, 0, 0));
  list.push_back(Stat("B", 1, 0, 0, 0));
  TStatFRM w;
  w.Stats = &list;
  w.Mode = stats::ByPlays;
  w.FormShow();
  EXPECT_EQ(w.windowTitle(), "Velmora - Statistics report by number of plays");
  EXPECT_EQ(w.NPlays->text(), "4");
  EXPECT_EQ(w.GamePNL[0]->text(), "75.00%");
  EXPECT_EQ(w.GameLBL[1]->text(), "1 - [B] (game not supported by current profile)");
  EXPECT_EQ(w.GamePNL[2]->text(), "0%");
  EXPECT_EQ(w.GameLBL[2]->text(), "Not available");
  EXPECT_EQ(w.CloseBTN->text(), "&Ok");
  QImage img = w.Graph->pixmap().toImage();
  ASSERT_FALSE(img.isNull());
  const int c = TStatFRM::ChartSize / 2;
  // The first slice starts straight down and runs clockwise on screen: 75% covers the left,
  // top and right; the last quarter (blue's neighbour, fuchsia) sits lower right.
  EXPECT_EQ(img.pixelColor(c - 40, c).rgb() & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(img.pixelColor(c, c - 40).rgb() & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(img.pixelColor(c + 25, c + 25).rgb() & 0xFFFFFF, 0xFF00FFu);

  // Nothing to show: hatched grey ellipse, no crash.
  PlayStatList zero;
  zero.push_back(Stat("Z", 0, 0, 0, 0));
  TStatFRM z;
  z.Stats = &zero;
  z.Mode = stats::ByTime;
  z.FormShow();
  EXPECT_EQ(z.TotTime->text(), "00:00:00");
  EXPECT_EQ(z.GamePNL[0]->text(), "0.00%");
}

// ---------------------------------------------------------------------------------------------
// The main window's statistics.

#include <QTextEdit>

#include "platform/Files.h"

#include "frontend/main.h"
#include "frontend/MainWindowHarness.h"
#include "support/ScriptedSeam.h"

TEST(MainStats, ResetDeletesTheFileAndNothingIsWrittenAfterwards) {
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  t.write("STATS.INI", "[A]\r\nTotTimes=1\r\n[B]\r\nTotTimes=2\r\n[C]\r\nTotTimes=3\r\n");
  TMainFRM& f = h.Make();
  f.StatsFileName = t.file("STATS.INI");
  f.LoadStats();
  ASSERT_EQ(f.PlayStats->size(), 3u);
  seam.messageAnswers = {plat::IDNO};
  f.OptionsStatResetACTNExecute();
  ASSERT_EQ(seam.messages.size(), 1u);
  EXPECT_EQ(seam.messages[0].text,
            "This will permanently delete the\rstatistics data gathered until now!\r\rAre you sure?");
  EXPECT_EQ(seam.messages[0].flags, 52u);
  EXPECT_EQ(f.PlayStats->size(), 3u);
  f.OptionsStatResetACTNExecute();  // Yes
  EXPECT_FALSE(plat::FileExists(t.file("STATS.INI")));
  EXPECT_TRUE(f.PlayStats->empty());
  EXPECT_EQ(f.QuickInfoBOX->toPlainText(), "No game has been selected");
  f.SaveStats();
  EXPECT_FALSE(plat::FileExists(t.file("STATS.INI")));
}

TEST(MainStats, FailedResetOrSaveIsReportedAndTheDataKept) {
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TempDir t;
  // A folder named like the file can be neither deleted as a file nor replaced.
  t.write("STATS.INI/keep", "x");
  TMainFRM& f = h.Make();
  f.StatsFileName = t.file("STATS.INI");
  f.PlayStats = std::make_unique<PlayStatList>();
  f.PlayStats->push_back(Stat("A", 4, 0, 0, 0));
  f.OptionsStatResetACTNExecute();
  ASSERT_EQ(seam.messages.size(), 2u);
  EXPECT_EQ(seam.messages[1].flags, plat::MB_ICONERROR);
  EXPECT_EQ(f.PlayStats->size(), 1u);
  f.SaveStats();
  ASSERT_EQ(seam.messages.size(), 3u);
  EXPECT_NE(seam.messages[2].text.find("statistics file"), std::string::npos);
  EXPECT_EQ(f.PlayStats->size(), 1u);
}

TEST(MainStats, WindowIsShownModallyWithTheMainWindowsList) {
  MainWindowHarness h;
  ScriptedSeam& seam = h.seam;
  TMainFRM& f = h.Make();
  f.PlayStats = std::make_unique<PlayStatList>();
  f.PlayStats->push_back(Stat("A", 1, 0, 0, 5));
  f.PlayStats->push_back(Stat("B", 2, 0, 0, 1));
  std::string caption;
  seam.modalHandlers.push_back([&](QWidget* w) {
    auto* s = static_cast<TStatFRM*>(w);
    s->FormShow();
    caption = s->windowTitle().toStdString();
    return 1;
  });
  f.StatsPlayingTimeACTNExecute();
  EXPECT_EQ(seam.modalWindows, std::vector<std::string>{"TStatFRM"});
  EXPECT_EQ(caption, "Velmora - Statistics report by playing time");
  EXPECT_EQ((*f.PlayStats)[0]->Name, "A");  // sorted by time
  f.StatsNPlaysACTNExecute();                // cancelled by the script's default
  EXPECT_EQ(seam.modalWindows.size(), 2u);
}
