// The emulator's data files: high-score areas, history and emulator-information entries and
// cheats, found for one set and turned into readable text. No widget here: the readers work on
// the file's bytes (CR LF, LF or CR line ends), and the file helpers below find and read them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace datafiles {

// What one entry gives a report at most (real entries hold tens of KB): the readers below stop
// there and set `*cut`. Control characters other than tabs and line ends never reach their text.
inline constexpr size_t kMaxEntrySize = 64u << 10;

// --- high scores ---
// The formatted area lines of the set's entry, CR LF separated, or "".
std::string ReadHiscoreEntry(std::string_view fileText, std::string_view setName,
                             bool* cut = nullptr);
// One area line "cpu:address:length:start:end"; missing fields read as empty.
std::string FormatHiscoreArea(std::string_view line);

// --- history and emulator information ---
// The text of the set's entry under the part header ("bio", "mame"), lines joined with CR LF
// and kept as written, or "". The set must be a whole name of the entry's list of names.
std::string ReadInfoFileEntry(std::string_view fileText, std::string_view setName,
                              std::string_view part, bool* cut = nullptr);
// Whether the list of set names (comma or blank separated) holds the name, in any case.
bool NameListHolds(std::string_view list, std::string_view setName);

// --- cheats ---
// One line per cheat of the set, CR LF separated, "", or "<GZIP>" for a gzip-compressed file.
std::string ReadCheatEntries(std::string_view fileText, std::string_view setName,
                             bool* cut = nullptr);
// The readable text of one cheat line's fields (the set name already matched).
std::string FormatCheatLine(std::string_view line);
// Eight characters "1"/"0", bit 7 first, of the number's lowest byte.
std::string HexByteToBits(std::string_view hex);
// A value-range cheat: "$addr=$lo..$hi", then " (bcd)", " when change found", and
// " then deactivate cheat".
std::string FormatCheatRange(uint32_t low, uint32_t high, bool bcd, bool whenChange,
                             std::string_view address);

bool IsGZipText(std::string_view bytes);

// --- files ---
// A data file named by MAME.CFG: a name without a folder lies in the emulator folder. The
// existing entry (of any kind), found without regard to case, or "" when there is none.
std::string ResolveDataFile(const std::string& emulatorDir, const std::string& name);
// A larger data file is refused unread (a history file of today holds about 30 MB); the four
// files are kept in memory together, beside a 40,000-game profile, under 600 MB.
inline constexpr uint64_t kMaxDataFileSize = 48u << 20;
// The files kept: the four data files a profile names.
inline constexpr size_t kCachedDataFiles = 4;
// The whole file, kept in memory until its size or time changes or kCachedDataFiles others have
// been read since; a missing file reads as empty, and so does one that cannot be read, is no
// regular file or is larger than kMaxDataFileSize, which also sets `error` to the reason. The
// text lasts until the next call.
const std::string& ReadDataFile(const std::string& path, std::string* error = nullptr);
// Drops every file kept (their profile is closed or about to be), their memory going back to
// the system.
void ForgetDataFiles();

}  // namespace datafiles
