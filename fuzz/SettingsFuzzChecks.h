// What the settings fuzz target (and its regression test) require of any input: the first
// byte sets the size bound (in steps of 64 bytes), the rest is the settings file. A file
// within the bound reads as its text does; a larger one is refused, unread, with the reason.
#pragma once
#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Ini.h"

namespace fuzzchecks {

inline bool CheckSettings(std::string_view input) {
  if (input.empty()) return true;
  const uint64_t limit = static_cast<uint8_t>(input[0]) * 64u;
  const std::string_view text = input.substr(1);
  static const struct File {
    std::string path = "/tmp/velmora-fuzz-settings-" + std::to_string(getpid()) + ".ini";
    ~File() { unlink(path.c_str()); }
  } file;
  const std::string& path = file.path;
  if (!plat::WriteFileAtomic(path, text)) return true;  // no room to try
  plat::IniFile ini(path);
  std::string error;
  const bool read = ini.Load(&error, limit);
  if (text.size() > limit)
    return !read && error.rfind("Larger than ", 0) == 0 && ini.ReadSections().empty();
  plat::IniFile expected;
  expected.LoadFromText(text);
  if (!read || !error.empty() || ini.ToText() != expected.ToText()) return false;
  // What the settings reader looks up.
  return ini.ReadString("General", "LastProfile", "FIRSTTIME") ==
             expected.ReadString("general", "lastprofile", "FIRSTTIME") &&
         ini.ReadSectionValues("ScreenshotTabs") == expected.ReadSectionValues("SCREENSHOTTABS") &&
         ini.ReadInteger("Window", "Width", 640) == expected.ReadInteger("window", "width", 640);
}

}  // namespace fuzzchecks
