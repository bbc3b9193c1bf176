// Small project files made by code for the tests: pictures drawn in memory, encoded as JPEG,
// written field by field with the project writer.
#pragma once

#include <string>
#include <vector>

#include "ProjectWriter.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::testing {

// A w x h JPEG of a left-to-right grey ramp (so that resampling is visible).
inline std::string RampJpeg(int32_t width, int32_t height) {
  TBitmap32 picture;
  picture.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const auto v = static_cast<uint8_t>(width > 1 ? x * 255 / (width - 1) : 128);
      picture.PixelAt(x, y) = Color32(v, v, v);
    }
  }
  return EncodeJpeg(picture, 95);
}

// A complete small project: an 8 x 6 background whose lower half is water region 1 and whose
// bottom-right corner is region 3.
inline tools::TProjectFile SmallProject() {
  tools::TProjectFile project;
  project.Title = "Lake";
  project.Description = "A quiet lake";
  project.ThumbnailJpeg = RampJpeg(4, 3);
  project.BackgroundJpeg = RampJpeg(8, 6);
  std::vector<uint8_t> indices(8 * 6, 0);
  for (int i = 24; i < 48; ++i) indices[static_cast<size_t>(i)] = 1;
  indices[47] = 3;
  project.Runs = tools::EncodeRegionRuns(8, 6, indices);
  project.Weather.SetKind(1);
  project.Weather.SetCount(300);
  project.Weather.SetSpeedIndex(10);
  project.Weather.SetAngle(90);
  project.Weather.SetDropLength(10);
  project.Weather.SetDensity(7);
  return project;
}

}  // namespace lumora::testing
