#include "platform/AceLib.h"

#include "platform/FlatOutput.h"
#include "platform/LittleEndian.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

namespace plat {

namespace {

// Low half of the ACE CRC-32 (zlib's CRC without the final inversion).
uint16_t HeaderCrc(const uint8_t* p, size_t n) {
  return static_cast<uint16_t>(~crc32(0, p, static_cast<uInt>(n)) & 0xFFFF);
}

constexpr size_t kWindowSize = size_t{1} << 22;  // every distance of the format fits
constexpr uint64_t kSfxSearch = 512 * 1024;
constexpr size_t kFlushAt = 256 * 1024;

// The packed bytes as 32-bit little-endian words, each read from its top bit down; zero bits
// past the end (a few words of them are allowed for look-ahead).
class BitReader {
 public:
  BitReader(zip::Source& src, uint64_t pos, uint64_t size) : src_(src), pos_(pos), left_(size) {}
  uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<uint32_t>(bits_ >> (64 - n));
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    bits_ <<= n;
    count_ -= n;
  }
  uint32_t Bits(int n) {
    if (n == 0) return 0;
    uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  bool Overrun() const { return overrun_ > 4; }
  bool ReadFailed() const { return failed_; }

 private:
  void Refill() {
    while (count_ <= 32) {
      if (at_ + 4 > have_) Fill();
      uint32_t w;
      if (at_ + 4 <= have_) {
        w = Get32LE(buf_ + at_);
        at_ += 4;
      } else {
        w = 0;
        ++overrun_;
      }
      bits_ |= static_cast<uint64_t>(w) << (32 - count_);
      count_ += 32;
    }
  }
  void Fill() {
    // Keep the unread tail (under 4 bytes), pad the last partial word with zeros.
    size_t keep = have_ - at_;
    std::memmove(buf_, buf_ + at_, keep);
    have_ = keep;
    at_ = 0;
    size_t n = static_cast<size_t>(std::min<uint64_t>(left_, sizeof(buf_) - have_));
    if (n > 0) {
      if (!src_.Read(pos_, buf_ + have_, n)) {
        failed_ = true;
        left_ = 0;
        n = 0;
      }
      pos_ += n;
      left_ -= n;
      have_ += n;
    }
    if (left_ == 0 && have_ % 4 != 0) {
      size_t pad = 4 - have_ % 4;
      std::memset(buf_ + have_, 0, pad);
      have_ += pad;
    }
  }

  zip::Source& src_;
  uint64_t pos_, left_;
  uint8_t buf_[65536];
  size_t have_ = 0, at_ = 0;
  uint64_t bits_ = 0;
  int count_ = 0;
  int overrun_ = 0;
  bool failed_ = false;
};

// The descending quicksort of the format: the order of equal widths decides the codes.
void SortRange(std::vector<uint8_t>& key, std::vector<uint16_t>& sym, int lo, int hi) {
  uint8_t pivot = key[hi];
  int a = lo, b = hi;
  for (;;) {
    while (key[a] > pivot) ++a;
    while (key[b] < pivot) --b;
    if (a <= b) {
      std::swap(key[a], key[b]);
      std::swap(sym[a], sym[b]);
      ++a;
      --b;
    }
    if (a >= b) break;
  }
  if (lo < b) {
    if (b - lo >= 2) SortRange(key, sym, lo, b);
    else if (key[lo] < key[b]) { std::swap(key[lo], key[b]); std::swap(sym[lo], sym[b]); }
  }
  if (a < hi) {
    if (hi - a >= 2) SortRange(key, sym, a, hi);
    else if (key[a] < key[hi]) { std::swap(key[a], key[hi]); std::swap(sym[a], sym[hi]); }
  }
}

class Huffman {
 public:
  // False for a corrupt (over-subscribed) table.
  bool Build(const std::vector<uint8_t>& widths, int maxWidth) {
    max_ = maxWidth;
    const size_t n = widths.size();
    table_.assign(size_t{1} << maxWidth, kInvalid);
    width_.assign(n, 0);
    if (n == 0) return false;
    std::vector<uint8_t> key(widths);
    std::vector<uint16_t> sym(n);
    for (size_t i = 0; i < n; ++i) sym[i] = static_cast<uint16_t>(i);
    for (uint8_t w : key)
      if (w > maxWidth) return false;
    if (n > 1) SortRange(key, sym, 0, static_cast<int>(n) - 1);
    size_t k = static_cast<size_t>(std::count_if(key.begin(), key.end(), [](uint8_t w) { return w; }));
    const bool single = k < 2;
    if (k == 0) k = 1;
    size_t pos = 0;
    for (size_t i = k; i-- > 0;) {
      size_t share = size_t{1} << (maxWidth - key[i]);
      if (pos + share > table_.size()) return false;
      std::fill(table_.begin() + pos, table_.begin() + pos + share, sym[i]);
      width_[sym[i]] = single ? 1 : key[i];
      pos += share;
    }
    return true;
  }
  // The next symbol, -1 for an invalid code.
  int Decode(BitReader& in) const {
    uint16_t s = table_[in.Peek(max_)];
    if (s == kInvalid) return -1;
    in.Skip(width_[s]);
    return s;
  }

 private:
  static constexpr uint16_t kInvalid = 0xFFFF;
  int max_ = 0;
  std::vector<uint16_t> table_;
  std::vector<uint8_t> width_;
};

// Reads a table sent as code widths for an alphabet of `alphabet` symbols.
bool ReadTable(BitReader& in, int alphabet, Huffman& out) {
  int n = static_cast<int>(in.Bits(9)) + 1;
  if (n > alphabet) n = alphabet;
  const int base = static_cast<int>(in.Bits(4));
  const int top = static_cast<int>(in.Bits(4));
  std::vector<uint8_t> wcw(top + 1);
  for (auto& w : wcw) w = static_cast<uint8_t>(in.Bits(3));
  Huffman widthCodes;
  if (!widthCodes.Build(wcw, 7)) return false;
  std::vector<int> v;
  v.reserve(n);
  while (static_cast<int>(v.size()) < n) {
    int c = widthCodes.Decode(in);
    if (c < 0 || in.Overrun()) return false;
    if (c < top) {
      v.push_back(c);
    } else {
      int r = static_cast<int>(in.Bits(4)) + 4;
      r = std::min(r, n - static_cast<int>(v.size()));
      v.insert(v.end(), r, 0);
    }
  }
  if (top > 0)
    for (int i = 1; i < n; ++i) v[i] = (v[i] + v[i - 1]) % top;
  std::vector<uint8_t> widths(n);
  for (int i = 0; i < n; ++i) widths[i] = static_cast<uint8_t>(v[i] ? v[i] + base : 0);
  return out.Build(widths, 11);
}

}  // namespace

AceReader::~AceReader() = default;

std::unique_ptr<AceReader> AceReader::Open(const std::string& path, int& code) {
  auto src = zip::OpenFileSource(path);
  if (!src) {
    code = kOpenError;
    return nullptr;
  }
  return Open(std::move(src), code);
}

std::unique_ptr<AceReader> AceReader::Open(std::unique_ptr<zip::Source> source, int& code) {
  std::unique_ptr<AceReader> r(new (std::nothrow) AceReader());
  if (!r) {
    code = kNoMemory;
    return nullptr;
  }
  zip::Source& src = *source;
  const uint64_t size = src.Size();
  // The main header is at the start, or behind a self-extracting program.
  auto mainAt = [&](uint64_t pos, std::vector<uint8_t>& hdr) {
    uint8_t pre[4];
    if (!src.Read(pos, pre, 4)) return false;
    uint16_t headSize = Get16LE(pre + 2);
    if (headSize < 26 || pos + 4 + headSize > size) return false;
    hdr.resize(headSize);
    if (!src.Read(pos + 4, hdr.data(), headSize)) return false;
    return hdr[0] == 0 && std::memcmp(hdr.data() + 3, "**ACE**", 7) == 0 &&
           HeaderCrc(hdr.data(), headSize) == Get16LE(pre);
  };
  std::vector<uint8_t> hdr;
  int64_t start = -1;
  if (mainAt(0, hdr)) {
    start = 0;
  } else {
    std::vector<uint8_t> head(static_cast<size_t>(std::min(size, kSfxSearch)));
    if (!src.Read(0, head.data(), head.size())) {
      code = kReadError;
      return nullptr;
    }
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    for (size_t i = text.find("**ACE**", 7); i != std::string_view::npos && start < 0;
         i = text.find("**ACE**", i + 1))
      if (mainAt(i - 7, hdr)) start = static_cast<int64_t>(i) - 7;
  }
  if (start < 0) {
    code = kReadError;  // not an ACE archive, or its main header is damaged
    return nullptr;
  }
  r->mainFlags_ = Get16LE(hdr.data() + 1);
  if (r->mainFlags_ & kMultiVolume) {
    code = kOther;
    return nullptr;
  }
  r->solid_ = (r->mainFlags_ & kSolid) != 0;
  r->pos_ = static_cast<uint64_t>(start) + 4 + hdr.size();
  r->src_ = std::move(source);
  code = kOk;
  return r;
}

// Reads the block at pos_; isFile tells whether it was a file header (in `entry`).
int AceReader::ReadBlock(Entry& e, bool& isFile) {
  isFile = false;
  const uint64_t size = src_->Size();
  uint8_t pre[4];
  if (!src_->Read(pos_, pre, 4)) return kReadError;
  const uint16_t headSize = Get16LE(pre + 2);
  if (headSize < 3) return kReadError;
  std::vector<uint8_t> h(headSize);
  if (!src_->Read(pos_ + 4, h.data(), headSize)) return kReadError;
  if (HeaderCrc(h.data(), headSize) != Get16LE(pre)) return kCrcError;
  const uint8_t type = h[0];
  const uint16_t flags = Get16LE(h.data() + 1);
  const uint64_t dataPos = pos_ + 4 + headSize;
  uint64_t addSize = 0;
  if (type == 1) {
    if (headSize < 31) return kReadError;
    e = Entry{};
    e.flags = flags;
    e.packedSize = (flags & 1) ? Get32LE(h.data() + 3) : 0;
    e.size = Get32LE(h.data() + 7);
    e.dosTime = Get32LE(h.data() + 11);
    e.attributes = Get32LE(h.data() + 15);
    e.crc = ~Get32LE(h.data() + 19);
    e.method = h[23];
    e.quality = h[24];
    e.params = Get16LE(h.data() + 25);
    const uint16_t nameSize = Get16LE(h.data() + 29);
    if (31u + nameSize > headSize) return kReadError;
    e.storedName.assign(reinterpret_cast<const char*>(h.data() + 31), nameSize);
    e.folder = (e.attributes & 0x10) != 0;
    e.name = e.folder || e.storedName.find('\0') != std::string::npos
                 ? std::string()
                 : FlatEntryName(e.storedName);
    e.dataPos = dataPos;
    addSize = e.packedSize;
    isFile = true;
  } else if (type == 3) {
    return kOther;  // 64-bit sizes: not read
  } else if (flags & 1) {
    if (headSize < 7) return kReadError;
    addSize = Get32LE(h.data() + 3);
    if ((flags & 4) && headSize >= 11) addSize |= static_cast<uint64_t>(Get32LE(h.data() + 7)) << 32;
  }
  if (dataPos > size || addSize > size - dataPos) return kReadError;
  pos_ = dataPos + addSize;
  return kOk;
}

int AceReader::Next(Entry& entry) {
  if (hasCurrent_)
    if (int c = Skip()) return c;
  for (;;) {
    if (pos_ >= src_->Size()) return kEnd;
    Entry e;
    bool isFile = false;
    if (int c = ReadBlock(e, isFile)) return c;
    if (!isFile) continue;
    if (e.flags & (kContinuedPrev | kContinuedNext)) return kOther;
    if (e.name.empty()) {
      // Never written; a solid archive still needs its data in the window.
      if (solid_ && e.size > 0 && !refused_) {
        int c = Process(e, [](const uint8_t*, size_t) { return true; });
        if (c != kOk && c != kCrcError) refused_ = c;
      }
      continue;
    }
    current_ = e;
    hasCurrent_ = true;
    entry = e;
    return kOk;
  }
}

int AceReader::Skip() {
  if (!hasCurrent_) return kBadRequest;
  hasCurrent_ = false;
  if (!solid_ || current_.size == 0 || refused_) return kOk;
  int c = Process(current_, [](const uint8_t*, size_t) { return true; });
  return c == kCrcError ? kOk : c;
}

int AceReader::Extract(const std::string& dest) {
  if (!hasCurrent_) return kBadRequest;
  hasCurrent_ = false;
  zip::OutputFile out;
  if (!dest.empty() && !out.Open(dest)) return kOpenError;
  bool writeFailed = false;
  int c = Process(current_, [&](const uint8_t* p, size_t n) {
    if (!dest.empty() && !out.Write(p, n)) writeFailed = true;
    return !writeFailed;
  });
  if (writeFailed) return kWriteError;
  if (c != kOk) return c;
  if (!dest.empty() && !out.Commit()) return kWriteError;
  return kOk;
}

// Decodes one entry into `sink`, checking its CRC. In a solid archive an entry that cannot be
// decoded makes every later one fail with the same code.
int AceReader::Process(const Entry& e, const std::function<bool(const uint8_t*, size_t)>& sink) {
  if (refused_) return refused_;
  int code = kOk;
  uint32_t crc = 0;
  if (e.flags & kEntryEncrypted) {
    code = kEncrypted;
  } else if (e.size == 0) {
    code = kOk;
  } else if (e.method > 2) {
    code = kMethod;
  } else if (e.method == 0) {
    if (e.packedSize != e.size) return kReadError;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<uint64_t>(e.size, kFlushAt)));
    if (!solid_) windowStart_ = windowTotal_;
    uint64_t pos = e.dataPos;
    for (uint64_t left = e.size; left > 0;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(left, buf.size()));
      if (!src_->Read(pos, buf.data(), n)) return kReadError;
      if (!WindowRoom(n)) return kNoMemory;
      crc = static_cast<uint32_t>(crc32(crc, buf.data(), static_cast<uInt>(n)));
      for (size_t i = 0; i < n; ++i) window_[(windowTotal_ + i) & (kWindowSize - 1)] = buf[i];
      windowTotal_ += n;
      if (!sink(buf.data(), n)) return kWriteError;
      pos += n;
      left -= n;
    }
  } else {
    code = Decode(e, sink, crc);
  }
  if (code != kOk) {
    if (solid_ && code != kWriteError) refused_ = code;
    return code;
  }
  return crc == e.crc ? kOk : kCrcError;
}

// Makes room in the window for n more bytes; false when memory runs out.
bool AceReader::WindowRoom(uint64_t n) {
  const uint64_t need = std::min<uint64_t>(windowTotal_ + n, kWindowSize);
  if (window_.size() >= need) return true;
  size_t size = std::max<size_t>(window_.size(), 64 * 1024);
  while (size < need) size *= 2;
  try {
    window_.resize(std::min(size, kWindowSize));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int AceReader::Decode(const Entry& e, const std::function<bool(const uint8_t*, size_t)>& sink,
                      uint32_t& crc) {
  if (!solid_) windowStart_ = windowTotal_;
  constexpr uint64_t kMask = kWindowSize - 1;
  BitReader in(*src_, e.dataPos, e.packedSize);
  Huffman mainTable, lengthTable;
  const int mainAlphabet = e.method == 2 ? 284 : 283;
  uint32_t history[4] = {0, 0, 0, 0};
  uint32_t blockLeft = 0;
  const uint64_t entryStart = windowTotal_;

  // Output waiting to be handed on; with method 2 the EXE mode of each byte beside it
  // (0 none, else variant + 1). The window keeps the bytes before any mode change.
  std::vector<uint8_t> pend, pendMode;
  uint64_t pendBase = 0;  // entry offset of pend[0]
  size_t scan = 0;        // pend index up to which the EXE pass is done
  uint8_t exeMode = 0;
  pend.reserve(kFlushAt + 512);

  auto exePass = [&](bool final) {
    while (scan < pend.size()) {
      uint8_t m = pendMode.empty() ? 0 : pendMode[scan];
      uint8_t b = pend[scan];
      if (m == 0 || (b != 0xE8 && b != 0xE9)) {
        ++scan;
        continue;
      }
      const size_t width = b == 0xE8 ? 4 : 2;
      if (scan + width >= pend.size()) {
        if (!final) return;  // wait for the bytes after the opcode
        ++scan;
        continue;
      }
      bool allExe = true;
      for (size_t k = 1; k <= width; ++k) allExe = allExe && pendMode[scan + k] != 0;
      if (!allExe) {
        ++scan;
        continue;
      }
      const uint32_t i = static_cast<uint32_t>(pendBase + scan);
      uint8_t* p = pend.data() + scan + 1;
      if (width == 4) {
        uint32_t v = Get32LE(p) - i;
        for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
      } else {
        uint16_t v = static_cast<uint16_t>(Get16LE(p) - i);
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
      }
      scan += width + 1;
    }
  };
  auto flush = [&](bool final) {
    exePass(final);
    size_t n = final ? pend.size() : scan;
    if (n == 0) return true;
    crc = static_cast<uint32_t>(crc32(crc, pend.data(), static_cast<uInt>(n)));
    if (!sink(pend.data(), n)) return false;
    pend.erase(pend.begin(), pend.begin() + static_cast<ptrdiff_t>(n));
    if (!pendMode.empty()) pendMode.erase(pendMode.begin(), pendMode.begin() + static_cast<ptrdiff_t>(n));
    pendBase += n;
    scan -= n;
    return true;
  };
  auto put = [&](uint8_t b) {
    window_[windowTotal_ & kMask] = b;
    ++windowTotal_;
    pend.push_back(b);
    if (e.method == 2) pendMode.push_back(exeMode);
  };

  while (windowTotal_ - entryStart < e.size) {
    if (in.Overrun() || in.ReadFailed()) return kReadError;
    if (blockLeft == 0) {
      if (!ReadTable(in, mainAlphabet, mainTable) || !ReadTable(in, 256, lengthTable))
        return kReadError;
      blockLeft = in.Bits(15);
      continue;
    }
    int s = mainTable.Decode(in);
    --blockLeft;
    if (s < 0) return kReadError;
    if (s < 256) {
      if (!WindowRoom(1)) return kNoMemory;
      put(static_cast<uint8_t>(s));
    } else if (s == 283) {
      switch (in.Bits(8)) {
        case 0: exeMode = 0; break;
        case 2: {
          uint32_t variant = in.Bits(8);
          if (variant != 1) return kMethod;
          exeMode = 2;
          break;
        }
        default: return kMethod;  // DELTA, SOUND and PIC modes
      }
    } else {
      uint32_t value;
      int length;
      if (s < 260) {
        const int slot = s - 256;
        value = history[slot];
        for (int k = slot; k > 0; --k) history[k] = history[k - 1];
        history[0] = value;
        int l = lengthTable.Decode(in);
        if (l < 0) return kReadError;
        length = l + (slot < 2 ? 2 : 3);
      } else {
        const int b = s - 260;
        value = b < 2 ? static_cast<uint32_t>(b) : in.Bits(b - 1) + (1u << (b - 1));
        int l = lengthTable.Decode(in);
        if (l < 0) return kReadError;
        length = l + (value <= 255 ? 2 : value <= 8191 ? 3 : 4);
        for (int k = 3; k > 0; --k) history[k] = history[k - 1];
        history[0] = value;
      }
      const uint64_t dist = uint64_t{value} + 1;
      if (dist > windowTotal_ - windowStart_ || dist > kWindowSize) return kReadError;
      if (windowTotal_ - entryStart + static_cast<uint64_t>(length) > e.size) return kReadError;
      if (!WindowRoom(static_cast<uint64_t>(length))) return kNoMemory;
      for (int k = 0; k < length; ++k) put(window_[(windowTotal_ - dist) & kMask]);
    }
    if (pend.size() >= kFlushAt && !flush(false)) return kWriteError;
  }
  if (!flush(true)) return kWriteError;
  return kOk;
}

}  // namespace plat
