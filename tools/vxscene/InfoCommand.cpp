// vxscene info: what a scene package or a bare project file holds, as text or JSON.
#include <array>
#include <cstdio>
#include <stdexcept>

#include "Commands.h"
#include "Json.h"
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

std::string PackageJson(const TPackageInfo& package) {
  using namespace json;
  std::vector<std::string> names;
  for (const std::string& name : package.Header.Res) names.push_back(String(name));
  return Object({{"entries", Number(package.Entries)},
                 {"header", Object({{"ResCount", Number(package.Header.ResCount)},
                                    {"Res", Array(names)},
                                    {"Music", Bool(package.Header.Music)},
                                    {"MusicFile", String(package.Header.MusicFile)},
                                    {"MusicVolume", Number(package.Header.MusicVolume)},
                                    {"SoundVolume", Number(package.Header.SoundVolume)}})}});
}

// Every key an object section is read with, under its key name, with the value it loaded.
std::string ObjectJson(const TAnimObject& object) {
  using namespace json;
  const auto* gif = dynamic_cast<const TGifObject*>(&object);
  const auto* picture = dynamic_cast<const TAnimImgObject*>(&object);
  Members members = {
      {"ObjType", String(gif ? "GIF" : "IMG")},
      {"Index", Number(object.Index)},
      {"Width", Number(object.Width)},
      {"Height", Number(object.Height)},
      {"Scaled", Bool(object.Scaled)},
      {"MoveAreaRectleft", Number(object.MoveAreaRect.Left)},
      {"MoveAreaRecttop", Number(object.MoveAreaRect.Top)},
      {"MoveAreaRectright", Number(object.MoveAreaRect.Right)},
      {"MoveAreaRectbottom", Number(object.MoveAreaRect.Bottom)},
      {"WidthSize", Number(object.WidthSize)},
      {"HeightSize", Number(object.HeightSize)},
      {"Speed", Number(object.Speed)},
      {"InitialDir", Number(object.InitialDir)},
      {"PosLeftType", Number(object.PosLeftType)},
      {"PosTopType", Number(object.PosTopType)},
      {"PosLeft", Number(object.PosLeft)},
      {"PosTop", Number(object.PosTop)},
      {"ObjFacing", Number(object.ObjFacing)},
      {"Opacity", Number(object.Opacity)},
      {"DisplaySec", Number(object.DisplaySec)},
      {"DisplayDurationType", Number(object.DisplayDurationType)},
      {"DisplayDurationSec", Number(object.DisplayDurationSec)},
      {"DIsplayDurationCycle", Number(object.DIsplayDurationCycle)},
      {"Motion", Number(object.Motion)},
      {"MotionSpeed", Number(object.MotionSpeed)},
      {"MotionAreaType", Number(object.MotionAreaType)},
      {"DirFlip", Bool(object.DirFlip)},
      {"Redisplay", Bool(object.Redisplay)},
      {"RedisplayDelay", Number(object.RedisplayDelay)},
      {"RedisplayTimes", Number(object.RedisplayTimes)},
      {"ResetPos", Bool(object.ResetPos)},
      {"RestrictArea", Bool(object.RestrictArea)},
  };
  if (picture) {
    members.push_back({"Filename", String(picture->Filename)});
    if (gif) members.push_back({"AnimSpeed", Number(gif->AnimSpeed)});
    members.push_back({"Transparent", Bool(picture->Transparent)});
    members.push_back({"TransparentType", Number(picture->TransparentType)});
    members.push_back({"TransparentColor", Number(picture->TransparentColor)});
    if (gif) members.push_back({"RefreshFrame", Bool(gif->RefreshFrame)});
  }
  return Object(members);
}

std::string ProjectJson(const TProject& project) {
  using namespace json;
  std::vector<std::string> waves;
  for (const TWaveParam& w : project.WaveParams) {
    waves.push_back(Object({{"Amplitude", Number(w.Amplitude())},
                            {"Frequency", Number(w.Frequency())},
                            {"Speed", Number(w.Speed())},
                            {"Direction", Number(w.Direction())},
                            {"ShiftColumns", Bool(w.ShiftColumns())},
                            {"Ripple", Bool(w.Ripple())},
                            {"Perspective", Bool(w.Perspective())},
                            {"Period", Number(w.Period())},
                            {"Jitter", Number(w.Jitter())},
                            {"Reflection", Bool(w.Reflection())}}));
  }
  std::vector<std::string> sounds;
  for (int i = 0; i < project.SoundCount(); ++i) {
    const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
    sounds.push_back(Object({{"path", String(slot.Path())},
                             {"PlayMode", Number(slot.PlayMode())},
                             {"IntervalMin", Number(slot.IntervalMin())},
                             {"IntervalMax", Number(slot.IntervalMax())}}));
  }
  std::vector<std::string> regions;
  for (int64_t count : RegionPixelCounts(project.RegionMask)) regions.push_back(Number(count));
  std::vector<std::string> objects;
  for (int i = 0; i < project.Objects.Count(); ++i) objects.push_back(ObjectJson(project.Objects.Items(i)));
  const TWeatherParam& weather = project.Weather;
  const TExtraInfo& extra = project.ExtraInfo;
  return Object({
      {"title", String(project.Title)},
      {"description", String(project.Description)},
      {"width", Number(project.Width)},
      {"height", Number(project.Height)},
      {"thumbnail",
       Object({{"width", Number(project.Thumbnail.Width())}, {"height", Number(project.Thumbnail.Height())}})},
      {"waves", Array(waves)},
      {"weather", Object({{"Kind", Number(weather.Kind())},
                          {"Count", Number(weather.Count())},
                          {"SpeedIndex", Number(weather.SpeedIndex())},
                          {"Angle", Number(weather.Angle())},
                          {"DropLength", Number(weather.DropLength())},
                          {"Density", Number(weather.Density())}})},
      {"soundCount", Number(project.SoundCount())},
      {"sounds", Array(sounds)},
      {"objects", Array(objects)},
      {"extraInfo", Object({{"ExeFilename", String(extra.ExeFilename)},
                            {"ExeSound", Bool(extra.ExeSound)},
                            {"ExeMusicFile", String(extra.ExeMusicFile)},
                            {"ExeMusic", Bool(extra.ExeMusic)},
                            {"ScrFilename", String(extra.ScrFilename)},
                            {"ScrMusicFile", String(extra.ScrMusicFile)},
                            {"ScrMusic", Bool(extra.ScrMusic)},
                            {"ScrSound", Bool(extra.ScrSound)}})},
      {"mask", Object({{"width", Number(project.RegionMask.Width())},
                       {"height", Number(project.RegionMask.Height())},
                       {"regions", Array(regions)}})},
  });
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
  std::printf("  title: %s\n", json::Utf8FromWindows1252(project.Title).c_str());
  if (!project.Description.empty())
    std::printf("  description: %s\n", json::Utf8FromWindows1252(project.Description).c_str());
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
                json::Utf8FromWindows1252(picture ? picture->Filename : "").c_str(), project.Objects.Items(i).Motion);
  }
  std::printf("  sounds: %d\n", project.SoundCount());
  for (int i = 0; i < project.SoundCount(); ++i) {
    const SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
    std::printf("    %s (mode %d, %d..%d s)\n", json::Utf8FromWindows1252(slot.Path()).c_str(), slot.PlayMode(),
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
    std::printf("%s\n", json::Object({{"loaded", json::Bool(loaded)},
                                      {"package", isPackage ? PackageJson(package) : json::Null},
                                      {"project", ProjectJson(project)}})
                            .c_str());
  } else {
    PrintSummary(file, isPackage ? &package : nullptr, loaded, project);
  }
  return 0;
}

}  // namespace lumora::tools
