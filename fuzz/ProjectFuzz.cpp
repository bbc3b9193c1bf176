// TProject::Load over arbitrary project file bytes: a load may fail, but never crash, leak or
// allocate more than the file can describe; a failed load leaves the emptied project, and
// loading the same bytes again gives the same project.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"
#include "project/uVXProject.h"

namespace {

// What a load leaves that the oracle compares.
struct TLoaded {
  bool result;
  int32_t width, height, objects, sounds, weather;
  std::string title;
  friend bool operator==(const TLoaded&, const TLoaded&) = default;
};

TLoaded LoadInto(lumora::TProject& project, const std::string& file) {
  const bool result = project.Load(file);
  return {result,
          project.Background.Width(),
          project.Background.Height(),
          project.Objects.Count(),
          project.SoundCount(),
          project.Weather.Kind(),
          project.Title};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file =
      (std::filesystem::path(lumora::platform::TempFolder()) / ("lumora-fuzz-project-" + std::to_string(getpid())))
          .string();
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  lumora::TProject project;
  project.Objects.Threaded = false;
  project.SetSpeed(37);
  const TLoaded first = LoadInto(project, file);
  if (project.Speed != 37) __builtin_trap();  // the load never touches the speed
  if (first.result) {
    // A loaded project is consistent: the background has the size recorded for it.
    if (project.Width != first.width || project.Height != first.height) __builtin_trap();
    if (first.sounds < 0 || first.sounds > 8) __builtin_trap();
  } else {
    // A failed load leaves the emptied parts plus what was applied before the failure: no
    // background, no weather and no objects, which are applied after everything that can fail.
    if (first.width != 0 || first.objects != 0 || first.weather != 0) __builtin_trap();
  }
  // A second load discards the first one's content before it reads.
  if (!(LoadInto(project, file) == first)) __builtin_trap();
  return 0;
}
