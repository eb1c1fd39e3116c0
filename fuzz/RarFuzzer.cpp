// libFuzzer target: the RAR library layer over any file. Whatever the bytes, it ends, and the
// target folder holds only regular files, directly in it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/FlatOutput.h"
#include "platform/Files.h"
#include "platform/RarLib.h"

namespace {

// The work folder, made once: in memory (/dev/shm) when there is one, so a run costs no disk
// writes. It holds the input file, rewritten in place each run, and the target folder, emptied
// after each run; it is removed at exit.
struct Work {
  std::string dir, archive, out;
  int fd = -1;
  Work() {
    const char* base = plat::DirExists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string tmpl = std::string(base) + "/velmora-fuzz-rar-XXXXXX";
    if (!mkdtemp(tmpl.data())) abort();
    dir = tmpl + "/";
    archive = dir + "input.rar";
    out = dir + "out/";
    fd = open(archive.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || !plat::MakeDirs(out)) abort();
  }
  ~Work() {
    close(fd);
    plat::RemoveTree(dir);
  }
  bool Write(const uint8_t* data, size_t size) const {
    return ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0 && plat::WriteAll(fd, data, size);
  }
};

const Work& TheWork() {
  static const Work work;
  return work;
}

// True when the folder holds only regular files; they are removed.
bool OnlyRegularFiles(const std::string& dir) {
  bool regular = true;
  for (const std::string& name : plat::ListDir(dir)) {
    struct stat st;
    if (lstat((dir + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) regular = false;
    else unlink((dir + name).c_str());
  }
  return regular;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Work& work = TheWork();
  if (!work.Write(data, size)) return 0;
  plat::RAROpenArchiveData open;
  open.ArcName = work.archive.c_str();
  plat::RARHandle h = plat::RAROpenArchive(&open);
  if (open.OpenResult == 0) {
    for (int i = 0; i < 10000 && plat::RARProcessFile(h, plat::RAR_EXTRACT, work.out.c_str(), nullptr) == 0; ++i) {
    }
    plat::RARCloseArchive(h);
  } else if (h) {
    __builtin_trap();  // a failed open gives no handle
  }
  if (!OnlyRegularFiles(work.out) || plat::ListDir(work.dir).size() != 2) __builtin_trap();
  return 0;
}
