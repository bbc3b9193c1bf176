// The INI reader and comma text over arbitrary bytes: parse, read, write, parse again.
#include <cstdint>
#include <string>
#include <vector>

#include "base/uIniText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumora::TIniText ini(text);
  for (const std::string& section : ini.SectionNames()) {
    ini.ReadInteger(section, "Speed", 1);
    ini.ReadString(section, "Filename", "");
  }
  // What was written reads back the same.
  ini.WriteInteger("Config", "Speed", 240);
  lumora::TIniText again(ini.Text());
  if (again.ReadInteger("Config", "Speed", 0) != 240) __builtin_trap();
  if (again.SectionNames().size() != ini.SectionNames().size()) __builtin_trap();

  std::vector<std::string> items = lumora::SplitCommaText(text);
  // Joining and splitting again gives the same items (a single empty item joins to nothing).
  const bool lonelyEmpty = items.size() == 1 && items[0].empty();
  if (!lonelyEmpty && lumora::SplitCommaText(lumora::JoinCommaText(items)) != items) __builtin_trap();
  ini.SetLines(items);
  return 0;
}
