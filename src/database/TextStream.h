// An in-memory file read and written line by line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class TTextStream {
 public:
  enum : uint8_t { CRLF = 0, CR = 1, LF = 2, NONE = 3 };
  // Beyond the three stored modes: CR LF, a lone CR and a lone LF all end a line.
  // Used for every file that comes from outside.
  static constexpr uint8_t TOLERANT = 255;

  TTextStream() = default;
  uint8_t LineEnd = CRLF;

  bool EOF_() const { return pos_ >= buf_.size(); }
  bool Eof() const { return EOF_(); }
  uint32_t ReadLn(std::string& s);
  uint32_t WriteString(std::string_view s);
  uint32_t WriteLn(std::string_view s);

  bool LoadFromFile(const std::string& path, std::string* error = nullptr);
  // Written to a temporary name and renamed; false (with the reason) on failure.
  bool SaveToFile(const std::string& path, std::string* error = nullptr) const;
  void LoadFromString(std::string data) { buf_ = std::move(data); pos_ = 0; }

  size_t Position() const { return pos_; }
  void SetPosition(size_t p) { pos_ = p > buf_.size() ? buf_.size() : p; }
  size_t Size() const { return buf_.size(); }
  void SetSize(size_t n);
  void Clear() { buf_.clear(); pos_ = 0; }
  const std::string& Data() const { return buf_; }

  // Makes every write fail (tests of failure paths).
  void SetFailWrites(bool f) { failWrites_ = f; }

 private:
  std::string buf_;
  size_t pos_ = 0;
  bool failWrites_ = false;
};

namespace HexNum {
uint32_t HexToInt(std::string_view s);
}
