// A zipped set tested in memory: the files its extraction would leave in the temporary folder,
// with their sizes and checksums, without writing any of them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace verify {

// Checks every entry of the archive as its extraction does (data, size, CRC) and calls `file`
// for each one the extraction would write, in the order written. An archive that cannot be
// read gives no file, as its extraction does.
void TestZipMembers(const std::string& path,
                    const std::function<void(const std::string& name, uint64_t size,
                                             uint32_t crc)>& file);

}  // namespace verify
