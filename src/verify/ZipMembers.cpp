#include "verify/ZipMembers.h"

#include "platform/ZipLib.h"

namespace verify {

std::string TestZipMembers(const std::string& path,
                           const std::function<void(const std::string& name, uint64_t size,
                                                    uint32_t crc)>& file,
                           const std::function<void(const std::string& name)>& damaged,
                           const std::function<void()>& busy) {
  plat::zip::Request r;
  r.archive = path;
  r.specs = {"*.*"};
  r.overwrite = true;
  r.test = true;
  std::string error, current;  // the entry begun and not yet passed
  // A sound entry's data matched the size and CRC its directory gives.
  r.passed = [&](const plat::zip::Entry& e, const std::string& name) {
    current.clear();
    file(name, e.size, e.crc);
  };
  r.callback = [&](int action, int32_t code, int64_t, const std::string& text) {
    if (action == plat::zip::kNewFile) current = text;
    if (action == plat::zip::kProgress && busy) busy();
    if (action == plat::zip::kMessage && code != plat::zip::kOk) {
      if (error.empty()) error = text;
      if (!current.empty() && damaged) damaged(current);
      current.clear();
    }
    return 0;
  };
  plat::zip::Extract(r);
  return error;
}

}  // namespace verify
