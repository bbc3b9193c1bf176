// The object list of a project: the objects in drawing order, built from the object text.
//
// The object at position i has Index i and reads and writes the section "Obj<i>". The list owns
// its objects; releasing one ends its worker first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/uObject.h"

namespace lumora {

class TShell;

class TAnimObjects {
 public:
  TAnimObjects() = default;
  ~TAnimObjects() { Clear(); }
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TAnimObject& Items(int index) const { return *items_[static_cast<size_t>(index)]; }

  // Appends the object; its Index becomes its position.
  void Add(std::unique_ptr<TAnimObject> object);
  // Releases every object from position 0 upward.
  void Clear();
  // Clear, then one object per probed section: for each number below the count of sections in
  // the text (whatever their names), "ObjType" of "Obj<number>" exactly "GIF" makes a GIF
  // object and exactly "IMG" a still-picture object, which read the whole text. No picture is
  // loaded here. A text of more than kMaxObjects sections throws EInOutError and makes none.
  void LoadFromText(const std::string& text);

  // False: objects made from now on run no threads when started (the deterministic renderer
  // steps them).
  bool Threaded = true;
  // Given to the picture objects made from now on (where the program files folder comes from).
  TShell* Shell = nullptr;

 private:
  std::vector<std::unique_ptr<TAnimObject>> items_;
};

}  // namespace lumora
