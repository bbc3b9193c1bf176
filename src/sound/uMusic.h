// The scene's background music: one file played through the host's media player at the
// header's volume, started over from the beginning whenever it reaches its end.
//
// The host hands every notification of its player to MediaPlayerNotify on the main thread.
// A notification that arrives once the music was closed (the window's close), or while the
// player is not open (a restart whose new open failed), never starts the music again.
#pragma once

#include <cstdint>
#include <string>

namespace lumora {

// A host's media player: one device element at a time.
class TMusicDevice {
 public:
  virtual ~TMusicDevice() = default;
  // Opens the file as a device element (the device chosen by its extension). False on failure.
  virtual bool Open(const std::string& path) = 0;
  // The device's volume, 0..1000; devices without the command keep theirs.
  virtual void SetVolume(int32_t value) = 0;
  // Plays from the start and asks for a notification when the play completes or is cut short.
  virtual void Play() = 0;
  virtual int64_t Position() = 0;  // milliseconds
  virtual int64_t Length() = 0;    // milliseconds
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

class TMusic {
 public:
  explicit TMusic(TMusicDevice& device) : device_(device) {}

  // Opens `path`, sets the volume MusicVolume x 10 and plays it. False when the open fails.
  bool PlayMusic(const std::string& path);
  // At the end of the music: close, then PlayMusic(MusicFileName) again. Failures are ignored.
  void MediaPlayerNotify();
  // Stops the music for good (the window's close).
  void Close();

  std::string MusicFileName;
  int32_t MusicVolume = 100;  // 0..100

 private:
  TMusicDevice& device_;
  bool closed_ = false;
};

}  // namespace lumora
