// libFuzzer target: disc indexes ("MAMECD.INI"), read and written.
#include <cstddef>
#include <cstdint>

#include "DiscIndexFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckDiscIndex(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
