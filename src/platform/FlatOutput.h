// Writing archive entries and copied files into one target folder, flat and safely: names are
// reduced to their last element, only regular files are made, and no link is ever followed.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// The name an entry is written under: the last element of its name ("/" and "\" both
// separate). "" when the entry must be skipped: an empty last element (a folder entry),
// ".", "..", or a name holding a control character.
std::string FlatEntryName(std::string_view entryName);
// The error told when two entries of an archive flatten to one file name (the later wins).
std::string FlatNameClash(const std::string& flatName);

// Makes `dir` a real folder when it is not one: a link of that name is removed, never entered,
// and the folder made. False when the folder could not be had.
bool PrepareTargetFolder(const std::string& dir);

// The target folder, opened once without following a link.
class FlatOutputFolder {
 public:
  explicit FlatOutputFolder(const std::string& dir);
  ~FlatOutputFolder();
  FlatOutputFolder(const FlatOutputFolder&) = delete;
  FlatOutputFolder& operator=(const FlatOutputFolder&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Dir() const { return dir_; }
  // A new, empty regular file of that (flat) name, for writing; -1 on failure. Whatever stood
  // under the name (a file, a link, a device) is removed first, so nothing is written through
  // it; a folder of that name makes it fail.
  int Create(const std::string& name) const;
  // Removes the file of that (flat) name, as when what was written to it failed.
  void Remove(const std::string& name) const;
  // Copies the regular file `source` (never through a link) in under that name; false, with
  // nothing left under the name and the errno in `code`, when it could not be copied whole.
  bool CopyIn(const std::string& source, const std::string& name, int* code = nullptr) const;

 private:
  std::string dir_;
  int fd_ = -1;
};

// Writes the whole buffer to a descriptor; false on a write error.
bool WriteAll(int fd, const void* data, size_t size);
// Copies the rest of `in` into `out`: 0, or the errno of the read or write that failed.
int CopyAll(int in, int out);

}  // namespace plat
