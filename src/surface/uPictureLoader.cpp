// Still pictures chosen by the file's extension, and the surface's LoadFromFile.
//
// Files are read whole through the platform seam and decoded from memory; a file larger than
// any picture the decoders would accept is refused before it is read.
#include <algorithm>
#include <cctype>
#include <string>

#include "platform/Platform.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {

namespace {

// The text after the last dot of the file-name part, in lower case; empty without one.
std::string LowerExtension(const std::string& fileName) {
  const size_t nameStart = fileName.find_last_of("\\/:");
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) return {};
  std::string extension = fileName.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

const uint8_t* BytesOf(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

}  // namespace

std::string ReadPictureFile(const std::string& fileName) {
  platform::TFile file = platform::TFile::OpenRead(fileName);
  if (!file.IsOpen()) throw EPictureError("cannot open " + fileName);
  const int64_t size = file.Size();
  if (size < 0) throw EPictureError("cannot read " + fileName);
  if (size > kMaxPictureFileBytes) {
    throw EPictureError(LimitMessage("The picture file " + fileName + " is", size, "bytes long", kMaxPictureFileBytes));
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  int64_t done = 0;
  while (done < size) {
    const int64_t n = file.Read(bytes.data() + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  if (done != size) throw EPictureError("cannot read " + fileName);
  return bytes;
}

void LoadPicture(const std::string& fileName, TBitmap32& surface) {
  const std::string extension = LowerExtension(fileName);
  const bool jpeg = extension == "jpg" || extension == "jpeg";
  if (!jpeg && extension != "bmp" && extension != "gif") throw EPictureError("unsupported picture format: " + fileName);

  const std::string bytes = ReadPictureFile(fileName);
  // Each decoder leaves its target untouched when it fails, so the surface is only changed
  // once a whole picture is in hand.
  if (jpeg) {
    TBitmap bitmap;
    DecodeJpeg(BytesOf(bytes), bytes.size(), bitmap);
    surface.Assign(bitmap);
  } else if (extension == "bmp") {
    DecodeBmp(BytesOf(bytes), bytes.size(), surface);
  } else {
    GifFirstFrame(DecodeGif(BytesOf(bytes), bytes.size()), surface);
  }
}

void TBitmap32::LoadFromFile(const std::string& fileName) { LoadPicture(fileName, *this); }

}  // namespace lumora
