// Path names as text: portable helpers shared by both platform implementations and the core.
//
// Names that come from scene files were written on Windows, so both '\' and '/' count as folder
// separators here whatever the running system is, and ':' ends a drive prefix.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

// Everything behind the last separator (the whole text when there is none).
std::string ExtractFileName(std::string_view path);
// Everything up to and including the last separator (empty when there is none).
std::string ExtractFilePath(std::string_view path);
// The extension with its dot, taken from the file name part; empty when the name has no dot.
std::string ExtractFileExt(std::string_view path);

// True for a plain file name that stays inside the folder it is written to: not empty, no
// separator of either kind, no drive colon, and not "." or "..".
bool IsBareFileName(std::string_view name);

// The settings file beside a Windows program: its folder, its file name up to (not including)
// the last ".", then ".ini". "C:\x\Garden.scr" gives "C:\x\Garden.ini"; a name without a dot
// gives "C:\x\.ini".
std::string SettingsFileBeside(std::string_view programPath);

// `text` without the first occurrence of `part` (ASCII letter case ignored).
std::string RemoveFirstNoCase(std::string_view text, std::string_view part);

// The value of a hexadecimal digit of either letter case; -1 for any other character.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ASCII upper case, as the Windows ANSI upper-casing does for the texts that matter here.
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

}  // namespace lumora
