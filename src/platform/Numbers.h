// Whole numbers typed into settings and configuration files.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// The whole text, blanks around it aside, as a signed 32-bit number: decimal, or hexadecimal
// after "$" or "0x". False (out untouched) for anything else.
bool ParseInteger(std::string_view text, int32_t& out);
// The whole text, blanks around it aside, as a finite decimal number with "." (a "," is taken
// as "." too), whatever the locale. False (out untouched) for anything else.
bool ParseDecimal(std::string_view text, double& out);
// A whole number with its thousands set apart, as messages show it: 1234567 as "1,234,567".
std::string Thousands(uint64_t n);

}  // namespace plat
