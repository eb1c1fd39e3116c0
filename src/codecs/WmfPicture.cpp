// Windows metafiles, played by libwmf through our device into a true-colour picture.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "codecs/PictureBound.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"
#include "platform/Seams.h"

#ifdef VELMORA_HAVE_WMF
#include <libwmf/api.h>
#include <libwmf/ipa.h>

#include "codecs/WmfDevice.h"
#endif

namespace codecs {

#ifdef VELMORA_HAVE_WMF
namespace {

// Largest picture a metafile is played into, in pixels and on a side: a larger one is drawn
// smaller, in its own shape. The drawing work is bounded too: the pixels the shapes touch (see
// the device; 128 M of them take our device about a second at worst: fills, wide pens, dashes,
// many-edged polygons, curves, letters and bitmaps were measured), the records, which the
// library reads twice, the letters of texts, which it measures, and the allocations it holds
// (polygons of polypolygons, clip rectangles and fonts stay to the end, and each block it frees
// is looked for among them all: at the bound a free costs some 10 microseconds). Whatever the
// library does between our calls, a play stops once it has used its share of processor time.
constexpr double kMaxMetafilePixels = 2.0 * 1024 * 1024, kMaxMetafileSide = 32767;
constexpr double kMaxMetafileWork = 64 * kMaxMetafilePixels;
constexpr size_t kMaxMetafileRecords = 250000;
constexpr size_t kMaxMetafileLetters = 65536;
constexpr int64_t kMaxMetafileHeld = 32768;
constexpr int64_t kMaxMetafileCpuMs = 1000;
// Bytes the library reads that count as one event of the play (a record or a shape).
constexpr unsigned kBytesAnEvent = 256;

// Where libwmf finds the fonts it draws with, and the one it falls back to.
std::string& FontFolder() {
  static std::string folder = "/usr/share/fonts/type1/urw-base35";
  return folder;
}
constexpr const char* kFallbackFont = "NimbusSans-Regular.t1";

// The library fails every metafile when its fonts are missing: say so instead.
[[noreturn]] void Fail() {
  if (!plat::FileExists(plat::WithSlash(FontFolder()) + kFallbackFont))
    throw std::runtime_error("Metafiles cannot be shown: the fonts they are drawn with are "
                             "missing from " + FontFolder() +
                             " (install the package fonts-urw-base35)");
  throw std::runtime_error("Invalid metafile");
}

uint64_t LittleEndian(const unsigned char* at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | at[i];
  return v;
}

// Where the standard header begins: after the placeable one, when there is one.
size_t HeaderAt(const std::string& data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  return data.size() >= 22 && LittleEndian(bytes, 4) == 0x9AC6CDD7 ? 22 : 0;
}

// The library sets aside the largest record the header announces before it reads any: no
// record is larger than the whole file (writers that round the figure up stay within 1 MB).
bool HeaderFits(const std::string& data) {
  const size_t at = HeaderAt(data);
  if (data.size() < at + 18) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data()) + at;
  return LittleEndian(bytes + 12, 4) * 2 <= std::max<uint64_t>(data.size(), 1u << 20);
}

// A placeable header's frame and units per inch: the library measures a frame past 32,767 units
// a side wrongly, and divides by the units per inch.
void CheckFrame(const std::string& data) {
  if (HeaderAt(data) == 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  auto word = [&](int offset) { return int(int16_t(LittleEndian(bytes + offset, 2))); };
  const int w = word(10) - word(6), h = word(12) - word(8);
  if (w <= 0 || h <= 0 || w > 0x7FFF || h > 0x7FFF)
    throw std::runtime_error("The metafile's frame (" + std::to_string(w) + " x " +
                             std::to_string(h) + " units) is empty or larger than 32,767 units");
  if (word(14) == 0) throw std::runtime_error("The metafile gives no units per inch");
}

int Signed(const unsigned char* at) { return int16_t(at[0] | at[1] << 8); }
void SetSigned(unsigned char* at, int v) {
  at[0] = uint8_t(v);
  at[1] = uint8_t(v >> 8);
}

// A negative extent (parameter word `extent`, its origin at word `origin`) made positive from the
// other end; true when it was. One whose other end is past 16 bits is made empty (nothing drawn).
bool Turn(unsigned char* params, int origin, int extent) {
  const int o = Signed(params + 2 * origin), e = Signed(params + 2 * extent);
  if (e >= 0) return false;
  const bool fits = o + e >= -0x8000;
  SetSigned(params + 2 * origin, fits ? o + e : o);
  SetSigned(params + 2 * extent, fits ? -e : 0);
  return true;
}

// Blits of a negative extent, which the library reads as 65,536 less it: made positive, and a
// stretched bitmap marked to be drawn mirrored where its destination and source differ in
// direction. `params` are the record's parameter words, `words` of them.
void TurnBlit(uint64_t function, unsigned char* params, size_t words) {
  // The destination's height, width, y and x are words k to k + 3; a stretch's source height,
  // width, y and x are the four before, a blit's source y and x the two before. Without a
  // bitmap, a reserved word comes first.
  int k = 0;
  bool stretch = false, bitmap = false;
  switch (function) {
    case 0x0F43:  // StretchDIB
      k = 7, stretch = true, bitmap = true;
      break;
    case 0x0B41:  // DIBStretchBlt
    case 0x0B23:  // StretchBlt
      bitmap = words != 11, k = bitmap ? 6 : 7, stretch = true;
      break;
    case 0x0940:  // DIBBitBlt
    case 0x0922:  // BitBlt
      bitmap = words != 9, k = bitmap ? 4 : 5;
      break;
    case 0x061D:  // PatBlt
      k = 2;
      break;
    default:
      return;
  }
  if (words < size_t(k) + 4) return;
  auto at = [&](int i) { return params + 2 * i; };
  if (bitmap && !stretch) {
    // One extent for both: the source moves with the destination, and nothing is mirrored.
    if (Signed(at(k + 1)) < 0) SetSigned(at(k - 1), Signed(at(k - 1)) + Signed(at(k + 1)));
    if (Signed(at(k)) < 0) SetSigned(at(k - 2), Signed(at(k - 2)) + Signed(at(k)));
  }
  uint32_t mirror = 0;
  if (Turn(params, k + 3, k + 1)) mirror ^= kWmfMirrorX;
  if (Turn(params, k + 2, k)) mirror ^= kWmfMirrorY;
  if (!bitmap || !stretch) return;
  if (Turn(params, k - 1, k - 3)) mirror ^= kWmfMirrorX;
  if (Turn(params, k - 2, k - 4)) mirror ^= kWmfMirrorY;
  params[3] = uint8_t(mirror >> 24);  // the raster operation's top byte
}

// A font's height (positive: the cell's) and width asked, marked in its quality.
void MarkFont(unsigned char* params, size_t words) {
  if (words < 9) return;
  uint8_t& quality = params[16];
  quality = uint8_t((quality & 0x3F) | (Signed(params) > 0 ? kWmfCellHeight : 0) |
                    (Signed(params + 2) != 0 ? kWmfWidthAsked : 0));
}

// The records the library reads after the headers, the letters of their texts (the library
// measures each letter twice) and whether they flood fill: each record begins with its length
// in words; one shorter than its own head, or the end record, closes the list. Blits and fonts
// are marked on the way for our device.
struct Records {
  size_t Count = 0, Letters = 0;
  bool Any = false, Floods = false;
};
Records ReadRecords(std::string& data) {
  auto* bytes = reinterpret_cast<unsigned char*>(data.data());
  size_t at = HeaderAt(data) + 18;
  Records n;
  while (at + 6 <= data.size()) {
    ++n.Count;
    const uint64_t words = LittleEndian(bytes + at, 4);
    const uint64_t function = LittleEndian(bytes + at + 4, 2);
    if (words < 3 || function == 0) break;
    n.Any = true;
    if (function == 0x0419 || function == 0x0548) n.Floods = true;
    if (function == 0x0521 && at + 8 <= data.size()) n.Letters += LittleEndian(bytes + at + 6, 2);
    if (function == 0x0A32 && at + 12 <= data.size()) n.Letters += LittleEndian(bytes + at + 10, 2);
    unsigned char* params = bytes + at + 6;
    const size_t count = size_t(std::min<uint64_t>(words - 3, (data.size() - at - 6) / 2));
    if (function == 0x02FB) MarkFont(params, count);
    TurnBlit(function, params, count);
    at += size_t(words) * 2;
  }
  return n;
}

[[noreturn]] void TooComplex() {
  throw std::runtime_error("The metafile takes too much work to draw");
}

// The library's memory, counted: it looks for each block it frees among all it holds.
void* Allocate(void* canvas, size_t size) {
  void* p = std::malloc(size);
  if (p) ++static_cast<WmfCanvas*>(canvas)->Held;
  return p;
}
void* Reallocate(void* canvas, void* block, size_t size) {
  void* p = std::realloc(block, size);
  if (!block && p) ++static_cast<WmfCanvas*>(canvas)->Held;
  if (block && !p && size == 0) --static_cast<WmfCanvas*>(canvas)->Held;
  return p;
}
void Release(void* canvas, void* block) {
  if (block) --static_cast<WmfCanvas*>(canvas)->Held;
  std::free(block);
}

class TMetafile : public TGraphic {
 public:
  void LoadFromFile(const std::string& fileName) override {
    std::string data, error;
    if (!plat::ReadRegularFile(fileName, data, kMaxPictureFileSize, &error))
      throw std::runtime_error("Cannot open file \"" + fileName + "\". " + error);
    image_ = Play(data);
  }
  bool GetEmpty() const override { return image_.isNull(); }
  int GetWidth() const override { return image_.width(); }
  int GetHeight() const override { return image_.height(); }
  QImage ToImage() override { return image_; }

 private:
  static QImage Play(std::string& data) {
    if (!HeaderFits(data)) Fail();
    CheckFrame(data);
    const Records records = ReadRecords(data);
    if (!records.Any) throw std::runtime_error("The metafile holds no records");
    if (records.Count > kMaxMetafileRecords || records.Letters > kMaxMetafileLetters) TooComplex();
    // The library's work is bounded in processor time too, from here on. It reads the file
    // through us a byte at a time (scanning it, then playing it) and reports each record it plays:
    // past a bound it meets the file's end, or is told to stop.
    struct Playing {
      WmfCanvas canvas;
      const unsigned char* data;
      long size, at = 0;
      unsigned bytes = 0;
      size_t records = 0;
    } play{{}, reinterpret_cast<const unsigned char*>(data.data()), long(data.size())};
    WmfCanvas& canvas = play.canvas;
    canvas.MaxWork = kMaxMetafileWork;
    canvas.MaxHeld = kMaxMetafileHeld;
    canvas.MaxCpuMs = kMaxMetafileCpuMs;
    canvas.CpuStart = plat::Ui().ThreadCpuMs();
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = WmfDeviceFunctions;
    options.context = &canvas;
    options.malloc = Allocate;
    options.realloc = Reallocate;
    options.free = Release;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL |
                                WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
      if (api) wmf_api_destroy(api);
      Fail();
    }
    wmf_status_function(api, &play, [](void* context, float) {
      auto* p = static_cast<Playing*>(context);
      return int(!WmfGoOn(p->canvas) || ++p->records > kMaxMetafileRecords);
    });
    wmf_error_t err = wmf_bbuf_input(
        api,
        [](void* context) {
          auto* p = static_cast<Playing*>(context);
          if (p->at >= p->size) return EOF;
          WmfCanvas& c = p->canvas;
          if ((c.Over || c.Held > c.MaxHeld || ++p->bytes % kBytesAnEvent == 0) && !WmfGoOn(c))
            return EOF;
          return int(p->data[p->at++]);
        },
        [](void* context, long to) {
          auto* p = static_cast<Playing*>(context);
          if (to < 0 || to > p->size) return -1;
          p->at = to;
          return 0;
        },
        [](void* context) { return static_cast<Playing*>(context)->at; }, &play);
    wmfD_Rect bbox{};
    if (err == wmf_E_None) err = wmf_scan(api, 0, &bbox);
    unsigned int w = 0, h = 0;
    float frameW = 0, frameH = 0;
    if (err == wmf_E_None) err = wmf_size(api, &frameW, &frameH);
    if (err == wmf_E_None) err = wmf_display_size(api, &w, &h, 96, 96);
    // The picture is the placeable header's frame (unstretched, at least a pixel), or else the
    // drawing's box, at 96 dots an inch; the library's units are points. A frame the library
    // measures past 16 bits (a width of 32,768 units comes back negative) or an empty box is no
    // picture.
    const bool placeable = api->File && api->File->placeable;
    if (err == wmf_E_None &&
        (!(frameW > 0) || !(frameH > 0) ||
         (!placeable && (!(bbox.BR.x > bbox.TL.x) || !(bbox.BR.y > bbox.TL.y)))))
      err = wmf_E_BadFormat;
    double scale = 96.0 / 72;
    if (err == wmf_E_None) {
      w = std::max(w, 1u), h = std::max(h, 1u);
      const double s = std::min({std::sqrt(kMaxMetafilePixels / (double(w) * h)),
                                 kMaxMetafileSide / w, kMaxMetafileSide / h, 1.0});
      w = std::max(1u, unsigned(w * s));
      h = std::max(1u, unsigned(h * s));
      scale *= s;
    }
    if (err == wmf_E_None) {
      // Map modes whose y axis goes up have the frame's top at 0, or the box's top at its end.
      if (!placeable)
        canvas.OriginX = bbox.TL.x, canvas.OriginY = bbox.TL.y, canvas.Top = bbox.BR.y;
      canvas.Scale = scale;
      // A flood fill stops at a colour: smoothed edges would let it through.
      canvas.Smooth = !records.Floods;
      WmfDeviceBegin(api, canvas, int(w), int(h));
      play.records = 0;
      err = wmf_play(api, 0, &bbox);
      canvas.Painter.end();
    }
    wmf_api_destroy(api);
    if (canvas.Over || play.records > kMaxMetafileRecords) TooComplex();
    if (err != wmf_E_None || canvas.Image.isNull()) Fail();
    return canvas.Image;
  }
  QImage image_;
};

}  // namespace

bool HaveMetafiles() { return true; }
void SetMetafileFontFolder(const std::string& folder) { FontFolder() = folder; }
std::unique_ptr<TGraphic> CreateMetafile() { return std::make_unique<TMetafile>(); }
#else
bool HaveMetafiles() { return false; }
void SetMetafileFontFolder(const std::string&) {}
std::unique_ptr<TGraphic> CreateMetafile() { return nullptr; }
#endif

}  // namespace codecs
