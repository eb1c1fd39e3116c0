#include "codecs/GifLzw.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace gif {

namespace {

// Bits of the data sub-blocks, least significant first; refills across as many sub-blocks
// as a code needs, however short they are.
class BitSource {
 public:
  BitSource(TByteReader& in, const TGIFWarning& warning) : in_(in), warning_(warning) {}

  // Next code of n bits, or -1 when the data has run out.
  int Get(int n) {
    while (bits_ < n) {
      if (left_ == 0 && !NextBlock()) {
        if (!underrunWarned_) {
          underrunWarned_ = true;
          if (warning_) warning_(gsWarning, "Decoder bit buffer under-run");
        }
        return -1;
      }
      // Take up to three bytes at once while the sub-block has them.
      while (bits_ <= 24 && left_ > 0) {
        buffer_ |= uint32_t(*block_++) << bits_;
        bits_ += 8;
        --left_;
      }
    }
    int code = int(buffer_ & ((1u << n) - 1));
    buffer_ >>= n;
    bits_ -= n;
    return code;
  }

  // Skips what is left of the data up to and including the terminator.
  void SkipRest() {
    if (!ended_) in_.SkipSubBlocks();
    ended_ = true;
  }

 private:
  bool NextBlock() {
    while (!ended_) {
      int size = in_.ReadByte();
      if (size <= 0) {
        ended_ = true;  // terminator seen, or no data at all
        return false;
      }
      size_t n = size_t(size);
      if (n > in_.Left()) {
        if (warning_) warning_(gsWarning, "Premature end of data");
        n = in_.Left();
      }
      block_ = in_.Here();
      in_.Skip(n);
      left_ = n;
      if (n > 0) return true;
    }
    return false;
  }

  TByteReader& in_;
  const TGIFWarning& warning_;
  const uint8_t* block_ = nullptr;
  size_t left_ = 0;
  uint32_t buffer_ = 0;
  int bits_ = 0;
  bool ended_ = false;
  bool underrunWarned_ = false;
};

// Where decoded pixels go: in order, or by the four interlace passes.
class PixelSink {
 public:
  PixelSink(uint8_t* pixels, int width, int height, bool interlaced)
      : pixels_(pixels), width_(width), height_(height), interlaced_(interlaced) {
    if (width <= 0 || height <= 0) {
      done_ = true;
      return;
    }
    if (!interlaced) {
      out_ = pixels;
      end_ = pixels + size_t(width) * size_t(height);
    } else {
      out_ = pixels;
      end_ = pixels + width;
    }
  }
  bool Done() const { return done_; }

  // Writes a string given in reverse (stack order: last pixel first).
  void PutReversed(const uint8_t* stack, int count) {
    while (count > 0 && !done_) {
      size_t room = size_t(end_ - out_);
      size_t n = std::min(size_t(count), room);
      for (size_t i = 0; i < n; ++i) *out_++ = stack[--count];
      if (out_ == end_) NextRow();
    }
  }

 private:
  void NextRow() {
    if (!interlaced_) {
      done_ = true;
      return;
    }
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    row_ += kStep[pass_];
    while (row_ >= height_) {  // a pass may hold no row at all in a short frame
      if (++pass_ > 3) {
        done_ = true;
        return;
      }
      row_ = kStart[pass_];
    }
    out_ = pixels_ + size_t(row_) * size_t(width_);
    end_ = out_ + width_;
  }

  uint8_t* pixels_;
  int width_, height_;
  bool interlaced_;
  uint8_t* out_ = nullptr;
  uint8_t* end_ = nullptr;
  int row_ = 0, pass_ = 0;
  bool done_ = false;
};

}  // namespace

int DecodeFrame(TByteReader& in, uint8_t* pixels, int width, int height, bool interlaced,
                const TGIFWarning& warning) {
  const int initial = in.ReadByte();
  if (initial < 0) return 0;
  if (initial < 1 || initial > 11) {
    in.SkipSubBlocks();
    throw GIFException("Invalid GIF data");
  }
  struct Tables {
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];
  };
  auto t = std::make_unique<Tables>();
  const int clear = 1 << initial, end = clear + 1;
  for (int i = 0; i < clear; ++i) {
    t->prefix[i] = 0;
    t->suffix[i] = uint8_t(i);
  }
  int codeSize = initial + 1, limit = clear * 2, next = clear + 2;
  int prev = -1, first = 0;
  BitSource bits(in, warning);
  PixelSink sink(pixels, width, height, interlaced);

  while (!sink.Done()) {
    int code = bits.Get(codeSize);
    if (code < 0) break;
    if (code == clear) {
      codeSize = initial + 1;
      limit = clear * 2;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == end) break;
    if (prev < 0) {
      // The first code after a clear must be a single pixel.
      if (code > clear) throw GIFException("Invalid GIF data");
      first = prev = code;
      t->stack[0] = uint8_t(code);
      sink.PutReversed(t->stack, 1);
      continue;
    }
    // A code beyond the next free one cannot have been built: the data is corrupt.
    if (code > next || (code == next && next >= 4096)) throw GIFException("Invalid GIF data");
    const int incoming = code;
    int sp = 0;
    if (code == next) {
      t->stack[sp++] = uint8_t(first);
      code = prev;
    }
    // Every entry's prefix is below the entry itself, so chains end within the table.
    while (code > end) {
      t->stack[sp++] = t->suffix[code];
      code = t->prefix[code];
    }
    first = t->suffix[code];
    t->stack[sp++] = uint8_t(first);
    if (next < 4096) {
      t->prefix[next] = uint16_t(prev);
      t->suffix[next] = uint8_t(first);
      ++next;
      if (next == limit && limit < 4096) {
        limit *= 2;
        ++codeSize;
      }
    }
    prev = incoming;
    sink.PutReversed(t->stack, sp);
  }
  // Whatever follows the frame's pixels (the end code, surplus codes) is skipped.
  bits.SkipRest();
  return initial;
}

void TGIFWriter::FlushBlock() {
  buf_[0] = uint8_t(pos_ - 1);
  dest_.append(reinterpret_cast<const char*>(buf_), pos_);
  pos_ = 1;
}

void TGIFWriter::Write(const uint8_t* p, size_t n) {
  while (n > 0) {
    size_t k = std::min(n, size_t(256) - pos_);
    std::memcpy(buf_ + pos_, p, k);
    pos_ += k;
    p += k;
    n -= k;
    if (pos_ == 256) FlushBlock();
  }
}

// ---- Encoders ----

void TGIFEncoder::Encode(std::string& dest, int bitsPerPixel, int colorCount, int width, int height,
                         bool interlaced, const uint8_t* data) {
  bitsPerPixel_ = std::clamp(bitsPerPixel, 2, 8);
  colorCount_ = colorCount;
  width_ = width;
  height_ = height;
  interlaced_ = interlaced;
  data_ = data;
  dest.push_back(char(bitsPerPixel_));
  initCodeSize_ = bitsPerPixel_ + 1;
  codeSize_ = initCodeSize_;
  maxCode_ = (1 << codeSize_) - 1;
  clearCode_ = 1 << bitsPerPixel_;
  endCode_ = clearCode_ + 1;
  baseCode_ = clearCode_ + 2;
  accumulator_ = 0;
  accBits_ = 0;
  clearPending_ = false;
  cur_ = data;
  left_ = interlaced ? int64_t(width) : int64_t(width) * height;
  row_ = 0;
  pass_ = 0;
  TGIFWriter writer(dest);
  writer_ = &writer;
  if (data && width >= 1 && height >= 1) Compress();
  Output(endCode_);
  if (accBits_ > 0) writer.WriteByte(uint8_t(accumulator_));
  accumulator_ = 0;
  accBits_ = 0;
  writer.Finish();
  writer_ = nullptr;
  dest.push_back('\0');
}

void TGIFEncoder::Output(int code) {
  accumulator_ |= uint32_t(code) << accBits_;
  accBits_ += codeSize_;
  while (accBits_ >= 8) {
    writer_->WriteByte(uint8_t(accumulator_));
    accumulator_ >>= 8;
    accBits_ -= 8;
  }
}

void TGIFEncoder::Clear() {
  clearPending_ = true;
  Output(clearCode_);
}

bool TGIFEncoder::Advance() {
  if (--left_ > 0) {
    ++cur_;
    return true;
  }
  if (!interlaced_) return false;
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  row_ += kStep[pass_];
  while (row_ >= height_) {
    if (++pass_ > 3) return false;
    row_ = kStart[pass_];
  }
  cur_ = data_ + size_t(row_) * size_t(width_);
  left_ = width_;
  return true;
}

void TLZWEncoder::Output(int code) {
  TGIFEncoder::Output(code);
  if (nextCode_ > maxCode_ || clearPending_) {
    if (clearPending_) {
      codeSize_ = initCodeSize_;
      maxCode_ = (1 << codeSize_) - 1;
      clearPending_ = false;
    } else {
      ++codeSize_;
      maxCode_ = codeSize_ >= 12 ? 4096 : (1 << codeSize_) - 1;
      if (codeSize_ > 12) codeSize_ = 12;
    }
  }
}

void TLZWEncoder::Clear() {
  TGIFEncoder::Clear();
  std::fill(hash_, hash_ + kHashSize, 0xFFFFFFFFu);
  nextCode_ = clearCode_ + 2;
}

void TLZWEncoder::Compress() {
  std::vector<uint32_t> table(kHashSize);
  hash_ = table.data();
  nextCode_ = clearCode_ + 2;
  Clear();
  int prefix = Pixel();
  while (Advance()) {
    const int c = Pixel();
    const uint32_t key = (uint32_t(prefix) << 8) | uint32_t(c);
    int h = int(((key >> 4) ^ key) % kHashSize);
    // A fixed displacement visits every slot of the prime-sized table.
    const int disp = h == 0 ? 1 : kHashSize - h;
    int found = -1;
    while (hash_[h] != 0xFFFFFFFFu) {
      if ((hash_[h] >> 12) == key) {
        found = int(hash_[h] & 0xFFF);
        break;
      }
      h -= disp;
      if (h < 0) h += kHashSize;
    }
    if (found >= 0) {
      prefix = found;
      continue;
    }
    Output(prefix);
    prefix = c;
    if (nextCode_ >= 4095) {
      Clear();
    } else {
      hash_[h] = (key << 12) | uint32_t(nextCode_);
      ++nextCode_;
    }
  }
  Output(prefix);
  hash_ = nullptr;
}

void TRLEEncoder::Clear() {
  outBump_ = outBumpInit_;
  outClear_ = outClearInit_;
  outCount_ = 0;
  tableMax_ = 0;
  TGIFEncoder::Clear();
  codeSize_ = initCodeSize_;
}

void TRLEEncoder::OutputPlain(int code) {
  clearPending_ = false;
  Output(code);
  ++outCount_;
  if (outCount_ >= outBump_) {
    ++codeSize_;
    outBump_ += 1 << (codeSize_ - 1);
  }
  if (outCount_ >= outClear_) Clear();
}

int TRLEEncoder::TriangleCost(int n) const {
  const int r = maxOCodes_;
  const int64_t full = int64_t(r) * (r + 1) / 2;
  int cost = 0;
  while (n >= full) {
    cost += r;
    n -= int(full);
  }
  if (n > 0) {
    int k = 0;
    while (int64_t(k) * (k + 1) < 2 * int64_t(n)) ++k;
    cost += k;
  }
  return cost;
}

void TRLEEncoder::ResetOutClear() {
  outClear_ = outClearInit_;
  if (outCount_ >= outClear_) Clear();
}

void TRLEEncoder::FlushFromClear(int n) {
  outClear_ = maxOCodes_;
  tablePixel_ = runPixel_;
  int k = 1;
  while (n > 0) {
    if (k == 1) {
      tableMax_ = 1;
      OutputPlain(runPixel_);
      n -= 1;
    } else if (k <= n) {
      tableMax_ = k;
      OutputPlain(baseCode_ + k - 2);
      n -= k;
    } else {
      ++tableMax_;
      OutputPlain(n == 1 ? runPixel_ : baseCode_ + n - 2);
      n = 0;
      break;
    }
    k = outCount_ == 0 ? 1 : k + 1;
  }
  ResetOutClear();
}

void TRLEEncoder::FlushClearOrRepeat(int n) {
  if (n > 1 + TriangleCost(n)) {
    Clear();
    FlushFromClear(n);
  } else {
    for (int i = 0; i < n; ++i) OutputPlain(runPixel_);
  }
}

void TRLEEncoder::FlushWithTable(int n) {
  int repeats = n / tableMax_;
  int leftover = n % tableMax_;
  int leftCost = leftover > 0 ? 1 : 0;
  if (outCount_ + repeats + leftCost > maxOCodes_) {
    repeats = maxOCodes_ - outCount_;
    leftover = n - repeats * tableMax_;
    leftCost = 1 + TriangleCost(leftover);
  }
  if (1 + TriangleCost(n) < repeats + leftCost) {
    Clear();
    FlushFromClear(n);
    return;
  }
  outClear_ = maxOCodes_;
  for (int i = 0; i < repeats; ++i) OutputPlain(baseCode_ + tableMax_ - 2);
  if (leftover > 0) {
    if (clearPending_)
      FlushFromClear(leftover);
    else if (leftover == 1)
      OutputPlain(runPixel_);
    else
      OutputPlain(baseCode_ + leftover - 2);
  }
  ResetOutClear();
}

void TRLEEncoder::FlushRun(int n) {
  if (n == 1)
    OutputPlain(runPixel_);
  else if (clearPending_)
    FlushFromClear(n);
  else if (tableMax_ < 2 || tablePixel_ != runPixel_)
    FlushClearOrRepeat(n);
  else
    FlushWithTable(n);
}

void TRLEEncoder::Compress() {
  outBumpInit_ = clearCode_ - 1;
  outClearInit_ = bitsPerPixel_ > 3 ? clearCode_ - 2 : 9;
  maxOCodes_ = 4095 - baseCode_;
  Clear();
  runPixel_ = -1;
  runCount_ = 0;
  do {
    const int c = Pixel();
    if (runCount_ > 0 && c != runPixel_) {
      FlushRun(runCount_);
      runCount_ = 0;
    }
    if (c == runPixel_) {
      ++runCount_;
    } else {
      runPixel_ = c;
      runCount_ = 1;
    }
  } while (Advance());
  if (runCount_ > 0) FlushRun(runCount_);
}

void EncodeFrame(std::string& dest, int compression, int bitsPerPixel, int colorCount, int width,
                 int height, bool interlaced, const uint8_t* data, const TGIFWarning& warning) {
  std::unique_ptr<TGIFEncoder> e;
  if (compression == 1)
    e = std::make_unique<TRLEEncoder>();
  else
    e = std::make_unique<TLZWEncoder>();
  e->OnWarning = warning;
  e->Encode(dest, bitsPerPixel, colorCount, width, height, interlaced, data);
}

}  // namespace gif
