// The values of a scene under the names the code gives them, for the JSON the tool writes
// (`info --json`, an extracted scene.json) and reads (scene.json for `build`).
//
// Each record is described once, as a key table walked both ways: the object sections and the
// package header by the core's own tables, the wave, weather and sound-slot records and the
// build settings by the tables here. What an author may write for a whole number is one more
// table, of ranges by group and key: the values the engine gives a meaning to.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "JsonText.h"
#include "base/uIniRecord.h"
#include "project/uVXProject.h"

namespace lumora::tools {

std::span<const TIniKey<TWaveParam>> WaveKeys();
std::span<const TIniKey<TWeatherParam>> WeatherKeys();
// "Path" (the authoring-time path), "PlayMode", "IntervalMin", "IntervalMax".
std::span<const TIniKey<SoundSlot>> SoundKeys();

// A build setting: the field of TExtraInfo and where the build settings keep it.
struct TExtraInfoKey {
  const char* Field;    // "ExeFilename", ...
  const char* Section;  // "BuildExe" or "BuildScr"
  TIniKey<TExtraInfo> Key;
};
std::span<const TExtraInfoKey> ExtraInfoKeys();
// The build settings' comma text read as the project reads it.
TExtraInfo ReadExtraInfo(const std::string& commaText);

struct TValueRange {
  int32_t Low;
  int32_t High;
};
// The whole numbers `key` of `group` ("waves", "weather", "sounds", "objects", "header",
// "scene") may take. Throws std::logic_error for a key the table does not list.
TValueRange RangeOf(std::string_view group, std::string_view key);

// A key the reader takes from its text (the others are written and never read).
template <class R>
bool IsReadKey(const TIniKey<R>& key) {
  return key.Set != nullptr || key.SetText != nullptr;
}

// The key's value as JSON: a boolean, a number, or the text as UTF-8.
template <class R>
TJson KeyJson(const TIniKey<R>& key, const R& record) {
  switch (key.Width) {
    case TIniWidth::Text: return JsonText(key.GetText(record));
    case TIniWidth::Bool: return key.Get(record) != 0;
    default: return key.Get(record);
  }
}

// Every read key of the table under its name, in table order.
template <class R>
TJson RecordJson(std::span<const TIniKey<R>> keys, const R& record) {
  TJson out = TJson::object();
  for (const TIniKey<R>& key : keys) {
    if (IsReadKey(key)) out[key.Name] = KeyJson(key, record);
  }
  return out;
}

TJson ExtraInfoJson(const TExtraInfo& extra);

// One object's section as scene.json gives it: the keys its reader takes, in the order its
// SaveToText writes them, "ObjType" included.
TJson ObjectJson(const TAnimObject& object);

// ---- Reading scene.json ----

// An author's mistake: "<place>: <what is wrong>", the place in scene.json's terms
// ("waves[0].Period") or a file of the scene folder ("regions.png").
[[noreturn]] void AuthorError(const std::string& place, const std::string& what);

// A JSON object of scene.json with its place, read member by member with their types and
// ranges checked. Texts come back in Windows-1252.
class TAuthorObject {
 public:
  // Throws unless `value` is an object.
  TAuthorObject(const TJson& value, std::string place);

  std::string PlaceOf(std::string_view key) const {
    return place_.empty() ? std::string(key) : place_ + "." + std::string(key);
  }
  // Throws for the first member whose name is not one of `known`.
  void AllowOnly(const std::vector<std::string>& known) const;
  const TJson* Find(std::string_view key) const;

  int32_t Integer(std::string_view key, std::string_view group, int32_t fallback) const;
  bool Bool(std::string_view key, bool fallback) const;
  std::string Text(std::string_view key, const std::string& fallback) const;

  // Sets every read key of the table that the object holds; keys it leaves out keep the
  // record's value. `group` names the ranges.
  template <class R>
  void ReadRecord(std::span<const TIniKey<R>> keys, std::string_view group, R& record) const {
    for (const TIniKey<R>& key : keys) {
      if (!IsReadKey(key) || Find(key.Name) == nullptr) continue;
      switch (key.Width) {
        case TIniWidth::Text: key.SetText(record, Text(key.Name, "")); break;
        case TIniWidth::Bool: key.Set(record, Bool(key.Name, false) ? 1 : 0); break;
        default: key.Set(record, Integer(key.Name, group, 0)); break;
      }
    }
  }
  // The names of the table's read keys.
  template <class R>
  static std::vector<std::string> ReadKeyNames(std::span<const TIniKey<R>> keys) {
    std::vector<std::string> names;
    for (const TIniKey<R>& key : keys) {
      if (IsReadKey(key)) names.emplace_back(key.Name);
    }
    return names;
  }

 private:
  const TJson& value_;
  std::string place_;
};

// `utf8` in Windows-1252, or an author error at `place`.
std::string Windows1252At(const std::string& place, const std::string& utf8);

}  // namespace lumora::tools
