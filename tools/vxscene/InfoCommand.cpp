// vxscene info: what a scene package or a bare project file holds, as text or JSON.
#include <array>
#include <cstdio>
#include <stdexcept>

#include "Commands.h"
#include "JsonText.h"
#include "SceneValues.h"
#include "base/uErrors.h"
#include "base/uIniText.h"
#include "base/uTicks.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "platform/uScratchFolder.h"
#include "platform/uTextFile.h"
#include "project/uFileIO.h"
#include "project/uProjectExtractor.h"
#include "project/uSceneFolder.h"
#include "project/uVXProject.h"

namespace lumora::tools {
namespace {

struct TPackageInfo {
  int32_t Entries = 0;
  TSceneHeader Header;
};

std::array<int64_t, 7> RegionPixelCounts(const TBitmap& mask) {
  std::array<int64_t, 7> counts{};
  if (mask.PixelFormat() != TPixelFormat::pf32bit) return counts;
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const uint32_t* row = mask.Pixels32(y);
    for (int32_t x = 0; x < mask.Width(); ++x) ++counts[static_cast<size_t>(RegionColorToIndex(row[x]))];
  }
  return counts;
}

TJson PackageJson(const TPackageInfo& package) {
  TJson names = TJson::array();
  for (const std::string& name : package.Header.Res) names.push_back(JsonText(name));
  TJson header = TJson::object();
  header["ResCount"] = package.Header.ResCount;
  header["Res"] = names;
  for (const TIniKey<TSceneHeader>& key : TSceneHeader::Keys()) {
    if (std::string_view(key.Name) != "ResCount") header[key.Name] = KeyJson(key, package.Header);
  }
  TJson out = TJson::object();
  out["entries"] = package.Entries;
  out["header"] = header;
  return out;
}

// Every key an object section is read with, under its key name, with the value it loaded; and
// Scaled, which is not read from its key but which every loaded object has.
TJson InfoObjectJson(const TAnimObject& object) {
  TJson out = TJson::object();
  out["ObjType"] = dynamic_cast<const TGifObject*>(&object) ? "GIF" : "IMG";
  out["Index"] = object.Index;
  for (const TIniKey<TAnimObject>& key : TAnimObject::CommonKeys()) {
    if (IsReadKey(key) || std::string_view(key.Name) == "Scaled") out[key.Name] = KeyJson(key, object);
  }
  const TJson section = ObjectJson(object);
  for (const auto& [name, value] : section.items()) {
    if (!out.contains(name)) out[name] = value;  // the picture's keys
  }
  return out;
}

TJson ProjectJson(const TProject& project) {
  TJson waves = TJson::array();
  for (const TWaveParam& wave : project.WaveParams) waves.push_back(RecordJson(WaveKeys(), wave));
  TJson sounds = TJson::array();
  for (int i = 0; i < project.SoundCount(); ++i) {
    const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
    TJson sound = TJson::object();
    sound["path"] = JsonText(slot.Path());
    for (const TIniKey<SoundSlot>& key : SoundKeys()) {
      if (key.Width != TIniWidth::Text) sound[key.Name] = KeyJson(key, slot);
    }
    sounds.push_back(sound);
  }
  TJson objects = TJson::array();
  for (int i = 0; i < project.Objects.Count(); ++i) objects.push_back(InfoObjectJson(project.Objects.Items(i)));
  TJson thumbnail = TJson::object();
  thumbnail["width"] = project.Thumbnail.Width();
  thumbnail["height"] = project.Thumbnail.Height();
  TJson mask = TJson::object();
  mask["width"] = project.RegionMask.Width();
  mask["height"] = project.RegionMask.Height();
  mask["regions"] = RegionPixelCounts(project.RegionMask);

  TJson out = TJson::object();
  out["title"] = JsonText(project.Title);
  out["description"] = JsonText(project.Description);
  out["width"] = project.Width;
  out["height"] = project.Height;
  out["thumbnail"] = thumbnail;
  out["waves"] = waves;
  out["weather"] = RecordJson(WeatherKeys(), project.Weather);
  out["soundCount"] = project.SoundCount();
  out["sounds"] = sounds;
  out["objects"] = objects;
  out["extraInfo"] = ExtraInfoJson(project.ExtraInfo);
  out["mask"] = mask;
  return out;
}

void PrintSummary(const std::string& file, const TPackageInfo* package, bool loaded, const TProject& project) {
  if (package) {
    std::printf("%s: a scene package of %d entries\n", file.c_str(), package->Entries);
    std::printf("  music: %s%s, volume %d; sound volume %d\n", package->Header.Music ? "on" : "off",
                package->Header.MusicFile.empty() ? "" : (" (" + package->Header.MusicFile + ")").c_str(),
                package->Header.MusicVolume, package->Header.SoundVolume);
  } else {
    std::printf("%s: a project file\n", file.c_str());
  }
  if (!loaded) std::printf("  the project could not be loaded; what it holds after the failed load:\n");
  std::printf("  title: %s\n", Utf8FromWindows1252(project.Title).c_str());
  if (!project.Description.empty())
    std::printf("  description: %s\n", Utf8FromWindows1252(project.Description).c_str());
  std::printf("  background %d x %d, thumbnail %d x %d\n", project.Width, project.Height, project.Thumbnail.Width(),
              project.Thumbnail.Height());
  const auto counts = RegionPixelCounts(project.RegionMask);
  for (int k = 1; k <= 6; ++k) {
    if (counts[static_cast<size_t>(k)] == 0) continue;
    const TWaveParam& w = project.WaveParams[static_cast<size_t>(k - 1)];
    std::printf(
        "  water region %d: %lld pixels, amplitude %d, frequency %d, speed %d, direction %d, period %d, jitter "
        "%d%s%s%s%s\n",
        k, static_cast<long long>(counts[static_cast<size_t>(k)]), w.Amplitude(), w.Frequency(), w.Speed(),
        w.Direction(), w.Period(), w.Jitter(), w.Ripple() ? ", ripple" : "", w.Perspective() ? ", perspective" : "",
        w.ShiftColumns() ? ", shifted columns" : "", w.Reflection() ? ", reflection" : "");
  }
  const char* kinds[] = {"none", "snow", "rain"};
  const int32_t kind = project.Weather.Kind();
  std::printf("  weather: %s", kind >= 0 && kind <= 2 ? kinds[kind] : "none (unknown kind)");
  if (kind == 1 || kind == 2) {
    std::printf(", %d %s, speed index %d, density %d", project.Weather.Count(), kind == 1 ? "flakes" : "drops",
                project.Weather.SpeedIndex(), project.Weather.Density());
  }
  std::printf("\n  objects: %d\n", project.Objects.Count());
  for (int i = 0; i < project.Objects.Count(); ++i) {
    const auto* picture = dynamic_cast<const TAnimImgObject*>(&project.Objects.Items(i));
    std::printf("    %d: %s %s, motion %d\n", i, dynamic_cast<const TGifObject*>(picture) ? "GIF" : "IMG",
                Utf8FromWindows1252(picture ? picture->Filename : "").c_str(), project.Objects.Items(i).Motion);
  }
  std::printf("  sounds: %d\n", project.SoundCount());
  for (int i = 0; i < project.SoundCount(); ++i) {
    const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
    std::printf("    %s (mode %d, %d..%d s)\n", Utf8FromWindows1252(slot.Path()).c_str(), slot.PlayMode(),
                slot.IntervalMin(), slot.IntervalMax());
  }
}

bool StartsWithProjectMagic(const std::string& file) {
  platform::TFile in = platform::TFile::OpenRead(file);
  char magic[8];
  return in.Read(magic, 8) == 8 && std::string(magic, 8) == kProjectMagic;
}

}  // namespace

int RunInfo(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {}, {"json"});
  if (parsed.positional.size() != 1) throw EUsageError("info needs FILE");
  const std::string& file = parsed.positional[0];
  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);

  TProject project;
  project.Objects.Threaded = false;  // objects are only looked at here
  bool loaded = false;
  TPackageInfo package;
  int64_t position = 0;
  const bool isPackage = FindPackage(file, position, package.Entries);
  if (isPackage) {
    const platform::TScratchFolder scratch("vxscene-info-");
    ExtractPackage(file, {scratch.File("header"), scratch.File("project")}, 1);
    TIniText header(ReadTextFile(scratch.File("header")).value_or(std::string()));
    package.Header = TSceneHeader::Read(header, package.Entries);
    loaded = project.Load(scratch.File("project"));
  } else {
    if (!StartsWithProjectMagic(file))
      throw std::runtime_error(file + " is neither a scene package nor a project file");
    loaded = project.Load(file);
  }

  if (parsed.Has("json")) {
    TJson out = TJson::object();
    out["loaded"] = loaded;
    out["package"] = isPackage ? PackageJson(package) : TJson(nullptr);
    out["project"] = ProjectJson(project);
    std::printf("%s\n", JsonLine(out).c_str());
  } else {
    PrintSummary(file, isPackage ? &package : nullptr, loaded, project);
  }
  return 0;
}

}  // namespace lumora::tools
