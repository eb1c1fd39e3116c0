// MAMECD disc sets without any window or file access: grouping the games into copy blocks,
// the space estimate, which block goes on which disc, the text of a disc's "MAMECD.INI", and
// the lines of the disc-information report read back from such a text.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "database/types.h"

namespace discsets {

// The disc sizes offered, in decimal megabytes (item index 0..6).
constexpr uint32_t kDiscSizes[] = {640, 650, 660, 670, 680, 690, 700};
inline uint64_t DiscLimit(int item) {
  return static_cast<uint64_t>(kDiscSizes[item < 0 ? 0 : item > 6 ? 6 : item]) * 1000000u;
}
// The index formats written and read: "MAMECD base mode" (1) and "MAMECD advanced mode" (2).
extern const char* const kDiscTypes[2];

// A master set with the clones that travel with it on one disc.
struct Block {
  std::string Name;
  std::vector<std::string> Clones;
  uint64_t Size = 0;
};

enum : uint8_t { ROM_SET = 1, SAMPLE_SET = 2 };
using SetSize = std::function<uint64_t(uint8_t kind, const std::string& name)>;
using IsResource = std::function<bool(const std::string& name)>;

// The prescan, one game at a time.
class Prescan {
 public:
  Prescan(SetSize size, IsResource isResource)
      : size_(std::move(size)), isResource_(std::move(isResource)) {}
  void AddGame(const GameRecord& game);
  // The block of that name, compared without regard to case, or null.
  const Block* FindBlock(std::string_view name) const;

  std::vector<Block> Blocks;
  std::vector<std::string> Resources;  // resource sets named by a game's rom-of
  std::vector<std::string> SampleSets;
  uint64_t ResourceBytes = 0, SampleBytes = 0;
  uint64_t Overhead() const { return ResourceBytes + SampleBytes; }  // copied onto every disc
  uint64_t BlockBytes() const { return blockBytes_; }

 private:
  Block& AddBlock(const std::string& name, uint64_t size);
  SetSize size_;
  IsResource isResource_;
  std::unordered_map<std::string, size_t> blockIndex_;  // upper-cased name
  std::unordered_set<std::string> resources_, samples_;
  uint64_t blockBytes_ = 0;
};

struct Estimate {
  uint32_t Discs = 0;
  uint64_t Bytes = 0;  // blocks + Discs x overhead
};
// The first disc count n whose n x limit holds the blocks and n copies of the overhead; none
// when the overhead alone fills a disc (no count would ever do).
std::optional<Estimate> EstimateSpace(uint64_t blockBytes, uint64_t overhead, uint64_t limit);

// The disc (from 1) of each block, in order: a block that does not fit the room left starts a
// new disc; a block larger than a fresh disc goes alone onto one (never leaving one empty).
std::vector<uint32_t> PlanDiscs(const std::vector<uint64_t>& blockSizes, uint64_t overhead,
                                uint64_t limit);

struct IndexContent {
  bool Advanced = true;
  std::string CreatedOn;  // "date time", UTC
  uint32_t Serial = 0;
  std::vector<std::pair<std::string, uint32_t>> RomIndex;  // every game set copied, its disc
};
// A set name the index holds and reads back as written: not empty, no "=" and no control
// character, no blank at either end, not beginning with "[" or ";".
bool IsIndexName(std::string_view name);
// The "MAMECD.INI" of a disc: [MAMECD], then [ROMS] with the game sets and this disc's
// resources, then [SAMPLES]; CR LF, an empty line after each section, keys once (any case).
// Names that are not index names are left out.
std::string BuildDiscIndex(const IndexContent& content, uint32_t disc,
                           const std::vector<std::string>& resources,
                           const std::vector<std::string>& sampleSets);

// The disc-information report of an index text.
struct DiscInformation {
  enum Status { Ok, NewerFormat } Result = Ok;
  std::vector<std::string> Lines;  // the body lines, after an empty one
};
// `drive` is what the paths are shown under (the drive's folder).
DiscInformation ReadDiscInformation(std::string_view indexText, const std::string& drive);

// A byte count with its digits grouped by threes ("79,603,879,936").
std::string GroupedDigits(uint64_t n);

}  // namespace discsets
