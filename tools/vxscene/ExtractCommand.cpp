// vxscene extract FILE DIR: a scene saver (or a bare project file) opened into a folder of plain
// files an author can read and edit, and `vxscene build` turns back into a saver.
#include <cstdio>
#include <map>
#include <stdexcept>

#include "AuthorPictures.h"
#include "Commands.h"
#include "ProjectWriter.h"
#include "SceneDocument.h"
#include "SceneValues.h"
#include "base/uIniText.h"
#include "base/uPathText.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "platform/uScratchFolder.h"
#include "platform/uTextFile.h"
#include "project/uFileIO.h"
#include "project/uProjectExtractor.h"
#include "project/uSceneFolder.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

// Where the scene's files are: the package's entries extracted as the saver extracts them, or
// the files beside a bare project file under the same names.
struct TSource {
  std::string ProjectFile;
  std::string MediaFolder;  // ends with a delimiter, or empty for the working folder
  TSceneHeader Header;
};

TSource OpenSource(const std::string& file, const platform::TScratchFolder& scratch) {
  TSource source;
  int64_t position = 0;
  int32_t entries = 0;
  if (FindPackage(file, position, entries)) {
    const TScene scene = ExtractSceneInto(file, scratch.Path());
    if (scene.ProjectFileName.empty()) throw std::runtime_error(file + ": the package holds no project file");
    source.ProjectFile = scene.ProjectFileName;
    source.MediaFolder = scene.SceneFolder;
    source.Header = scene.Header;
    return source;
  }
  platform::TFile in = platform::TFile::OpenRead(file);
  char magic[8];
  if (in.Read(magic, 8) != 8 || std::string(magic, 8) != kProjectMagic) {
    throw std::runtime_error(file + " is neither a scene package nor a project file");
  }
  source.ProjectFile = file;
  source.MediaFolder = ExtractFilePath(file);
  if (std::optional<std::string> header = ReadTextFile(source.MediaFolder + kHeaderFileName)) {
    source.Header = TSceneHeader::Read(TIniText(*header), 0);
  }
  return source;
}

// The media files copied into the folder, each under the name its object, slot or music refers
// to. Two references to different files of the same name (letter case ignored, as Windows
// would) cannot both keep it: the later one gets a name of its own.
class TMediaNames {
 public:
  // The name `source` gets for the reference `stored` (a Windows-1252 path); `fallback` when the
  // path has no usable file name.
  std::string Claim(const std::string& stored, const std::string& fallback, const std::string& source) {
    std::string wanted = ExtractFileName(stored);
    if (!IsBareFileName(wanted)) wanted = fallback;
    const std::string ext = ExtractFileExt(wanted);
    const std::string stem = wanted.substr(0, wanted.size() - ext.size());
    std::string name = wanted;
    for (int n = 2; !Fits(name, source); ++n) name = stem + "-" + std::to_string(n) + ext;
    files_[UpperCase(name)] = {name, source};
    return name;
  }
  void CopyInto(const TStagedFolder& folder) const {
    for (const auto& [key, file] : files_) {
      const std::optional<std::string> bytes = ReadWholeFile(file.source);
      if (!bytes) throw std::runtime_error("cannot read " + file.source);
      folder.Write(DiskName(file.name), *bytes);
    }
  }

 private:
  struct TFile {
    std::string name;
    std::string source;
  };
  bool Fits(const std::string& name, const std::string& source) const {
    const std::string key = UpperCase(name);
    for (const char* fixed : {kSceneJsonFile, kBackgroundFile, kThumbnailFile, kRegionsFile}) {
      if (key == UpperCase(fixed)) return false;
    }
    const auto taken = files_.find(key);
    return taken == files_.end() || taken->second.source == source ||
           ReadWholeFile(taken->second.source) == ReadWholeFile(source);
  }
  std::map<std::string, TFile> files_;
};

// The reference as scene.json shows it: the stored path while its file name is the one the
// file got, else the new name.
TJson Reference(const std::string& stored, const std::string& name) {
  return JsonText(ExtractFileName(stored) == name ? stored : name);
}

}  // namespace

int RunExtract(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {}, {});
  if (parsed.positional.size() != 2) throw EUsageError("extract needs FILE and DIR");
  const std::string& file = parsed.positional[0];
  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);

  const platform::TScratchFolder scratch("vxscene-extract-");
  const TSource source = OpenSource(file, scratch);
  TProject project;
  project.Objects.Threaded = false;  // looked at, never started
  if (!project.Load(source.ProjectFile)) throw std::runtime_error(file + ": the project cannot be loaded");
  TFileLoader raw;  // for the build settings as written, which the project keeps only read
  raw.LoadFromFile(source.ProjectFile);
  const TStoredPictures pictures = ReadStoredPictures(source.ProjectFile);

  TSceneValues values;
  values.Title = project.Title;
  values.Description = project.Description;
  values.Thumbnail = kThumbnailFile;
  values.Waves = project.WaveParams;
  values.Weather = project.Weather;
  values.BuildSettings = SplitCommaText(raw.BuildSettings);
  values.ExtraInfo = project.ExtraInfo;
  values.Header = source.Header;

  std::vector<std::string> missing;
  TMediaNames media;
  // Looks the medium up where the saver would; true when it is there.
  auto take = [&](const std::string& where, const std::string& path, const std::string& stored,
                  const std::string& fallback, auto assign) {
    if (!platform::FileExists(path)) {
      missing.push_back(where + ": " + file + " holds no " + ExtractFileName(path) + "; put " +
                        Utf8FromWindows1252(ExtractFileName(stored)) + " into " + parsed.positional[1] +
                        " before building");
      return;
    }
    assign(media.Claim(stored, fallback, path));
  };
  for (int i = 0; i < project.Objects.Count(); ++i) {
    TJson object = ObjectJson(project.Objects.Items(i));
    const auto* picture = dynamic_cast<const TAnimImgObject*>(&project.Objects.Items(i));
    const std::string stored = picture ? picture->Filename : "";
    const std::string stem = "obj" + std::to_string(i);
    take("objects[" + std::to_string(i) + "].Filename", RedirectedName(source.MediaFolder, "obj", i, stored), stored,
         stem + ExtractFileExt(stored), [&](const std::string& name) { object["Filename"] = Reference(stored, name); });
    values.Objects.push_back(object);
  }
  for (int i = 0; i < project.SoundCount(); ++i) {
    SoundSlot slot = project.SoundSlots[static_cast<size_t>(i)];
    const std::string stored = slot.Path();
    take("sounds[" + std::to_string(i) + "].Path", RedirectedName(source.MediaFolder, "sound", i, stored), stored,
         "sound" + std::to_string(i) + ExtractFileExt(stored), [&](const std::string& name) {
           if (ExtractFileName(stored) != name) slot.SetPath(name);
         });
    values.Sounds.push_back(slot);
  }
  const std::string musicFile = source.Header.MusicFile;
  const std::string musicPath = MusicFileName(source.MediaFolder, musicFile);
  if (!musicFile.empty() && (source.Header.Music || platform::FileExists(musicPath))) {
    take("header.MusicFile", musicPath, musicFile, "music" + ExtractFileExt(musicFile), [&](const std::string& name) {
      if (ExtractFileName(musicFile) != name) values.Header.MusicFile = name;
    });
  }

  TBitmap32 regions;
  RegionPicture(project.RegionMask, regions);
  if (regions.Empty()) {  // a project without a mask size: no water at all
    regions.SetSize(project.Width, project.Height);
    regions.Clear(Color32(0, 0, 0));
  }
  TStagedFolder folder(parsed.positional[1]);
  folder.Write(kBackgroundFile, pictures.BackgroundJpeg);
  folder.Write(kThumbnailFile, pictures.ThumbnailJpeg);
  folder.Write(kRegionsFile, EncodePng(regions));
  media.CopyInto(folder);
  folder.Write(kSceneJsonFile, SceneJson(values).dump(2, ' ', false) + "\n");
  folder.Commit();

  std::printf("extracted %s into %s: %d objects, %d sounds%s\n", file.c_str(), parsed.positional[1].c_str(),
              project.Objects.Count(), project.SoundCount(), values.Header.Music ? ", music" : "");
  for (const std::string& note : missing) {
    std::fprintf(stderr, "vxscene: warning: %s\n", note.c_str());
  }
  return 0;
}

}  // namespace lumora::tools
