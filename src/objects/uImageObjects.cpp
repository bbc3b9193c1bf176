// Picture objects (see uImageObjects.h).
#include "objects/uImageObjects.h"

#include <algorithm>
#include <cmath>

#include "base/uPathText.h"
#include "base/uTicks.h"
#include "objects/uGifPlayer.h"
#include "platform/Platform.h"
#include "platform/uShell.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

constexpr TColor32 kGifKeyColor = 0x00FFFF00;

uint32_t WindowsColor(const TGifColor& c) {
  return static_cast<uint32_t>(c.Red) | static_cast<uint32_t>(c.Green) << 8 | static_cast<uint32_t>(c.Blue) << 16;
}

// The colour of the logical-screen pixel (0, row) as the GIF's first frame paints it: the frame's
// own pixel where it covers that point, else the screen's background colour.
uint32_t FirstFramePixel(const TGifImage& gif, int32_t row) {
  const TGifFrame& first = gif.Frames.front();
  const int index = GifFrameIndexAt(first, 0, row);
  if (index >= 0) return WindowsColor(GifFrameColor(gif, first, index));
  return gif.BackgroundIndex < gif.GlobalColors.size() ? WindowsColor(gif.GlobalColors[gif.BackgroundIndex]) : 0;
}

}  // namespace

int FindColorIndex(const std::vector<TGifColor>& table, uint32_t color) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (WindowsColor(table[i]) == color) return static_cast<int>(i);
  }
  return -1;
}

std::string GetCommonFolder(TShell& shell) {
  const char d = platform::PathDelimiter();
  return shell.ProgramFilesDir() + "Tovanta" + d + "Common" + d;
}

uint8_t OpacityToAlpha(int32_t opacity) {
  return static_cast<uint8_t>(std::clamp(std::nearbyint(opacity * 25.5), 0.0, 255.0));
}

// ---- TAnimImgObject ----

TAnimImgObject::TAnimImgObject() = default;

TAnimImgObject::~TAnimImgObject() = default;

void TAnimImgObject::CombinePixel(TColor32 f, TColor32& b, TColor32 m) const {
  if (transparencyApplies_ && f == KeyColor) return;
  const uint32_t alpha = m & 0xFF;
  const auto mix = [&](int shift) {
    return (((f >> shift) & 0xFF) * alpha + ((b >> shift) & 0xFF) * (255 - alpha)) / 255;
  };
  b = alpha << 24 | mix(16) << 16 | mix(8) << 8 | mix(0);
}

std::unique_ptr<TBitmap32> TAnimImgObject::NewPicture(TStretchFilter filter) {
  auto picture = std::make_unique<TBitmap32>();
  picture->DrawMode = TDrawMode::dmCustom;
  picture->OnPixelCombine = [this](TColor32 f, TColor32& b, TColor32 m) { CombinePixel(f, b, m); };
  // The same a row at a time: one call a row, the pixel's work inlined.
  picture->OnRowCombine = [this](const TColor32* f, TColor32* b, int32_t n, TColor32 m) {
    for (int32_t i = 0; i < n; ++i) CombinePixel(f[i], b[i], m);
  };
  picture->MasterAlpha = OpacityToAlpha(Opacity);
  picture->StretchFilter = filter;
  return picture;
}

void TAnimImgObject::ReplacePictures(std::unique_ptr<TBitmap32> frame, std::unique_ptr<TBitmap32> mirror,
                                     TColor32 key) {
  FrameBitmap = std::move(frame);
  MirrorBitmap = std::move(mirror);
  KeyColor = key;
  PicWidth = FrameBitmap->Width();
  PicHeight = FrameBitmap->Height();
}

bool TAnimImgObject::FindPicture() {
  if (platform::FileExists(Filename)) return true;
  const char d = platform::PathDelimiter();
  Filename = GetCommonFolder(Shell != nullptr ? *Shell : SystemShell()) + "images" + d + ExtractFileName(Filename);
  return platform::FileExists(Filename);
}

// ---- TGifObject ----

TGifObject::TGifObject() : Gif(std::make_unique<TGif>()) {
  MirrorBitmap = NewPicture(TStretchFilter::sfNearest);
  FrameBitmap = NewPicture(TStretchFilter::sfNearest);
}

TGifObject::~TGifObject() { StopPlayback(); }

int32_t TGifObject::PlaybackSpeed(int32_t animSpeed) {
  const int64_t percent = animSpeed <= 10 ? int64_t{animSpeed} * 10 : int64_t{animSpeed} * 50 - 400;
  return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 1000));
}

// Behind the common keys, in writing order.
const TIniKey<TGifObject> kGifKeys[] = {
    {"ObjType", TIniWidth::Text, std::nullopt, nullptr, nullptr, [](const TGifObject&) { return std::string("GIF"); }},
    IniKey<TGifObject, &TGifObject::Filename>("Filename", TIniWidth::Text),
    IniKey<TGifObject, &TGifObject::AnimSpeed>("AnimSpeed", TIniWidth::Int32, 10),
    IniKey<TGifObject, &TGifObject::Transparent>("Transparent", TIniWidth::Bool, 1),
    IniKey<TGifObject, &TGifObject::TransparentType>("TransparentType", TIniWidth::Low8, 0),
    IniKey<TGifObject, &TGifObject::TransparentColor>("TransparentColor", TIniWidth::Int32),
    IniKey<TGifObject, &TGifObject::RefreshFrame>("RefreshFrame", TIniWidth::Bool, 0),
};

std::span<const TIniKey<TGifObject>> TGifObject::Keys() { return kGifKeys; }

void TGifObject::LoadFromText(const std::string& text) { LoadFromIni(TIniText(text)); }

void TGifObject::LoadFromIni(const TIniText& ini) {
  ReadIniKeys(ini, SectionName(), Keys(), *this);
  LoadCommonFromIni(ini);
}

std::string TGifObject::SaveToText() {
  TAnimObject::SaveToText();
  WriteIniKeys(Ini, SectionName(), Keys(), *this);
  return Ini.Text();
}

void TGifObject::StopPlayback() {
  if (!Playing) return;
  Gif->StopAll();
  player_ = nullptr;
  Playing = false;
}

void TGifObject::Stop() {
  // The worker first: a step may be in Reset, stopping and starting players itself. Once it is
  // parked, the player, Gif and Playing belong to this thread alone.
  TAnimObject::Stop();
  StopPlayback();
}

void TGifObject::LoadGif(const std::string& path) {
  if (!PrepareGif(path)) return;
  std::lock_guard<std::mutex> hold(pictureLock_);
  StartPlayer(false);
}

// Decodes the GIF, applies the transparency settings and makes both bitmaps anew, filled with
// the key colour; everything of a load but starting the player.
bool TGifObject::PrepareGif(const std::string& path) {
  if (!platform::FileExists(path)) return false;
  try {
    StopPlayback();
    auto gif = std::make_unique<TGif>(DecodeGifFile(path));
    TGifImage& image = gif->Image;
    for (TGifFrame& frame : image.Frames) {
      if (!frame.HasControl) continue;  // no control block: not transparent, no disposal
      if (TransparentType <= 2) frame.Control.TransparentFlag = Transparent;
      if (TransparentType == 1 || TransparentType == 2) {
        // The key's 32 bits as they stand: a system colour or a set top byte matches no entry.
        const uint32_t colour =
            TransparentType == 1 ? FirstFramePixel(image, frame.Height - 1) : static_cast<uint32_t>(TransparentColor);
        const int index = FindColorIndex(image.GlobalColors, colour);
        if (index < 0) {
          frame.Control.TransparentFlag = false;
        } else {
          frame.Control.TransparentIndex = static_cast<uint8_t>(index);
        }
      }
      // Other types keep the GIF's own transparency: its flag and index as stored.
      if (RefreshFrame) frame.Control.Disposal = 2;
    }

    auto frameBitmap = NewPicture(TStretchFilter::sfNearest);
    auto mirrorBitmap = NewPicture(TStretchFilter::sfNearest);
    for (TBitmap32* bitmap : {frameBitmap.get(), mirrorBitmap.get()}) {
      bitmap->SetSize(image.Width, image.Height);
      bitmap->Clear(kGifKeyColor);
    }
    std::lock_guard<std::mutex> hold(pictureLock_);
    ReplacePictures(std::move(frameBitmap), std::move(mirrorBitmap), kGifKeyColor);
    Gif = std::move(gif);
    return true;
  } catch (const std::exception&) {
    // A GIF that cannot be decoded leaves the object without a picture, even when an earlier
    // load gave it one: it draws nothing rather than a frozen frame.
    std::lock_guard<std::mutex> hold(pictureLock_);
    ReplacePictures(NewPicture(TStretchFilter::sfNearest), NewPicture(TStretchFilter::sfNearest), kGifKeyColor);
    Gif = std::make_unique<TGif>();
    return false;
  }
}

// Under the picture lock. The player keeps a copy of the picture as it is now (the key-colour
// fill) as the background it restores from; `firstFrame` then paints frame 0 at once, before the
// player's thread runs, so that nothing else paints the picture at the same time.
void TGifObject::StartPlayer(bool firstFrame) {
  playerStart_ = GetTickCount();
  const TRect whole = Rect(0, 0, FrameBitmap->Width(), FrameBitmap->Height());
  player_ = Gif->Start(*FrameBitmap, whole, PlaybackSpeed(AnimSpeed), Threaded ? Paintings : nullptr);
  if (firstFrame && !Gif->Image.Frames.empty() && !FrameBitmap->Empty()) {
    PaintGifFrame(Gif->Image, 0, *FrameBitmap, whole, Transparent, 0);
  }
  if (player_ != nullptr) player_->Run();
  Playing = true;
}

void TGifObject::AdvancePlayback(uint32_t now) {
  if (player_ != nullptr && !player_->Threaded()) player_->AdvanceTo(TicksBetween(playerStart_, now));
}

void TGifObject::Reset() {
  if (!FindPicture()) return;
  const bool loaded = PrepareGif(Filename);
  {
    std::lock_guard<std::mutex> hold(pictureLock_);
    FrameBitmap->MasterAlpha = MirrorBitmap->MasterAlpha = OpacityToAlpha(Opacity);
  }
  TAnimObject::Reset();
  if (!loaded) return;
  // The player, then the first frame at once, under the lock so that neither meets the drawing
  // thread; the player's own painting of frame 0 shows the same picture.
  std::lock_guard<std::mutex> hold(pictureLock_);
  StartPlayer(true);
}

// ---- TImgObject ----

TImgObject::TImgObject() {
  MirrorBitmap = NewPicture(TStretchFilter::sfDraft);
  FrameBitmap = NewPicture(TStretchFilter::sfDraft);
}

TImgObject::~TImgObject() = default;

// Behind the common keys, in writing order.
const TIniKey<TImgObject> kImgKeys[] = {
    {"ObjType", TIniWidth::Text, std::nullopt, nullptr, nullptr, [](const TImgObject&) { return std::string("IMG"); }},
    IniKey<TImgObject, &TImgObject::Filename>("Filename", TIniWidth::Text),
    IniKey<TImgObject, &TImgObject::Transparent>("Transparent", TIniWidth::Bool, 1),
    IniKey<TImgObject, &TImgObject::TransparentType>("TransparentType", TIniWidth::Low8, 1),
    IniKey<TImgObject, &TImgObject::TransparentColor>("TransparentColor", TIniWidth::Int32),
};

std::span<const TIniKey<TImgObject>> TImgObject::Keys() { return kImgKeys; }

void TImgObject::LoadFromText(const std::string& text) { LoadFromIni(TIniText(text)); }

void TImgObject::LoadFromIni(const TIniText& ini) {
  ReadIniKeys(ini, SectionName(), Keys(), *this);
  LoadCommonFromIni(ini);
}

std::string TImgObject::SaveToText() {
  TAnimObject::SaveToText();
  WriteIniKeys(Ini, SectionName(), Keys(), *this);
  return Ini.Text();
}

void TImgObject::LoadImage(const std::string& path) {
  if (!platform::FileExists(path)) return;
  auto frameBitmap = NewPicture(TStretchFilter::sfDraft);
  try {
    LoadPicture(path, *frameBitmap);
  } catch (const std::exception&) {
    // Unknown formats and undecodable files leave the object without a picture.
  }
  TColor32 key = frameBitmap->Empty() ? 0 : frameBitmap->PixelAt(0, frameBitmap->Height() - 1);
  if (TransparentType == 2) key = Color32(TransparentColor);
  auto mirrorBitmap = NewPicture(TStretchFilter::sfDraft);
  mirrorBitmap->SetSize(frameBitmap->Width(), frameBitmap->Height());

  std::lock_guard<std::mutex> hold(pictureLock_);
  transparencyApplies_ = Transparent;
  ReplacePictures(std::move(frameBitmap), std::move(mirrorBitmap), key);
}

void TImgObject::Reset() {
  if (!FindPicture()) return;
  LoadImage(Filename);
  {
    std::lock_guard<std::mutex> hold(pictureLock_);
    for (TBitmap32* bitmap : {FrameBitmap.get(), MirrorBitmap.get()}) {
      bitmap->MasterAlpha = OpacityToAlpha(Opacity);
      bitmap->StretchFilter = TStretchFilter::sfDraft;
    }
  }
  TAnimObject::Reset();
}

}  // namespace lumora
