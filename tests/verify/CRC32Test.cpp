#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>

#include "support/TempDir.h"
#include "verify/CRC32.h"

namespace {

uint32_t Zlib(const std::string& s, size_t from = 0, size_t n = std::string::npos) {
  n = std::min(n, s.size() - from);
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data() + from),
                                     static_cast<uInt>(n)));
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

}  // namespace

TEST(CRC32, CheckValueEmptyAndZeroCount) {
  EXPECT_EQ(UpdateCRC32(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(UpdateCRC32(0, "", 0), 0u);
  EXPECT_EQ(UpdateCRC32(0x12345678u, "x", 0), 0x12345678u);
}

// Every path (byte loop, slicing, folding) on every length and alignment near the
// thresholds gives zlib's result, and chaining at any split gives the whole buffer's.
TEST(CRC32, AllPathsAgreeWithZlibAndChain) {
  const std::string data = RandomBytes(70000, 7);
  for (size_t offset : {0, 1, 3, 8, 13}) {
    for (size_t len : {1, 15, 16, 17, 63, 64, 65, 127, 128, 129, 200, 255, 256, 1000, 4097, 65536}) {
      const uint32_t want = Zlib(data, offset, len);
      const char* p = data.data() + offset;
      EXPECT_EQ(UpdateCRC32(0, p, len), want) << offset << "+" << len;
      EXPECT_EQ(crc32_paths::Sliced(0, p, len), want) << offset << "+" << len;
      EXPECT_EQ(crc32_paths::Bytewise(0, p, len), want) << offset << "+" << len;
      for (size_t cut : {size_t{0}, len / 3, len - 1}) {
        EXPECT_EQ(UpdateCRC32(UpdateCRC32(0, p, cut), p + cut, len - cut), want)
            << offset << "+" << len << " cut " << cut;
      }
    }
  }
  EXPECT_EQ(UpdateCRC32(0, data.data(), data.size()), Zlib(data));
}

TEST(CRC32, FileChecksumInChunksAndFailuresLeaveTheValue) {
  TempDir t;
  const std::string big = RandomBytes((3 << 20) + 12345, 9);  // several read chunks
  uint32_t crc = 1;
  ASSERT_TRUE(FileCRC32(t.write("BIG.BIN", big), crc));
  EXPECT_EQ(crc, Zlib(big));
  ASSERT_TRUE(FileCRC32(t.write("EMPTY.BIN", ""), crc));
  EXPECT_EQ(crc, 0u);
  crc = 0xDEADBEEF;
  EXPECT_FALSE(FileCRC32(t.file("MISSING.BIN"), crc));
  EXPECT_FALSE(FileCRC32(t.path(), crc));  // a folder
  EXPECT_EQ(crc, 0xDEADBEEFu);
}
