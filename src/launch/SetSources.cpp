#include "launch/SetSources.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <unordered_map>

#include "frontend/main.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/SafeName.h"
#include "platform/Ini.h"
#include "platform/Seams.h"

namespace launch {

namespace {

// "/a/./b/../c" -> "/a/c" (lexically), keeping a leading "/".
std::string Normalize(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  std::string out = "/";
  for (const std::string& p : parts) out += p + "/";
  return out;
}

struct CachedFolder {
  plat::FolderIndex index;
  dev_t dev = 0;
  ino_t ino = 0;
  timespec mtime{};
  bool settled = false;
};

std::unordered_map<std::string, CachedFolder>& Cache() {
  static std::unordered_map<std::string, CachedFolder> cache;
  return cache;
}

// The folder's index, listed again when the folder changed since, or when its time stamp is so
// near the clock that a later change could share it (coarse time stamps, a clock set back).
plat::FolderIndex* IndexOf(const std::string& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  CachedFolder& c = Cache()[folder];
  if (!c.settled || c.dev != st.st_dev || c.ino != st.st_ino ||
      c.mtime.tv_sec != st.st_mtim.tv_sec || c.mtime.tv_nsec != st.st_mtim.tv_nsec) {
    c.index.Reset(folder);
    c.dev = st.st_dev;
    c.ino = st.st_ino;
    c.mtime = st.st_mtim;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long age = (static_cast<long long>(now.tv_sec) - st.st_mtim.tv_sec) * 1000000000LL +
                          (now.tv_nsec - st.st_mtim.tv_nsec);
    // Whole-second stamps (FAT-like file systems) may stand for two seconds; stamps with a
    // fraction move every few milliseconds, so one second is a wide margin.
    const long long margin = st.st_mtim.tv_nsec != 0 ? 1000000000LL : 3000000000LL;
    c.settled = age >= margin || age <= -margin;
  }
  return &c.index;
}

// ResolveNoCase through the cached indexes: an exact path as it is, else each element matched
// without regard to case (usually only the last element differs).
std::optional<std::string> ResolveCached(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return path;
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const std::string parent = plat::DirectoryOf(trimmed);
  if (parent.empty() || parent == trimmed) return std::nullopt;
  std::string realParent = parent;
  if (lstat(parent.c_str(), &st) != 0) {
    auto p = ResolveCached(parent);
    if (!p) return std::nullopt;
    realParent = plat::WithSlash(*p);
  }
  plat::FolderIndex* index = IndexOf(realParent);
  return index ? index->Find(plat::FileNameOf(trimmed)) : std::nullopt;
}

bool IsKind(const std::string& path, mode_t kind) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

}  // namespace

std::vector<std::string> SearchFolders(std::string_view pathList, const std::string& baseDir) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= pathList.size()) {
    size_t end = pathList.find(';', start);
    if (end == std::string_view::npos) end = pathList.size();
    std::string piece = plat::ToNativeSeparators(plat::Trim(pathList.substr(start, end - start)));
    start = end + 1;
    if (piece.empty()) continue;
    std::string folder = Normalize(piece[0] == '/' ? piece : plat::WithSlash(baseDir) + piece);
    if (auto real = ResolveCached(folder)) folder = plat::WithSlash(*real);
    folders.push_back(std::move(folder));
  }
  return folders;
}

namespace {

// `vanished` is set when a folder of the list is missing that is not among `absent`.
std::string Probe(const std::vector<std::string>& folders, std::string_view setName,
                  const std::vector<std::string>* absent = nullptr, bool* vanished = nullptr) {
  // A set name that is not one plain file name is never looked up.
  if (!plat::IsPlainName(setName)) return {};
  const std::string name(setName);
  for (const std::string& folder : folders) {
    plat::FolderIndex* index = IndexOf(folder);
    if (!index) {
      if (vanished && std::find(absent->begin(), absent->end(), folder) == absent->end())
        *vanished = true;
      continue;
    }
    for (const char* ext : {".ACE", ".RAR", ".ZIP"}) {
      auto hit = index->Find(name + ext);
      if (hit && IsKind(*hit, S_IFREG)) return *hit;
    }
    auto hit = index->Find(name);
    if (hit && IsKind(*hit, S_IFDIR)) return *hit;
  }
  return {};
}

// The search folders of a path list, kept while they stand: a folder that did not exist is
// looked for again on each use, and the list is made again when one of its folders goes.
struct CachedList {
  std::vector<std::string> folders;
  std::vector<std::string> absent;  // folders of the list that did not exist
};

std::unordered_map<std::string, CachedList>& Lists() {
  static std::unordered_map<std::string, CachedList> lists;
  return lists;
}

CachedList& ListOf(std::string_view pathList, const std::string& baseDir, bool fresh) {
  CachedList& c = Lists()[std::string(pathList) + '\0' + baseDir];
  bool stale = fresh || c.folders.empty();
  for (size_t i = 0; !stale && i < c.absent.size(); ++i) stale = ResolveCached(c.absent[i]).has_value();
  if (stale) {
    c.folders = SearchFolders(pathList, baseDir);
    c.absent.clear();
    for (const std::string& f : c.folders)
      if (!plat::DirExists(f)) c.absent.push_back(f);
  }
  return c;
}

}  // namespace

std::string ProbeFolders(const std::vector<std::string>& folders, std::string_view setName) {
  return Probe(folders, setName);
}

std::string FindInPathList(std::string_view pathList, const std::string& baseDir,
                           std::string_view setName) {
  CachedList* list = &ListOf(pathList, baseDir, false);
  bool vanished = false;
  std::string hit = Probe(list->folders, setName, &list->absent, &vanished);
  if (hit.empty() && vanished) {
    // A folder of the list went away (or was renamed): make the list again and look again.
    list = &ListOf(pathList, baseDir, true);
    hit = Probe(list->folders, setName);
  }
  return hit;
}

void ForgetFolderIndexes() {
  Cache().clear();
  Lists().clear();
}

std::string DiscSetFolder(const std::string& root, std::string_view folder) {
  const std::string f = plat::ToNativeSeparators(plat::Trim(folder));
  // Each part a plain folder name below the disc's root: "..", "." and the like give none.
  std::string path = plat::WithSlash(root);
  for (size_t i = 0; i <= f.size();) {
    size_t j = f.find('/', i);
    if (j == std::string::npos) j = f.size();
    if (j > i) {
      auto below = plat::NameInFolder(path, std::string_view(f).substr(i, j - i));
      if (!below) return {};
      path = *below + "/";
    }
    i = j + 1;
  }
  if (auto real = ResolveCached(path)) path = plat::WithSlash(*real);
  return path;
}

uint32_t ParseSerial(std::string_view text) {
  std::string t = plat::Trim(text);
  if (t.empty() || t.size() > 8) return 0;
  uint32_t v = 0;
  for (char c : t) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return 0;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  return v;
}

}  // namespace launch

namespace {

bool IsRomKind(uint8_t kind) { return kind != 2; }

// The root folder of the CD-ROM drive of the settings ("" when there is no such drive).
std::string DriveRoot(const std::string& drive) {
  if (auto d = plat::FindCdRomDrive(drive)) return plat::WithSlash(d->root);
  if (!drive.empty() && drive[0] == '/' && plat::DirExists(drive)) return plat::WithSlash(drive);
  return {};
}

// The disc's "MAMECD.INI", as spelled on the disc; "" when there is none.
std::string DiscIndexFile(const std::string& drive) {
  const std::string root = DriveRoot(drive);
  if (root.empty()) return {};
  auto hit = plat::FindNoCase(root, "MAMECD.INI");
  return hit && plat::FileExists(*hit) ? *hit : std::string();
}

std::string Hex8(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

}  // namespace

std::string TMainFRM::BuildDiscPrompt(int32_t Disc, std::string& Message) {
  // A folder drive is named by its path; Retry then lets the user choose another folder.
  const bool folder = plat::IsFolderDrive(MameCdDrive);
  const std::string drive =
      folder ? "the drive " + MameCdDrive : "the " + plat::UpperCase(MameCdDrive) + " drive";
  const std::string choose =
      folder ? "\rRetry lets you choose the folder that holds it (a mounted disc or image, or a "
               "written disc).\r"
             : "";
  if (Disc != 0) {
    Message += "Please insert the following disc into " + drive + ":\r";
    std::string rest = "\rDisc " + std::to_string(Disc);
    if (MameCdSerial != 0) rest += ", serial# " + Hex8(MameCdSerial);
    return rest + ".\r" + choose;
  }
  Message += "Please insert a disc into " + drive + ".\r";
  std::string rest = "\rAny MAMECD disc will do";
  if (MameCdSerial != 0) rest += ", provided it comes from the collection number " + Hex8(MameCdSerial);
  return rest + ".\r" + choose;
}

bool TMainFRM::AskForMameCdDisc(int32_t Disc) {
  const unsigned question = plat::MB_RETRYCANCEL | plat::MB_ICONINFORMATION;
  // Shows a message followed by the prompt; false when the user cancelled.
  auto ask = [&](std::string text, unsigned flags) {
    std::string rest = BuildDiscPrompt(Disc, text);
    const int answer = ShowMessageBox(text + rest, flags);
    if (answer == plat::IDRETRY && plat::IsFolderDrive(MameCdDrive))
      if (auto dir = plat::Ui().FolderDialog(this, "Choose the folder of the MAMECD disc:",
                                             MameCdDrive);
          dir && plat::IsFolderDrive(*dir))
        MameCdDrive = *dir;
    return answer != plat::IDCANCEL;
  };
  for (;;) {
    std::string index;
    while ((index = DiscIndexFile(MameCdDrive)).empty())
      if (!ask(plat::IsFolderDrive(MameCdDrive)
                   ? "No MAMECD compliant disc has been found in " + MameCdDrive + ".\r"
                   : "No MAMECD compliant disc has been found in the CD-ROM drive.\r",
               question))
        return false;
    plat::IniFile ini(index);
    ini.Load();
    launch::DiscInfo d;
    d.Disc = static_cast<int32_t>(ini.ReadInteger("MameCd", "Disc", 1));
    d.FileVersion = static_cast<int32_t>(ini.ReadInteger("MameCd", "FileVersion", 1));
    d.Serial = launch::ParseSerial(ini.ReadString("MameCd", "Serial", "00000000"));
    if (d.FileVersion > launch::kDiscFormats) {
      if (ShowMessageBox("The MAMECD disc you have inserted is written in an unsupported format.\r"
                         "Please upgrade to the latest version of Velmora as soon as possible.",
                         plat::MB_RETRYCANCEL | plat::MB_ICONERROR) == plat::IDCANCEL)
        return false;
    } else {
      // Only discs of the second format onwards carry a collection serial.
      const bool hasSerial = d.FileVersion >= 2;
      const bool rightDisc = Disc == 0 || d.Disc == Disc;
      const bool rightCollection = !hasSerial || MameCdSerial == 0 || d.Serial == MameCdSerial;
      if (rightDisc && rightCollection) {
        if (hasSerial && MameCdSerial == 0) MameCdSerial = d.Serial;  // the first disc accepted
        return true;
      }
      const std::string text =
          !rightDisc ? "You have inserted disc " + std::to_string(d.Disc) + ".\r"
                     : "This MAMECD disc does not belong to the same collection as the previous one.\r";
      if (!ask(text, question)) return false;
    }
    // Any disc: one look after the message is enough (the particular disc asked for next checks
    // format and collection again); a particular disc: Retry looks again.
    if (Disc == 0) return true;
  }
}

std::string TMainFRM::FindSetSource(const std::string& SetName, uint8_t Kind, bool FromDisc) {
  const bool roms = IsRomKind(Kind);
  if (FromDisc && MameCdEnabled) {
    std::string index = DiscIndexFile(MameCdDrive);
    if (index.empty() && AskForMameCdDisc(0)) index = DiscIndexFile(MameCdDrive);
    if (!index.empty()) {
      plat::IniFile ini(index);
      ini.Load();
      std::string folder =
          plat::Trim(ini.ReadString("MAMECD", roms ? "Roms" : "Samples", roms ? "ROMS" : "SAMPLES"));
      if (!folder.empty()) {
        const long disc = ini.ReadInteger(roms ? "Roms" : "Samples", SetName, 0);
        if (disc != 0 && AskForMameCdDisc(static_cast<int32_t>(disc))) {
          // The drive's folder is looked up again: another disc may sit elsewhere.
          const std::string root = DriveRoot(MameCdDrive);
          if (root.empty()) return {};
          const std::string setFolder = launch::DiscSetFolder(root, folder);
          return setFolder.empty() ? std::string() : launch::ProbeFolders({setFolder}, SetName);
        }
      }
    }
  }
  const std::string& list = roms ? MAMEDirectories.rompath : MAMEDirectories.samplepath;
  const std::string base = EmulatorDir.empty() ? plat::CurrentDir() : plat::WithSlash(EmulatorDir);
  return launch::FindInPathList(list, base, SetName);
}

namespace launch {
std::string DiscDriveRoot(const std::string& drive) { return DriveRoot(drive); }
std::string DiscIndexFile(const std::string& drive) { return ::DiscIndexFile(drive); }
}  // namespace launch
