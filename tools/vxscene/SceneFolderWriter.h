// Writing what the tools make: single files, and whole scene folders (project, media, header).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::tools {

// Writes `bytes` to `path`; throws std::runtime_error "cannot write <path>" when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);

struct TSceneFile {
  std::string name;  // a bare file name
  std::string bytes;
};

// The header's values besides the entry names. The music is the media entry named "music" plus
// the extension of MusicFile, which is where the saver looks for it.
struct TSceneHeaderValues {
  bool Music = false;
  std::string MusicFile;
  int32_t MusicVolume = 100;
  int32_t SoundVolume = 100;
};

// The header "VXHeader.dat": its values, then the header itself, the project file "VXTemp.vxp"
// and `mediaNames` in package order, then "ResCount".
std::string SceneHeaderText(const TSceneHeaderValues& values, const std::vector<std::string>& mediaNames);

// Creates `folder` (one level) and writes a scene into it: the project file "VXTemp.vxp", each
// media file, and the header "VXHeader.dat" naming all of them in package order.
void WriteSceneFolder(const std::string& folder, const std::string& project, const std::vector<TSceneFile>& media,
                      const TSceneHeaderValues& header = {});

// A RIFF WAVE file of PCM samples (`bits` 8 or 16, interleaved channels, little-endian).
std::string WavBytes(int bits, uint32_t rate, int channels, const std::string& samples);

}  // namespace lumora::tools
