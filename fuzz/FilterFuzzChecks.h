// What the filter-file fuzz target (and its regression test) require of any input: a file is
// refused or read into entries whose folders are "\...\" paths no deeper than the tree takes,
// and what is read is written and read back the same.
#pragma once
#include <string_view>

#include "frontend/FilterFile.h"
#include "frontend/TreeLayout.h"

namespace fuzzchecks {

inline bool CheckFilterFile(std::string_view file) {
  static GameRecord games[2];
  games[0].Name = "A";
  games[1].Name = "PACMAN";
  auto lookup = [](const std::string& name) -> GameRecord* {
    for (GameRecord& g : games)
      if (g.Name.str() == name) return &g;
    return nullptr;
  };
  FilterDescriptor f;
  if (filterfile::Parse(file, lookup, f) != filterfile::ParseResult::Ok) return true;
  for (const auto& e : *f.Entries) {
    const std::string& d = e->Folder;
    if (!e->Game || d.empty() || d.front() != '\\' || d.back() != '\\') return false;
    if (gametree::FolderDepth(d) > gametree::MaxFolderDepth) return false;
  }
  FilterDescriptor again;
  if (filterfile::Parse(filterfile::Format(f), lookup, again) != filterfile::ParseResult::Ok)
    return false;
  if (again.Name != f.Name || again.Entries->size() != f.Entries->size()) return false;
  for (size_t i = 0; i < f.Entries->size(); ++i)
    if ((*again.Entries)[i]->Game != (*f.Entries)[i]->Game ||
        (*again.Entries)[i]->Folder != (*f.Entries)[i]->Folder)
      return false;
  return true;
}

}  // namespace fuzzchecks
