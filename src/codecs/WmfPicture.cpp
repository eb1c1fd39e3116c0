// Windows metafiles, played by libwmf into a true-colour bitmap.
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
#include <libwmf/gd.h>
#include <libwmf/gd/gd.h>
#include <libwmf/ipa.h>
#endif

namespace codecs {

#ifdef VELMORA_HAVE_WMF
namespace {

// Largest bitmap a metafile is played into, in pixels: a larger picture is drawn smaller, in
// its own shape. The drawing work is bounded too: the pixels the shapes cover (each counts its
// box in the bitmap) and the records, which the library reads twice.
constexpr double kMaxMetafilePixels = 2.0 * 1024 * 1024;
constexpr double kMaxMetafileWork = 8 * kMaxMetafilePixels;
constexpr size_t kMaxMetafileRecords = 250000;

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

// The records the library reads after the headers: each begins with its length in words; one
// shorter than its own head, or the end record, closes the list.
size_t CountRecords(const std::string& data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  size_t at = HeaderAt(data) + 18;
  size_t n = 0;
  while (at + 6 <= data.size()) {
    ++n;
    const uint64_t words = LittleEndian(bytes + at, 4);
    if (words < 3 || LittleEndian(bytes + at + 4, 2) == 0) break;
    at += size_t(words) * 2;
  }
  return n;
}

// The work of drawing one metafile: each shape is counted, in pixels of the bitmap, before the
// bitmap device draws it; once over the bound nothing more is drawn and the play stops.
struct Work {
  wmfFunctionReference device{};  // the bitmap device's own functions
  wmfD_Rect box{};                // the picture, in the library's units
  double sx = 0, sy = 0;          // pixels a unit
  double pixels = 0;
  size_t records = 0;
  bool over = false;

  double Area() const { return (box.BR.x - box.TL.x) * sx * (box.BR.y - box.TL.y) * sy; }
  bool Add(double px) {
    if (over) return false;
    pixels += std::isnan(px) ? Area() + 1 : std::max(px, 1.0);
    over = pixels > kMaxMetafileWork;
    return !over;
  }
  // The pixels of a box of units, widened by a pen, within the picture.
  double Pixels(double x0, double y0, double x1, double y1, double pen = 0) const {
    const double l = std::max(std::min(x0, x1) - pen / 2, double(box.TL.x)),
                 r = std::min(std::max(x0, x1) + pen / 2, double(box.BR.x)),
                 t = std::max(std::min(y0, y1) - pen / 2, double(box.TL.y)),
                 b = std::min(std::max(y0, y1) + pen / 2, double(box.BR.y));
    return (std::max(r - l, 0.0) * sx + 1) * (std::max(b - t, 0.0) * sy + 1);
  }
  bool Box(wmfD_Coord a, wmfD_Coord b, double pen = 0) {
    return Add(Pixels(a.x, a.y, b.x, b.y, pen));
  }
  // A line costs its length times the pen's width, at most its box.
  double Line(wmfD_Coord a, wmfD_Coord b, double pen) const {
    const double length = std::hypot((b.x - a.x) * sx, (b.y - a.y) * sy);
    return std::min((length + 1) * (pen * std::max(sx, sy) + 1), Pixels(a.x, a.y, b.x, b.y, pen));
  }
  // A filled polygon: its box, and each of its rows crosses every edge.
  double Polygon(const wmfD_Coord* pt, unsigned count, double pen) const {
    if (!pt || count == 0) return 1;
    double x0 = pt[0].x, y0 = pt[0].y, x1 = x0, y1 = y0;
    for (unsigned i = 1; i < count; ++i) {
      x0 = std::min(x0, double(pt[i].x)), x1 = std::max(x1, double(pt[i].x));
      y0 = std::min(y0, double(pt[i].y)), y1 = std::max(y1, double(pt[i].y));
    }
    const double rows = std::min(y1 + pen / 2, double(box.BR.y)) -
                        std::max(y0 - pen / 2, double(box.TL.y));
    return Pixels(x0, y0, x1, y1, pen) + (std::max(rows, 0.0) * sy + 1) * count;
  }
};
thread_local Work* current = nullptr;

double Pen(const wmfDC* dc) { return dc && dc->pen ? dc->pen->width : 0; }

void FloodInterior(wmfAPI* api, wmfFlood_t* d) {
  if (current->Add(current->Area())) current->device.flood_interior(api, d);
}
void FloodExterior(wmfAPI* api, wmfFlood_t* d) {
  if (current->Add(current->Area())) current->device.flood_exterior(api, d);
}
void DrawPixel(wmfAPI* api, wmfDrawPixel_t* d) {
  const wmfD_Coord to{float(d->pt.x + d->pixel_width), float(d->pt.y + d->pixel_height)};
  if (current->Box(d->pt, to)) current->device.draw_pixel(api, d);
}
void DrawPie(wmfAPI* api, wmfDrawArc_t* d) {
  if (current->Box(d->TL, d->BR, Pen(d->dc))) current->device.draw_pie(api, d);
}
void DrawChord(wmfAPI* api, wmfDrawArc_t* d) {
  if (current->Box(d->TL, d->BR, Pen(d->dc))) current->device.draw_chord(api, d);
}
void DrawArc(wmfAPI* api, wmfDrawArc_t* d) {
  if (current->Box(d->TL, d->BR, Pen(d->dc))) current->device.draw_arc(api, d);
}
void DrawEllipse(wmfAPI* api, wmfDrawArc_t* d) {
  if (current->Box(d->TL, d->BR, Pen(d->dc))) current->device.draw_ellipse(api, d);
}
void DrawLine(wmfAPI* api, wmfDrawLine_t* d) {
  if (current->Add(current->Line(d->from, d->to, Pen(d->dc)))) current->device.draw_line(api, d);
}
void PolyLine(wmfAPI* api, wmfPolyLine_t* d) {
  double px = 1;
  for (unsigned i = 1; d->pt && i < d->count; ++i)
    px += current->Line(d->pt[i - 1], d->pt[i], Pen(d->dc));
  if (current->Add(px)) current->device.poly_line(api, d);
}
void DrawPolygon(wmfAPI* api, wmfPolyLine_t* d) {
  if (current->Add(current->Polygon(d->pt, d->count, Pen(d->dc))))
    current->device.draw_polygon(api, d);
}
void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* d) {
  double px = 1;
  for (unsigned i = 0; d->pt && d->count && i < d->npoly; ++i)
    px += current->Polygon(d->pt[i], d->count[i], Pen(d->dc));
  if (current->Add(px)) current->device.draw_polypolygon(api, d);
}
void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* d) {
  if (current->Box(d->TL, d->BR, Pen(d->dc))) current->device.draw_rectangle(api, d);
}
void RopDraw(wmfAPI* api, wmfROP_Draw_t* d) {
  if (current->Box(d->TL, d->BR)) current->device.rop_draw(api, d);
}
void BmpDraw(wmfAPI* api, wmfBMP_Draw_t* d) {
  const wmfD_Coord to{float(d->pt.x + d->crop.w * d->pixel_width),
                      float(d->pt.y + d->crop.h * d->pixel_height)};
  if (current->Add(current->Pixels(d->pt.x, d->pt.y, to.x, to.y) + double(d->crop.w) * d->crop.h))
    current->device.bmp_draw(api, d);
}
// A bitmap is counted by the size its header gives, before it is read.
void BmpRead(wmfAPI* api, wmfBMP_Read_t* d) {
  double px = double(d->width) * d->height + 1;
  const unsigned char* b = d->buffer;
  if (b && d->length >= 12) {
    const uint64_t head = LittleEndian(b, 4);
    if (head == 12)
      px = std::max(px, double(LittleEndian(b + 4, 2)) * double(LittleEndian(b + 6, 2)));
    else if (head >= 16)
      px = std::max(px, std::abs(double(int32_t(LittleEndian(b + 4, 4)))) *
                            std::abs(double(int32_t(LittleEndian(b + 8, 4)))));
  }
  if (current->Add(px)) current->device.bmp_read(api, d);
}
// Text: the box it covers, and each letter drawn at the font's height.
void DrawText(wmfAPI* api, wmfDrawText_t* d) {
  const auto& q = d->bbox;
  const double x0 = std::min({q.TL.x, q.TR.x, q.BL.x, q.BR.x}),
               x1 = std::max({q.TL.x, q.TR.x, q.BL.x, q.BR.x}),
               y0 = std::min({q.TL.y, q.TR.y, q.BL.y, q.BR.y}),
               y1 = std::max({q.TL.y, q.TR.y, q.BL.y, q.BR.y});
  const double letter = d->font_height * std::max(current->sx, current->sy) + 1;
  const double letters = d->str ? double(std::strlen(d->str)) : 0;
  if (current->Add(current->Pixels(x0, y0, x1, y1) + letters * letter * letter))
    current->device.draw_text(api, d);
}
double Rectangles(const wmfPolyRectangle_t* d) {
  double px = 1;
  for (unsigned i = 0; d->TL && d->BR && i < d->count; ++i)
    px += current->Pixels(d->TL[i].x, d->TL[i].y, d->BR[i].x, d->BR[i].y, d->width);
  return px;
}
void RegionFrame(wmfAPI* api, wmfPolyRectangle_t* d) {
  if (current->Add(Rectangles(d))) current->device.region_frame(api, d);
}
void RegionPaint(wmfAPI* api, wmfPolyRectangle_t* d) {
  if (current->Add(Rectangles(d))) current->device.region_paint(api, d);
}
void RegionClip(wmfAPI* api, wmfPolyRectangle_t* d) {
  if (current->Add(double(d->count) + 1)) current->device.region_clip(api, d);
}

// Puts the counting functions in front of the bitmap device's.
void CountWork(wmfAPI* api, Work& work) {
  auto* f = static_cast<wmfFunctionReference*>(api->function_reference);
  work.device = *f;
  f->flood_interior = FloodInterior;
  f->flood_exterior = FloodExterior;
  f->draw_pixel = DrawPixel;
  f->draw_pie = DrawPie;
  f->draw_chord = DrawChord;
  f->draw_arc = DrawArc;
  f->draw_ellipse = DrawEllipse;
  f->draw_line = DrawLine;
  f->poly_line = PolyLine;
  f->draw_polygon = DrawPolygon;
  f->draw_polypolygon = DrawPolyPolygon;
  f->draw_rectangle = DrawRectangle;
  f->rop_draw = RopDraw;
  f->bmp_draw = BmpDraw;
  f->bmp_read = BmpRead;
  f->draw_text = DrawText;
  f->region_frame = RegionFrame;
  f->region_paint = RegionPaint;
  f->region_clip = RegionClip;
  wmf_status_function(api, &work, [](void* context, float) {
    auto* w = static_cast<Work*>(context);
    return int(w->over || ++w->records > kMaxMetafileRecords);
  });
}

// The library leaves the image it drew to its caller, all of it plain allocations: its pixels,
// their rows, and what drawing added to it.
void FreeImage(void* image) {
  auto* im = static_cast<gdImagePtr>(image);
  std::free(im->_tpixels);
  std::free(im->tpixels);
  std::free(im->pixels);
  std::free(im->polyInts);
  std::free(im->style);
  if (im->clip) std::free(im->clip->list);
  std::free(im->clip);
  std::free(im);
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
    if (CountRecords(data) > kMaxMetafileRecords) TooComplex();
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
      if (api) wmf_api_destroy(api);
      Fail();
    }
    Work work;
    current = &work;
    CountWork(api, work);
    QImage result;
    wmf_error_t err =
        wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size()));
    wmfD_Rect bbox{};
    if (err == wmf_E_None) err = wmf_scan(api, 0, &bbox);
    unsigned int w = 0, h = 0;
    if (err == wmf_E_None) err = wmf_display_size(api, &w, &h, 96, 96);
    // A box the library could not measure (a placeable width past 16 bits gives a picture one
    // pixel high and millions wide) is no picture: its size keeps the box's shape.
    if (err == wmf_E_None &&
        (w == 0 || h == 0 || !(bbox.BR.x > bbox.TL.x) || !(bbox.BR.y > bbox.TL.y) ||
         std::abs(std::log((double(w) / h) / ((bbox.BR.x - bbox.TL.x) / (bbox.BR.y - bbox.TL.y)))) >
             std::log(2.0)))
      err = wmf_E_BadFormat;
    if (err == wmf_E_None && double(w) * h > kMaxMetafilePixels) {
      const double s = std::sqrt(kMaxMetafilePixels / (double(w) * h));
      w = std::max(1u, unsigned(w * s));
      h = std::max(1u, unsigned(h * s));
    }
    if (err == wmf_E_None) {
      wmf_gd_t* dev = WMF_GD_GetData(api);
      dev->type = wmf_gd_image;
      dev->bbox = bbox;
      dev->width = w;
      dev->height = h;
      work.box = bbox;
      if (bbox.BR.x > bbox.TL.x) work.sx = w / (bbox.BR.x - bbox.TL.x);
      if (bbox.BR.y > bbox.TL.y) work.sy = h / (bbox.BR.y - bbox.TL.y);
      err = wmf_play(api, 0, &bbox);
      if (dev->gd_image) {
        const int* px = wmf_gd_image_pixels(dev->gd_image);
        if (err == wmf_E_None) {
          result = QImage(int(w), int(h), QImage::Format_RGB32);
          for (unsigned y = 0; y < h && px; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(int(y)));
            for (unsigned x = 0; x < w; ++x)
              row[x] = qRgb((px[y * w + x] >> 16) & 0xFF, (px[y * w + x] >> 8) & 0xFF,
                            px[y * w + x] & 0xFF);
          }
        }
        FreeImage(dev->gd_image);
        dev->gd_image = nullptr;
      }
    }
    wmf_api_destroy(api);
    current = nullptr;
    if (work.over || work.records > kMaxMetafileRecords) TooComplex();
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
