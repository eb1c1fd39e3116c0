// libFuzzer target: the high-score, history/information and cheat readers over any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frontend/DataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The set name comes from the input's first line, so entries of the input can match it.
  const std::string_view name = text.substr(0, text.find_first_of("\r\n:,= "));
  for (std::string_view set : {name, std::string_view("PACMAN")}) {
    datafiles::ReadHiscoreEntry(text, set);
    datafiles::ReadInfoFileEntry(text, set, "bio");
    datafiles::ReadInfoFileEntry(text, set, "mame");
    const std::string cheats = datafiles::ReadCheatEntries(text, set);
    if (datafiles::IsGZipText(text) != (cheats == "<GZIP>")) __builtin_trap();
  }
  datafiles::FormatHiscoreArea(text);
  datafiles::FormatCheatLine(text);
  return 0;
}
