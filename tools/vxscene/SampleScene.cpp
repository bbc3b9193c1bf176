// vxscene sample: a small scene folder made entirely by code, for trying the package tools.
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "Commands.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

// A quarter second of a soft 440 Hz tone, 8-bit mono PCM at 11025 Hz.
std::string ChimeWav() {
  constexpr uint32_t kRate = 11025;
  std::string samples;
  for (uint32_t i = 0; i < kRate / 4; ++i) {
    double fade = 1.0 - static_cast<double>(i) / (kRate / 4);
    samples += static_cast<char>(128 + static_cast<int>(60 * fade * std::sin(2 * 3.14159265358979 * 440 * i / kRate)));
  }
  return WavBytes(8, kRate, 1, samples);
}

// A dusk sky over a lake: the lower third is water region 1.
std::string SampleProject() {
  constexpr int32_t kWidth = 320;
  constexpr int32_t kHeight = 200;
  constexpr int32_t kShore = 134;
  TBitmap32 picture;
  picture.SetSize(kWidth, kHeight);
  std::vector<uint8_t> regions(static_cast<size_t>(kWidth * kHeight), 0);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const double t = static_cast<double>(y) / kShore;
      TColor32 sky = Color32(static_cast<uint8_t>(40 + 180 * t), static_cast<uint8_t>(60 + 90 * t),
                             static_cast<uint8_t>(140 - 40 * t));
      TColor32 water =
          Color32(30, static_cast<uint8_t>(70 + (y - kShore) / 2), static_cast<uint8_t>(120 + (y - kShore)));
      picture.PixelAt(x, y) = y < kShore ? sky : water;
      if (y >= kShore) regions[static_cast<size_t>(y * kWidth + x)] = 1;
    }
  }
  TBitmap32 thumbnail;
  thumbnail.SetSize(80, 50);
  thumbnail.Draw(Rect(0, 0, 80, 50), Rect(0, 0, kWidth, kHeight), picture);

  TProjectFile project;
  project.Title = "Sample scene";
  project.Description = "A dusk sky over a still lake.";
  project.ThumbnailJpeg = EncodeJpeg(thumbnail, 85);
  project.BackgroundJpeg = EncodeJpeg(picture, 90);
  project.Runs = EncodeRegionRuns(kWidth, kHeight, regions);
  project.SoundSlots[0].SetPath("C:\\Scenes\\chime.wav");
  project.SoundSlots[0].SetPlayMode(1);
  project.SoundSlots[0].SetIntervalMin(5);
  project.SoundSlots[0].SetIntervalMax(15);
  project.BuildSettings = "[BuildScr],\"Filename=Sample scene.scr\",MusicFile=,Music=0,Sound=1";
  return ProjectFileBytes(project);
}

}  // namespace

int RunSample(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {"out"}, {});
  if (!parsed.positional.empty() || !parsed.Has("out")) throw EUsageError("sample needs --out DIR");
  WriteSceneFolder(parsed.Value("out"), SampleProject(), {{"sound0.wav", ChimeWav()}});
  std::printf("wrote a sample scene into %s\n", parsed.Value("out").c_str());
  return 0;
}

}  // namespace lumora::tools
