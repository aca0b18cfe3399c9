// System-wide hot keys pressed for real (SendInput) and checked from a
// second process (sv_probe); the text form against the system's own key names.
#include "desktop/HotKeyManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "forms/Wide.h"
#include "tests/desktop/MessagePump.h"
#include "tests/support/ProgramUnderTest.h"

using desktop::HotKeyValueText;
using desktop::THotKeyManager;
using desktop_test::PumpFor;
using desktop_test::PumpUntil;

namespace {

constexpr std::uint32_t kCtrlF9 = 0x4078;  // 16504
const wchar_t kCtrlF9AtomName[] = L"HotKeyManagerHotKey16504";
constexpr int kMustArriveMs = 30000;

struct Press {
  std::uint32_t hotKey;
  std::uint16_t index;
};

struct PressLog {
  std::vector<Press> presses;
  THotKeyManager::TOnHotKeyPressed Handler() {
    return [this](std::uint32_t hotKey, std::uint16_t index) { presses.push_back({hotKey, index}); };
  }
  bool WaitFor(size_t count) {
    return PumpUntil([&] { return presses.size() >= count; }, kMustArriveMs);
  }
};

void AddKey(std::vector<INPUT>& inputs, WORD virtualKey, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = flags;
  inputs.push_back(input);
}

void PressCtrlF9() {
  std::vector<INPUT> inputs;
  AddKey(inputs, VK_CONTROL, 0);
  AddKey(inputs, VK_F9, 0);
  AddKey(inputs, VK_F9, KEYEVENTF_KEYUP);
  AddKey(inputs, VK_CONTROL, KEYEVENTF_KEYUP);
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

// Exit code of a second process that tries to take the keys: 0 when they
// were free, 1409 when they are held.
DWORD ProbeHotKey(UINT modifiers, UINT virtualKey) {
  return svtest::RunProbe({"hotkey", std::to_string(modifiers), std::to_string(virtualKey)}).exitCode;
}

std::string SystemKeyName(UINT virtualKey) {
  wchar_t buffer[256];
  const int length = GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16), buffer, 256);
  return forms::narrow(std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0));
}

class HotKeyManagerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { desktop::HotKeyManagerUnitInit(); }
  static void TearDownTestSuite() { desktop::HotKeyManagerUnitDone(); }
};

TEST_F(HotKeyManagerTest, PressOfARegisteredHotKeyIsReported) {
  PressLog log;
  THotKeyManager manager(nullptr);
  manager.OnHotKeyPressed = log.Handler();
  const std::uint16_t id = manager.RegisterHotKeyValue(kCtrlF9);
  ASSERT_NE(id, 0);
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), id);

  PressCtrlF9();
  ASSERT_TRUE(log.WaitFor(1));
  PumpFor(100);
  ASSERT_EQ(log.presses.size(), 1u);
  EXPECT_EQ(log.presses[0].hotKey, 16504u);
  EXPECT_EQ(log.presses[0].index, id);
}

TEST_F(HotKeyManagerTest, TakenKeysAreRefusedWithoutLeakingTheAtom) {
  THotKeyManager manager(nullptr), other(nullptr);
  ASSERT_NE(manager.RegisterHotKeyValue(kCtrlF9), 0);
  EXPECT_EQ(manager.RegisterHotKeyValue(kCtrlF9), 0);
  EXPECT_EQ(other.RegisterHotKeyValue(kCtrlF9), 0);
  EXPECT_EQ(other.RegisterHotKeyValue(kCtrlF9 | 0x100000), 0) << "stray bits name the same keys";
  manager.UnregisterAllHotKeys();
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), 0);
}

TEST_F(HotKeyManagerTest, AfterUnregisterAllNoEventsAndTheKeysRegisterAgain) {
  PressLog log;
  THotKeyManager manager(nullptr);
  manager.OnHotKeyPressed = log.Handler();
  const std::uint16_t first = manager.RegisterHotKeyValue(kCtrlF9);
  const std::uint16_t ctrlF10 = manager.RegisterHotKeyValue(kCtrlF9 + 1);
  ASSERT_NE(first, 0);
  ASSERT_NE(ctrlF10, 0);
  manager.UnregisterAllHotKeys();
  EXPECT_EQ(GlobalFindAtomW(L"HotKeyManagerHotKey16505"), 0);
  PressCtrlF9();
  PumpFor(400);
  EXPECT_TRUE(log.presses.empty());

  const std::uint16_t again = manager.RegisterHotKeyValue(kCtrlF9);
  ASSERT_NE(again, 0);
  PressCtrlF9();
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.presses[0].index, again);
}

TEST_F(HotKeyManagerTest, PressesWithoutAHandlerAreNotKept) {
  PressLog log;
  THotKeyManager manager(nullptr);
  ASSERT_NE(manager.RegisterHotKeyValue(kCtrlF9), 0);
  PressCtrlF9();
  PumpFor(400);
  manager.OnHotKeyPressed = log.Handler();
  PressCtrlF9();
  ASSERT_TRUE(log.WaitFor(1));
  PumpFor(200);
  EXPECT_EQ(log.presses.size(), 1u);
}

TEST_F(HotKeyManagerTest, StrayBitsAreDroppedBeforeRegistering) {
  PressLog log;
  THotKeyManager manager(nullptr);
  manager.OnHotKeyPressed = log.Handler();
  const std::uint16_t id = manager.RegisterHotKeyValue(kCtrlF9 | 0x100000 | 0x1000 | 0x300);
  ASSERT_NE(id, 0);
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), id);
  PressCtrlF9();
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.presses[0].hotKey, kCtrlF9);
}

TEST_F(HotKeyManagerTest, ValueWithoutAKeyIsNotRegistered) {
  THotKeyManager manager(nullptr);
  EXPECT_EQ(manager.RegisterHotKeyValue(0), 0);
  EXPECT_EQ(manager.RegisterHotKeyValue(0x4000), 0);
  EXPECT_EQ(manager.RegisterHotKeyValue(0x4000 | 0x100), 0);
  EXPECT_EQ(GlobalFindAtomW(L"HotKeyManagerHotKey0"), 0);
  EXPECT_EQ(GlobalFindAtomW(L"HotKeyManagerHotKey16384"), 0);
  EXPECT_EQ(ProbeHotKey(0, 0), 0) << "nothing was taken for the empty value";
}

TEST_F(HotKeyManagerTest, HeldKeysAreTakenForOtherProcesses) {
  {
    THotKeyManager manager(nullptr);
    ASSERT_NE(manager.RegisterHotKeyValue(kCtrlF9), 0);
    EXPECT_EQ(ProbeHotKey(MOD_CONTROL, VK_F9), ERROR_HOTKEY_ALREADY_REGISTERED);
    manager.UnregisterAllHotKeys();
    EXPECT_EQ(ProbeHotKey(MOD_CONTROL, VK_F9), 0);
    ASSERT_NE(manager.RegisterHotKeyValue(kCtrlF9), 0);
  }
  EXPECT_EQ(ProbeHotKey(MOD_CONTROL, VK_F9), 0) << "destroying the manager releases its keys";
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), 0);
}

TEST_F(HotKeyManagerTest, OwnerReleasesTheKeysOfItsManager) {
  forms::TComponent owner(nullptr);
  auto* manager = forms::New<THotKeyManager>(&owner, "HotKeyManager1");
  ASSERT_NE(manager->RegisterHotKeyValue(kCtrlF9), 0);
  EXPECT_EQ(owner.FindComponent("hotkeymanager1"), manager);
  owner.DestroyComponents();
  EXPECT_EQ(owner.ComponentCount(), 0u);
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), 0);
  EXPECT_EQ(ProbeHotKey(MOD_CONTROL, VK_F9), 0);
}

TEST_F(HotKeyManagerTest, MessagesNamingAnotherHotKeyAreIgnored) {
  PressLog log;
  THotKeyManager manager(nullptr);
  manager.OnHotKeyPressed = log.Handler();
  const std::uint16_t id = manager.RegisterHotKeyValue(kCtrlF9);
  ASSERT_NE(id, 0);
  HWND window = manager.Handle();
  SendMessageW(window, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL, VK_F9));
  ASSERT_EQ(log.presses.size(), 1u);
  SendMessageW(window, WM_HOTKEY, id + 1, MAKELPARAM(MOD_CONTROL, VK_F9));
  SendMessageW(window, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F9));
  SendMessageW(window, WM_HOTKEY, id, MAKELPARAM(0, 0));
  EXPECT_EQ(log.presses.size(), 1u);
}

TEST_F(HotKeyManagerTest, HandlerMayFreeItsManager) {
  auto manager = std::make_unique<THotKeyManager>(nullptr);
  int calls = 0;
  const std::string captured(256, 'x');  // the running closure owns memory
  manager->OnHotKeyPressed = [&manager, &calls, captured](std::uint32_t, std::uint16_t) {
    ++calls;
    manager.reset();
  };
  ASSERT_NE(manager->RegisterHotKeyValue(kCtrlF9), 0);
  PressCtrlF9();
  ASSERT_TRUE(PumpUntil([&] { return !manager; }, kMustArriveMs));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(GlobalFindAtomW(kCtrlF9AtomName), 0);
}

TEST_F(HotKeyManagerTest, EnglishTextNamesModifiersInOrderThenTheKey) {
  EXPECT_EQ(HotKeyValueText(0x6078, false), "Ctrl+Shift+F9");
  EXPECT_EQ(HotKeyValueText(0x1E000 | 'A', false), "Ctrl+Shift+Alt+Win+A");
  EXPECT_EQ(HotKeyValueText(VK_F9, false), "F9");
  EXPECT_EQ(HotKeyValueText(179, false), "Play/Pause Media");
  EXPECT_EQ(HotKeyValueText(desktop::kHotKeyAlt | 166, false), "Alt+Browser Back");
  EXPECT_EQ(HotKeyValueText(VK_UP, false), "Up");
  EXPECT_EQ(HotKeyValueText(VK_DELETE, false), "Delete");
  EXPECT_EQ(HotKeyValueText(0x4000, false), "Ctrl+");
}

TEST_F(HotKeyManagerTest, LocalizedTextUsesTheSystemsKeyNames) {
  const std::string ctrl = SystemKeyName(VK_CONTROL), shift = SystemKeyName(VK_SHIFT), alt = SystemKeyName(VK_MENU);
  const std::string f9 = SystemKeyName(VK_F9);
  ASSERT_FALSE(ctrl.empty());
  EXPECT_EQ(HotKeyValueText(0x6078, true), ctrl + "+" + shift + "+" + f9);
  EXPECT_EQ(HotKeyValueText(0x8000 | VK_F9, true), alt + "+" + f9);
  const bool altInCapitals = alt.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
  EXPECT_EQ(HotKeyValueText(0x10000 | VK_F9, true), (altInCapitals ? "WIN+" : "Win+") + f9);
}

}  // namespace
