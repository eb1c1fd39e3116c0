#include <gtest/gtest.h>

#include "frontend/GameTree.h"

using namespace gametree;

namespace {

std::unique_ptr<GameRecord> Game(uint16_t index, const std::string& name, const std::string& desc,
                                 uint16_t year = 0, const std::string& maker = "") {
  auto g = types::NewGameRecord();
  g->Kind = KIND_GAME;
  g->Index = index;
  g->Name = name;
  g->Description = desc;
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

TEST(GameTreeRows, QuickSearchPrefix) {
  EXPECT_TRUE(StartsWithNoCase("Pac-Man", "PAC"));
  EXPECT_TRUE(StartsWithNoCase("pac-man", "PAC-"));
  EXPECT_FALSE(StartsWithNoCase("Pa", "PAC"));
  EXPECT_TRUE(StartsWithNoCase("x", ""));
  EXPECT_EQ(UpperAscii("a\xe9z"), "A\xe9Z");
}
