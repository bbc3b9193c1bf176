// The object list (see uAnimObjects.h).
#include "objects/uAnimObjects.h"

#include "base/uIniText.h"
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
  const TIniText ini(text);
  const size_t sections = ini.SectionNames().size();
  for (size_t number = 0; number < sections; ++number) {
    const std::string section = "Obj" + std::to_string(number);
    if (ini.ReadString(section, "ObjType", "") == "GIF") {
      auto gif = std::make_unique<TGifObject>();
      TGifObject& object = *gif;
      object.Threaded = Threaded;
      object.Shell = Shell;
      Add(std::move(gif));
      object.LoadFromText(text);
    }
    if (ini.ReadString(section, "ObjType", "") == "IMG") {
      auto image = std::make_unique<TImgObject>();
      TImgObject& object = *image;
      object.Threaded = Threaded;
      object.Shell = Shell;
      Add(std::move(image));
      object.LoadFromText(text);
    }
  }
}

}  // namespace lumora
