// A main window for one test: its own program folder (VELMORA_HOME), a scripted seam that
// outlives it, the progress window, and helpers to give it a small database.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>

#include "database/Working.h"
#include "database/types.h"
#include "frontend/main.h"
#include "platform/SessionEnd.h"
#include "support/ScriptedSeam.h"
#include "support/TempDir.h"

class MainWindowHarness {
 public:
  MainWindowHarness() {
    if (const char* h = std::getenv("VELMORA_HOME")) outerHome = h;
    setenv("VELMORA_HOME", home.path().c_str(), 1);
    working = std::make_unique<TWorkingFRM>();
    WorkingFRM = working.get();
  }
  ~MainWindowHarness() {
    window.reset();  // its shut-down still talks through the seam
    plat::SetSessionEnding(false);
    WorkingFRM = nullptr;
    working.reset();
    setenv("VELMORA_HOME", outerHome.c_str(), 1);
  }

  TMainFRM& Make() {
    window = std::make_unique<TMainFRM>();
    return *window;
  }
  // Destroys the window (running its shut-down).
  void Destroy() { window.reset(); }

  // Gives the window a database of the named games (all GAME entries) and "All games",
  // as a loaded profile of an emulator in `emulatorDir`.
  void LoadGames(std::initializer_list<const char*> names, const std::string& emulatorDir) {
    TMainFRM& w = *window;
    w.Games = std::make_unique<GameList>();
    w.Resources = std::make_unique<GameList>();
    types::DisposeFilterList(w.Filters);
    w.Filters = std::make_unique<FilterList>();
    auto all = types::NewFilterDescriptor();
    all->Name = "All games";
    uint16_t index = 0;
    for (const char* n : names) {
      auto g = types::NewGameRecord();
      g->Index = ++index;
      g->Kind = KIND_GAME;
      g->Name = n;
      g->Description = std::string("Game ") + n;
      auto e = types::NewFilterEntryDescriptor();
      e->Game = g.get();
      all->Entries->push_back(std::move(e));
      w.Games->push_back(std::move(g));
    }
    w.Filters->push_back(std::move(all));
    w.EmulatorDir = emulatorDir;
    w.ProfileLoaded = 1;
    w.BuildGameIndex();
    w.RebuildFilterTabs(0);
  }

  GameRecord* Game(const char* name) { return types::FindByName(window->Games.get(), name); }

  // Appends a filter of the given games (all at the top level).
  FilterDescriptor* AddFilter(const std::string& name, std::initializer_list<const char*> games,
                              uint8_t modified, const std::string& fileName = {}) {
    auto f = types::NewFilterDescriptor();
    f->Name = name;
    f->Modified = modified;
    f->FileName = fileName;
    for (const char* g : games) {
      auto e = types::NewFilterEntryDescriptor();
      e->Game = Game(g);
      e->Folder = "\\";
      f->Entries->push_back(std::move(e));
    }
    FilterDescriptor* raw = f.get();
    window->Filters->push_back(std::move(f));
    window->RebuildFilterTabs(-1);
    return raw;
  }

  TempDir home;
  std::string outerHome;
  ScriptedSeam seam;
  std::unique_ptr<TWorkingFRM> working;
  std::unique_ptr<TMainFRM> window;
};
