// Play statistics: the statistics file (one section per set, four integer keys), the per-game
// record, and the figures of the statistics window (ranking, totals, shares and pie slices).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "database/types.h"

namespace stats {

// Reads the file into a new list; a missing file gives an empty list. Every value is kept in
// range: negative values count as 0, seconds and minutes above 59 carry over. A file that
// cannot be read gives null and the reason in `error`.
std::unique_ptr<PlayStatList> LoadStatsFile(const std::string& path, std::string* error = nullptr);
// Rewrites the file with one section per record (nothing is written for an empty list); a file
// that cannot be read is not written over.
bool SaveStatsFile(const PlayStatList& list, const std::string& path, std::string* error);

// Sets a record's time from a count of seconds (hours stop at the largest 32-bit value).
void SetTime(PlayStatRecord& r, uint64_t totalSeconds);
uint64_t TotalSeconds(const PlayStatRecord& r);
// Adds one play of `seconds` to the set's record, made when missing (name upper-cased).
PlayStatRecord& AddPlay(PlayStatList& list, std::string_view setName, uint64_t seconds);

// "hh:mm:ss", each part at least two digits.
std::string TimeText(uint64_t hours, uint32_t minutes, uint32_t seconds);

enum : uint8_t { ByPlays = 1, ByTime = 2 };

// One of the eight Slots of the statistics window.
struct Slot {
  bool used = false;
  bool others = false;       // the "Other games" sum
  uint32_t panelColor = 0;   // 0xRRGGBB
  uint32_t textColor = 0;
  std::string panelText = "0%";
  std::string label = "Not available";
  double share = 0;          // percent
  double startAngle = 0;     // radians, screen coordinates (y grows downward)
  double sweepAngle = 0;
};

struct View {
  std::string caption;
  uint64_t totalPlays = 0;
  uint64_t totalHours = 0;
  uint32_t totalMinutes = 0, totalSeconds = 0;
  std::string playsText;     // NPlays
  std::string timeText;      // TotTime
  bool emptyChart = true;    // no records, or nothing to share out: the hatched grey ellipse
  std::array<Slot, 8> Slots;
};

using DescriptionLookup = std::function<const GameRecord*(std::string_view setName)>;

// Removes empty Slots, sorts the list in place (descending by plays, or by hours, minutes and
// seconds) and works out the window's figures. `progress` may be empty.
View BuildView(PlayStatList& list, uint8_t mode, const DescriptionLookup& find,
               const std::function<void(size_t, size_t)>& progress = {});

}  // namespace stats
