#include "codecs/PngImage.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/PictureBound.h"
#include "codecs/pngdef.h"
#include "platform/Files.h"

namespace pngimage {

namespace {

// libpng reports errors here; the handler jumps back to the call in our code, which raises.
struct Context {
  const uint8_t* data = nullptr;
  size_t size = 0, pos = 0;
  std::string* out = nullptr;
  unsigned longText = 0;  // text chunk kinds to skip
  char message[256] = {};
};

void ErrorFn(png_structp png, png_const_charp msg) {
  auto* ctx = static_cast<Context*>(png_get_error_ptr(png));
  std::snprintf(ctx->message, sizeof ctx->message, "%s", msg ? msg : "PNG error");
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

// Reads exactly the requested count; any size is served.
void ReadFn(png_structp png, png_bytep dst, size_t n) {
  auto* ctx = static_cast<Context*>(png_get_io_ptr(png));
  if (n > ctx->size - ctx->pos) png_error(png, "Stream read error");
  if (n == 0) return;
  std::memcpy(dst, ctx->data + ctx->pos, n);
  ctx->pos += n;
}

void WriteFn(png_structp png, png_bytep src, size_t n) {
  auto* ctx = static_cast<Context*>(png_get_io_ptr(png));
  try {
    ctx->out->append(reinterpret_cast<const char*>(src), n);
  } catch (const std::bad_alloc&) {
    png_error(png, "Out of memory");
  }
}

void FlushFn(png_structp) {}

// What one read produces; it replaces the picture's fields only when the read succeeds.
struct Decoded {
  int BitDepth = 0, BytesPerPixel = 0, ColorType = 0;
  uint32_t Width = 0, Height = 0;
  int InterlaceMethod = 0, CompressionMethod = 0, FilterMethod = 0;
  std::vector<uint8_t> Pixels;
  std::vector<uint8_t*> RowPointers;
  std::string Description, Title, Author;
  std::vector<std::string> Text;
  double Time = 0;
};

// Text kept over all chunks; the rest is dropped.
constexpr size_t MaxTextBytes = 1 << 20;

void ReadText(png_structp png, png_infop info, Decoded& img) {
  png_textp text = nullptr;
  int count = 0;
  png_get_text(png, info, &text, &count);
  img.Text.clear();
  size_t total = 0;
  for (int i = 0; i < count && total < MaxTextBytes; ++i) {
    std::string key = text[i].key ? text[i].key : "";
    // International text gives its length apart.
    const size_t length = text[i].compression >= PNG_ITXT_COMPRESSION_NONE ? text[i].itxt_length
                                                                            : text[i].text_length;
    std::string value =
        text[i].text ? std::string(text[i].text, std::min(length, MaxTextBytes - total)) : "";
    total += key.size() + value.size();
    img.Text.push_back(key + "=" + value);
    if (plat::SameText(key, "Title"))
      img.Title = value;
    else if (plat::SameText(key, "Author"))
      img.Author = value;
    else if (plat::SameText(key, "Description"))
      img.Description = value;
  }
}

constexpr char kTextChunks[3][5] = {"tEXt", "zTXt", "iTXt"};

// libpng takes memory for a chunk's declared length before reading it: a chunk longer than
// the data left makes the file unreadable (false), and the kinds of text chunk (bits 0 to 2,
// as kTextChunks) that have one beyond the text cap are skipped.
bool ChunksFit(const uint8_t* data, size_t size, unsigned& longText) {
  for (size_t pos = 8; pos + 8 <= size;) {
    const uint32_t length = uint32_t(data[pos]) << 24 | uint32_t(data[pos + 1]) << 16 |
                            uint32_t(data[pos + 2]) << 8 | data[pos + 3];
    if (length > size - pos - 8) return false;
    const uint8_t* type = data + pos + 4;
    if (std::memcmp(type, "IEND", 4) == 0) break;
    for (unsigned k = 0; k < 3; ++k)
      if (length > MaxTextBytes && std::memcmp(type, kTextChunks[k], 4) == 0) longText |= 1u << k;
    pos += size_t(length) + 12;
  }
  return true;
}

// Deflate codes at most 1032 bytes per byte: compressed data that cannot hold the rows is
// refused before the rows are allocated.
bool DataCanHold(const Context& ctx, uint64_t w, uint64_t h, int depth, int channels) {
  const uint64_t bytes = h * (w * uint64_t(depth) * uint64_t(channels) / 8);
  return bytes <= uint64_t(ctx.size - ctx.pos) * 1032 + 1032;
}

// Everything between the structures' creation and destruction. Holds no object with a
// destructor across a libpng call, so the error jump skips nothing.
bool ReadCore(png_structp png, png_infop info, Context& ctx, Decoded& img) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, 1000000, 1000000);
  png_set_chunk_malloc_max(png, 1 << 20);
  png_set_chunk_cache_max(png, 64);
  for (unsigned k = 0; k < 3; ++k)
    if (ctx.longText & (1u << k))
      png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER,
                                  reinterpret_cast<png_const_bytep>(kTextChunks[k]), 1);
  png_set_sig_bytes(png, 4);
  png_set_read_fn(png, &ctx, ReadFn);
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, colorType = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, &compression, &filter);
  img.InterlaceMethod = interlace;
  img.CompressionMethod = compression;
  img.FilterMethod = filter;
  // The rows decoded take at most 4 bytes a pixel.
  if (!codecs::PictureFits(w, h)) {
    std::snprintf(ctx.message, sizeof ctx.message, "Image too large");
    return false;
  }
  if (!DataCanHold(ctx, w, h, depth, png_get_channels(png, info))) {
    std::snprintf(ctx.message, sizeof ctx.message, "Image data too short for its size");
    return false;
  }
  // Only rows of 3 or 4 bytes per pixel leave here: red, green, blue and inverted alpha.
  png_set_invert_alpha(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE || (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) ||
      png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_expand(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, &compression, &filter);
  img.Width = w;
  img.Height = h;
  img.BitDepth = depth;
  img.ColorType = colorType;
  const size_t rowBytes = png_get_rowbytes(png, info);
  img.BytesPerPixel = w ? int(rowBytes / w) : 0;
  if (img.BytesPerPixel != 3 && img.BytesPerPixel != 4) {
    std::snprintf(ctx.message, sizeof ctx.message, "Unsupported PNG pixel layout");
    return false;
  }
  try {
    img.Pixels.resize(size_t(h) * rowBytes);
    img.RowPointers.resize(h);
  } catch (const std::bad_alloc&) {
    std::snprintf(ctx.message, sizeof ctx.message, "Out of memory");
    return false;
  }
  for (png_uint_32 i = 0; i < h; ++i) img.RowPointers[i] = img.Pixels.data() + size_t(i) * rowBytes;
  png_read_image(png, img.RowPointers.data());
  png_read_end(png, info);  // text chunks after the image data are read too
  ReadText(png, info, img);
  png_timep t = nullptr;
  if (png_get_tIME(png, info, &t) && t)
    img.Time = EncodeDateTime(t->year, t->month, t->day, t->hour, t->minute, t->second);
  return true;
}

bool WriteCore(png_structp png, png_infop info, Context& ctx, TPngImage& img, png_text* texts,
               int textCount, png_time* now) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &ctx, WriteFn, FlushFn);
  png_set_IHDR(png, info, img.Width, img.Height, img.BitDepth, img.ColorType, img.InterlaceMethod,
               img.CompressionMethod, img.FilterMethod);
  if (textCount > 0) png_set_text(png, info, texts, textCount);
  png_write_info(png, info);
  png_set_compression_level(png, 9);
  png_set_filter(png, 0, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
  if (!img.Pixels.empty() && img.RowPointers.size() == img.Height) {
    // The rows hold inverted alpha: the file holds it the right way round.
    png_set_invert_alpha(png);
    if (img.BitDepth == 16) png_set_swap(png);
    png_write_image(png, img.RowPointers.data());
    png_set_tIME(png, info, now);
    png_write_end(png, info);
  }
  return true;
}

}  // namespace

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  const QDate d(year, month, day);
  if (!d.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 60)
    return 0;
  const double days = double(d.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
  const double time = (hour * 3600.0 + minute * 60.0 + std::min(second, 59)) / 86400.0;
  return days >= 0 ? days + time : days - time;
}

TPngImage::TPngImage() = default;

void TPngImage::Release() {
  if (--refCount_ < 1) delete this;
}

void TPngImage::LoadFromFile(const std::string& fileName) {
  std::string data, error;
  if (!plat::ReadRegularFile(fileName, data, codecs::kMaxPictureFileSize, &error))
    throw EPngError("Cannot open file \"" + fileName + "\". " + error);
  LoadFromStream(data);
}

void TPngImage::LoadFromStream(const void* data, size_t size) {
  pngdef::CheckLibrary();
  if (size < 4) throw EPngError("Stream read error");
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 4) != 0)
    throw EPngError("Is not a valid PNG !");
  Context ctx;
  ctx.data = static_cast<const uint8_t*>(data);
  ctx.size = size;
  ctx.pos = 4;
  if (!ChunksFit(ctx.data, size, ctx.longText)) throw EPngError("Stream read error");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, ErrorFn, WarningFn);
  if (!png) return;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw EPngError("Failed to Create info struct");
  }
  Decoded d;
  const bool ok = ReadCore(png, info, ctx, d);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) throw EPngError(ctx.message);
  // A failed read leaves the previous picture whole.
  BitDepth = d.BitDepth;
  BytesPerPixel = d.BytesPerPixel;
  ColorType = d.ColorType;
  Width = d.Width;
  Height = d.Height;
  InterlaceMethod = d.InterlaceMethod;
  CompressionMethod = d.CompressionMethod;
  FilterMethod = d.FilterMethod;
  Pixels = std::move(d.Pixels);
  RowPointers = std::move(d.RowPointers);
  Description = std::move(d.Description);
  Title = std::move(d.Title);
  Author = std::move(d.Author);
  Text = std::move(d.Text);
  Time = d.Time;
}

void TPngImage::SaveToStream(std::string& out) {
  Context ctx;
  ctx.out = &out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, ErrorFn, WarningFn);
  if (!png) return;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw EPngError("Failed to Create info struct");
  }
  png_text texts[3] = {};
  std::string keys[3] = {"Author", "Title", "Description"};
  std::string values[3] = {Author, Title, Description};
  int textCount = 0;
  if (!Author.empty() || !Title.empty() || !Description.empty()) {
    for (int i = 0; i < 3; ++i) {
      texts[i].compression = i < 2 ? PNG_TEXT_COMPRESSION_NONE : PNG_TEXT_COMPRESSION_zTXt;
      texts[i].key = keys[i].data();
      texts[i].text = values[i].data();
      texts[i].text_length = values[i].size();
    }
    textCount = 3;
  }
  const QDateTime local = QDateTime::currentDateTime();
  png_time now{};
  now.year = png_uint_16(local.date().year());
  now.month = png_byte(local.date().month());
  now.day = png_byte(local.date().day());
  now.hour = png_byte(local.time().hour());
  now.minute = png_byte(local.time().minute());
  now.second = png_byte(local.time().second());
  const bool ok = WriteCore(png, info, ctx, *this, texts, textCount, &now);
  png_destroy_write_struct(&png, &info);
  if (!ok) throw EPngError(ctx.message);
}

void TPngImage::SaveToFile(const std::string& fileName) {
  std::string data, error;
  SaveToStream(data);
  if (!plat::WriteFileAtomic(fileName, data, &error)) throw EPngError(error);
}

void TPngImage::CopyToBitmap(QImage& bitmap, int x, int y) const {
  if (Height >= 0x80000000u) throw EPngError("Image too high");
  if (Width >= 0x80000000u) throw EPngError("Image too wide");
  x = std::max(x, 0);
  y = std::max(y, 0);
  const int64_t needH = std::max<int64_t>(bitmap.height(), int64_t(y) + Height);
  const int64_t needW = std::max<int64_t>(bitmap.width(), int64_t(x) + Width);
  if (needW > 0x7FFFFFFF || needH > 0x7FFFFFFF) throw EPngError("Image too wide");
  if (needH > bitmap.height() || needW > bitmap.width() ||
      bitmap.format() != QImage::Format_RGB888) {
    QImage grown(int(needW), int(needH), QImage::Format_RGB888);
    if (grown.isNull()) throw EPngError("Out of memory");
    grown.fill(Qt::white);
    if (!bitmap.isNull()) {
      const QImage old = bitmap.convertToFormat(QImage::Format_RGB888);
      for (int r = 0; r < old.height(); ++r)
        std::memcpy(grown.scanLine(r), old.constScanLine(r), size_t(old.width()) * 3);
    }
    bitmap = std::move(grown);
  }
  if (Pixels.empty() || (BytesPerPixel != 3 && BytesPerPixel != 4)) return;
  const size_t rowBytes = size_t(Width) * size_t(BytesPerPixel);
  for (uint32_t r = 0; r < Height; ++r) {
    const uint8_t* s = Pixels.data() + size_t(r) * rowBytes;
    uint8_t* d = bitmap.scanLine(int(y + int64_t(r))) + size_t(x) * 3;
    if (BytesPerPixel == 3) {
      std::memcpy(d, s, rowBytes);
      continue;
    }
    for (uint32_t c = 0; c < Width; ++c, s += 4, d += 3) {
      const unsigned a = s[3];
      if (a == 0) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      } else if (a < 255) {
        for (int k = 0; k < 3; ++k) d[k] = uint8_t((d[k] * a + (255 - a) * s[k]) / 255);
      }
    }
  }
}

// ---- TPngGraphic ----

TPngGraphic::TPngGraphic() : image_(new TPngImage) {}

TPngGraphic::~TPngGraphic() {
  if (image_) image_->Release();
}

void TPngGraphic::Assign(const TPngGraphic& source) {
  if (&source == this || source.image_ == image_) return;
  if (image_) image_->Release();
  image_ = source.image_;
  if (image_) image_->AddRef();
}

void TPngGraphic::SetWidth(int) { throw EPngError("Cannot set width on a TPngGraphic"); }
void TPngGraphic::SetHeight(int) { throw EPngError("Cannot set height on a TPngGraphic"); }

void TPngGraphic::LoadFromFile(const std::string& fileName) {
  if (!image_) image_ = new TPngImage;
  image_->LoadFromFile(fileName);
}

void TPngGraphic::SaveToFile(const std::string& fileName) {
  if (image_) image_->SaveToFile(fileName);
}

void TPngGraphic::LoadFromStream(const std::string& data) {
  if (image_) image_->LoadFromStream(data);
}

void TPngGraphic::SaveToStream(std::string& out) {
  if (image_) image_->SaveToStream(out);
}

void TPngGraphic::LoadFromClipboardFormat() {
  throw EPngError("Cannot load a TPngGraphic from the Clipboard");
}

void TPngGraphic::SaveToClipboardFormat() {
  throw EPngError("Cannot save a TPngGraphic to the Clipboard");
}

QImage TPngGraphic::ToImage() {
  QImage bitmap;
  if (image_ && image_->Width > 0 && image_->Height > 0) image_->CopyToBitmap(bitmap, 0, 0);
  return bitmap;
}

}  // namespace pngimage
