// The scene folder an author works in, and its scene.json: what `extract` and `new` write and
// `build` reads.
//
//   scene.json       every value of the scene (below)
//   background.jpg   the scene picture (build also takes a PNG or BMP, named by "background")
//   thumbnail.jpg    the small picture (made from the background when there is none)
//   regions.png      the water: black for none, a region's colour (see "regionColors") for its water
//   obj0.gif, ...    the media, under the names the objects, sound slots and music refer to
//
// scene.json holds "title", "description", "background", "thumbnail", "jpegQuality" (for a
// background or thumbnail that is not a JPEG already), "regionColors", "waves" (eight records),
// "weather", "sounds", "objects", "buildSettings" (the items of the build settings),
// "extraInfo" (the build settings as the saver reads them) and "header" (the package header's
// music and volumes), each record's fields under the names the code gives them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "JsonText.h"
#include "project/uSceneFolder.h"
#include "project/uVXProject.h"

namespace lumora::tools {

inline constexpr const char* kSceneJsonFile = "scene.json";
inline constexpr const char* kBackgroundFile = "background.jpg";
inline constexpr const char* kThumbnailFile = "thumbnail.jpg";
inline constexpr const char* kRegionsFile = "regions.png";
inline constexpr int32_t kDefaultJpegQuality = 90;

// The values scene.json lists, as the scene files store them (texts in Windows-1252).
struct TSceneValues {
  std::string Title;
  std::string Description;
  std::string Background = kBackgroundFile;
  std::optional<std::string> Thumbnail;  // none: thumbnail.jpg when there is one, else made
  std::array<TWaveParam, kWaveCount> Waves;
  TWeatherParam Weather;
  std::vector<SoundSlot> Sounds;           // the used slots
  TJson Objects = TJson::array();          // one object section each (ObjectJson)
  std::vector<std::string> BuildSettings;  // the items of the comma text
  TExtraInfo ExtraInfo;
  TSceneHeader Header;

  TSceneValues() { Waves.fill(TWaveParam::Defaults()); }
};

// The document, in the order the header comment lists its keys.
TJson SceneJson(const TSceneValues& values);
// {"1": "#0000FF", ...}: the colour each region is painted in.
TJson RegionColorsJson();

// The name under which a file of the scene (a Windows-1252 name) lies in the folder: the same
// bytes on Windows, which opens files by their ANSI names, and its UTF-8 form elsewhere.
std::string DiskName(const std::string& cp1252Name);
// `folder` joined with `name`.
std::string InFolder(const std::string& folder, const std::string& name);
// The whole file; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// A folder written whole or not at all: its files go into a new folder beside `target`, which
// Commit moves into place. `target` must not exist or be empty; without a Commit the new folder
// is removed again.
class TStagedFolder {
 public:
  explicit TStagedFolder(const std::string& target);
  ~TStagedFolder();
  TStagedFolder(const TStagedFolder&) = delete;
  TStagedFolder& operator=(const TStagedFolder&) = delete;

  std::string File(const std::string& name) const { return InFolder(staging_, name); }
  void Write(const std::string& name, const std::string& bytes) const;
  void Commit();

 private:
  std::string target_;
  std::string staging_;
  bool committed_ = false;
};

}  // namespace lumora::tools
