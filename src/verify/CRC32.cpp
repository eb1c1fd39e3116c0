#include "verify/CRC32.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VELMORA_CRC_FOLDING 1
#endif

namespace {

constexpr uint32_t kPoly = 0xEDB88320u;

// Table 0 is the classic byte table; table k advances a byte that lies k bytes further back.
using Tables = std::array<std::array<uint32_t, 256>, 16>;
constexpr Tables MakeTables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ kPoly : c >> 1;
    t[0][i] = c;
  }
  for (size_t k = 1; k < 16; ++k)
    for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}
constexpr Tables kTable = MakeTables();
static_assert(kTable[0][1] == 0x77073096u && kTable[0][255] == 0x2D02EF8Du);

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}

// Register in, register out (no pre- or post-complement).
uint32_t BytesLoop(uint32_t r, const uint8_t* p, size_t n) {
  while (n--) r = (r >> 8) ^ kTable[0][(r ^ *p++) & 0xFF];
  return r;
}

uint32_t Sliced(uint32_t r, const uint8_t* p, size_t n) {
  const auto& t = kTable;
  while (n >= 16) {
    const uint32_t a = Load32(p) ^ r, b = Load32(p + 4), c = Load32(p + 8), d = Load32(p + 12);
    r = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
        t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
        t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
        t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    p += 16;
    n -= 16;
  }
  return BytesLoop(r, p, n);
}

#ifdef VELMORA_CRC_FOLDING
#define VELMORA_FOLD_TARGET __attribute__((target("pclmul,sse4.1")))

VELMORA_FOLD_TARGET inline __m128i Load128(const uint8_t* q) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// x times the two constants of k (high and low halves), added to next.
VELMORA_FOLD_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
}

// Carry-less multiplication folding over 64-byte blocks, then a Barrett reduction.
// Needs n >= 64 and a multiple of 16.
VELMORA_FOLD_TARGET uint32_t Folded(uint32_t r, const uint8_t* p, size_t n) {
  const __m128i k12 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
  const __m128i k34 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124LL);
  const __m128i poly = _mm_set_epi64x(0x1f7011641LL, 0x1db710641LL);
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x1 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(r)));
  __m128i x2 = Load128(p + 16), x3 = Load128(p + 32), x4 = Load128(p + 48);
  p += 64;
  n -= 64;
  while (n >= 64) {
    x1 = Fold(x1, k12, Load128(p));
    x2 = Fold(x2, k12, Load128(p + 16));
    x3 = Fold(x3, k12, Load128(p + 32));
    x4 = Fold(x4, k12, Load128(p + 48));
    p += 64;
    n -= 64;
  }
  x1 = Fold(x1, k34, x2);
  x1 = Fold(x1, k34, x3);
  x1 = Fold(x1, k34, x4);
  while (n >= 16) {
    x1 = Fold(x1, k34, Load128(p));
    p += 16;
    n -= 16;
  }
  // 128 to 64 bits, then 64 to 32.
  __m128i x = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k34, 0x10));
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
  return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

bool HasFolding() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}
#endif

uint32_t Register(uint32_t r, const uint8_t* p, size_t n, bool folding) {
#ifdef VELMORA_CRC_FOLDING
  if (folding && n >= 128) {
    const size_t bulk = n & ~size_t{15};
    r = Folded(r, p, bulk);
    p += bulk;
    n -= bulk;
  }
#else
  (void)folding;
#endif
  return Sliced(r, p, n);
}

}  // namespace

uint32_t UpdateCRC32(uint32_t previous, const void* buffer, size_t count) {
  if (count == 0) return previous;
#ifdef VELMORA_CRC_FOLDING
  const bool folding = HasFolding();
#else
  const bool folding = false;
#endif
  return ~Register(~previous, static_cast<const uint8_t*>(buffer), count, folding);
}

namespace crc32_paths {
uint32_t Bytewise(uint32_t previous, const void* buffer, size_t count) {
  return ~BytesLoop(~previous, static_cast<const uint8_t*>(buffer), count);
}
uint32_t Sliced(uint32_t previous, const void* buffer, size_t count) {
  return ~Register(~previous, static_cast<const uint8_t*>(buffer), count, false);
}
bool FoldingAvailable() {
#ifdef VELMORA_CRC_FOLDING
  return HasFolding();
#else
  return false;
#endif
}
}  // namespace crc32_paths

bool FileCRC32(const std::string& fileName, uint32_t& checksum) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Rom files can be large: read in chunks rather than all at once, into one buffer per thread
  // (a verification checks tens of thousands of small files).
  static constexpr size_t kChunk = 256 * 1024;
  thread_local std::unique_ptr<uint8_t[]> buf;
  if (!buf) buf.reset(new uint8_t[kChunk]);
  uint32_t crc = 0;
  for (;;) {
    const ssize_t got = read(fd, buf.get(), kChunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return false;  // includes a folder, which reads with EISDIR
    }
    if (got == 0) break;
    crc = UpdateCRC32(crc, buf.get(), static_cast<size_t>(got));
  }
  close(fd);
  checksum = crc;
  return true;
}
