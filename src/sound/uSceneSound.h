// The sound of a running scene as the saver window drives it: the effect player and the music
// made when the window shows, the slots loaded and scheduled, one update per frame, the music's
// notifications, and the close.
//
// The window calls these in its own order: Create (show, step 2), SetVolume (4), StartMusic
// (14, when music is on), StartSounds (15, when sound is on), Update (every frame), and at
// close CloseMusic (1), DeleteSoundFiles (3) and, last, StopAll before the object goes (8).
#pragma once

#include <cstdint>
#include <string>

#include "sound/uMusic.h"
#include "sound/uSoundEffect.h"
#include "sound/uSoundSchedule.h"

namespace lumora {

class TProject;

class TSceneSound {
 public:
  TSceneSound(TSoundOutput& output, TMusicDevice& musicDevice) : Effect(output), Music(musicDevice) {}

  void SetVolume(int32_t soundVolume) { Effect.SetVolume(soundVolume); }
  // The result is not used: a scene without music simply has none.
  void StartMusic(const std::string& musicFile, int32_t musicVolume);
  void StartSounds(const TProject& project);
  void Update(const TProject& project) { Schedule.UpdateSounds(project, Effect); }
  void MediaPlayerNotify() { Music.MediaPlayerNotify(); }
  void CloseMusic() { Music.Close(); }
  // The extracted sound files of the project's slots.
  static void DeleteSoundFiles(const TProject& project);
  void StopAll() { Effect.StopAll(); }

  TSoundEffect Effect;
  TMusic Music;
  TSoundSchedule Schedule;
};

}  // namespace lumora
