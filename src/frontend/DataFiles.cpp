#include "frontend/DataFiles.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <list>

#include "database/TextStream.h"
#include "platform/Files.h"
#include "platform/SystemInfo.h"

namespace datafiles {

namespace {

const char* const kCrLf = "\r\n";

// Lines of a text without copying; CR LF, LF and CR all end a line.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    const size_t n = text_.size();
    if (pos_ >= n) return false;
    const char* base = text_.data();
    // One scan for whichever line end comes first.
    size_t end = pos_;
    while (end < n && base[end] != '\n' && base[end] != '\r') ++end;
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < n) {
      pos_ += (base[pos_] == '\r' && pos_ + 1 < n && base[pos_ + 1] == '\n') ? 2 : 1;
    }
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

char Up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// `prefix` is upper case.
bool StartsNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Up(s[i]) != prefix[i]) return false;
  return true;
}

// `upper` is upper case.
bool EqualsNoCase(std::string_view s, std::string_view upper) {
  return s.size() == upper.size() && StartsNoCase(s, upper);
}

std::string Hex(uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

void PadTo(std::string& s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
}

// Splits off the next field at ':'; a missing field is empty.
std::string_view NextField(std::string_view& rest) {
  size_t p = rest.find(':');
  std::string_view f = rest.substr(0, p);
  rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + 1);
  return f;
}

// Adds `s` without its control characters (tabs and line ends kept) while `out` is under kMaxEntrySize;
// false, with `*cut` set, when the bound stops it.
bool AppendBounded(std::string& out, std::string_view s, bool* cut) {
  bool whole = true;
  if (out.size() >= kMaxEntrySize) {
    whole = false;
    s = {};
  } else if (s.size() > kMaxEntrySize - out.size()) {
    whole = false;
    s = s.substr(0, kMaxEntrySize - out.size());
  }
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= ' ' && u != 0x7F) || c == '\t' || c == '\r' || c == '\n') out += c;
  }
  if (!whole && cut) *cut = true;
  return whole;
}

}  // namespace

// --- high scores ---

std::string FormatHiscoreArea(std::string_view line) {
  std::string_view rest = line;
  const std::string_view cpu = NextField(rest);
  const std::string_view address = NextField(rest);
  const std::string_view length = NextField(rest);
  const std::string_view start = NextField(rest);
  const std::string_view end = rest;
  const uint32_t first = HexNum::HexToInt(address);
  const uint32_t last = first + HexNum::HexToInt(length) - 1;
  const int digits = static_cast<int>(address.size() < 8 ? address.size() : 8);
  const std::string lastText = Hex(last, digits);
  std::string t = "CPU=";
  t.append(cpu).append(", Memory area=$").append(address);
  if (last != first)
    t += "..$" + lastText + ", ";
  else
    t += ", " + std::string(lastText.size() + 3, ' ');
  t.append("Area delimiters= {$").append(start).append(", $").append(end).append("}");
  return t;
}

std::string ReadHiscoreEntry(std::string_view fileText, std::string_view setName, bool* cut) {
  if (cut) *cut = false;
  if (setName.empty()) return {};
  std::string key;
  for (char c : setName) key += Up(c);
  key += ':';
  LineReader r(fileText);
  std::string_view line;
  bool found = false;
  while (r.Next(line))
    if (StartsNoCase(TrimView(line), key)) {
      found = true;
      break;
    }
  if (!found) return {};
  std::string text;
  while (r.Next(line)) {
    std::string_view t = TrimView(line);
    if (t.empty()) break;
    const size_t colon = t.find(':');
    if (colon != std::string_view::npos && colon == t.size() - 1) continue;  // another header
    std::string upper(t.substr(0, kMaxEntrySize));
    for (char& c : upper) c = Up(c);
    if (!text.empty() && !AppendBounded(text, kCrLf, cut)) break;
    if (!AppendBounded(text, FormatHiscoreArea(upper), cut)) break;
  }
  return text;
}

// --- history and emulator information ---

bool NameListHolds(std::string_view list, std::string_view setName) {
  if (setName.empty()) return false;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && (list[i] == ',' || IsBlank(list[i]))) ++i;
    size_t j = i;
    while (j < list.size() && list[j] != ',' && !IsBlank(list[j])) ++j;
    if (j > i && j - i == setName.size()) {
      bool same = true;
      for (size_t k = 0; k < setName.size() && same; ++k) same = Up(list[i + k]) == Up(setName[k]);
      if (same) return true;
    }
    i = j;
  }
  return false;
}

std::string ReadInfoFileEntry(std::string_view fileText, std::string_view setName,
                              std::string_view part, bool* cut) {
  if (cut) *cut = false;
  if (setName.empty() || part.empty()) return {};
  std::string header = "$";
  for (char c : part) header += Up(c);
  LineReader r(fileText);
  std::string_view line;
  bool kept = false;  // `line` holds a line read ahead
  bool matched = false;
  while (!matched) {
    if (!kept && !r.Next(line)) return {};
    kept = false;
    if (!StartsNoCase(line, "$INFO")) continue;
    // The list of set names follows the first "=", over this and the following non-empty
    // lines up to one beginning with "$".
    bool afterEquals = false;
    std::string_view segment = line;
    for (;;) {
      if (!afterEquals) {
        size_t eq = segment.find('=');
        if (eq != std::string_view::npos) {
          afterEquals = true;
          segment = segment.substr(eq + 1);
        }
      }
      if (afterEquals && NameListHolds(segment, setName)) matched = true;
      if (!r.Next(line)) return {};  // the file ends before any part
      if (!line.empty() && line[0] == '$') {
        kept = true;
        break;
      }
      segment = line;
    }
  }
  // From the kept line on, up to the part header; another entry or an end means no text.
  for (;;) {
    if (StartsNoCase(line, header)) break;
    if (StartsNoCase(line, "$END") || StartsNoCase(line, "$INFO")) return {};
    if (!r.Next(line)) return {};
  }
  // An entry without "$end" runs to the end of the file.
  std::string text;
  bool any = false;
  while (r.Next(line)) {
    if (StartsNoCase(line, "$END")) break;
    if (!any && TrimView(line).empty()) continue;
    if (any && !AppendBounded(text, kCrLf, cut)) break;
    if (!AppendBounded(text, line, cut)) break;
    any = true;
  }
  return text;
}

// --- cheats ---

bool IsGZipText(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
         static_cast<unsigned char>(bytes[1]) == 0x8B;
}

std::string HexByteToBits(std::string_view hex) {
  const uint32_t v = HexNum::HexToInt(hex) & 0xFF;
  std::string bits(8, '0');
  for (int b = 0; b < 8; ++b)
    if (v & (1u << (7 - b))) bits[b] = '1';
  return bits;
}

std::string FormatCheatRange(uint32_t low, uint32_t high, bool bcd, bool whenChange,
                             std::string_view address) {
  std::string t = "$";
  t.append(address).append("=$").append(Hex(low, 2)).append("..$").append(Hex(high, 2));
  if (bcd) t += " (bcd)";
  if (whenChange) t += " when change found";
  t += " then deactivate cheat";
  return t;
}

namespace {

std::string TypeText(uint32_t type, std::string_view address, std::string_view data,
                     std::string_view typeField) {
  const uint32_t base = (type >= 0x500 && type <= 0x997) ? type - 0x500 : type;
  const uint32_t d = HexNum::HexToInt(data);
  auto set = [&](const char* tail) {
    std::string t = "$";
    t.append(address).append("=$").append(data).append(tail);
    return t;
  };
  auto bits = [&](const char* head, const char* middle, const char* tail) {
    std::string t = head;
    t.append(HexByteToBits(data)).append(middle).append(address).append(tail);
    return t;
  };
  switch (base) {
    case 0x0: return set(" and cannot be changed");
    case 0x1: return set(" and cheat is deactivated");
    case 0x2: return set(" once every second");
    case 0x3: return set(" once every 2 seconds");
    case 0x4: return set(" once every 5 seconds");
    case 0x5: return set(" 1 second after it changes");
    case 0x6: return set(" 2 seconds after it changes");
    case 0x7: return set(" 5 seconds after it changes");
    case 0x8: return set(" if not decrementing by 1 each frame");
    case 0x9: return set(" if not decrementing by 2 each frame");
    case 0x10: return set(" if not decrementing by 3 each frame");
    case 0x11: return set(" if not decrementing by 4 each frame");
    case 0x20: return bits("Hold %", " bits set in $", "");
    case 0x21: return bits("Set %", " bits in $", " and deactivate cheat");
    case 0x40: return bits("Hold %", " bits reset in $", "");
    case 0x41: return bits("Reset %", " bits in $", " and deactivate cheat");
    case 0x60: return FormatCheatRange(0, d, false, true, address);
    case 0x61: return FormatCheatRange(1, d + 1, false, true, address);
    case 0x62: return FormatCheatRange(1, d, false, true, address);
    case 0x63: return FormatCheatRange(0, d, true, true, address);
    case 0x64: return FormatCheatRange(1, d + 1, true, false, address);
    case 0x65: return FormatCheatRange(1, d, false, true, address);
    case 0x70: return FormatCheatRange(0, d, false, false, address);
    case 0x71: return FormatCheatRange(1, d + 1, false, false, address);
    case 0x72: return FormatCheatRange(1, d, false, false, address);
    case 0x73: return FormatCheatRange(0, d, true, false, address);
    case 0x74: return FormatCheatRange(1, d + 1, true, false, address);
    case 0x75: return FormatCheatRange(1, d, false, false, address);
    case 0x998: {
      std::string t = "Add $";
      t.append(address).append(" as watch");
      return t;
    }
    default: {
      std::string t = "Unknown cheat type!!! Address=$";
      t.append(address).append(" Value=$").append(data).append(" Type=").append(typeField);
      return t;
    }
  }
}

}  // namespace

std::string FormatCheatLine(std::string_view line) {
  std::string_view rest = line;
  NextField(rest);  // the set name
  const std::string_view cpu = NextField(rest);
  const std::string_view address = NextField(rest);
  const std::string_view data = NextField(rest);
  const std::string_view typeField = NextField(rest);
  const std::string_view description = NextField(rest);
  // The seventh field runs to the end of the line, its ":" dropped.
  std::string comment;
  for (char c : rest)
    if (c != ':') comment += c;
  const uint32_t type = HexNum::HexToInt(typeField);

  std::string t(description);
  if (!TrimView(comment).empty()) t += " " + comment;
  if (type == 0x999) {
    PadTo(t, 29);
    t += "  (comment)";
    return t;
  }
  t += ":";
  PadTo(t, 30);
  t.append(" CPU=").append(cpu).append(", ");
  t += TypeText(type, address, data, typeField);
  if (type >= 0x49A && type <= 0x997) t += " (linked part)";
  return t;
}

std::string ReadCheatEntries(std::string_view fileText, std::string_view setName, bool* cut) {
  if (cut) *cut = false;
  if (IsGZipText(fileText)) return "<GZIP>";
  if (setName.empty()) return {};
  std::string key;
  for (char c : setName) key += Up(c);
  std::string text;
  LineReader r(fileText);
  std::string_view line;
  while (r.Next(line)) {
    std::string_view t = TrimView(line);
    if (t.empty() || t[0] == ';') continue;
    if (!EqualsNoCase(t.substr(0, t.find(':')), key)) continue;
    if (!text.empty() && !AppendBounded(text, kCrLf, cut)) break;
    if (!AppendBounded(text, FormatCheatLine(t.substr(0, kMaxEntrySize)), cut)) break;
  }
  return text;
}

// --- files ---

std::string ResolveDataFile(const std::string& emulatorDir, const std::string& name) {
  if (name.empty()) return {};
  std::string path = plat::ToNativeSeparators(name);
  if (path[0] != '/') path = plat::WithSlash(emulatorDir) + path;
  auto real = plat::ResolveNoCase(path);
  return real ? *real : std::string();
}

namespace {

struct Cached {
  std::string path;
  plat::FileStamp stamp;
  std::string text;
};
// The files read last first.
std::list<Cached>& Cache() {
  static std::list<Cached> cache;
  return cache;
}

}  // namespace

const std::string& ReadDataFile(const std::string& path, std::string* error) {
  static const std::string empty;
  std::list<Cached>& cache = Cache();
  auto it =
      std::find_if(cache.begin(), cache.end(), [&](const Cached& c) { return c.path == path; });
  const plat::FileStamp now = path.empty() ? plat::FileStamp() : plat::StampOf(path);
  if (now.size < 0) {
    if (it != cache.end()) cache.erase(it);
    // Something there that is no regular file is named, never opened.
    struct stat st;
    std::string none;
    if (error && !path.empty() && lstat(path.c_str(), &st) == 0)
      plat::ReadRegularFile(path, none, 0, error);
    return empty;
  }
  if (it == cache.end()) {
    // A file no longer in use goes before a new one comes.
    if (cache.size() >= kCachedDataFiles) cache.pop_back();
    cache.push_front(Cached{path, {}, {}});
  } else {
    cache.splice(cache.begin(), cache, it);
  }
  Cached& c = cache.front();
  if (c.stamp == now) return c.text;
  std::string().swap(c.text);
  c.stamp = {};
  if (!plat::ReadRegularFile(path, c.text, kMaxDataFileSize, error)) {
    std::string().swap(c.text);
    return c.text;
  }
  c.stamp = now;
  return c.text;
}

void ForgetDataFiles() {
  Cache().clear();
  plat::ReturnFreeMemory();
}

}  // namespace datafiles
