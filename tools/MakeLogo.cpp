// Draws the about box's twelve logo frames (389 x 120, 24-bit BMP): makelogo <folder> writes
// LOGO01.BMP to LOGO12.BMP there. The name glows under a band of light that sweeps across it.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int kWidth = 389, kHeight = 120, kFrames = 12;

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A BMP file: 14-byte file header, 40-byte info header, 24-bit rows bottom-up.
bool WriteBmp(const QImage& image, const std::string& path) {
  const uint32_t row = (static_cast<uint32_t>(image.width()) * 24 + 31) / 32 * 4;
  const uint32_t size = row * static_cast<uint32_t>(image.height());
  std::string out;
  out += "BM";
  Put(out, 14 + 40 + size, 4);
  Put(out, 0, 4);
  Put(out, 14 + 40, 4);
  Put(out, 40, 4);
  Put(out, static_cast<uint32_t>(image.width()), 4);
  Put(out, static_cast<uint32_t>(image.height()), 4);
  Put(out, 1, 2);
  Put(out, 24, 2);
  for (int i = 0; i < 6; ++i) Put(out, 0, 4);
  for (int y = image.height() - 1; y >= 0; --y) {
    std::string line;
    for (int x = 0; x < image.width(); ++x) {
      QRgb c = image.pixel(x, y);
      line.push_back(static_cast<char>(qBlue(c)));
      line.push_back(static_cast<char>(qGreen(c)));
      line.push_back(static_cast<char>(qRed(c)));
    }
    line.resize(row, '\0');
    out += line;
  }
  std::ofstream f(path, std::ios::binary);
  f.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(f);
}

QImage Frame(int n) {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double phase = n / double(kFrames);

  // A row of dots along the bottom that ripple with the frame.
  for (int i = 0; i < 24; ++i) {
    double a = std::sin((i / 24.0 + phase) * 2 * M_PI);
    int v = 60 + static_cast<int>(80 * (a + 1) / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(v / 3, v / 2, v));
    p.drawEllipse(QPointF(16 + i * 15.5, 108), 2.5 + a, 2.5 + a);
  }

  QFont font("Liberation Sans");
  font.setFamilies({"Liberation Sans", "DejaVu Sans", "Sans Serif"});
  font.setPixelSize(62);
  font.setBold(true);
  font.setItalic(true);
  QPainterPath text;
  text.addText(0, 0, font, "VELMORA");
  QRectF box = text.boundingRect();
  text.translate((kWidth - box.width()) / 2 - box.left(), 14 - box.top());
  box = text.boundingRect();

  // Body: deep blue to amber, then the light band at this frame's place.
  QLinearGradient body(box.topLeft(), box.bottomLeft());
  body.setColorAt(0, QColor(255, 214, 110));
  body.setColorAt(0.55, QColor(230, 120, 40));
  body.setColorAt(1, QColor(120, 40, 30));
  p.setPen(QPen(QColor(40, 70, 160), 3));
  p.setBrush(body);
  p.drawPath(text);
  const double centre = box.left() - 40 + phase * (box.width() + 80);
  QLinearGradient band(QPointF(centre - 40, 0), QPointF(centre + 40, 0));
  band.setColorAt(0, QColor(255, 255, 255, 0));
  band.setColorAt(0.5, QColor(255, 255, 235, 190));
  band.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(band);
  p.drawPath(text);

  QFont small = font;
  small.setPixelSize(13);
  small.setItalic(false);
  small.setBold(false);
  small.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  p.setFont(small);
  p.setPen(QColor(150, 170, 220));
  p.drawText(QRectF(0, box.bottom() + 2, kWidth, 18), Qt::AlignHCenter, "ARCADE FRONT-END");

  // A star that travels with the band.
  QRadialGradient star(QPointF(centre, box.top() + 6), 14);
  star.setColorAt(0, QColor(255, 255, 255, 230));
  star.setColorAt(1, QColor(255, 255, 255, 0));
  p.setBrush(star);
  p.drawEllipse(QPointF(centre, box.top() + 6), 14, 14);
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makelogo <folder>\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  for (int n = 0; n < kFrames; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "LOGO%02d.BMP", n + 1);
    if (!WriteBmp(Frame(n), std::string(argv[1]) + "/" + name)) {
      std::fprintf(stderr, "makelogo: cannot write %s\n", name);
      return 1;
    }
  }
  return 0;
}
