// Our metafile device over QPainter. Shapes come in the library's units; each is counted by
// the pixels it touches within the picture and the clip (its pen included) before it is drawn.
#ifdef VELMORA_HAVE_WMF
#include "codecs/WmfDevice.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "directx/DIB.h"
#include "platform/Cp1252.h"
#include "platform/LittleEndian.h"
#include "platform/Seams.h"
// After the toolkit: the library defines U16 and its kin as macros.
#include <libwmf/defs.h>
#include <libwmf/font.h>

namespace codecs {
namespace {

// The canvas while it draws, set to the map mode of the device context.
WmfCanvas* Canvas(wmfAPI* api, const wmfDC* dc) {
  auto* c = static_cast<WmfCanvas*>(api->device_data);
  if (!c || !c->Painter.isActive()) return nullptr;
  // MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH and MM_TWIPS.
  c->YUp = dc && dc->map_mode >= 2 && dc->map_mode <= 6;
  return c;
}

// Filled shapes: each scan line crosses edges, which the rasterizer keeps in order, so a row
// crossing n edges costs about n squared; past this many a row on average the shape is drawn
// without smoothing, which costs some sixteen times as much. Dashed lines cost this much a pixel
// of their length. Letters: each costs twice its square, at least this many pixels.
// Curved outlines are cut into pieces over their whole length, inside the picture or not: this
// much a pixel of their box's perimeter.
constexpr double kSmoothCrossings = 8;
constexpr double kDashPixel = 8;
constexpr double kLetterPixels = 64;
constexpr double kCurvePixel = 6;
constexpr double kMaxBitmapPixels = 16 << 20;
// The processor clock is read once in this many events of the play (a reading costs more than
// an ordinary record).
constexpr unsigned kClockEvery = 16;
// Points farther than this many pixels from the picture (or not numbers) are past what whole
// pixels and the toolkit hold: a shape with one is not drawn.
constexpr double kFar = 1 << 24;
// Font faces looked up in a picture (each new one costs the toolkit a font match).
constexpr size_t kMaxFaces = 64;

QPointF At(const WmfCanvas& c, wmfD_Coord p) {
  return {(p.x - c.OriginX) * c.Scale, (c.YUp ? c.Top - p.y : p.y - c.OriginY) * c.Scale};
}
bool Near(const QPointF& p) { return std::abs(p.x()) <= kFar && std::abs(p.y()) <= kFar; }
bool Near(const QPolygonF& poly) {
  return std::all_of(poly.begin(), poly.end(), [](const QPointF& p) { return Near(p); });
}
QRectF Box(const WmfCanvas& c, wmfD_Coord a, wmfD_Coord b) {
  return QRectF(At(c, a), At(c, b)).normalized();
}
bool Near(const WmfCanvas& c, wmfD_Coord a, wmfD_Coord b) {
  return Near(At(c, a)) && Near(At(c, b));
}
QColor Colour(const wmfRGB& c) { return QColor(c.r, c.g, c.b); }

// The pen's width in pixels (a pen of no width draws one pixel, one of no number is as wide as
// can be), none when it draws nothing.
double PenWidth(const WmfCanvas& c, const wmfDC* dc) {
  if (!dc || !dc->pen || (dc->pen->lopnStyle & PS_STYLE_MASK) == PS_NULL) return 0;
  const double widest = 2 * std::hypot(c.Image.width(), c.Image.height()) + 2;
  const double width = dc->pen->width * c.Scale;
  return std::isnan(width) ? widest : std::clamp(width, 1.0, widest);
}

// The pixels of a box (widened by `pen`) within the picture and the clip.
double Touched(const WmfCanvas& c, QRectF box, double pen = 0) {
  box.adjust(-pen / 2 - 1, -pen / 2 - 1, pen / 2 + 1, pen / 2 + 1);
  QRectF within = box & QRectF(c.Image.rect());
  if (c.Clipped) within &= QRectF(c.Clip.boundingRect());
  return within.isValid() ? within.width() * within.height() : 0;
}
// The rows of the picture crossed by the edges of a shape's outlines, and what filling them
// costs (the rows crossed in all, and per row the crossings' square).
struct Crossings {
  double Edges = 0, Rows = 0;
  void Add(const WmfCanvas& c, const QPolygonF& poly) {
    const double h = c.Image.height();
    for (int i = 0; i < poly.size(); ++i) {
      const QPointF& a = poly[i];
      const QPointF& b = poly[(i + 1) % poly.size()];
      Edges += std::max(0.0, std::min(std::max(a.y(), b.y()), h) -
                                 std::max(std::min(a.y(), b.y()), 0.0)) +
               1;
    }
  }
  bool Smooth() const { return Edges <= kSmoothCrossings * std::max(Rows, 1.0); }
  double Cost() const {
    return 8 * Edges + Edges * Edges / std::max(Rows, 1.0) * (Smooth() ? 16 : 1);
  }
};
Crossings Crossed(const WmfCanvas& c, const QRectF& box) {
  Crossings x;
  x.Rows =
      std::max(0.0, std::min(box.bottom(), double(c.Image.height())) - std::max(box.top(), 0.0)) +
      1;
  return x;
}

// Counts the work (setting a clip of many rectangles costs them all); false once over a bound
// (the status function then stops the play).
bool Charge(WmfCanvas& c, double pixels) {
  if (!WmfGoOn(c)) return false;
  if (c.Clipped) pixels += c.Clip.rectCount();
  c.Work += std::isfinite(pixels) ? pixels + 1 : c.MaxWork + 1;
  c.Over = c.Work > c.MaxWork;
  return !c.Over;
}

// The binary raster operations (R2_BLACK to R2_WHITE) as the toolkit's.
constexpr QPainter::CompositionMode kRop2[] = {
    QPainter::RasterOp_ClearDestination,        QPainter::RasterOp_NotSourceAndNotDestination,
    QPainter::RasterOp_NotSourceAndDestination, QPainter::RasterOp_NotSource,
    QPainter::RasterOp_SourceAndNotDestination, QPainter::RasterOp_NotDestination,
    QPainter::RasterOp_SourceXorDestination,    QPainter::RasterOp_NotSourceOrNotDestination,
    QPainter::RasterOp_SourceAndDestination,    QPainter::RasterOp_NotSourceXorDestination,
    QPainter::CompositionMode_Destination,      QPainter::RasterOp_NotSourceOrDestination,
    QPainter::CompositionMode_SourceOver,       QPainter::RasterOp_SourceOrNotDestination,
    QPainter::RasterOp_SourceOrDestination,     QPainter::RasterOp_SetDestination};

void SetRop(QPainter& p, const wmfDC* dc, bool smooth) {
  const int rop = dc ? dc->ROPmode : R2_COPYPEN;
  const auto mode = rop >= 1 && rop <= 16 ? kRop2[rop - 1] : QPainter::CompositionMode_SourceOver;
  p.setCompositionMode(mode);
  // Raster operations work on whole pixels.
  p.setRenderHint(QPainter::Antialiasing, smooth && mode == QPainter::CompositionMode_SourceOver);
}

void SetClip(WmfCanvas& c) {
  if (c.Clipped)
    c.Painter.setClipRegion(c.Clip);
  else
    c.Painter.setClipping(false);
}

// Prepares the painter for a shape of the device context: pen, brush, fill background, raster
// operation, clip. False when the shape draws nothing.
bool Prepare(WmfCanvas& c, const wmfDC* dc, bool fill) {
  QPainter& p = c.Painter;
  p.resetTransform();
  SetClip(c);
  if (dc && dc->ROPmode == R2_NOP) return false;
  SetRop(p, dc, c.Smooth);
  const double width = PenWidth(c, dc);
  if (width > 0) {
    QPen pen(Colour(dc->pen->lopnColor), width > 1.5 ? width : 0);
    // Windows' pen styles, end caps and joins, in their order.
    static constexpr Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                              Qt::SolidLine,   Qt::SolidLine,      Qt::DotLine};
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin};
    const unsigned style = dc->pen->lopnStyle & PS_STYLE_MASK,
                   cap = (dc->pen->lopnStyle & PS_ENDCAP_MASK) >> 8,
                   join = (dc->pen->lopnStyle & PS_JOIN_MASK) >> 12;
    pen.setStyle(style < 9 ? styles[style] : Qt::SolidLine);
    pen.setCapStyle(cap < 3 ? caps[cap] : Qt::RoundCap);
    pen.setJoinStyle(join < 3 ? joins[join] : Qt::RoundJoin);
    p.setPen(pen);
  } else {
    p.setPen(Qt::NoPen);
  }
  p.setBrush(Qt::NoBrush);
  if (fill && dc && dc->brush && dc->brush->lbStyle != BS_NULL) {
    const wmfBrush& b = *dc->brush;
    QBrush brush(Colour(b.lbColor));
    if (b.lbStyle == BS_HATCHED) {
      static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                               Qt::FDiagPattern, Qt::BDiagPattern,
                                               Qt::CrossPattern, Qt::DiagCrossPattern};
      brush.setStyle(b.lbHatch < 6 ? hatches[b.lbHatch] : Qt::SolidPattern);
    } else if (b.lbStyle != BS_SOLID && b.bmp.data) {
      brush.setTextureImage(*static_cast<const QImage*>(b.bmp.data));
    }
    p.setBrush(brush);
  }
  p.setBackgroundMode(dc && dc->bgmode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
  if (dc) p.setBackground(Colour(dc->bgcolor));
  return p.pen().style() != Qt::NoPen || p.brush().style() != Qt::NoBrush;
}

void DeviceNothing(wmfAPI*) {}
void UserDataNothing(wmfAPI*, wmfUserData_t*) {}

void DeviceBegin(wmfAPI* api) {
  if (WmfCanvas* c = Canvas(api, nullptr)) c->Image.fill(Qt::white);
}

// Flood fills: the connected pixels of the point's colour (surface), or those up to a border
// of the colour, all within the clip.
void Flood(wmfAPI* api, wmfFlood_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || !Near(At(*c, d->pt)) || !Charge(*c, 16.0 * c->Image.width() * c->Image.height()))
    return;
  const QPoint start = At(*c, d->pt).toPoint();
  QImage& im = c->Image;
  if (!im.rect().contains(start) || (c->Clipped && !c->Clip.contains(start))) return;
  c->Painter.end();
  const QRgb colour = qRgb(d->color.r, d->color.g, d->color.b) | 0xFF000000;
  const QRgb seed = im.pixel(start);
  const bool surface = d->type == FLOODFILLSURFACE;
  auto inside = [&](int x, int y) {
    const QRgb px = reinterpret_cast<const QRgb*>(im.constScanLine(y))[x] | 0xFF000000;
    if (px == colour && surface) return false;
    return surface ? px == seed : px != colour;
  };
  const QRgb paint = d->dc && d->dc->brush ? qRgb(d->dc->brush->lbColor.r, d->dc->brush->lbColor.g,
                                                  d->dc->brush->lbColor.b)
                                           : colour;
  if (!surface || paint != seed) {
    // Pixels outside the clip count as done.
    std::vector<bool> done(size_t(im.width()) * im.height(), c->Clipped);
    for (const QRect& r : c->Clipped ? c->Clip : QRegion())
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) done[size_t(y) * im.width() + x] = false;
    std::vector<QPoint> todo{start};
    while (!todo.empty()) {
      const QPoint q = todo.back();
      todo.pop_back();
      int l = q.x(), r = q.x();
      const int y = q.y();
      if (done[size_t(y) * im.width() + l] || !inside(l, y)) continue;
      while (l > 0 && !done[size_t(y) * im.width() + l - 1] && inside(l - 1, y)) --l;
      while (r + 1 < im.width() && !done[size_t(y) * im.width() + r + 1] && inside(r + 1, y)) ++r;
      auto* row = reinterpret_cast<QRgb*>(im.scanLine(y));
      for (int x = l; x <= r; ++x) {
        row[x] = paint;
        done[size_t(y) * im.width() + x] = true;
        if (y > 0 && !done[size_t(y - 1) * im.width() + x]) todo.push_back({x, y - 1});
        if (y + 1 < im.height() && !done[size_t(y + 1) * im.width() + x])
          todo.push_back({x, y + 1});
      }
    }
  }
  c->Painter.begin(&im);
}

void DrawPixel(wmfAPI* api, wmfDrawPixel_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  const wmfD_Coord to{float(d->pt.x + d->pixel_width), float(d->pt.y + d->pixel_height)};
  if (!c || !Near(*c, d->pt, to) || !Charge(*c, Touched(*c, Box(*c, d->pt, to)))) return;
  Prepare(*c, d->dc, false);
  QRectF px = Box(*c, d->pt, to);
  px.setSize(px.size().expandedTo(QSizeF(1, 1)));
  c->Painter.fillRect(px, Colour(d->color));
}

// The pixels a shape in the box touches, its pen included; an outline with curves (of ellipses
// whose axes add up to `curves` pixels) costs their pieces too.
double ShapeCost(const WmfCanvas& c, const QRectF& box, const wmfDC* dc, double curves) {
  const double pen = PenWidth(c, dc);
  return Touched(c, box, pen) + (pen > 0 ? kCurvePixel * 2 * curves : 0);
}

// Arcs, chords and pies go counter-clockwise on the picture from the end point the library gives
// to its start point (both from the centre); an angle is the ray's, as Windows measures it.
void ArcShape(wmfAPI* api, wmfDrawArc_t* d, int kind) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || !Near(*c, d->TL, d->BR)) return;
  const QRectF box = Box(*c, d->TL, d->BR);
  const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
  auto angle = [&](wmfD_Coord v) {
    return std::atan2((c->YUp ? v.y : -v.y) * c->Scale / ry, v.x * c->Scale / rx) * 180 / M_PI;
  };
  const double from = angle(d->end);
  double span = std::fmod(angle(d->start) - from + 720, 360);
  if (!std::isfinite(from) || !std::isfinite(span)) return;
  if (span <= 0) span = 360;
  if (!Charge(*c, ShapeCost(*c, box, d->dc, box.width() + box.height())) ||
      !Prepare(*c, d->dc, kind != 0))
    return;
  const int a = int(std::lround(from * 16)), s = int(std::lround(span * 16));
  QPainter& p = c->Painter;
  if (kind == 0)
    p.drawArc(box, a, s);
  else if (kind == 1)
    p.drawChord(box, a, s);
  else
    p.drawPie(box, a, s);
}
void DrawArc(wmfAPI* api, wmfDrawArc_t* d) { ArcShape(api, d, 0); }
void DrawChord(wmfAPI* api, wmfDrawArc_t* d) { ArcShape(api, d, 1); }
void DrawPie(wmfAPI* api, wmfDrawArc_t* d) { ArcShape(api, d, 2); }

void DrawEllipse(wmfAPI* api, wmfDrawArc_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || !Near(*c, d->TL, d->BR)) return;
  const QRectF box = Box(*c, d->TL, d->BR);
  if (Charge(*c, ShapeCost(*c, box, d->dc, box.width() + box.height())) && Prepare(*c, d->dc, true))
    c->Painter.drawEllipse(box);
}

bool Dashed(const wmfDC* dc) {
  const int style = dc && dc->pen ? dc->pen->lopnStyle & PS_STYLE_MASK : PS_SOLID;
  return style != PS_SOLID && style != PS_NULL && style != PS_INSIDEFRAME;
}

QPolygonF Points(const WmfCanvas& c, const wmfD_Coord* pt, unsigned count) {
  QPolygonF poly;
  poly.reserve(int(count));
  for (unsigned i = 0; pt && i < count; ++i) poly << At(c, pt[i]);
  return poly;
}

// Outlines through points: each segment its length (within the picture) by the pen. A thin pen
// draws every pixel of it however often it passes, smoothed (4 a pixel); a wide pen is filled as
// the outline of its stroke, at most twice its box.
double LineCost(const WmfCanvas& c, const QPolygonF& poly, double pen, const wmfDC* dc,
                bool closed) {
  if (pen <= 0) return 0;
  const double diagonal = std::hypot(c.Image.width(), c.Image.height());
  double length = 0;
  for (int i = 1; i < poly.size() + (closed ? 1 : 0); ++i)
    length += std::min(QLineF(poly[i - 1], poly[i % poly.size()]).length(), diagonal) + pen;
  double cost = pen > 1.5 ? std::min(length * (pen + 2), Touched(c, poly.boundingRect(), pen) * 2)
                          : length * 4;
  if (Dashed(dc)) cost = length * (pen + 2) * kDashPixel;
  if (pen > 1.5) {
    Crossings x = Crossed(c, poly.boundingRect().adjusted(0, -pen, 0, pen));
    x.Add(c, poly);
    x.Edges = 2 * x.Edges + poly.size() * pen;
    cost += x.Cost();
  }
  return cost + poly.size();
}

void DrawLine(wmfAPI* api, wmfDrawLine_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c) return;
  const QPolygonF line{At(*c, d->from), At(*c, d->to)};
  if (Near(line) && Charge(*c, LineCost(*c, line, PenWidth(*c, d->dc), d->dc, false)) &&
      Prepare(*c, d->dc, false))
    c->Painter.drawLine(line[0], line[1]);
}

void PolyLine(wmfAPI* api, wmfPolyLine_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c) return;
  const QPolygonF poly = Points(*c, d->pt, d->count);
  if (Near(poly) && Charge(*c, LineCost(*c, poly, PenWidth(*c, d->dc), d->dc, false)) &&
      Prepare(*c, d->dc, false))
    c->Painter.drawPolyline(poly);
}

// Filled polygons: the pixels of their box, their crossings and their outlines. Many crossings a
// row are drawn without smoothing.
void FillPath(wmfAPI* api, const wmfDC* dc, const std::vector<QPolygonF>& polys) {
  WmfCanvas* c = Canvas(api, dc);
  if (!c || !std::all_of(polys.begin(), polys.end(), [](const QPolygonF& p) { return Near(p); }))
    return;
  QPainterPath path;
  path.setFillRule(dc && dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  for (const QPolygonF& poly : polys) {
    path.addPolygon(poly);
    path.closeSubpath();
  }
  const QRectF box = path.boundingRect();
  const double pen = PenWidth(*c, dc);
  Crossings x = Crossed(*c, box);
  double cost = Touched(*c, box, pen);
  for (const QPolygonF& poly : polys) {
    x.Add(*c, poly);
    cost += LineCost(*c, poly, pen, dc, true);
  }
  if (!Charge(*c, cost + x.Cost()) || !Prepare(*c, dc, true)) return;
  if (!x.Smooth()) c->Painter.setRenderHint(QPainter::Antialiasing, false);
  c->Painter.drawPath(path);
}

void DrawPolygon(wmfAPI* api, wmfPolyLine_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (c) FillPath(api, d->dc, {Points(*c, d->pt, d->count)});
}

// Several polygons filled as one (a point inside an even number of them is a hole in the
// alternate fill mode), each outlined.
void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c) return;
  std::vector<QPolygonF> polys;
  for (unsigned i = 0; d->pt && d->count && i < d->npoly; ++i)
    polys.push_back(Points(*c, d->pt[i], d->count[i]));
  FillPath(api, d->dc, polys);
}

void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || !Near(*c, d->TL, d->BR)) return;
  const QRectF box = Box(*c, d->TL, d->BR);
  // Rounded corners: the library gives the axes of the corner ellipses.
  const double rx = std::min(double(d->width) * c->Scale / 2, box.width() / 2),
               ry = std::min(double(d->height) * c->Scale / 2, box.height() / 2);
  const bool round = rx > 0 && ry > 0;  // not for numbers that are none
  if (!Charge(*c, ShapeCost(*c, box, d->dc, round ? 2 * (rx + ry) : 0)) ||
      !Prepare(*c, d->dc, true))
    return;
  if (round)
    c->Painter.drawRoundedRect(box, rx, ry);
  else
    c->Painter.drawRect(box);
}

// Pattern blits: the brush, black, white or the inverse, by the raster operation.
void RopDraw(wmfAPI* api, wmfROP_Draw_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || !Near(*c, d->TL, d->BR)) return;
  const QRectF box = Box(*c, d->TL, d->BR);
  if (!Charge(*c, Touched(*c, box))) return;
  Prepare(*c, d->dc, true);
  QPainter& p = c->Painter;
  p.setPen(Qt::NoPen);
  p.setRenderHint(QPainter::Antialiasing, false);
  switch (d->ROP) {
    case BLACKNESS:
      p.fillRect(box, Qt::black);
      break;
    case WHITENESS:
      p.fillRect(box, Qt::white);
      break;
    case DSTINVERT:
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      p.fillRect(box, Qt::white);
      break;
    case PATINVERT:
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(box, p.brush());
      break;
    case PATCOPY:
    default:
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      if (p.brush().style() != Qt::NoBrush) p.fillRect(box, p.brush());
      break;
  }
}

// Bitmaps: read by our DIB reader, each counted by its pixels before it is read.
void BmpRead(wmfAPI* api, wmfBMP_Read_t* d) {
  d->bmp = {0, 0, nullptr};
  WmfCanvas* c = Canvas(api, nullptr);
  const unsigned char* b = d->buffer;
  if (!c || !b || d->length < 16) return;
  double pixels = double(d->width) * d->height;
  const uint32_t head = plat::Get32LE(b);
  if (head == 12)
    pixels = std::max(pixels, double(plat::Get16LE(b + 4)) * double(plat::Get16LE(b + 6)));
  else if (head >= 16)
    pixels = std::max(pixels, std::abs(double(int32_t(plat::Get32LE(b + 4)))) *
                                  std::abs(double(int32_t(plat::Get32LE(b + 8)))));
  // Reading, the reader's copy and the picture made of it, which stays while its brush does; a
  // bitmap larger than a photo is too much.
  if (!Charge(*c, pixels > kMaxBitmapPixels ? c->MaxWork + 1 : 4 * pixels)) return;
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(b), qsizetype(d->length));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  try {
    TDIB dib;
    dib.ReadData(buffer);
    if (dib.Empty() || dib.Width() > 0xFFFF || dib.Height() > 0xFFFF) return;
    auto image = std::make_unique<QImage>(dib.ToImage().convertToFormat(QImage::Format_RGB32));
    d->bmp.width = static_cast<unsigned short>(image->width());
    d->bmp.height = static_cast<unsigned short>(image->height());
    d->bmp.data = image.get();
    c->Bitmaps[image.get()] = std::move(image);
  } catch (const std::exception&) {
  }
}

void BmpFree(wmfAPI* api, wmfBMP* bmp) {
  if (auto* c = static_cast<WmfCanvas*>(api->device_data)) c->Bitmaps.erase(bmp->data);
  bmp->data = nullptr;
}

// A bitmap (or part of it) stretched from the point by the pixel size, mirrored where that goes
// left or up on the picture, combined by the raster operation.
void BmpDraw(wmfAPI* api, wmfBMP_Draw_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  const auto* image = static_cast<const QImage*>(d->bmp.data);
  if (!c || !image) return;
  // The library gives the size unsigned: a window of negative extent draws it the other way.
  const double w = d->crop.w * d->pixel_width * (d->dc && d->dc->Window.width < 0 ? -1 : 1),
               h = d->crop.h * d->pixel_height * (d->dc && d->dc->Window.height < 0 ? -1 : 1);
  const wmfD_Coord to{float(d->pt.x + w), float(d->pt.y + h)};
  const QPointF from = At(*c, d->pt), end = At(*c, to);
  if (!Near(from) || !Near(end)) return;
  const QRectF target = QRectF(from, end).normalized();
  if (!Charge(*c, Touched(*c, target) + double(d->crop.w) * d->crop.h)) return;
  Prepare(*c, d->dc, false);
  QPainter& p = c->Painter;
  // The raster operations with the source alone, as the toolkit's; others copy.
  static const std::pair<uint32_t, QPainter::CompositionMode> rops[] = {
      {SRCAND, QPainter::RasterOp_SourceAndDestination},
      {SRCPAINT, QPainter::RasterOp_SourceOrDestination},
      {SRCINVERT, QPainter::RasterOp_SourceXorDestination},
      {NOTSRCCOPY, QPainter::RasterOp_NotSource},
      {SRCERASE, QPainter::RasterOp_SourceAndNotDestination},
      {NOTSRCERASE, QPainter::RasterOp_NotSourceAndNotDestination},
      {MERGEPAINT, QPainter::RasterOp_NotSourceOrDestination}};
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  for (const auto& [rop, m] : rops)
    if ((d->type & 0xFFFFFF) == rop) mode = m;
  p.setCompositionMode(mode);
  // Enlarged pixels stay whole, as Windows stretches; a smaller picture is smoothed.
  const bool smaller = target.width() < d->crop.w && target.height() < d->crop.h;
  p.setRenderHint(QPainter::SmoothPixmapTransform,
                  smaller && mode == QPainter::CompositionMode_SourceOver);
  const QRectF source(d->crop.x, d->crop.y, d->crop.w, d->crop.h);
  // Mirrored where it goes left or up, or where the reader found a negative size.
  const bool across = (end.x() < from.x()) != bool(d->type & kWmfMirrorX),
             down = (end.y() < from.y()) != bool(d->type & kWmfMirrorY);
  p.translate(target.center());
  p.scale(across ? -1 : 1, down ? -1 : 1);
  p.translate(-target.center());
  p.drawImage(target, *image, source);
}

// The toolkit's font for a font of the metafile, `size` pixels high (the cell's or the letters').
QFont FontOf(WmfCanvas& c, const wmfFont& f, double size) {
  QFont font;
  // A face not looked up yet, past the first few, is drawn in its family's usual font.
  const QString face = QString::fromLatin1(f.lfFaceName ? f.lfFaceName : "");
  QStringList families;
  if (c.Faces.count(face) || c.Faces.size() < kMaxFaces) {
    c.Faces.insert(face);
    families << face;
    if (const char* ps = WMF_FONT_PSNAME(&f))
      families << QString::fromLatin1(ps).section('-', 0, 0);
  }
  font.setFamilies(families);
  // The font families of Windows, in their order, for a face that is not installed.
  static constexpr QFont::StyleHint hints[] = {QFont::SansSerif, QFont::Serif,   QFont::SansSerif,
                                               QFont::Monospace, QFont::Cursive, QFont::Decorative};
  const unsigned family = (f.lfPitchAndFamily & 0xF0) >> 4;
  font.setStyleHint(family < 6 ? hints[family] : QFont::SansSerif);
  font.setPixelSize(std::max(1, int(std::lround(size))));
  font.setWeight(QFont::Weight(std::clamp(f.lfWeight ? int(f.lfWeight) : 400, 1, 1000)));
  font.setItalic(f.lfItalic);
  font.setUnderline(f.lfUnderline);
  font.setStrikeOut(f.lfStrikeOut);
  // A cell height: the letters are as much smaller as the font's line spacing.
  if (f.lfQuality & kWmfCellHeight) {
    const double cell = QFontMetricsF(font).height();
    if (cell > 0) font.setPixelSize(std::max(1, int(std::lround(size * size / cell))));
  }
  return font;
}

// A font's average letter width as Windows takes it: its small letters and the space, each
// weighted by how often it is written in English.
double AverageWidth(const QFontMetricsF& metrics) {
  static constexpr int weights[] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                    56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  double sum = 0;
  for (int i = 0; i < 27; ++i)
    sum += weights[i] * metrics.horizontalAdvance(QChar(i < 26 ? 'a' + i : ' '));
  return sum / 1000;
}

// Text in the font, size, angle and colour asked, placed as Windows places it from its point: by
// its left, centre or right, and its top, base line or bottom, in the letters drawn. The library
// gives the point moved by its own reckoning (down by the font's height for text by its top, left
// by half the text's width for text by its right or centre, along the text's angle): found again.
void DrawText(wmfAPI* api, wmfDrawText_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  // Fonts need the application (a program without one draws no text).
  if (!c || !d->str || !d->dc || !d->dc->font ||
      !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return;
  const wmfFont& f = *d->dc->font;
  const unsigned align = d->dc->textalign;
  const double angle = f.lfEscapement / 10.0 * M_PI / 180, height = d->font_height;
  const double ratio = d->font_ratio > 0.01 && d->font_ratio < 100 ? d->font_ratio : 1;
  wmfD_Coord at = d->pt;
  if ((align & TA_BASELINE) == 0)
    at = {float(at.x - height * std::sin(angle)), float(at.y - height * std::cos(angle))};
  if (align & TA_RIGHT) {
    const double half = wmf_ipa_font_stringwidth(api, d->dc->font, d->str) * height * ratio / 2;
    at = {float(at.x + half * std::cos(angle)), float(at.y - half * std::sin(angle))};
  }
  const auto& q = d->bbox;
  const QPolygonF around{At(*c, q.TL), At(*c, q.TR), At(*c, q.BR), At(*c, q.BL)};
  const bool opaque = d->flags & ETO_OPAQUE, clipped = d->flags & ETO_CLIPPED;
  if (!Near(At(*c, at)) || !Near(around) || ((opaque || clipped) && !Near(*c, d->TL, d->BR)))
    return;
  const double size = std::clamp(height * c->Scale, 1.0, 4.0 * c->Image.height() + 4);
  if (!std::isfinite(size)) return;
  const double letters = double(std::strlen(d->str));
  const double area = double(c->Image.width()) * c->Image.height();
  const QRectF frame = Box(*c, d->TL, d->BR);
  double cost = Touched(*c, around.boundingRect()) +
                2 * letters * std::min(std::max(size * size, kLetterPixels), area);
  if (opaque) cost += Touched(*c, frame);
  if (!Charge(*c, cost)) return;
  Prepare(*c, d->dc, false);  // the pen the text takes is its colour
  QPainter& p = c->Painter;
  if (opaque) p.fillRect(frame, Colour(d->dc->bgcolor));
  if (clipped) p.setClipRect(frame, Qt::IntersectClip);
  const QFont font = FontOf(*c, f, size);
  const QFontMetricsF metrics(font);
  // A width asked is the letters' average width.
  double stretch = 1;
  if (f.lfQuality & kWmfWidthAsked) {
    const double average = AverageWidth(metrics);
    if (average > 0) stretch = std::clamp(ratio * size / average, 0.01, 100.0);
  }
  const QString text = plat::FromAnsi(d->str);
  const double width = metrics.horizontalAdvance(text) * stretch;
  const double dx = (align & TA_CENTER) == TA_CENTER ? -width / 2 : align & TA_RIGHT ? -width : 0;
  const double dy = (align & TA_BASELINE) == TA_BASELINE ? 0
                    : align & TA_BOTTOM                  ? -metrics.descent()
                                                         : metrics.ascent();
  p.setFont(font);
  p.setPen(Colour(d->dc->textcolor));
  p.translate(At(*c, at));
  p.rotate(-f.lfEscapement / 10.0);
  p.translate(dx, dy);
  p.scale(stretch, 1);
  p.drawText(QPointF(0, 0), text);
}

// The rectangles united in pairs (each union costs the rectangles of both), those with a point
// too far left out.
QRegion Rectangles(const WmfCanvas& c, const wmfPolyRectangle_t* d) {
  std::vector<QRegion> parts;
  for (unsigned i = 0; d->TL && d->BR && i < d->count; ++i)
    if (Near(c, d->TL[i], d->BR[i]))
      parts.emplace_back(Box(c, d->TL[i], d->BR[i]).toAlignedRect() & c.Image.rect());
  for (size_t n = parts.size(); n > 1; n = (n + 1) / 2)
    for (size_t i = 0; i < n; i += 2) parts[i / 2] = i + 1 < n ? parts[i] | parts[i + 1] : parts[i];
  return parts.empty() ? QRegion() : parts[0];
}
double RegionCost(const QRegion& r) {
  double px = r.rectCount();
  for (const QRect& b : r) px += double(b.width()) * b.height();
  return px;
}

// Regions: painted with the brush, framed by it `width` x `height` units thick, or made the clip.
void RegionPaint(wmfAPI* api, wmfPolyRectangle_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || d->count > 0xFFFF || !Charge(*c, 16.0 * d->count)) return;
  const QRegion region = Rectangles(*c, d);
  if (!Charge(*c, RegionCost(region)) || !Prepare(*c, d->dc, true)) return;
  c->Painter.setPen(Qt::NoPen);
  c->Painter.setRenderHint(QPainter::Antialiasing, false);
  for (const QRect& r : region) c->Painter.fillRect(r, c->Painter.brush());
}
void RegionFrame(wmfAPI* api, wmfPolyRectangle_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || d->count > 0xFFFF || !Charge(*c, 16.0 * d->count)) return;
  const QRegion region = Rectangles(*c, d);
  const double side = std::max(c->Image.width(), c->Image.height());
  const double fw = d->width * c->Scale, fh = d->height * c->Scale;
  if (!std::isfinite(fw) || !std::isfinite(fh)) return;
  const int w = int(std::lround(std::clamp(fw, 1.0, side))),
            h = int(std::lround(std::clamp(fh, 1.0, side)));
  const QRegion inner = region.translated(w, 0) & region.translated(-w, 0) &
                        region.translated(0, h) & region.translated(0, -h);
  const QRegion border = region - inner;
  if (!Charge(*c, RegionCost(border)) || !Prepare(*c, d->dc, true)) return;
  c->Painter.setRenderHint(QPainter::Antialiasing, false);
  for (const QRect& r : border) c->Painter.fillRect(r, c->Painter.brush());
}
void RegionClip(wmfAPI* api, wmfPolyRectangle_t* d) {
  WmfCanvas* c = Canvas(api, d->dc);
  if (!c || d->count > 0xFFFF || !Charge(*c, 16.0 * d->count)) return;
  // The library gives no rectangles for a clip it cannot express (one excluding a part of the
  // whole picture, which it does not hold), and for an empty one: both draw everywhere.
  c->Clip = Rectangles(*c, d);
  c->Clipped = d->count > 0;
}

}  // namespace

bool WmfGoOn(WmfCanvas& c) {
  if (!c.Over && c.Held > c.MaxHeld) c.Over = true;
  if (!c.Over && ++c.Events % kClockEvery == 0)
    c.Over = plat::Ui().ThreadCpuMs() - c.CpuStart > c.MaxCpuMs;
  return !c.Over;
}

void WmfDeviceFunctions(wmfAPI* api) {
  auto* f = static_cast<wmfFunctionReference*>(wmf_malloc(api, sizeof(wmfFunctionReference)));
  api->function_reference = f;
  api->device_data = nullptr;
  if (!f) return;
  *f = {DeviceNothing, DeviceNothing,   DeviceBegin,     DeviceNothing,   Flood,
        Flood,         DrawPixel,       DrawPie,         DrawChord,       DrawArc,
        DrawEllipse,   DrawLine,        PolyLine,        DrawPolygon,     DrawPolyPolygon,
        DrawRectangle, RopDraw,         BmpDraw,         BmpRead,         BmpFree,
        DrawText,      UserDataNothing, UserDataNothing, UserDataNothing, UserDataNothing,
        RegionFrame,   RegionPaint,     RegionClip};
}

void WmfDeviceBegin(wmfAPI* api, WmfCanvas& canvas, int w, int h) {
  canvas.Image = QImage(w, h, QImage::Format_RGB32);
  canvas.Image.fill(Qt::white);
  canvas.Painter.begin(&canvas.Image);
  api->device_data = &canvas;
}

}  // namespace codecs
#endif
