// The scene folder (see uSceneFolder.h).
#include "project/uSceneFolder.h"

#include <algorithm>

#include "base/uErrors.h"
#include "base/uIniRecord.h"
#include "base/uIniText.h"
#include "base/uLimits.h"
#include "base/uPathText.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "platform/uTextFile.h"
#include "project/uProjectExtractor.h"
#include "project/uVXProject.h"

namespace lumora {
namespace {

constexpr const char* kHeaderSection = "Header";

// The header text; a missing one reads as empty, so that every key takes its default.
std::string ReadHeaderText(const std::string& path) {
  const int64_t size = platform::TFile::OpenRead(path).Size();
  if (size > kMaxIniTextBytes) {
    throw EInOutError(LimitMessage("The package header is", size, "bytes long", kMaxIniTextBytes));
  }
  return ReadTextFile(path, kMaxIniTextBytes).value_or(std::string());
}

}  // namespace

const TIniKey<TSceneHeader> kHeaderKeys[] = {
    IniKey<TSceneHeader, &TSceneHeader::ResCount>("ResCount", TIniWidth::Int32, 0),
    IniKey<TSceneHeader, &TSceneHeader::Music>("Music", TIniWidth::Bool, 0),
    IniKey<TSceneHeader, &TSceneHeader::MusicFile>("MusicFile", TIniWidth::Text),
    IniKey<TSceneHeader, &TSceneHeader::MusicVolume>("MusicVolume", TIniWidth::Int32, 100),
    IniKey<TSceneHeader, &TSceneHeader::SoundVolume>("SoundVolume", TIniWidth::Int32, 100),
};

std::span<const TIniKey<TSceneHeader>> TSceneHeader::Keys() { return kHeaderKeys; }

TSceneHeader TSceneHeader::Read(const TIniText& ini, int32_t maxEntries) {
  TSceneHeader header;
  ReadIniKeys(ini, kHeaderSection, Keys(), header);
  const int32_t listed = std::clamp(header.ResCount, 0, std::max(maxEntries, 0));
  if (listed > kMaxPackageEntries) {
    throw EInOutError(LimitMessage("The package header lists", listed, "entries", kMaxPackageEntries));
  }
  header.Res.reserve(static_cast<size_t>(listed));
  for (int32_t i = 0; i < listed; ++i) {
    header.Res.push_back(ini.ReadString(kHeaderSection, "Res" + std::to_string(i), ""));
  }
  return header;
}

std::string SceneFolderFor(const std::string& programPath) {
  return platform::TempFolder() + ExtractFileName(programPath) + platform::PathDelimiter();
}

TScene ExtractSceneInto(const std::string& packageFile, const std::string& folder) {
  TScene scene;
  scene.SceneFolder = folder;
  if (!scene.SceneFolder.empty() && scene.SceneFolder.back() != platform::PathDelimiter()) {
    scene.SceneFolder += platform::PathDelimiter();
  }
  std::string bare = scene.SceneFolder.substr(0, scene.SceneFolder.size() - 1);
  if (!platform::DirectoryExists(bare) && !platform::CreateFolder(bare)) {
    throw EInOutError("Unable to create the folder " + bare);
  }

  const std::string headerPath = scene.SceneFolder + kHeaderFileName;
  int64_t position = 0;
  int32_t entries = 0;
  const bool found = FindPackage(packageFile, position, entries);
  if (found) ExtractPackageAt(packageFile, position, {headerPath}, 0);
  try {
    scene.Header = TSceneHeader::Read(TIniText(ReadHeaderText(headerPath)), entries);
  } catch (const EInOutError&) {
    // Refused for its size: nobody will remove what was extracted so far, so it goes now.
    platform::EraseFile(headerPath);
    platform::RemoveFolder(bare);
    throw;
  }

  for (const std::string& name : scene.Header.Res) {
    if (IsBareFileName(name)) {
      scene.SceneFiles.push_back(scene.SceneFolder + name);
    } else {
      scene.SceneFiles.emplace_back();
      scene.RefusedNames.push_back(name);
    }
  }
  if (found) ExtractPackageAt(packageFile, position, scene.SceneFiles, static_cast<int>(scene.SceneFiles.size()) - 1);
  if (scene.SceneFiles.size() >= 2) scene.ProjectFileName = scene.SceneFiles[1];
  return scene;
}

void RemoveSceneFiles(const TScene& scene) {
  for (const std::string& file : scene.SceneFiles) {
    if (!file.empty()) platform::EraseFile(file);
  }
  // The header was written under its fixed name first; when the header named entry 0
  // differently, that first copy is still here.
  platform::EraseFile(scene.SceneFolder + kHeaderFileName);
  std::string bare = scene.SceneFolder.substr(0, scene.SceneFolder.size() - 1);
  if (!platform::RemoveFolder(bare)) throw EInOutError("Unable to remove the folder " + bare);
}

std::string RedirectedName(const std::string& folder, std::string_view stem, int index, std::string_view storedName) {
  return folder + std::string(stem) + std::to_string(index) + ExtractFileExt(storedName);
}

void RedirectSceneMedia(TProject& project, const std::string& folder) {
  for (int i = 0; i < project.SoundCount(); ++i) {
    SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
    slot.SetPath(RedirectedName(folder, "sound", i, slot.Path()));
  }
  for (int i = 0; i < project.Objects.Count(); ++i) {
    if (auto* object = dynamic_cast<TAnimImgObject*>(&project.Objects.Items(i))) {
      object->Filename = RedirectedName(folder, "obj", i, object->Filename);
    }
  }
}

std::string MusicFileName(const std::string& folder, std::string_view storedMusicFile) {
  return folder + "music" + ExtractFileExt(storedMusicFile);
}

}  // namespace lumora
