// The user's settings of one scene (see uSettings.h).
#include "project/uSettings.h"

#include "base/uErrors.h"
#include "base/uIniText.h"
#include "platform/Platform.h"
#include "platform/uTextFile.h"

namespace lumora {
namespace {

constexpr const char* kSection = "Config";

// In writing order; a reader's defaults are the values of the record it starts from.
const TIniKey<TUserSettings> kKeys[] = {
    IniKey<TUserSettings, &TUserSettings::Speed>("Speed", TIniWidth::Int32),
    IniKey<TUserSettings, &TUserSettings::Stretch>("Stretch", TIniWidth::Bool),
    IniKey<TUserSettings, &TUserSettings::Proportional>("Proportional", TIniWidth::Bool),
    IniKey<TUserSettings, &TUserSettings::Sound>("Sound", TIniWidth::Bool),
    IniKey<TUserSettings, &TUserSettings::Music>("Music", TIniWidth::Bool),
    IniKey<TUserSettings, &TUserSettings::ClockPos>("ClockPos", TIniWidth::Int32),
    IniKey<TUserSettings, &TUserSettings::ShowClock>("ShowClock", TIniWidth::Bool),
};

TUserSettings ReadSettings(const std::string& settingsFile, TUserSettings settings) {
  const TIniText ini(ReadTextFile(settingsFile).value_or(std::string()));
  ReadIniKeys(ini, kSection, UserSettingsKeys(), settings);
  return settings;
}

}  // namespace

std::span<const TIniKey<TUserSettings>> UserSettingsKeys() { return kKeys; }

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
  WriteIniKeys(ini, kSection, UserSettingsKeys(), settings);
  WriteTextFileAtomically(settingsFile, ini.Text());
}

}  // namespace lumora
