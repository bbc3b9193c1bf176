// A settings record described once: the keys of one INI section, each with how it is stored,
// its default and the field it fills, walked by the reader, the writer and the tests alike.
//
// A table is in writing order. A key's default is either a value of its own or the value the
// record already holds (so that one table serves readers with different defaults). Widths:
// a 32-bit integer, an integer of which only the low 8 bits are kept, a boolean stored as an
// integer (non-zero true, written "1"/"0"), or a text. A key without a setter is written and
// never read (a value the reader ignores or computes).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

#include "base/uIniText.h"

namespace lumora {

enum class TIniWidth { Int32, Low8, Bool, Text };

template <class TRecord>
struct TIniKey {
  const char* Name;
  TIniWidth Width;
  std::optional<int32_t> Default;  // none: the record's current value
  int32_t (*Get)(const TRecord&) = nullptr;
  void (*Set)(TRecord&, int32_t) = nullptr;
  std::string (*GetText)(const TRecord&) = nullptr;
  void (*SetText)(TRecord&, const std::string&) = nullptr;
};

// The entry of a plain member of `TRecord` (or of a base of it).
template <class TRecord, auto Member>
constexpr TIniKey<TRecord> IniKey(const char* name, TIniWidth width, std::optional<int32_t> fallback = std::nullopt) {
  using TValue = std::remove_cvref_t<decltype(std::declval<TRecord&>().*Member)>;
  if constexpr (std::is_same_v<TValue, std::string>) {
    return {name,
            width,
            fallback,
            nullptr,
            nullptr,
            [](const TRecord& r) { return std::string(r.*Member); },
            [](TRecord& r, const std::string& v) { r.*Member = v; }};
  } else {
    return {name, width, fallback, [](const TRecord& r) { return static_cast<int32_t>(r.*Member); },
            [](TRecord& r, int32_t v) { r.*Member = static_cast<TValue>(v); }};
  }
}

template <class TRecord>
void ReadIniKeys(const TIniText& ini, std::string_view section, std::span<const TIniKey<TRecord>> keys,
                 TRecord& record) {
  for (const TIniKey<TRecord>& key : keys) {
    if (key.Width == TIniWidth::Text) {
      if (key.SetText) key.SetText(record, ini.ReadString(section, key.Name, key.GetText(record)));
      continue;
    }
    if (!key.Set) continue;
    const int32_t fallback = key.Default ? *key.Default : key.Get(record);
    if (key.Width == TIniWidth::Bool) {
      key.Set(record, ini.ReadBool(section, key.Name, fallback != 0) ? 1 : 0);
    } else {
      const int32_t value = ini.ReadInteger(section, key.Name, fallback);
      key.Set(record, key.Width == TIniWidth::Low8 ? value & 0xFF : value);
    }
  }
}

template <class TRecord>
void WriteIniKeys(TIniText& ini, std::string_view section, std::span<const TIniKey<TRecord>> keys,
                  const TRecord& record) {
  for (const TIniKey<TRecord>& key : keys) {
    switch (key.Width) {
      case TIniWidth::Text: ini.WriteString(section, key.Name, key.GetText(record)); break;
      case TIniWidth::Bool: ini.WriteBool(section, key.Name, key.Get(record) != 0); break;
      default: ini.WriteInteger(section, key.Name, key.Get(record)); break;
    }
  }
}

}  // namespace lumora
