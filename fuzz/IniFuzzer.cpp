// libFuzzer target: INI text (settings, statistics, MAME.CFG). Every section and key listed is
// found again, a write is read back, and the written text reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::IniFile ini;
  ini.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const std::string& s : ini.ReadSections()) {
    if (!ini.SectionExists(s)) __builtin_trap();
    for (const std::string& k : ini.ReadSection(s))
      if (!ini.ValueExists(s, k)) __builtin_trap();
  }
  const std::string text = ini.ToText();
  plat::IniFile again;
  again.LoadFromText(text);
  if (again.ToText() != text) __builtin_trap();
  again.WriteString("Fuzz", "Key", "value");
  if (again.ReadString("fuzz", "KEY", "") != "value") __builtin_trap();
  if (!ini.ReadSections().empty()) {
    const std::string first = ini.ReadSections().front();
    ini.EraseSection(first);
    ini.WriteInteger(first, "n", 7);
    if (ini.ReadInteger(first, "N", 0) != 7) __builtin_trap();
  }
  return 0;
}
