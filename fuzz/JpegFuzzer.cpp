// libFuzzer target: the JPEG reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "CodecFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool limited = (fuzzchecks::LimitPictureSizes(), true);
  (void)limited;
  if (!fuzzchecks::CheckJpeg(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
