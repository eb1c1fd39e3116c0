#include "platform/Cp1252.h"

namespace plat {

namespace {
// Code points of bytes 0x80..0x9F; 0 marks the five undefined bytes (kept as C1 controls).
const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QString FromAnsi(std::string_view bytes) {
  QString r;
  r.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char c : bytes) {
    if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80])
      r.append(QChar(kHigh[c - 0x80]));
    else
      r.append(QChar(static_cast<char16_t>(c)));
  }
  return r;
}

std::string ToAnsi(const QString& text) {
  std::string r;
  r.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      r.push_back(static_cast<char>(u));
      continue;
    }
    char out = '?';
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] == u || (kHigh[i] == 0 && u == 0x80 + i)) {
        out = static_cast<char>(0x80 + i);
        break;
      }
    r.push_back(out);
  }
  return r;
}

bool FitsAnsi(const QString& text) { return FromAnsi(ToAnsi(text)) == text; }

QString FromLocal(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string ToLocal(const QString& path) { return path.toUtf8().toStdString(); }

std::string_view WithoutBom(std::string_view text) {
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

}  // namespace plat
