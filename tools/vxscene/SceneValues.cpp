// The values of a scene by name (see SceneValues.h).
#include "SceneValues.h"

#include <limits>
#include <stdexcept>

#include "base/uIniText.h"
#include "objects/uImageObjects.h"

namespace lumora::tools {
namespace {

template <class R, int32_t (R::*Get)() const, void (R::*Set)(int32_t)>
constexpr TIniKey<R> Number(const char* name, std::optional<int32_t> fallback) {
  return {name, TIniWidth::Int32, fallback, [](const R& r) { return (r.*Get)(); },
          [](R& r, int32_t v) { (r.*Set)(v); }};
}

template <class R, bool (R::*Get)() const, void (R::*Set)(bool)>
constexpr TIniKey<R> Flag(const char* name, std::optional<int32_t> fallback) {
  return {name, TIniWidth::Bool, fallback, [](const R& r) { return (r.*Get)() ? 1 : 0; },
          [](R& r, int32_t v) { (r.*Set)(v != 0); }};
}

// The defaults are a record's values when the project file leaves it out.
using W = TWaveParam;
const TIniKey<W> kWaveKeys[] = {
    Number<W, &W::Amplitude, &W::SetAmplitude>("Amplitude", 6),
    Number<W, &W::Frequency, &W::SetFrequency>("Frequency", 17),
    Number<W, &W::Speed, &W::SetSpeed>("Speed", 15),
    Number<W, &W::Direction, &W::SetDirection>("Direction", 1),
    Flag<W, &W::ShiftColumns, &W::SetShiftColumns>("ShiftColumns", 0),
    Flag<W, &W::Ripple, &W::SetRipple>("Ripple", 1),
    Flag<W, &W::Perspective, &W::SetPerspective>("Perspective", 1),
    Number<W, &W::Period, &W::SetPeriod>("Period", 360),
    Number<W, &W::Jitter, &W::SetJitter>("Jitter", 0),
    Flag<W, &W::Reflection, &W::SetReflection>("Reflection", 0),
};

using E = TWeatherParam;
const TIniKey<E> kWeatherKeys[] = {
    Number<E, &E::Kind, &E::SetKind>("Kind", 0),
    Number<E, &E::Count, &E::SetCount>("Count", 0),
    Number<E, &E::SpeedIndex, &E::SetSpeedIndex>("SpeedIndex", 0),
    Number<E, &E::Angle, &E::SetAngle>("Angle", 0),
    Number<E, &E::DropLength, &E::SetDropLength>("DropLength", 0),
    Number<E, &E::Density, &E::SetDensity>("Density", 0),
};

const TIniKey<SoundSlot> kSoundKeys[] = {
    {"Path", TIniWidth::Text, std::nullopt, nullptr, nullptr, [](const SoundSlot& s) { return s.Path(); },
     [](SoundSlot& s, const std::string& v) { s.SetPath(v); }},
    Number<SoundSlot, &SoundSlot::PlayMode, &SoundSlot::SetPlayMode>("PlayMode", 0),
    Number<SoundSlot, &SoundSlot::IntervalMin, &SoundSlot::SetIntervalMin>("IntervalMin", 0),
    Number<SoundSlot, &SoundSlot::IntervalMax, &SoundSlot::SetIntervalMax>("IntervalMax", 0),
};

// In the order of TExtraInfo's fields, with the defaults the project gives a missing key.
const TExtraInfoKey kExtraInfoKeys[] = {
    {"ExeFilename", "BuildExe", IniKey<TExtraInfo, &TExtraInfo::ExeFilename>("Filename", TIniWidth::Text)},
    {"ExeSound", "BuildExe", IniKey<TExtraInfo, &TExtraInfo::ExeSound>("Sound", TIniWidth::Bool, 1)},
    {"ExeMusicFile", "BuildExe", IniKey<TExtraInfo, &TExtraInfo::ExeMusicFile>("MusicFile", TIniWidth::Text)},
    {"ExeMusic", "BuildExe", IniKey<TExtraInfo, &TExtraInfo::ExeMusic>("Music", TIniWidth::Bool, 0)},
    {"ScrFilename", "BuildScr", IniKey<TExtraInfo, &TExtraInfo::ScrFilename>("Filename", TIniWidth::Text)},
    {"ScrMusicFile", "BuildScr", IniKey<TExtraInfo, &TExtraInfo::ScrMusicFile>("MusicFile", TIniWidth::Text)},
    {"ScrMusic", "BuildScr", IniKey<TExtraInfo, &TExtraInfo::ScrMusic>("Music", TIniWidth::Bool, 0)},
    {"ScrSound", "BuildScr", IniKey<TExtraInfo, &TExtraInfo::ScrSound>("Sound", TIniWidth::Bool, 1)},
};

constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
constexpr int32_t kDay = 24 * 60 * 60;  // seconds
constexpr int32_t kFar = 100000;        // design pixels: far beyond the largest picture

struct TRangeEntry {
  const char* Group;
  const char* Key;
  TValueRange Range;
};

// What `build` accepts. Values the engine keeps without acting on them take any number.
const TRangeEntry kRanges[] = {
    {"scene", "jpegQuality", {1, 100}},
    // A wave record: rows, waves per picture height, degrees per 50 ms (negative: the other way),
    // the six directions, degrees of one wave, rows of random offset.
    {"waves", "Amplitude", {0, 1000}},
    {"waves", "Frequency", {0, 1000}},
    {"waves", "Speed", {-1000, 1000}},
    {"waves", "Direction", {0, 5}},
    {"waves", "Period", {1, 3600}},
    {"waves", "Jitter", {0, 1000}},
    // None, snow or rain; at most 1000 flakes or drops; a place in the speed table; the slant of
    // the rain (90 straight down); drop length in tenths; brightness (0: the kind's own).
    {"weather", "Kind", {0, 2}},
    {"weather", "Count", {0, 1000}},
    {"weather", "SpeedIndex", {0, 20}},
    {"weather", "Angle", {0, 180}},
    {"weather", "DropLength", {0, 1000}},
    {"weather", "Density", {0, 10}},
    // Loop, random interval, fixed interval; intervals in seconds, up to a day.
    {"sounds", "PlayMode", {0, 2}},
    {"sounds", "IntervalMin", {0, kDay}},
    {"sounds", "IntervalMax", {0, kDay}},
    {"header", "MusicVolume", {0, 100}},
    {"header", "SoundVolume", {0, 100}},
    // An object section.
    {"objects", "Width", {kMinInt, kMaxInt}},
    {"objects", "Height", {kMinInt, kMaxInt}},
    {"objects", "MoveAreaRectleft", {-kFar, kFar}},
    {"objects", "MoveAreaRecttop", {-kFar, kFar}},
    {"objects", "MoveAreaRectright", {-kFar, kFar}},
    {"objects", "MoveAreaRectbottom", {-kFar, kFar}},
    {"objects", "WidthSize", {0, 1000}},
    {"objects", "HeightSize", {0, 1000}},
    {"objects", "Speed", {kMinInt, kMaxInt}},
    {"objects", "InitialDir", {0, 8}},
    {"objects", "PosLeftType", {0, 5}},
    {"objects", "PosTopType", {0, 5}},
    {"objects", "PosLeft", {-kFar, kFar}},
    {"objects", "PosTop", {-kFar, kFar}},
    {"objects", "ObjFacing", {0, 255}},
    {"objects", "Opacity", {0, 10}},
    {"objects", "DisplaySec", {0, kDay}},
    {"objects", "DisplayDurationType", {0, 1}},
    {"objects", "DisplayDurationSec", {0, kDay}},
    {"objects", "DIsplayDurationCycle", {kMinInt, kMaxInt}},
    {"objects", "Motion", {0, 9}},
    {"objects", "MotionSpeed", {0, 1000}},
    {"objects", "MotionAreaType", {0, 255}},
    {"objects", "RedisplayDelay", {kMinInt, kMaxInt}},
    {"objects", "RedisplayTimes", {kMinInt, kMaxInt}},
    {"objects", "AnimSpeed", {0, 100}},
    {"objects", "TransparentType", {0, 2}},
    {"objects", "TransparentColor", {kMinInt, 0x00FFFFFF}},  // $00BBGGRR, or a system colour below 0
};

std::string Quoted(const TJson& value) { return value.dump(-1, ' ', false, TJson::error_handler_t::replace); }

}  // namespace

std::span<const TIniKey<TWaveParam>> WaveKeys() { return kWaveKeys; }
std::span<const TIniKey<TWeatherParam>> WeatherKeys() { return kWeatherKeys; }
std::span<const TIniKey<SoundSlot>> SoundKeys() { return kSoundKeys; }
std::span<const TExtraInfoKey> ExtraInfoKeys() { return kExtraInfoKeys; }

TExtraInfo ReadExtraInfo(const std::string& commaText) {
  TIniText ini;
  ini.SetLines(SplitCommaText(commaText));
  TExtraInfo extra;
  for (const TExtraInfoKey& key : kExtraInfoKeys) ReadIniKeys(ini, key.Section, std::span(&key.Key, 1), extra);
  return extra;
}

TValueRange RangeOf(std::string_view group, std::string_view key) {
  for (const TRangeEntry& entry : kRanges) {
    if (entry.Group == group && entry.Key == key) return entry.Range;
  }
  throw std::logic_error("no range for " + std::string(group) + "." + std::string(key));
}

TJson ExtraInfoJson(const TExtraInfo& extra) {
  TJson out = TJson::object();
  for (const TExtraInfoKey& key : kExtraInfoKeys) out[key.Field] = KeyJson(key.Key, extra);
  return out;
}

TJson ObjectJson(const TAnimObject& object) {
  TJson out = RecordJson(TAnimObject::CommonKeys(), object);
  auto putPictureKeys = [&out](auto keys, const auto& picture) {
    for (const auto& key : keys) {
      // The list reads "ObjType" to choose the kind of object.
      if (IsReadKey(key) || std::string_view(key.Name) == "ObjType") out[key.Name] = KeyJson(key, picture);
    }
  };
  if (const auto* gif = dynamic_cast<const TGifObject*>(&object)) putPictureKeys(TGifObject::Keys(), *gif);
  if (const auto* image = dynamic_cast<const TImgObject*>(&object)) putPictureKeys(TImgObject::Keys(), *image);
  return out;
}

// ---- Reading scene.json ----

void AuthorError(const std::string& place, const std::string& what) { throw std::runtime_error(place + ": " + what); }

std::string Windows1252At(const std::string& place, const std::string& utf8) {
  std::optional<std::string> text = Windows1252FromUtf8(utf8);
  if (!text)
    AuthorError(place, Quoted(TJson(utf8)) + " holds a character the scene's texts cannot store (Windows-1252)");
  return *text;
}

TAuthorObject::TAuthorObject(const TJson& value, std::string place) : value_(value), place_(std::move(place)) {
  if (!value_.is_object()) AuthorError(place_.empty() ? "scene.json" : place_, "must be an object { ... }");
}

void TAuthorObject::AllowOnly(const std::vector<std::string>& known) const {
  for (const auto& [name, value] : value_.items()) {
    bool found = false;
    for (const std::string& key : known) found = found || key == name;
    if (!found) AuthorError(PlaceOf(name), "unknown key");
  }
}

const TJson* TAuthorObject::Find(std::string_view key) const {
  const auto found = value_.find(key);
  return found == value_.end() ? nullptr : &*found;
}

int32_t TAuthorObject::Integer(std::string_view key, std::string_view group, int32_t fallback) const {
  const TJson* value = Find(key);
  if (value == nullptr) return fallback;
  const TValueRange range = RangeOf(group, key);
  const std::string allowed = std::to_string(range.Low) + " to " + std::to_string(range.High);
  if (!value->is_number_integer()) AuthorError(PlaceOf(key), "must be a whole number, " + allowed);
  // Non-negative literals arrive as unsigned numbers, which may not fit a signed one.
  const bool tooLarge = value->is_number_unsigned() && value->get<uint64_t>() > static_cast<uint64_t>(range.High);
  const int64_t number = tooLarge ? int64_t{range.High} + 1 : value->get<int64_t>();
  if (number < range.Low || number > range.High) AuthorError(PlaceOf(key), "must be " + allowed);
  return static_cast<int32_t>(number);
}

bool TAuthorObject::Bool(std::string_view key, bool fallback) const {
  const TJson* value = Find(key);
  if (value == nullptr) return fallback;
  if (!value->is_boolean()) AuthorError(PlaceOf(key), "must be true or false");
  return value->get<bool>();
}

std::string TAuthorObject::Text(std::string_view key, const std::string& fallback) const {
  const TJson* value = Find(key);
  if (value == nullptr) return fallback;
  if (!value->is_string()) AuthorError(PlaceOf(key), "must be a text in double quotes");
  return Windows1252At(PlaceOf(key), value->get<std::string>());
}

}  // namespace lumora::tools
