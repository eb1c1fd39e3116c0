// Category lists made by other tools, without any window: CatList's INI category files
// (a section per category, set name = folder) and MacMAME grouping files (a set name and a
// category per line). Both accept CR LF, LF or CR line ends.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace categoryfile {

inline constexpr std::string_view kMacMameHeader =
    "// MacMAME Category Sorting File -- this line must be the first line in the file";

// The first line of a text (without its line end).
std::string_view FirstLine(std::string_view text);
// A folder value as a filter folder: "\A\B\", empty parts dropped ("" when none is left).
std::string FolderOf(std::string_view value);

struct CatList {
  std::string Title;  // between the ";;" of line 1
  std::string FilterName, Release, SupportedMameVersion, Revision, Contact;  // [FileInfo]
  struct Section {
    std::string Name;  // as written
    std::string Info;  // the FileInfo key "Info_" + name
    std::unordered_map<std::string, std::string> Values;  // upper-cased set name -> folder
  };
  std::vector<Section> Sections;  // category sections in file order, [FileInfo] left out
  std::unordered_map<std::string, size_t> SectionAt;  // upper-cased name -> position
  const Section* Find(std::string_view name) const;  // without regard to case
};
// Whether a first line is a CatList's (framed by ";;" on both ends).
bool IsCatListFirstLine(std::string_view line);
// nullopt when line 1 is not framed by ";;" on both ends.
std::optional<CatList> ParseCatList(std::string_view text);
// The folder of every set that has a value in the chosen sections, its parts in the order of
// the sections (sets with no folder left out).
std::unordered_map<std::string, std::string> CatListFolders(
    const std::vector<const CatList::Section*>& chosen);

// Calls `entry` for each set line with the upper-cased set name and the current folder
// ("" until the first category). False when line 1 is not the MacMAME header.
bool ParseMacMame(std::string_view text,
                  const std::function<void(const std::string& set, const std::string& folder)>& entry,
                  const std::function<void(size_t done, size_t total)>& progress = {});

}  // namespace categoryfile
