// When each sound slot of a scene plays: looped from the first update on (mode 0), once after a
// random wait (mode 1) or a fixed one (mode 2), counted in whole seconds from each start.
//
// Slot i always plays through channel i. Time comes from the tick source, randomness from the
// program's generator, so a simulated clock and a fixed seed give the same starts every run.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "project/uVXProject.h"

namespace lumora {

class TSoundEffect;

struct TSoundSlotState {
  bool Available = false;   // the slot's sound is loaded and may play
  bool PlayedOnce = false;  // a looped sound has been started
  int64_t LastStart = 0;    // tick at which the waiting period began
  int64_t Interval = 0;     // seconds of the current waiting period (modes 1 and 2)
};

class TSoundSchedule {
 public:
  // Loads every used slot's sound into its channel and begins every waiting period now. A slot
  // whose file is missing or does not load stays silent for the whole run. A failure ends the
  // call silently.
  void PrepareSounds(const TProject& project, TSoundEffect& effect);
  // Starts what is due (a failure ends the call silently); after each start the host's pending
  // messages are let through once.
  void UpdateSounds(const TProject& project, TSoundEffect& effect);

  std::array<TSoundSlotState, kSoundSlotCount> Slots{};
  std::function<void()> PumpMessages;
  // Told of every start, with the slot and whether it loops (vxscene's sound log).
  std::function<void(int slot, bool loop)> OnStart;
};

// A mode-1 wait: the smaller bound plus a uniform value below the difference (equal bounds give
// that value).
int64_t RandomInterval(int32_t intervalMin, int32_t intervalMax);

}  // namespace lumora
