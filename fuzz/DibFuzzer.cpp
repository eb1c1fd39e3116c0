// libFuzzer target: the DIB graphic's BMP reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "DibFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool limited = (TDIB::MaxPixels = uint64_t(1) << 22, true);
  (void)limited;
  if (!fuzzchecks::CheckDib(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
