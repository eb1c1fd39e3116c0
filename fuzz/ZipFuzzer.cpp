// libFuzzer target: the zip library's directory reader and extraction (test mode) over any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ZipLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto src = plat::zip::MemorySource(bytes);
  plat::zip::Directory dir;
  const bool listed = plat::zip::ReadDirectory(*src, dir) == plat::zip::DirError::None;
  plat::zip::Request r;
  r.source = src.get();
  r.specs = {"*.*"};
  r.test = true;
  int messages = 0;
  r.callback = [&](int action, int32_t, int64_t, const std::string&) {
    if (action == plat::zip::kMessage) ++messages;
    return 0;
  };
  const int done = plat::zip::Extract(r);
  // Nothing is extracted from an archive whose directory cannot be read, and never more
  // files than it lists.
  if (done < 0 || (!listed && done != 0) || (listed && static_cast<size_t>(done) > dir.entries.size()))
    __builtin_trap();
  if (!listed && messages == 0) __builtin_trap();
  return 0;
}
