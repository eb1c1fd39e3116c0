#include "frontend/PictureLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Files.h"
#include "platform/Numbers.h"

namespace pictures {

namespace {

std::string BaseName(const std::string& fileName) {
  std::string base = plat::FileNameOf(fileName);
  const std::string ext = plat::ExtensionOf(base);
  return base.substr(0, base.size() - ext.size());
}

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }  // halves to even

}  // namespace

int32_t GetPictureNumber(const std::string& fileName, const std::string& setName) {
  const std::string base = BaseName(fileName);
  if (base.size() < 5) return -1;
  const std::string stem = plat::UpperCase(base.substr(0, base.size() - 4));
  const std::string digits = base.substr(base.size() - 4);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return -1;
  const std::string set = plat::UpperCase(setName);
  const bool named = stem == set || (set.size() > 4 && stem == set.substr(0, 4));
  return named ? std::stoi(digits) : -1;
}

std::string MakePictureName(const std::string& name, int32_t number, bool shortForm) {
  std::string base = BaseName(name);
  if (number < 0) return base;
  if (shortForm && base.size() > 4) base.resize(4);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number % 10000));
  return base + digits;
}

Layout ComputeLayout(int w, int h, int aw, int ah, const std::string& zoomText, bool stretch) {
  Layout l;
  l.zoomText = zoomText;
  if (w >= 1 && h >= 1) {
    if (stretch) {
      w = aw;
      h = ah;
    } else {
      std::string t = plat::Trim(zoomText);
      if (!t.empty() && t.back() == '%') t.pop_back();
      double z = 0;
      if (plat::ParseDecimal(t, z) && z >= 1 && z <= 2400) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f%%", z);
        l.zoomText = buf;
        const double f = std::sqrt(z / 100);
        w = Round(w * f);
        h = Round(h * f);
      } else {
        l.zoomText = "Automatic";
        if (h != ah && h > 0) {
          w = Round(static_cast<double>(ah) / h * w);
          h = ah;
        }
        if (w > aw && w > 0) {
          h = Round(static_cast<double>(aw) / w * h);
          w = aw;
        }
      }
    }
  }
  l.width = std::max(w, 0);
  l.height = std::max(h, 0);
  l.left = (aw - l.width) / 2;
  l.top = (ah - l.height) / 2;
  l.overflowX = std::min(l.left, 0);
  l.overflowY = std::min(l.top, 0);
  return l;
}

int DragPosition(int start, int travel, int areaSize, int pictureSize) {
  if (pictureSize <= areaSize) return start;
  return std::clamp(start + travel, areaSize - pictureSize, 0);
}

int SlideshowInterval(const std::string& delayText, int currentMs) {
  double seconds = 0;
  if (!plat::ParseDecimal(plat::Trim(delayText), seconds) || !std::isfinite(seconds) ||
      seconds <= 0)
    return currentMs;
  return static_cast<int>(std::lround(std::clamp(seconds, 0.25, 86400.0) * 1000));
}

}  // namespace pictures
