// Whole small files as text: the header, the settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumora {

// The file's bytes, or nullopt when it cannot be opened or holds more than `limit` bytes (so a
// hostile file can never demand more memory than that).
std::optional<std::string> ReadTextFile(const std::string& path, int64_t limit = 4 << 20);

// Writes `text` to a temporary file beside `path`, flushes it, then moves it over `path`, so the
// file is either the old one or the new one, never half written. Throws EInOutError with the
// message "Unable to write to <path>" when any step fails.
void WriteTextFileAtomically(const std::string& path, const std::string& text);

}  // namespace lumora
