// Finding a set along a path list: the search folders of a ";"-separated list and the probe
// of each folder (".ACE", ".RAR", ".ZIP", then a folder), through cached folder indexes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace launch {

// The folders of a path list: pieces split at ";", trimmed, empty ones skipped, "\" taken as
// the separator, relative ones resolved against `baseDir` (absolute, with trailing "/"), each
// folder matched without regard to case when it exists. Each ends with "/".
std::vector<std::string> SearchFolders(std::string_view pathList, const std::string& baseDir);

// The first hit of the probe in the first folder that has one: the archive's real path, or the
// set folder's path without a trailing "/"; "" when the set is in none. Archives must be
// regular files, the set folder a folder. Each folder is listed once and its index kept until
// the folder changes.
std::string ProbeFolders(const std::vector<std::string>& folders, std::string_view setName);

// ProbeFolders over SearchFolders, with the folders of the list kept between calls.
std::string FindInPathList(std::string_view pathList, const std::string& baseDir,
                           std::string_view setName);

// The set folder of a disc: `folder` (from the disc's index, "\\" or "/" separated) below the
// disc's root, matched without regard to case; with trailing "/". "" when a part of it is not
// a plain folder name ("..", ".", control characters).
std::string DiscSetFolder(const std::string& root, std::string_view folder);

// The folder of the MAMECD drive setting (a CD-ROM drive letter, or a folder), with trailing
// "/"; "" when there is none. The disc's "MAMECD.INI" as spelled on it; "" when there is none.
std::string DiscDriveRoot(const std::string& drive);
std::string DiscIndexFile(const std::string& drive);

// Forgets every cached folder index and search list.
void ForgetFolderIndexes();

// What the launch reads from a disc's "MAMECD.INI".
struct DiscInfo {
  int32_t Disc = 1;
  int32_t FileVersion = 1;
  uint32_t Serial = 0;
};
// The disc formats the program understands: base mode and advanced mode.
constexpr int32_t kDiscFormats = 2;
// Eight hexadecimal digits (any case) as a number; 0 when the text is not one.
uint32_t ParseSerial(std::string_view text);

}  // namespace launch
