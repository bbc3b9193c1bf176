// Writes small seeds for the scene fuzzers: scene_seeds <corpus folder> fills <folder>/package,
// project, objects, ini and wav, each file made by the same writers as the authoring tools use,
// so that the fuzzers start from what real scenes hold and reach every field.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PackageWriter.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "base/uByteOrder.h"
#include "base/uIniText.h"
#include "objects/uImageObjects.h"
#include "project/uSettings.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace {

using lumora::LeBytes;

void Save(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string SmallJpeg(int width, int height) {
  lumora::TBitmap32 picture;
  picture.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.PixelAt(x, y) = lumora::Color32(uint8_t(x * 30), uint8_t(y * 40), 200);
  }
  return lumora::EncodeJpeg(picture, 50);
}

// A GIF object and a still-picture object, as the authoring side saves them.
std::string ObjectText() {
  lumora::TGifObject gif;
  gif.Index = 0;
  gif.Filename = "C:\\Scenes\\Lake\\bird.gif";
  gif.Motion = 3;
  gif.AnimSpeed = 14;
  gif.Opacity = 8;
  gif.RefreshFrame = true;
  lumora::TImgObject image;
  image.Index = 1;
  image.Filename = "C:\\Scenes\\Lake\\boat.bmp";
  image.Motion = 7;
  image.TransparentType = 2;
  image.TransparentColor = 0x00FF00FF;
  image.DisplayDurationType = 1;
  return gif.SaveToText() + image.SaveToText();
}

// An 8 x 6 scene: water in the lower half, snow, one sound, two objects and the build settings.
lumora::tools::TProjectFile Project() {
  lumora::tools::TProjectFile project;
  project.Title = "Lake";
  project.Description = "A small lake";
  project.ThumbnailJpeg = SmallJpeg(4, 3);
  project.BackgroundJpeg = SmallJpeg(8, 6);
  std::vector<uint8_t> regions(8 * 6, 0);
  for (size_t i = 24; i < regions.size(); ++i) regions[i] = i % 8 < 5 ? 1 : 3;
  project.Runs = lumora::tools::EncodeRegionRuns(8, 6, regions);
  project.SingleSoundPath = "C:\\Scenes\\Lake\\wind.wav";
  project.Weather.SetKind(1);
  project.Weather.SetCount(120);
  project.Weather.SetSpeedIndex(10);
  project.SoundSlots[0].SetPath("C:\\Scenes\\Lake\\loon.wav");
  project.SoundSlots[0].SetPlayMode(1);
  project.SoundSlots[0].SetIntervalMin(5);
  project.SoundSlots[0].SetIntervalMax(15);
  project.ObjectText = ObjectText();
  project.BuildSettings = lumora::JoinCommaText(
      {"[BuildScr]", "Filename=Lake scene.scr", "MusicFile=", "Music=0", "Sound=1", "", "[BuildExe]", "Filename="});
  project.Waves[1].SetReflection(true);
  return project;
}

// A WAVE_FORMAT_EXTENSIBLE record of 32-bit float samples, which the plain writer does not make.
std::string ExtensibleFloatWav() {
  const std::string guid = LeBytes(3, 2) + std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  const std::string format = LeBytes(0xFFFE, 2) + LeBytes(1, 2) + LeBytes(8000) + LeBytes(32000) + LeBytes(4, 2) +
                             LeBytes(32, 2) + LeBytes(22, 2) + LeBytes(32, 2) + LeBytes(4) + guid;
  const std::string samples(16, '\0');
  const std::string body = "WAVEfmt " + LeBytes(format.size()) + format + "LIST" + LeBytes(3) + "abc" +
                           std::string(1, '\0') + "data" + LeBytes(samples.size()) + samples;
  return "RIFF" + LeBytes(body.size()) + body;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scene_seeds <corpus folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];

  lumora::tools::TProjectFile project = Project();
  const std::string full = lumora::tools::ProjectFileBytes(project);
  Save(root / "project", "lake.vxp", full);
  Save(root / "project", "cut-in-objects.vxp", full.substr(0, full.size() - 200));
  project.WriteTail = false;
  Save(root / "project", "no-tail.vxp", lumora::tools::ProjectFileBytes(project));

  const std::string objects = ObjectText();
  Save(root / "objects", "two-objects.txt", objects);
  Save(root / "objects", "odd-sections.txt",
       "[obj1]\r\nObjType=IMG\r\n; Motion=5\r\n  Opacity = 0x0A \r\n[Notes]\r\nText=x\r\n[Obj0]\r\nObjType=GIF\r\n"
       "Speed=-3\r\nPosLeft=99999999999\r\n");

  std::string samples;
  for (int i = 0; i < 64; ++i) samples += static_cast<char>(128 + (i % 16) * 4);
  const std::string pcm8 = lumora::tools::WavBytes(8, 11025, 1, samples);
  Save(root / "wav", "pcm8-mono.wav", pcm8);
  Save(root / "wav", "pcm16-stereo.wav", lumora::tools::WavBytes(16, 22050, 2, samples));
  Save(root / "wav", "extensible-float.wav", ExtensibleFloatWav());
  Save(root / "wav", "cut.wav", pcm8.substr(0, 50));

  const std::string header = lumora::tools::SceneHeaderText({true, "C:\\Music\\tune.mid", 40, 80},
                                                            {"obj0.gif", "obj1.bmp", "sound0.wav", "music.mid"});
  Save(root / "ini", "header.ini", header);
  Save(root / "ini", "build-settings.txt", project.BuildSettings);
  lumora::WriteUserSettings((root / "ini" / "settings.ini").string(), {240, false, true, true, false, 3, true});

  // Entries past the project are copied, never read, by the extraction.
  const std::string package = lumora::tools::PackageBytes({header, full, "GIF89a", "BM", pcm8, ""});
  Save(root / "package", "scene.pkg", package);
  Save(root / "package", "behind-stub.scr", "MZ a program's bytes " + package);
  Save(root / "package", "cut.scr", package.substr(0, 600));
  return 0;
}
