// The Linux host's sound: eight SDL2_mixer channels for the effects and SDL2_mixer's music
// stream for the background music.
//
// A loaded sound is the project's own WAV reading, converted to the mixer's format with SDL's
// audio conversion (never SDL's own file loader), so that both systems accept and refuse the
// same files. Volumes in hundredths of a decibel become the mixer's 0..128 by
// 128 x 10^(v / 2000): 0 is full, -4000 is -40 dB. Without an audio device every channel fails
// to open, the player takes its fallback, and the fallback plays nothing (said once on
// standard error).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "sound/uMusic.h"
#include "sound/uSoundEffect.h"

struct _Mix_Music;  // SDL_mixer's music, kept out of this header

namespace lumora::sdl {

// The mixer's one audio device, opened by the first user and closed with the last.
class TSdlAudio {
 public:
  TSdlAudio();
  ~TSdlAudio();
  TSdlAudio(const TSdlAudio&) = delete;
  TSdlAudio& operator=(const TSdlAudio&) = delete;

  bool Ready() const { return ready_; }
  int Frequency() const { return frequency_; }
  uint16_t Format() const { return format_; }
  int Channels() const { return channels_; }

 private:
  bool ready_ = false;
  int frequency_ = 0;
  uint16_t format_ = 0;
  int channels_ = 0;
};

class TSdlSoundOutput : public TSoundOutput {
 public:
  explicit TSdlSoundOutput(TSdlAudio& audio) : audio_(audio) {}
  std::unique_ptr<TSoundChannel> CreateChannel() override;
  void PlaySimple(const std::string& path, bool loop) override;
  void StopSimple() override {}

 private:
  TSdlAudio& audio_;
  int nextChannel_ = 0;
  bool told_ = false;
};

// The music stream. The mixer reports the end of the music on its audio thread; the frame loop
// collects it with TakeNotification and hands it to TMusic::MediaPlayerNotify on the main thread.
class TSdlMusic : public TMusicDevice {
 public:
  explicit TSdlMusic(TSdlAudio& audio);
  ~TSdlMusic() override;
  bool Open(const std::string& path) override;
  void SetVolume(int32_t value) override;
  void Play() override;
  int64_t Position() override;
  int64_t Length() override;
  void Close() override;
  bool IsOpen() const override { return music_ != nullptr; }
  // True once for every end of the music (or halt) since the last call.
  bool TakeNotification();

 private:
  TSdlAudio& audio_;
  ::_Mix_Music* music_ = nullptr;
};

// The mixer's volume for a volume in hundredths of a decibel.
int MixerVolume(int32_t hundredthsOfDecibel);

}  // namespace lumora::sdl
