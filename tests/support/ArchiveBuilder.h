// Zip and ACE archives built in memory for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testarc {

struct ZipItem {
  std::string name;
  std::string data;
  bool deflate = false;
  uint16_t flags = 0;         // bit 0: encrypted
  int method = -1;            // method field written instead of 0 / 8
  uint32_t unixMode = 0;      // non-zero: made on Unix with this mode (0120777 = a link)
  bool badCrc = false;        // CRC field off by one
};
struct ZipOptions {
  bool zip64 = false;         // ZIP64 end records and extra fields
  bool spanned = false;       // starts with the spanning signature
  std::string comment;
  std::string prefix;         // bytes in front (as a self-extracting program has)
};
std::string BuildZip(const std::vector<ZipItem>& items, const ZipOptions& options = {});

struct AceItem {
  std::string name;           // stored as given ("\" separates)
  std::string data;           // stored (method 0)
  bool folder = false;
  uint16_t flags = 0;         // added to the file header flags (bit 14: encrypted)
  uint8_t method = 0;
  bool badCrc = false;        // data CRC field wrong
};
// A stored ACE archive; `mainFlags` added to the main header's (bit 11 multi-volume, 15 solid).
std::string BuildAce(const std::vector<AceItem>& items, uint16_t mainFlags = 0);

}  // namespace testarc
