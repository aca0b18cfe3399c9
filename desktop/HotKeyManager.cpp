#include "desktop/HotKeyManager.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <unordered_map>

#include "forms/UtilityWindow.h"
#include "forms/Wide.h"

namespace desktop {

namespace {

// Bits that name a key and its modifiers; anything else could never come
// back from a press, so it is dropped before the value is stored.
constexpr std::uint32_t kHotKeyBits = 0x1E0FF;

// The window finds its manager through this map of living managers, keyed
// by serials that are never reused.
std::unordered_map<std::uint64_t, THotKeyManager*> livingManagers;
std::uint64_t lastSerial = 0;

struct ModifierNames {
  std::string ctrl, shift, alt, win;
};
const ModifierNames kEnglishNames{"Ctrl", "Shift", "Alt", "Win"};
ModifierNames localNames = kEnglishNames;
HKL usLayout = nullptr;
bool usLayoutLoadedHere = false;
bool unitStarted = false;

UINT SystemModifiers(std::uint32_t hotKey) {
  UINT modifiers = 0;
  if (hotKey & kHotKeyAlt) modifiers |= MOD_ALT;
  if (hotKey & kHotKeyCtrl) modifiers |= MOD_CONTROL;
  if (hotKey & kHotKeyShift) modifiers |= MOD_SHIFT;
  if (hotKey & kHotKeyWin) modifiers |= MOD_WIN;
  return modifiers;
}

std::uint32_t ValueFromSystem(UINT modifiers, UINT virtualKey) {
  std::uint32_t value = virtualKey;
  if (modifiers & MOD_SHIFT) value |= kHotKeyShift;
  if (modifiers & MOD_CONTROL) value |= kHotKeyCtrl;
  if (modifiers & MOD_ALT) value |= kHotKeyAlt;
  if (modifiers & MOD_WIN) value |= kHotKeyWin;
  return value;
}

// Page Up to the arrows, Insert and Delete: without the extended bit their
// names would be those of the numeric keypad.
bool IsExtendedKey(UINT virtualKey) {
  return (virtualKey >= 33 && virtualKey <= 40) || virtualKey == 45 || virtualKey == 46;
}

std::wstring KeyName(UINT scanCode, UINT virtualKey) {
  LONG request = static_cast<LONG>((scanCode & 0xFF) << 16);
  if (IsExtendedKey(virtualKey)) request |= 0x1000000;
  wchar_t buffer[256];
  const int length = GetKeyNameTextW(request, buffer, 256);
  return length > 0 ? std::wstring(buffer, static_cast<size_t>(length)) : std::wstring();
}

std::wstring KeyPart(UINT virtualKey, bool localized) {
  // Before the unit start there is no US-English layout to ask.
  if (localized || !usLayout) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    return scanCode ? KeyName(scanCode, virtualKey) : std::wstring();
  }
  const UINT scanCode = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, usLayout);
  if (!scanCode) return {};
  const HKL current = GetKeyboardLayout(0);
  if (current == usLayout) return KeyName(scanCode, virtualKey);
  ActivateKeyboardLayout(usLayout, 0);
  std::wstring name = KeyName(scanCode, virtualKey);
  ActivateKeyboardLayout(current, 0);
  return name;
}

// Media and browser keys that layouts commonly leave unnamed.
const char* EnglishMediaKeyName(UINT virtualKey) {
  static const char* const kNames[] = {
      "Browser Back",      "Browser Forward",     "Browser Refresh",     "Browser Stop",     "Browser Search",
      "Browser Favorites", "Browser Start/Home",  "Volume Mute",         "Volume Down",      "Volume Up",
      "Next Track",        "Previous Track",      "Stop Media",          "Play/Pause Media", "Start Mail",
      "Select Media",      "Start Application 1", "Start Application 2",
  };
  static_assert(std::size(kNames) == 183 - 166 + 1);
  return virtualKey >= 166 && virtualKey <= 183 ? kNames[virtualKey - 166] : nullptr;
}

bool OnlyCapitals(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace

THotKeyManager::THotKeyManager(forms::TComponent* owner)
    : TComponent(owner), thread_(GetCurrentThreadId()), serial_(++lastSerial) {
  const std::uint64_t serial = serial_;
  window_ = std::make_unique<forms::UtilityWindow>(
      [serial](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto found = livingManagers.find(serial);
        return found == livingManagers.end() ? 0 : found->second->WindowProcedure(message, wParam, lParam);
      },
      forms::UtilityWindow::Kind::MessageOnly);
  livingManagers.emplace(serial_, this);
}

THotKeyManager::~THotKeyManager() {
  UnregisterAllHotKeys();
  livingManagers.erase(serial_);
}

HWND THotKeyManager::Handle() const { return window_->Handle(); }

std::uint16_t THotKeyManager::RegisterHotKeyValue(std::uint32_t hotKey) {
  assert(thread_ == GetCurrentThreadId());
  hotKey &= kHotKeyBits;
  const UINT virtualKey = hotKey & 0xFF;
  // The system accepts a hot key without a key, which no press could match.
  if (virtualKey == 0 || !Handle()) return 0;
  hotKeys_.reserve(hotKeys_.size() + 1);
  const std::wstring name = forms::widen("HotKeyManagerHotKey" + std::to_string(hotKey));
  const ATOM identifier = GlobalAddAtomW(name.c_str());
  if (identifier == 0) return 0;
  if (!RegisterHotKey(Handle(), identifier, SystemModifiers(hotKey), virtualKey)) {
    GlobalDeleteAtom(identifier);
    return 0;
  }
  hotKeys_.push_back({hotKey, identifier});
  return identifier;
}

void THotKeyManager::UnregisterAllHotKeys() {
  assert(thread_ == GetCurrentThreadId());
  while (!hotKeys_.empty()) {
    const ATOM identifier = hotKeys_.back().identifier;
    UnregisterHotKey(Handle(), identifier);
    GlobalDeleteAtom(identifier);
    hotKeys_.pop_back();
  }
}

LRESULT THotKeyManager::WindowProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
  // Every message goes on to the default handling. For a hot key that is done
  // before the event, whose handler may free this manager.
  const LRESULT result = window_->DefaultHandle(message, wParam, lParam);
  if (message != WM_HOTKEY || !OnHotKeyPressed) return result;
  const std::uint32_t value = ValueFromSystem(LOWORD(lParam), HIWORD(lParam));
  const auto index = static_cast<std::uint16_t>(LOWORD(wParam));
  const auto found = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const HotKey& k) { return k.value == value; });
  // A message naming another identifier is not one of our presses.
  if (found == hotKeys_.end() || found->identifier != index) return result;
  const TOnHotKeyPressed handler = OnHotKeyPressed;
  handler(value, index);
  return result;
}

std::string HotKeyValueText(std::uint32_t hotKey, bool localized) {
  const ModifierNames& names = localized ? localNames : kEnglishNames;
  std::string text;
  if (hotKey & kHotKeyCtrl) text += names.ctrl + "+";
  if (hotKey & kHotKeyShift) text += names.shift + "+";
  if (hotKey & kHotKeyAlt) text += names.alt + "+";
  if (hotKey & kHotKeyWin) text += names.win + "+";
  const UINT virtualKey = hotKey & 0xFF;
  const std::wstring key = KeyPart(virtualKey, localized);
  const char* english = EnglishMediaKeyName(virtualKey);
  if (key.size() <= 1 && english) return text + english;
  return text + forms::narrow(key);
}

void HotKeyManagerUnitInit() {
  if (unitStarted) return;
  unitStarted = true;
  localNames.shift = HotKeyValueText(VK_SHIFT, true);
  localNames.ctrl = HotKeyValueText(VK_CONTROL, true);
  localNames.alt = HotKeyValueText(VK_MENU, true);
  if (OnlyCapitals(localNames.alt)) localNames.win = "WIN";
  HKL installed[100];
  const int count = std::max(GetKeyboardLayoutList(100, installed), 0);
  usLayout = LoadKeyboardLayoutW(L"00000409", KLF_NOTELLSHELL);
  usLayoutLoadedHere = usLayout && std::find(installed, installed + count, usLayout) == installed + count;
}

void HotKeyManagerUnitDone() {
  if (!unitStarted) return;
  if (usLayoutLoadedHere) UnloadKeyboardLayout(usLayout);
  usLayout = nullptr;
  usLayoutLoadedHere = false;
  localNames = kEnglishNames;
  unitStarted = false;
}

}  // namespace desktop
