// The DirectX layer's messages; "%s" takes the name of the object or interface.
#pragma once
#include <string>

namespace dxconsts {

inline constexpr const char* SInvalidDIB = "DIB is invalid";
inline constexpr const char* SInvalidDIBBitCount = "Bitcount is invalid (%d)";
inline constexpr const char* SInvalidDIBPixelFormat = "PixelFormat is invalid";
inline constexpr const char* SCannotMade = "%s cannot be made";
inline constexpr const char* SNotMade = "%s not made";
inline constexpr const char* SCannotInitialized = "%s cannot be initialized";
inline constexpr const char* SNoCanvas = "Canvas does not allow drawing";

// The message with its "%s" or "%d" replaced by `arg`.
inline std::string Format(const char* message, const std::string& arg) {
  std::string s = message;
  const size_t at = s.find('%');
  if (at != std::string::npos && at + 1 < s.size()) s.replace(at, 2, arg);
  return s;
}

}  // namespace dxconsts
