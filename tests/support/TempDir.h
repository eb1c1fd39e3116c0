// A temporary folder for one test, removed afterwards.
#pragma once
#include <string>

// Leaves a Unix-domain socket at `path`; false when the name is too long or taken.
bool MakeSocket(const std::string& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }  // with trailing "/"
  std::string file(const std::string& name) const { return path_ + name; }
  // Writes bytes to a file below the folder (folders made as needed); returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
 private:
  std::string path_;
};
