#pragma once
// An icon object: owns one icon handle (or none), loads .ico files, copies
// other icons, and tells its owner of every change unless told to keep quiet.
#include <windows.h>

#include <functional>
#include <string>

#include "forms/IconHandle.h"

namespace forms {

class IconImage {
 public:
  IconImage() = default;
  IconImage(const IconImage&) = delete;
  IconImage& operator=(const IconImage&) = delete;

  // Null when empty.
  HICON Handle() const { return icon_.Get(); }
  bool Empty() const { return !icon_; }

  // Loads the first image of an .ico file at its own size; false, with the
  // icon unchanged, when the file is missing or not an icon.
  bool LoadFromFile(const std::string& path);
  // A copy of the other icon's image (empty when it is empty).
  void Assign(const IconImage& other);
  // Takes ownership of a handle (null empties the icon).
  void TakeHandle(IconHandle handle);
  void Clear() { TakeHandle(IconHandle()); }
  // Assign without OnChange: for owners that update their view themselves.
  void AssignQuietly(const IconImage& other);
  void TakeHandleQuietly(IconHandle handle);

  std::function<void()> OnChange;

 private:
  void Changed();
  IconHandle icon_;
};

// A copy of an icon handle owned by the result (empty for a null handle or
// an unreadable icon).
IconHandle CopyIconHandle(HICON icon);

}  // namespace forms
