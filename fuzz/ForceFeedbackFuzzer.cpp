// libFuzzer target: the stored force-feedback effect tree over any bytes.
#include <cstddef>
#include <cstdint>

#include "ForceFeedbackFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckForceFeedback(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
