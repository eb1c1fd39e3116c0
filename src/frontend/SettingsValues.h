// Value conversions of the settings file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {
class IniFile;
}

namespace settings {

// Report font sizes outside this range (a hand-edited file) are brought into it.
constexpr long kMinFontSize = 6;
constexpr long kMaxFontSize = 72;
// The most picture tabs the main window shows (the selected one is kept in a byte). Tabs of
// the file past them are kept unshown and written back.
constexpr size_t kMaxShownPictureTabs = 256;

// The whole text as a 32-bit integer: optional sign, decimal digits, or "$" / "0x" and
// hexadecimal digits; blanks around it are allowed. False for anything else.
bool ParseInteger(std::string_view text, long& out);
// A decimal number with "." (a "," is taken as "." too), independent of the locale.
bool ParseDecimal(std::string_view text, double& out);

long ReadInteger(const plat::IniFile& ini, std::string_view section, std::string_view key, long def);
// True for any non-zero integer; a missing key or a value that is not a number gives def.
bool ReadBool(const plat::IniFile& ini, std::string_view section, std::string_view key, bool def);
// An integer kept in a byte: values outside 0..255 are clamped, not wrapped.
uint8_t ReadByte(const plat::IniFile& ini, std::string_view section, std::string_view key,
                 uint8_t def);
int32_t ClampFontSize(long size);
// The first executable of that name along PATH, or empty.
std::string FindOnPath(const std::string& program);

}  // namespace settings
