// A small JSON builder for the tool's machine-readable output. Values are built as text:
// strings are converted from Windows-1252 (the scene files' 8-bit texts) to UTF-8 and escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumora::tools::json {

// A Windows-1252 text as a quoted, escaped UTF-8 JSON string.
std::string String(std::string_view cp1252);
inline std::string Bool(bool value) { return value ? "true" : "false"; }
inline std::string Number(int64_t value) { return std::to_string(value); }
inline constexpr const char* Null = "null";

using Members = std::vector<std::pair<std::string, std::string>>;
// {"key": value, ...} in the given order; values are JSON texts already.
std::string Object(const Members& members);
std::string Array(const std::vector<std::string>& values);

// The UTF-8 form of a Windows-1252 text (bytes 0x80..0x9F through the code page's table).
std::string Utf8FromWindows1252(std::string_view text);

}  // namespace lumora::tools::json
