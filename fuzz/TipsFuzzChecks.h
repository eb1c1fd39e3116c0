// What the tips fuzz target (and its regression test) require of any input: the offsets are
// the table's words up to its first 0, and a tip comes only from inside the data, with the
// length stored before it.
#pragma once
#include <string_view>

#include "frontend/TipsFile.h"
#include "platform/LittleEndian.h"

namespace fuzzchecks {

inline bool CheckTips(std::string_view file) {
  const auto offsets = tips::ReadOffsets(file);
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  for (size_t i = 0; i < offsets.size(); ++i) {
    const size_t at = 4 + 4 * i;
    if (at + 4 > file.size() || offsets[i] == 0 || plat::Get32LE(bytes + at) != offsets[i])
      return false;
    if (auto text = tips::LoadTip(file, offsets[i]))
      if (offsets[i] > file.size() || file.size() - offsets[i] < 4 ||
          text->size() != plat::Get32LE(bytes + offsets[i]))
        return false;
  }
  // The table ends at a 0 word or with the data.
  const size_t end = 4 + 4 * offsets.size();
  return offsets.empty() || end + 4 > file.size() || plat::Get32LE(bytes + end) == 0;
}

}  // namespace fuzzchecks
