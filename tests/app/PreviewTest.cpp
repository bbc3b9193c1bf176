// The preview picture: the background squeezed to the preview window, the preview file gone.
#include "app/uPreview.h"

#include <gtest/gtest.h>

#include "PackageWriter.h"
#include "platform/Platform.h"
#include "support/ProjectFixture.h"
#include "support/TempDir.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

// One test, not two: every preview uses the same file in the temporary folder, so two of them
// running at once would see each other's file (the program's instance guard keeps the real
// previews apart).
TEST(Preview, BackgroundFillsTheWindowAndThePreviewFileIsAlwaysDeleted) {
  testing::TempDir dir;
  const std::string previewFile = platform::TempFolder() + kPreviewFileName;
  const std::string header = "[Header]\r\nRes0=VXHeader.dat\r\nRes1=VXTemp.vxp\r\nResCount=2\r\n";
  std::string saver =
      dir.Write("Lake.scr", "stub" + tools::PackageBytes({header, tools::ProjectFileBytes(testing::SmallProject())}));
  TBitmap32 picture;
  MakePreviewPicture(saver, 152, 112, picture);
  EXPECT_EQ(picture.Width(), 152);
  EXPECT_EQ(picture.Height(), 112);
  // The ramp runs dark to light from left to right whatever the squeeze.
  EXPECT_LT(RedOf(picture.PixelAt(0, 50)), RedOf(picture.PixelAt(151, 50)));
  EXPECT_FALSE(platform::FileExists(previewFile));

  // A package without a loadable project: no picture, and still no file left behind.
  std::string broken = dir.Write("Broken.scr", tools::PackageBytes({"[Header]\r\nResCount=1\r\n"}));
  picture.SetSize(5, 5);
  MakePreviewPicture(broken, 152, 112, picture);
  EXPECT_TRUE(picture.Empty());
  EXPECT_FALSE(platform::FileExists(previewFile));
}

}  // namespace
}  // namespace lumora
