#include "codecs/PictureFormats.h"

#include <map>
#include <stdexcept>

#include "codecs/GIFImage.h"
#include "codecs/JpegPicture.h"
#include "codecs/PngImage.h"
#include "directx/DIB.h"
#include "platform/Files.h"

namespace codecs {

namespace {

std::string Key(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  return plat::UpperCase(extension);
}

std::map<std::string, TPictureFormat>& Registry() {
  static std::map<std::string, TPictureFormat> r = [] {
    std::map<std::string, TPictureFormat> m;
    auto add = [&m](const char* ext, const char* desc, GraphicFactory f) {
      m[ext] = TPictureFormat{ext, desc, f};
    };
    add("GIF", "GIF Image", [] { return std::unique_ptr<TGraphic>(new gif::TGIFImage); });
    add("PNG", "Portable Network Graphics",
        [] { return std::unique_ptr<TGraphic>(new pngimage::TPngGraphic); });
    add("BMP", "Bitmaps", &CreateDIBGraphic);
    add("DIB", DIBFormatDescription, &CreateDIBGraphic);
    add("JPG", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(new TJpegPicture); });
    add("JPEG", "JPEG Image File", [] { return std::unique_ptr<TGraphic>(new TJpegPicture); });
    if (HaveMetafiles()) add("WMF", "Metafiles", &CreateMetafile);
    return m;
  }();
  return r;
}

}  // namespace

void RegisterFileFormat(std::string_view extension, const std::string& description,
                        GraphicFactory create) {
  const std::string k = Key(extension);
  Registry()[k] = TPictureFormat{k, description, create};
}

void UnregisterFileFormat(std::string_view extension) { Registry().erase(Key(extension)); }

const TPictureFormat* FindPictureFormat(std::string_view extension) {
  auto& r = Registry();
  auto it = r.find(Key(extension));
  return it == r.end() ? nullptr : &it->second;
}

std::vector<TPictureFormat> PictureFormats() {
  std::vector<TPictureFormat> v;
  for (const auto& [k, f] : Registry()) v.push_back(f);
  return v;
}

bool LoadPicture(const std::string& path, QImage& image, std::string& error) {
  const std::string ext = Key(plat::ExtensionOf(path));
  try {
    if (ext == "GIF") {
      gif::TGIFImage gifImage;
      gifImage.FirstFrameOnly = true;
      gifImage.LoadFromFile(path);
      const QImage* b = gifImage.GetBitmap();
      image = b ? *b : QImage();
      return true;
    }
    if (ext == "PNG") {
      QImage bitmap;
      pngimage::TPngImage* png = new pngimage::TPngImage;
      try {
        png->LoadFromFile(path);
        png->CopyToBitmap(bitmap, 0, 0);
      } catch (...) {
        png->Release();
        throw;
      }
      png->Release();
      image = std::move(bitmap);
      return true;
    }
    const TPictureFormat* f = FindPictureFormat(ext);
    if (!f) {
      error = "Unknown picture file extension (." + plat::LowerCase(ext) + ")";
      return false;
    }
    std::unique_ptr<TGraphic> g = f->Create();
    g->LoadFromFile(path);
    image = g->ToImage();
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace codecs
