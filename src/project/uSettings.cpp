// The user's settings of one scene (see uSettings.h).
#include "project/uSettings.h"

#include "base/uErrors.h"
#include "platform/Platform.h"
#include "base/uIniText.h"
#include "platform/uTextFile.h"

namespace lumora {
namespace {

constexpr const char* kSection = "Config";

TUserSettings ReadSettings(const std::string& settingsFile, const TUserSettings& defaults) {
  TIniText ini(ReadTextFile(settingsFile).value_or(std::string()));
  TUserSettings s;
  s.Speed = ini.ReadInteger(kSection, "Speed", defaults.Speed);
  s.Stretch = ini.ReadBool(kSection, "Stretch", defaults.Stretch);
  s.Proportional = ini.ReadBool(kSection, "Proportional", defaults.Proportional);
  s.Sound = ini.ReadBool(kSection, "Sound", defaults.Sound);
  s.Music = ini.ReadBool(kSection, "Music", defaults.Music);
  s.ShowClock = ini.ReadBool(kSection, "ShowClock", defaults.ShowClock);
  s.ClockPos = ini.ReadInteger(kSection, "ClockPos", defaults.ClockPos);
  return s;
}

}  // namespace

TUserSettings ReadSaverSettings(const std::string& settingsFile, bool headerMusic) {
  TUserSettings defaults;
  defaults.Music = headerMusic;
  return ReadSettings(settingsFile, defaults);
}

TUserSettings ReadDialogSettings(const std::string& settingsFile) { return ReadSettings(settingsFile, {}); }

void WriteUserSettings(const std::string& settingsFile, const TUserSettings& settings) {
  // Keys of other sections must survive, so a file that exists but cannot be read is not
  // replaced.
  std::optional<std::string> old = ReadTextFile(settingsFile);
  if (!old && platform::FileExists(settingsFile)) throw EInOutError("Unable to write to " + settingsFile);
  TIniText ini(old.value_or(std::string()));
  ini.WriteInteger(kSection, "Speed", settings.Speed);
  ini.WriteBool(kSection, "Stretch", settings.Stretch);
  ini.WriteBool(kSection, "Proportional", settings.Proportional);
  ini.WriteBool(kSection, "Sound", settings.Sound);
  ini.WriteBool(kSection, "Music", settings.Music);
  ini.WriteInteger(kSection, "ClockPos", settings.ClockPos);
  ini.WriteBool(kSection, "ShowClock", settings.ShowClock);
  WriteTextFileAtomically(settingsFile, ini.Text());
}

}  // namespace lumora
