#include "forms/SmallImageList.h"

#include "base/Exception.h"
#include "forms/GdiObject.h"

namespace forms {

SmallImageList::SmallImageList(TComponent* owner)
    : TComponent(owner), list_(ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, 1, 4)) {
  if (!list_) throw sv::Exception("Cannot create an image list");
}

int SmallImageList::AddMasked(HBITMAP bitmap, ColourValue mask) {
  if (!bitmap) return -1;
  if (mask == kColourNone) return ImageList_Add(list_.get(), bitmap, nullptr);
  // The system blackens the masked pixels of the bitmap it is given: it
  // gets a copy, so the caller's drawing stays as it was.
  BitmapHandle copy(static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!copy) return -1;
  return ImageList_AddMasked(list_.get(), copy.Get(), ToColorRef(mask));
}

int SmallImageList::AddIcon(HICON icon) {
  if (!icon) return -1;
  return ImageList_AddIcon(list_.get(), icon);
}

IconHandle SmallImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return IconHandle();
  return IconHandle(ImageList_GetIcon(list_.get(), index, ILD_NORMAL));
}

int SmallImageList::Count() const { return ImageList_GetImageCount(list_.get()); }

}  // namespace forms
