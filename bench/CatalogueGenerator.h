// A synthetic -listinfo catalogue shaped like an emulator's: parents and clones with shared
// roms, chips, video, sound, input, dip switches with entries, driver states and samples.
#pragma once
#include <cstdint>
#include <string>

struct CatalogueShape {
  uint32_t games = 40000;
  uint32_t resources = 10000;
  uint32_t minRoms = 10;       // per game
  uint32_t maxRoms = 40;
  uint32_t cloneEvery = 3;     // one game in this many is a clone of the parent before it
  uint32_t samplesEvery = 10;  // one game in this many has samples
  uint64_t seed = 20000110;
};

std::string GenerateListinfo(const CatalogueShape& shape = {});
