// libFuzzer target: the metafile reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "WmfFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckMetafile(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
