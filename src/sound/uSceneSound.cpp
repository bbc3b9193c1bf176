// The sound of a running scene (see uSceneSound.h).
#include "sound/uSceneSound.h"

#include "platform/Platform.h"
#include "project/uVXProject.h"

namespace lumora {

void TSceneSound::StartMusic(const std::string& musicFile, int32_t musicVolume) {
  Music.MusicFileName = musicFile;
  Music.MusicVolume = musicVolume;
  Music.PlayMusic(musicFile);
}

void TSceneSound::StartSounds(const TProject& project) {
  Schedule.PrepareSounds(project, Effect);
  Schedule.UpdateSounds(project, Effect);
}

void TSceneSound::DeleteSoundFiles(const TProject& project) {
  for (int i = 0; i < project.SoundCount(); ++i) platform::EraseFile(project.SoundSlots[static_cast<size_t>(i)].Path());
}

}  // namespace lumora
