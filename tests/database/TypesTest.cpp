#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "database/types.h"

TEST(Records, NewGameIsAnEmptyRasterGame) {
  auto g = types::NewGameRecord();
  EXPECT_EQ(g->Screen, 1);
  EXPECT_EQ(g->Year, 0);
  EXPECT_EQ(g->Status + g->Color + g->Sound, 0);
  ASSERT_TRUE(g->Roms && g->Chips && g->DipSwitches && g->Samples);
  EXPECT_TRUE(g->Roms->empty() && g->Samples->empty());
  EXPECT_TRUE(types::NewDipSwitchRecord()->Entries);
}

// Records come from pools: a freed record's place serves the next one, and the pools keep
// many records of every kind apart.
TEST(Records, PooledRecordsAreReusedAndDistinct) {
  std::vector<std::unique_ptr<RomRecord>> roms;
  for (int i = 0; i < 20000; ++i) {
    roms.push_back(types::NewRomRecord());
    roms.back()->Size = static_cast<uint32_t>(i);
  }
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(roms[static_cast<size_t>(i)]->Size, uint32_t(i));
  auto dip = types::NewDipSwitchRecord();
  dip->Entries->assign(300, "setting");
  const void* freed = roms[7].get();
  roms[7].reset();
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(types::NewRomRecord().get(), freed);
  EXPECT_FALSE(types::pool::Trim());  // records live: the blocks stay
#else
  (void)freed;
#endif
  EXPECT_EQ(dip->Entries->size(), 300u);
  roms.clear();
  dip.reset();
  // Whether or not every block went back, records are made again.
  types::pool::Trim();
  auto again = types::NewRomRecord();
  again->Size = 7;
  EXPECT_EQ(again->Size, 7u);
}

TEST(Records, FixedWidthFieldsTruncate) {
  RomRecord r;
  r.Name = "abcdefghijklm";  // 13
  EXPECT_EQ(r.Name.str(), "abcdefghijkl");
  GameRecord g;
  g.Name = std::string("ninechars");
  EXPECT_EQ(g.Name.str(), "ninechar");
  g.Description = std::string(300, 'x');
  EXPECT_EQ(g.Description.size(), 255u);
}

TEST(Records, FindByNameIsExactAndCaseSensitive) {
  auto list = std::make_unique<PlayStatList>();
  EXPECT_EQ(types::FindByName(list.get(), "PACMAN"), nullptr);
  EXPECT_EQ(types::FindByName<PlayStatRecord>(nullptr, "PACMAN"), nullptr);
  for (const char* n : {"GALAGA", "PACMAN", "PACMAN"}) {
    auto r = types::NewPlayStatRecord();
    r->Name = n;
    list->push_back(std::move(r));
  }
  list->insert(list->begin(), nullptr);
  EXPECT_EQ(types::FindByName(list.get(), "PACMAN"), (*list)[2].get());
  EXPECT_EQ(types::FindByName(list.get(), "pacman"), nullptr);
  EXPECT_EQ(types::FindByName(list.get(), "PACMA"), nullptr);
}

TEST(Records, FreeingSetsTheVariableToNilAndSparesTheGames) {
  auto stats = std::make_unique<PlayStatList>();
  types::FreePlayStatList(stats);
  EXPECT_EQ(stats, nullptr);
  types::FreePlayStatList(stats);  // already nil: nothing happens

  auto games = std::make_unique<GameList>();
  games->push_back(types::NewGameRecord());
  games->back()->DipSwitches->push_back(types::NewDipSwitchRecord());
  games->back()->Roms->push_back(nullptr);
  GameRecord* g = games->back().get();

  auto filter = types::NewFilterDescriptor();
  auto e = types::NewFilterEntryDescriptor();
  e->Game = g;
  e->Folder = "\\A\\";
  filter->Entries->push_back(std::move(e));
  types::DisposeFilterDescriptor(filter);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(games->back()->Screen, 1);  // the game is still whole
  types::FreeGameList(games);
  EXPECT_EQ(games, nullptr);
}

TEST(Records, ResetTreeItemsClearsNodeReferencesRecursively) {
  auto list = std::make_unique<TreeImageItemList>();
  auto item = std::make_unique<TreeImageItemDescriptor>();
  int node = 0;
  item->Node = &node;
  item->Children = std::make_unique<TreeImageItemList>();
  item->Children->push_back(std::make_unique<TreeImageItemDescriptor>());
  list->push_back(std::move(item));
  types::ResetTreeImageItems(list);
  EXPECT_EQ(list, nullptr);
  // A chain far deeper than the stack, reset and simply dropped.
  for (bool reset : {true, false}) {
    list = std::make_unique<TreeImageItemList>();
    TreeImageItemList* at = list.get();
    for (int depth = 0; depth < 1000000; ++depth) {
      at->push_back(std::make_unique<TreeImageItemDescriptor>());
      at->back()->Children = std::make_unique<TreeImageItemList>();
      at = at->back()->Children.get();
    }
    if (reset) types::ResetTreeImageItems(list);
    list.reset();
  }
}

TEST(Vocabulary, TablesAndFallbacks) {
  EXPECT_EQ(types::GameTags.size(), 16u);
  EXPECT_EQ(types::SubTags.size(), 28u);
  for (size_t i = 0; i < types::GameTags.size(); ++i)
    EXPECT_EQ(types::GameTagIsBlock[i], i >= 6 && i <= 12) << types::GameTags[i];
  EXPECT_EQ(types::DriverStateText(3), "Ok");
  EXPECT_EQ(types::DriverStateText(200), "Unknown");
  EXPECT_EQ(types::TableEntry(types::ControlNames, 8), "TRACKBALL");
  EXPECT_EQ(types::TableEntry(types::ControlNames, 9), "Unknown");
  EXPECT_EQ(types::TableEntry(types::ControlNames, 0), "Unknown");
}
