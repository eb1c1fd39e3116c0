// The picture-format base class: a picture that loads itself from a file and gives a bitmap.
#pragma once
#include <QImage>

#include <string>

namespace codecs {

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
