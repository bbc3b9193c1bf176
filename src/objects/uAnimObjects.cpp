// The object list (see uAnimObjects.h).
#include "objects/uAnimObjects.h"

#include "base/uErrors.h"
#include "base/uIniText.h"
#include "base/uLimits.h"
#include "objects/uImageObjects.h"

namespace lumora {

void TAnimObjects::Add(std::unique_ptr<TAnimObject> object) {
  object->Index = Count();
  items_.push_back(std::move(object));
}

void TAnimObjects::Clear() {
  for (auto& item : items_) {
    item->EndWorker();  // before the object's own parts go
    item.reset();
  }
  items_.clear();
}

void TAnimObjects::LoadFromText(const std::string& text) {
  Clear();
  // Parsed once for all objects: were each object to parse the whole text and keep its copy,
  // a load would take time and memory in the square of the object count.
  const TIniText ini(text);
  const size_t sections = ini.SectionNames().size();
  if (sections > static_cast<size_t>(kMaxObjects)) {
    throw EInOutError(LimitMessage("The object text holds", static_cast<int64_t>(sections), "sections", kMaxObjects));
  }
  for (size_t number = 0; number < sections; ++number) {
    const std::string section = "Obj" + std::to_string(number);
    if (ini.ReadString(section, "ObjType", "") == "GIF") {
      auto gif = std::make_unique<TGifObject>();
      TGifObject& object = *gif;
      object.Threaded = Threaded;
      object.Shell = Shell;
      Add(std::move(gif));
      object.LoadFromIni(ini);
    }
    if (ini.ReadString(section, "ObjType", "") == "IMG") {
      auto image = std::make_unique<TImgObject>();
      TImgObject& object = *image;
      object.Threaded = Threaded;
      object.Shell = Shell;
      Add(std::move(image));
      object.LoadFromIni(ini);
    }
  }
}

}  // namespace lumora
