// The tips-file reader: any bytes give offsets and tips that stay inside the data, each tip
// at most the longest a tip may be.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frontend/TipsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view file(reinterpret_cast<const char*>(data), size);
  const auto offsets = tips::ReadOffsets(file);
  if (offsets.size() > size / 4) abort();
  for (uint32_t offset : offsets)
    if (auto text = tips::LoadTip(file, offset))
      if (text->size() > tips::kMaxTipLength) abort();
  return 0;
}
