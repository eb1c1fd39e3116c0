// The layout of the game tree, without any window: sort orders and sorting a filter, the row
// texts, the year, manufacturer and alphabet folders, a filter's own folders, and the listing
// flags that shape it.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/types.h"

namespace gametree {

// Sort orders.
enum : uint8_t { SortNone = 0, SortDescription = 1, SortManufacturer = 2, SortYear = 3,
                 SortMostPlayed = 4, SortSetName = 5 };

// Positions in the seven listing flags.
enum : size_t { ListYear = 0, ListManufacturer = 1, ListRomsetName = 2, ListRowNumber = 3,
                AdditionalFolders = 4, FilterOwnFolders = 5, AddedFoldersAsRoot = 6 };
using ListingFlagSet = std::array<uint8_t, 7>;
inline constexpr ListingFlagSet DefaultListingFlags = {0, 0, 0, 1, 1, 1, 1};

inline constexpr std::string_view UnknownManufacturer = "< Unknown >";
inline constexpr std::string_view UnknownYear = "????";

// Trims; drops a leading "["; cuts at the first "]" and then at the first "("; trims again.
std::string CleanManufacturerName(std::string_view text);

// The three folder lists of a profile.
struct FolderLists {
  StringList Alphabet;      // "#", "A" .. "Z"
  StringList Manufacturer;  // "< Unknown >" and every distinct cleaned name, sorted
  StringList Year;          // "????", then MinYear .. MaxYear
  uint16_t MinYear = 65535; // smallest non-zero year; 65535 when no game has a year
  uint16_t MaxYear = 0;
};
// Builds the lists afresh (the year range is reset first). Nothing happens without games.
// `progress` (may be null) receives the index of each game and the last index.
void GenerateFolderLists(const GameList* games, FolderLists& lists,
                         void (*progress)(void*, size_t, size_t) = nullptr, void* ctx = nullptr);

// Play counts by set name, for the "most played" order (the first record of a name counts).
using PlayCountMap = std::unordered_map<std::string, uint32_t>;
PlayCountMap MakePlayCountMap(const PlayStatList* stats);

// True when a comes before b in the given order (b before a when `reverse`).
bool ComesBefore(const GameRecord* a, const GameRecord* b, uint8_t sortBy, bool reverse,
                 const PlayCountMap* plays);
// Removes the empty slots of a filter's entry list and sorts it (stable).
void SortEntries(RecordList<FilterEntryDescriptor>& entries, uint8_t sortBy, bool reverse,
                 const PlayStatList* stats);

// The row text of entry number n (from 1).
std::string RowText(size_t n, const GameRecord& game, const ListingFlagSet& flags);
// The additional folder of a game for the sort order ("" when the order has none); `years` is
// the year folder list that starts with "????" and then runs from `minYear`.
std::string AdditionalFolder(const GameRecord& game, uint8_t sortBy, uint16_t minYear,
                             const StringList& years);
// The folder path of an entry, "\A\B\" style.
std::string EntryPath(const FilterEntryDescriptor& entry, const std::string& additional,
                      const ListingFlagSet& flags);
// The non-empty components of a "\A\B\" path.
std::vector<std::string> SplitPath(std::string_view path);
// Their number.
size_t FolderDepth(std::string_view path);
// No real filter nests its folders deeper; files that do are refused (a deeper tree would
// cost the view a stack frame per level).
inline constexpr size_t MaxFolderDepth = 256;

// True when `text`, upper-cased, begins with `upperPrefix`.
bool StartsWithNoCase(std::string_view text, std::string_view upperPrefix);

}  // namespace gametree
