// Our ACE archive reader: main and file headers with their CRCs, stored entries, the LZ77
// method of ACE 1.0 (method 1) and ACE 2.0's method 2 in its LZ77 and EXE modes, solid
// archives. Comments are read past. Encrypted entries, multi-volume archives, 64-bit headers,
// other methods and modes are refused with their code, never extracted wrongly.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ZipLib.h"

namespace plat {

class AceReader {
 public:
  // Result codes (the ACE library's numbering).
  enum : int {
    kOk = 0, kNoMemory = 1, kNotFound = 3, kOpenError = 5, kReadError = 6, kWriteError = 7,
    kCrcError = 9, kOther = 10, kEnd = 128, kBadRequest = 130, kEncrypted = 131, kMethod = 132,
  };
  // Header flags.
  enum : uint32_t { kMultiVolume = 1u << 11, kSolid = 1u << 15 };
  enum : uint32_t { kEntryEncrypted = 1u << 14, kContinuedPrev = 1u << 12,
                    kContinuedNext = 1u << 13 };

  struct Entry {
    std::string storedName;  // as stored ("\" separates)
    std::string name;        // last component, "" for entries never written
    uint32_t flags = 0;
    uint64_t packedSize = 0, size = 0;
    uint32_t dosTime = 0, attributes = 0;
    uint32_t crc = 0;        // zlib form (the header's value complemented)
    uint8_t method = 0, quality = 0;
    uint16_t params = 0;
    uint64_t dataPos = 0;
    bool folder = false;
  };

  // Opens an archive (a plain one, or one behind a self-extracting program). On failure
  // nullptr and the code in `code`.
  static std::unique_ptr<AceReader> Open(const std::string& path, int& code);
  static std::unique_ptr<AceReader> Open(std::unique_ptr<zip::Source> source, int& code);
  ~AceReader();

  uint32_t MainFlags() const { return mainFlags_; }
  // The next entry to report (folders and unsafe names are read past): kOk, kEnd or an error.
  int Next(Entry& entry);
  // Extracts the entry last reported to `dest` (a full file name), or tests it (dest empty).
  int Extract(const std::string& dest);
  int Test() { return Extract({}); }
  // Passes over the entry last reported (decoding it in a solid archive).
  int Skip();

 private:
  AceReader() = default;
  int ReadBlock(Entry& entry, bool& isFile);
  int Process(const Entry& e, const std::function<bool(const uint8_t*, size_t)>& sink);
  int Decode(const Entry& e, const std::function<bool(const uint8_t*, size_t)>& sink,
             uint32_t& crc);
  bool WindowRoom(uint64_t n);

  std::unique_ptr<zip::Source> src_;
  uint64_t pos_ = 0;
  uint32_t mainFlags_ = 0;
  bool solid_ = false;
  Entry current_;
  bool hasCurrent_ = false;   // an entry was reported and not processed yet
  int refused_ = 0;           // code of a refused entry of a solid archive: later ones follow
  // LZ77 window, kept across entries. It grows with what is written until it has its full
  // size (no byte wraps before), so a small archive never allocates all of it.
  std::vector<uint8_t> window_;
  uint64_t windowTotal_ = 0;     // bytes ever put into it
  uint64_t windowStart_ = 0;     // first byte a match may reach
};

}  // namespace plat
