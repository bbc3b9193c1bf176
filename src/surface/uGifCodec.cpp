// GIF pictures through giflib's record-by-record interface, and the still-picture rule.
//
// The decoder walks the records itself rather than letting giflib slurp the file: it checks each
// rectangle before allocating the frame's indices, reads the control and looping extensions from
// their raw bytes, and when a later record is damaged it keeps the frames read before it.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/uByteOrder.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {

namespace {

// ---- decoding ----

struct TMemoryReader {
  const uint8_t* Data;
  size_t Size;
  size_t Position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* reader = static_cast<TMemoryReader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), reader->Size - reader->Position);
  std::memcpy(buffer, reader->Data + reader->Position, n);
  reader->Position += n;
  return static_cast<int>(n);
}

struct TGifDecoder {
  GifFileType* File = nullptr;
  ~TGifDecoder() {
    int ignored = 0;
    if (File != nullptr) DGifCloseFile(File, &ignored);
  }
};

// What the extensions before an image say about it.
struct TPendingFrame {
  bool HasControl = false;
  TGifControl Control;
  bool HasLoop = false;
  uint16_t LoopCount = 0;
};

std::string GifError(int code) {
  const char* text = GifErrorString(code);
  return std::string("GIF: ") + (text != nullptr ? text : "unreadable data");
}

std::vector<TGifColor> ColorsOf(const ColorMapObject* map) {
  std::vector<TGifColor> colors;
  if (map == nullptr || map->Colors == nullptr) return colors;
  for (int i = 0; i < map->ColorCount; ++i)
    colors.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
  return colors;
}

bool IsLoopingApplication(const GifByteType* block) {
  return block[0] == 11 &&
         (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
}

// One extension with all its sub-blocks. The control block is read from its bytes because
// giflib's own conversion forgets the transparent index when the flag is off, and the player
// and the picture objects need the index as stored.
bool ReadExtension(GifFileType* file, TPendingFrame& pending) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(file, &code, &block) == GIF_ERROR) return false;
  const bool control = code == GRAPHICS_EXT_FUNC_CODE;
  const bool looping = code == APPLICATION_EXT_FUNC_CODE && block != nullptr && IsLoopingApplication(block);
  bool first = true;
  while (block != nullptr) {
    if (control && first && block[0] >= 4) {
      pending.HasControl = true;
      pending.Control.Disposal = (block[1] >> 2) & 7;
      pending.Control.TransparentFlag = (block[1] & 1) != 0;
      pending.Control.Delay = GetLe16(&block[2]);
      pending.Control.TransparentIndex = block[4];
    }
    // The looping sub-block is [1, count low, count high]; other sub-block ids are ignored.
    if (looping && !first && block[0] >= 3 && block[1] == 1 && !pending.HasLoop) {
      pending.HasLoop = true;
      pending.LoopCount = GetLe16(&block[2]);
    }
    first = false;
    if (DGifGetExtensionNext(file, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Interlaced rows arrive in four passes: every 8th row from 0, every 8th from 4, every 4th from
// 2, every 2nd from 1.
std::vector<uint8_t> Deinterlace(const std::vector<uint8_t>& rows, int32_t width, int32_t height) {
  constexpr int32_t kPassStart[4] = {0, 4, 2, 1};
  constexpr int32_t kPassStep[4] = {8, 8, 4, 2};
  std::vector<uint8_t> topDown(rows.size());
  const auto rowBytes = static_cast<size_t>(width);
  size_t fileRow = 0;
  for (int pass = 0; pass < 4; ++pass) {
    for (int32_t y = kPassStart[pass]; y < height; y += kPassStep[pass], ++fileRow) {
      std::copy_n(rows.begin() + static_cast<ptrdiff_t>(fileRow * rowBytes), rowBytes,
                  topDown.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * rowBytes));
    }
  }
  return topDown;
}

// Reads one image into a new frame; throws EPictureError when it cannot, or when the frame would
// pass a limit (checked before giflib records the frame or its pixels are allocated).
void ReadFrame(GifFileType* file, TGifImage& gif, TPendingFrame& pending, int64_t& totalPixels) {
  const auto frames = static_cast<int64_t>(gif.Frames.size());
  if (frames >= kMaxGifFrames) throw EPictureError(LimitMessage("The GIF holds", frames + 1, "frames", kMaxGifFrames));
  if (DGifGetImageDesc(file) == GIF_ERROR) throw EPictureError(GifError(file->Error));
  const GifImageDesc& desc = file->Image;
  CheckPictureSize(desc.Width, desc.Height, "GIF frame");
  const int64_t area = int64_t{desc.Width} * desc.Height;
  if (totalPixels + area > kMaxGifTotalPixels) {
    throw EPictureError(LimitMessage("The GIF's frames hold", totalPixels + area, "pixels", kMaxGifTotalPixels));
  }
  totalPixels += area;

  TGifFrame frame;
  frame.Left = desc.Left;
  frame.Top = desc.Top;
  frame.Width = desc.Width;
  frame.Height = desc.Height;
  frame.LocalColors = ColorsOf(desc.ColorMap);
  frame.HasControl = pending.HasControl;
  frame.Control = pending.Control;
  frame.HasLoop = pending.HasLoop;
  frame.LoopCount = pending.LoopCount;
  pending = TPendingFrame();

  if (area == 0) {
    // No pixels to read, but the (empty) LZW data must still be stepped over.
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(file, &codeSize, &block) == GIF_ERROR) throw EPictureError(GifError(file->Error));
    while (block != nullptr) {
      if (DGifGetCodeNext(file, &block) == GIF_ERROR) throw EPictureError(GifError(file->Error));
    }
  } else {
    // The rows are kept in the order they arrive and the buffer grows with them, so memory
    // follows the data actually decoded rather than what a few descriptor bytes claim.
    const auto width = static_cast<size_t>(frame.Width);
    std::vector<uint8_t> rows;
    for (int32_t y = 0; y < frame.Height; ++y) {
      const size_t needed = rows.size() + width;
      if (needed > rows.capacity())
        rows.reserve(std::min(static_cast<size_t>(area), std::max(needed, 2 * rows.capacity())));
      rows.resize(needed);
      if (DGifGetLine(file, rows.data() + needed - width, frame.Width) == GIF_ERROR)
        throw EPictureError(GifError(file->Error));
    }
    frame.Indices = desc.Interlace ? Deinterlace(rows, frame.Width, frame.Height) : std::move(rows);
  }
  gif.Frames.push_back(std::move(frame));
}

// ---- encoding ----

int WriteToString(GifFileType* gif, const GifByteType* bytes, int count) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  return count;
}

struct TGifEncoder {
  GifFileType* File = nullptr;
  ~TGifEncoder() {
    int ignored = 0;
    if (File != nullptr) EGifCloseFile(File, &ignored);
  }
};

struct TColorMap {
  ColorMapObject* Map = nullptr;
  TColorMap() = default;
  TColorMap(const TColorMap&) = delete;
  TColorMap& operator=(const TColorMap&) = delete;
  ~TColorMap() { GifFreeMapObject(Map); }
};

// giflib takes only tables of 2, 4, ... 256 entries; the rest is padded with black.
void MakeColorMap(const std::vector<TGifColor>& colors, TColorMap& target) {
  if (colors.empty()) return;
  if (colors.size() > 256) throw EPictureError("GIF: a colour table has more than 256 entries");
  int count = 2;
  while (count < static_cast<int>(colors.size())) count *= 2;
  std::vector<GifColorType> padded(static_cast<size_t>(count), GifColorType{0, 0, 0});
  for (size_t i = 0; i < colors.size(); ++i) padded[i] = {colors[i].Red, colors[i].Green, colors[i].Blue};
  target.Map = GifMakeMapObject(count, padded.data());
  if (target.Map == nullptr) throw EOutOfResources("GIF: no memory for a colour table");
}

bool FitsGifWord(int64_t value) { return value >= 0 && value <= 0xFFFF; }

void CheckEncodable(const TGifImage& gif) {
  if (!FitsGifWord(gif.Width) || !FitsGifWord(gif.Height))
    throw EPictureError("GIF: the screen size does not fit a GIF");
  for (size_t i = 0; i < gif.Frames.size(); ++i) {
    const TGifFrame& frame = gif.Frames[i];
    const std::string which = "GIF: frame " + std::to_string(i);
    if (!FitsGifWord(frame.Left) || !FitsGifWord(frame.Top) || !FitsGifWord(frame.Width) ||
        !FitsGifWord(frame.Height)) {
      throw EPictureError(which + " has a rectangle that does not fit a GIF");
    }
    // giflib cannot write the LZW data of an image without pixels.
    if (frame.Width == 0 || frame.Height == 0) throw EPictureError(which + " is empty");
    if (frame.Indices.size() != static_cast<size_t>(frame.Width) * static_cast<size_t>(frame.Height)) {
      throw EPictureError(which + " does not hold width x height indices");
    }
    if (frame.LocalColors.empty() && gif.GlobalColors.empty()) throw EPictureError(which + " has no colour table");
  }
}

void PutOrThrow(GifFileType* file, int result) {
  if (result == GIF_ERROR) throw EPictureError(GifError(file->Error));
}

void PutLoop(GifFileType* file, uint16_t count) {
  const GifByteType loop[3] = {1, static_cast<GifByteType>(count & 0xFF), static_cast<GifByteType>(count >> 8)};
  PutOrThrow(file, EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE));
  PutOrThrow(file, EGifPutExtensionBlock(file, 11, "NETSCAPE2.0"));
  PutOrThrow(file, EGifPutExtensionBlock(file, 3, loop));
  PutOrThrow(file, EGifPutExtensionTrailer(file));
}

void PutControl(GifFileType* file, const TGifControl& control) {
  const GifByteType block[4] = {
      static_cast<GifByteType>((control.Disposal & 7) << 2 | (control.TransparentFlag ? 1 : 0)),
      static_cast<GifByteType>(control.Delay & 0xFF), static_cast<GifByteType>(control.Delay >> 8),
      control.TransparentIndex};
  PutOrThrow(file, EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, block));
}

}  // namespace

TGifImage DecodeGif(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) throw EPictureError("GIF: no data");
  TMemoryReader reader{data, size};
  TGifDecoder decoder;
  int error = 0;
  decoder.File = DGifOpen(&reader, ReadFromMemory, &error);
  if (decoder.File == nullptr) throw EPictureError(GifError(error));
  GifFileType* file = decoder.File;
  CheckPictureSize(file->SWidth, file->SHeight, "GIF screen");

  TGifImage gif;
  gif.Width = file->SWidth;
  gif.Height = file->SHeight;
  gif.GlobalColors = ColorsOf(file->SColorMap);
  gif.BackgroundIndex = static_cast<uint8_t>(file->SBackGroundColor);

  TPendingFrame pending;
  int64_t totalPixels = 0;
  try {
    for (bool more = true; more;) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(file, &type) == GIF_ERROR) throw EPictureError(GifError(file->Error));
      if (type == IMAGE_DESC_RECORD_TYPE) {
        ReadFrame(file, gif, pending, totalPixels);
      } else if (type == EXTENSION_RECORD_TYPE) {
        if (!ReadExtension(file, pending)) throw EPictureError(GifError(file->Error));
      } else {
        more = false;  // the trailer; extensions after the last image belong to no frame
      }
    }
  } catch (const EPictureError&) {
    // Damage after the first frame keeps the frames decoded before it, and so does a limit: an
    // animation cut short still plays, where a refused one would show nothing.
    if (gif.Frames.empty()) throw;
  }
  if (gif.Frames.empty()) throw EPictureError("GIF: the file holds no image");
  return gif;
}

TGifImage DecodeGifFile(const std::string& fileName) {
  const std::string bytes = ReadPictureFile(fileName);
  return DecodeGif(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string EncodeGif(const TGifImage& gif) {
  CheckEncodable(gif);
  std::string bytes;
  TGifEncoder encoder;
  int error = 0;
  encoder.File = EGifOpen(&bytes, WriteToString, &error);
  if (encoder.File == nullptr) throw EPictureError(GifError(error));
  GifFileType* file = encoder.File;
  EGifSetGifVersion(file, true);

  TColorMap global;
  MakeColorMap(gif.GlobalColors, global);
  PutOrThrow(file, EGifPutScreenDesc(file, gif.Width, gif.Height, 8, gif.BackgroundIndex, global.Map));

  std::vector<GifPixelType> row;
  for (const TGifFrame& frame : gif.Frames) {
    if (frame.HasLoop) PutLoop(file, frame.LoopCount);
    if (frame.HasControl) PutControl(file, frame.Control);
    TColorMap local;
    MakeColorMap(frame.LocalColors, local);
    // giflib keeps a copy of the previous frame's local table and, when this frame has none,
    // drops the pointer without freeing it; releasing it first stops the leak.
    if (local.Map == nullptr && file->Image.ColorMap != nullptr) {
      GifFreeMapObject(file->Image.ColorMap);
      file->Image.ColorMap = nullptr;
    }
    PutOrThrow(file, EGifPutImageDesc(file, frame.Left, frame.Top, frame.Width, frame.Height, false, local.Map));
    // giflib masks the indices of the line it is given in place, so it gets a copy.
    row.resize(static_cast<size_t>(frame.Width));
    for (int32_t y = 0; y < frame.Height; ++y) {
      std::copy_n(frame.Indices.begin() + static_cast<ptrdiff_t>(y) * frame.Width, frame.Width, row.begin());
      PutOrThrow(file, EGifPutLine(file, row.data(), frame.Width));
    }
  }
  encoder.File = nullptr;
  if (EGifCloseFile(file, &error) == GIF_ERROR) throw EPictureError(GifError(error));
  return bytes;
}

int GifFrameIndexAt(const TGifFrame& frame, int32_t x, int32_t y) {
  const int64_t column = int64_t{x} - frame.Left, row = int64_t{y} - frame.Top;
  if (column < 0 || column >= frame.Width || row < 0 || row >= frame.Height) return -1;
  const auto at = static_cast<size_t>(row) * static_cast<size_t>(frame.Width) + static_cast<size_t>(column);
  return at < frame.Indices.size() ? frame.Indices[at] : -1;
}

TGifColor GifFrameColor(const TGifImage& gif, const TGifFrame& frame, int index) {
  const std::vector<TGifColor>& table = frame.LocalColors.empty() ? gif.GlobalColors : frame.LocalColors;
  return index >= 0 && static_cast<size_t>(index) < table.size() ? table[static_cast<size_t>(index)] : TGifColor{};
}

void PaintGifFrame(const TGifImage& gif, int index, TBitmap32& target, const TRect& clip, bool transparency,
                   uint8_t alpha) {
  const TGifFrame& frame = gif.Frames[static_cast<size_t>(index)];
  const bool skipTransparent = transparency && frame.HasControl && frame.Control.TransparentFlag;
  // The frame's rectangle may reach past the logical screen; only the part on it is painted.
  const int32_t left = std::max({frame.Left, clip.Left, 0});
  const int32_t top = std::max({frame.Top, clip.Top, 0});
  const auto right =
      static_cast<int32_t>(std::min<int64_t>({int64_t{frame.Left} + frame.Width, clip.Right, target.Width()}));
  const auto bottom =
      static_cast<int32_t>(std::min<int64_t>({int64_t{frame.Top} + frame.Height, clip.Bottom, target.Height()}));
  const size_t rows = frame.Width > 0 ? frame.Indices.size() / static_cast<size_t>(frame.Width) : 0;
  for (int32_t y = top; y < bottom && static_cast<size_t>(y - frame.Top) < rows; ++y) {
    const uint8_t* indices =
        frame.Indices.data() + static_cast<size_t>(y - frame.Top) * static_cast<size_t>(frame.Width);
    TColor32* out = target.ScanLine(y);
    for (int32_t x = left; x < right; ++x) {
      const uint8_t i = indices[x - frame.Left];
      if (skipTransparent && i == frame.Control.TransparentIndex) continue;
      const TGifColor c = GifFrameColor(gif, frame, i);
      out[x] = Color32(c.Red, c.Green, c.Blue, alpha);
    }
  }
}

void GifFirstFrame(const TGifImage& gif, TBitmap32& surface) {
  const TGifColor background =
      gif.BackgroundIndex < gif.GlobalColors.size() ? gif.GlobalColors[gif.BackgroundIndex] : TGifColor{};
  surface.SetSize(gif.Width, gif.Height);
  surface.Clear(Color32(background.Red, background.Green, background.Blue));
  if (gif.Frames.empty() || surface.Empty()) return;
  const TGifFrame& frame = gif.Frames.front();
  // A frame cut short shows nothing of itself in a still picture.
  if (frame.Indices.size() < static_cast<size_t>(frame.Width) * static_cast<size_t>(frame.Height)) return;
  PaintGifFrame(gif, 0, surface, Rect(0, 0, surface.Width(), surface.Height()), true, 255);
}

}  // namespace lumora
