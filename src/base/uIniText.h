// INI texts: the package header, the object sections, the build settings and the user settings.
//
// One reader and writer for all four, with the rules every one of them follows:
//  - each line is trimmed; empty lines and lines starting with ';' carry no value; lines before
//    the first section line are ignored; "[name]" starts a section;
//  - "key=value" splits at the first '=', both sides trimmed; section and key names are matched
//    without regard to ASCII letter case; the first of several equal names wins;
//  - integers are decimal, or hexadecimal when the value is longer than two characters and
//    starts with "0x"/"0X"; a missing or malformed value gives the caller's default; booleans
//    are integers, non-zero meaning true, written as "1"/"0";
//  - written text has CR LF lines in insertion order and one empty line after each section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

class TIniText {
 public:
  TIniText() = default;
  explicit TIniText(std::string_view text) { SetText(text); }

  // Replaces the document with the parsed text (lines end with CR LF, LF or CR).
  void SetText(std::string_view text);
  // Replaces the document with already separated lines.
  void SetLines(const std::vector<std::string>& lines);
  std::string Text() const;
  void Clear() { sections_.clear(); }

  // Section names in document order; a name that occurs twice is listed twice.
  std::vector<std::string> SectionNames() const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Replaces the key's value, or appends the key to its section (the section to the document).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  struct Line {
    bool isValue = false;  // false: a comment or other line kept as written
    std::string key;       // isValue only
    std::string text;      // the value, or the whole kept line
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  const Section* FindSection(std::string_view name) const;
  const Line* FindValue(std::string_view section, std::string_view key) const;

  std::vector<Section> sections_;
};

// An INI integer: decimal with an optional sign, or "0x"/"0X" and up to eight hex digits (taken
// as the 32-bit pattern they spell). Anything else, or a decimal out of 32-bit range, is nullopt.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// Comma text: items separated by commas; a quoted item may hold spaces, commas and doubled
// quotes; outside quotes any blank or control character also ends an item; an empty item is an
// empty line; a comma at the very end adds one empty item.
std::vector<std::string> SplitCommaText(std::string_view text);
// The reverse: items holding a blank, control character, comma or quote are quoted.
std::string JoinCommaText(const std::vector<std::string>& items);

}  // namespace lumora
