// vxscene gif-frames: the paintings a GIF object's player makes, on simulated time.
//
// The GIF is loaded as a scene's GIF object loads it (transparency settings, refresh, speed),
// then its player is driven from one planned painting to the next, so the pictures and their
// times are the same on every run. Only the player's paintings are listed: the first-frame
// painting that an object's display cycle makes before its player starts is not one of them.
// A GIF of one frame has no player: its one painting, made at the load, is listed at time 0.
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "Commands.h"
#include "JsonText.h"
#include "SceneFolderWriter.h"
#include "objects/uGifPlayer.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

// An endless GIF would play for ever; this many paintings show every loop a tool needs.
constexpr int kMaxPaintings = 500;

}  // namespace

int RunGifFrames(const Arguments& args) {
  const TParsedArguments parsed = ParseArguments(args, {"out", "anim-speed", "transparent-type", "transparent-color"},
                                                 {"no-transparent", "refresh-frame"});
  if (parsed.positional.size() != 1 || !parsed.Has("out")) throw EUsageError("gif-frames needs FILE.gif and --out DIR");
  const std::string& file = parsed.positional[0];

  TGifObject object;
  object.Threaded = false;  // driven below on simulated time
  object.AnimSpeed = parsed.Integer("anim-speed", 10, 0, 1000);
  object.Transparent = !parsed.Has("no-transparent");
  object.TransparentType = static_cast<uint8_t>(parsed.Integer("transparent-type", 0, 0, 255));
  object.TransparentColor = parsed.Integer("transparent-color", 0, INT32_MIN, INT32_MAX);
  object.RefreshFrame = parsed.Has("refresh-frame");

  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);
  object.LoadGif(file);  // failures are silent there, as in a scene
  if (!object.Playing) throw std::runtime_error("cannot decode " + file + " as a GIF");

  const std::filesystem::path out = parsed.Value("out");
  std::filesystem::create_directories(out);
  const TBitmap32& picture = *object.FrameBitmap;
  TJson listed = TJson::array();
  const auto record = [&](int frame, int64_t timeMs) {
    if (static_cast<int>(listed.size()) >= kMaxPaintings) return;
    char name[32];
    std::snprintf(name, sizeof name, "paint_%04d.png", static_cast<int>(listed.size()) + 1);
    WritePng((out / name).string(), picture);
    listed.push_back(TJson{{"file", name}, {"frame", frame}, {"time", timeMs}});
  };
  if (object.Gif->Image.Frames.size() == 1) record(0, 0);
  if (TGifPlayer* player = object.Player()) {
    player->OnPaint = record;
    // Every planned wait is at least a few milliseconds, so each step paints one frame.
    for (int64_t due = player->NextPaintTime(); due >= 0 && static_cast<int>(listed.size()) < kMaxPaintings;
         due = player->NextPaintTime()) {
      player->AdvanceTo(due);
    }
    player->OnPaint = nullptr;
  }

  const int32_t speed = TGifObject::PlaybackSpeed(object.AnimSpeed);
  WriteFileBytes(
      (out / "paintings.json").string(),
      JsonLine(
          TJson{{"width", picture.Width()}, {"height", picture.Height()}, {"speed", speed}, {"paintings", listed}}) +
          "\n");
  std::printf("wrote %d paintings of %d x %d into %s\n", static_cast<int>(listed.size()), picture.Width(),
              picture.Height(), out.string().c_str());
  return 0;
}

}  // namespace lumora::tools
