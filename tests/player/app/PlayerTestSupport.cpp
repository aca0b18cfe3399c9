#include "tests/player/app/PlayerTestSupport.h"

#include <sstream>

namespace playertest {

std::filesystem::path Fixture(std::string_view name) {
  return svtest::BuiltFile("tests/player/app/fixtures") / svtest::PathFromUtf8(name);
}

namespace {
constexpr wchar_t kPlayerX11Key[] = L"Software\\Wine\\AppDefaults\\Sorivanel.exe\\X11 Driver";

// No list work runs and no argument waits for its turn.
bool NothingPending(std::map<std::string, std::string>& state) { return state["Busy"] == "0" && state["Held"] == "0"; }
}  // namespace

ManagedWindows::ManagedWindows() {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kPlayerX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key_, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Y"), 2 * sizeof(wchar_t));
}

ManagedWindows::~ManagedWindows() {
  if (!key_) return;
  RegCloseKey(key_);
  RegDeleteKeyW(HKEY_CURRENT_USER, kPlayerX11Key);
}

PlayerProgram::PlayerProgram() = default;

void PlayerProgram::TearDown() {
  watcher.reset();
  if (player && player->Running()) {
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (!player->WaitForExit(60000)) {
      ADD_FAILURE() << "the player did not end";
      player->Kill();
    }
  }
}

void PlayerProgram::Prepare(const std::string& ini, const std::string& m3u) {
  for (const char* file : {"Sorivanel.exe", "sono.dll", "sonocd.dll"})
    program = folder.CopyIn(svtest::BuiltFile(std::string("player/app/") + file));
  program = folder / "Sorivanel.exe";
  // The tests never reach the network.
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\n" + ini);
  if (!m3u.empty()) folder.Write("Sorivanel.m3u", m3u);
}

void PlayerProgram::Start(const std::vector<std::string>& arguments, bool expectBoxes,
                          const std::filesystem::path& workingFolder) {
  if (program.empty()) Prepare();
  svtest::LaunchOptions options;
  options.workingFolder = workingFolder.empty() ? folder.Path() : workingFolder;
  options.environment.emplace_back("SORIVANEL_AUTOMATION", "1");
  player = std::make_unique<svtest::ProgramUnderTest>(program, arguments, options);
  watcher = std::make_unique<svtest::MessageBoxWatcher>(
      player->Id(), expectBoxes ? svtest::MessageBoxWatcher::Mode::Record : svtest::MessageBoxWatcher::Mode::FailOnBox);
  appWindow = player->WaitForWindow("TApplication", "Sorivanel", 60000);
  mainWindow = player->WaitForWindow("TForm1", "", 60000);
  ASSERT_NE(appWindow, nullptr);
  ASSERT_NE(mainWindow, nullptr);
  // The window may answer while its start-up still runs.
  ASSERT_TRUE(WaitFor("Started", "1", 60000));
}

DWORD PlayerProgram::Second(const std::vector<std::string>& arguments, DWORD timeoutMs) {
  const DWORD exitCode = SecondEnded(arguments, timeoutMs);
  WaitUntilTreated();
  return exitCode;
}

DWORD PlayerProgram::SecondEnded(const std::vector<std::string>& arguments, DWORD timeoutMs) {
  return svtest::RunProgram(program, arguments, timeoutMs).exitCode;
}

bool PlayerProgram::WaitUntilTreated() {
  return svtest::WaitUntil(
      [&] {
        auto state = State();
        return state.empty() || NothingPending(state);
      },
      60000);
}

DWORD PlayerProgram::SecondIn(const std::filesystem::path& workingFolder, const std::vector<std::string>& arguments) {
  svtest::LaunchOptions options;
  options.workingFolder = workingFolder;
  svtest::ProgramUnderTest second(program, arguments, options);
  if (!second.WaitForExit(20000)) {
    ADD_FAILURE() << "the second start did not end";
    return ~DWORD(0);
  }
  WaitUntilTreated();
  return second.ExitCode().value_or(~DWORD(0));
}

void PlayerProgram::Quit() {
  EXPECT_EQ(Second({"/quit"}), 0u);
  EXPECT_TRUE(player->WaitForExit(60000)) << "the player did not end after /quit";
}

std::map<std::string, std::string> PlayerProgram::State(const std::string& component) {
  return FormState("Form1", component);
}

std::map<std::string, std::string> PlayerProgram::FormState(const std::string& form, const std::string& component) {
  std::map<std::string, std::string> values;
  auto reply = client.Request(appWindow, {"state", form, component});
  if (!reply || !reply->ok) return values;
  std::istringstream lines(reply->text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::string PlayerProgram::Value(const std::string& key, const std::string& component) {
  auto values = State(component);
  auto found = values.find(key);
  return found == values.end() ? "<none>" : found->second;
}

bool PlayerProgram::WaitFor(const std::string& key, const std::string& value, DWORD timeoutMs,
                            const std::string& component) {
  return svtest::WaitUntil([&] { return Value(key, component) == value; }, timeoutMs);
}

bool PlayerProgram::WaitForList(std::size_t entries) {
  return svtest::WaitUntil(
      [&] {
        auto state = State();
        return state["Entries"] == std::to_string(entries) && NothingPending(state);
      },
      30000);
}

HWND PlayerProgram::OpenTagEditorOn(const std::vector<int>& entries) {
  HWND list = svtest::FindChildByName(mainWindow, "ListBox1");
  if (!list) return nullptr;
  // A click on the first entry gives the list the focus; the selection is
  // set once the click has been seen, so that it cannot undo it.
  svtest::SendTo(list, LB_SETSEL, FALSE, static_cast<LPARAM>(-1));
  RECT first{};
  svtest::SendTo(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const LPARAM at = MAKELPARAM(first.left + 10, (first.top + first.bottom) / 2);
  svtest::PostTo(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  svtest::PostTo(list, WM_LBUTTONUP, 0, at);
  if (!svtest::WaitUntil([&] { return svtest::SendTo(list, LB_GETSEL, 0).value_or(0) > 0; }, 20000)) return nullptr;
  svtest::SendTo(list, LB_SETSEL, FALSE, static_cast<LPARAM>(-1));
  for (int entry : entries) svtest::SendTo(list, LB_SETSEL, TRUE, entry);
  svtest::PostTo(list, WM_KEYDOWN, 'I', 0);
  HWND editor = player->WaitForWindow("TFormTag", "", 20000);
  // The file list's first item is chosen once the files are loaded.
  if (!editor ||
      !svtest::WaitUntil([&] { return FormState("FormTag", "ComboBox1")["ItemIndex"] == "0"; }, 20000))
    return nullptr;
  return editor;
}

std::vector<std::string> PlayerProgram::SavedEntries() const {
  std::vector<std::string> entries;
  std::istringstream lines(folder.Read("Sorivanel.m3u").value_or(""));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#' && line.rfind("\xEF\xBB\xBF", 0) != 0) entries.push_back(line);
  }
  return entries;
}

sv::IniFile PlayerProgram::Settings() const { return sv::IniFile(svtest::PathToUtf8(folder / "Sorivanel.ini")); }

std::string PlayerProgram::Place(std::string_view fixture, std::string_view name) {
  return svtest::PathToUtf8(folder.CopyIn(Fixture(fixture), name));
}

void PressWithCtrl(WORD key) {
  INPUT keys[4] = {};
  for (INPUT& input : keys) input.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = key;
  keys[2].ki.wVk = key;
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_CONTROL;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
}

}  // namespace playertest
