// The profile file: one emulator's catalogue with its folder, executable and version line,
// stored as it is or zlib-compressed. Encoding and decoding only; no window here.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "database/CatalogueBounds.h"
#include "database/types.h"

namespace profile {

// Written without a length byte; the reader compares all of its bytes.
inline constexpr std::string_view ProfileHeader{"Velmora emulator profile v1.0\r\n\x1a", 32};

enum : uint8_t {
  STORED = 0xC0,
  COMPRESSED = 0xC1,
  GAME_TAG = 0xBA,
  RESOURCE_TAG = 0xBB,
  ROM_TAG = 0xBC,
  CHIP_TAG = 0xBD,
  SAMPLE_TAG = 0xBE,
  DIPSWITCH_TAG = 0xBF,
};

inline constexpr int CompressionLevel = 9;
// The largest expansion deflate can produce is a little over 1032 to 1.
inline constexpr uint64_t MaxInflateRatio = 1032;
// A catalogue's listing takes at most 128 MB, and its body little more (tiny records at their
// bounds add about 16 MB; 40,000 real games take about 30 MB): a larger stated length is a
// damaged or hostile file, refused before anything is inflated.
inline constexpr uint32_t MaxProfileBody = 160u << 20;

// What a profile holds.
struct ProfileContent {
  std::string EmulatorDir;
  std::string EmulatorExe;
  std::string EmulatorVersion;
  std::unique_ptr<GameList> Games = std::make_unique<GameList>();
  std::unique_ptr<GameList> Resources = std::make_unique<GameList>();
  // What passed a bound of the catalogue, when refused as TooLarge.
  std::string Refusal;
};

// Step texts and progress for the caller's progress window. `measured` false hides the bar.
struct ProgressHooks {
  std::function<void(const char* stepText, bool measured)> step;
  std::function<void(int32_t percent)> progress;  // only when the whole percent changes
  std::function<void()> idle;  // between slices of a long step: let pending messages through
};

// One entry record and its sub-records (the caller writes the entry's marker).
void WriteGameRecord(std::string& body, const GameRecord& game);
// The body: the three strings, then every game (0xBA) and every resource (0xBB).
std::string BuildBody(std::string_view emulatorDir, std::string_view emulatorExe,
                      std::string_view emulatorVersion, const GameList* games,
                      const GameList* resources, const ProgressHooks& hooks = {});
// The whole file around a body; false when compression fails. The compressor is fed in
// slices, with hooks.idle called between them; the result is still one zlib stream.
bool BuildFile(std::string_view body, bool compressed, std::string& file,
               const ProgressHooks& hooks = {});
// The same from a body given up: a stored file is the body with the header put before it in
// place (no second copy), and a compressed one frees the body once it is compressed.
bool BuildFile(std::string&& body, bool compressed, std::string& file,
               const ProgressHooks& hooks = {});
inline constexpr size_t CompressionSlice = 256 * 1024;

// The reader's primitives over one block of memory. Once a read finds no byte the
// end-of-data flag is set and every later read leaves its destination unchanged.
class TProfileReader {
 public:
  explicit TProfileReader(std::string_view data) : data_(data) {}
  void ReadByte(uint8_t& b) {
    if (eod_ || pos_ >= data_.size()) { eod_ = true; return; }
    b = static_cast<uint8_t>(data_[pos_++]);
  }
  void ReadWord(uint16_t& w) {
    if (eod_ || data_.size() - pos_ < 2) { End(); return; }
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    w = static_cast<uint16_t>(p[0] | (p[1] << 8));
    pos_ += 2;
  }
  void ReadDWord(uint32_t& d) {
    if (eod_ || data_.size() - pos_ < 4) { End(); return; }
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    d = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    pos_ += 4;
  }
  // fixedLength 0: a length byte first; N: exactly N bytes. At most maxLength are kept;
  // the rest are consumed.
  void ReadShortString(std::string& dest, size_t maxLength, size_t fixedLength = 0);
  template <size_t N>
  void ReadShortString(ShortString<N>& dest) {
    std::string_view s;
    if (Take(s)) dest = s;
  }
  bool Eod() const { return eod_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  size_t Position() const { return pos_; }
  size_t Size() const { return data_.size(); }
  std::string_view Rest() const { return data_.substr(pos_); }
  void Skip(size_t n) { pos_ = n > data_.size() - pos_ ? data_.size() : pos_ + n; }

 private:
  // A length-prefixed string; when the data ends inside it, what is there is kept.
  bool Take(std::string_view& s) {
    if (eod_ || pos_ >= data_.size()) { eod_ = true; return false; }
    const size_t n = static_cast<unsigned char>(data_[pos_++]);
    const size_t have = n < data_.size() - pos_ ? n : data_.size() - pos_;
    s = data_.substr(pos_, have);
    pos_ += have;
    if (have < n) eod_ = true;
    return true;
  }
  void End() { pos_ = data_.size(); eod_ = true; }
  std::string_view data_;
  size_t pos_ = 0;
  bool eod_ = false;
};

enum class LoadStatus {
  Ok,
  InvalidFileType,     // the header differs
  UnknownCompression,  // storage byte other than 0xC0, 0xC1
  UncompressFailed,    // damaged or incomplete compressed data, or an impossible length
  Truncated,           // the data ends inside the header fields or inside a record
  NoEntries,           // the body holds no entry
  InvalidHeaderTag,    // an unknown marker
  TooLarge,            // more records than a catalogue is kept with (see Refusal)
};

// Decodes a whole file into `out` (which should be fresh). On failure `out` holds what was
// read before the refusal; the caller discards it.
LoadStatus DecodeProfile(std::string_view file, ProfileContent& out,
                         const ProgressHooks& hooks = {}, const catalogue::Limits& limits = {});
// The same in two steps. The body of a file: `body` views the file when it is stored, else
// `storage`, where it is inflated.
LoadStatus ReadProfileBody(std::string_view file, std::string& storage, std::string_view& body,
                           const ProgressHooks& hooks = {});
// Decodes a body into `out`; with `keep` false every entry is read, checked and dropped at once
// (the status is the one a decode would give, memory stays that of one entry).
LoadStatus DecodeProfileBody(std::string_view body, ProfileContent& out,
                             const ProgressHooks& hooks = {}, const catalogue::Limits& limits = {},
                             bool keep = true);
// The message for a refused file (`refusal`: the content's, for TooLarge).
std::string LoadFailureMessage(LoadStatus status, const std::string& fileName,
                               const std::string& refusal = {});

}  // namespace profile
