// Whole small files as text (see uTextFile.h).
#include "platform/uTextFile.h"

#include "base/uErrors.h"
#include "platform/Platform.h"

namespace lumora {

std::optional<std::string> ReadTextFile(const std::string& path, int64_t limit) {
  platform::File file = platform::File::OpenRead(path);
  if (!file.IsOpen()) return std::nullopt;
  int64_t size = file.Size();
  if (size < 0 || size > limit) return std::nullopt;
  std::string text(static_cast<size_t>(size), '\0');
  text.resize(static_cast<size_t>(file.Read(text.data(), size)));
  return text;
}

void WriteTextFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  platform::File file = platform::File::Create(temporary);
  bool written = file.IsOpen() && file.Write(text.data(), static_cast<int64_t>(text.size())) ==
                                      static_cast<int64_t>(text.size()) && file.Flush();
  file.Close();
  if (!written || !platform::MoveFileOver(temporary, path)) {
    platform::EraseFile(temporary);
    throw EInOutError("Unable to write to " + path);
  }
}

}  // namespace lumora
