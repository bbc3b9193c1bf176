// Plays one WAV through the real sound output of this system, looped on channel 0, for a while:
// what the capture checks of test.sh listen to.
//
//   lumora_sound_probe FILE.wav MILLISECONDS [VOLUME]
//
// Prints the player's mode ("channels" or "fallback") and exits 0 when the sound was loaded
// (or the fallback took it), 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "base/uTicks.h"
#include "platform/Platform.h"
#include "sound/uSoundEffect.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/Win32Sound.h"
#else
#include "platform/sdl/SdlSound.h"
#endif

namespace {

int Play(lumora::TSoundOutput& output, const std::string& file, uint32_t milliseconds, int volume,
         void (*pump)()) {
  lumora::TSoundEffect effect(output);
  std::printf("%s\n", effect.Mode() == lumora::TSoundEffect::kModeChannels ? "channels" : "fallback");
  std::fflush(stdout);
  try {
    effect.LoadSound(file);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "sound probe: %s\n", error.what());
    return 1;
  }
  effect.SetVolume(volume);
  effect.Play(0, true);
  const uint32_t start = lumora::GetTickCount();
  while (lumora::TicksBetween(start, lumora::GetTickCount()) < milliseconds) {
    if (pump != nullptr) pump();
    lumora::platform::Sleep(10);
  }
  effect.StopAll();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: lumora_sound_probe FILE.wav MILLISECONDS [VOLUME]\n");
    return 2;
  }
  const std::string file = argv[1];
  const auto milliseconds = static_cast<uint32_t>(std::atoi(argv[2]));
  const int volume = argc > 3 ? std::atoi(argv[3]) : 100;
#if defined(_WIN32)
  // DirectSound sets its cooperative level on a window: a hidden one of the probe's own.
  HWND window = CreateWindowExA(0, "STATIC", "sound probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  lumora::win32::TDirectSoundOutput output(window);
  const auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  };
  const int status = Play(output, file, milliseconds, volume, pump);
  DestroyWindow(window);
  return status;
#else
  lumora::sdl::TSdlAudio audio;
  lumora::sdl::TSdlSoundOutput output(audio);
  return Play(output, file, milliseconds, volume, nullptr);
#endif
}
