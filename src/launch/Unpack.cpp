#include "launch/Unpack.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "frontend/main.h"
#include "launch/unrar.h"
#include "platform/FlatOutput.h"
#include "platform/Files.h"
#include "platform/RarLib.h"

namespace launch {

namespace {

void AddError(std::string& errors, const std::string& line) {
  if (!errors.empty()) errors += "\r\n";
  errors += line;
}

// Copies one regular file of a set folder; false when it could not be copied whole.
bool CopyOne(const std::string& source, const plat::FlatOutputFolder& out, const std::string& name) {
  const int in = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    return false;
  }
  const int dst = out.Create(name);
  bool ok = dst >= 0;
  char buf[65536];
  while (ok) {
    const ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    ok = plat::WriteAll(dst, buf, static_cast<size_t>(n));
  }
  if (dst >= 0 && close(dst) != 0) ok = false;
  close(in);
  return ok;
}

}  // namespace

std::string TempFolderOf(const std::string& emulatorDir) {
  return plat::WithSlash(emulatorDir.empty() ? plat::CurrentDir() : emulatorDir) + "$VRTEMP$";
}

void AddUnrarError(std::string& errors, const std::string& path, int code) {
  AddError(errors, "UNRAR error in " + path + ": " + unrar::RARErrorText(code));
}

void AddUnaceError(std::string& errors, const std::string& path, int code) {
  // ACE codes and texts come with the ACE reader; until then every failure is "\"OTHER\" error".
  (void)code;
  AddError(errors, "UNACE error in " + path + ": \"OTHER\" error");
}

std::string UnpackRar(const std::string& path, const std::string& tempDir) {
  std::string errors;
  plat::RAROpenArchiveData data;
  data.ArcName = path.c_str();
  data.OpenMode = plat::RAR_OM_EXTRACT;
  plat::RARHandle h = plat::RAROpenArchive(&data);
  if (data.OpenResult != 0) {
    AddUnrarError(errors, path, static_cast<int>(data.OpenResult));
    return errors;
  }
  int code;
  while ((code = plat::RARProcessFile(h, plat::RAR_EXTRACT, tempDir.c_str(), nullptr)) == 0) {
  }
  if (code != plat::ERAR_END_ARCHIVE) AddUnrarError(errors, path, code);
  if (const int closed = plat::RARCloseArchive(h); closed != 0) AddUnrarError(errors, path, closed);
  return errors;
}

std::string UnpackZip(const std::string& path, const std::string& tempDir) {
  // Interim road over libarchive until the zip component is in.
  std::string errors;
  archive* a = archive_read_new();
  archive_read_support_format_zip(a);
  plat::FlatOutputFolder out(tempDir);
  if (archive_read_open_filename(a, path.c_str(), 65536) != ARCHIVE_OK) {
    AddError(errors, "UNZIP error in " + path + ": " + archive_error_string(a));
    archive_read_free(a);
    return errors;
  }
  archive_entry* e;
  int r;
  while ((r = archive_read_next_header(a, &e)) == ARCHIVE_OK || r == ARCHIVE_WARN) {
    const char* raw = archive_entry_pathname(e);
    const std::string name = raw ? plat::FlatEntryName(raw) : std::string();
    if (name.empty() || archive_entry_filetype(e) != AE_IFREG || archive_entry_symlink(e)) continue;
    const int fd = out.Create(name);
    if (fd < 0) {
      AddError(errors, "UNZIP error in " + path + ": cannot create " + name);
      continue;
    }
    char buf[65536];
    la_ssize_t n;
    while ((n = archive_read_data(a, buf, sizeof buf)) > 0)
      if (!plat::WriteAll(fd, buf, static_cast<size_t>(n))) break;
    close(fd);
    if (n < 0) {
      r = ARCHIVE_FATAL;
      break;
    }
  }
  if (r != ARCHIVE_EOF) {
    const char* why = archive_error_string(a);
    AddError(errors, "UNZIP error in " + path + ": " + (why ? why : "damaged archive"));
  }
  archive_read_free(a);
  return errors;
}

std::string UnpackAce(const std::string& path, const std::string&) {
  std::string errors;
  AddUnaceError(errors, path, 12);
  return errors;
}

std::string CopyFolderSet(const std::string& folder, const std::string& tempDir) {
  std::string errors;
  plat::FlatOutputFolder out(tempDir);
  for (const std::string& name : plat::ListDir(folder)) {
    const std::string source = plat::JoinPath(folder, name);
    struct stat st;
    // Regular files only: subfolders stay behind, links are not followed.
    if (lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (!CopyOne(source, out, name))
      AddError(errors, "FILECOPY error in " + source + ": cannot copy file");
  }
  return errors;
}

std::string UnpackSource(const std::string& path, const std::string& tempDir) {
  if (plat::DirExists(path)) return CopyFolderSet(path, tempDir);
  const std::string ext = plat::UpperCase(plat::ExtensionOf(path));
  if (ext == ".ZIP") return UnpackZip(path, tempDir);
  if (ext == ".RAR") return UnpackRar(path, tempDir);
  if (ext == ".ACE") return UnpackAce(path, tempDir);
  return CopyFolderSet(path, tempDir);
}

}  // namespace launch

void TMainFRM::AddUnrarError(std::string& errors, const std::string& path, int code) {
  launch::AddUnrarError(errors, path, code);
}

void TMainFRM::AddUnaceError(std::string& errors, const std::string& path, int code) {
  launch::AddUnaceError(errors, path, code);
}

std::string TMainFRM::UnpackSet(const std::string& SetName, uint8_t Kind, bool FromDisc) {
  const std::string tempDir = launch::TempFolderOf(EmulatorDir);
  plat::PrepareTargetFolder(tempDir);  // a failure shows in the road's errors
  // The path keeps its real spelling; the road is chosen without regard to case.
  const std::string path = FindSetSource(SetName, Kind, FromDisc);
  if (path.empty()) return {};
  SetIdleCursor(false);
  std::string errors = launch::UnpackSource(path, tempDir);
  SetIdleCursor(true);
  return errors;
}
