// The filter file format (".VRF"), without any window: a header line with the filter's
// name, an empty line, then one line per entry: its folder followed by the set name.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "database/types.h"

namespace filterfile {

inline constexpr std::string_view kHeader = "Velmora filter file v1.0=";
// A larger file is refused unread: a filter of every one of 40,000 sets, each in folders
// of long names, takes about 5 MB.
inline constexpr uint64_t kMaxFileSize = 8u << 20;
// The game tree and the game lists count in 16 bits: a filter holds at most this many entries
// and makes at most this many folders.
inline constexpr size_t kMaxEntries = 65535;
inline constexpr size_t kMaxFolders = 65535;

// Progress: the position reached and the total (entries when writing, bytes when reading).
using Progress = std::function<void(size_t done, size_t total)>;
// The game of an upper-cased set name, or nullptr.
using Lookup = std::function<GameRecord*(const std::string& name)>;

// A folder path with a leading and a trailing backslash ("" becomes "\").
std::string NormalizeFolder(std::string_view folder);

// The whole file, lines ended by CR LF. Entries without a game are skipped.
std::string Format(const FilterDescriptor& filter, const Progress& progress = {});

enum class ParseResult { Ok, UnknownFormat, TooDeep, TooManyEntries, TooManyFolders };
// Reads a file's text (CR LF, LF or CR) into `filter`: name, entries; file name and the
// modified mark are left to the caller. Lines are trimmed; unknown set names are dropped.
// TooDeep: an entry's folders nest deeper than gametree::MaxFolderDepth (the filter is then
// incomplete and not to be used); likewise TooManyEntries and TooManyFolders, past
// kMaxEntries entries or kMaxFolders distinct folders.
ParseResult Parse(std::string_view text, const Lookup& lookup, FilterDescriptor& filter,
                  const Progress& progress = {});

}  // namespace filterfile
