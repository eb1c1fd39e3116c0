// GIF LZW coding: the byte reader the GIF classes read from, the frame decoder, the
// sub-block writer and the two encoders (true LZW and run-length).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

namespace gif {

class GIFException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum TGIFSeverity { gsInfo, gsWarning, gsError };
using TGIFWarning = std::function<void(TGIFSeverity, const std::string&)>;

// Most pixels of a frame, and of all frames together (the fuzz target lowers it); the
// logical screen is held to the picture bound (PictureBound.h).
inline uint64_t MaxPixels = uint64_t(1) << 26;

// Reads a GIF held in memory; reads past the end return fewer bytes.
class TByteReader {
 public:
  TByteReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t Read(void* dst, size_t n) {
    n = std::min(n, size_ - pos_);
    if (n == 0) return 0;
    std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
    return n;
  }
  int ReadByte() { return pos_ < size_ ? data_[pos_++] : -1; }
  // Fixed-size read: raises "Premature end of data" when fewer bytes are there.
  void ReadExact(void* dst, size_t n) {
    if (Read(dst, n) != n) throw GIFException("Premature end of data");
  }
  size_t Position() const { return pos_; }
  void Seek(size_t p) { pos_ = std::min(p, size_); }
  void Skip(size_t n) { pos_ += std::min(n, size_ - pos_); }
  void Back(size_t n) { pos_ -= std::min(n, pos_); }
  size_t Size() const { return size_; }
  size_t Left() const { return size_ - pos_; }
  const uint8_t* Here() const { return data_ + pos_; }
  // Skips data sub-blocks up to and including the zero terminator (or the end).
  void SkipSubBlocks() {
    for (int n; (n = ReadByte()) > 0;) Skip(size_t(n));
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Upper bound of the pixels LZW data of `bytes` bytes can produce.
// (A code of at most 12 bits gives at most 4096 pixels.)
inline uint64_t MaxPixelsFromBytes(size_t bytes) { return uint64_t(bytes) * 8 / 12 * 4096 + 4096; }

// Decodes one frame's image data (the code size byte, the sub-blocks and their terminator)
// into `pixels` (width x height, filled by the caller). Leaves the reader after the
// terminator. Returns the minimum code size read (0 when none was there). Raises
// GIFException "Invalid GIF data" for a code size outside 1..11 or an impossible code.
int DecodeFrame(TByteReader& in, uint8_t* pixels, int width, int height, bool interlaced,
                const TGIFWarning& warning);

// Buffered writer of data sub-blocks of at most 255 bytes.
class TGIFWriter {
 public:
  explicit TGIFWriter(std::string& dest) : dest_(dest) {}
  ~TGIFWriter() { Finish(); }
  void Write(const uint8_t* p, size_t n);
  void WriteByte(uint8_t b) {
    buf_[pos_++] = b;
    if (pos_ == 256) FlushBlock();
  }
  // Writes the last, shorter sub-block (never an empty one).
  void Finish() {
    if (pos_ > 1) FlushBlock();
  }

 private:
  void FlushBlock();
  std::string& dest_;
  uint8_t buf_[256];
  size_t pos_ = 1;
};

// Encodes a frame's pixels: the code size byte, sub-blocks and the terminator.
class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;
  // Raises GIFException "Color not in color table" for a pixel not below colorCount.
  void Encode(std::string& dest, int bitsPerPixel, int colorCount, int width, int height,
              bool interlaced, const uint8_t* data);
  TGIFWarning OnWarning;

 protected:
  virtual void Output(int code);
  virtual void Clear();
  virtual void Compress() = 0;
  // The pixel at the cursor, checked against the colour count.
  int Pixel() const {
    int c = *cur_;
    if (c >= colorCount_) throw GIFException("Color not in color table");
    return c;
  }
  // Moves the cursor on; false once the frame is done.
  bool Advance();

  int colorCount_ = 0, bitsPerPixel_ = 0, width_ = 0, height_ = 0;
  bool interlaced_ = false;
  const uint8_t* data_ = nullptr;
  TGIFWriter* writer_ = nullptr;
  uint32_t accumulator_ = 0;
  int accBits_ = 0;
  bool clearPending_ = false;
  int codeSize_ = 0, initCodeSize_ = 0, maxCode_ = 0, clearCode_ = 0, endCode_ = 0, baseCode_ = 0;
  const uint8_t* cur_ = nullptr;
  int64_t left_ = 0;
  int row_ = 0, pass_ = 0;
};

class TLZWEncoder : public TGIFEncoder {
 protected:
  void Output(int code) override;
  void Clear() override;
  void Compress() override;

 private:
  static constexpr int kHashSize = 8009;
  uint32_t* hash_ = nullptr;
  int nextCode_ = 0;
};

class TRLEEncoder : public TGIFEncoder {
 protected:
  void Clear() override;
  void Compress() override;

 private:
  void OutputPlain(int code);
  int TriangleCost(int n) const;
  void FlushFromClear(int n);
  void FlushClearOrRepeat(int n);
  void FlushWithTable(int n);
  void FlushRun(int n);
  void ResetOutClear();
  int runPixel_ = -1, runCount_ = 0, tablePixel_ = 0, tableMax_ = 0;
  int outCount_ = 0, outBump_ = 0, outBumpInit_ = 0, outClear_ = 0, outClearInit_ = 0,
      maxOCodes_ = 0;
};

// The encoder of a compression method: 1 = run-length, anything else = LZW.
void EncodeFrame(std::string& dest, int compression, int bitsPerPixel, int colorCount, int width,
                 int height, bool interlaced, const uint8_t* data, const TGIFWarning& warning = {});

}  // namespace gif
