#include "verify/DirListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

namespace verify {

bool ListEntries(const std::string& dir, std::vector<DirEntry>& out, bool sizes) {
  out.clear();
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  const int fd = dirfd(d);
  while (dirent* e = readdir(d)) {
    const char* name = e->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    DirEntry entry;
    entry.name = name;
    struct stat st;
    if (e->d_type == DT_DIR) {
      entry.dir = true;
    } else if (e->d_type == DT_REG && !sizes) {
      entry.regular = true;
    } else if (::fstatat(fd, name, &st, 0) == 0) {
      entry.dir = S_ISDIR(st.st_mode);
      entry.regular = S_ISREG(st.st_mode);
      if (entry.regular && sizes) entry.size = static_cast<int64_t>(st.st_size);
    } else if (e->d_type == DT_REG) {
      entry.regular = true;  // its size could not be read
    }
    out.push_back(std::move(entry));
  }
  closedir(d);
  return true;
}

}  // namespace verify
