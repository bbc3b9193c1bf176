// Scenes made in code for the tests that play whole scenes: a patterned background whose six
// water regions each have their own wave, with weather or objects on top, written as a package.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Commands.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::testing {

inline constexpr int32_t kSceneWidth = 192;
inline constexpr int32_t kSceneHeight = 120;

// Bands and a checker, so that every displacement of a pixel shows.
inline void Pattern(TBitmap32& picture, int32_t width, int32_t height) {
  picture.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const bool check = ((x / 4) + (y / 3)) % 2 == 0;
      picture.PixelAt(x, y) = Color32(static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(check ? 200 : 40),
                                      static_cast<uint8_t>(y * 255 / height));
    }
  }
}

// Six regions side by side below row 40, each with its own wave; `flip` swaps the options.
inline tools::TProjectFile WaveScene(bool flip) {
  tools::TProjectFile project;
  project.Title = "Waves";
  TBitmap32 picture;
  Pattern(picture, kSceneWidth, kSceneHeight);
  project.BackgroundJpeg = EncodeJpeg(picture, 92);
  project.ThumbnailJpeg = EncodeJpeg(picture, 60);
  std::vector<uint8_t> regions(static_cast<size_t>(kSceneWidth * kSceneHeight), 0);
  for (int32_t y = 40; y < kSceneHeight; ++y) {
    for (int32_t x = 0; x < kSceneWidth; ++x)
      regions[static_cast<size_t>(y * kSceneWidth + x)] = static_cast<uint8_t>(1 + x * 6 / kSceneWidth);
  }
  project.Runs = tools::EncodeRegionRuns(kSceneWidth, kSceneHeight, regions);
  for (int k = 0; k < 6; ++k) {
    TWaveParam& wave = project.Waves[static_cast<size_t>(k)];
    wave.SetDirection(k);
    wave.SetAmplitude(3 + k);
    wave.SetFrequency(2 + k % 3);
    wave.SetSpeed(40 + 25 * k);
    wave.SetPeriod(k == 4 ? 720 : 360);
    wave.SetPerspective((k % 2 == 1) != flip);
    wave.SetShiftColumns((k % 3 == 0) != flip);
    wave.SetRipple((k == 2 || k == 5) != flip);
    wave.SetJitter((k == 1 || k == 4) != flip ? 2 + k : 0);
    wave.SetReflection((k == 2 || k == 3) != flip);
  }
  return project;
}

inline tools::TProjectFile WeatherScene(int32_t kind) {
  tools::TProjectFile project = WaveScene(false);
  project.Weather.SetKind(kind);
  project.Weather.SetCount(kind == 1 ? 400 : 120);
  project.Weather.SetSpeedIndex(kind == 1 ? 10 : 14);
  project.Weather.SetAngle(70);
  project.Weather.SetDropLength(12);
  project.Weather.SetDensity(kind == 1 ? 8 : 5);
  return project;
}

// Two frames of a square moving across a keyed screen, the second leaving part of the first.
inline std::string SquareGif() {
  TGifImage gif;
  gif.Width = 12;
  gif.Height = 8;
  gif.GlobalColors = {{255, 255, 0}, {220, 40, 40}, {40, 60, 220}, {250, 250, 250}};
  for (int f = 0; f < 3; ++f) {
    TGifFrame frame;
    frame.Width = 12;
    frame.Height = 8;
    frame.Indices.assign(96, 0);
    for (int y = 2; y < 6; ++y) {
      for (int x = 0; x < 5; ++x) frame.Indices[static_cast<size_t>(y * 12 + x + 3 * f)] = static_cast<uint8_t>(1 + f);
    }
    frame.HasControl = true;
    frame.Control.Delay = 3;
    frame.Control.Disposal = f == 1 ? 2 : 1;
    frame.Control.TransparentFlag = true;
    frame.Control.TransparentIndex = 0;
    frame.HasLoop = f == 0;
    gif.Frames.push_back(std::move(frame));
  }
  return EncodeGif(gif);
}

inline std::string ObjectSection(int index, const std::string& type, const std::string& file, const std::string& keys) {
  return "[Obj" + std::to_string(index) + "]\r\nObjType=" + type + "\r\nFilename=" + file + "\r\n" + keys + "\r\n";
}

inline tools::TProjectFile ObjectScene() {
  tools::TProjectFile project = WaveScene(false);
  project.ObjectText =
      ObjectSection(0, "GIF", "obj0.gif",
                    "Motion=2\r\nMotionSpeed=30\r\nPosLeftType=3\r\nPosTopType=3\r\nWidthSize=300\r\nHeightSize="
                    "300\r\nDirFlip=1") +
      ObjectSection(1, "IMG", "obj1.jpg",
                    "Motion=1\r\nMotionSpeed=20\r\nPosLeft=60\r\nPosTop=30\r\nOpacity=5\r\nTransparent=0") +
      ObjectSection(2, "GIF", "obj2.gif",
                    "Motion=7\r\nMotionSpeed=40\r\nAnimSpeed=20\r\nRefreshFrame=1\r\nWidthSize=150") +
      ObjectSection(3, "GIF", "obj3.gif",
                    "Motion=5\r\nMotionSpeed=60\r\nPosLeftType=1\r\nPosTop=80\r\nDirFlip=1\r\nObjFacing=0");
  return project;
}

// The scene as a package "<name>.scr" in `dir`, its pictures (for ObjectScene) beside the project.
inline std::string WriteScenePackage(const TempDir& dir, const std::string& name, const tools::TProjectFile& project) {
  const std::string folder = dir.File(name);
  TBitmap32 still;
  Pattern(still, 10, 6);
  std::vector<tools::TSceneFile> media;
  if (!project.ObjectText.empty()) {
    media = {{"obj0.gif", SquareGif()},
             {"obj1.jpg", EncodeJpeg(still, 90)},
             {"obj2.gif", SquareGif()},
             {"obj3.gif", SquareGif()}};
  }
  tools::WriteSceneFolder(folder, tools::ProjectFileBytes(project), media);
  const std::string package = dir.File(name + ".scr");
  if (tools::RunPack({"--out", package, folder}) != 0) return "";
  return package;
}

}  // namespace lumora::testing
