// Dynamic libraries through dlopen.
#pragma once
#include <string>

namespace plat {

void* LoadLibrary(const std::string& name);   // nullptr when it cannot be loaded
void* GetProcAddress(void* module, const std::string& proc);
void FreeLibrary(void* module);
// The Linux file name for a Windows library name ("DDraw.dll" -> "libddraw.so") when one is known.
std::string NativeLibraryName(const std::string& name);

}  // namespace plat
