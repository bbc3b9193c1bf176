// The sound schedule (see uSoundSchedule.h).
#include "sound/uSoundSchedule.h"

#include <algorithm>
#include <exception>

#include "base/uRandom.h"
#include "base/uTicks.h"
#include "platform/Platform.h"
#include "sound/uSoundEffect.h"

namespace lumora {

int64_t RandomInterval(int32_t intervalMin, int32_t intervalMax) {
  const int64_t low = std::min(intervalMin, intervalMax);
  const int64_t spread = std::max<int64_t>(intervalMin, intervalMax) - low;
  return low + Random(static_cast<int32_t>(std::min<int64_t>(spread, INT32_MAX)));
}

void TSoundSchedule::PrepareSounds(const TProject& project, TSoundEffect& effect) {
  try {
    for (int i = 0; i < project.SoundCount(); ++i) {
      const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
      TSoundSlotState& state = Slots[static_cast<size_t>(i)];
      state.Available = false;
      state.PlayedOnce = false;
      state.LastStart = GetTickCount();
      try {
        effect.LoadSound(slot.Path());
        state.Available = platform::FileExists(slot.Path());
      } catch (const std::exception&) {
        // This slot stays silent; the others go on.
      }
      if (!state.Available) continue;
      if (slot.PlayMode() == 1) state.Interval = RandomInterval(slot.IntervalMin(), slot.IntervalMax());
      if (slot.PlayMode() == 2) state.Interval = slot.IntervalMin();
    }
  } catch (const std::exception&) {
  }
}

void TSoundSchedule::UpdateSounds(const TProject& project, TSoundEffect& effect) {
  try {
    for (int i = 0; i < project.SoundCount(); ++i) {
      const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
      TSoundSlotState& state = Slots[static_cast<size_t>(i)];
      const uint32_t now = GetTickCount();
      const int64_t elapsed = TicksBetween(static_cast<uint32_t>(state.LastStart), now) / 1000;
      if (!state.Available) continue;
      bool loop = false;
      if (slot.PlayMode() == 0) {
        if (state.PlayedOnce) continue;
        state.PlayedOnce = true;
        loop = true;
      } else if (slot.PlayMode() == 1) {
        if (elapsed < state.Interval) continue;
        state.LastStart = now;
        state.Interval = RandomInterval(slot.IntervalMin(), slot.IntervalMax());
      } else if (slot.PlayMode() == 2) {
        if (elapsed < slot.IntervalMin()) continue;
        state.LastStart = now;
      } else {
        continue;  // any other mode never plays
      }
      effect.Play(i, loop);
      if (OnStart) OnStart(i, loop);
      if (PumpMessages) PumpMessages();
    }
  } catch (const std::exception&) {
  }
}

}  // namespace lumora
