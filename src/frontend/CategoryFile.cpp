#include "frontend/CategoryFile.h"

#include "platform/Cp1252.h"
#include "platform/Files.h"

namespace categoryfile {

namespace {

using plat::ForEachLine;

std::string_view TrimView(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

}  // namespace

std::string_view FirstLine(std::string_view text) {
  text = plat::WithoutBom(text);
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string FolderOf(std::string_view value) {
  std::string r;
  size_t i = 0;
  while (i <= value.size()) {
    size_t j = value.find('\\', i);
    if (j == std::string_view::npos) j = value.size();
    std::string_view part = value.substr(i, j - i);
    if (!TrimView(part).empty()) {
      r += '\\';
      r += part;
    }
    i = j + 1;
  }
  if (!r.empty()) r += '\\';
  return r;
}

const CatList::Section* CatList::Find(std::string_view name) const {
  auto it = SectionAt.find(plat::UpperCase(name));
  return it == SectionAt.end() ? nullptr : &Sections[it->second];
}

bool IsCatListFirstLine(std::string_view first) {
  return first.size() >= 2 && first.substr(0, 2) == ";;" && first.substr(first.size() - 2) == ";;";
}

std::optional<CatList> ParseCatList(std::string_view text) {
  text = plat::WithoutBom(text);
  std::string_view first = FirstLine(text);
  if (!IsCatListFirstLine(first)) return std::nullopt;
  CatList list;
  list.Title = first.size() >= 4 ? std::string(TrimView(first.substr(2, first.size() - 4))) : "";
  std::unordered_map<std::string, std::string> info;  // upper-cased FileInfo keys
  std::unordered_map<std::string, std::string>* values = nullptr;
  bool first_line = true;
  ForEachLine(text, [&](std::string_view raw, size_t) {
    if (first_line) {
      first_line = false;
      return;
    }
    std::string_view line = TrimView(raw);
    if (line.empty() || line[0] == ';') return;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name(TrimView(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
      std::string key = plat::UpperCase(name);
      if (key == "FILEINFO") {
        values = &info;
        return;
      }
      auto [it, fresh] = list.SectionAt.emplace(key, list.Sections.size());
      if (fresh) list.Sections.push_back({name, {}, {}});
      values = &list.Sections[it->second].Values;
      return;
    }
    size_t eq = line.find('=');
    if (!values || eq == std::string_view::npos || eq == 0) return;
    std::string_view value = TrimView(line.substr(eq + 1));
    // As the profile functions read a value: one pair of surrounding quotes goes.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    values->emplace(plat::UpperCase(TrimView(line.substr(0, eq))), std::string(value));
  });
  auto get = [&info](const std::string& key) {
    auto it = info.find(key);
    return it == info.end() ? std::string() : it->second;
  };
  list.FilterName = get("FILTERNAME");
  if (list.FilterName.empty()) list.FilterName = list.Title;
  list.Release = get("RELEASE");
  list.SupportedMameVersion = get("SUPPORTEDMAMEVERSION");
  list.Revision = get("REVISION");
  list.Contact = get("CONTACT");
  for (CatList::Section& s : list.Sections) s.Info = get("INFO_" + plat::UpperCase(s.Name));
  return list;
}

std::unordered_map<std::string, std::string> CatListFolders(
    const std::vector<const CatList::Section*>& chosen) {
  std::unordered_map<std::string, std::string> folders;
  for (const CatList::Section* s : chosen) {
    for (const auto& [set, value] : s->Values) {
      std::string part = FolderOf(value);
      if (part.empty()) continue;
      std::string& folder = folders[set];
      folder.append(part, folder.empty() ? 0 : 1);
    }
  }
  return folders;
}

bool ParseMacMame(std::string_view text,
                  const std::function<void(const std::string&, const std::string&)>& entry,
                  const std::function<void(size_t, size_t)>& progress) {
  text = plat::WithoutBom(text);
  if (TrimView(FirstLine(text)) != kMacMameHeader) return false;
  std::string folder;
  bool first = true;
  size_t lines = 0;
  ForEachLine(text, [&](std::string_view raw, size_t at) {
    if (first) {
      first = false;
      return;
    }
    if (progress && (++lines & 1023) == 0) progress(at, text.size());
    std::string_view line = TrimView(raw);
    if (line.empty() || line.substr(0, 2) == "//") return;
    // The set name: the first 8 characters, cut at a blank or tab.
    std::string_view name = line.substr(0, 8);
    name = name.substr(0, name.find_first_of(" \t"));
    std::string category(TrimView(line.substr(name.size())));
    name = TrimView(name);
    if (!category.empty()) {
      std::string f = FolderOf(category);
      if (!f.empty()) folder = f;
    }
    if (!name.empty()) entry(plat::UpperCase(name), folder);
  });
  if (progress) progress(text.size(), text.size());
  return true;
}

}  // namespace categoryfile
