// A private folder under the temporary folder (see uScratchFolder.h).
#include "platform/uScratchFolder.h"

#include <filesystem>
#include <random>
#include <sstream>

#include "base/uErrors.h"
#include "platform/Platform.h"

namespace lumora::platform {

TScratchFolder::TScratchFolder(const std::string& prefix) {
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ostringstream name;
    name << TempFolder() << prefix << std::hex << seed() << seed();
    if (CreateFolder(name.str())) {
      path_ = name.str();
      return;
    }
  }
  throw EInOutError("Unable to create a folder in " + TempFolder());
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::string TScratchFolder::Folder() const { return path_ + PathDelimiter(); }

}  // namespace lumora::platform
