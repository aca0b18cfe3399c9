#pragma once
// A list of 16x16 images with masks, the source of icons cycled in the tray
// and the means of turning a drawn bitmap into an icon.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "forms/Colours.h"
#include "forms/Component.h"
#include "forms/IconHandle.h"

namespace forms {

class SmallImageList : public TComponent {
 public:
  static constexpr int kSize = 16;

  explicit SmallImageList(TComponent* owner);

  // Adds a 16x16 bitmap whose pixels of colour `mask` are transparent
  // (kColourNone: none are); the bitmap itself is left unchanged. The new
  // image's index, or -1.
  int AddMasked(HBITMAP bitmap, ColourValue mask);
  // Adds a copy of an icon's image; the new image's index, or -1.
  int AddIcon(HICON icon);
  // A new icon of the image at `index`; empty when there is no such image.
  IconHandle GetIcon(int index) const;
  int Count() const;
  HIMAGELIST Handle() const { return list_.get(); }

 private:
  struct Destroy {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
  };
  std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, Destroy> list_;
};

}  // namespace forms
