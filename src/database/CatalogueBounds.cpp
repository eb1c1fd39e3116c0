#include "database/CatalogueBounds.h"

#include "platform/Numbers.h"

namespace catalogue {

namespace {

// Bytes a record takes with its place in its list, measured: an entry with its four lists, a
// rom, a chip, a sample, a dip switch with its list of settings, a setting.
constexpr uint32_t kCosts[] = {448, 448, 128, 96, 32, 128, 40};

}  // namespace

bool Counter::Add(Kind kind, size_t inEntry, std::string_view keyword, std::string_view name) {
  if (!refusal_.empty()) return false;
  struct Bound {
    uint32_t perEntry, all;
    const char* what;
  };
  const Limits& l = limits_;
  const Bound bounds[] = {
      {0, l.entries, "games"},
      {0, l.entries, "resources"},
      {l.romsPerGame, l.roms, "roms"},
      {l.chipsPerGame, l.chips, "chips"},
      {l.samplesPerGame, l.samples, "samples"},
      {l.dipSwitchesPerGame, l.dipSwitches, "dip switches"},
      {0, l.dipSettings, "dip switch settings"},
  };
  const size_t k = static_cast<size_t>(kind);
  const Bound& b = bounds[k];
  if (b.perEntry != 0 && inEntry >= b.perEntry) {
    refusal_ = "more than " + plat::Thousands(b.perEntry) + " " + b.what + " in ";
    refusal_ += keyword.empty() ? std::string_view("one entry") : keyword;
    if (!name.empty()) refusal_.append(" ").append(name);
    return false;
  }
  if (++counts_[k] > b.all) {
    refusal_ = "more than " + plat::Thousands(b.all) + " " + b.what;
    if (b.perEntry != 0) refusal_ += " in all";
    return false;
  }
  memory_ += kCosts[k];
  if (memory_ > l.memory) {
    refusal_ = "more records than fit in " + plat::Thousands(l.memory >> 20) + " MB (" +
               plat::Thousands(counts_[0] + counts_[1]) + " entries, " + plat::Thousands(counts_[2]) +
               " roms, " + plat::Thousands(counts_[5]) + " dip switches with " +
               plat::Thousands(counts_[6]) + " settings)";
    return false;
  }
  return true;
}

}  // namespace catalogue
