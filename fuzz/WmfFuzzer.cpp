// libFuzzer target: the metafile reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "WmfFuzzChecks.h"

// The toolkit and its font libraries keep their font caches to the end of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libharfbuzz.so\nleak:libQt6Gui.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzchecks::CheckMetafile(std::string_view(reinterpret_cast<const char*>(data), size)))
    __builtin_trap();
  return 0;
}
