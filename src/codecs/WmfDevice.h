// Our drawing device for libwmf: the library reads and plays a metafile, these functions draw
// what it asks on a QImage through QPainter, counting the work of each shape before drawing it.
#pragma once
#ifdef VELMORA_HAVE_WMF
#include <QImage>
#include <QPainter>
#include <QRegion>
// After the toolkit: the library defines U16 and its kin as macros.
#include <libwmf/api.h>
#include <libwmf/ipa.h>

namespace codecs {

struct WmfCanvas {
  QImage Image;
  QPainter Painter;
  // Library units (points) to pixels: pixel = (unit - Origin) * Scale.
  double OriginX = 0, OriginY = 0, Scale = 1;
  // The drawing work done, in pixels touched, and the bound on it; once over, nothing more is
  // drawn and the play stops.
  double Work = 0, MaxWork = 0;
  bool Over = false;
  bool Clipped = false;  // else the whole picture
  QRegion Clip;
  bool Smooth = true;  // false: shapes are drawn whole pixels, as flood fills need
};

// Gives libwmf our device (for wmfAPI_Options::function); every function it may call is set.
void WmfDeviceFunctions(wmfAPI* api);
// Makes `canvas` the device's: the picture is w x h pixels.
void WmfDeviceBegin(wmfAPI* api, WmfCanvas& canvas, int w, int h);

}  // namespace codecs
#endif
