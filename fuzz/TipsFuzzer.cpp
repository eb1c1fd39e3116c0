// libFuzzer target: the tips-file reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "TipsFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckTips(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
