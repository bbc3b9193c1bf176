// The user's settings of one scene: section "Config" of the settings file.
//
// The saver window and the configuration dialog read the same keys with different defaults;
// only the dialog writes them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/uIniRecord.h"

namespace lumora {

struct TUserSettings {
  int32_t Speed = 100;  // percent, a value of the speed table
  bool Stretch = true;
  bool Proportional = false;
  bool Sound = true;
  bool Music = true;
  int32_t ClockPos = 1;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right
  bool ShowClock = true;
};

// The seven keys of section "Config", in writing order.
std::span<const TIniKey<TUserSettings>> UserSettingsKeys();

// The saver window's reading: "Music" defaults to the scene header's own "Music" value.
TUserSettings ReadSaverSettings(const std::string& settingsFile, bool headerMusic);
// The configuration dialog's reading: every default as in TUserSettings.
TUserSettings ReadDialogSettings(const std::string& settingsFile);

// Writes the seven keys in the order Speed, Stretch, Proportional, Sound, Music, ClockPos,
// ShowClock, keeping every other section and key of the file, and replaces the file in one
// step. Throws EInOutError "Unable to write to <file>" when it cannot.
void WriteUserSettings(const std::string& settingsFile, const TUserSettings& settings);

}  // namespace lumora
