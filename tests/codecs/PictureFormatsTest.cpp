// The picture-format registry and loading a picture file of each format.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>

#include "GifCorpus.h"
#include "codecs/PictureFormats.h"
#include "platform/Files.h"

namespace {

std::string Word(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Dword(uint32_t v) { return Word(int(v & 0xFFFF)) + Word(int(v >> 16)); }

// A placeable metafile with one red rectangle over a 100 x 50 window.
std::string RedRectangleMetafile() {
  std::string head =
      Dword(0x9AC6CDD7) + Word(0) + Word(0) + Word(0) + Word(100) + Word(50) + Word(96) + Dword(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < head.size(); i += 2)
    sum ^= uint16_t(uint8_t(head[i]) | uint8_t(head[i + 1]) << 8);
  head += Word(sum);
  auto rec = [](int fn, std::vector<int> params) {
    std::string r = Dword(uint32_t(3 + params.size())) + Word(fn);
    for (int p : params) r += Word(p);
    return r;
  };
  std::string body = rec(0x020B, {0, 0}) + rec(0x020C, {50, 100}) +
                     rec(0x02FC, {0, 0x00FF, 0x0000, 0}) + rec(0x012D, {0}) +
                     rec(0x041B, {50, 100, 0, 0}) + rec(0x0000, {});
  const uint32_t words = uint32_t(18 + body.size()) / 2;
  return head + Word(1) + Word(9) + Word(0x0300) + Dword(words) + Word(1) + Dword(7) + Word(0) +
         body;
}

TEST(PictureFormats, RegistryByExtension) {
  for (const char* ext : {"GIF", ".gif", "png", "BMP", ".jpg", "JPEG"})
    EXPECT_NE(codecs::FindPictureFormat(ext), nullptr) << ext;
  EXPECT_EQ(codecs::FindPictureFormat("GIF")->Description, "GIF Image");
  EXPECT_EQ(codecs::FindPictureFormat("PNG")->Description, "Portable Network Graphics");
  EXPECT_EQ(codecs::FindPictureFormat("WMF") != nullptr, codecs::HaveMetafiles());
  EXPECT_EQ(codecs::FindPictureFormat("TXT"), nullptr);
}

TEST(PictureFormats, LoadPictureOfEachFormat) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  QImage source(6, 4, QImage::Format_RGB32);
  source.fill(qRgb(200, 40, 40));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/a.bmp"), "BMP"));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/b.JPG"), "JPEG", 100));
  ASSERT_TRUE(source.save(QString::fromStdString(d + "/c.png"), "PNG"));
  const corpus::Gif g = corpus::OneFrame(6, 4, 4, 1);
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/d.Gif", corpus::WriteOurs(g)));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/e.wmf", RedRectangleMetafile()));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.gif", "GIF89a"));
  ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.png", "nothing"));

  for (const char* name : {"a.bmp", "b.JPG", "c.png", "d.Gif"}) {
    QImage img;
    std::string error;
    ASSERT_TRUE(codecs::LoadPicture(d + "/" + name, img, error)) << name << error;
    EXPECT_EQ(img.size(), QSize(6, 4)) << name;
    if (name[0] != 'd') {
      EXPECT_NEAR(qRed(img.pixel(2, 2)), 200, 3) << name;
    }
  }
  if (codecs::HaveMetafiles()) {
    QImage img;
    std::string error;
    ASSERT_TRUE(codecs::LoadPicture(d + "/e.wmf", img, error)) << error;
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2), qRgb(255, 0, 0));
    // A failing metafile names missing fonts as the cause.
    ASSERT_TRUE(plat::WriteFileAtomic(d + "/bad.wmf", "\xD7\xCD\xC6\x9A"));
    EXPECT_FALSE(codecs::LoadPicture(d + "/bad.wmf", img, error));
    EXPECT_EQ(error, "Invalid metafile");
    codecs::SetMetafileFontFolder(d);
    EXPECT_FALSE(codecs::LoadPicture(d + "/bad.wmf", img, error));
    EXPECT_EQ(error, "Metafiles cannot be shown: the fonts they are drawn with are missing from " +
                         d + " (install the package fonts-urw-base35)");
    codecs::SetMetafileFontFolder("/usr/share/fonts/type1/urw-base35");
  }
  struct {
    const char* Name;
    const char* Error;
  } failures[] = {{"bad.gif", "Premature end of data"},
                  {"bad.png", "Is not a valid PNG !"},
                  {"x.txt", "Unknown picture file extension (.txt)"}};
  for (const auto& f : failures) {
    QImage img;
    std::string error;
    EXPECT_FALSE(codecs::LoadPicture(d + "/" + f.Name, img, error));
    EXPECT_EQ(error, f.Error);
  }
  // Files larger than any picture are refused unread (sparse: they take no disk).
  for (const char* name : {"huge.gif", "huge.png", "huge.wmf"}) {
    if (name[5] == 'w' && !codecs::HaveMetafiles()) continue;
    const std::string path = d + "/" + name;
    ASSERT_TRUE(plat::WriteFileAtomic(path, ""));
    std::filesystem::resize_file(path, codecs::kMaxPictureFileSize + 1);
    QImage img;
    std::string error;
    EXPECT_FALSE(codecs::LoadPicture(path, img, error));
    EXPECT_EQ(error, "Cannot open file \"" + path + "\". Larger than 64 MB");
  }
}

}  // namespace
