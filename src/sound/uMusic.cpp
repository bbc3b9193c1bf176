// The background music (see uMusic.h).
#include "sound/uMusic.h"

#include <exception>

namespace lumora {

bool TMusic::PlayMusic(const std::string& path) {
  if (!device_.Open(path)) return false;
  device_.SetVolume(MusicVolume * 10);
  device_.Play();
  return true;
}

void TMusic::MediaPlayerNotify() {
  if (closed_ || !device_.IsOpen()) return;
  try {
    if (device_.Position() >= device_.Length()) {
      device_.Close();
      PlayMusic(MusicFileName);
    }
  } catch (const std::exception&) {
  }
}

void TMusic::Close() {
  closed_ = true;
  device_.Close();
}

}  // namespace lumora
