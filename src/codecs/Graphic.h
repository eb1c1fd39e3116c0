// The picture-format base class: a picture that loads itself from a file and gives a bitmap.
#pragma once
#include <QImage>

#include <cstdint>
#include <string>

namespace codecs {

// A picture file larger than this is refused unread (a snapshot or a flyer takes a few MB).
inline constexpr uint64_t kMaxPictureFileSize = 64u << 20;

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  // Raises an exception derived from std::exception with the format's message on failure.
  virtual void LoadFromFile(const std::string& fileName) = 0;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // The picture as a bitmap (null when empty).
  virtual QImage ToImage() = 0;
};

}  // namespace codecs
