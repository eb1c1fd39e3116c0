#include "launch/Unpack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "frontend/main.h"
#include "launch/ZipExtr.h"
#include "launch/unace.h"
#include "launch/unrar.h"
#include "platform/FlatOutput.h"
#include "platform/Files.h"
#include "platform/RarLib.h"
#include "platform/Seams.h"

namespace launch {

namespace {

void AddError(std::string& errors, const std::string& line) {
  if (!errors.empty()) errors += "\r\n";
  errors += line;
}

// The longest archive name the ACE library's open record holds.
constexpr size_t kMaxAceName = 259;

bool IsRealFolder(const std::string& dir) {
  struct stat st;
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string TempFolderOf(const std::string& emulatorDir) {
  return plat::WithSlash(emulatorDir.empty() ? plat::CurrentDir() : emulatorDir) + "$VRTEMP$";
}

void AddUnrarError(std::string& errors, const std::string& path, int code) {
  AddError(errors, "UNRAR error in " + path + ": " + unrar::RARErrorText(code));
}

void AddUnaceError(std::string& errors, const std::string& path, int code) {
  AddError(errors, "UNACE error in " + path + ": " + unace::ACEErrorText(code));
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
  // Every entry that failed is reported; the rest are still extracted.
  int code;
  while ((code = plat::RARProcessFile(h, plat::RAR_EXTRACT, tempDir.c_str(), nullptr)) !=
         plat::ERAR_END_ARCHIVE) {
    const std::string entry = plat::RAREntryName(h);
    if (plat::RAREntryClashed(h))
      AddError(errors, "UNRAR error in " + path + " (" + entry + "): " +
                           plat::FlatNameClash(plat::FlatEntryName(entry)));
    if (code != 0) AddUnrarError(errors, entry.empty() ? path : path + " (" + entry + ")", code);
  }
  if (const int closed = plat::RARCloseArchive(h); closed != 0) AddUnrarError(errors, path, closed);
  return errors;
}

std::string UnpackZip(const std::string& path, const std::string& tempDir,
                      const std::string& programDir) {
  std::string errors;
  if (!IsRealFolder(tempDir)) {
    // The component would fall back to the current folder: never write outside the temporary one.
    AddError(errors, "UNZIP error in " + path + ": " + ZipMsg(11009));
    return errors;
  }
  TZipExtractor zip;
  zip.CodePage = cpNone;
  zip.SetDLLDirectory(programDir);
  zip.ExtrBaseDir = tempDir;
  zip.ExtrOptions = {ExtrOverWrite};
  zip.FSpecArgs.clear();
  zip.FSpecArgs.push_back("*.*");
  zip.HowToDelete = htdFinal;
  zip.Password.clear();
  std::error_code ec;
  zip.TempDir = plat::WithSlash(std::filesystem::temp_directory_path(ec).string());
  zip.Trace = false;
  zip.Unattended = true;
  zip.Verbose = false;
  zip.SetZipFilename(path);
  zip.Extract();
  while (zip.Busy) plat::ProcessPendingEvents();
  if (zip.ErrCode != 0) AddError(errors, "UNZIP error in " + path + ": " + zip.Message);
  return errors;
}

std::string UnpackAce(const std::string& path, const std::string& tempDir) {
  std::string errors;
  int code = unace::LoadUnaceDLL();
  if (code != 0) {
    AddUnaceError(errors, path, code);
    return errors;
  }
  // The open record holds 259 characters: a longer name is refused rather than cut.
  if (path.size() > kMaxAceName) {
    AddUnaceError(errors, path, unace::ACE_OPEN);
    unace::UnloadUnaceDLL();
    return errors;
  }
  unace::ACEOpenArchiveData open;
  open.ArcName = path;
  open.OpenMode = unace::ACE_OPEN_EXTRACT;
  unace::ACEHandle h = unace::ACEOpenArchive(open);
  code = static_cast<int>(open.OpenResult);
  if (code == 0 && h) {
    unace::ACEHeaderData header;
    std::unordered_set<std::string> written;
    do {
      header.Reserved1 = header.Reserved2 = 0;
      code = unace::ACEReadHeader(h, header);
      if (code != 0) break;
      const std::string name = plat::FlatEntryName(header.FileName);
      // Two entries of one name: the later replaces the earlier, and that is told.
      if (!name.empty() && !written.insert(name).second)
        AddError(errors,
                 "UNACE error in " + path + " (" + header.FileName + "): " + plat::FlatNameClash(name));
      code = name.empty() ? unace::ACEProcessFile(h, unace::ACE_SKIP, {})
                          : unace::ACEProcessFile(h, unace::ACE_EXTRACT, tempDir + "/" + name);
    } while (code == 0);
    if (code != unace::ACE_END) AddUnaceError(errors, path, code);
  } else {
    AddUnaceError(errors, path, code != 0 ? code : unace::ACE_OPEN);
  }
  if (h) {  // a failed open gives no handle to close
    if (const int closed = unace::ACECloseArchive(h); closed != 0) AddUnaceError(errors, path, closed);
  }
  unace::UnloadUnaceDLL();
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
    if (int code = 0; !out.CopyIn(source, name, &code))
      AddError(errors, "FILECOPY error in " + source + ": cannot copy file (" +
                           std::strerror(code) + ")");
  }
  return errors;
}

bool UnpackFailed(const std::string& errors) {
  auto warning = [](std::string_view line) {
    if (line.rfind("UNZIP error in ", 0) != 0) return false;
    for (int32_t id : {10203, 10204})
      if (const std::string w = ": " + ZipMsg(id);
          line.size() >= w.size() && line.substr(line.size() - w.size()) == w)
        return true;
    return false;
  };
  for (size_t at = 0; at < errors.size();) {
    const size_t end = std::min(errors.find("\r\n", at), errors.size());
    const std::string_view line(errors.data() + at, end - at);
    if (!line.empty() && !warning(line)) return true;
    at = end + 2;
  }
  return false;
}

std::string UnpackSource(const std::string& path, const std::string& tempDir,
                         const std::string& programDir) {
  if (plat::DirExists(path)) return CopyFolderSet(path, tempDir);
  const std::string ext = plat::UpperCase(plat::ExtensionOf(path));
  if (ext == ".ZIP") return UnpackZip(path, tempDir, programDir);
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
  std::string errors = launch::UnpackSource(path, tempDir, ProgramDir);
  SetIdleCursor(true);
  return errors;
}
