// JSON in the tool, through nlohmann/json: the documents it reads (scene.json) and the ones it
// prints or writes (info --json, frames.json, the sound log, paintings.json).
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "Windows1252.h"

namespace lumora::tools {

// Members keep the order they were added in, which is the order the documents list them in.
using TJson = nlohmann::ordered_json;

// A scene file's Windows-1252 text as a JSON string.
inline TJson JsonText(std::string_view cp1252) { return Utf8FromWindows1252(cp1252); }

// The one-line form every machine-readable output of the tool has had from the start, which
// other tools read: ", " between items, ": " after a key, UTF-8 as it is, and control characters
// other than tab, line feed and carriage return as \u00XX.
std::string JsonLine(const TJson& value);

}  // namespace lumora::tools
