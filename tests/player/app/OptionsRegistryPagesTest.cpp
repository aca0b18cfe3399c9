// The options window's hot-key page, its registry entries (associations and
// start with Windows) and the pages for song names, connection, submission
// and about, in the real player. Pictures of these pages are left in the
// build folder (options-page<N>.png) for a person to look at.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "base/Ascii.h"
#include "base/PasswordCoding.h"
#include "base/TextFile.h"
#include "forms/Wide.h"
#include "tests/player/app/OptionsTestSupport.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/RegistryText.h"

namespace playertest {
namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

using svtest::RegRead;
using svtest::RegWrite;

void RegDeleteValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
  RegDeleteValueW(handle, name);
  RegCloseKey(handle);
}

// The system's own view of the keys the player may write.
std::string RegistrySnapshot() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::string text;
  for (const char* key : {"HKCR\\.mp3", "HKCR\\.wav", "HKCR\\sorivanel_file", "HKCR\\AudioCD\\shell\\play\\command",
                          "HKCR\\Folder\\shell\\Sorivanel", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"})
    text += svtest::RunProgram(std::filesystem::path(system) / L"reg.exe", {"query", key, "/s"}).output;
  return text;
}

class OptionsRegistryPages : public OptionsWindow {
 protected:
  void SetUp() override {
    OptionsWindow::SetUp();
    Clean();
    mp3_ = RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr);
    cd_ = RegRead(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr);
  }
  void TearDown() override {
    OptionsWindow::TearDown();
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
    for (const wchar_t* key : {L".mp3", L".wav", L"AudioCD\\shell\\play\\command"}) {
      RegDeleteValue(HKEY_CLASSES_ROOT, key, L"sorivanel.BAK");
      RegDeleteValue(HKEY_CLASSES_ROOT, key, L"Content Type");
    }
    RegDeleteValue(HKEY_LOCAL_MACHINE, kRunKey, L"Sorivanel");
    RegDeleteValue(HKEY_CURRENT_USER, kRunKey, L"Sorivanel");
  }

  std::wstring Exe() const { return program.wstring(); }
  std::wstring Command() const { return L"\"" + Exe() + L"\" \"%1\""; }

  // A link label reacts to a press and release of the mouse on it; both
  // are posted, so the test waits for what the click does.
  void ClickLink(const std::string& name, const std::function<bool()>& done) {
    auto reply = client.Request(appWindow, {"click", "FormOptions", name}, 30000);
    ASSERT_TRUE(reply && reply->ok) << name << ": " << (reply ? reply->text : "no answer");
    EXPECT_TRUE(svtest::WaitUntil(done, 20000)) << "no effect of " << name;
  }
  // Item `item` of a radio group counted from the top, clicked.
  void ChooseItem(const std::string& group, int item) {
    std::vector<HWND> buttons;
    for (HWND b = GetWindow(Control(group), GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) buttons.push_back(b);
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
      RECT ra{}, rb{};
      GetWindowRect(a, &ra);
      GetWindowRect(b, &rb);
      return ra.top < rb.top;
    });
    ASSERT_LT(static_cast<std::size_t>(item), buttons.size()) << group;
    svtest::SendTo(buttons[static_cast<std::size_t>(item)], BM_CLICK, 0, 0, 30000);
    EXPECT_EQ(OptionsValue("ItemIndex", group), std::to_string(item));
  }
  // A hot-key field set as a user's keys set it: the field changes, then
  // tells its parent.
  void SetHotKey(const std::string& name, WORD value) {
    HWND field = Control(name);
    svtest::SendTo(field, HKM_SETHOTKEY, value, 0);
    svtest::SendTo(GetParent(field), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), EN_CHANGE),
                   reinterpret_cast<LPARAM>(field));
  }
  WORD HotKeyOf(const std::string& name) {
    return static_cast<WORD>(svtest::SendTo(Control(name), HKM_GETHOTKEY, 0, 0).value_or(0));
  }
  // An entry of the associations list ticked or cleared with the space bar,
  // as a user does.
  void ToggleEntry(int index) {
    HWND list = Control("ListEXT");
    svtest::SendTo(list, WM_SETFOCUS, 0, 0);
    svtest::SendTo(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < index; ++i) svtest::SendTo(list, WM_KEYDOWN, VK_DOWN, 0);
    svtest::SendTo(list, WM_KEYDOWN, VK_SPACE, 0);
    svtest::SendTo(list, WM_KEYUP, VK_SPACE, 0);
  }
  bool Enabled(const std::string& name) { return IsWindowEnabled(Control(name)) != FALSE; }
  void TypeText(const std::string& edit, const std::string& text) {
    const std::wstring wide = forms::widen(text);
    // An edit field reports the change to its parent by itself.
    svtest::SendTo(Control(edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  std::string TextOf(const std::string& name) {
    HWND control = Control(name);
    const LRESULT length = svtest::SendTo(control, WM_GETTEXTLENGTH, 0, 0).value_or(0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    svtest::SendTo(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return forms::narrow(text);
  }
  static std::string ItemText(HWND list, int index) {
    std::wstring line(static_cast<std::size_t>(svtest::SendTo(list, LB_GETTEXTLEN, index, 0).value_or(0)) + 1, L'\0');
    svtest::SendTo(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
    line.resize(wcslen(line.c_str()));
    return forms::narrow(line);
  }
  std::vector<std::string> ListLines(const std::string& name) {
    HWND list = Control(name);
    std::vector<std::string> lines;
    const LRESULT count = svtest::SendTo(list, LB_GETCOUNT, 0, 0).value_or(0);
    for (LRESULT i = 0; i < count; ++i) lines.push_back(ItemText(list, static_cast<int>(i)));
    return lines;
  }
  // The main window's hot-key identifiers in the settings' order.
  std::vector<std::string> Ids() {
    std::vector<std::string> ids;
    std::istringstream split(Value("HotKeyIds"));
    for (std::string id; std::getline(split, id, ',');) ids.push_back(id);
    return ids;
  }
  std::string SettingsText() { return sv::ReadFileBytes(PathOf("Sorivanel.ini")); }

  std::optional<std::wstring> mp3_, cd_;
};

TEST_F(OptionsRegistryPages, OpeningAndClosingChangesNoRegistryValueAndNoSetting) {
  Prepare();
  // What another copy or program left: a Run value naming another path, an
  // extension whose class names a moved program, a CD command set after an
  // old backup of ours.
  RegWrite(HKEY_LOCAL_MACHINE, kRunKey, L"Sorivanel", L"D:\\Copy\\Sorivanel.exe");
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", nullptr, L"sorivanel_file");
  RegWrite(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr,
           L"\"D:\\Moved\\Sorivanel.exe\" \"%1\"");
  RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr, L"\"C:\\Other\\cd.exe\" \"%1\"");
  RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", L"sorivanel.BAK", L"old");
  const std::string registry = RegistrySnapshot();
  const std::string settings = SettingsText();

  OpenOptions();
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroup1"), "1");
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroupCDAudio"), "1");
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroupRepertoires"), "1");
  const std::string entries = OptionsValue("Entries", "ListEXT");
  EXPECT_TRUE(entries.starts_with("M3U=0,PLS=0,")) << entries;
  EXPECT_NE(entries.find("MP3=0"), std::string::npos) << entries;
  EXPECT_EQ(entries.find("=1"), std::string::npos) << entries;
  for (int page : {1, 3, 5, 6, 7, 8}) {
    ShowPage(page);
    SavePicture("options-page" + std::to_string(page) + ".png");
  }
  CloseOptions();
  EXPECT_EQ(RegistrySnapshot(), registry);
  EXPECT_EQ(SettingsText(), settings);
  Quit();
}

TEST_F(OptionsRegistryPages, TheHotKeyPageShowsStoresAndRegistersTheKeys) {
  Prepare();
  OpenOptions();
  ShowPage(1);
  // The eight defaults; the arrows as extended keys (HOTKEYF_EXT 8).
  const std::pair<const char*, WORD> defaults[] = {
      {"HotKeyPlay", 0x0278},     {"HotKeyPrev", 0x0279},     {"HotKeyNext", 0x027A},
      {"HotKeyVolUp", 0x0A26},    {"HotKeyVolDwn", 0x0A28},   {"HotKeyShowHide", 0x027B},
      {"HotKeyAvancerRapide", 0x0A27}, {"HotKeyReculerRapide", 0x0A25}};
  for (const auto& [name, value] : defaults) {
    EXPECT_EQ(HotKeyOf(name), value) << name;
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_FALSE(Enabled("BtnSetHotKey"));
  for (const std::string& id : Ids()) EXPECT_NE(id, "0");  // all eight registered at start

  // "Previous" takes Play's keys; "Next" becomes Alt+Shift+N; "fast
  // backward" is switched off; "volume down" is cleared to no key.
  SetHotKey("HotKeyPrev", 0x0278);
  SetHotKey("HotKeyNext", 0x054E);
  SetHotKey("HotKeyVolDwn", 0x0200);
  Click("CheckBox8");
  EXPECT_FALSE(Enabled("HotKeyReculerRapide"));
  EXPECT_TRUE(Enabled("BtnSetHotKey"));
  // Tab leaves a hot-key field for the next control, and Enter in a field
  // presses the page's apply button: neither becomes the field's key.
  svtest::PostTo(Control("HotKeyPlay"), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(svtest::WaitUntil(
      [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(Control("HotKeyPlay"), nullptr), &info);
        return info.hwndFocus == Control("CheckBox2");
      },
      20000));
  svtest::PostTo(Control("HotKeyNext"), WM_KEYDOWN, VK_RETURN, 0);
  // The identifiers are read on the window's thread: once "previous" has
  // lost its key, the apply has run to its end.
  EXPECT_TRUE(svtest::WaitUntil([&] { return Ids().size() == 8 && Ids()[1] == "0"; }, 20000));
  EXPECT_FALSE(Enabled("BtnSetHotKey"));
  EXPECT_EQ(HotKeyOf("HotKeyPlay"), 0x0278);
  EXPECT_EQ(HotKeyOf("HotKeyNext"), 0x054E);

  const sv::IniFile ini = Settings();
  EXPECT_EQ(ini.ReadString("HOTKEYS", "Prev", ""), "16504");
  EXPECT_EQ(ini.ReadString("HOTKEYS", "Next", ""), std::to_string(0x2000 | 0x8000 | 0x4E));
  EXPECT_EQ(ini.ReadString("HOTKEYS", "VolDwn", ""), "16384");
  EXPECT_EQ(ini.ReadString("HOTKEYS", "ReculerRapideActive", ""), "0");
  EXPECT_EQ(ini.ReadString("HOTKEYS", "ReculerRapide", ""), "16421");  // kept while switched off
  EXPECT_EQ(ini.ReadString("HOTKEYS", "PlayActive", ""), "1");

  // The first of two equal keys wins; no key and switched off register nothing.
  const std::vector<std::string> parts = Ids();
  ASSERT_EQ(parts.size(), 8u);
  EXPECT_NE(parts[0], "0");
  EXPECT_EQ(parts[1], "0");
  EXPECT_NE(parts[2], "0");
  EXPECT_EQ(parts[4], "0");
  EXPECT_EQ(parts[7], "0");
  // Ctrl+F10 and Ctrl+Left are free again; Alt+Shift+N is the player's.
  EXPECT_EQ(svtest::RunProbe({"hotkey", std::to_string(MOD_CONTROL), std::to_string(VK_F10)}).exitCode, 0u);
  EXPECT_EQ(svtest::RunProbe({"hotkey", std::to_string(MOD_CONTROL), std::to_string(VK_LEFT)}).exitCode, 0u);
  EXPECT_EQ(svtest::RunProbe({"hotkey", std::to_string(MOD_ALT | MOD_SHIFT), "78"}).exitCode, 1409u);
  CloseOptions();
  Quit();
}

TEST_F(OptionsRegistryPages, AssociationsAndStartWithWindowsAreWrittenOnTheUsersChoice) {
  Prepare();
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", nullptr, L"OtherPlayer.mp3");
  RegWrite(HKEY_CLASSES_ROOT, L".mp3", L"Content Type", L"audio/mpeg");
  RegWrite(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr, L"\"C:\\Other\\cd.exe\" \"%1\"");
  OpenOptions();
  ShowPage(3);
  const std::string entries = OptionsValue("Entries", "ListEXT");
  // M3U, PLS, then the formats the player reads, MP3 first.
  ASSERT_TRUE(entries.starts_with("M3U=0,PLS=0,MP3=0,")) << entries;

  ToggleEntry(2);
  EXPECT_TRUE(OptionsValue("Entries", "ListEXT").starts_with("M3U=0,PLS=0,MP3=1,"));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"sorivanel_file");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"sorivanel.BAK"), L"OtherPlayer.mp3");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr), Command());
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\DefaultIcon", nullptr), Exe());
  SavePicture("options-page3-ticked.png");

  // "< none >": the handler comes back, the other values stay, the class goes.
  ClickLink("LabelAssocAucun", [&] { return OptionsValue("Entries", "ListEXT").find("=1") == std::string::npos; });
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", nullptr), L"OtherPlayer.mp3");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"Content Type"), L"audio/mpeg");
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, L".mp3", L"sorivanel.BAK"));
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr));

  ChooseItem("RadioGroupCDAudio", 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr), Command());
  ChooseItem("RadioGroupCDAudio", 1);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"AudioCD\\shell\\play\\command", nullptr), L"\"C:\\Other\\cd.exe\" \"%1\"");

  ChooseItem("RadioGroupRepertoires", 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel", nullptr), L"Lire avec Sorivanel");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel\\command", nullptr), Command());
  ChooseItem("RadioGroupRepertoires", 1);
  EXPECT_FALSE(RegRead(HKEY_CLASSES_ROOT, L"Folder\\shell\\Sorivanel", nullptr));

  // The associated-file icon's default still makes the class.
  Click("BtnIconeFichiersDefaut");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"sorivanel_file\\shell\\open\\command", nullptr), Command());

  ShowPage(0);
  ChooseItem("RadioGroup1", 0);
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, kRunKey, L"Sorivanel"), L"\"" + Exe() + L"\"");
  ChooseItem("RadioGroup1", 1);
  EXPECT_FALSE(RegRead(HKEY_LOCAL_MACHINE, kRunKey, L"Sorivanel"));
  CloseOptions();

  // Shown again: what the registry holds now.
  OpenOptions();
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroupCDAudio"), "1");
  EXPECT_EQ(OptionsValue("Entries", "ListEXT").find("=1"), std::string::npos);
  CloseOptions();
  Quit();
}

TEST_F(OptionsRegistryPages, SongNamesConnectionAndSubmissionPages) {
  Prepare("[PROXY]\nActivate=0\nPORT=3128\n", "#EXTM3U\r\n#EXTINF:-1,saved text\r\na.wav\r\n");
  Place("a.wav");
  // A log far over what the view shows.
  {
    std::ofstream log(folder / "sori-scrobbler.log", std::ios::binary);
    for (int i = 0; i < 150000; ++i) log << "09-12-2026 10:00:00 - entry " << i << "\r\n";
  }
  Start({}, true);
  OpenOptions();

  ShowPage(5);
  EXPECT_EQ(TextOf("EditFormatNomTag"), "%artist - %album - %tracknb - %tracktitle");
  EXPECT_FALSE(Enabled("BtnValiderNomChansons"));
  // The default of a text that already holds it changes nothing (the help
  // shown after it proves the click was handled).
  ClickLink("LabelDefautFormatNomTag", [] { return true; });
  ClickLink("LabelAideFormatNomCDA", [&] { return ListLines("ListBoxAideFormatNom").size() == 4; });
  EXPECT_FALSE(Enabled("BtnValiderNomChansons"));
  EXPECT_EQ(ListLines("ListBoxAideFormatNom"),
            (std::vector<std::string>{"- Si CD Audio (.cda) -", "%filename   = Nom du fichier",
                                      "%rep0       = Répertoire contenant", "%fileext    = Extension du fichier"}));
  ClickLink("LabelAideFormatNomTag", [&] { return ListLines("ListBoxAideFormatNom").size() == 11; });
  EXPECT_EQ(ListLines("ListBoxAideFormatNom").front(), "- Si méta tag présent -");
  HWND playlist = svtest::FindChildByName(mainWindow, "ListBox1");
  ASSERT_NE(playlist, nullptr);
  EXPECT_EQ(sv::Trim(ItemText(playlist, 0)), "saved text");
  TypeText("EditFormatNomSansTag", "%filename");
  EXPECT_TRUE(Enabled("BtnValiderNomChansons"));
  Click("BtnValiderNomChansons");
  EXPECT_FALSE(Enabled("BtnValiderNomChansons"));
  EXPECT_EQ(Settings().ReadString("NOMCHANSONS", "FormatNomSansTag", ""), "%filename");
  // Every line of the playlist is built again with the new template.
  EXPECT_EQ(sv::Trim(ItemText(playlist, 0)), "a");
  EXPECT_EQ(Settings().ReadString("NOMCHANSONS", "FormatNomTag", ""), "%artist - %album - %tracknb - %tracktitle");

  ShowPage(6);
  EXPECT_EQ(TextOf("EditProxyPort"), "3128");
  EXPECT_FALSE(Enabled("BtnValiderProxy"));
  Click("CheckBoxProxy");
  EXPECT_TRUE(Enabled("BtnValiderProxy"));
  TypeText("EditProxyAddress", "127.0.0.1");
  TypeText("EditProxyPort", "99999");  // kept as typed: checked when used
  TypeText("EditProxyPass", "s3cret");
  Click("BtnValiderProxy");
  ASSERT_TRUE(watcher->WaitForBoxes(1));
  EXPECT_EQ(watcher->Seen().back().text, "Ce changement prendra effet au prochain démarrage de Sorivanel.");
  EXPECT_EQ(Settings().ReadString("PROXY", "Activate", ""), "1");
  EXPECT_EQ(Settings().ReadString("PROXY", "PORT", ""), "99999");
  EXPECT_EQ(Settings().ReadString("PROXY", "PASS", ""), sv::EncodePassword("s3cret"));
  EXPECT_EQ(SettingsText().find("s3cret"), std::string::npos);

  ShowPage(7);
  TypeText("EditAudioScrobblerUser", "listener");
  TypeText("EditAudioScrobblerPass", "pw");
  Click("BtnValiderAudioScrobbler");
  ASSERT_TRUE(watcher->WaitForBoxes(2));
  EXPECT_EQ(Settings().ReadString("LASTFMSCROBBLER", "User", ""), "listener");
  EXPECT_EQ(Settings().ReadString("LASTFMSCROBBLER", "Password", ""), sv::EncodePassword("pw"));
  EXPECT_EQ(Settings().ReadString("LASTFMSCROBBLER", "Activate", ""), "0");
  Click("CheckBoxMSN");
  EXPECT_EQ(Settings().ReadString("MSNCURRENTPLAY", "Activate", ""), "1");
  Click("CheckBoxMSN");
  EXPECT_EQ(Settings().ReadString("MSNCURRENTPLAY", "Activate", ""), "0");

  // The language module refreshed the log view when the window filled: the
  // tail of the log, in whole lines.
  const std::string log = TextOf("MemoAudioScrobbler");
  EXPECT_GT(log.size(), 60000u);
  EXPECT_LE(log.size(), 65536u);
  EXPECT_TRUE(log.starts_with("09-12-2026 10:00:00 - entry ")) << log.substr(0, 40);
  EXPECT_TRUE(log.ends_with("entry 149999\r\n"));

  ShowPage(8);
  EXPECT_TRUE(TextOf("RichEdit1").starts_with("Sorivanel v3.30"));
  CloseOptions();
  Quit();
}

}  // namespace
}  // namespace playertest
