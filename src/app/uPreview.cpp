// The preview picture (see uPreview.h).
#include "app/uPreview.h"

#include "platform/Platform.h"
#include "project/uProjectExtractor.h"
#include "project/uVXProject.h"
#include "surface/uBitmap32.h"

namespace lumora {

void MakePreviewPicture(const std::string& programPath, int32_t width, int32_t height, TBitmap32& picture) {
  picture.SetSize(0, 0);
  const std::string previewFile = platform::TempFolder() + kPreviewFileName;
  ExtractPackage(programPath, {previewFile, previewFile}, 1);
  TProject project;
  const bool loaded = project.Load(previewFile);
  platform::EraseFile(previewFile);
  if (!loaded || project.Background.Empty() || width <= 0 || height <= 0) return;

  TBitmap32 background;
  background.Assign(project.Background);
  // A preview is a strong reduction: averaging whole blocks keeps it calm.
  background.StretchFilter = TStretchFilter::sfDraft;
  picture.SetSize(width, height);
  picture.Draw(Rect(0, 0, width, height), Rect(0, 0, background.Width(), background.Height()), background);
}

}  // namespace lumora
