// The registry entries on the system's own registry: written through the
// player's rules, read back with the plain registry calls and with the
// system's "reg" program. Each test puts back what it found.
#include "player/platform/SystemRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "forms/Wide.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/RegistryText.h"

namespace {

using player::Associations;
namespace reg = player::reg;

using svtest::RegRead;
using svtest::RegType;
using svtest::RegWrite;

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

std::string RegQuery(const std::string& key, const std::string& option) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return svtest::RunProgram(std::filesystem::path(system) / L"reg.exe", {"query", key, option}).output;
}

// Our keys removed before and after; ".mp3" and the CD command as they were.
class SystemRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    mp3_ = RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr);
    cd_ = RegRead(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr);
    exe_ = R"(C:\Program Files\Sorivanel Test\Sorivanel.exe)";
  }
  void TearDown() override {
    Clean();
    if (mp3_) RegWrite(HKEY_CLASSES_ROOT, L".mp3", nullptr, *mp3_);
    if (cd_)
      RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr, *cd_);
    else
      RegDeleteTreeW(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command");
  }
  static void Clean() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"sorivanel_file");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".svtestext");
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".mp3", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"sorivanel.BAK");
      RegDeleteValueW(key, L"Content Type");
      RegCloseKey(key);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".mp3\\OpenWithProgids");
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"sorivanel.BAK");
      RegCloseKey(key);
    }
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      if (RegOpenKeyExW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE, &key) ==
          ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Sorivanel");
        RegCloseKey(key);
      }
  }
  std::wstring Command() const { return forms::widen(player::PlayerCommand(exe_)); }

  player::SystemRegistry registry_;
  std::string exe_;
  std::optional<std::wstring> mp3_, cd_;
};

TEST_F(SystemRegistryTest, AnExtensionIsTakenAndGivenBackWithTheOtherProgramsValuesKept) {
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", nullptr, L"OtherPlayer.mp3");
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", L"Content Type", L"audio/mpeg");
  RegWrite(HKEY_CLASSES_ROOT, L".mp3\\OpenWithProgids", L"OtherPlayer.mp3", L"");
  Associations a(registry_, exe_);
  EXPECT_FALSE(a.Read({"mp3"}).Ticked[2]);

  a.SetAssociated("MP3", true, true);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"sorivanel_file");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"sorivanel.BAK"), L"OtherPlayer.mp3");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr), Command());
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\DefaultIcon", nullptr), forms::widen(exe_));
  EXPECT_NE(RegQuery("HKCR\\.mp3", "/ve").find("sorivanel_file"), std::string::npos) << RegQuery("HKCR\\.mp3", "/ve");
  EXPECT_TRUE(a.Read({"mp3"}).Ticked[2]);
  // The same program under another letter case.
  std::string other = exe_;
  for (char& c : other) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(Associations(registry_, other).IsAssociated("MP3"));

  a.SetAssociated("MP3", false, false);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"OtherPlayer.mp3");
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"sorivanel.BAK"));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"Content Type"), L"audio/mpeg");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".mp3\\OpenWithProgids"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"sorivanel_file"));
  EXPECT_EQ(RegQuery("HKCR\\.mp3", "/ve").find("sorivanel_file"), std::string::npos);

  // An extension with no handler before keeps its key but loses the (default).
  a.SetAssociated("SVTESTEXT", true, true);
  a.SetAssociated("SVTESTEXT", false, false);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".svtestext"));
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, L".svtestext", nullptr));
}

TEST_F(SystemRegistryTest, TheCdAndFolderVerbs) {
  constexpr wchar_t kCd[] = L"AudioCD\\shell\\play\\command";
  const std::wstring other = L"\"%ProgramFiles%\\Other\\cd.exe\" \"%1\"";
  RegWrite(HKEY_CLASSES_ROOT, kCd, nullptr, other, REG_EXPAND_SZ);
  Associations a(registry_, exe_);
  a.SetCdVerb(true);
  a.SetCdVerb(true);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kCd, nullptr), Command());
  EXPECT_EQ(RegType(HKEY_CLASSES_ROOT, kCd, nullptr), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kCd, L"sorivanel.BAK"), other);
  EXPECT_EQ(RegType(HKEY_CLASSES_ROOT, kCd, L"sorivanel.BAK"), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_TRUE(a.HasCdVerb());

  // Another copy of the program takes the verb: the first handler stays kept.
  Associations moved(registry_, R"(D:\Moved\Sorivanel.exe)");
  moved.SetCdVerb(true);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kCd, L"sorivanel.BAK"), other);

  // Given back as it was stored: an expandable command stays expandable.
  a.SetCdVerb(false);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kCd, nullptr), other);
  EXPECT_EQ(RegType(HKEY_CLASSES_ROOT, kCd, nullptr), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, kCd, L"sorivanel.BAK"));

  // With no command before, letting go leaves no key made for it.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play");
  const bool hadAudioCd = KeyExists(HKEY_CLASSES_ROOT, L"AudioCD");
  RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell", L"SvTestMark", L"kept");
  a.SetCdVerb(true);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kCd, nullptr), Command());
  a.SetCdVerb(false);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCd));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play"));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"AudioCD\\shell", L"SvTestMark"), L"kept");  // holds a value: stays
  HKEY shell = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"AudioCD\\shell", 0, KEY_SET_VALUE, &shell), ERROR_SUCCESS);
  RegDeleteValueW(shell, L"SvTestMark");
  RegCloseKey(shell);
  if (!hadAudioCd) RegDeleteTreeW(HKEY_CLASSES_ROOT, L"AudioCD");

  a.SetFolderVerb(true, "Lire avec Sorivanel \xC3\xA0 l'instant");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel", nullptr), L"Lire avec Sorivanel \u00e0 l'instant");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel\\command", nullptr), Command());
  EXPECT_TRUE(a.HasFolderVerb());
  a.SetFolderVerb(false, "");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel"));
}

TEST_F(SystemRegistryTest, StartWithWindowsOnAndOff) {
  Associations a(registry_, exe_);
  EXPECT_FALSE(a.StartsWithWindows());
  a.SetStartWithWindows(true);
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sorivanel"),
            L"\"" + forms::widen(exe_) + L"\"");
  EXPECT_TRUE(a.StartsWithWindows());
  a.SetStartWithWindows(false);
  EXPECT_FALSE(RegRead(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sorivanel"));

  // This user's key counts as well, unquoted by hand.
  RegWrite(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sorivanel",
           forms::widen(exe_));
  EXPECT_TRUE(a.StartsWithWindows());
  a.SetStartWithWindows(false);
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sorivanel"));
}

TEST_F(SystemRegistryTest, ReadingChangesNothing) {
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", nullptr, L"sorivanel_file");
  RegWrite(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr,
           L"\"D:\\Moved\\Sorivanel.exe\" \"%1\"");
  RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", L"sorivanel.BAK", L"old");
  RegWrite(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sorivanel",
           L"D:\\Moved\\Sorivanel.exe");
  const std::string before = RegQuery("HKCR\\sorivanel_file", "/s") + RegQuery("HKCR\\.mp3", "/s") +
                             RegQuery("HKCR\\AudioCD\\shell\\play\\command", "/s") +
                             RegQuery("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "/s");
  const player::AssociationState s = Associations(registry_, exe_).Read({"mp3"});
  EXPECT_FALSE(s.StartWithWindows);
  EXPECT_FALSE(s.Ticked[2]);
  EXPECT_FALSE(s.CdVerb);
  const std::string after = RegQuery("HKCR\\sorivanel_file", "/s") + RegQuery("HKCR\\.mp3", "/s") +
                            RegQuery("HKCR\\AudioCD\\shell\\play\\command", "/s") +
                            RegQuery("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "/s");
  EXPECT_EQ(before, after);
  EXPECT_NE(before.find("Moved"), std::string::npos) << before;
}

}  // namespace
