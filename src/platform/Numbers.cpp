#include "platform/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/Files.h"

namespace plat {

bool ParseInteger(std::string_view text, int32_t& out) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  size_t i = 0;
  bool negative = false;
  if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  long long v = 0;
  auto [p, ec] = std::from_chars(t.data() + i, t.data() + t.size(), v, base);
  if (ec != std::errc() || p != t.data() + t.size()) return false;
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool ParseDecimal(std::string_view text, double& out) {
  std::string t = Trim(text);
  std::replace(t.begin(), t.end(), ',', '.');
  if (t.empty()) return false;
  const char* b = t.data();
  if (*b == '+') ++b;
  double v = 0;
  auto [p, ec] = std::from_chars(b, t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace plat
