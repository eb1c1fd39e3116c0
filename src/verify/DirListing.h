// A folder's entries with their kind, in the order the file system gives them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace verify {

struct DirEntry {
  std::string name;
  bool dir = false;
  bool regular = false;  // a regular file (links followed)
  int64_t size = -1;     // a regular file's size, when asked for
};

// Every entry but "." and ".."; false (nothing listed) when the folder cannot be read.
bool ListEntries(const std::string& dir, std::vector<DirEntry>& out, bool sizes = false);

}  // namespace verify
