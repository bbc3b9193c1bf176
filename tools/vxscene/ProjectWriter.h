// Writing project files: the authoring side of the project file format, for the scene tools
// and the tests; and reading back what the project keeps only decoded, the stored pictures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/uVXProject.h"

namespace lumora::tools {

struct TProjectFile {
  std::string Title;
  std::string Description;
  std::string ThumbnailJpeg;   // JPEG bytes
  int32_t FirstWaveCount = 4;  // stored before the first four records, never used by readers
  std::array<TWaveParam, kWaveCount> Waves = DefaultWaves();
  std::vector<int32_t> Runs;   // width, height, then the runs
  std::string BackgroundJpeg;  // JPEG bytes
  std::string SingleSoundPath;
  TWeatherParam Weather;
  bool WriteTail = true;  // sound slots, object text, build settings, further waves
  std::array<SoundSlot, kSoundSlotCount> SoundSlots{};
  std::string ObjectText;
  std::string BuildSettings;
  int32_t FurtherWaveCount = 4;  // how many of records 4..7 follow (at most 4 are stored)

  static std::array<TWaveParam, kWaveCount> DefaultWaves();
};

std::string ProjectFileBytes(const TProjectFile& project);

// Run-length codes of a mask given as region indices 0..6, row by row from the top: width,
// height, then one run per stretch of equal indices (at most 2^31 / 10 pixels each).
std::vector<int32_t> EncodeRegionRuns(int32_t width, int32_t height, const std::vector<uint8_t>& indices);

// The thumbnail's and the background's JPEG bytes exactly as a project file stores them. Throws
// EInOutError as the project reader does when the file is not a project file or ends early.
struct TStoredPictures {
  std::string ThumbnailJpeg;
  std::string BackgroundJpeg;
};
TStoredPictures ReadStoredPictures(const std::string& projectFile);

}  // namespace lumora::tools
