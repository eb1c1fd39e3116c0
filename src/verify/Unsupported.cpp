// The unsupported-set scan: entries of the rom and sample folders that stand for no set of
// the database.
#include <filesystem>
#include <unordered_set>

#include "platform/Files.h"
#include "verify/DirListing.h"
#include "verify/Verify.h"

namespace verify {

namespace {

std::string Normalized(const std::string& path) {
  std::string s = std::filesystem::path(path).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

// The set names a folder of that kind may hold, upper-cased.
std::unordered_set<std::string> KnownNames(const VerifyCollection& c, int kind) {
  std::unordered_set<std::string> names;
  for (const GameList* list : {c.Games, c.Resources}) {
    if (!list) continue;
    for (const auto& g : *list) {
      if (!g) continue;
      if (kind == 0)
        names.insert(plat::UpperCase(g->Name.str()));
      else if (!g->SampleOf.empty())
        names.insert(plat::UpperCase(g->SampleOf.str()));
      else if (g->Samples && !g->Samples->empty())
        names.insert(plat::UpperCase(g->Name.str()));
    }
  }
  return names;
}

}  // namespace

std::vector<std::string> VerifyEngine::PathFolders(const std::string& pathText) const {
  std::vector<std::string> folders;
  const std::string text = plat::Trim(pathText);
  const std::string base = c_.EmulatorDir.empty() ? plat::CurrentDir() : c_.EmulatorDir;
  const std::string self = Normalized(base);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    std::string dir = plat::ToNativeSeparators(part);
    if (dir[0] != '/') dir = base + dir;
    // A piece that names the emulator folder itself would report all of its files.
    if (Normalized(dir) == self) continue;
    folders.push_back(plat::WithSlash(Normalized(dir)));
  }
  return folders;
}

void VerifyEngine::ScanUnsupportedSets(int kind) {
  const std::string word = kind == 0 ? "roms" : "samples";
  const std::vector<std::string> folders = PathFolders(kind == 0 ? c_.RomPath : c_.SamplePath);
  if (folders.empty()) return;
  const std::unordered_set<std::string> known = KnownNames(c_, kind);
  for (const std::string& folder : folders) {
    listener_.Progress(0, 100);
    Pass(": Check unsupported sets - preparing " + word + " folder scan...");
    if (CheckAbort()) return;
    std::vector<DirEntry> entries;
    ListEntries(folder, entries);
    const int32_t max = static_cast<int32_t>(entries.size()) + 1;
    int32_t position = 1;
    listener_.Progress(position, max);
    Pass(": Check unsupported sets - scanning " + word + " folder...");
    if (CheckAbort()) return;
    for (const DirEntry& e : entries) {
      std::string base = e.name;
      const size_t dot = base.rfind('.');
      if (dot != std::string::npos) base.erase(dot);
      listener_.SetName(e.dir ? e.name + " <DIR>" : e.name);
      if (CheckAbort()) return;
      if (!known.count(plat::UpperCase(base))) {
        Line("Unsupported set: " + folder + e.name);
        ++Counters.UnsupportedCount;
        UpdateCounters();
      }
      listener_.Progress(++position, max);
    }
  }
}

}  // namespace verify
