// The sound effect player: eight playback channels of the host's sound output, or, when any of
// them cannot be opened, the output's simple one-sound call.
//
// Channel k plays the sound of the k-th LoadSound. In the fallback only sound 0 is heard, since
// the simple call plays one sound at a time, and without volume control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumora {

struct TWaveFile;

// One playback channel: a device object of its own on the default device, with one buffer.
class TSoundChannel {
 public:
  virtual ~TSoundChannel() = default;
  // Device object, normal cooperative level on the owner window, primary buffer, global focus
  // (its sounds go on when another program has the focus). False when any of it fails.
  virtual bool Open() = 0;
  // Replaces the channel's buffer by one holding the wave's samples in its own format. Throws
  // when the buffer cannot be made or filled.
  virtual void Load(const TWaveFile& wave) = 0;
  virtual void SetVolume(int32_t hundredthsOfDecibel) = 0;  // 0 full, -4000 is -40 dB
  // From the buffer's current position; a buffer that plays goes on playing. Nothing without one.
  virtual void Play(bool loop) = 0;
  virtual void Stop() = 0;
};

// A host's sound output: its channels, and the simple call the fallback uses.
class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
  virtual std::unique_ptr<TSoundChannel> CreateChannel() = 0;
  // Plays the file asynchronously, without a default sound when it fails, looped or once.
  virtual void PlaySimple(const std::string& path, bool loop) = 0;
  // Stops what the simple call plays.
  virtual void StopSimple() = 0;
};

class TSoundEffect {
 public:
  static constexpr int kChannelCount = 8;
  static constexpr int kModeChannels = 0;
  static constexpr int kModeFallback = 2;

  // Opens channels 0 to 7 in order; the first one that fails switches the player to the
  // fallback for good (the ones opened before it stay idle until the player goes).
  explicit TSoundEffect(TSoundOutput& output);
  ~TSoundEffect();
  TSoundEffect(const TSoundEffect&) = delete;
  TSoundEffect& operator=(const TSoundEffect&) = delete;

  // Records `path` as the next sound; with channels, loads it into its channel. A missing
  // file, a file that is not a WAV of a format both systems play, or a channel that cannot take
  // it throws; the path stays recorded and its channel silent.
  void LoadSound(const std::string& path);
  // Nothing for an index past the recorded sounds. With channels: the volume, then the sound.
  void Play(int index, bool loop);
  void SetVolume(int32_t volume) { Volume = volume; }
  void StopAll();

  // kModeChannels or kModeFallback, decided when the player is made.
  int Mode() const { return mode_; }
  std::vector<std::string> Paths;
  int32_t Volume = 80;  // 0..100

 private:
  TSoundOutput& output_;
  int mode_ = 3;  // 3 while the channels are being opened
  std::vector<std::unique_ptr<TSoundChannel>> channels_;
};

// The volume in hundredths of a decibel for an effect volume 0..100: 100 is full, 0 is -40 dB.
constexpr int32_t ChannelVolume(int32_t volume) { return volume * 40 - 4000; }

}  // namespace lumora
