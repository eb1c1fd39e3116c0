// Stand-ins until the set sources, unpacking and CRC-32 are in; this file then goes.
#include <zlib.h>

#include "frontend/main.h"
#include "verify/CRC32.h"

std::string TMainFRM::FindSetSource(const std::string&, uint8_t, bool) { return {}; }
bool TMainFRM::AskForMameCdDisc(int32_t) { return false; }
std::string TMainFRM::BuildDiscPrompt(int32_t, std::string&) { return {}; }
std::string TMainFRM::UnpackSet(const std::string&, uint8_t, bool) { return {}; }
void TMainFRM::AddUnrarError(std::string&, const std::string&, int) {}
void TMainFRM::AddUnaceError(std::string&, const std::string&, int) {}
uint32_t UpdateCRC32(uint32_t previous, const void* buffer, size_t count) {
  return static_cast<uint32_t>(crc32(previous, static_cast<const Bytef*>(buffer), count));
}
bool FileCRC32(const std::string&, uint32_t&) { return false; }
