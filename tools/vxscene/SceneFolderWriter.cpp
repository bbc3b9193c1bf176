// Writing what the tools make (see SceneFolderWriter.h).
#include "SceneFolderWriter.h"

#include <stdexcept>

#include "base/uByteOrder.h"
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

std::string SceneHeaderText(const TSceneHeaderValues& values, const std::vector<std::string>& mediaNames) {
  std::string header = "[Header]\r\nSound=1\r\nMusic=" + std::string(values.Music ? "1" : "0") +
                       "\r\nMusicFile=" + values.MusicFile + "\r\nMusicVolume=" + std::to_string(values.MusicVolume) +
                       "\r\nSoundVolume=" + std::to_string(values.SoundVolume) + "\r\nRes0=" + kHeaderFileName +
                       "\r\nRes1=VXTemp.vxp\r\n";
  int entry = 2;
  for (const std::string& name : mediaNames) header += "Res" + std::to_string(entry++) + "=" + name + "\r\n";
  return header + "ResCount=" + std::to_string(entry) + "\r\n\r\n";
}

void WriteSceneFolder(const std::string& folder, const std::string& project, const std::vector<TSceneFile>& media,
                      const TSceneHeaderValues& values) {
  platform::CreateFolder(folder);
  if (!platform::DirectoryExists(folder)) throw std::runtime_error("cannot create " + folder);
  const std::string base = folder + platform::PathDelimiter();
  WriteFileBytes(base + "VXTemp.vxp", project);
  std::vector<std::string> names;
  for (const TSceneFile& file : media) {
    WriteFileBytes(base + file.name, file.bytes);
    names.push_back(file.name);
  }
  WriteFileBytes(base + kHeaderFileName, SceneHeaderText(values, names));
}

std::string WavBytes(int bits, uint32_t rate, int channels, const std::string& samples) {
  const auto align = static_cast<uint32_t>(channels * bits / 8);
  const std::string format = LeBytes(1, 2) + LeBytes(static_cast<uint32_t>(channels), 2) + LeBytes(rate) +
                             LeBytes(rate * align) + LeBytes(align, 2) + LeBytes(static_cast<uint32_t>(bits), 2);
  const std::string body = "WAVEfmt " + LeBytes(format.size()) + format + "data" + LeBytes(samples.size()) + samples;
  return "RIFF" + LeBytes(body.size()) + body;
}

}  // namespace lumora::tools
