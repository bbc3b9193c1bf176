// The Windows host's sound: eight DirectSound channels (each its own device object on the
// default device) with sndPlaySoundA as the fallback, and MCI for the music.
//
// Both need a window: DirectSound sets its cooperative level on it, and MCI posts MM_MCINOTIFY
// to it, which the window's message handler passes to TMusic::MediaPlayerNotify.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/uMusic.h"
#include "sound/uSoundEffect.h"

namespace lumora::win32 {

class TDirectSoundOutput : public TSoundOutput {
 public:
  explicit TDirectSoundOutput(void* ownerWindow) : owner_(ownerWindow) {}
  std::unique_ptr<TSoundChannel> CreateChannel() override;
  void PlaySimple(const std::string& path, bool loop) override;
  void StopSimple() override;

 private:
  void* owner_;
};

class TMciMusic : public TMusicDevice {
 public:
  explicit TMciMusic(void* notifyWindow) : window_(notifyWindow) {}
  ~TMciMusic() override { Close(); }
  bool Open(const std::string& path) override;
  void SetVolume(int32_t value) override;
  void Play() override;
  int64_t Position() override;
  int64_t Length() override;
  void Close() override;
  bool IsOpen() const override { return device_ != 0; }

 private:
  int64_t Status(uint32_t item);

  void* window_;
  uint32_t device_ = 0;
};

}  // namespace lumora::win32
