// vxscene demo: a winter evening at a lake, painted entirely by code, with three water regions,
// gentle snow and four animated objects. It shows what the water effect and the objects do on a
// real picture and gives the tools and tests a full-size scene without checked-in pictures. The
// scene folder holds the header, the project file and the objects' pictures, "obj0.bmp",
// "obj1.gif", ... by object number.
//
// DemoPainting.cpp paints the background and DemoFigures.cpp the objects' pictures; this file
// encodes the pictures, writes the objects' settings and the project, and runs the command.
#include <array>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "DemoScene.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "base/uByteOrder.h"
#include "project/uFileIO.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::tools::demo {
namespace {

// ---- writing the pictures ----

// An animated GIF of sprites, looping for ever. A pixel the sprite covers at least half is drawn,
// its colour laid over `matte`, a colour near what the object will pass in front of, so that the
// anti-aliased rim still blends in; every other pixel is the transparent entry 0. Every frame is
// a whole picture, cleared away before the next (disposal 2), so that no pose shows through the
// transparent pixels of the following one.
TGifImage SpriteGif(const std::vector<Sprite>& frames, Rgb matte, uint16_t delay) {
  constexpr uint32_t kClear = 0xFFFFFFFF;  // never a 24-bit colour
  std::vector<std::vector<uint32_t>> colours;
  for (const Sprite& sprite : frames) {
    std::vector<uint32_t>& pixels = colours.emplace_back();
    for (int32_t y = 0; y < sprite.Height(); ++y) {
      for (int32_t x = 0; x < sprite.Width(); ++x) {
        const Rgb c = sprite.Over(x, y, matte);
        pixels.push_back(sprite.Alpha(x, y) < 0.5 ? kClear : Color32(Channel(c.r), Channel(c.g), Channel(c.b), 0));
      }
    }
  }
  // The table: the colours as they are, or coarsened by one more bit per channel until they fit
  // beside the transparent entry. Sprites have few colours, so this rarely takes a round.
  std::map<uint32_t, uint8_t> table;
  // Each channel to the middle of its bucket of 2^bits values.
  auto coarse = [](uint32_t c, int bits) {
    return bits == 0 ? c : (c & ~(0x010101u * ((1u << bits) - 1))) | (0x010101u << (bits - 1));
  };
  int bits = 0;
  for (;; ++bits) {
    table.clear();
    for (const auto& pixels : colours) {
      for (uint32_t c : pixels) {
        if (c != kClear) table.emplace(coarse(c, bits), 0);
      }
    }
    if (table.size() <= 255) break;
  }
  TGifImage gif;
  gif.Width = frames.front().Width();
  gif.Height = frames.front().Height();
  gif.GlobalColors.push_back({Channel(matte.r), Channel(matte.g), Channel(matte.b)});
  for (auto& [colour, index] : table) {
    index = static_cast<uint8_t>(gif.GlobalColors.size());
    // Pure yellow is the key colour of a GIF object's picture and would never be drawn.
    const uint8_t blue = colour == 0xFFFF00 ? 1 : BlueOf(colour);
    gif.GlobalColors.push_back({RedOf(colour), GreenOf(colour), blue});
  }
  for (const auto& pixels : colours) {
    TGifFrame& frame = gif.Frames.emplace_back();
    frame.Width = gif.Width;
    frame.Height = gif.Height;
    for (uint32_t c : pixels) frame.Indices.push_back(c == kClear ? 0 : table.at(coarse(c, bits)));
    frame.HasControl = true;
    frame.Control = {2, true, 0, delay};
  }
  gif.Frames.front().HasLoop = true;  // count 0: for ever
  return gif;
}

// A 24-bit Windows bitmap: the 54-byte header, then the rows bottom-up, each padded to 4 bytes.
std::string BmpBytes(const TBitmap32& picture) {
  const auto rowBytes = static_cast<uint32_t>(picture.Width() * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(picture.Height());
  std::string bytes = "BM";
  auto put = [&bytes](uint32_t value, int size) { bytes += LeBytes(value, size); };
  put(54 + pixelBytes, 4);
  put(0, 4);   // reserved
  put(54, 4);  // where the pixels start
  put(40, 4);  // the info header's size
  put(static_cast<uint32_t>(picture.Width()), 4);
  put(static_cast<uint32_t>(picture.Height()), 4);  // positive: bottom-up
  put(1, 2);                                        // planes
  put(24, 2);                                       // bits per pixel
  put(0, 4);                                        // no compression
  put(pixelBytes, 4);
  put(2835, 4);  // 72 dots per inch, both ways
  put(2835, 4);
  put(0, 4);  // colours used, important: none, no table
  put(0, 4);
  for (int32_t y = picture.Height() - 1; y >= 0; --y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const TColor32 c = picture.PixelAt(x, y);
      bytes += {static_cast<char>(BlueOf(c)), static_cast<char>(GreenOf(c)), static_cast<char>(RedOf(c))};
    }
    bytes.append(rowBytes - static_cast<uint32_t>(picture.Width()) * 3, '\0');
  }
  return bytes;
}

// ---- the objects' settings ----

struct Key {
  const char* name;
  int32_t value;
};

struct DemoObjects {
  std::string text;  // the object sections of the project
  std::vector<TSceneFile> pictures;
};

// The paths an authoring tool would store: the author's folder. A player finds each file by its
// name beside the project, or by the object's number in a package.
constexpr const char* kAuthorFolder = "C:\\Scenes\\Winter Evening\\";

class ObjectList {
 public:
  void Add(const char* type, const char* extension, std::string bytes, std::initializer_list<Key> keys) {
    const int index = static_cast<int>(objects_.pictures.size());
    const std::string name = "obj" + std::to_string(index) + extension;
    std::string& text = objects_.text;
    text += "[Obj" + std::to_string(index) + "]\r\nObjType=" + type + "\r\nFilename=" + kAuthorFolder + name + "\r\n";
    for (const Key& key : keys) text += std::string(key.name) + "=" + std::to_string(key.value) + "\r\n";
    text += "\r\n";
    objects_.pictures.push_back({name, std::move(bytes)});
  }
  DemoObjects Take() { return std::move(objects_); }

 private:
  DemoObjects objects_;
};

template <typename Paint>
std::string GifOf(int frames, Rgb matte, uint16_t delay, Paint paint) {
  std::vector<Sprite> sprites;
  for (int i = 0; i < frames; ++i) sprites.push_back(paint(static_cast<double>(i) / frames));
  return EncodeGif(SpriteGif(sprites, matte, delay));
}

// The objects in drawing order. Speeds: a step comes every 5 ms and covers on average
// MotionSpeed / 20 design pixels on a bounce track, about MotionSpeed x 6 pixels a second when
// wandering; an ellipse turns MotionSpeed / 100 degrees a step.
DemoObjects MakeObjects(const TBitmap& background) {
  ObjectList list;
  TBitmap32 cabin;
  PaintCabin(background, cabin);
  // Always there, never mirrored; bottom-left is the key colour.
  list.Add("IMG", ".bmp", BmpBytes(cabin),
           {{"PosLeft", kCabinLeft + kCabinWidth / 2},
            {"PosTop", kCabinTop + kCabinHeight / 2},
            {"Motion", 0},
            {"ObjFacing", 2},
            {"DirFlip", 0},
            {"Opacity", 10},
            {"DisplaySec", 0},
            {"DisplayDurationType", 0},
            {"Transparent", 1},
            {"TransparentType", 1},
            {"TransparentColor", 0}});
  // Rows left across the far lake at 20 pixels a second, through the sun's path, out of the
  // picture and back from the right shore. Its waterline lies at y = 552.
  const Rgb water{206, 156, 142};
  list.Add("GIF", ".gif", GifOf(8, water, 14, RowingBoat),
           {{"Motion", 5},
            {"MotionSpeed", 2},
            {"MotionAreaType", 1},
            {"MoveAreaRectleft", 0},
            {"MoveAreaRecttop", 536},
            {"MoveAreaRectright", 872},
            {"MoveAreaRectbottom", 552},
            {"RestrictArea", 0},
            {"PosLeftType", 0},
            {"PosLeft", 700},
            {"PosTopType", 0},
            {"PosTop", 543},
            {"InitialDir", 1},
            {"ObjFacing", 0},
            {"DirFlip", 0},
            {"Opacity", 10},
            {"DisplaySec", 0},
            {"DisplayDurationType", 0},
            {"AnimSpeed", 10},
            {"Transparent", 1},
            {"TransparentType", 0},
            {"RefreshFrame", 0}});
  // Circles over the lake and the mountains, one turn in 45 s, from the bottom of its ellipse;
  // each showing is one turn, so the next one starts where this one ends.
  const Rgb dusk{176, 140, 170};
  std::mt19937 glitter(41);
  list.Add("GIF", ".gif", GifOf(8, dusk, 10, [&](double phase) { return SnowSpirit(phase, dusk, glitter); }),
           {{"Motion", 7},
            {"MotionSpeed", 4},
            {"MotionAreaType", 1},
            {"MoveAreaRectleft", 170},
            {"MoveAreaRecttop", 300},
            {"MoveAreaRectright", 890},
            {"MoveAreaRectbottom", 650},
            {"RestrictArea", 1},
            {"ObjFacing", 2},
            {"DirFlip", 0},
            {"Opacity", 10},
            {"DisplaySec", 0},
            {"DisplayDurationType", 1},
            {"DisplayDurationSec", 45},
            {"Redisplay", 1},
            {"ResetPos", 1},
            {"AnimSpeed", 10},
            {"Transparent", 1},
            {"TransparentType", 0},
            {"RefreshFrame", 0}});
  // Comes in from the left after 6 s, roams the sky for 34 s, leaves and comes back. Drawn facing
  // right, it turns to face the way it flies.
  const Rgb sky{72, 60, 112};
  list.Add("GIF", ".gif", GifOf(6, sky, 8, Raven),
           {{"Motion", 1},
            {"MotionSpeed", 8},
            {"MotionAreaType", 1},
            {"MoveAreaRectleft", 0},
            {"MoveAreaRecttop", 50},
            {"MoveAreaRectright", kWidth},
            {"MoveAreaRectbottom", 290},
            {"RestrictArea", 0},
            {"PosLeftType", 1},
            {"PosTopType", 4},
            {"InitialDir", 2},
            {"ObjFacing", 1},
            {"DirFlip", 1},
            {"Opacity", 10},
            {"DisplaySec", 6},
            {"DisplayDurationType", 1},
            {"DisplayDurationSec", 34},
            {"Redisplay", 1},
            {"ResetPos", 1},
            {"AnimSpeed", 10},
            {"Transparent", 1},
            {"TransparentType", 0},
            {"RefreshFrame", 0}});
  return list.Take();
}

// ---- the project ----

struct WaveSetting {
  int32_t amplitude, frequency, speed, direction, jitter;
  bool shiftColumns, perspective, reflection;
};

TWaveParam MakeWave(const WaveSetting& setting) {
  TWaveParam wave = TWaveParam::Defaults();
  wave.SetAmplitude(setting.amplitude);
  wave.SetFrequency(setting.frequency);
  wave.SetSpeed(setting.speed);
  wave.SetDirection(setting.direction);
  wave.SetJitter(setting.jitter);
  wave.SetRipple(true);
  wave.SetShiftColumns(setting.shiftColumns);
  wave.SetPerspective(setting.perspective);
  wave.SetReflection(setting.reflection);
  return wave;
}

// Every region uses direction 1: the waves roll down the picture, toward the viewer on the lake
// and downstream on the river. It is also one of the two directions in which jitter acts, and
// the river's jitter breaks its current into a glitter, column by column.
std::array<TWaveParam, kWaveCount> DemoWaves() {
  std::array<TWaveParam, kWaveCount> waves = TProjectFile::DefaultWaves();
  // A calm mirror far out: low, slow waves that only make the reflection tremble.
  waves[kFarLake - 1] = MakeWave({3, 30, 8, 1, 0, false, false, true});
  // Near by, waves that grow from nothing where the calm water ends to their full height in front.
  waves[kNearLake - 1] = MakeWave({6, 26, 10, 1, 0, false, true, false});
  // The river: short, quicker waves that also sway sideways.
  waves[kRiver - 1] = MakeWave({2, 40, 18, 1, 4, true, false, false});
  return waves;
}

struct DemoScene {
  std::string project;
  std::vector<TSceneFile> media;
  TSceneHeaderValues header;
};

// The sound slots: the wind all the time, the bell every 8 to 20 s, a drip every 12 s. Their
// authoring paths only lend the extension; the saver plays the package's "sound<i>" files.
void AddSounds(TProjectFile& project, std::vector<TSceneFile>& media) {
  const struct {
    const char* path;
    int32_t mode, low, high;
    std::string bytes;
  } sounds[] = {{"C:\\Scenes\\Winter\\wind.wav", 0, 0, 0, WindWav()},
                {"C:\\Scenes\\Winter\\bell.wav", 1, 8, 20, BellWav()},
                {"C:\\Scenes\\Winter\\drip.wav", 2, 12, 12, DripWav()}};
  for (size_t i = 0; i < std::size(sounds); ++i) {
    SoundSlot& slot = project.SoundSlots[i];
    slot.SetPath(sounds[i].path);
    slot.SetPlayMode(sounds[i].mode);
    slot.SetIntervalMin(sounds[i].low);
    slot.SetIntervalMax(sounds[i].high);
    media.push_back({"sound" + std::to_string(i) + ".wav", sounds[i].bytes});
  }
  media.push_back({"music.wav", MusicWav()});
}

DemoScene MakeDemo() {
  TBitmap32 background;
  std::vector<uint8_t> regions;
  PaintDemo(background, regions);
  TBitmap32 thumbnail;
  thumbnail.SetSize(80, 50);
  background.StretchFilter = TStretchFilter::sfDraft;
  thumbnail.Draw(Rect(0, 0, 80, 50), Rect(0, 0, kWidth, kHeight), background);

  TProjectFile project;
  project.Title = "Winter Evening at the Lake";
  project.Description =
      "Snow falls on a quiet lake at sunset, where the mountains and the low sun mirror in the ripples and a river "
      "winds in from the wooded hills. A boat rows home past the cabin on the bank, a raven passes and a snow "
      "spirit circles over the water.";
  project.ThumbnailJpeg = EncodeJpeg(thumbnail, 85);
  project.BackgroundJpeg = EncodeJpeg(background, 92);
  project.Runs = EncodeRegionRuns(kWidth, kHeight, regions);
  project.Waves = DemoWaves();
  project.Weather.SetKind(1);
  project.Weather.SetCount(420);
  project.Weather.SetSpeedIndex(6);
  project.Weather.SetAngle(90);
  project.Weather.SetDropLength(10);
  project.Weather.SetDensity(7);
  project.BuildSettings = "[BuildScr],\"Filename=Winter Evening.scr\",MusicFile=evening.wav,Music=1,Sound=1";

  // The cabin is composed over the background as players will decode it.
  TBitmap decoded;
  decoded.SetPixelFormat(TPixelFormat::pf32bit);
  DecodeJpeg(reinterpret_cast<const uint8_t*>(project.BackgroundJpeg.data()), project.BackgroundJpeg.size(), decoded);
  DemoObjects objects = MakeObjects(decoded);
  project.ObjectText = std::move(objects.text);
  std::vector<TSceneFile> media = std::move(objects.pictures);
  AddSounds(project, media);
  return {ProjectFileBytes(project), std::move(media), {true, "evening.wav", 40, 80}};
}

}  // namespace
}  // namespace lumora::tools::demo

namespace lumora::tools {

int RunDemo(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {"out"}, {});
  if (!parsed.positional.empty() || !parsed.Has("out")) throw EUsageError("demo needs --out DIR");
  const demo::DemoScene scene = demo::MakeDemo();
  WriteSceneFolder(parsed.Value("out"), scene.project, scene.media, scene.header);
  std::printf("wrote the demo scene into %s\n", parsed.Value("out").c_str());
  return 0;
}

}  // namespace lumora::tools
