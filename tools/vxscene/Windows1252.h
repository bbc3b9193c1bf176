// The scene files' 8-bit texts (titles, file names, settings) are Windows-1252; everything the
// tool shows or writes as JSON is UTF-8. These convert between the two.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumora::tools {

// The UTF-8 form of a Windows-1252 text. The five bytes the code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number, as the system's own
// conversion does, so every byte has a character and the way back is exact.
std::string Utf8FromWindows1252(std::string_view text);

// The Windows-1252 form of a UTF-8 text; nullopt when the text is not valid UTF-8 or holds a
// character the code page has no byte for.
std::optional<std::string> Windows1252FromUtf8(std::string_view utf8);

}  // namespace lumora::tools
