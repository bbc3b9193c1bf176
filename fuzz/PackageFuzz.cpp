// FindPackage + ExtractPackage over arbitrary file bytes; the header's names go through the
// same refusal as the saver's extraction, and a header refused for its size ends it cleanly.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/uErrors.h"
#include "platform/Platform.h"
#include "project/uProjectExtractor.h"
#include "project/uSceneFolder.h"

namespace {

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    auto path =
        std::filesystem::path(lumora::platform::TempFolder()) / ("lumora-fuzz-package-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string exe = (Folder() / "saver.scr").string();
  std::ofstream(exe, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  int64_t position = 0;
  int32_t count = 0;
  lumora::FindPackage(exe, position, count);
  const std::string scene = (Folder() / "scene").string();
  lumora::TScene extracted;
  try {
    extracted = lumora::ExtractSceneInto(exe, scene);
  } catch (const lumora::EInOutError&) {
    std::filesystem::remove_all(scene);
    return 0;
  }
  // Nothing may land outside the scene folder: every written name is a bare name inside it.
  for (const std::string& file : extracted.SceneFiles) {
    if (!file.empty() && file.rfind(extracted.SceneFolder, 0) != 0) __builtin_trap();
  }
  std::filesystem::remove_all(scene);
  return 0;
}
