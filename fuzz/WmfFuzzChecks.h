// What the metafile fuzz target (and its regression test) requires of any input: no crash,
// and a picture of at most 2 Mpixels or a message.
#pragma once
#include <QGuiApplication>
#include <QImage>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codecs/PictureFormats.h"
#include "platform/Files.h"

namespace fuzzchecks {

inline bool CheckMetafile(std::string_view data) {
  if (!codecs::HaveMetafiles()) return true;
  // Text is drawn in the toolkit's fonts, which need an application.
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "fuzz_wmf";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
  }
  // Metafiles are read from files: one file of the process, written again for each input and
  // removed at exit.
  static const struct File {
    std::string path;
    File() {
      char name[] = "/tmp/velmora-wmf-XXXXXX";
      const int fd = mkstemp(name);
      if (fd >= 0) close(fd);
      path = std::string(name) + ".wmf";
      std::remove(name);
    }
    ~File() { std::remove(path.c_str()); }
  } file;
  const std::string& path = file.path;
  if (!plat::WriteFileAtomic(path, std::string(data))) return true;
  QImage img;
  std::string error;
  if (!codecs::LoadPicture(path, img, error)) return !error.empty();
  return !img.isNull() && double(img.width()) * img.height() <= 2.0 * 1024 * 1024;
}

}  // namespace fuzzchecks
