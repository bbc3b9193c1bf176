// vxscene build DIR --out FILE [--stub EXE]: a scene folder (see SceneDocument.h) made into a
// scene saver; and vxscene new DIR --background PICTURE, the folder to start one from.
//
// Everything is read and checked before anything is written, and every mistake is reported as
// "<place>: <what is wrong>" with the place in the author's terms: a key of scene.json
// ("objects[2].Filename") or a file of the folder ("regions.png"). The saver appears whole or
// not at all.
#include <cstdio>
#include <stdexcept>

#include "AuthorPictures.h"
#include "Commands.h"
#include "PackageWriter.h"
#include "ProjectWriter.h"
#include "SceneDocument.h"
#include "SceneFolderWriter.h"
#include "SceneValues.h"
#include "base/uIniText.h"
#include "base/uPathText.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "platform/uScratchFolder.h"
#include "platform/uTextFile.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

constexpr int64_t kSceneJsonLimit = 16 << 20;

std::string Dump(const TJson& value) { return value.dump(-1, ' ', false, TJson::error_handler_t::replace); }

// A picture of the folder as a JPEG: its own bytes when it is one, else encoded. Decoded into
// `surface` either way.
std::string PictureJpeg(const std::string& place, const std::string& folder, const std::string& name, int quality,
                        TBitmap32& surface) {
  const std::optional<std::string> bytes = ReadWholeFile(InFolder(folder, DiskName(name)));
  if (!bytes) AuthorError(place, Utf8FromWindows1252(name) + " not found");
  try {
    DecodePicture(*bytes, surface);
    if (surface.Empty()) throw EPictureError("the picture is empty");
    return PictureKindOf(*bytes) == TPictureKind::Jpeg ? *bytes : EncodeJpeg(surface, quality);
  } catch (const EPictureError& error) {
    AuthorError(place, Utf8FromWindows1252(name) + ": " + error.what());
  }
}

// A file the scene refers to by a (Windows-1252) path: its file name must be in the folder.
std::string MediaFile(const std::string& place, const std::string& folder, const std::string& stored) {
  const std::string name = ExtractFileName(stored);
  if (!IsBareFileName(name)) AuthorError(place, Dump(TJson(Utf8FromWindows1252(stored))) + " names no file");
  const std::string path = InFolder(folder, DiskName(name));
  if (!platform::FileExists(path)) AuthorError(place, Utf8FromWindows1252(name) + " not found");
  return path;
}

// A value that goes into an INI text: one line, and no blanks at its ends, which the reader drops.
void CheckIniValue(const std::string& place, const std::string& value) {
  for (char c : value) {
    if (static_cast<uint8_t>(c) < 0x20) AuthorError(place, "must not hold line breaks or other control characters");
  }
  if (!value.empty() && (value.front() == ' ' || value.back() == ' ')) {
    AuthorError(place, "must not begin or end with a blank");
  }
}

const TJson* ListAt(const TAuthorObject& root, const char* key, size_t most, const char* what) {
  const TJson* list = root.Find(key);
  if (list == nullptr) return nullptr;
  if (!list->is_array()) AuthorError(key, "must be a list [ ... ]");
  if (list->size() > most) {
    AuthorError(key, "at most " + std::to_string(most) + " " + what + ", " + std::to_string(list->size()) + " given");
  }
  return list;
}

std::string Item(const char* list, size_t index) { return std::string(list) + "[" + std::to_string(index) + "]"; }

// The scene as the package will hold it.
struct TBuiltScene {
  std::string Project;  // the project file's bytes
  TSceneHeaderValues Header;
  std::vector<std::string> EntryNames;  // the media's names in the package, in package order
  std::vector<std::string> MediaPaths;  // their files in the folder
  void AddMedia(const std::string& entryName, const std::string& path) {
    EntryNames.push_back(entryName);
    MediaPaths.push_back(path);
  }
};

void ReadPictures(const TAuthorObject& root, const std::string& folder, TProjectFile& project) {
  const int quality = root.Integer("jpegQuality", "scene", kDefaultJpegQuality);
  TBitmap32 background;
  project.BackgroundJpeg =
      PictureJpeg("background", folder, root.Text("background", kBackgroundFile), quality, background);
  const TJson* thumbnailName = root.Find("thumbnail");
  TBitmap32 thumbnail;
  if (thumbnailName != nullptr && !thumbnailName->is_null()) {
    project.ThumbnailJpeg = PictureJpeg("thumbnail", folder, root.Text("thumbnail", ""), quality, thumbnail);
  } else if (platform::FileExists(InFolder(folder, kThumbnailFile))) {
    project.ThumbnailJpeg = PictureJpeg("thumbnail", folder, kThumbnailFile, quality, thumbnail);
  } else {
    MakeThumbnail(background, thumbnail);
    project.ThumbnailJpeg = EncodeJpeg(thumbnail, quality);
  }

  const TJson* legend = root.Find("regionColors");
  if (legend != nullptr && *legend != RegionColorsJson()) {
    AuthorError("regionColors", "the region colours are fixed, this only lists them; leave it as it was or out");
  }
  const std::optional<std::string> regions = ReadWholeFile(InFolder(folder, kRegionsFile));
  if (!regions) {
    AuthorError(kRegionsFile, "not found; paint the water into a PNG of the background's size (vxscene new makes one)");
  }
  project.Runs = EncodeRegionRuns(background.Width(), background.Height(),
                                  ReadRegionPicture(*regions, kRegionsFile, background.Width(), background.Height()));
}

void ReadWaves(const TAuthorObject& root, TProjectFile& project) {
  const auto names = TAuthorObject::ReadKeyNames(WaveKeys());
  if (const TJson* waves = ListAt(root, "waves", kWaveCount, "records, one per region")) {
    for (size_t i = 0; i < waves->size(); ++i) {
      const TAuthorObject wave((*waves)[i], Item("waves", i));
      wave.AllowOnly(names);
      wave.ReadRecord(WaveKeys(), "waves", project.Waves[i]);
    }
  }
  if (const TJson* weather = root.Find("weather")) {
    const TAuthorObject record(*weather, "weather");
    record.AllowOnly(TAuthorObject::ReadKeyNames(WeatherKeys()));
    record.ReadRecord(WeatherKeys(), "weather", project.Weather);
  }
}

void ReadSounds(const TAuthorObject& root, const std::string& folder, TProjectFile& project, TBuiltScene& scene) {
  const TJson* sounds = ListAt(root, "sounds", kSoundSlotCount, "sounds");
  for (size_t i = 0; sounds != nullptr && i < sounds->size(); ++i) {
    const TAuthorObject sound((*sounds)[i], Item("sounds", i));
    sound.AllowOnly(TAuthorObject::ReadKeyNames(SoundKeys()));
    const std::string path = sound.Text("Path", "");
    if (path.empty()) AuthorError(sound.PlaceOf("Path"), "missing; name the sound's WAV file");
    if (path.size() > SoundSlot::kMaxPath) AuthorError(sound.PlaceOf("Path"), "longer than 255 characters");
    SoundSlot& slot = project.SoundSlots[i];
    sound.ReadRecord(SoundKeys(), "sounds", slot);
    scene.AddMedia("sound" + std::to_string(i) + ExtractFileExt(path), MediaFile(sound.PlaceOf("Path"), folder, path));
  }
}

// Each object is made as the object list makes it, given the keys scene.json sets, and written
// by its own SaveToText; keys left out keep the values its reader gives them.
void ReadObjects(const TAuthorObject& root, const std::string& folder, TProjectFile& project, TBuiltScene& scene) {
  const TJson* objects = ListAt(root, "objects", SIZE_MAX, "objects");
  for (size_t i = 0; objects != nullptr && i < objects->size(); ++i) {
    const TAuthorObject in((*objects)[i], Item("objects", i));
    const std::string type = in.Text("ObjType", "");
    std::unique_ptr<TAnimObject> object;
    std::vector<std::string> names = TAuthorObject::ReadKeyNames(TAnimObject::CommonKeys());
    names.emplace_back("ObjType");
    const std::string section = "[Obj" + std::to_string(i) + "]\r\nObjType=" + type + "\r\n";
    if (type == "GIF") {
      auto gif = std::make_unique<TGifObject>();
      gif->Threaded = false;
      gif->Index = static_cast<int32_t>(i);
      gif->LoadFromText(section);
      for (const std::string& name : TAuthorObject::ReadKeyNames(TGifObject::Keys())) names.push_back(name);
      in.AllowOnly(names);
      in.ReadRecord(TGifObject::Keys(), "objects", *gif);
      object = std::move(gif);
    } else if (type == "IMG") {
      auto image = std::make_unique<TImgObject>();
      image->Threaded = false;
      image->Index = static_cast<int32_t>(i);
      image->LoadFromText(section);
      for (const std::string& name : TAuthorObject::ReadKeyNames(TImgObject::Keys())) names.push_back(name);
      in.AllowOnly(names);
      in.ReadRecord(TImgObject::Keys(), "objects", *image);
      object = std::move(image);
    } else {
      AuthorError(in.PlaceOf("ObjType"), type.empty() ? "missing; \"GIF\" or \"IMG\"" : "must be \"GIF\" or \"IMG\"");
    }
    in.ReadRecord(TAnimObject::CommonKeys(), "objects", *object);

    auto& picture = dynamic_cast<TAnimImgObject&>(*object);
    const std::string place = in.PlaceOf("Filename");
    if (picture.Filename.empty()) AuthorError(place, "missing; name the object's picture");
    CheckIniValue(place, picture.Filename);
    const std::string path = MediaFile(place, folder, picture.Filename);
    try {  // as the saver will load it
      if (type == "GIF") {
        DecodeGifFile(path);
      } else {
        TBitmap32 still;
        LoadPicture(path, still);
      }
    } catch (const EPictureError& error) {
      AuthorError(place, Utf8FromWindows1252(ExtractFileName(picture.Filename)) + ": " + error.what());
    }
    project.ObjectText += object->SaveToText();
    scene.AddMedia("obj" + std::to_string(i) + ExtractFileExt(picture.Filename), path);
  }
}

// The build settings are their items; "extraInfo", the values the saver reads from them, may
// change them too: a value it gives differently is written into the items.
void ReadBuildSettings(const TAuthorObject& root, TProjectFile& project) {
  std::vector<std::string> items;
  if (const TJson* list = root.Find("buildSettings")) {
    if (!list->is_array()) AuthorError("buildSettings", "must be a list of texts [ ... ]");
    for (size_t i = 0; i < list->size(); ++i) {
      const std::string place = Item("buildSettings", i);
      if (!(*list)[i].is_string()) AuthorError(place, "must be a text in double quotes");
      items.push_back(Windows1252At(place, (*list)[i].get<std::string>()));
    }
  }
  project.BuildSettings = JoinCommaText(items);
  const TJson* given = root.Find("extraInfo");
  if (given == nullptr) return;
  const TAuthorObject extra(*given, "extraInfo");
  std::vector<std::string> fields;
  for (const TExtraInfoKey& key : ExtraInfoKeys()) fields.emplace_back(key.Field);
  extra.AllowOnly(fields);
  const TExtraInfo read = ReadExtraInfo(project.BuildSettings);
  TIniText ini;
  ini.SetLines(items);
  bool changed = false;
  for (const TExtraInfoKey& key : ExtraInfoKeys()) {
    if (extra.Find(key.Field) == nullptr) continue;
    TExtraInfo wanted = read;
    if (key.Key.Width == TIniWidth::Text) {
      key.Key.SetText(wanted, extra.Text(key.Field, ""));
      CheckIniValue(extra.PlaceOf(key.Field), key.Key.GetText(wanted));
    } else {
      key.Key.Set(wanted, extra.Bool(key.Field, false) ? 1 : 0);
    }
    if (KeyJson(key.Key, wanted) == KeyJson(key.Key, read)) continue;
    WriteIniKeys(ini, key.Section, std::span(&key.Key, 1), wanted);
    changed = true;
  }
  if (!changed) return;
  items.clear();
  const std::string text = ini.Text();  // CR LF after every line
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    items.push_back(text.substr(start, end - start));
  }
  project.BuildSettings = JoinCommaText(items);
}

void ReadHeader(const TAuthorObject& root, const std::string& folder, TBuiltScene& scene) {
  TSceneHeader header;
  if (const TJson* given = root.Find("header")) {
    const TAuthorObject values(*given, "header");
    std::vector<std::string> names;
    for (const std::string& name : TAuthorObject::ReadKeyNames(TSceneHeader::Keys())) {
      if (name != "ResCount") names.push_back(name);
    }
    values.AllowOnly(names);
    values.ReadRecord(TSceneHeader::Keys(), "header", header);
  }
  CheckIniValue("header.MusicFile", header.MusicFile);
  if (header.Music && header.MusicFile.empty()) {
    AuthorError("header.MusicFile", "empty, but header.Music is on; name the music file");
  }
  // The music is packed when it is there, and must be when it is on.
  const std::string name = ExtractFileName(header.MusicFile);
  if (header.Music || (IsBareFileName(name) && platform::FileExists(InFolder(folder, DiskName(name))))) {
    scene.AddMedia("music" + ExtractFileExt(header.MusicFile), MediaFile("header.MusicFile", folder, header.MusicFile));
  }
  scene.Header = {header.Music, header.MusicFile, header.MusicVolume, header.SoundVolume};
}

TJson ReadSceneJson(const std::string& folder) {
  const std::string path = InFolder(folder, kSceneJsonFile);
  if (!platform::FileExists(path)) AuthorError(kSceneJsonFile, "not found in " + folder);
  const std::optional<std::string> text = ReadTextFile(path, kSceneJsonLimit);
  if (!text) AuthorError(kSceneJsonFile, "cannot be read (16 MB at most)");
  try {
    return TJson::parse(*text, nullptr, true, /*ignore_comments=*/true);
  } catch (const TJson::parse_error& error) {
    // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without the library's prefix.
    std::string message = error.what();
    const size_t at = message.find(" at line ");
    AuthorError(kSceneJsonFile, at == std::string::npos ? message : message.substr(at + 4));
  }
}

TBuiltScene ReadSceneFolder(const std::string& folder) {
  const TJson document = ReadSceneJson(folder);
  const TAuthorObject root(document, "");
  root.AllowOnly({"title", "description", "background", "thumbnail", "jpegQuality", "regionColors", "waves", "weather",
                  "sounds", "objects", "buildSettings", "extraInfo", "header"});
  TProjectFile project;
  TBuiltScene scene;
  project.Title = root.Text("title", "");
  project.Description = root.Text("description", "");
  ReadPictures(root, folder, project);
  ReadWaves(root, project);
  ReadObjects(root, folder, project, scene);
  ReadSounds(root, folder, project, scene);
  ReadHeader(root, folder, scene);
  ReadBuildSettings(root, project);
  scene.Project = ProjectFileBytes(project);
  return scene;
}

}  // namespace

int RunBuild(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {"out", "stub"}, {});
  if (parsed.positional.size() != 1 || !parsed.Has("out")) throw EUsageError("build needs DIR and --out FILE");
  const std::string& folder = parsed.positional[0];
  if (!platform::DirectoryExists(folder)) throw std::runtime_error("cannot open the folder " + folder);
  const TBuiltScene scene = ReadSceneFolder(folder);

  const platform::TScratchFolder scratch("vxscene-build-");
  WriteFileBytes(scratch.File(kHeaderFileName), SceneHeaderText(scene.Header, scene.EntryNames));
  WriteFileBytes(scratch.File("VXTemp.vxp"), scene.Project);
  std::vector<std::string> entries = {scratch.File(kHeaderFileName), scratch.File("VXTemp.vxp")};
  entries.insert(entries.end(), scene.MediaPaths.begin(), scene.MediaPaths.end());
  WritePackage(parsed.Value("out"), parsed.Value("stub"), entries);
  std::printf("built %s from %s: %d entries\n", parsed.Value("out").c_str(), folder.c_str(),
              static_cast<int>(entries.size()));
  return 0;
}

int RunNew(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {"background"}, {});
  if (parsed.positional.size() != 1 || !parsed.Has("background")) {
    throw EUsageError("new needs DIR and --background PICTURE");
  }
  const std::string& picturePath = parsed.Value("background");
  const std::optional<std::string> bytes = ReadWholeFile(picturePath);
  if (!bytes) throw std::runtime_error("cannot open " + picturePath);
  TBitmap32 picture;
  try {
    DecodePicture(*bytes, picture);
    if (picture.Empty()) throw EPictureError("the picture is empty");
  } catch (const EPictureError& error) {
    throw std::runtime_error(picturePath + ": " + error.what());
  }

  TSceneValues values;
  values.Background = "background" + ExtensionOf(PictureKindOf(*bytes));
  TBitmap32 regions;
  regions.SetSize(picture.Width(), picture.Height());
  regions.Clear(Color32(0, 0, 0));
  TStagedFolder folder(parsed.positional[0]);
  folder.Write(values.Background, *bytes);
  folder.Write(kRegionsFile, EncodePng(regions));
  folder.Write(kSceneJsonFile, SceneJson(values).dump(2, ' ', false) + "\n");
  folder.Commit();
  std::printf("made %s: paint the water into %s (%d x %d), then run vxscene build\n", parsed.positional[0].c_str(),
              kRegionsFile, picture.Width(), picture.Height());
  return 0;
}

}  // namespace lumora::tools
