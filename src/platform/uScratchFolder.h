// A private folder for one piece of work under the temporary folder, removed with everything in
// it when its owner is done (the tools' scene extraction, the tests' files).
#pragma once

#include <string>

namespace lumora::platform {

class TScratchFolder {
 public:
  // Creates `prefix` + a random suffix that no folder there has yet. Throws EInOutError when no
  // such folder can be made.
  explicit TScratchFolder(const std::string& prefix);
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // The folder, without and with the system's delimiter at the end.
  const std::string& Path() const { return path_; }
  std::string Folder() const;
  std::string File(const std::string& name) const { return Folder() + name; }

 private:
  std::string path_;
};

}  // namespace lumora::platform
