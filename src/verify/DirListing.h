// A folder's entries with their kind, in the order the file system gives them.
#pragma once
#include <string>
#include <vector>

namespace verify {

struct DirEntry {
  std::string name;
  bool dir = false;
  bool regular = false;  // a regular file (links followed)
};

// Every entry but "." and ".."; false (nothing listed) when the folder cannot be read.
bool ListEntries(const std::string& dir, std::vector<DirEntry>& out);

}  // namespace verify
