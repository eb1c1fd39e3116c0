#include "codecs/pngdef.h"

#include <stdexcept>

namespace pngdef {

void CheckLibrary() {
  void (*readInfo)(png_structp, png_infop) = &png_read_info;
  volatile bool bound =
      readInfo != nullptr && png_access_version_number() / 100 == PNG_LIBPNG_VER / 100;
  if (!bound) throw std::runtime_error("Error loading lpng.dll");
}

}  // namespace pngdef
