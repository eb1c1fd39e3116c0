#include "platform/RarLib.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/FlatOutput.h"
#include "platform/Files.h"

namespace plat {

struct RarArchive {
  archive* a = nullptr;
  int fd = -1;
  std::string outDir;                     // the folder `out` was opened for
  std::unique_ptr<FlatOutputFolder> out;  // kept open across the entries of one folder
};

namespace {

int DataError(archive* a) {
  switch (archive_errno(a)) {
    case ENOMEM: return ERAR_NO_MEMORY;
    case EIO: return ERAR_EREAD;
    default: return ERAR_BAD_DATA;
  }
}

// Reads the entry's data to its end, writing it to fd when fd >= 0.
int CopyData(archive* a, int fd) {
  char buf[65536];
  for (;;) {
    const la_ssize_t n = archive_read_data(a, buf, sizeof buf);
    if (n == 0) return 0;
    if (n < 0) return DataError(a);
    if (fd >= 0 && !WriteAll(fd, buf, static_cast<size_t>(n))) return ERAR_EWRITE;
  }
}

}  // namespace

RARHandle RAROpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  data->OpenResult = ERAR_EOPEN;
  if (!data->ArcName) return nullptr;
  const int fd = open(data->ArcName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  archive* a = archive_read_new();
  if (!a) {
    close(fd);
    data->OpenResult = ERAR_NO_MEMORY;
    return nullptr;
  }
  archive_read_support_format_rar(a);
  archive_read_support_format_rar5(a);
  if (archive_read_open_fd(a, fd, 65536) != ARCHIVE_OK) {
    data->OpenResult = archive_errno(a) == ENOMEM ? ERAR_NO_MEMORY : ERAR_BAD_ARCHIVE;
    archive_read_free(a);
    close(fd);
    return nullptr;
  }
  auto* h = new RarArchive;
  h->a = a;
  h->fd = fd;
  data->OpenResult = 0;
  return h;
}

int RARProcessFile(RARHandle h, int operation, const char* destPath, const char* destName) {
  if (!h || !h->a) return ERAR_BAD_ARCHIVE;
  archive_entry* entry = nullptr;
  const int r = archive_read_next_header(h->a, &entry);
  if (r == ARCHIVE_EOF) return ERAR_END_ARCHIVE;
  if (r < ARCHIVE_WARN) return r == ARCHIVE_FATAL && archive_errno(h->a) == ENOMEM
                                   ? ERAR_NO_MEMORY
                                   : ERAR_BAD_DATA;
  if (archive_entry_is_encrypted(entry)) {
    archive_read_data_skip(h->a);
    return ERAR_UNKNOWN_FORMAT;
  }
  const char* raw = archive_entry_pathname(entry);
  if (!raw) raw = archive_entry_pathname_utf8(entry);
  const bool regular = archive_entry_filetype(entry) == AE_IFREG &&
                       archive_entry_hardlink(entry) == nullptr &&
                       archive_entry_symlink(entry) == nullptr;
  std::string folder = destPath ? destPath : "";
  std::string name = raw ? FlatEntryName(raw) : std::string();
  if (destName && *destName) {
    folder = DirectoryOf(destName);
    name = FlatEntryName(destName);
  }
  if (operation == RAR_SKIP || !regular || name.empty()) {
    return archive_read_data_skip(h->a) == ARCHIVE_OK ? 0 : DataError(h->a);
  }
  if (operation == RAR_TEST) return CopyData(h->a, -1);
  if (!h->out || h->outDir != folder) {
    h->out = std::make_unique<FlatOutputFolder>(folder.empty() ? "." : folder);
    h->outDir = folder;
  }
  const int fd = h->out->Create(name);
  if (fd < 0) {
    archive_read_data_skip(h->a);
    return ERAR_ECREATE;
  }
  int result = CopyData(h->a, fd);
  if (close(fd) != 0 && result == 0) result = ERAR_EWRITE;
  return result;
}

int RARCloseArchive(RARHandle h) {
  if (!h) return ERAR_ECLOSE;
  int result = 0;
  if (h->a && archive_read_free(h->a) != ARCHIVE_OK) result = ERAR_ECLOSE;
  if (h->fd >= 0 && close(h->fd) != 0) result = ERAR_ECLOSE;
  delete h;
  return result;
}

}  // namespace plat
