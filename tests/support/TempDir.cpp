#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/Files.h"

TempDir::TempDir() {
  char tmpl[] = "/tmp/velmora-test-XXXXXX";
  char* p = mkdtemp(tmpl);
  path_ = std::string(p ? p : "/tmp") + "/";
}

TempDir::~TempDir() { plat::RemoveTree(path_); }

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
  std::string p = path_ + name;
  plat::MakeDirs(plat::DirectoryOf(p));
  std::ofstream f(p, std::ios::binary);
  f << bytes;
  return p;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(name.rfind('/', 0) == 0 ? name : path_ + name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
