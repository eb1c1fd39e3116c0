// A zipped set tested in memory: the files its extraction would leave in the temporary folder,
// with their sizes and checksums, without writing any of them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace verify {

// Checks every entry of the archive as its extraction does (data, size, CRC) and calls `file`
// for each one the extraction would write, in the order written. An archive that cannot be
// read gives no file, as its extraction does. `busy` is called as the data goes by (a large
// archive lets pending messages through).
void TestZipMembers(const std::string& path,
                    const std::function<void(const std::string& name, uint64_t size,
                                             uint32_t crc)>& file,
                    const std::function<void()>& busy = {});

}  // namespace verify
