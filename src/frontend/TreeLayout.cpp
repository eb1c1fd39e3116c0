#include "frontend/TreeLayout.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "platform/Files.h"

namespace gametree {

namespace {

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string AlphabetFolder(std::string_view text) {
  if (text.empty()) return "#";
  char c = text[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return std::string(1, c);
  return "#";
}

bool IsUnknownManufacturer(std::string_view cleaned) {
  return cleaned.empty() || plat::UpperCase(cleaned) == "<UNKNOWN>";
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view upperPrefix) {
  if (text.size() < upperPrefix.size()) return false;
  for (size_t i = 0; i < upperPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upperPrefix[i]) return false;
  }
  return true;
}

std::string CleanManufacturerName(std::string_view text) {
  std::string_view s = TrimView(text);
  if (!s.empty() && s[0] == '[') s.remove_prefix(1);
  size_t p = s.find(']');
  if (p != std::string_view::npos) s = s.substr(0, p);
  p = s.find('(');
  if (p != std::string_view::npos) s = s.substr(0, p);
  return std::string(TrimView(s));
}

void GenerateFolderLists(const GameList* games, FolderLists& lists,
                         void (*progress)(void*, size_t, size_t), void* ctx) {
  if (!games || games->empty()) return;
  lists.MinYear = 65535;
  lists.MaxYear = 0;
  lists.Alphabet.clear();
  lists.Alphabet.push_back("#");
  for (char c = 'A'; c <= 'Z'; ++c) lists.Alphabet.push_back(std::string(1, c));
  lists.Manufacturer.clear();
  lists.Manufacturer.push_back(std::string(UnknownManufacturer));
  std::unordered_set<std::string> seen;
  seen.insert(lists.Manufacturer[0]);
  const size_t last = games->size() - 1;
  for (size_t i = 0; i < games->size(); ++i) {
    if (progress) progress(ctx, i, last);
    const GameRecord* g = (*games)[i].get();
    if (!g) continue;
    std::string m = CleanManufacturerName(g->Manufacturer.str());
    if (!IsUnknownManufacturer(m) && seen.insert(m).second) lists.Manufacturer.push_back(m);
    if (g->Year) {
      lists.MinYear = std::min(lists.MinYear, g->Year);
      lists.MaxYear = std::max(lists.MaxYear, g->Year);
    }
  }
  // "< Unknown >" heads the list; the names follow without regard to case.
  std::sort(lists.Manufacturer.begin() + 1, lists.Manufacturer.end(),
            [](const std::string& a, const std::string& b) {
              std::string ua = plat::UpperCase(a), ub = plat::UpperCase(b);
              return ua != ub ? ua < ub : a < b;
            });
  lists.Year.clear();
  lists.Year.push_back(std::string(UnknownYear));
  if (lists.MaxYear)
    for (uint32_t y = lists.MinYear; y <= lists.MaxYear; ++y) lists.Year.push_back(std::to_string(y));
}

PlayCountMap MakePlayCountMap(const PlayStatList* stats) {
  PlayCountMap m;
  if (!stats) return m;
  m.reserve(stats->size());
  for (size_t i = 0; i < stats->size(); ++i)
    if (const PlayStatRecord* r = (*stats)[i].get()) m.emplace(r->Name.str(), r->TotTimes);
  return m;
}

bool ComesBefore(const GameRecord* a, const GameRecord* b, uint8_t sortBy, bool reverse,
                 const PlayCountMap* plays) {
  if (reverse) std::swap(a, b);
  switch (sortBy) {
    case SortNone: return a->Index < b->Index;
    case SortDescription:
    case SortManufacturer:
    case SortYear: return a->Description.str() < b->Description.str();
    case SortMostPlayed: {
      if (!plays) return false;
      auto pa = plays->find(a->Name.str()), pb = plays->find(b->Name.str());
      uint32_t na = pa == plays->end() ? 0 : pa->second;
      uint32_t nb = pb == plays->end() ? 0 : pb->second;
      return na > nb;
    }
    case SortSetName: return a->Name.str() < b->Name.str();
    default: return false;
  }
}

void SortEntries(RecordList<FilterEntryDescriptor>& entries, uint8_t sortBy, bool reverse,
                 const PlayStatList* stats) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const auto& e) { return !e || !e->Game; }),
                entries.end());
  if (sortBy > SortSetName) return;  // every entry compares equal: the order stays
  PlayCountMap plays;
  if (sortBy == SortMostPlayed) plays = MakePlayCountMap(stats);
  std::stable_sort(entries.begin(), entries.end(), [&](const auto& x, const auto& y) {
    return ComesBefore(x->Game, y->Game, sortBy, reverse, &plays);
  });
}

std::string RowText(size_t n, const GameRecord& g, const ListingFlagSet& f) {
  std::string s;
  s.reserve(g.Description.size() + 48);
  if (f[ListRowNumber]) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%05zu - ", n);
    s += buf;
  }
  if (f[ListRomsetName]) s += "[" + g.Name.str() + "] = ";
  s += g.Description.str();
  if (f[ListYear] || f[ListManufacturer]) {
    s += "   (";
    if (f[ListYear]) s += std::to_string(g.Year);
    if (f[ListYear] && f[ListManufacturer]) s += " - ";
    if (f[ListManufacturer]) s += g.Manufacturer.str();
    s += ")";
  }
  return s;
}

std::string AdditionalFolder(const GameRecord& g, uint8_t sortBy, uint16_t minYear,
                             const StringList& years) {
  switch (sortBy) {
    case SortDescription: return AlphabetFolder(g.Description.str());
    case SortSetName: return AlphabetFolder(g.Name.str());
    case SortManufacturer: {
      std::string m = CleanManufacturerName(g.Manufacturer.str());
      return IsUnknownManufacturer(m) ? std::string(UnknownManufacturer) : m;
    }
    case SortYear: {
      if (g.Year == 0) return std::string(UnknownYear);
      size_t i = static_cast<size_t>(g.Year) - minYear + 1;
      if (g.Year >= minYear && i < years.size()) return years[i];
      return std::to_string(g.Year);  // lists of another profile: the year itself
    }
    default: return {};
  }
}

std::string EntryPath(const FilterEntryDescriptor& e, const std::string& additional,
                      const ListingFlagSet& f) {
  std::string add = additional + "\\";
  if (!f[FilterOwnFolders]) return "\\" + add;
  std::string own = e.Folder;
  if (own.empty() || own.back() != '\\') own += "\\";
  if (!own.empty() && own.front() == '\\') own.erase(0, 1);
  return f[AddedFoldersAsRoot] ? "\\" + add + own : "\\" + own + add;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t b = 0;
  while (b <= path.size()) {
    size_t e = path.find('\\', b);
    if (e == std::string_view::npos) e = path.size();
    if (e > b) parts.emplace_back(path.substr(b, e - b));  // empty parts are dropped
    b = e + 1;
  }
  return parts;
}

size_t FolderDepth(std::string_view path) {
  size_t n = 0;
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] != '\\' && (i == 0 || path[i - 1] == '\\')) ++n;
  return n;
}

}  // namespace gametree
