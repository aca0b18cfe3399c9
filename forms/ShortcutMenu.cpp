#include "forms/ShortcutMenu.h"

#include <algorithm>
#include <memory>

#include "forms/Application.h"
#include "forms/GdiObject.h"
#include "forms/UtilityWindow.h"
#include "forms/WindowedControl.h"
#include "forms/Wide.h"

namespace forms {

namespace {
struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

FontHandle MenuFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return FontHandle();
  return FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

// An owner-drawn item is as wide as its caption in the menu font plus a
// margin on each side, and at least as high as a plain item.
void MeasureItem(const MenuEntry& item, HWND window, MEASUREITEMSTRUCT& measure) {
  const std::wstring caption = widen(item.Caption);
  HDC dc = GetDC(window);
  FontHandle font = MenuFont();
  HGDIOBJ old = font ? SelectObject(dc, font.Get()) : nullptr;
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  if (old) SelectObject(dc, old);
  ReleaseDC(window, dc);
  measure.itemWidth = static_cast<UINT>(size.cx + 16);
  measure.itemHeight = static_cast<UINT>(std::max<LONG>(size.cy + 4, GetSystemMetrics(SM_CYMENU)));
}

// The owner-drawn items' messages go to the window that tracks the menu,
// whichever of ours it is, while the menu is open.
class DrawRoute {
 public:
  DrawRoute(HWND window, MessageFilter filter) {
    if (Application && window == Application->Handle()) {
      hookId_ = Application->HookMainWindow(std::move(filter));
      hooked_ = true;
    } else {
      scoped_ = ScopedMessageFilter(WindowedControl::FromHandle(window), std::move(filter));
    }
  }
  ~DrawRoute() {
    if (hooked_ && Application) Application->UnhookMainWindow(hookId_);
  }
  DrawRoute(const DrawRoute&) = delete;
  DrawRoute& operator=(const DrawRoute&) = delete;

 private:
  bool hooked_ = false;
  FilterId hookId_ = 0;
  ScopedMessageFilter scoped_;
};
// Appends the visible items to a menu, submenus within, numbering the
// commands by their place in `shown`; owner-drawn items carry that number
// as their data.
void AppendItems(HMENU menu, const std::vector<MenuEntry*>& items, std::vector<MenuEntry*>& shown, bool ownerDrawn) {
  for (MenuEntry* item : items) {
    if (!item->Visible) continue;
    shown.push_back(item);
    UINT_PTR command = shown.size();
    if (item->Caption == "-") {
      AppendMenuW(menu, MF_SEPARATOR, command, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->Enabled ? MF_ENABLED : MF_GRAYED) | (item->Checked ? MF_CHECKED : MF_UNCHECKED);
    if (!item->Items().empty()) {
      // The parent menu frees the submenu with itself.
      HMENU submenu = CreatePopupMenu();
      AppendItems(submenu, item->Items(), shown, ownerDrawn);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), widen(item->Caption).c_str());
    } else {
      AppendMenuW(menu, flags, command, widen(item->Caption).c_str());
    }
    if (ownerDrawn) {
      // The caption stays the item's text, so the menu still reads as it
      // shows (keyboard, accessibility).
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_DATA;
      info.fType = MFT_OWNERDRAW;
      info.dwItemData = command;
      SetMenuItemInfoW(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), TRUE, &info);
    }
    if (item->Default && item->Items().empty()) SetMenuDefaultItem(menu, static_cast<UINT>(command), FALSE);
  }
}

bool Holds(const std::vector<MenuEntry*>& items, const MenuEntry* item) {
  return std::any_of(items.begin(), items.end(),
                     [item](const MenuEntry* each) { return each == item || Holds(each->Items(), item); });
}

}  // namespace

MenuEntry* MenuEntry::Add(std::string caption, std::string name) {
  MenuEntry* item = New<MenuEntry>(this, std::move(name));
  item->Caption = std::move(caption);
  items_.push_back(item);
  return item;
}

void MenuEntry::Clear() {
  while (!items_.empty()) DeleteComponent(items_.back());
}

void MenuEntry::Notification(TComponent* component, ComponentOperation operation) {
  if (operation == ComponentOperation::Remove) std::erase(items_, component);
  TComponent::Notification(component, operation);
}

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
  AppendItems(menu.get(), items_, shown, static_cast<bool>(OnDrawItem));

  const auto shownItem = [&shown](ULONG_PTR data) -> MenuEntry* {
    return data >= 1 && data <= shown.size() ? shown[data - 1] : nullptr;
  };
  std::unique_ptr<DrawRoute> route;
  if (OnDrawItem) {
    route = std::make_unique<DrawRoute>(window, [this, window, shownItem](WindowMessage& message) {
      if (message.Msg == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        MenuEntry* item = measure && measure->CtlType == ODT_MENU ? shownItem(measure->itemData) : nullptr;
        if (!item) return false;
        MeasureItem(*item, window, *measure);
        message.Result = TRUE;
        return true;
      }
      if (message.Msg == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        MenuEntry* item = draw && draw->CtlType == ODT_MENU ? shownItem(draw->itemData) : nullptr;
        if (!item || !OnDrawItem) return false;
        const int saved = SaveDC(draw->hDC);
        FontHandle font = MenuFont();
        if (font) SelectObject(draw->hDC, font.Get());
        OnDrawItem(*item, draw->hDC, draw->rcItem, (draw->itemState & ODS_SELECTED) != 0);
        RestoreDC(draw->hDC, saved);
        message.Result = TRUE;
        return true;
      }
      return false;
    });
  }

  SetForegroundWindow(window);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y,
                                                 0, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  route.reset();
  if (chosen == 0 || chosen > shown.size()) return;
  MenuEntry* item = shown[chosen - 1];
  // The item may have been freed by a handler that ran while the menu was open.
  if (Holds(items_, item)) item->Click();
}

}  // namespace forms
