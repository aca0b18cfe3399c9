#pragma once
// System-wide hot keys registered on a hidden window of their own, each press
// reported as an event; and the text form of a hot-key value.
//
// A hot-key value: bits 0-7 the virtual key, 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt, 0x10000 Win (Ctrl+F9 is 0x4078 = 16504). Other bits are
// dropped when the value is registered.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"

namespace forms {
class UtilityWindow;
}

namespace desktop {

inline constexpr std::uint32_t kHotKeyShift = 0x2000;
inline constexpr std::uint32_t kHotKeyCtrl = 0x4000;
inline constexpr std::uint32_t kHotKeyAlt = 0x8000;
inline constexpr std::uint32_t kHotKeyWin = 0x10000;

class THotKeyManager : public forms::TComponent {
 public:
  // Index is the identifier RegisterHotKeyValue returned for the hot key.
  using TOnHotKeyPressed = std::function<void(std::uint32_t HotKey, std::uint16_t Index)>;

  explicit THotKeyManager(forms::TComponent* owner);
  ~THotKeyManager() override;

  // The hot key's identifier (a global atom), or 0 when the value has no key
  // or the keys are already taken, by this program or another.
  std::uint16_t RegisterHotKeyValue(std::uint32_t hotKey);
  // Releases every hot key, the last registered first.
  void UnregisterAllHotKeys();

  HWND Handle() const;

  TOnHotKeyPressed OnHotKeyPressed;

 protected:
  virtual LRESULT WindowProcedure(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct HotKey {
    std::uint32_t value;
    ATOM identifier;
  };

  const DWORD thread_;
  const std::uint64_t serial_;
  std::vector<HotKey> hotKeys_;
  std::unique_ptr<forms::UtilityWindow> window_;
};

// "Ctrl+Shift+F9": the modifiers in the order Ctrl, Shift, Alt, Win, then the
// key's name. Localized uses the user's names and keyboard layout, otherwise
// the English names and the US-English layout.
std::string HotKeyValueText(std::uint32_t hotKey, bool localized);

// Called once from the program's start, before any window exists: takes the
// modifier names in the user's language and loads the US-English layout for
// the English key names. Done unloads the layout when Init loaded it.
void HotKeyManagerUnitInit();
void HotKeyManagerUnitDone();

}  // namespace desktop
