// Writing what the tools make: single files, and whole scene folders (project, media, header).
#pragma once

#include <string>
#include <vector>

namespace lumora::tools {

// Writes `bytes` to `path`; throws std::runtime_error "cannot write <path>" when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);

struct TSceneFile {
  std::string name;  // a bare file name
  std::string bytes;
};

// Creates `folder` (one level) and writes a scene into it: the project file "VXTemp.vxp", each
// media file, and the header "VXHeader.dat" naming all of them in package order.
void WriteSceneFolder(const std::string& folder, const std::string& project, const std::vector<TSceneFile>& media);

}  // namespace lumora::tools
