#pragma once
// A context menu of plain items, shown at a screen point. An item captioned
// "-" is a separator.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "forms/Events.h"

namespace forms {

class MenuEntry : public TComponent {
 public:
  explicit MenuEntry(TComponent* owner) : TComponent(owner) {}

  std::string Caption;
  // Free for the item's user (a song's path).
  std::string Hint;
  bool Visible = true;
  bool Enabled = true;
  bool Checked = false;
  // Shown in bold; a tray icon's double click chooses it.
  bool Default = false;
  TNotifyEvent OnClick;

  void Click() {
    if (OnClick) OnClick(this);
  }

  // The items of the item's submenu, in order, each owned by this item; an
  // item with any is a submenu and is never chosen itself.
  const std::vector<MenuEntry*>& Items() const { return items_; }
  MenuEntry* Add(std::string caption, std::string name = {});
  // Frees the submenu's items.
  void Clear();

 protected:
  void Notification(TComponent* component, ComponentOperation operation) override;

 private:
  std::vector<MenuEntry*> items_;
};

class ShortcutMenu : public TComponent {
 public:
  explicit ShortcutMenu(TComponent* owner) : TComponent(owner) {}

  // The items in menu order; each is owned by the menu.
  const std::vector<MenuEntry*>& Items() const { return items_; }
  MenuEntry* Add(std::string caption, std::string name = {});

  // Whether the component it belongs to opens it on the right button.
  bool AutoPopup = true;
  // The component the menu was last opened for; null once that is freed.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* component);

  // The first item marked Default, or null.
  MenuEntry* DefaultItem() const;

  // When set, the menu's items (not its separators) are drawn by this
  // handler over their whole rectangle, in a device context that holds the
  // menu font; `highlighted` is the item under the mouse or the keyboard.
  // Items keep their captions for everything but the drawing.
  std::function<void(MenuEntry& item, HDC dc, const RECT& rect, bool highlighted)> OnDrawItem;

  // Shows the menu at a screen point and returns once it closes, after the
  // chosen item's OnClick. `window` receives the menu's messages; it is made
  // the foreground window first (else the menu would not close when the
  // user clicks elsewhere) and gets a WM_NULL afterwards (else the next
  // menu would close at once). Without one the application's window serves.
  void Popup(int x, int y, HWND window = nullptr);

 protected:
  void Notification(TComponent* component, ComponentOperation operation) override;

 private:
  std::vector<MenuEntry*> items_;
  TComponent* popupComponent_ = nullptr;
};

}  // namespace forms
