// libFuzzer target: the ACE reader over any bytes, every entry decoded and checked.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/AceLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  int code = 0;
  auto reader = plat::AceReader::Open(plat::zip::MemorySource(bytes), code);
  if (!reader) {
    if (code == plat::AceReader::kOk) __builtin_trap();
    return 0;
  }
  plat::AceReader::Entry e;
  for (int i = 0; i < 100000 && (code = reader->Next(e)) == plat::AceReader::kOk; ++i) {
    // A reported entry always has a name that stays inside the target folder.
    if (e.name.empty() || e.name.find_first_of("/\\") != std::string::npos || e.name == "." ||
        e.name == "..")
      __builtin_trap();
    reader->Test();
  }
  return 0;
}
