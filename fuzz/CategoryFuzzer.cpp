// The category-file readers: any text is refused or read into folders of the form "\A\B\"
// without empty parts, and MacMAME set names of at most 8 characters without blanks.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frontend/CategoryFile.h"

namespace {

void CheckFolder(const std::string& f) {
  if (f.empty()) return;
  if (f.front() != '\\' || f.back() != '\\' || f.find("\\\\") != std::string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto list = categoryfile::ParseCatList(text)) {
    std::vector<const categoryfile::CatList::Section*> all;
    for (const auto& s : list->Sections) {
      if (list->Find(s.Name) != &s) abort();
      all.push_back(&s);
    }
    for (const auto& [set, folder] : categoryfile::CatListFolders(all)) CheckFolder(folder);
  }
  categoryfile::ParseMacMame(text, [](const std::string& set, const std::string& folder) {
    if (set.empty() || set.size() > 8 || set.find_first_of(" \t") != std::string::npos) abort();
    CheckFolder(folder);
  });
  return 0;
}
