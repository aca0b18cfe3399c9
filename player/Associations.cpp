#include "player/Associations.h"

#include "base/Ascii.h"

namespace player {

namespace {

constexpr std::size_t kMaxExtension = 16;

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string UpperAscii(std::string_view s) {
  std::string upper(s);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// A Run value may quote the path or not: older versions wrote it bare.
std::string_view Unquoted(std::string_view s) {
  s = sv::Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

std::string_view FileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Quoted(std::string_view path) { return "\"" + std::string(path) + "\""; }

constexpr std::string_view kArgument = " \"%1\"";

}  // namespace

std::optional<std::string> Registry::Read(RegistryRoot root, std::string_view key, std::string_view name) const {
  auto value = ReadText(root, key, name);
  if (!value) return std::nullopt;
  return std::move(value->Text);
}

bool Registry::Write(RegistryRoot root, std::string_view key, std::string_view name, std::string_view value) {
  return WriteText(root, key, name, RegistryText{std::string(value), false});
}

std::string PlayerCommand(std::string_view exePath) { return Quoted(exePath) + std::string(kArgument); }

std::optional<std::string_view> PlayerCommandProgram(std::string_view command) {
  if (!command.starts_with('"') || !command.ends_with(kArgument)) return std::nullopt;
  const std::string_view program = command.substr(1, command.size() - 1 - kArgument.size());
  if (!program.ends_with('"')) return std::nullopt;
  const std::string_view path = program.substr(0, program.size() - 1);
  if (path.empty() || path.find('"') != std::string_view::npos) return std::nullopt;
  return path;
}

std::optional<std::string> ExtensionKey(std::string_view entry) {
  if (entry.empty() || entry.size() > kMaxExtension) return std::nullopt;
  for (const char c : entry)
    if (!IsAsciiAlnum(c)) return std::nullopt;
  return "." + sv::LowerAscii(entry);
}

std::vector<std::string> AssociationEntries(const std::vector<std::string>& supportedExtensions) {
  std::vector<std::string> entries{"M3U", "PLS"};
  for (const std::string& extension : supportedExtensions)
    if (ExtensionKey(extension)) entries.push_back(UpperAscii(extension));
  return entries;
}

Associations::Associations(Registry& registry, std::string exePath, std::string iconPath)
    : registry_(registry),
      exePath_(std::move(exePath)),
      command_(PlayerCommand(exePath_)),
      iconPath_(std::move(iconPath)) {}

bool Associations::IsOurCommand(const std::optional<std::string>& value) const {
  return value && registry_.SameText(*value, command_);
}

bool Associations::IsAnyCopysCommand(const std::optional<std::string>& value) const {
  if (!value) return false;
  const auto program = PlayerCommandProgram(*value);
  return program && registry_.SameText(FileName(*program), FileName(exePath_));
}

bool Associations::IsOurClass(const std::optional<std::string>& value) const {
  return value && registry_.SameText(*value, reg::kFileClass);
}

// The class names this program: after a move the old command no longer
// matches, and every extension shows as not associated.
bool Associations::ClassIsOurs() const {
  return IsOurCommand(registry_.Read(RegistryRoot::ClassesRoot, reg::kClassCommand, ""));
}

AssociationState Associations::Read(const std::vector<std::string>& supportedExtensions) const {
  AssociationState state;
  state.StartWithWindows = StartsWithWindows();
  state.Entries = AssociationEntries(supportedExtensions);
  const bool classIsOurs = ClassIsOurs();
  for (const std::string& entry : state.Entries) {
    const auto key = ExtensionKey(entry);
    state.Ticked.push_back(classIsOurs && key && IsOurClass(registry_.Read(RegistryRoot::ClassesRoot, *key, "")));
  }
  state.CdVerb = HasCdVerb();
  state.FolderVerb = HasFolderVerb();
  return state;
}

bool Associations::StartsWithWindows() const {
  for (const RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
    const auto value = registry_.Read(root, reg::kRunKey, reg::kRunValue);
    if (value && registry_.SameText(Unquoted(*value), exePath_)) return true;
  }
  return false;
}

bool Associations::IsAssociated(std::string_view entry) const {
  const auto key = ExtensionKey(entry);
  return key && ClassIsOurs() && IsOurClass(registry_.Read(RegistryRoot::ClassesRoot, *key, ""));
}

bool Associations::HasCdVerb() const {
  return IsOurCommand(registry_.Read(RegistryRoot::ClassesRoot, reg::kCdCommand, ""));
}

bool Associations::HasFolderVerb() const {
  return IsOurCommand(registry_.Read(RegistryRoot::ClassesRoot, reg::kFolderCommand, ""));
}

void Associations::SetStartWithWindows(bool on) {
  if (on) {
    const std::string value = Quoted(exePath_);
    if (!registry_.Write(RegistryRoot::LocalMachine, reg::kRunKey, reg::kRunValue, value))
      registry_.Write(RegistryRoot::CurrentUser, reg::kRunKey, reg::kRunValue, value);
    return;
  }
  registry_.DeleteValue(RegistryRoot::LocalMachine, reg::kRunKey, reg::kRunValue);
  registry_.DeleteValue(RegistryRoot::CurrentUser, reg::kRunKey, reg::kRunValue);
}

void Associations::TakeOver(std::string_view key, std::string_view ours, bool keepBackup) {
  if (!keepBackup) {
    // What the key named before, of its kind, even nothing (an empty
    // backup), so that letting go restores exactly that.
    const auto previous = registry_.ReadText(RegistryRoot::ClassesRoot, key, "");
    if (!registry_.WriteText(RegistryRoot::ClassesRoot, key, reg::kBackupValue, previous.value_or(RegistryText{})))
      return;
  }
  registry_.Write(RegistryRoot::ClassesRoot, key, "", ours);
}

void Associations::GiveBack(std::string_view key, bool dropIfNoBackup) {
  const auto backup = registry_.ReadText(RegistryRoot::ClassesRoot, key, reg::kBackupValue);
  if (backup) {
    const bool restored = backup->Text.empty() ? registry_.DeleteValue(RegistryRoot::ClassesRoot, key, "")
                                               : registry_.WriteText(RegistryRoot::ClassesRoot, key, "", *backup);
    if (restored) registry_.DeleteValue(RegistryRoot::ClassesRoot, key, reg::kBackupValue);
  } else if (dropIfNoBackup) {
    registry_.DeleteValue(RegistryRoot::ClassesRoot, key, "");
  }
}

void Associations::SetAssociated(std::string_view entry, bool ticked, bool anyTicked) {
  const auto key = ExtensionKey(entry);
  // Only the key's (default) and our backup beside it change: other
  // programs keep their values and sub-keys under the extension.
  const bool ours = key && IsOurClass(registry_.Read(RegistryRoot::ClassesRoot, *key, ""));
  if (ticked) {
    // The type first: an extension never names a type that does not exist.
    if (WriteFileType() && key) TakeOver(*key, reg::kFileClass, ours);
  } else {
    if (ours) GiveBack(*key, true);
    if (anyTicked)
      WriteFileType();
    else
      DeleteFileType();
  }
  registry_.AssociationsChanged();
}

bool Associations::WriteFileType() {
  if (!registry_.Write(RegistryRoot::ClassesRoot, reg::kClassCommand, "", command_)) return ClassIsOurs();
  registry_.Write(RegistryRoot::ClassesRoot, reg::kClassIcon, "", iconPath_.empty() ? exePath_ : iconPath_);
  return true;
}

void Associations::DeleteFileType() {
  for (const char* key : {reg::kClassCommand, R"(sorivanel_file\shell\open)", R"(sorivanel_file\shell)", reg::kFileClass})
    registry_.DeleteKey(RegistryRoot::ClassesRoot, key);
}

bool Associations::TypeSorivanelFile(bool create) {
  bool exists = false;
  if (create)
    exists = WriteFileType();
  else
    DeleteFileType();
  // The shell's icons and menus of the associated files change with it.
  registry_.AssociationsChanged();
  return exists;
}

void Associations::SetCdVerb(bool on) {
  const bool anyCopys = IsAnyCopysCommand(registry_.Read(RegistryRoot::ClassesRoot, reg::kCdCommand, ""));
  if (on) {
    TakeOver(reg::kCdCommand, command_, anyCopys);
  } else if (anyCopys) {
    // Without a backup the command stays: the player cannot know what the
    // drive should play with instead.
    GiveBack(reg::kCdCommand, false);
    // Nothing was there before the player: the keys it made go as well.
    if (registry_.DeleteEmptyKey(RegistryRoot::ClassesRoot, reg::kCdCommand))
      for (const char* parent : reg::kCdCommandParents)
        if (!registry_.DeleteEmptyKey(RegistryRoot::ClassesRoot, parent)) break;
  }
  registry_.AssociationsChanged();
}

void Associations::SetFolderVerb(bool on, std::string_view verbText) {
  if (on) {
    if (registry_.Write(RegistryRoot::ClassesRoot, reg::kFolderVerb, "", verbText))
      registry_.Write(RegistryRoot::ClassesRoot, reg::kFolderCommand, "", command_);
  } else {
    registry_.DeleteKey(RegistryRoot::ClassesRoot, reg::kFolderCommand);
    registry_.DeleteKey(RegistryRoot::ClassesRoot, reg::kFolderVerb);
  }
  registry_.AssociationsChanged();
}

}  // namespace player
