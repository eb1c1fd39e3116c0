// What the disc-index fuzz target (and its regression test) require of any input: the
// information report of any index text stays bounded, and an index written with the text's
// lines as set names reads back each name it holds with its disc.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "verify/DiscSets.h"

namespace fuzzchecks {

inline bool CheckDiscIndex(std::string_view text) {
  const discsets::DiscInformation info = discsets::ReadDiscInformation(text, "/cd/");
  size_t lines = 1;
  for (char ch : text) lines += ch == '\n' || ch == '\r';
  if (info.Lines.size() > 10 + 256 + lines) return false;

  discsets::IndexContent content;
  content.CreatedOn = "now";
  std::unordered_map<std::string, uint32_t> expected;  // upper-cased name -> the last disc
  size_t at = 0;
  for (uint32_t n = 0; at <= text.size() && n < 4096; ++n) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string name(text.substr(at, end - at));
    at = end + 1;
    const uint32_t disc = n % 5 + 1;
    content.RomIndex.emplace_back(name, disc);
    if (discsets::IsIndexName(name)) expected[plat::UpperCase(name)] = disc;
  }
  plat::IniFile ini;
  ini.LoadFromText(discsets::BuildDiscIndex(content, 1, {}, {}));
  if (ini.ReadInteger("MAMECD", "Disc", 0) != 1) return false;
  if (ini.ReadSectionValues("ROMS").size() != expected.size()) return false;
  for (const auto& [name, disc] : content.RomIndex)
    if (discsets::IsIndexName(name) &&
        ini.ReadInteger("ROMS", name, 0) != static_cast<long>(expected[plat::UpperCase(name)]))
      return false;
  return true;
}

}  // namespace fuzzchecks
