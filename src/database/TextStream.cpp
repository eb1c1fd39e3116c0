#include "database/TextStream.h"

#include "platform/Files.h"

uint32_t TTextStream::ReadLn(std::string& s) {
  s.clear();
  uint32_t count = 0;
  const size_t n = buf_.size();
  while (pos_ < n) {
    char c = buf_[pos_++];
    ++count;
    if (c != '\r' && c != '\n') {
      s.push_back(c);
      continue;
    }
    switch (LineEnd) {
      case CRLF:
        if (c == '\n') { s.push_back(c); break; }
        if (pos_ >= n) { s.push_back('\r'); return count; }
        {
          char d = buf_[pos_++];
          ++count;
          if (d == '\n') return count;
          s.push_back('\r');
          s.push_back(d);
        }
        break;
      case CR:
        if (c == '\r') return count;
        s.push_back(c);
        break;
      case LF:
        if (c == '\n') return count;
        s.push_back(c);
        break;
      case TOLERANT:
        if (c == '\r' && pos_ < n && buf_[pos_] == '\n') { ++pos_; ++count; }
        return count;
      default:
        break;  // line ends are dropped
    }
  }
  return count;
}

uint32_t TTextStream::WriteString(std::string_view s) {
  if (failWrites_) return 0;
  try {
    if (pos_ + s.size() > buf_.size()) buf_.resize(pos_ + s.size());
    buf_.replace(pos_, s.size(), s);
    pos_ += s.size();
    return static_cast<uint32_t>(s.size());
  } catch (...) {
    return 0;
  }
}

uint32_t TTextStream::WriteLn(std::string_view s) {
  std::string line(s);
  switch (LineEnd) {
    case CRLF: line += "\r\n"; break;
    case CR: line += '\r'; break;
    case LF: line += '\n'; break;
    case TOLERANT: line += "\r\n"; break;
    default: break;
  }
  return WriteString(line);
}

bool TTextStream::LoadFromFile(const std::string& path, std::string* error) {
  std::string data;
  if (!plat::ReadWholeFile(path, data, error)) return false;
  buf_ = std::move(data);
  pos_ = 0;
  return true;
}

bool TTextStream::SaveToFile(const std::string& path, std::string* error) const {
  return plat::WriteFileAtomic(path, buf_, error);
}

void TTextStream::SetSize(size_t n) {
  buf_.resize(n);
  if (pos_ > n) pos_ = n;
}

namespace HexNum {

uint32_t HexToInt(std::string_view s) {
  if (s.size() > 255) s = s.substr(0, 255);
  uint32_t result = 0, weight = 1;
  for (size_t i = s.size(); i-- > 0;) {
    char c = s[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    uint32_t v = 0;
    if (c >= '1' && c <= '9') v = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F') v = static_cast<uint32_t>(c - 'A' + 10);
    result += v * weight;
    weight *= 16;
  }
  return result;
}

}  // namespace HexNum
