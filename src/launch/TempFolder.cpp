#include "launch/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "frontend/main.h"
#include "platform/Files.h"

namespace launch {

namespace {
std::function<bool(const std::string&)>& Hook() {
  static std::function<bool(const std::string&)> hook;
  return hook;
}

bool RemoveEntry(const std::string& path) {
  if (Hook() && !Hook()(path)) return false;
  return unlink(path.c_str()) == 0;
}

bool RemoveFolder(const std::string& path) {
  if (Hook() && !Hook()(path)) return false;
  return rmdir(path.c_str()) == 0 || errno == ENOENT;
}

bool DeleteTree(const std::string& folder) {
  bool failed = false;
  // Like clearing the read-only attribute: the folder must let its entries go.
  struct stat st;
  if (stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
    chmod(folder.c_str(), st.st_mode | S_IRWXU);
  for (const std::string& name : plat::ListDir(folder)) {
    std::string path = plat::JoinPath(folder, name);
    struct stat e;
    if (lstat(path.c_str(), &e) != 0) continue;  // gone meanwhile
    if (S_ISDIR(e.st_mode)) {
      if (!DeleteTree(path)) failed = true;
    } else if (!RemoveEntry(path)) {
      failed = true;
    }
  }
  // A folder that could not be removed is a failure too.
  return !failed && RemoveFolder(folder);
}
}  // namespace

bool DeleteFolderTree(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  struct stat st;
  if (f.empty() || lstat(f.c_str(), &st) != 0) return true;
  if (S_ISLNK(st.st_mode)) return RemoveEntry(f);  // the link goes, never what it points to
  if (!S_ISDIR(st.st_mode)) return true;           // no folder of that name
  return DeleteTree(f);
}

void SetDeleteFileHookForTests(std::function<bool(const std::string&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace launch

bool TMainFRM::DeleteFolderTree(const std::string& folder) {
  return launch::DeleteFolderTree(folder);
}
