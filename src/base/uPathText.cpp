// Path names as text (see Paths.h).
#include "base/uPathText.h"

#include <algorithm>

namespace lumora {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// Index just behind the last separator, 0 when there is none.
size_t NameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i;
  }
  return 0;
}

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

bool IsBareFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return IsSeparator(c) || c == '\0'; });
}

std::string SettingsFileBeside(std::string_view programPath) {
  size_t start = NameStart(programPath);
  std::string_view name = programPath.substr(start);
  size_t dot = name.rfind('.');
  std::string_view base = dot == std::string_view::npos ? std::string_view() : name.substr(0, dot);
  return std::string(programPath.substr(0, start)) + std::string(base) + ".ini";
}

std::string RemoveFirstNoCase(std::string_view text, std::string_view part) {
  const std::string upperText = UpperCase(text);
  const size_t at = upperText.find(UpperCase(part));
  if (part.empty() || at == std::string::npos) return std::string(text);
  return std::string(text.substr(0, at)) + std::string(text.substr(at + part.size()));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), UpperChar);
  return result;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperChar(x) == UpperChar(y); });
}

}  // namespace lumora
