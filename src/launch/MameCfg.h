// The emulator's MAME.CFG: the option records read from and written to its text, without
// any window. The main window's LoadMAMECfg / SaveMAMECfg sit on top of this.
#pragma once
#include <string>
#include <string_view>

#include "database/types.h"

namespace plat {
class IniFile;
}

namespace mamecfg {

// A flag is set exactly when its text, upper-cased, is "YES".
bool IsYes(std::string_view text);
bool ReadYesNo(const plat::IniFile& ini, std::string_view section, std::string_view key, bool def);
void WriteYesNo(plat::IniFile& ini, std::string_view section, std::string_view key, bool flag);

// Reals are written with 7 decimals and "." whatever the locale (1 -> "1.0000000").
std::string FormatReal(float v);
// The whole text as a real ("." or ","); false when it does not convert.
bool ParseReal(std::string_view text, float& out);
// The whole text as a signed 32-bit integer; false when it does not convert.
bool ParseInteger(std::string_view text, int32_t& out);

// ".;" in front of a path list unless one of its ";"-separated elements is ".".
std::string AddCurrentDirToPath(std::string_view paths);

// Both records with every default of the file format.
void SetDefaults(MAMEDirectoryRecord& dirs, MAMEConfigFile& cfg);
// Sections "directory" and "config"; emulate_three and hiscorefile are not touched.
void ReadRecords(const plat::IniFile& ini, MAMEDirectoryRecord& dirs, MAMEConfigFile& cfg);
void WriteRecords(plat::IniFile& ini, const MAMEDirectoryRecord& dirs, const MAMEConfigFile& cfg);

// The key left of the first "=" of a line, trimmed (the whole trimmed line without "=").
std::string LineKey(std::string_view line);
// The value of a key outside the sections: the first line anywhere whose key equals `key`
// (whole key, any case); the text after its "=", trimmed and upper-cased; else `def`
// upper-cased.
std::string ReadTopKey(std::string_view fileText, std::string_view key, std::string_view def);
// The file's text with key=value standing before the first section header, replacing a line
// of that key above it. Other lines keep their text; lines end with CR LF.
std::string WriteTopKey(std::string_view fileText, std::string_view key, std::string_view value);

}  // namespace mamecfg
