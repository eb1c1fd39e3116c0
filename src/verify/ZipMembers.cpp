#include "verify/ZipMembers.h"

#include "platform/ZipLib.h"

namespace verify {

void TestZipMembers(const std::string& path,
                    const std::function<void(const std::string& name, uint64_t size,
                                             uint32_t crc)>& file,
                    const std::function<void()>& busy) {
  plat::zip::Request r;
  r.archive = path;
  r.specs = {"*.*"};
  r.overwrite = true;
  r.test = true;
  // A sound entry's data matched the size and CRC its directory gives.
  r.passed = [&](const plat::zip::Entry& e, const std::string& name) { file(name, e.size, e.crc); };
  if (busy)
    r.callback = [&](int action, int32_t, int64_t, const std::string&) {
      if (action == plat::zip::kProgress) busy();
      return 0;
    };
  plat::zip::Extract(r);
}

}  // namespace verify
