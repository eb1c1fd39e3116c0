#include "platform/FlatOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SafeName.h"

namespace plat {

std::string FlatNameClash(const std::string& flatName) {
  return "Another entry was already unpacked to the same file: " + flatName;
}

std::string FlatEntryName(std::string_view entryName) {
  const size_t cut = entryName.find_last_of("/\\");
  std::string_view last = cut == std::string_view::npos ? entryName : entryName.substr(cut + 1);
  return IsPlainName(last) ? std::string(last) : std::string();
}

bool PrepareTargetFolder(const std::string& dir) {
  struct stat st;
  if (lstat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    if (!S_ISLNK(st.st_mode)) return false;  // a file of that name stays untouched
    if (unlink(dir.c_str()) != 0) return false;
  }
  return mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

FlatOutputFolder::FlatOutputFolder(const std::string& dir) : dir_(dir) {
  fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

FlatOutputFolder::~FlatOutputFolder() {
  if (fd_ >= 0) close(fd_);
}

int FlatOutputFolder::Create(const std::string& name) const {
  if (fd_ < 0 || FlatEntryName(name) != name) {
    errno = fd_ < 0 ? EBADF : EINVAL;
    return -1;
  }
  struct stat st;
  if (fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return -1;
    }
    // Replaced, not rewritten: a hard link or a link to elsewhere keeps its other side whole.
    if (unlinkat(fd_, name.c_str(), 0) != 0) return -1;
  }
  return openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

void FlatOutputFolder::Remove(const std::string& name) const {
  if (fd_ >= 0 && FlatEntryName(name) == name) unlinkat(fd_, name.c_str(), 0);
}

bool FlatOutputFolder::CopyIn(const std::string& source, const std::string& name,
                              int* code) const {
  const int in = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) {
    if (code) *code = errno;
    return false;
  }
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    if (code) *code = EINVAL;
    return false;
  }
  const int dst = Create(name);
  int failure = dst < 0 ? errno : CopyAll(in, dst);
  if (dst >= 0 && close(dst) != 0 && !failure) failure = errno;
  close(in);
  if (failure && dst >= 0) Remove(name);  // no partial copy stays
  if (code) *code = failure;
  return !failure;
}

int CopyAll(int in, int out) {
  char buf[65536];
  for (;;) {
    const ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (!WriteAll(out, buf, static_cast<size_t>(n))) return errno ? errno : EIO;
  }
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace plat
