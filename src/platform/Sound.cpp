// Playing the end-of-run sound.
#include "platform/Seams.h"

#ifdef VELMORA_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#endif

#include "platform/Cp1252.h"

namespace plat {

void Seam::PlaySound(const std::string& path) {
#ifdef VELMORA_HAVE_MULTIMEDIA
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  // One player for the whole run: it must outlive the call to be heard.
  static QSoundEffect* effect = new QSoundEffect;
  effect->stop();
  effect->setSource(QUrl::fromLocalFile(FromLocal(path)));
  effect->play();
#else
  (void)path;
#endif
}

}  // namespace plat
