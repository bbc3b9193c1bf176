// JSON in the tool (see JsonText.h).
#include "JsonText.h"

namespace lumora::tools {

// The library's indented form with an indent of 0 puts every item on a line of its own and
// already writes ": " after keys; a line break is never inside a string there (strings escape
// theirs), so joining the lines gives the one-line form. Inside strings the library writes
// backspace and form feed as \b and \f, where the tool has always written \u0008 and \u000c.
std::string JsonLine(const TJson& value) {
  const std::string indented = value.dump(0, ' ', false);
  std::string line;
  line.reserve(indented.size());
  bool inString = false;
  for (size_t i = 0; i < indented.size(); ++i) {
    const char c = indented[i];
    if (inString) {
      if (c == '\\') {
        const char escaped = indented[++i];
        line += escaped == 'b' ? "\\u0008" : escaped == 'f' ? "\\u000c" : std::string{'\\', escaped};
        continue;
      }
      inString = c != '"';
      line += c;
    } else if (c == '\n') {
      if (!line.empty() && line.back() == ',') line += ' ';
    } else {
      inString = c == '"';
      line += c;
    }
  }
  return line;
}

}  // namespace lumora::tools
