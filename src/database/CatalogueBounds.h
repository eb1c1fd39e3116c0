// How much of a catalogue the program keeps: the emulator's listing and a profile file are both
// read within these bounds, counted record by record as they are read.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace catalogue {

// A profile numbers its games, and its resources, in 16 bits. The other bounds lie well above
// today's catalogue (40,430 entries, about 336,000 roms, 133,000 chips, 560,000 dip switches
// with 3.5 million settings, a few hundred roms in its largest game). Records of every kind
// together are bounded by the memory they take: a catalogue at all bounds at once, read from its
// 128 MB listing, stays under 600 MB.
struct Limits {
  uint32_t entries = 65535;        // games, and resources, each
  uint32_t romsPerGame = 4096;
  uint32_t roms = 1000000;
  uint32_t chipsPerGame = 256;
  uint32_t chips = 500000;
  uint32_t samplesPerGame = 1024;
  uint32_t samples = 250000;
  uint32_t dipSwitchesPerGame = 256;
  uint32_t dipSwitches = 1000000;
  uint32_t dipSettings = 6000000;  // in all; a dip switch holds at most 255
  // Records of all kinds, each counted at what it takes with short texts (longer texts take
  // about what their listing takes).
  uint64_t memory = 320ull << 20;
};

enum class Kind { Game, Resource, Rom, Chip, Sample, DipSwitch, DipSetting };

// Counts the records read so far. Add counts one record of `kind`, the entry being read (its
// keyword and name) holding `inEntry` of that kind before it; false once a bound is passed, with
// Refusal() saying which.
class Counter {
 public:
  explicit Counter(const Limits& limits = {}) : limits_(limits) {}
  bool Add(Kind kind, size_t inEntry = 0, std::string_view keyword = {},
           std::string_view name = {});
  // "more than 65,535 games", "more than 4,096 roms in GAME PACMAN"; empty while within bounds.
  const std::string& Refusal() const { return refusal_; }

 private:
  const Limits limits_;
  uint64_t counts_[7] = {};
  uint64_t memory_ = 0;
  std::string refusal_;
};

}  // namespace catalogue
