// Plays one WAV through the real sound output of this system for a while: what the capture
// checks of test.sh listen to.
//
//   lumora_sound_probe FILE.wav MILLISECONDS [VOLUME]   looped on effect channel 0
//   lumora_sound_probe --music FILE MILLISECONDS        as the scene's music, started over at its end
//
// Prints the player's mode ("channels" or "fallback"), or "music" once the music plays, and
// exits 0 when the sound was loaded (or the fallback took it), 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

#include "base/uTicks.h"
#include "platform/Platform.h"
#include "sound/uMusic.h"
#include "sound/uSoundEffect.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/Win32Sound.h"
#else
#include "platform/sdl/SdlSound.h"
#endif

namespace {

// Runs `step` every 10 ms for `milliseconds`.
void RunFor(uint32_t milliseconds, const std::function<void()>& step) {
  const uint32_t start = lumora::GetTickCount();
  while (lumora::TicksBetween(start, lumora::GetTickCount()) < milliseconds) {
    step();
    lumora::platform::Sleep(10);
  }
}

int PlayEffect(lumora::TSoundOutput& output, const std::string& file, uint32_t milliseconds, int volume,
               const std::function<void()>& pump) {
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
  RunFor(milliseconds, pump);
  effect.StopAll();
  return 0;
}

int PlayMusic(lumora::TMusic& music, const std::string& file, uint32_t milliseconds, const std::function<void()>& pump) {
  music.MusicFileName = file;
  if (!music.PlayMusic(file)) {
    std::fprintf(stderr, "sound probe: the music does not open\n");
    return 1;
  }
  std::printf("music\n");
  std::fflush(stdout);
  RunFor(milliseconds, pump);
  music.Close();
  return 0;
}

#if defined(_WIN32)
// The probe's window: DirectSound's cooperative level is set on it, and MCI's notifications
// arrive at it.
LRESULT CALLBACK ProbeWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == MM_MCINOTIFY) {
    if (auto* music = reinterpret_cast<lumora::TMusic*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
      music->MediaPlayerNotify();
    }
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const bool music = argc > 1 && std::strcmp(argv[1], "--music") == 0;
  if (argc < 3 + (music ? 1 : 0)) {
    std::fprintf(stderr, "usage: lumora_sound_probe FILE.wav MILLISECONDS [VOLUME]\n"
                         "       lumora_sound_probe --music FILE MILLISECONDS\n");
    return 2;
  }
  const std::string file = argv[music ? 2 : 1];
  const auto milliseconds = static_cast<uint32_t>(std::atoi(argv[music ? 3 : 2]));
  const int volume = !music && argc > 3 ? std::atoi(argv[3]) : 100;
#if defined(_WIN32)
  WNDCLASSA type{};
  type.lpfnWndProc = ProbeWindow;
  type.hInstance = GetModuleHandleA(nullptr);
  type.lpszClassName = "LumoraSoundProbe";
  RegisterClassA(&type);
  HWND window = CreateWindowExA(0, type.lpszClassName, "sound probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                type.hInstance, nullptr);
  const auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  };
  int status = 0;
  if (music) {
    lumora::win32::TMciMusic device(window);
    lumora::TMusic player(device);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&player));
    status = PlayMusic(player, file, milliseconds, pump);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  } else {
    lumora::win32::TDirectSoundOutput output(window);
    status = PlayEffect(output, file, milliseconds, volume, pump);
  }
  DestroyWindow(window);
  return status;
#else
  lumora::sdl::TSdlAudio audio;
  if (music) {
    lumora::sdl::TSdlMusic device(audio);
    lumora::TMusic player(device);
    return PlayMusic(player, file, milliseconds, [&] {
      if (device.TakeNotification()) player.MediaPlayerNotify();
    });
  }
  lumora::sdl::TSdlSoundOutput output(audio);
  return PlayEffect(output, file, milliseconds, volume, [] {});
#endif
}
