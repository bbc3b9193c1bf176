// Writing what the tools make (see SceneFolderWriter.h).
#include "SceneFolderWriter.h"

#include <stdexcept>

#include "base/uErrors.h"
#include "platform/Platform.h"
#include "platform/uTextFile.h"
#include "project/uSceneFolder.h"

namespace lumora::tools {

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  try {
    WriteTextFileAtomically(path, bytes);
  } catch (const EInOutError&) {
    throw std::runtime_error("cannot write " + path);
  }
}

void WriteSceneFolder(const std::string& folder, const std::string& project, const std::vector<TSceneFile>& media) {
  platform::CreateFolder(folder);
  if (!platform::DirectoryExists(folder)) throw std::runtime_error("cannot create " + folder);
  const std::string base = folder + platform::PathDelimiter();
  WriteFileBytes(base + "VXTemp.vxp", project);
  std::string header =
      "[Header]\r\nSound=1\r\nMusic=0\r\nMusicFile=\r\nMusicVolume=100\r\nSoundVolume=100\r\n"
      "Res0=VXHeader.dat\r\nRes1=VXTemp.vxp\r\n";
  int entry = 2;
  for (const TSceneFile& file : media) {
    WriteFileBytes(base + file.name, file.bytes);
    header += "Res" + std::to_string(entry++) + "=" + file.name + "\r\n";
  }
  WriteFileBytes(base + kHeaderFileName, header + "ResCount=" + std::to_string(entry) + "\r\n\r\n");
}

}  // namespace lumora::tools
