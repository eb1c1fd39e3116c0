#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include "frontend/MainWindowHarness.h"
#include "frontend/Search.h"

namespace {

struct SearchWindow : MainWindowHarness {
  SearchWindow() {
    Make();
    LoadGames({"PACMAN", "PACLAND", "SUPERPAC", "GALAXIAN", "PACMANF"}, home.path());
    Game("PACMAN")->Description = "Pac-Man";
    Game("PACLAND")->Description = "PAC-LAND";
    Game("SUPERPAC")->Description = "Super Pac-Man";
    Game("PACMANF")->Description = "Pac-Man (speedup hack)";
    Game("PACMANF")->CloneOf = "PACMAN";
    Game("PACMAN")->Manufacturer = "Namco";
  }
  // Shows the dialog of an action and works it: optional text and match, then OK.
  void Search(void (TMainFRM::*action)(), const char* text, QRadioButton* TSearchFRM::*match,
                     std::string* preset = nullptr, bool* caseEnabled = nullptr) {
    seam.modalHandlers.push_back([=](QWidget* w) {
      auto* d = static_cast<TSearchFRM*>(w);
      d->FormShow();
      if (preset) *preset = d->Text2find->selectedText().toStdString();  // typing replaces it
      if (caseEnabled) *caseEnabled = d->casesensitive->isEnabled();
      if (text) d->Text2find->setText(text);
      if (match) (d->*match)->setChecked(true);
      d->OkBTN->click();
      return int(mrOk);
    });
    (window.get()->*action)();
  }
};

std::vector<std::string> Names(const std::vector<GameRecord*>& games) {
  std::vector<std::string> r;
  for (auto* g : games) r.push_back(g->Name.str());
  return r;
}

}  // namespace

TEST(Search, MatchKindsAndCase) {
  SearchWindow h;
  const GameList& games = *h.window->Games;
  using search::FindGames;
  using V = std::vector<std::string>;
  EXPECT_EQ(Names(FindGames(games, 1, search::StartingWith, "pac", false)),
            (V{"PACMAN", "PACLAND", "PACMANF"}));
  EXPECT_EQ(Names(FindGames(games, 1, search::Containing, "pac", false)),
            (V{"PACMAN", "PACLAND", "SUPERPAC", "PACMANF"}));
  EXPECT_EQ(Names(FindGames(games, 1, search::Containing, "Pac", true)),
            (V{"PACMAN", "SUPERPAC", "PACMANF"}));
  EXPECT_EQ(Names(FindGames(games, 1, search::Exact, "pac-man", false)), (V{"PACMAN"}));
  EXPECT_TRUE(FindGames(games, 1, search::Containing, "Pac-Man (speedup hack) and more", false).empty());
  EXPECT_EQ(Names(FindGames(games, 3, search::Exact, "PACMAN", false)), (V{"PACMANF"}));
  EXPECT_EQ(search::FilterName(1, search::StartingWith, "pac"), "Games beginning with \"pac\"");
  EXPECT_EQ(search::FilterName(2, search::Exact, "x"), "Romsets matching \"x\"");
}

TEST(Search, MessagesFilterAndF3Cycling) {
  SearchWindow h;
  TMainFRM& w = *h.window;
  // Several results, a filter made of them, F3 steps through them and wraps.
  h.seam.messageAnswers = {plat::IDYES};
  h.Search(&TMainFRM::FindGameACTNExecute, "pac", &TSearchFRM::Containing);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "4 matches found!\rYou can cycle through them by pressing \"F3\".\r\r"
            "Do you want to create a filter out of the results?");
  EXPECT_EQ(h.seam.messages[0].flags, plat::MB_ICONQUESTION | plat::MB_YESNO);
  ASSERT_EQ(w.Filters->size(), 2u);
  FilterDescriptor* f = (*w.Filters)[1].get();
  EXPECT_EQ(f->Name, "Games containing \"pac\"");
  EXPECT_EQ(f->Modified, 1);
  EXPECT_EQ((*f->Entries)[0]->Folder, "\\");
  EXPECT_EQ(w.ListTabs->currentIndex(), 1);
  std::vector<std::string> seen{w.SelectedGame->Name.str()};
  for (int i = 0; i < 4; ++i) {
    w.FindNextMatchACTNExecute();
    seen.push_back(w.SelectedGame->Name.str());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"PACMAN", "PACLAND", "SUPERPAC", "PACMANF", "PACMAN"}));

  // One result: no F3 sentence; No makes no filter, the result is still selected.
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDNO};
  std::string preset;
  bool caseEnabled = true;
  w.SelectedGame = h.Game("PACMAN");
  h.Search(&TMainFRM::FindCloneACTNExecute, nullptr, nullptr, &preset, &caseEnabled);
  EXPECT_EQ(preset, "PACMAN");
  EXPECT_FALSE(caseEnabled);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "1 match found!\r\rDo you want to create a filter out of the results?");
  EXPECT_EQ(w.Filters->size(), 2u);
  EXPECT_EQ(w.SelectedGame, h.Game("PACMANF"));

  // Nothing found: the warning, and no result list remains.
  h.seam.messages.clear();
  h.Search(&TMainFRM::FindManufacturerACTNExecute, "Nobody", nullptr);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text, "Sorry, no matches were found.");
  EXPECT_EQ(h.seam.messages[0].flags, plat::MB_ICONWARNING);
  EXPECT_FALSE(w.SearchResults);

  // The random game comes from the seam.
  h.seam.randoms = {3};
  w.FindRandomACTNExecute();
  EXPECT_EQ(w.SelectedGame, h.Game("GALAXIAN"));

  // Results never outlive the game list they point into.
  h.seam.messageAnswers = {plat::IDNO};
  h.Search(&TMainFRM::FindGameACTNExecute, "pac", nullptr);
  ASSERT_TRUE(w.SearchResults);
  w.ClearDatabase();
  EXPECT_FALSE(w.SearchResults);
  w.FindNextMatchACTNExecute();
  EXPECT_EQ(w.SelectedGame, nullptr);
}
