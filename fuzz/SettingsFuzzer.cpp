// libFuzzer target: the settings reader with its size bound, over a file of any bytes.
#include <cstddef>
#include <cstdint>

#include "SettingsFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckSettings(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
