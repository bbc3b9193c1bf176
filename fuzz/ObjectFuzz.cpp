// The object text over arbitrary bytes: whatever objects a text makes, the sections they save
// must make the same objects again, which save the very same text (a project saved by the
// authoring side and read back must not drift). A text refused for its size makes no object.
#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

#include "base/uErrors.h"
#include "objects/uAnimObjects.h"
#include "objects/uObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumora::TAnimObjects first;
  first.Threaded = false;  // no worker or player runs: only the texts matter here
  try {
    first.LoadFromText(text);
  } catch (const lumora::EInOutError&) {
    if (first.Count() != 0) __builtin_trap();
    return 0;
  }

  std::vector<std::string> sections;
  std::string saved;
  for (int i = 0; i < first.Count(); ++i) {
    sections.push_back(first.Items(i).SaveToText());
    saved += sections.back();
  }

  lumora::TAnimObjects second;
  second.Threaded = false;
  second.LoadFromText(saved);
  if (second.Count() != first.Count()) __builtin_trap();
  for (int i = 0; i < second.Count(); ++i) {
    lumora::TAnimObject& again = second.Items(i);
    const lumora::TAnimObject& before = first.Items(i);
    if (typeid(again) != typeid(before)) __builtin_trap();
    if (again.SaveToText() != sections[static_cast<size_t>(i)]) __builtin_trap();
  }
  return 0;
}
