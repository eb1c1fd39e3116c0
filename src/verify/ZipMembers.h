// A zipped set tested in memory: the files its extraction would leave in the temporary folder,
// with their sizes and checksums, without writing any of them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace verify {

// Checks every entry of the archive as its extraction does (data, size, CRC) and calls `file`
// for each one the extraction would write, in the order written, and `damaged` for each entry
// whose data fails its check. The result is the archive library's first error ("" when none):
// an archive that cannot be read gives no file and its error. `busy` is called as the data goes
// by (a large archive lets pending messages through).
std::string TestZipMembers(const std::string& path,
                           const std::function<void(const std::string& name, uint64_t size,
                                                    uint32_t crc)>& file,
                           const std::function<void(const std::string& name)>& damaged,
                           const std::function<void()>& busy = {});

}  // namespace verify
