#include "codecs/JpegPicture.h"

#include <QtEndian>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "codecs/PictureBound.h"
#include "platform/Files.h"

namespace codecs {

namespace {

// libjpeg reports errors here; the handlers jump back to the call in our code, which raises.
struct Context {
  jpeg_error_mgr err{};
  jpeg_progress_mgr progress{};
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = {};
  int scan = 0;       // the last scan counted in `work`
  uint64_t work = 0;  // of the scans so far, in coefficients
  uint64_t cost = 0;  // the same, arithmetic-coded ones counted at their cost
};

Context& ContextOf(j_common_ptr c) { return *reinterpret_cast<Context*>(c->err); }

[[noreturn]] void Fail(Context& ctx, const char* message) {
  std::snprintf(ctx.message, sizeof ctx.message, "%s", message);
  std::longjmp(ctx.jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr c) {
  Context& ctx = ContextOf(c);
  // Beyond the memory bound libjpeg would go to a backing store, which it does not have.
  if (c->err->msg_code == JERR_NO_BACKING_STORE || c->err->msg_code == JERR_OUT_OF_MEMORY)
    Fail(ctx, "Image too large to decode");
  (*c->err->format_message)(c, ctx.message);
  std::longjmp(ctx.jump, 1);
}

// Warnings let the picture be read (a cut file ends in grey), except scans that refine bits
// already refined: no encoder writes them, and each is a pass over the whole picture.
void EmitMessage(j_common_ptr c, int level) {
  if (level < 0 && c->err->msg_code == JWRN_BOGUS_PROGRESSION) ErrorExit(c);
}

void OutputMessage(j_common_ptr) {}

// Called before each row of a scan is read: a new scan is counted before its data.
void Progress(j_common_ptr c) {
  if (!c->is_decompressor) return;
  const auto d = reinterpret_cast<j_decompress_ptr>(c);
  Context& ctx = ContextOf(c);
  if (d->input_scan_number == ctx.scan) return;
  ctx.scan = d->input_scan_number;
  if (ctx.scan > kMaxJpegScans) {
    char message[64];
    std::snprintf(message, sizeof message, "More than %d scans", kMaxJpegScans);
    Fail(ctx, message);
  }
  uint64_t blocks = 0;
  for (int i = 0; i < d->num_components; ++i)
    blocks += uint64_t(d->comp_info[i].width_in_blocks) * d->comp_info[i].height_in_blocks;
  const uint64_t scanBlocks = uint64_t(d->MCUs_per_row) * d->MCU_rows_in_scan * d->blocks_in_MCU;
  const int band = d->progressive_mode ? d->Se - d->Ss + 1 : 64;
  const uint64_t work = scanBlocks * uint64_t(band + kJpegBlockCost);
  ctx.work += work;
  if (ctx.work > blocks * kMaxJpegWorkPerBlock) Fail(ctx, "Too many scans for the image size");
  ctx.cost += d->arith_code ? work * kJpegArithmeticCost : work;
  if (ctx.cost > MaxJpegWork)
    Fail(ctx, d->arith_code ? "Arithmetic-coded image too large to decode"
                            : "Image too large to decode");
}

// Everything up to the output size. Holds no object with a destructor across a libjpeg
// call, so the error jump skips nothing (the same for ReadRows).
bool ReadHeader(jpeg_decompress_struct& d, Context& ctx, const void* data, size_t size) {
  if (setjmp(ctx.jump)) return false;
  jpeg_mem_src(&d, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&d, TRUE);
  switch (d.jpeg_color_space) {
    case JCS_GRAYSCALE:
      d.out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      d.out_color_space = JCS_CMYK;
      break;
    default:
      // The bytes of a 32-bit bitmap's pixel, alpha set.
      d.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
      break;
  }
  jpeg_calc_output_dimensions(&d);
  return true;
}

// Decodes the rows into the bitmap; CMYK rows go through `cmyk` (a row of 4 bytes a pixel).
bool ReadRows(jpeg_decompress_struct& d, Context& ctx, uchar* bits, qsizetype bytesPerLine,
              uint8_t* cmyk) {
  if (setjmp(ctx.jump)) return false;
  jpeg_start_decompress(&d);
  while (d.output_scanline < d.output_height) {
    const JDIMENSION y = d.output_scanline;
    uchar* line = bits + qsizetype(y) * bytesPerLine;
    JSAMPROW row = cmyk ? cmyk : line;
    if (jpeg_read_scanlines(&d, &row, 1) != 1) break;
    if (!cmyk) continue;
    QRgb* out = reinterpret_cast<QRgb*>(line);
    const uint8_t* in = cmyk;
    for (JDIMENSION x = 0; x < d.output_width; ++x, in += 4) {
      const int k = in[3];
      out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
    }
  }
  jpeg_finish_decompress(&d);
  return true;
}

// Owns the decompressor for the calls above.
struct Decompressor {
  jpeg_decompress_struct d{};
  Context ctx;
  bool created = false;
  Decompressor() = default;
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&d);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

bool Create(Decompressor& j) {
  j.d.err = jpeg_std_error(&j.ctx.err);
  j.ctx.err.error_exit = ErrorExit;
  j.ctx.err.emit_message = EmitMessage;
  j.ctx.err.output_message = OutputMessage;
  if (setjmp(j.ctx.jump)) return false;
  j.created = true;
  jpeg_create_decompress(&j.d);
  j.ctx.progress.progress_monitor = Progress;
  j.d.progress = &j.ctx.progress;
  return true;
}

}  // namespace

QImage DecodeJpeg(const void* data, size_t size) {
  Decompressor j;
  if (!Create(j) || !ReadHeader(j.d, j.ctx, data, size)) throw EJpegError(j.ctx.message);
  const bool grey = j.d.out_color_space == JCS_GRAYSCALE;
  if (!PictureFits(j.d.output_width, j.d.output_height, grey ? 1 : 4))
    throw EJpegError("Image too large");
  // libjpeg has what the file and the picture leave of the bound (rows of 4-byte multiples).
  const uint64_t width = j.d.output_width;
  const uint64_t taken = size + (grey ? (width + 3) & ~uint64_t(3) : width * 4) * j.d.output_height;
  if (taken >= MaxJpegMemory) throw EJpegError("Image too large to decode");
  j.d.mem->max_memory_to_use = long(MaxJpegMemory - taken);
  QImage image(int(j.d.output_width), int(j.d.output_height),
               grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
  if (image.isNull()) throw EJpegError("Out of memory");
  std::vector<uint8_t> cmyk(j.d.out_color_space == JCS_CMYK ? size_t(j.d.output_width) * 4 : 0);
  if (!ReadRows(j.d, j.ctx, image.bits(), image.bytesPerLine(), cmyk.empty() ? nullptr : cmyk.data()))
    throw EJpegError(j.ctx.message);
  return image;
}

void TJpegPicture::LoadFromFile(const std::string& fileName) {
  std::string data, error;
  if (!plat::ReadRegularFile(fileName, data, kMaxPictureFileSize, &error))
    throw EJpegError("Cannot open file \"" + fileName + "\". " + error);
  image_ = DecodeJpeg(data.data(), data.size());
}

}  // namespace codecs
