#include "platform/SystemInfo.h"

#include <malloc.h>
#include <sys/utsname.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/Files.h"

namespace plat {
namespace {

// Calls f(key, value) for each "key<sep>value" line.
template <typename F>
void ForEachPair(std::string_view text, char sep, F f) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    size_t s = line.find(sep);
    if (s != std::string_view::npos) {
      if (!f(Trim(line.substr(0, s)), Trim(line.substr(s + 1)))) return;
    }
    at = end + 1;
  }
}

uint64_t KiloBytes(const std::string& value) {
  uint64_t v = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    if (v > (UINT64_MAX - 9) / 10 / 1024) return UINT64_MAX / 1024;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  return v * 1024;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// A whole number of at most twelve digits, -1 for anything else.
int64_t Number(const std::string& s) {
  if (s.empty() || s.size() > 12) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

std::string IsoDate(int64_t year, int64_t month, int64_t day) {
  if (year < 1991 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(year),
                static_cast<int>(month), static_cast<int>(day));
  return text;
}

// The build date in a kernel version text: "2024-07-15" (as distributions write it),
// "Thu Jan 18 10:00:00 UTC 2024" (the build's clock) or "@1705572000" (seconds since 1970;
// "@0" is a date left out on purpose). "" when none is found.
std::string BuildDate(const std::vector<std::string>& words) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (const std::string& w : words)
    if (w.size() == 10 && w[4] == '-' && w[7] == '-') {
      const std::string date = IsoDate(Number(w.substr(0, 4)), Number(w.substr(5, 2)),
                                       Number(w.substr(8, 2)));
      if (!date.empty()) return date;
    }
  for (size_t i = 0; i < words.size(); ++i)
    for (int m = 0; m < 12; ++m) {
      if (words[i] != kMonths[m]) continue;
      // The day follows the month ("Jan 18") or comes before it ("18 Jan"); the year after.
      const int64_t after = i + 1 < words.size() ? Number(words[i + 1]) : -1;
      const int64_t day = after >= 1 && after <= 31 ? after : i > 0 ? Number(words[i - 1]) : -1;
      for (size_t j = i + 1; j < words.size(); ++j)
        if (words[j].size() == 4 && Number(words[j]) > 0) {
          const std::string date = IsoDate(Number(words[j]), m + 1, day);
          if (!date.empty()) return date;
        }
    }
  for (const std::string& w : words)
    if (w.size() > 1 && w[0] == '@') {
      const int64_t seconds = Number(w.substr(1));
      if (seconds <= 0) continue;
      const time_t t = static_cast<time_t>(seconds);
      tm utc{};
      if (gmtime_r(&t, &utc)) return IsoDate(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
    }
  return {};
}

}  // namespace

std::string KernelBuild(const std::string& version) {
  std::vector<std::string> words;
  std::string word;
  for (char c : version + " ") {
    if (c == ' ' || c == '\t' || c == '(' || c == ')' || c == ',') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (words.empty() || words[0].size() < 2 || words[0][0] != '#') return Trim(version);
  const std::string date = BuildDate(words);
  return "Build " + words[0].substr(1) + (date.empty() ? "" : " of " + date);
}

SystemSource::~SystemSource() = default;

std::string SystemSource::ReadText(const std::string& path) const {
  std::string text;
  if (!ReadRegularFileHead(path, text, 1u << 20)) return {};
  return text;
}

KernelName SystemSource::Uname() const {
  utsname u{};
  if (uname(&u) != 0) return {};
  return {u.sysname, u.release, u.version, u.machine};
}

const SystemSource& RealSystem() {
  static const SystemSource real;
  return real;
}

MemoryStatus ParseMemInfo(std::string_view meminfo) {
  MemoryStatus m;
  uint64_t free = 0, swapTotal = 0, swapFree = 0;
  bool haveAvailable = false;
  ForEachPair(meminfo, ':', [&](const std::string& key, const std::string& value) {
    if (key == "MemTotal") m.totalPhys = KiloBytes(value);
    else if (key == "MemAvailable") m.availPhys = KiloBytes(value), haveAvailable = true;
    else if (key == "MemFree") free = KiloBytes(value);
    else if (key == "SwapTotal") swapTotal = KiloBytes(value);
    else if (key == "SwapFree") swapFree = KiloBytes(value);
    return true;
  });
  if (!haveAvailable) m.availPhys = free;  // kernels before 3.14
  m.totalVirtual = m.totalPhys + swapTotal;
  m.availVirtual = m.availPhys + swapFree;
  return m;
}

std::string MegabytesText(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

std::array<std::string, 4> SystemLines(std::string_view osRelease, const KernelName& kernel) {
  std::string name, prettyName, version;
  ForEachPair(osRelease, '=', [&](const std::string& key, const std::string& value) {
    if (key == "NAME") name = Unquote(value);
    else if (key == "PRETTY_NAME") prettyName = Unquote(value);
    else if (key == "VERSION") version = Unquote(value);
    else if (key == "VERSION_ID" && version.empty()) version = Unquote(value);
    return true;
  });
  if (name.empty()) name = prettyName.empty() ? kernel.sysname : prettyName;
  std::array<std::string, 4> lines;
  lines[0] = name;
  if (!version.empty()) lines[1] = "Version " + version;
  if (!kernel.release.empty()) lines[2] = "Kernel " + Trim(kernel.sysname + " " + kernel.release);
  lines[3] = KernelBuild(kernel.version);
  return lines;
}

std::string ProcessorName(std::string_view cpuinfo, const KernelName& kernel) {
  std::string found;
  for (const char* wanted : {"model name", "Processor", "cpu model", "cpu"}) {
    ForEachPair(cpuinfo, ':', [&](const std::string& key, const std::string& value) {
      if (key == wanted && !value.empty()) {
        found = value;
        return false;
      }
      return true;
    });
    if (!found.empty()) return found;
  }
  return kernel.machine.empty() ? "unknown" : kernel.machine;
}

void ReturnFreeMemory() { malloc_trim(0); }

}  // namespace plat
