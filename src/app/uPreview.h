// The picture of the system's small preview: the scene's background squeezed to the preview
// window's size. Painting it into the window is the shells' part.
#pragma once

#include <cstdint>
#include <string>

namespace lumora {

class TBitmap32;

// The preview file's name in the temporary folder.
inline constexpr const char* kPreviewFileName = "~VXTemp.VXP";

// Extracts the project entry of `programPath`'s package into the preview file (entry 0 then
// entry 1 into the same file, so the project is what stays), loads it, and stretches its
// background to exactly `width` x `height` without keeping the aspect ratio. The preview file
// is deleted in every case. `picture` is left empty when the project cannot be loaded.
void MakePreviewPicture(const std::string& programPath, int32_t width, int32_t height, TBitmap32& picture);

}  // namespace lumora
