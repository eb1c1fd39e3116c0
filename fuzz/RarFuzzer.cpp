// libFuzzer target: the RAR library layer over any file. Whatever the bytes, it ends, and the
// target folder holds only regular files, directly in it.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Files.h"
#include "platform/RarLib.h"

namespace {

const std::string& Work() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/velmora-fuzz-rar-XXXXXX";
    return std::string(mkdtemp(tmpl) ? tmpl : "/tmp") + "/";
  }();
  return dir;
}

bool OnlyRegularFiles(const std::string& dir) {
  for (const std::string& name : plat::ListDir(dir)) {
    struct stat st;
    if (lstat((dir + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string archive = Work() + "input.rar", out = Work() + "out/";
  plat::RemoveTree(out);
  plat::MakeDirs(out);
  if (!plat::WriteFileAtomic(archive, std::string_view(reinterpret_cast<const char*>(data), size)))
    return 0;
  plat::RAROpenArchiveData open;
  open.ArcName = archive.c_str();
  plat::RARHandle h = plat::RAROpenArchive(&open);
  if (open.OpenResult == 0) {
    for (int i = 0; i < 10000 && plat::RARProcessFile(h, plat::RAR_EXTRACT, out.c_str(), nullptr) == 0; ++i) {
    }
    plat::RARCloseArchive(h);
  } else if (h) {
    __builtin_trap();  // a failed open gives no handle
  }
  if (!OnlyRegularFiles(out) || plat::ListDir(Work()).size() != 2) __builtin_trap();
  return 0;
}
