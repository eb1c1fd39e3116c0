// The picture formats known by file extension, and loading a picture file into a bitmap.
#pragma once
#include <QImage>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/Graphic.h"

namespace codecs {

using GraphicFactory = std::unique_ptr<TGraphic> (*)();

struct TPictureFormat {
  std::string Extension;  // upper case, without the dot
  std::string Description;
  GraphicFactory Create;
};

// Extensions are matched without regard to case, with or without the leading dot.
void RegisterFileFormat(std::string_view extension, const std::string& description,
                        GraphicFactory create);
void UnregisterFileFormat(std::string_view extension);
const TPictureFormat* FindPictureFormat(std::string_view extension);
std::vector<TPictureFormat> PictureFormats();

// Loads a picture file by its extension: GIF through TGIFImage (frame 0 on the logical
// screen, transparent pixels with alpha 0), PNG through TPngImage (copied onto a white
// bitmap), the other registered formats (BMP and DIB through TDIB, JPG through libjpeg, WMF)
// through their graphic. An image without frames gives a null image and true. On failure
// (a picture beyond the bound of PictureBound.h among them) returns false with the format's
// message in `error`.
bool LoadPicture(const std::string& path, QImage& image, std::string& error);

// The WMF format over libwmf, when the build has it (registered by the registry).
bool HaveMetafiles();
std::unique_ptr<TGraphic> CreateMetafile();
// The folder libwmf takes its fonts from, checked when a metafile fails (tests move it).
void SetMetafileFontFolder(const std::string& folder);

}  // namespace codecs
