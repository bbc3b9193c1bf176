// vxscene preview: the picture the system's small preview gets, as the saver paints it.
#include <cstdio>
#include <stdexcept>

#include "Commands.h"
#include "app/uPreview.h"
#include "platform/Platform.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::tools {

int RunPreview(const Arguments& args) {
  const TParsedArguments parsed = ParseArguments(args, {"size", "out"}, {});
  int width = 0, height = 0;
  char extra = 0;
  if (parsed.positional.size() != 1 || !parsed.Has("out") ||
      std::sscanf(parsed.Value("size").c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width < 1 || height < 1 ||
      width > kMaxPictureSide || height > kMaxPictureSide) {
    throw EUsageError("preview needs FILE --size WxH --out FILE.png");
  }
  const std::string& file = parsed.positional[0];
  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);
  TBitmap32 picture;
  MakePreviewPicture(file, width, height, picture);
  if (picture.Empty()) throw std::runtime_error("the scene in " + file + " has no picture");
  WritePng(parsed.Value("out"), picture);
  std::printf("wrote the %d x %d preview into %s\n", width, height, parsed.Value("out").c_str());
  return 0;
}

}  // namespace lumora::tools
