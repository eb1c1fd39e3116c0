// The emulator's -listinfo catalogue read into game and resource records. No window here:
// progress goes out through a callback, errors are collected for the caller to show.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "database/CatalogueBounds.h"
#include "database/types.h"

namespace listinfo {

// Called with the whole percentage of the text read, only when it changes.
using ProgressFn = std::function<void(int32_t percent)>;

// Done / Total as a whole percentage, truncated; 100 when Total is 0.
inline int32_t Percentage(int64_t done, int64_t total) {
  if (total == 0) return 100;
  return static_cast<int32_t>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

// Distinct errors kept before the "too many" line; the list never exceeds MaxErrors + 1.
inline constexpr size_t MaxErrors = 100;
inline constexpr std::string_view TooManyErrorsText =
    "Too many errors encountered (>100): the rest were ignored.";
// A larger catalogue is refused unread: the emulator's listing of 40,000 games takes about
// 100 MB, and its records take more than twice the text's size in memory.
inline constexpr uint64_t kMaxListingSize = 128ull << 20;
// A dip-switch entry count is one byte in a profile.
inline constexpr size_t MaxDipSwitchEntries = 255;

struct ParseResult {
  std::unique_ptr<GameList> Games = std::make_unique<GameList>();
  std::unique_ptr<GameList> Resources = std::make_unique<GameList>();
  RecordList<ParseErrorRecord> Errors;  // in the order recorded
  // What passed a bound of the catalogue ("more than 65,535 games"): reading stopped there and
  // the catalogue cannot be kept. Empty when it was read whole.
  std::string Refusal;
};

class TListinfoParser {
 public:
  explicit TListinfoParser(std::string_view text, const catalogue::Limits& limits = {});

  // Reads the whole text; never stops at a bad token, only at a bound passed.
  void Parse(const ProgressFn& progress = {});
  ParseResult& Result() { return result_; }

  // The next byte and one step forward; 0 at the end, without moving.
  uint8_t NextChar();
  // The next token: a quoted string as written (escapes applied), any other run up to a
  // separator upper-cased; empty at the end of the text. The view lasts until the next call.
  std::string_view NextToken();
  bool TokenQuoted() const { return quoted_; }
  // Records an error of `kind` at `path` with the current token as its value, then skips a
  // bracketed block when the current token opens one. Kind 2 first reads the tag's value.
  void AddParseError(uint8_t kind, std::string_view path);

  size_t Position() const { return pos_; }

 private:
  void BetweenEntries();
  void InsideEntry();
  void InsideBlock();
  void StoreGameTag(int tag);
  void StoreSubTag(int sub);
  void RecordError(uint8_t kind, std::string_view path, std::string_view value);
  void EndOfText();
  bool Count(catalogue::Kind kind, size_t inEntry = 0);
  bool IsOpen() const { return !quoted_ && tok_.size() == 1 && tok_[0] == '('; }
  bool IsClose() const { return !quoted_ && tok_.size() == 1 && tok_[0] == ')'; }
  bool AtEnd() const { return !quoted_ && tok_.empty(); }
  std::string EntryPath() const;
  std::string BlockPath() const;
  bool ToInteger(std::string_view subTag, uint32_t& field);

  std::string_view text_;
  size_t pos_ = 0;
  std::string_view tok_;
  bool quoted_ = false;
  std::string buf_;

  int state_ = 1;       // 1 between entries, 2 inside an entry, 3 inside a block
  int entryKind_ = 0;   // 1 GAME, 2 RESOURCE
  int block_ = 0;       // position of the open block in GameTags
  std::unique_ptr<GameRecord> game_;
  std::unique_ptr<RomRecord> rom_;
  std::unique_ptr<ChipRecord> chip_;
  std::unique_ptr<DipSwitchRecord> dip_;
  uint32_t gameCounter_ = 0;
  uint32_t resourceCounter_ = 0;
  catalogue::Counter counter_;
  ParseResult result_;
};

// Parses a whole text.
ParseResult ParseListinfo(std::string_view text, const ProgressFn& progress = {},
                          const catalogue::Limits& limits = {});

// True when a set name can be one file name and is not taken by the emulator for an option
// (it does not begin with "-").
bool IsAllowedSetName(std::string_view name);

// The line of the error report for one error.
std::string ErrorLine(const ParseErrorRecord& error);

// True when the text, upper-cased, begins with "0X", or begins with "$".
bool IsHexString(std::string_view text);
// The text after its "0X" or "$" prefix, as hexadecimal.
uint32_t HexStrToInt(std::string_view text);
// The standard integer conversion of a whole text: optional blanks and sign, then decimal
// digits (a signed 32-bit value) or "$" and hexadecimal digits (up to 32 bits).
bool StrToInt(std::string_view text, int32_t& value);
// Optional blanks and "+", then decimal digits up to 4294967295.
bool StrToUInt32(std::string_view text, uint32_t& value);

}  // namespace listinfo
