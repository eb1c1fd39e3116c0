// The picture panel's rules with no widget: picture names and numbers, the zoom layout, the
// drag range and the slideshow delay.
#pragma once
#include <cstdint>
#include <string>

namespace pictures {

// The number of a picture of `setName`: the four digits after the set name (or its short
// form, the first four characters of a longer name), -1 for any other name.
int32_t GetPictureNumber(const std::string& fileName, const std::string& setName);
// The base name of picture `number` of `name` (-1: the name alone); the short form cuts a
// name longer than four characters to four when the number is 0 or more.
std::string MakePictureName(const std::string& name, int32_t number, bool shortForm);

struct Layout {
  int width = 0, height = 0;  // the picture as shown
  int left = 0, top = 0;      // inside the area, centred
  int overflowX = 0, overflowY = 0;  // 0 or negative
  std::string zoomText;       // the zoom box's text afterwards
};
// Lays a W x H picture out in an AW x AH area with the zoom text (a percentage of the
// picture's area, 1 % to 2,400 %, else "Automatic") or stretched.
Layout ComputeLayout(int w, int h, int aw, int ah, const std::string& zoomText, bool stretch);
// The new position of a dragged picture along one axis: start + travel, kept so that the
// picture still covers the area and both of its edges can be reached; a picture that fits
// does not move.
int DragPosition(int start, int travel, int areaSize, int pictureSize);

// The slideshow interval for a delay text in seconds (at least 0.25 s); the current interval
// when the text is not a positive number.
int SlideshowInterval(const std::string& delayText, int currentMs);

}  // namespace pictures
