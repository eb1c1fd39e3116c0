// Our drawing device for libwmf: the library reads and plays a metafile, these functions draw
// what it asks on a QImage through QPainter, counting the work of each shape before drawing it.
#pragma once
#ifdef VELMORA_HAVE_WMF
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
// After the toolkit: the library defines U16 and its kin as macros.
#include <libwmf/api.h>
#include <libwmf/ipa.h>

namespace codecs {

// What the metafile reader marks in records before the library reads them, in bits the library
// hands on untouched. A bitmap's raster operation (its top byte is free): the bitmap is drawn
// mirrored across or upside down (the library reads a negative extent as 65,536 less it).
constexpr uint32_t kWmfMirrorX = 1u << 24, kWmfMirrorY = 1u << 25;
// A font's quality (its top bits are free): its height is the cell's, line spacing included (a
// positive height), and its width was asked (the library drops the height's sign and gives a
// width of 0 as the height).
constexpr uint8_t kWmfCellHeight = 0x80, kWmfWidthAsked = 0x40;

struct WmfCanvas {
  QImage Image;
  QPainter Painter;
  // Library units (points) to pixels: pixel = (unit - Origin) * Scale; in the map modes whose y
  // axis goes up (the library keeps it so), y = (Top - unit) * Scale.
  double OriginX = 0, OriginY = 0, Top = 0, Scale = 1;
  bool YUp = false;  // the map mode of the shape being drawn
  // The drawing work done, in pixels touched, and the bound on it.
  double Work = 0, MaxWork = 0;
  // The allocations the library holds (each one it frees is looked for among them all), and the
  // bound on them.
  int64_t Held = 0, MaxHeld = 0;
  // The processor time of the thread when the play began and its share, in milliseconds; the
  // clock is read every few events of the play (records the library reports, shapes).
  int64_t CpuStart = 0, MaxCpuMs = 0;
  unsigned Events = 0;
  // Once over a bound, nothing more is drawn and the play stops.
  bool Over = false;
  bool Clipped = false;  // else the whole picture
  QRegion Clip;
  bool Smooth = true;  // false: shapes are drawn whole pixels, as flood fills need
  // The bitmaps read for the drawing, each freed when the library lets it go, or with the canvas
  // however the play ends.
  std::unordered_map<const void*, std::unique_ptr<QImage>> Bitmaps;
  // The font faces looked up; past a few, a new face is drawn in its family's usual font.
  std::unordered_set<QString> Faces;
};

// Counts an event of the play: false once the play is over a bound (it then stops).
bool WmfGoOn(WmfCanvas& canvas);

// Gives libwmf our device (for wmfAPI_Options::function); every function it may call is set.
void WmfDeviceFunctions(wmfAPI* api);
// Makes `canvas` the device's: the picture is w x h pixels.
void WmfDeviceBegin(wmfAPI* api, WmfCanvas& canvas, int w, int h);

}  // namespace codecs
#endif
