// Writing project files (see ProjectWriter.h).
#include "ProjectWriter.h"

#include <algorithm>

#include "base/uByteOrder.h"
#include "base/uErrors.h"
#include "project/uFileIO.h"

namespace lumora::tools {
namespace {

void PutInt(std::string& out, int32_t value) { out += LeBytes(static_cast<uint32_t>(value)); }

void PutText(std::string& out, const std::string& text) {
  PutInt(out, static_cast<int32_t>(text.size()));
  out += text;
}

template <size_t N>
void PutRecord(std::string& out, const std::array<uint8_t, N>& record) {
  out.append(reinterpret_cast<const char*>(record.data()), N);
}

}  // namespace

std::array<TWaveParam, kWaveCount> TProjectFile::DefaultWaves() {
  std::array<TWaveParam, kWaveCount> waves;
  waves.fill(TWaveParam::Defaults());
  return waves;
}

std::string ProjectFileBytes(const TProjectFile& project) {
  std::string out = kProjectMagic;
  PutText(out, project.Title);
  PutText(out, project.Description);
  PutText(out, project.ThumbnailJpeg);
  PutInt(out, project.FirstWaveCount);
  for (int i = 0; i < 4; ++i) PutRecord(out, project.Waves[static_cast<size_t>(i)].Record);
  PutInt(out, static_cast<int32_t>(project.Runs.size()));
  for (int32_t run : project.Runs) PutInt(out, run);
  PutText(out, project.BackgroundJpeg);
  PutText(out, project.SingleSoundPath);
  PutRecord(out, project.Weather.Record);
  if (!project.WriteTail) return out;
  for (const SoundSlot& slot : project.SoundSlots) PutRecord(out, slot.Record);
  PutText(out, project.ObjectText);
  PutText(out, project.BuildSettings);
  PutInt(out, project.FurtherWaveCount);
  for (int i = 0; i < std::clamp(project.FurtherWaveCount, 0, 4); ++i) {
    PutRecord(out, project.Waves[static_cast<size_t>(4 + i)].Record);
  }
  return out;
}

std::vector<int32_t> EncodeRegionRuns(int32_t width, int32_t height, const std::vector<uint8_t>& indices) {
  std::vector<int32_t> runs = {width, height};
  constexpr int64_t kMaxRun = 214748364;  // v div 10 of the largest 32-bit value
  size_t i = 0;
  while (i < indices.size()) {
    size_t j = i;
    while (j < indices.size() && indices[j] == indices[i] && static_cast<int64_t>(j - i) < kMaxRun) ++j;
    runs.push_back(static_cast<int32_t>((j - i) * 10 + indices[i]));
    i = j;
  }
  return runs;
}

TStoredPictures ReadStoredPictures(const std::string& projectFile) {
  TMyStream stream(projectFile);
  if (stream.ReadMagic(8) != kProjectMagic) throw EInOutError("Incorrect Project File!");
  TStoredPictures pictures;
  stream.ReadCountedText();  // title
  stream.ReadCountedText();  // description
  pictures.ThumbnailJpeg = stream.ReadCountedText();
  stream.ReadInteger();  // the count of the first wave records, always four of them
  std::array<uint8_t, 4 * TWaveParam::kSize> waves;
  stream.ReadBuffer(waves.data(), static_cast<int64_t>(waves.size()));
  const int32_t runCount = stream.ReadInteger();
  if (runCount < 0 || int64_t{runCount} * 4 > stream.Remaining()) {
    throw EInOutError("The region runs run past the end of the project file");
  }
  std::vector<uint8_t> runs;
  stream.ReadToStream(runs, runCount * 4);
  pictures.BackgroundJpeg = stream.ReadCountedText();
  return pictures;
}

}  // namespace lumora::tools
