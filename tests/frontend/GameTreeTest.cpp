#include <gtest/gtest.h>

#include "frontend/GameTree.h"
#include "platform/Files.h"
#include "support/Records.h"

using namespace gametree;

namespace {

std::unique_ptr<GameRecord> Game(uint16_t index, const std::string& name, const std::string& desc,
                                 uint16_t year = 0, const std::string& maker = "") {
  auto g = ::Game(name, desc);
  g->Index = index;
  g->Year = year;
  g->Manufacturer = maker;
  return g;
}

RecordList<FilterEntryDescriptor> Entries(const GameList& games) {
  RecordList<FilterEntryDescriptor> e;
  for (auto& g : games) {
    auto d = types::NewFilterEntryDescriptor();
    d->Game = g.get();
    e.push_back(std::move(d));
  }
  return e;
}

std::string Names(const RecordList<FilterEntryDescriptor>& e) {
  std::string s;
  for (auto& d : e) s += d->Game->Name.str() + " ";
  return s;
}

// The tree as indented text: folders in brackets.
void Dump(const GameTreeModel& m, const QModelIndex& parent, int depth, std::string& out) {
  for (int r = 0; r < m.rowCount(parent); ++r) {
    QModelIndex i = m.index(r, 0, parent);
    EXPECT_EQ(m.parent(i), parent);
    std::string text = m.data(i).toString().toStdString();
    out += std::string(static_cast<size_t>(depth) * 2, ' ') + (m.GameAt(i) ? text : "[" + text + "]") + "\n";
    Dump(m, i, depth + 1, out);
  }
}

std::string Dump(const GameTreeModel& m) {
  std::string s;
  Dump(m, {}, 0, s);
  return s;
}

}  // namespace

TEST(GameTreeFolders, CleanManufacturerName) {
  EXPECT_EQ(CleanManufacturerName("  Namco (Midway license)  "), "Namco");
  EXPECT_EQ(CleanManufacturerName("[Konami] (Centuri license)"), "Konami");
  EXPECT_EQ(CleanManufacturerName("Bootleg [Sega]"), "Bootleg [Sega");
  EXPECT_EQ(CleanManufacturerName("[Taito]"), "Taito");
  EXPECT_EQ(CleanManufacturerName(""), "");
  EXPECT_EQ(CleanManufacturerName("   "), "");
}

TEST(GameTreeFolders, ListsOfAProfileAndTheYearRangeIsResetEachTime) {
  GameList games;
  games.push_back(Game(1, "A", "a", 1982, "Namco (Midway license)"));
  games.push_back(Game(2, "B", "b", 1980, "atari"));
  games.push_back(Game(3, "C", "c", 0, "<unknown>"));
  games.push_back(Game(4, "D", "d", 1984, "Namco"));
  games.push_back(Game(5, "E", "e", 0, ""));
  games.push_back(Game(6, "F", "f", 0, "1942 Corp"));
  FolderLists l;
  size_t calls = 0, lastSeen = 0;
  std::pair<size_t*, size_t*> ctx{&calls, &lastSeen};
  GenerateFolderLists(&games, l, [](void* ctx, size_t, size_t last) {
    auto* p = static_cast<std::pair<size_t*, size_t*>*>(ctx);
    ++*p->first;
    *p->second = last;
  }, &ctx);
  EXPECT_EQ(calls, 6u);
  EXPECT_EQ(lastSeen, 5u);
  ASSERT_EQ(l.Alphabet.size(), 27u);
  EXPECT_EQ(l.Alphabet.front(), "#");
  EXPECT_EQ(l.Alphabet.back(), "Z");
  EXPECT_EQ(l.Manufacturer, (StringList{"< Unknown >", "1942 Corp", "atari", "Namco"}));
  EXPECT_EQ(l.Year, (StringList{"????", "1980", "1981", "1982", "1983", "1984"}));
  EXPECT_EQ(l.MinYear, 1980);

  // A second profile with later years only: the range starts afresh.
  GameList later;
  later.push_back(Game(1, "X", "x", 1990, ""));
  later.push_back(Game(2, "Y", "y", 1991, ""));
  GenerateFolderLists(&later, l);
  EXPECT_EQ(l.MinYear, 1990);
  EXPECT_EQ(l.Year, (StringList{"????", "1990", "1991"}));
  EXPECT_EQ(l.Manufacturer, (StringList{"< Unknown >"}));
  // No game with a year: "????" alone.
  GameList noYears;
  noYears.push_back(Game(1, "X", "x"));
  GenerateFolderLists(&noYears, l);
  EXPECT_EQ(l.Year, (StringList{"????"}));
  EXPECT_EQ(l.MinYear, 65535);
  // No games: the lists stay as they were.
  GameList none;
  GenerateFolderLists(&none, l);
  EXPECT_EQ(l.Year, (StringList{"????"}));
}

TEST(GameTreeSort, OrdersAreStableAndReversible) {
  GameList games;
  games.push_back(Game(1, "PACMAN", "Pac-Man"));
  games.push_back(Game(2, "GALAXIAN", "Galaxian"));
  games.push_back(Game(3, "PACMAN2", "Pac-Man"));  // same description as PACMAN
  games.push_back(Game(4, "ASTEROID", "asteroids"));  // lower case sorts after upper case
  games.push_back(Game(5, "BOMB", "Pac"));            // a prefix comes first
  auto e = Entries(games);
  e.insert(e.begin() + 2, nullptr);  // empty slots are removed
  SortEntries(e, SortDescription, false, nullptr);
  EXPECT_EQ(Names(e), "GALAXIAN BOMB PACMAN PACMAN2 ASTEROID ");
  SortEntries(e, SortDescription, true, nullptr);
  EXPECT_EQ(Names(e), "ASTEROID PACMAN PACMAN2 BOMB GALAXIAN ");
  SortEntries(e, SortSetName, false, nullptr);
  EXPECT_EQ(Names(e), "ASTEROID BOMB GALAXIAN PACMAN PACMAN2 ");
  SortEntries(e, SortNone, true, nullptr);
  EXPECT_EQ(Names(e), "BOMB ASTEROID PACMAN2 GALAXIAN PACMAN ");
  SortEntries(e, 9, false, nullptr);  // an unknown order keeps the list as it is
  EXPECT_EQ(Names(e), "BOMB ASTEROID PACMAN2 GALAXIAN PACMAN ");
  SortEntries(e, SortNone, false, nullptr);

  PlayStatList stats;
  auto st = [&](const char* n, uint32_t t) {
    stats.push_back(types::NewPlayStatRecord());
    stats.back()->Name = n;
    stats.back()->TotTimes = t;
  };
  st("GALAXIAN", 5);
  st("BOMB", 9);
  st("GALAXIAN", 100);  // a second record of a name does not count
  SortEntries(e, SortMostPlayed, false, &stats);
  EXPECT_EQ(Names(e), "BOMB GALAXIAN PACMAN PACMAN2 ASTEROID ");
  SortEntries(e, SortNone, false, nullptr);
  SortEntries(e, SortMostPlayed, true, &stats);
  EXPECT_EQ(Names(e), "PACMAN PACMAN2 ASTEROID GALAXIAN BOMB ");
  // Manufacturer and year orders sort by description too.
  SortEntries(e, SortYear, false, nullptr);
  EXPECT_EQ(Names(e), "GALAXIAN BOMB PACMAN PACMAN2 ASTEROID ");
}

TEST(GameTreeRows, RowTextWithEveryOption) {
  auto g = Game(1, "PACMAN", "Pac-Man", 1980, "Namco");
  ListingFlagSet all = {1, 1, 1, 1, 0, 0, 0};
  EXPECT_EQ(RowText(7, *g, all), "00007 - [PACMAN] = Pac-Man   (1980 - Namco)");
  EXPECT_EQ(RowText(123456, *g, {0, 0, 0, 1, 0, 0, 0}), "123456 - Pac-Man");
  EXPECT_EQ(RowText(1, *g, {0, 1, 0, 0, 0, 0, 0}), "Pac-Man   (Namco)");
  g->Year = 0;
  EXPECT_EQ(RowText(1, *g, {1, 0, 0, 0, 0, 0, 0}), "Pac-Man   (0)");
  EXPECT_EQ(RowText(1, *g, {0, 0, 1, 0, 0, 0, 0}), "[PACMAN] = Pac-Man");
}

TEST(GameTreeRows, AdditionalFoldersAndPaths) {
  StringList years = {"????", "1980", "1981"};
  auto g = Game(1, "pacman", "'Pac-Man", 1981, " [Namco] (license)");
  EXPECT_EQ(AdditionalFolder(*g, SortDescription, 1980, years), "#");
  EXPECT_EQ(AdditionalFolder(*g, SortSetName, 1980, years), "P");
  EXPECT_EQ(AdditionalFolder(*g, SortManufacturer, 1980, years), "Namco");
  EXPECT_EQ(AdditionalFolder(*g, SortYear, 1980, years), "1981");
  EXPECT_EQ(AdditionalFolder(*g, SortNone, 1980, years), "");
  EXPECT_EQ(AdditionalFolder(*g, SortMostPlayed, 1980, years), "");
  g->Description = "";
  g->Manufacturer = "<UnKnown>";
  g->Year = 0;
  EXPECT_EQ(AdditionalFolder(*g, SortDescription, 1980, years), "#");
  EXPECT_EQ(AdditionalFolder(*g, SortManufacturer, 1980, years), "< Unknown >");
  EXPECT_EQ(AdditionalFolder(*g, SortYear, 1980, years), "????");

  FilterEntryDescriptor e;
  e.Folder = "\\Shooters\\Vertical\\";
  ListingFlagSet f = DefaultListingFlags;
  EXPECT_EQ(EntryPath(e, "A", f), "\\A\\Shooters\\Vertical\\");
  f[AddedFoldersAsRoot] = 0;
  EXPECT_EQ(EntryPath(e, "A", f), "\\Shooters\\Vertical\\A\\");
  f[FilterOwnFolders] = 0;
  EXPECT_EQ(EntryPath(e, "A", f), "\\A\\");
  EXPECT_EQ(SplitPath("\\\\Shooters\\\\Vertical\\"), (std::vector<std::string>{"Shooters", "Vertical"}));
  EXPECT_TRUE(SplitPath("\\").empty());
  EXPECT_TRUE(SplitPath("").empty());
}

TEST(GameTreeBuild, FoldersKeepTheirOrderAndMergeWithoutRegardToCase) {
  GameList games;
  for (int i = 0; i < 5; ++i) games.push_back(Game(static_cast<uint16_t>(i + 1), "G" + std::to_string(i), "Game " + std::to_string(i)));
  auto folderNodes = std::make_unique<TreeImageItemList>();
  GameTreeModel::Builder b(folderNodes.get(), false);
  b.AddGame(b.FindFolderNode("\\Shooters\\Vertical\\", true), "g0", games[0].get());
  b.AddGame(b.FindFolderNode("\\", true), "g1", games[1].get());  // top level
  b.AddGame(b.FindFolderNode("\\shooters\\", true), "g2", games[2].get());
  b.AddGame(b.FindFolderNode("\\Action\\", true), "g3", games[3].get());
  b.AddGame(b.FindFolderNode("\\Zzz\\\\", true), "g4", games[4].get());  // empty part dropped
  EXPECT_EQ(b.FindFolderNode("\\Missing\\", false), nullptr);
  EXPECT_EQ(b.FindFolderNode("\\SHOOTERS\\VERTICAL\\", false), b.FindFolderNode("\\Shooters\\Vertical\\", false));
  EXPECT_EQ(b.GameCount(), 5u);
  GameTreeModel m;
  m.Commit(b);
  // A folder made after a game of the same parent, sorting after every folder there, follows
  // that game.
  EXPECT_EQ(Dump(m),
            "[Action]\n"
            "  g3\n"
            "[Shooters]\n"
            "  [Vertical]\n"
            "    g0\n"
            "  g2\n"
            "g1\n"
            "[Zzz]\n"
            "  g4\n");
  // The folder descriptors mirror the folders, named as first met.
  ASSERT_EQ(folderNodes->size(), 3u);
  EXPECT_EQ((*folderNodes)[0]->Name, "Action");
  EXPECT_EQ((*folderNodes)[1]->Name, "Shooters");
  EXPECT_EQ((*folderNodes)[1]->ParentNode, nullptr);
  ASSERT_TRUE((*folderNodes)[1]->Children);
  EXPECT_EQ((*(*folderNodes)[1]->Children)[0]->Name, "Vertical");
  EXPECT_EQ((*(*folderNodes)[1]->Children)[0]->ParentNode, (*folderNodes)[1]->Node);
  EXPECT_FALSE((*folderNodes)[0]->Children);
  EXPECT_EQ(m.GameCount(), 5u);
  types::ResetTreeImageItems(folderNodes);
}

TEST(GameTreeBuild, DescendingFoldersAndGameLookup) {
  GameList games;
  games.push_back(Game(1, "A", "a"));
  games.push_back(Game(2, "B", "b"));
  GameTreeModel::Builder b(nullptr, true);
  b.AddGame(b.FindFolderNode("\\B\\", true), "b", games[1].get());
  b.AddGame(b.FindFolderNode("\\A\\", true), "a", games[0].get());
  b.AddGame(b.FindFolderNode("\\C\\", true), "a again", games[0].get());
  GameTreeModel m;
  m.Commit(b);
  EXPECT_EQ(Dump(m), "[C]\n  a again\n[B]\n  b\n[A]\n  a\n");
  // The first node of a game in tree order.
  QModelIndex i = m.IndexOfGame(games[0].get());
  ASSERT_TRUE(i.isValid());
  EXPECT_EQ(m.data(i).toString(), "a again");
  EXPECT_EQ(m.GameAt(i), games[0].get());
  EXPECT_EQ(m.GameAt(m.parent(i)), nullptr);
  EXPECT_FALSE(m.IndexOfGame(nullptr).isValid());
  m.Clear();
  EXPECT_EQ(m.rowCount(), 0);
  EXPECT_FALSE(m.IndexOfGame(games[0].get()).isValid());
}

// A folder chain far deeper than the stack is built, shown and freed level by level.
TEST(GameTreeBuild, DeepChainsWithoutRecursion) {
  GameList games;
  games.push_back(Game(1, "A", "a"));
  auto folderNodes = std::make_unique<TreeImageItemList>();
  GameTreeModel m;
  {
    GameTreeModel::Builder b(folderNodes.get(), false);
    std::string path;
    for (int i = 0; i < 300000; ++i) path += "\\f";
    b.AddGame(b.FindFolderNode(path, true), "a", games[0].get());
    m.Commit(b);
  }
  EXPECT_EQ(FolderDepth("\\a\\\\b\\"), 2u);
  EXPECT_EQ(FolderDepth(std::string(1000, '\\')), 0u);
  EXPECT_TRUE(m.IndexOfGame(games[0].get()).isValid());
  m.Clear();
  folderNodes.reset();
}

TEST(GameTreeRows, QuickSearchPrefix) {
  EXPECT_TRUE(StartsWithNoCase("Pac-Man", "PAC"));
  EXPECT_TRUE(StartsWithNoCase("pac-man", "PAC-"));
  EXPECT_FALSE(StartsWithNoCase("Pa", "PAC"));
  EXPECT_TRUE(StartsWithNoCase("x", ""));
  EXPECT_EQ(plat::UpperCase("a\xe9z"), "A\xe9Z");
}

// ---------------------------------------------------------------------------------------------
// The main window's tree.

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeView>

#include "frontend/main.h"
#include "platform/Files.h"
#include "frontend/MainWindowHarness.h"
#include "support/ScriptedSeam.h"

namespace {

// A main window holding a small profile: every game in "All games", plus a filter of its own.
void FillProfile(TMainFRM& f) {
  f.Games = std::make_unique<GameList>();
  f.Resources = std::make_unique<GameList>();
  f.Games->push_back(Game(1, "PACMAN", "Pac-Man", 1980, "Namco"));
  f.Games->push_back(Game(2, "GALAXIAN", "Galaxian", 1979, "Namco"));
  f.Games->push_back(Game(3, "DKONG", "Donkey Kong", 1981, "Nintendo"));
  f.Games->push_back(Game(4, "1942", "1942", 0, ""));
  f.Games->push_back(Game(5, "PUCKMAN", "PuckMan", 1980, "Namco"));
  f.Games->back()->CloneOf = "PACMAN";
  f.Filters = std::make_unique<FilterList>();
  auto all = types::NewFilterDescriptor();
  all->Name = "All games";
  auto own = types::NewFilterDescriptor();
  own->Name = "Mine";
  for (auto& g : *f.Games) {
    auto e = types::NewFilterEntryDescriptor();
    e->Game = g.get();
    all->Entries->push_back(std::move(e));
  }
  auto e1 = types::NewFilterEntryDescriptor();
  e1->Game = (*f.Games)[2].get();
  e1->Folder = "\\Climbing\\";
  own->Entries->push_back(std::move(e1));
  auto e2 = types::NewFilterEntryDescriptor();
  e2->Game = (*f.Games)[1].get();
  own->Entries->push_back(std::move(e2));
  f.Filters->push_back(std::move(all));
  f.Filters->push_back(std::move(own));
  f.ProfileLoaded = 1;
  f.EmulatorDir = f.ProgramDir;  // MAME.CFG is written there at shut-down
  f.BuildGameIndex();
  f.GenerateFolderLists();
}

void Key(QWidget* w, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
}

}  // namespace

TEST(MainGameTree, BuildsTheSelectedFilterWithFoldersAndStatus) {
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  FillProfile(f);
  f.SortBy = SortDescription;
  f.RebuildFilterTabs(0);
  EXPECT_EQ(f.ListTabs->count(), 2);
  EXPECT_EQ(f.ListTabs->tabText(1), "Mine");
  EXPECT_EQ(f.StatusPanel0->text(), "5 romsets listed");
  EXPECT_EQ(Dump(*f.GameTree()),
            "[#]\n  00001 - 1942\n"
            "[D]\n  00002 - Donkey Kong\n"
            "[G]\n  00003 - Galaxian\n"
            "[P]\n  00004 - Pac-Man\n  00005 - PuckMan\n");
  ASSERT_EQ(f.FolderNodes->size(), 4u);
  // "All games" itself is now in sorted order.
  EXPECT_EQ((*(*f.Filters)[0]->Entries)[0]->Game->Name, "1942");

  // Sorted by year, descending, without row numbers; the own filter with its folders.
  f.ListingFlags[ListRowNumber] = 0;
  f.ListingFlags[ListYear] = 1;
  f.SortBy = SortYear;
  f.ReverseSort = 1;
  f.RebuildFilterTabs(1);
  EXPECT_EQ(f.StatusPanel0->text(), "2 romsets listed");
  EXPECT_EQ(Dump(*f.GameTree()), "[1981]\n  [Climbing]\n    Donkey Kong   (1981)\n"
                                 "[1979]\n  Galaxian   (1979)\n");
  // No additional folders: own folders only, no nameless folder.
  f.ListingFlags[AdditionalFolders] = 0;
  f.RebuildFilterTabs(-1);
  EXPECT_EQ(f.ListTabs->currentIndex(), 1);
  // Galaxian sorts first (Z..A) and sits at the top level; the folder made after it follows it.
  EXPECT_EQ(Dump(*f.GameTree()), "Galaxian   (1979)\n[Climbing]\n  Donkey Kong   (1981)\n");
  // A tab past the end selects the last one.
  f.RebuildFilterTabs(7);
  EXPECT_EQ(f.ListTabs->currentIndex(), 1);
}

TEST(MainGameTree, SortChangesRebuildOnlyWhenTheOrderChanges) {
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  FillProfile(f);
  f.SortBy = SortNone;
  f.ListingFlags = {0, 0, 0, 0, 0, 0, 0};
  f.RebuildFilterTabs(0);
  EXPECT_EQ(f.GameTree()->data(f.GameTree()->index(0, 0)).toString(), "Pac-Man");
  f.SetSortOrder(SortNone);  // unchanged: no rebuild, no settings written
  (*f.Games)[0]->Description = "Changed";
  f.SetSortOrder(SortNone);
  f.SetSortDescending(0);
  EXPECT_EQ(f.GameTree()->data(f.GameTree()->index(0, 0)).toString(), "Pac-Man");
  EXPECT_FALSE(plat::FileExists(f.SettingsFileName));
  f.SetSortDescending(1);
  EXPECT_TRUE(f.SortZaACTN->isChecked());
  EXPECT_FALSE(f.SortAzACTN->isChecked());
  EXPECT_NE(h.home.read("VELMORA.INI").find("ReverseSort=1"), std::string::npos);
  EXPECT_EQ(f.GameTree()->data(f.GameTree()->index(0, 0)).toString(), "PuckMan");
  f.SetSortOrder(SortSetName);
  EXPECT_EQ(f.SortBy, SortSetName);
  EXPECT_TRUE(f.SortSetNameACTN->isChecked());
  EXPECT_FALSE(f.SortNoneACTN->isChecked());
  EXPECT_EQ(f.GameTree()->data(f.GameTree()->index(0, 0)).toString(), "PuckMan");
  f.SetSortDescending(0);
  EXPECT_EQ(f.GameTree()->data(f.GameTree()->index(0, 0)).toString(), "1942");
}

TEST(MainGameTree, SelectionShowsQuickInfoAndIsRestoredByName) {
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  FillProfile(f);
  f.LastSelected = "PUCKMAN";
  f.RebuildFilterTabs(0);
  ASSERT_EQ(f.SelectedGame, (*f.Games)[4].get());
  QModelIndex cur = f.TreeList->selectionModel()->currentIndex();
  EXPECT_EQ(f.GameTree()->GameAt(cur), f.SelectedGame);
  EXPECT_TRUE(f.TreeList->isExpanded(cur.parent()));
  std::string info = f.QuickInfoBOX->toPlainText().toStdString();
  EXPECT_EQ(info.substr(0, info.find('\n')), "Game: .............[PUCKMAN] = PuckMan");
  EXPECT_NE(info.find("Clone of: .........[PACMAN] = Pac-Man\n"), std::string::npos);

  // Choosing a folder: no game.
  f.TreeList->selectionModel()->setCurrentIndex(cur.parent(), QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(f.SelectedGame, nullptr);
  EXPECT_EQ(f.LastSelected, "");
  EXPECT_EQ(f.QuickInfoBOX->toPlainText(), "No game has been selected");
  // Choosing a game.
  QModelIndex g = f.GameTree()->IndexOfGame((*f.Games)[2].get());
  f.TreeList->selectionModel()->setCurrentIndex(g, QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(f.LastSelected, "DKONG");

  // A game outside the filter stays selected and shown, with nothing selected in the tree.
  f.SelectedGame = (*f.Games)[0].get();
  f.ListTabs->setCurrentIndex(1);
  f.RebuildFilterTabs(1);
  EXPECT_EQ(f.SelectedGame, (*f.Games)[0].get());
  EXPECT_FALSE(f.TreeList->selectionModel()->currentIndex().isValid());
  EXPECT_EQ(f.LastSelected, "PACMAN");
  // Also when the list gets the keyboard back (a question closed): no first row is chosen.
  QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(f.TreeList, &focusIn);
  EXPECT_EQ(f.SelectedGame, (*f.Games)[0].get());
  EXPECT_EQ(f.LastSelected, "PACMAN");

  // Clearing the database empties the tree and the quick information first.
  f.ClearDatabase();
  EXPECT_EQ(f.GameTree()->rowCount(), 0);
  EXPECT_EQ(f.QuickInfoBOX->toPlainText(), "");
  EXPECT_EQ(f.SelectedGame, nullptr);
  EXPECT_EQ(f.ProfileLoaded, 0);
}

TEST(MainGameTree, QuickSearchFindsByDescriptionInCatalogueOrder) {
  MainWindowHarness h;
  TMainFRM& f = h.Make();
  FillProfile(f);
  f.RebuildFilterTabs(1);  // the search looks at every game, not only the filter shown
  Key(f.TreeList, Qt::Key_P, "p");
  EXPECT_EQ(f.SelectedGame, (*f.Games)[0].get());
  EXPECT_EQ(f.StatusPanel1->text(), "Quick search: \"P\"");
  Key(f.TreeList, Qt::Key_U, "u");
  EXPECT_EQ(f.SelectedGame, (*f.Games)[4].get());
  EXPECT_EQ(f.QuickSearchText, "PU");
  // No match for "PUG": the search starts again from "G".
  Key(f.TreeList, Qt::Key_G, "g");
  EXPECT_EQ(f.QuickSearchText, "G");
  EXPECT_EQ(f.SelectedGame, (*f.Games)[1].get());
  // No description begins with "Z": the first game of the profile.
  Key(f.TreeList, Qt::Key_Z, "z");
  EXPECT_EQ(f.StatusPanel1->text(), "Quick search: \"Z\"");
  EXPECT_EQ(f.SelectedGame, (*f.Games)[0].get());
  // Digits too; navigation keys are the tree's own.
  Key(f.TreeList, Qt::Key_1, "1");
  EXPECT_EQ(f.SelectedGame, (*f.Games)[3].get());
  Key(f.TreeList, Qt::Key_Down, "");
  EXPECT_EQ(f.QuickSearchText, "1");
}
