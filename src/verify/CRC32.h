// The CRC-32 of ZIP archives and the emulator's catalogue (reflected polynomial EDB88320).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The checksum of the data before (`previous`, 0 to start) followed by `count` bytes.
uint32_t UpdateCRC32(uint32_t previous, const void* buffer, size_t count);
// True with the checksum of the whole file; false (checksum untouched) when unreadable.
bool FileCRC32(const std::string& fileName, uint32_t& checksum);

// The three ways UpdateCRC32 may take, for tests that compare them on every machine.
namespace crc32_paths {
uint32_t Bytewise(uint32_t previous, const void* buffer, size_t count);
uint32_t Sliced(uint32_t previous, const void* buffer, size_t count);
bool FoldingAvailable();  // UpdateCRC32 folds large buffers when this is true
}  // namespace crc32_paths
