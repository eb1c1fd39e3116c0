#include "platform/SystemInfo.h"

#include <sys/utsname.h>

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

}  // namespace

SystemSource::~SystemSource() = default;

std::string SystemSource::ReadText(const std::string& path) const {
  std::string text;
  if (!ReadWholeFile(path, text)) return {};
  if (text.size() > (1u << 20)) text.resize(1u << 20);
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
  if (!kernel.version.empty()) lines[3] = "Build " + kernel.version;
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

}  // namespace plat
