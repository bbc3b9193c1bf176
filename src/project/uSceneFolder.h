// The scene folder: where a saver's package entries are extracted, and how they are named.
//
// The saver window and the configuration dialog both extract the scene of their own program
// into "temporary folder + program file name + delimiter" and remove it again when they end.
// The package header (entry 0, "VXHeader.dat") names every entry's file; the project's sound
// slots, object pictures and music are then pointed at "sound<i>", "obj<i>" and "music" plus
// the extension of the name they were authored with.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/uIniRecord.h"

namespace lumora {

// Entry 0 of every package, the header that names all entries, is first extracted under this name.
inline constexpr const char* kHeaderFileName = "VXHeader.dat";

// The values of section "Header" of the package header text.
struct TSceneHeader {
  int32_t ResCount = 0;
  std::vector<std::string> Res;  // "Res0", "Res1", ... as written (empty when missing)
  bool Music = false;
  std::string MusicFile;  // the authoring-time name; only its extension is used
  int32_t MusicVolume = 100;
  int32_t SoundVolume = 100;

  // Reads the header; at most `maxEntries` "Res" names (the package cannot hold more). When more
  // than kMaxPackageEntries names would be listed, throws EInOutError before listing any.
  static TSceneHeader Read(const TIniText& ini, int32_t maxEntries);
  // The keys of section "Header" besides the "Res" names.
  static std::span<const TIniKey<TSceneHeader>> Keys();
};

struct TScene {
  std::string SceneFolder;                // ends with the path delimiter
  std::vector<std::string> SceneFiles;    // full paths in package order; "" where a name was refused
  std::vector<std::string> RefusedNames;  // "Res" names that were not bare file names
  std::string ProjectFileName;            // SceneFiles[1], empty when the header lists fewer entries
  TSceneHeader Header;
};

// The scene folder of the program at `programPath`: temporary folder + its file name + delimiter.
std::string SceneFolderFor(const std::string& programPath);

// Creates `folder` (one level) when missing, extracts the header from `packageFile`, then every
// entry to the name the header gives it. A name that is not a bare file name is refused: that
// entry is not written and the rest goes on. Throws EInOutError when the folder cannot be made,
// and when the header holds more than kMaxIniTextBytes or lists more than kMaxPackageEntries.
TScene ExtractSceneInto(const std::string& packageFile, const std::string& folder);

// The saver's and the dialog's extraction: the program's package into its scene folder.
inline TScene ExtractScene(const std::string& programPath) {
  return ExtractSceneInto(programPath, SceneFolderFor(programPath));
}

// Deletes every extracted file, then the folder. Throws EInOutError when the folder remains.
void RemoveSceneFiles(const TScene& scene);

class TProject;

// Points the project's sound slots and object pictures at the extracted files: slot i at
// folder + "sound<i>" and object i at folder + "obj<i>", each with the extension of the name it
// was authored with (a slot's path cut to 255 characters).
void RedirectSceneMedia(TProject& project, const std::string& folder);

// folder + stem + index in decimal + the extension of `storedName` ("sound0.wav", "obj3.gif").
std::string RedirectedName(const std::string& folder, std::string_view stem, int index, std::string_view storedName);
// folder + "music" + the extension of the header's "MusicFile".
std::string MusicFileName(const std::string& folder, std::string_view storedMusicFile);

}  // namespace lumora
