#include "support/TempDir.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Files.h"

bool MakeSocket(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::strcpy(addr.sun_path, path.c_str());
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound = sock >= 0 && bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (sock >= 0) close(sock);
  return bound;
}

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
