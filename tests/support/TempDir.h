// A scratch folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/Platform.h"

namespace lumora::testing {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    std::ostringstream name;
    name << "lumora-test-" << std::hex << seed() << seed();
    path_ = std::filesystem::path(platform::TempFolder()) / name.str();
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing delimiter.
  std::string Path() const { return path_.string(); }
  // The folder with the system's delimiter at the end, as the core forms folder names.
  std::string Folder() const { return Path() + platform::PathDelimiter(); }
  std::string File(const std::string& name) const { return Folder() + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }

 private:
  std::filesystem::path path_;
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
