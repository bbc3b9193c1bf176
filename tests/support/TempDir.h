// A scratch folder for one test, removed with everything in it when the test ends.
#pragma once

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/uScratchFolder.h"

namespace lumora::testing {

class TempDir {
 public:
  TempDir() : folder_("lumora-test-") {}

  // The folder, without a trailing delimiter.
  std::string Path() const { return folder_.Path(); }
  // The folder with the system's delimiter at the end, as the core forms folder names.
  std::string Folder() const { return folder_.Folder(); }
  std::string File(const std::string& name) const { return folder_.File(name); }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }

 private:
  platform::TScratchFolder folder_;
};

// The whole file, or "<missing>" when it does not exist (a value no test content uses).
inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Deterministic filler bytes, different for every seed.
inline std::string Bytes(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  std::mt19937 random(seed);
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

}  // namespace lumora::testing
