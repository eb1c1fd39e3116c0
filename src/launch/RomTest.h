// The test of an unpacked set before a launch: rom presence, size and CRC, repairs, memory
// and samples. No window: the caller turns the lines into its report.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/types.h"

namespace launch {

struct RomTestOptions {
  bool checkCrc = false;       // size and CRC of present files
  bool createFakeFiles = false;
  bool checkSamples = true;
  uint64_t physicalMemory = 0;
  std::function<void(const char*)> operation;  // progress text
  std::function<void(int32_t)> progress;       // progress bar, 0..100
  std::function<uint8_t()> randomByte;
};

struct RomTestResult {
  bool romsOk = true;
  bool samplesOk = true;
  std::vector<std::string> romLines;     // the rom and memory problems, in order
  std::vector<std::string> sampleLines;
};

// Tests `game` against the files in `folder` (the unpacked "$VRTEMP$", with trailing "/").
RomTestResult TestSet(const GameRecord& game, const std::string& folder,
                      const RomTestOptions& options);

// Total physical memory in bytes (0 when unknown); tests may replace it.
uint64_t PhysicalMemory();
void SetPhysicalMemoryForTests(uint64_t bytes);  // 0 = the machine's

}  // namespace launch
