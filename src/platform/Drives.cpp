#include "platform/Drives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/Files.h"

namespace plat {

namespace {
std::optional<std::vector<CdRomDrive>>& TestTable() {
  static std::optional<std::vector<CdRomDrive>> table;
  return table;
}

std::string RealPath(const std::string& p) {
  char buf[PATH_MAX];
  if (!realpath(p.c_str(), buf)) return p;
  return buf;
}

// udev writes unsafe characters of a label as \xHH.
std::string UnescapeUdev(std::string_view s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      char hex[3] = {s[i + 2], s[i + 3], 0};
      char* end = nullptr;
      long v = std::strtol(hex, &end, 16);
      if (end == hex + 2) {
        r += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    r += s[i];
  }
  return r;
}
}  // namespace

bool IsDiscFileSystem(std::string_view type) {
  const std::string t = LowerCase(type);
  return t == "iso9660" || t == "udf" || t == "fuse.fuseiso";
}

std::string LoopBackingFile(const std::string& device, const std::string& sysBlock) {
  const std::string name = FileNameOf(device);
  if (name.rfind("loop", 0) != 0 || name.size() == 4) return {};
  std::string text;
  if (!ReadRegularFile(JoinPath(sysBlock, name + "/loop/backing_file"), text, 64 * 1024))
    return {};
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string UnescapeMountField(std::string_view field) {
  auto octal = [&](size_t k) { return k < field.size() && field[k] >= '0' && field[k] <= '7'; };
  std::string r;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      int v = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      r += static_cast<char>(v);
      i += 3;
      continue;
    }
    r += field[i];
  }
  return r;
}

std::vector<CdRomDrive> ParseCdRomMounts(std::string_view text) {
  std::vector<CdRomDrive> drives;
  char letter = 'D';
  size_t pos = 0;
  while (pos < text.size() && letter <= 'Z') {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size() && fields.size() < 3) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      size_t j = i;
      while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
      if (j > i) fields.push_back(line.substr(i, j - i));
      i = j;
    }
    if (fields.size() < 3) continue;
    if (!IsDiscFileSystem(fields[2])) continue;
    CdRomDrive d;
    d.letter = std::string(1, letter++) + ":";
    d.device = UnescapeMountField(fields[0]);
    d.root = WithSlash(UnescapeMountField(fields[1]));
    drives.push_back(std::move(d));
  }
  return drives;
}

std::string VolumeLabel(const std::string& device) {
  if (device.empty() || device[0] != '/') return {};
  const std::string byLabel = "/dev/disk/by-label";
  std::string target = RealPath(device);
  for (const std::string& name : ListDir(byLabel))
    if (RealPath(JoinPath(byLabel, name)) == target) return UnescapeUdev(name);
  // A loop-mounted image is read through its file: the loop device is seldom readable.
  std::string source = device;
  if (std::string image = LoopBackingFile(device); !image.empty() && FileExists(image))
    source = image;
  // The ISO 9660 primary volume descriptor: sector 16, identifier at byte 40, 32 characters.
  int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  char sector[2048];
  ssize_t n = pread(fd, sector, sizeof sector, 16 * 2048);
  close(fd);
  if (n < 72 || sector[0] != 1 || std::string_view(sector + 1, 5) != "CD001") return {};
  return Trim(std::string_view(sector + 40, 32));
}

std::vector<CdRomDrive> CdRomDrives() {
  if (TestTable()) return *TestTable();
  std::string text;
  if (!ReadRegularFile("/proc/mounts", text, 16u << 20)) return {};
  std::vector<CdRomDrive> drives = ParseCdRomMounts(text);
  for (CdRomDrive& d : drives) d.label = VolumeLabel(d.device);
  return drives;
}

std::optional<CdRomDrive> FindCdRomDrive(std::string_view letter) {
  std::string l = Trim(letter);
  if (l.empty()) return std::nullopt;
  char c = UpperCase(l.substr(0, 1))[0];
  for (CdRomDrive& d : CdRomDrives())
    if (!d.letter.empty() && UpperCase(d.letter.substr(0, 1))[0] == c) return d;
  return std::nullopt;
}

void SetCdRomDrivesForTests(std::optional<std::vector<CdRomDrive>> drives) {
  TestTable() = std::move(drives);
}

}  // namespace plat
