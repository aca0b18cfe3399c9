#include "forms/ShortcutMenu.h"

#include <algorithm>
#include <memory>

#include "forms/Application.h"
#include "forms/UtilityWindow.h"
#include "forms/Wide.h"

namespace forms {

namespace {
struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
}  // namespace

MenuEntry* ShortcutMenu::Add(std::string caption, std::string name) {
  MenuEntry* item = New<MenuEntry>(this, std::move(name));
  item->Caption = std::move(caption);
  items_.push_back(item);
  return item;
}

void ShortcutMenu::SetPopupComponent(TComponent* component) {
  if (popupComponent_ == component) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = component;
  if (component) component->FreeNotification(this);
}

MenuEntry* ShortcutMenu::DefaultItem() const {
  auto found = std::find_if(items_.begin(), items_.end(), [](const MenuEntry* item) { return item->Default; });
  return found == items_.end() ? nullptr : *found;
}

void ShortcutMenu::Notification(TComponent* component, ComponentOperation operation) {
  if (operation == ComponentOperation::Remove) {
    std::erase(items_, component);
    if (component == popupComponent_) popupComponent_ = nullptr;
  }
  TComponent::Notification(component, operation);
}

void ShortcutMenu::Popup(int x, int y, HWND window) {
  std::unique_ptr<UtilityWindow> ownWindow;
  if (!window && Application) window = Application->Handle();
  if (!window) {
    ownWindow = std::make_unique<UtilityWindow>(
        [&ownWindow](UINT message, WPARAM wParam, LPARAM lParam) {
          return ownWindow->DefaultHandle(message, wParam, lParam);
        });
    window = ownWindow->Handle();
  }

  MenuHandle menu(CreatePopupMenu());
  if (!menu) return;
  // Command numbers are positions in this snapshot, plus one.
  std::vector<MenuEntry*> shown;
  for (MenuEntry* item : items_) {
    if (!item->Visible) continue;
    shown.push_back(item);
    UINT_PTR command = shown.size();
    if (item->Caption == "-") {
      AppendMenuW(menu.get(), MF_SEPARATOR, command, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->Enabled ? MF_ENABLED : MF_GRAYED) | (item->Checked ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(menu.get(), flags, command, widen(item->Caption).c_str());
    if (item->Default) SetMenuDefaultItem(menu.get(), static_cast<UINT>(command), FALSE);
  }

  SetForegroundWindow(window);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y,
                                                 0, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  if (chosen == 0 || chosen > shown.size()) return;
  MenuEntry* item = shown[chosen - 1];
  // The item may have been freed by a handler that ran while the menu was open.
  if (std::find(items_.begin(), items_.end(), item) != items_.end()) item->Click();
}

}  // namespace forms
