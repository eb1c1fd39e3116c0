#include "platform/SafeName.h"

#include "platform/Files.h"

namespace plat {

bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 32 || u == 127) return false;
  }
  return true;
}

std::optional<std::string> NameInFolder(std::string_view folder, std::string_view name) {
  if (!IsPlainName(name)) return std::nullopt;
  return WithSlash(folder) + std::string(name);
}

}  // namespace plat
