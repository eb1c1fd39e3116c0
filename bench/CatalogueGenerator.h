// A synthetic -listinfo catalogue shaped like a modern emulator's: 40,430 entries with about
// 336,000 roms and 560,000 dip switches (about 14 per game, some with up to 256 settings),
// parents and clones with shared roms, chips, video, sound, input, driver states and samples.
#pragma once
#include <cstdint>
#include <string>

struct CatalogueShape {
  uint32_t games = 38000;
  uint32_t resources = 2430;
  uint32_t minRoms = 1;        // per game
  uint32_t maxRoms = 16;
  uint32_t maxDipSwitches = 29;  // per game, from 0
  uint32_t wideDipEvery = 100;   // one dip switch in this many has 9 to 256 settings, else 2 to 8
  uint32_t cloneEvery = 3;     // one game in this many is a clone of the parent before it
  uint32_t samplesEvery = 10;  // one game in this many has samples
  uint64_t seed = 20000110;
};

std::string GenerateListinfo(const CatalogueShape& shape = {});
