// The set-name index of the game database.
#include "frontend/main.h"

void TMainFRM::BuildGameIndex() {
  if (!GameIndex) GameIndex = std::make_unique<std::unordered_map<std::string, GameRecord*>>();
  GameIndex->clear();
  GameIndex->reserve((Games ? Games->size() : 0) + (Resources ? Resources->size() : 0));
  // Games first, then resources; with a repeated name the first record keeps it.
  for (const GameList* list : {Games.get(), Resources.get()}) {
    if (!list) continue;
    for (size_t i = 0; i < list->size(); ++i) {
      GameRecord* g = (*list)[i].get();
      if (g) GameIndex->emplace(g->Name.str(), g);
    }
  }
}

GameRecord* TMainFRM::FindGameByName(const std::string& Name) const {
  if (!GameIndex || GameIndex->empty() || Name.empty()) return nullptr;
  auto it = GameIndex->find(Name);
  return it == GameIndex->end() ? nullptr : it->second;
}

// The lookup the filter files use.
GameRecord* TMainFRM::LookUpSetName(const std::string& name) { return FindGameByName(name); }
