// The set-name index of the game database, and the filter hand-over around a profile change.
#include "frontend/main.h"
#include "platform/Seams.h"

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

bool TMainFRM::ConfirmUnsavedFilters() {
  if (!Filters || Filters->size() <= 1) return true;
  FiltersToOpen.clear();
  for (size_t i = 1; i < Filters->size(); ++i) {
    const FilterDescriptor* f = (*Filters)[i].get();
    if (!f) continue;
    bool refused = false;
    if (f->Modified)
      refused = ShowMessageBox("The \"" + f->Name + "\" filter is not saved yet.\r"
                               "Continue with the operation?",
                               plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES;
    if (!f->FileName.empty()) FiltersToOpen.push_back(f->FileName);
    if (refused) return false;
  }
  return true;
}

// Placeholders until the filter files and the reopen menus stand.
void TMainFRM::ReloadRememberedFilters() {}
void TMainFRM::BuildReopenMenus() {}
