// TProject::Load over arbitrary project file bytes: a load may fail, but never crash, leak or
// allocate more than the file can describe.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"
#include "project/uVXProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file =
      (std::filesystem::path(lumora::platform::TempFolder()) / ("lumora-fuzz-project-" + std::to_string(getpid()))).string();
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  lumora::TProject project;
  if (project.Load(file)) {
    // A loaded project is consistent: the mask was decoded and the background has the size read.
    if (project.Width != project.Background.Width() || project.Height != project.Background.Height()) __builtin_trap();
    if (project.SoundCount() < 0 || project.SoundCount() > 8) __builtin_trap();
  }
  return 0;
}
