// Windows metafiles, played by libwmf into a true-colour bitmap.
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "codecs/PictureBound.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"

#ifdef VELMORA_HAVE_WMF
#include <libwmf/api.h>
#include <libwmf/gd.h>
#endif

namespace codecs {

#ifdef VELMORA_HAVE_WMF
namespace {

// Largest bitmap a metafile is played into, in pixels.
constexpr double kMaxMetafilePixels = 16.0 * 1024 * 1024;

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
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
      if (api) wmf_api_destroy(api);
      Fail();
    }
    QImage result;
    wmf_error_t err =
        wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size()));
    wmfD_Rect bbox{};
    if (err == wmf_E_None) err = wmf_scan(api, 0, &bbox);
    unsigned int w = 0, h = 0;
    if (err == wmf_E_None) err = wmf_display_size(api, &w, &h, 96, 96);
    if (err == wmf_E_None && (w == 0 || h == 0 || double(w) * h > kMaxMetafilePixels))
      err = wmf_E_BadFormat;
    if (err == wmf_E_None) {
      wmf_gd_t* dev = WMF_GD_GetData(api);
      dev->type = wmf_gd_image;
      dev->bbox = bbox;
      dev->width = w;
      dev->height = h;
      err = wmf_play(api, 0, &bbox);
      if (err == wmf_E_None && dev->gd_image) {
        const int* px = wmf_gd_image_pixels(dev->gd_image);
        result = QImage(int(w), int(h), QImage::Format_RGB32);
        for (unsigned y = 0; y < h && px; ++y) {
          QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(int(y)));
          for (unsigned x = 0; x < w; ++x)
            row[x] = qRgb((px[y * w + x] >> 16) & 0xFF, (px[y * w + x] >> 8) & 0xFF,
                          px[y * w + x] & 0xFF);
        }
        // The library leaves the image it drew to its caller: its pixel block and the
        // image itself are plain allocations.
        std::free(const_cast<int*>(px));
        std::free(dev->gd_image);
        dev->gd_image = nullptr;
      }
    }
    wmf_api_destroy(api);
    if (err != wmf_E_None || result.isNull()) Fail();
    return result;
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
