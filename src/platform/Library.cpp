#include "platform/Library.h"

#include <dlfcn.h>

#include "platform/Files.h"

namespace plat {

std::string NativeLibraryName(const std::string& name) {
  std::string lower = LowerCase(name);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dll") == 0)
    return "lib" + lower.substr(0, lower.size() - 4) + ".so";
  return name;
}

void* LoadLibrary(const std::string& name) {
  void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    std::string native = NativeLibraryName(name);
    if (native != name) h = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return h;
}

void* GetProcAddress(void* module, const std::string& proc) {
  return module ? dlsym(module, proc.c_str()) : nullptr;
}

void FreeLibrary(void* module) {
  if (module) dlclose(module);
}

}  // namespace plat
