// libFuzzer target: the filter-file reader (and writer) over any bytes.
#include <cstddef>
#include <cstdint>

#include "FilterFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckFilterFile(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
