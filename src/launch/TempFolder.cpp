#include "launch/TempFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "frontend/main.h"
#include "platform/Files.h"

namespace launch {

namespace {
std::function<bool(const std::string&)>& Hook() {
  static std::function<bool(const std::string&)> hook;
  return hook;
}

// Removals go through the folder's descriptor: no path is resolved again and no link is
// followed. The path is only built for the test hook. An entry already gone counts as removed.
bool RemoveAt(int dirFd, const std::string& folder, const char* name, bool isDir) {
  if (Hook() && !Hook()(plat::JoinPath(folder, name))) return false;
  return unlinkat(dirFd, name, isDir ? AT_REMOVEDIR : 0) == 0 || errno == ENOENT;
}

// Opens a folder for emptying; one that refuses to be read is made readable first (like
// clearing the read-only attribute), after checking it is a folder and not a link.
int OpenFolder(int parentFd, const char* name) {
  int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0 || errno != EACCES) return fd;
  struct stat st;
  if (fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) return -1;
  if (fchmodat(parentFd, name, st.st_mode | S_IRWXU, 0) != 0) return -1;
  return openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Empties the folder open as `fd` (closed here); false when something stayed.
bool EmptyFolder(int fd, const std::string& folder) {
  // Like clearing the read-only attribute: the folder must let its entries go.
  struct stat st;
  if (fstat(fd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, st.st_mode | S_IRWXU);
  DIR* d = fdopendir(fd);
  if (!d) {
    close(fd);
    return false;
  }
  bool failed = false;
  while (dirent* e = readdir(d)) {
    const char* name = e->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    bool isDir = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN) {
      struct stat es;
      if (fstatat(dirfd(d), name, &es, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
      isDir = S_ISDIR(es.st_mode);
    }
    if (isDir) {
      const std::string path = plat::JoinPath(folder, name);
      const int sub = OpenFolder(dirfd(d), name);
      if (sub < 0 && errno == ENOENT) continue;  // gone meanwhile
      if (sub < 0 || !EmptyFolder(sub, path) || !RemoveAt(dirfd(d), folder, name, true))
        failed = true;
    } else if (!RemoveAt(dirfd(d), folder, name, false)) {
      failed = true;
    }
  }
  closedir(d);
  return !failed;
}
}  // namespace

bool DeleteFolderTree(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  if (f.empty()) return true;
  const int fd = OpenFolder(AT_FDCWD, f.c_str());
  if (fd < 0) {
    struct stat st;
    if (lstat(f.c_str(), &st) != 0) return true;
    if (S_ISLNK(st.st_mode)) {  // the link goes, never what it points to
      if (Hook() && !Hook()(f)) return false;
      return unlink(f.c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode)) return true;  // no folder of that name
    return false;                           // a folder that cannot be opened stays
  }
  // A folder that could not be removed is a failure too.
  if (!EmptyFolder(fd, f)) return false;
  if (Hook() && !Hook()(f)) return false;
  if (rmdir(f.c_str()) == 0 || errno == ENOENT) return true;
  // Entries that came in while it was emptied: one more pass.
  if (errno != ENOTEMPTY && errno != EEXIST) return false;
  const int again = OpenFolder(AT_FDCWD, f.c_str());
  return again >= 0 && EmptyFolder(again, f) && (rmdir(f.c_str()) == 0 || errno == ENOENT);
}

void SetDeleteFileHookForTests(std::function<bool(const std::string&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace launch

bool TMainFRM::DeleteFolderTree(const std::string& folder) {
  return launch::DeleteFolderTree(folder);
}
