#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "platform/FlatOutput.h"

namespace plat {

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  std::string r(a);
  while (r.size() > 1 && r.back() == '/') r.pop_back();
  size_t i = 0;
  while (i < b.size() && b[i] == '/') ++i;
  if (r != "/") r += '/';
  r.append(b.substr(i));
  return r;
}

std::string WithSlash(std::string_view dir) {
  std::string r(dir);
  if (!r.empty() && r.back() != '/') r += '/';
  return r;
}

std::string ToNativeSeparators(std::string_view path) {
  std::string r(path);
  std::replace(r.begin(), r.end(), '\\', '/');
  return r;
}

std::string FileNameOf(std::string_view path) {
  size_t p = path.find_last_of('/');
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string DirectoryOf(std::string_view path) {
  size_t p = path.find_last_of('/');
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtensionOf(std::string_view path) {
  std::string name = FileNameOf(path);
  size_t p = name.find_last_of('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeExtension(std::string_view path, std::string_view ext) {
  std::string dir = DirectoryOf(path), name = FileNameOf(path);
  size_t p = name.find_last_of('.');
  if (p != std::string::npos) name.resize(p);
  return dir + name + std::string(ext);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirs(const std::string& path) {
  if (path.empty()) return false;
  if (DirExists(path)) return true;
  std::string cur;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    cur = path.substr(0, j);
    if (!cur.empty() && !DirExists(cur)) {
      if (mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    i = j + 1;
  }
  return DirExists(path);
}

bool DirWritable(const std::string& dir) {
  struct stat st;
  // A folder without any write permission is read-only, whoever runs the program.
  if (stat(dir.empty() ? "." : dir.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
  std::string probe = JoinPath(dir.empty() ? "." : dir, ".velmora-probe-XXXXXX");
  int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveTree(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
  bool ok = true;
  for (const std::string& name : ListDir(path)) ok = RemoveTree(JoinPath(path, name)) && ok;
  return rmdir(path.c_str()) == 0 && ok;
}

std::string CurrentDir() {
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return "./";
  return WithSlash(buf);
}

bool SetCurrentDir(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return JoinPath(CurrentDir(), path);
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  closedir(d);
  return names;
}

std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name) {
  std::string exact = dir.empty() ? std::string(name) : JoinPath(dir, name);
  struct stat st;
  if (lstat(exact.c_str(), &st) == 0) return exact;
  for (const std::string& n : ListDir(dir))
    if (SameText(n, name)) return dir.empty() ? n : JoinPath(dir, n);
  return std::nullopt;
}

std::optional<std::string> ResolveNoCase(const std::string& path) {
  struct stat st;
  if (path.empty()) return std::nullopt;
  if (lstat(path.c_str(), &st) == 0) return path;
  std::string cur = path[0] == '/' ? "/" : "";
  size_t i = path[0] == '/' ? 1 : 0;
  while (i < path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      cur = JoinPath(cur, "..");
      continue;
    }
    auto hit = FindNoCase(cur.empty() ? std::string() : cur, part);
    if (!hit) return std::nullopt;
    cur = *hit;
  }
  if (cur.empty()) return std::nullopt;
  return cur;
}

std::string PathForWrite(const std::string& path) {
  if (auto hit = ResolveNoCase(path)) return *hit;
  std::string dir = DirectoryOf(path);
  if (!dir.empty()) {
    if (auto d = ResolveNoCase(dir.size() > 1 ? dir.substr(0, dir.size() - 1) : dir))
      return JoinPath(*d, FileNameOf(path));
  }
  return path;
}

FolderIndex::FolderIndex(std::string dir) : dir_(std::move(dir)) {}

void FolderIndex::Reset(std::string dir) {
  dir_ = std::move(dir);
  built_ = false;
  entries_.clear();
}

void FolderIndex::Invalidate() { built_ = false; }

FolderIndex::Stamp FolderIndex::StampOfDir(const std::string& dir) {
  struct stat st;
  if (dir.empty() || stat(dir.c_str(), &st) != 0) return {};
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

void FolderIndex::RenewIfChanged() {
  if (built_ && StampOfDir(dir_) != stamp_) built_ = false;
}

void FolderIndex::Build() {
  // Taken before the listing: a change made while it is read shows as a change next time.
  stamp_ = StampOfDir(dir_);
  entries_.clear();
  for (auto& n : ListDir(dir_)) entries_.emplace_back(UpperCase(n), n);
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  built_ = true;
}

std::optional<std::string> FolderIndex::Find(std::string_view name) {
  if (!built_) Build();
  std::string key = UpperCase(name);
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const auto& e, const std::string& k) { return e.first < k; });
  std::optional<std::string> first;
  for (; it != entries_.end() && it->first == key; ++it) {
    if (it->second == name) return JoinPath(dir_, it->second);
    if (!first) first = JoinPath(dir_, it->second);
  }
  return first;
}

namespace {

// Follows a chain of links to the file they name, so a write replaces the target, not the link.
std::string LinkTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buf[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return path;
    std::string to(buf, static_cast<size_t>(n));
    path = to[0] == '/' ? to : DirectoryOf(path) + to;
  }
  return path;
}

bool Fail(std::string* error, int code) {
  if (error) *error = std::strerror(code);
  return false;
}

// Opens a regular file for reading. Whatever else the name stands for is refused before it
// is opened, so that a pipe or a device is never waited on.
int OpenRegular(const std::string& path, struct stat& st, std::string* error) {
  const char* refused = "Not a regular file";
  int code = 0;
  if (stat(path.c_str(), &st) != 0) {
    code = errno;
  } else if (S_ISDIR(st.st_mode)) {
    code = EISDIR;
  } else if (S_ISREG(st.st_mode)) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
      code = errno;
    } else {
      if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
      close(fd);  // replaced by something else in the meantime
    }
  }
  if (error) *error = code ? std::strerror(code) : refused;
  return -1;
}

// Reads at most `max` bytes from the descriptor, from `from` on, into `data`; false (with the
// reason) on error. The descriptor's offset is not moved.
bool ReadUpTo(int fd, std::string& data, size_t max, size_t expected, std::string* error,
              off_t from = 0) {
  data.clear();
  data.resize(std::min(max, expected + 1 > 65536 ? expected + 1 : size_t{65536}));
  size_t have = 0;
  while (have < max) {
    if (have == data.size()) data.resize(std::min(max, data.size() * 2));
    ssize_t n = pread(fd, data.data() + have, data.size() - have, from + static_cast<off_t>(have));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(error, errno);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  data.resize(have);
  return true;
}

// The descriptor's file, when it is a regular one.
bool StatOpen(int fd, struct stat& st, std::string* error) {
  if (fstat(fd, &st) != 0) return Fail(error, errno);
  if (S_ISREG(st.st_mode)) return true;
  if (error) *error = "Not a regular file";
  return false;
}

std::string SizeText(uint64_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

bool ReadOpenFile(int fd, std::string& out, uint64_t limit, std::string* error) {
  struct stat st;
  if (!StatOpen(fd, st, error)) return false;
  const std::string tooLarge = "Larger than " + SizeText(limit);
  if (static_cast<uint64_t>(st.st_size) > limit) {
    if (error) *error = tooLarge;
    return false;
  }
  // One byte past the limit tells a file that grew since it was looked at.
  const uint64_t most = std::min<uint64_t>(limit, SIZE_MAX - 1) + 1;
  std::string data;
  if (!ReadUpTo(fd, data, static_cast<size_t>(most), static_cast<size_t>(st.st_size), error))
    return false;
  if (data.size() > limit) {
    if (error) *error = tooLarge;
    return false;
  }
  out = std::move(data);
  return true;
}

bool ReadOpenFileHead(int fd, std::string& out, size_t count, std::string* error) {
  struct stat st;
  if (!StatOpen(fd, st, error)) return false;
  std::string data;
  if (!ReadUpTo(fd, data, count, std::min(count, static_cast<size_t>(st.st_size)), error))
    return false;
  out = std::move(data);
  return true;
}

bool ReadOpenFileTail(int fd, std::string& out, size_t count, bool& cut, std::string* error) {
  struct stat st;
  if (!StatOpen(fd, st, error)) return false;
  const uint64_t size = static_cast<uint64_t>(std::max<off_t>(st.st_size, 0));
  cut = size > count;
  std::string data;
  if (!ReadUpTo(fd, data, count, std::min<uint64_t>(count, size), error,
                cut ? static_cast<off_t>(size - count) : 0))
    return false;
  out = std::move(data);
  return true;
}

int64_t OpenFileSize(int fd) {
  struct stat st;
  return fd >= 0 && fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

namespace {
// Opens a regular file by name for one read from its descriptor.
template <class Read>
bool ReadByName(const std::string& path, std::string* error, Read read) {
  struct stat st;
  const int fd = OpenRegular(path, st, error);
  if (fd < 0) return false;
  const bool ok = read(fd);
  close(fd);
  return ok;
}
}  // namespace

bool ReadRegularFile(const std::string& path, std::string& out, uint64_t limit,
                     std::string* error) {
  return ReadByName(path, error, [&](int fd) { return ReadOpenFile(fd, out, limit, error); });
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
  return ReadRegularFile(path, out, std::numeric_limits<uint64_t>::max(), error);
}

bool ReadRegularFileHead(const std::string& path, std::string& out, size_t count,
                         std::string* error) {
  return ReadByName(path, error, [&](int fd) { return ReadOpenFileHead(fd, out, count, error); });
}

bool ReadRegularFileTail(const std::string& path, std::string& out, size_t count, bool& cut,
                         std::string* error) {
  return ReadByName(path, error,
                    [&](int fd) { return ReadOpenFileTail(fd, out, count, cut, error); });
}

FileStamp StampOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {static_cast<int64_t>(st.st_size),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

namespace {

// Whether `target` (links already followed from `named`) may be replaced: a regular file, or
// nothing at all where `named` is not a link. A pipe, a device, a socket, a folder, a link to
// nothing or a loop of links is left alone, never opened.
bool Replaceable(const std::string& named, const std::string& target, struct stat& st,
                 bool& replacing, std::string* error) {
  replacing = lstat(target.c_str(), &st) == 0;
  if (!replacing) {
    if (errno != ENOENT) return Fail(error, errno);
    if (target == named) return true;
    if (error) *error = "A link to a file that does not exist";
    return false;
  }
  if (S_ISREG(st.st_mode)) return true;
  if (S_ISDIR(st.st_mode)) return Fail(error, EISDIR);
  if (S_ISLNK(st.st_mode)) return Fail(error, ELOOP);
  if (error) *error = "Not a regular file";
  return false;
}

}  // namespace

namespace {

// Makes a fresh temporary name beside `target`, exclusively: never an existing file, a link
// or a pipe that happens to hold the name.
int CreateTemporary(const std::string& target, std::string& tmp) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp~%d-%u-%08x", static_cast<int>(getpid()),
                  ++counter, static_cast<unsigned>(random()));
    tmp = target + suffix;
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The writer's rules around `fill`, which writes the content into the descriptor and gives 0
// or an errno.
bool WriteAtomically(const std::string& path, const std::function<int(int)>& fill,
                     std::string* error) {
  const std::string named = PathForWrite(path);
  const std::string target = LinkTarget(named);
  struct stat old;
  bool replacing = false;
  if (!Replaceable(named, target, old, replacing, error)) return false;
  // A read-only file stays as it is, as the profile functions leave it.
  if (replacing && ((old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
    return Fail(error, EACCES);
  std::string tmp;
  int fd = CreateTemporary(target, tmp);
  if (fd < 0) return Fail(error, errno);
  auto abandon = [&](int code) {
    close(fd);
    unlink(tmp.c_str());
    return Fail(error, code);
  };
  if (replacing && fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
  if (int code = fill(fd)) return abandon(code);
  if (fsync(fd) != 0) return abandon(errno);
  if (close(fd) != 0) {
    int code = errno;
    unlink(tmp.c_str());
    return Fail(error, code);
  }
  // Looked at again: what took the file's place in the meantime is not replaced either.
  struct stat now;
  bool still = false;
  std::string why;
  if (!Replaceable(named, target, now, still, &why)) {
    unlink(tmp.c_str());
    if (error) *error = why;
    return false;
  }
  if (rename(tmp.c_str(), target.c_str()) != 0) {
    int code = errno;
    unlink(tmp.c_str());
    return Fail(error, code);
  }
  std::string dir = DirectoryOf(target);
  int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error) {
  return WriteAtomically(path, [data](int fd) {
    return WriteAll(fd, data.data(), data.size()) ? 0 : errno;
  }, error);
}

bool CopyFileAtomic(const std::string& from, const std::string& to, std::string* error) {
  struct stat st;
  int in = OpenRegular(from, st, error);
  if (in < 0) return false;
  const bool ok = WriteAtomically(to, [in](int fd) { return CopyAll(in, fd); }, error);
  close(in);
  return ok;
}

namespace {
bool g_diskFull = false;
}  // namespace

void SetDiskFullForTests(bool full) { g_diskFull = full; }

int CreateNewFile(const std::string& path, uint64_t room, std::string* error) {
  // What stands at the name, when it is no regular file, is named and left alone.
  auto refuse = [&](const struct stat& st) {
    const char* kind = S_ISLNK(st.st_mode)    ? "a symbolic link"
                       : S_ISFIFO(st.st_mode) ? "a named pipe"
                       : S_ISSOCK(st.st_mode) ? "a socket"
                       : S_ISDIR(st.st_mode)  ? "a folder"
                                              : "a device";
    if (error) *error = std::string("Not a regular file: ") + kind;
    return -1;
  };
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return refuse(st);
    // A leftover of our own name: a regular file, removed first.
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return Fail(error, errno), -1;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    const int code = errno;
    if (code == EEXIST && lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return refuse(st);
    return Fail(error, code), -1;
  }
  // The room is taken and given back: a full disk is told before anything runs.
  if (room > 0) {
    int code = g_diskFull ? ENOSPC : posix_fallocate(fd, 0, static_cast<off_t>(room));
    if (code != ENOSPC && code != EDQUOT) code = ftruncate(fd, 0) == 0 ? 0 : errno;
    if (code) {
      close(fd);
      unlink(path.c_str());
      return Fail(error, code), -1;
    }
  }
  return fd;
}

bool RemoveOwnFile(const std::string& path, int fd) {
  struct stat mine, named;
  if (fd < 0 || fstat(fd, &mine) != 0 || lstat(path.c_str(), &named) != 0) return false;
  if (!S_ISREG(named.st_mode) || named.st_dev != mine.st_dev || named.st_ino != mine.st_ino)
    return false;
  return unlink(path.c_str()) == 0;
}

std::string ExecutableDir() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return CurrentDir();
  buf[n] = 0;
  return DirectoryOf(buf);
}

std::string ProgramDir(const std::string& argv0) {
  if (const char* home = std::getenv("VELMORA_HOME"); home && *home) {
    std::string d = WithSlash(AbsolutePath(home));
    MakeDirs(d);
    return d;
  }
  std::string exeDir = ExecutableDir();
  if (exeDir.empty() && !argv0.empty()) exeDir = DirectoryOf(AbsolutePath(argv0));
  if (!exeDir.empty() && access(exeDir.c_str(), W_OK) == 0) return WithSlash(exeDir);
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    base = xdg;
  else if (const char* h = std::getenv("HOME"); h && *h)
    base = JoinPath(h, ".local/share");
  else
    base = "/tmp";
  std::string d = WithSlash(JoinPath(base, "velmora"));
  MakeDirs(d);
  return d;
}

std::vector<std::string> ShareDirs(const std::string& programDir) {
  std::vector<std::string> dirs{WithSlash(programDir)};
  std::string exe = ExecutableDir();
  dirs.push_back(exe);
  dirs.push_back(WithSlash(JoinPath(exe, "../share/velmora")));
  dirs.push_back(WithSlash(JoinPath(exe, "share")));
#ifdef VELMORA_SHARE_DIR
  dirs.push_back(WithSlash(VELMORA_SHARE_DIR));
#endif
  return dirs;
}

std::string FindShippedFile(const std::string& programDir, std::string_view name) {
  for (const std::string& d : ShareDirs(programDir)) {
    auto hit = FindNoCase(d, name);
    if (hit && FileExists(*hit)) return *hit;
  }
  return JoinPath(programDir, name);
}

}  // namespace plat
