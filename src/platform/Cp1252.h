// Windows-1252 ("ANSI") text, converted to and from Unicode at the user-interface edge.
#pragma once
#include <QString>
#include <string>
#include <string_view>

namespace plat {

QString FromAnsi(std::string_view bytes);
// Characters outside Windows-1252 become '?'.
std::string ToAnsi(const QString& text);
// True when ToAnsi keeps every character.
bool FitsAnsi(const QString& text);
// File names are the locale's bytes (UTF-8).
QString FromLocal(std::string_view path);
std::string ToLocal(const QString& path);
// The text without the UTF-8 byte-order marks at its start.
std::string_view WithoutBom(std::string_view text);

}  // namespace plat
