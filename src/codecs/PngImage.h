// PNG pictures through libpng: the decoded rows with their text and time chunks, writing,
// and copying into a 24-bit bitmap with the alpha blend.
#pragma once
#include <QImage>
#include <QRect>

class QPainter;

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/Graphic.h"

namespace pngimage {

// Raised for every failure of this unit, with the message as text.
class EPngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPngImage {
 public:
  TPngImage();
  TPngImage(const TPngImage&) = delete;
  TPngImage& operator=(const TPngImage&) = delete;

  void AddRef() { ++refCount_; }
  // Destroys the object when the count falls below 1.
  void Release();
  int RefCount() const { return refCount_; }

  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(const void* data, size_t size);
  void LoadFromStream(const std::string& data) { LoadFromStream(data.data(), data.size()); }
  // Written to a temporary name and renamed over the file.
  void SaveToFile(const std::string& fileName);
  void SaveToStream(std::string& out);
  // Writes the pixels into the bitmap with the top-left corner at x, y; the bitmap grows
  // (new area white) and becomes 24-bit.
  void CopyToBitmap(QImage& bitmap, int x, int y) const;
  // The picture at the canvas's top-left corner at its own size.
  void Draw(QPainter& canvas) const;

  int BitDepth = 0;
  int BytesPerPixel = 0;
  int ColorType = 2;
  uint32_t Height = 0;
  uint32_t Width = 0;
  int InterlaceMethod = 0;
  int CompressionMethod = 0;
  int FilterMethod = 0;
  std::vector<uint8_t> Pixels;
  std::vector<uint8_t*> RowPointers;
  std::string Description, Title, Author;
  std::vector<std::string> Text;  // "key=text" per text chunk
  double Time = 0;                // days since 30 December 1899; 0 without a time chunk

 private:
  ~TPngImage() = default;
  int refCount_ = 1;
};

// The picture-format class over a shared TPngImage.
class TPngGraphic : public codecs::TGraphic {
 public:
  TPngGraphic();
  ~TPngGraphic() override;
  void Assign(const TPngGraphic& source);
  bool GetEmpty() const override { return image_ == nullptr; }
  int GetWidth() const override { return image_ ? int(image_->Width) : 0; }
  int GetHeight() const override { return image_ ? int(image_->Height) : 0; }
  void SetWidth(int);   // raises "Cannot set width on a TPngGraphic"
  void SetHeight(int);  // raises "Cannot set height on a TPngGraphic"
  void LoadFromFile(const std::string& fileName) override;
  void SaveToFile(const std::string& fileName);
  void LoadFromStream(const std::string& data);
  void SaveToStream(std::string& out);
  void LoadFromClipboardFormat();  // raises
  void SaveToClipboardFormat();    // raises
  QImage ToImage() override;
  // The shared picture at the canvas's top-left corner at its own size, whatever the rectangle.
  void Draw(QPainter& canvas, const QRect& rect);
  TPngImage* Image() const { return image_; }
  bool Transparent = true;

 private:
  TPngImage* image_;
};

// Days since 30 December 1899 of a date and time, or 0 when the values are no valid date.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace pngimage
