// Picture objects: an animated GIF played in the background, or one still picture, with the
// rule that makes some of its pixels transparent.
//
// Both bitmaps of an object (the current picture and the scratch in which the engine mirrors
// it) always have the same size. The engine draws them with CombinePixel: the key colour is
// left out, every other pixel is mixed with the frame by the object's opacity.
//
// A worker replaces the pictures when a new display cycle reloads them while the drawing thread
// may be drawing the old ones: both happen under the picture lock, which the drawing thread only
// ever tries (a busy object is left out of that frame), so the drawing thread never waits.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "objects/uObject.h"
#include "surface/uBitmap32.h"

namespace lumora {

class TGif;
class TShell;
class TGifPlayer;
class TPaintQueue;
struct TGifColor;

// The first index of `table` whose colour, as a Windows colour value $00BBGGRR, equals `color`;
// -1 when there is none or the table is empty.
int FindColorIndex(const std::vector<TGifColor>& table, uint32_t color);

// The folder shared by all scenes for pictures: the program files folder + "Tovanta\Common\".
std::string GetCommonFolder(TShell& shell);

// The master alpha of an "Opacity" from 0 to 10: Opacity x 25.5, rounded half to even.
uint8_t OpacityToAlpha(int32_t opacity);

class TAnimImgObject : public TAnimObject {
 public:
  TAnimImgObject();
  ~TAnimImgObject() override;

  // F onto B with master alpha M: the key colour is left out (when transparency applies); any
  // other pixel's red, green and blue become (F x M + B x (255 - M)) div 255 and B's alpha M.
  void CombinePixel(TColor32 f, TColor32& b, TColor32 m) const;
  // The drawing thread's access to the pictures: owns the lock when they are free.
  std::unique_lock<std::mutex> TryLockPicture() { return std::unique_lock<std::mutex>(pictureLock_, std::try_to_lock); }

  std::unique_ptr<TBitmap32> MirrorBitmap;
  std::unique_ptr<TBitmap32> FrameBitmap;
  std::string Filename;
  TColor32 KeyColor = 0;
  bool Transparent = false;
  uint8_t TransparentType = 0;
  int32_t TransparentColor = 0;  // a Windows colour value; negative values name system colours
  // Where the program files folder comes from; none: the system's.
  TShell* Shell = nullptr;

 protected:
  // A fresh bitmap with this object's drawing parameters (custom combine, opacity, filter).
  std::unique_ptr<TBitmap32> NewPicture(TStretchFilter filter);
  // Under the picture lock: both bitmaps, the key colour, and the picture size they give.
  void ReplacePictures(std::unique_ptr<TBitmap32> frame, std::unique_ptr<TBitmap32> mirror, TColor32 key);
  // Looks for a missing picture in the common folder's "images"; false when there is none.
  bool FindPicture();
  // True when CombinePixel leaves out the key colour.
  bool transparencyApplies_ = true;
  std::mutex pictureLock_;
};

class TGifObject : public TAnimImgObject {
 public:
  TGifObject();
  ~TGifObject() override;

  void Reset() override;
  void Stop() override;
  std::string SaveToText() override;
  void LoadFromText(const std::string& text);
  // The same from the text already parsed (see LoadCommonFromIni).
  void LoadFromIni(const TIniText& ini);
  // The keys of a GIF object's section behind the common ones, in writing order.
  static std::span<const TIniKey<TGifObject>> Keys();

  // Decodes the GIF at `path`, applies the transparency settings and starts playing it into
  // FrameBitmap. Any failure ends the load silently.
  void LoadGif(const std::string& path);
  // Stops every player of the GIF and waits until they have ended.
  void StopPlayback();
  // Without threads: plays the GIF up to the tick `now` (the deterministic renderer).
  void AdvancePlayback(uint32_t now);
  // The playback speed in percent for an "AnimSpeed".
  static int32_t PlaybackSpeed(int32_t animSpeed);
  // The latest player, owned by Gif; none for a GIF of one frame or before a load. Tools drive
  // an unthreaded one on their own clock.
  TGifPlayer* Player() const { return player_; }

  std::unique_ptr<TGif> Gif;
  // Where a threaded player hands its paintings (the engine's queue). Without one, or when the
  // object is not Threaded, the player is driven by AdvancePlayback.
  TPaintQueue* Paintings = nullptr;
  int32_t AnimSpeed = 0;
  bool Playing = false;
  bool RefreshFrame = false;

 private:
  bool PrepareGif(const std::string& path);
  void StartPlayer(bool firstFrame);

  TGifPlayer* player_ = nullptr;  // the latest player, owned by Gif
  uint32_t playerStart_ = 0;
};

class TImgObject : public TAnimImgObject {
 public:
  TImgObject();
  ~TImgObject() override;

  void Reset() override;
  std::string SaveToText() override;
  void LoadFromText(const std::string& text);
  // The same from the text already parsed (see LoadCommonFromIni).
  void LoadFromIni(const TIniText& ini);
  // The keys of a still-picture object's section behind the common ones, in writing order.
  static std::span<const TIniKey<TImgObject>> Keys();
  // Loads the still picture at `path` (by its extension) and sets the key colour.
  void LoadImage(const std::string& path);
};

}  // namespace lumora
