#include "frontend/FilterFile.h"

#include <unordered_map>

#include "database/TextStream.h"
#include "frontend/TreeLayout.h"
#include "platform/Files.h"

namespace filterfile {

std::string NormalizeFolder(std::string_view folder) {
  std::string f(folder);
  if (f.empty() || f.back() != '\\') f += '\\';
  if (f.front() != '\\') f.insert(f.begin(), '\\');
  return f;
}

std::string Format(const FilterDescriptor& filter, const Progress& progress) {
  TTextStream out;
  out.LineEnd = TTextStream::CRLF;
  out.WriteLn(std::string(kHeader) + filter.Name);
  out.WriteLn("");
  if (filter.Entries) {
    const size_t count = filter.Entries->size();
    for (size_t i = 0; i < count; ++i) {
      if (progress) progress(i, count > 0 ? count - 1 : 0);
      const FilterEntryDescriptor* e = (*filter.Entries)[i].get();
      if (!e || !e->Game) continue;
      out.WriteLn(NormalizeFolder(e->Folder) + e->Game->Name.str());
    }
  }
  return out.Data();
}

ParseResult Parse(std::string_view text, const Lookup& lookup, FilterDescriptor& filter,
                  const Progress& progress) {
  TTextStream in;
  in.LineEnd = TTextStream::TOLERANT;
  in.LoadFromString(std::string(text));
  std::string line;
  in.ReadLn(line);
  line = plat::Trim(line);
  if (line.compare(0, kHeader.size(), kHeader) != 0) return ParseResult::UnknownFormat;
  filter.Name = plat::Trim(std::string_view(line).substr(kHeader.size()));
  if (!filter.Entries) filter.Entries = std::make_unique<RecordList<FilterEntryDescriptor>>();
  // Every folder made so far, known by its parent's number and its upper-cased name.
  std::unordered_map<std::string, uint32_t> folders;
  std::string key;
  while (!in.Eof()) {
    in.ReadLn(line);
    if (progress) progress(in.Position(), in.Size());
    line = plat::Trim(line);
    if (line.empty()) continue;
    std::string upper = plat::UpperCase(line);
    size_t cut = upper.find_last_of("\\:");
    std::string name = cut == std::string::npos ? upper : upper.substr(cut + 1);
    GameRecord* game = lookup ? lookup(name) : nullptr;
    if (!game) continue;
    size_t slash = line.find_last_of('\\');
    if (slash != std::string::npos &&
        gametree::FolderDepth(std::string_view(line).substr(0, slash)) > gametree::MaxFolderDepth)
      return ParseResult::TooDeep;
    if (filter.Entries->size() >= kMaxEntries) return ParseResult::TooManyEntries;
    uint32_t parent = 0;
    for (size_t b = 0, e; slash != std::string::npos && b < slash; b = e + 1) {
      e = std::min(upper.find('\\', b), slash);
      if (e == b) continue;
      key.assign(std::to_string(parent)).append(1, '\\').append(upper, b, e - b);
      auto [at, made] = folders.try_emplace(key, static_cast<uint32_t>(folders.size() + 1));
      if (made && folders.size() > kMaxFolders) return ParseResult::TooManyFolders;
      parent = at->second;
    }
    auto entry = types::NewFilterEntryDescriptor();
    entry->Game = game;
    entry->Folder = NormalizeFolder(slash == std::string::npos ? std::string_view()
                                                               : std::string_view(line).substr(0, slash + 1));
    filter.Entries->push_back(std::move(entry));
  }
  return ParseResult::Ok;
}

}  // namespace filterfile
