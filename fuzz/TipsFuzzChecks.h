// What the tips fuzz target (and its regression test) require of any input: offsets and tips
// that stay inside the data, each tip at most the longest a tip may be.
#pragma once
#include <string_view>

#include "frontend/TipsFile.h"

namespace fuzzchecks {

inline bool CheckTips(std::string_view file) {
  const auto offsets = tips::ReadOffsets(file);
  if (offsets.size() > file.size() / 4) return false;
  for (uint32_t offset : offsets)
    if (auto text = tips::LoadTip(file, offset))
      if (text->size() > tips::kMaxTipLength) return false;
  return true;
}

}  // namespace fuzzchecks
