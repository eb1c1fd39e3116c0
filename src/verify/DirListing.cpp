#include "verify/DirListing.h"

#include <dirent.h>
#include <sys/stat.h>

namespace verify {

bool ListEntries(const std::string& dir, std::vector<DirEntry>& out) {
  out.clear();
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = std::move(name);
    if (e->d_type == DT_DIR) {
      entry.dir = true;
    } else if (e->d_type == DT_REG) {
      entry.regular = true;
    } else {
      struct stat st;
      std::string path = dir;
      if (!path.empty() && path.back() != '/') path += '/';
      if (::stat((path + entry.name).c_str(), &st) == 0) {
        entry.dir = S_ISDIR(st.st_mode);
        entry.regular = S_ISREG(st.st_mode);
      }
    }
    out.push_back(std::move(entry));
  }
  closedir(d);
  return true;
}

}  // namespace verify
