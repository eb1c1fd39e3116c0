// Windows metafiles, played by libwmf through our device into a true-colour picture.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "codecs/PictureBound.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"

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
// many-edged polygons, letters and bitmaps were measured), the records, which the library reads
// twice, and the letters of texts, which it measures.
constexpr double kMaxMetafilePixels = 2.0 * 1024 * 1024, kMaxMetafileSide = 32767;
constexpr double kMaxMetafileWork = 64 * kMaxMetafilePixels;
constexpr size_t kMaxMetafileRecords = 250000;
constexpr size_t kMaxMetafileLetters = 65536;

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

// The records the library reads after the headers, the letters of their texts (the library
// measures each letter twice) and whether they flood fill: each record begins with its length
// in words; one shorter than its own head, or the end record, closes the list.
struct Records {
  size_t Count = 0, Letters = 0;
  bool Floods = false;
};
Records CountRecords(const std::string& data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  size_t at = HeaderAt(data) + 18;
  Records n;
  while (at + 6 <= data.size()) {
    ++n.Count;
    const uint64_t words = LittleEndian(bytes + at, 4);
    const uint64_t function = LittleEndian(bytes + at + 4, 2);
    if (words < 3 || function == 0) break;
    if (function == 0x0419 || function == 0x0548) n.Floods = true;
    if (function == 0x0521 && at + 8 <= data.size()) n.Letters += LittleEndian(bytes + at + 6, 2);
    if (function == 0x0A32 && at + 12 <= data.size()) n.Letters += LittleEndian(bytes + at + 10, 2);
    at += size_t(words) * 2;
  }
  return n;
}

[[noreturn]] void TooComplex() {
  throw std::runtime_error("The metafile takes too much work to draw");
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
    const Records records = CountRecords(data);
    if (records.Count > kMaxMetafileRecords || records.Letters > kMaxMetafileLetters) TooComplex();
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = WmfDeviceFunctions;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
      if (api) wmf_api_destroy(api);
      Fail();
    }
    struct Playing {
      WmfCanvas canvas;
      size_t records = 0;
    } play;
    WmfCanvas& canvas = play.canvas;
    wmf_error_t err =
        wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size()));
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
      if (!placeable) canvas.OriginX = bbox.TL.x, canvas.OriginY = bbox.TL.y;
      canvas.Scale = scale;
      canvas.MaxWork = kMaxMetafileWork;
      // A flood fill stops at a colour: smoothed edges would let it through.
      canvas.Smooth = !records.Floods;
      WmfDeviceBegin(api, canvas, int(w), int(h));
      wmf_status_function(api, &play, [](void* context, float) {
        auto* p = static_cast<Playing*>(context);
        return int(p->canvas.Over || ++p->records > kMaxMetafileRecords);
      });
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
