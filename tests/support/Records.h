// Small database records for tests.
#pragma once
#include <memory>
#include <string>

#include "database/types.h"

// A game of this name and description.
inline std::unique_ptr<GameRecord> Game(const std::string& name, const std::string& description) {
  auto g = types::NewGameRecord();
  g->Kind = KIND_GAME;
  g->Name = name;
  g->Description = description;
  return g;
}

inline std::unique_ptr<PlayStatRecord> Stat(const std::string& name, uint32_t times, uint32_t h,
                                            uint32_t m, uint32_t s) {
  auto r = types::NewPlayStatRecord();
  r->Name = name;
  r->TotTimes = times;
  r->TotHours = h;
  r->TotMinutes = m;
  r->TotSeconds = s;
  return r;
}
