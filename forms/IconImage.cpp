#include "forms/IconImage.h"

#include "forms/Wide.h"

namespace forms {

IconHandle CopyIconHandle(HICON icon) {
  if (!icon) return IconHandle();
  return IconHandle(CopyIcon(icon));
}

bool IconImage::LoadFromFile(const std::string& path) {
  HANDLE loaded = LoadImageW(nullptr, widen(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
  if (!loaded) return false;
  TakeHandle(IconHandle(static_cast<HICON>(loaded)));
  return true;
}

void IconImage::Assign(const IconImage& other) {
  if (&other == this) return;
  TakeHandle(CopyIconHandle(other.Handle()));
}

void IconImage::TakeHandle(IconHandle handle) {
  icon_ = std::move(handle);
  Changed();
}

void IconImage::AssignQuietly(const IconImage& other) {
  if (&other == this) return;
  icon_ = CopyIconHandle(other.Handle());
}

void IconImage::TakeHandleQuietly(IconHandle handle) { icon_ = std::move(handle); }

void IconImage::Changed() {
  if (OnChange) OnChange();
}

}  // namespace forms
