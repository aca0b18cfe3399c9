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

// A Run value written by hand may quote the path.
std::string_view Unquoted(std::string_view s) {
  s = sv::Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

}  // namespace

std::string PlayerCommand(std::string_view exePath) {
  return "\"" + std::string(exePath) + "\" \"%1\"";
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
    if (!registry_.Write(RegistryRoot::LocalMachine, reg::kRunKey, reg::kRunValue, exePath_))
      registry_.Write(RegistryRoot::CurrentUser, reg::kRunKey, reg::kRunValue, exePath_);
    return;
  }
  registry_.DeleteValue(RegistryRoot::LocalMachine, reg::kRunKey, reg::kRunValue);
  registry_.DeleteValue(RegistryRoot::CurrentUser, reg::kRunKey, reg::kRunValue);
}

void Associations::TakeOver(std::string_view key, std::string_view ours, bool alreadyOurs) {
  if (!alreadyOurs) {
    // What the key named before, even nothing (an empty backup), so that
    // letting go restores exactly that; our own value is never kept.
    const auto previous = registry_.Read(RegistryRoot::ClassesRoot, key, "");
    if (!registry_.Write(RegistryRoot::ClassesRoot, key, reg::kBackupValue, previous.value_or(""))) return;
  }
  registry_.Write(RegistryRoot::ClassesRoot, key, "", ours);
}

void Associations::GiveBack(std::string_view key, bool dropIfNoBackup) {
  const auto backup = registry_.Read(RegistryRoot::ClassesRoot, key, reg::kBackupValue);
  if (backup) {
    const bool restored = backup->empty() ? registry_.DeleteValue(RegistryRoot::ClassesRoot, key, "")
                                          : registry_.Write(RegistryRoot::ClassesRoot, key, "", *backup);
    if (restored) registry_.DeleteValue(RegistryRoot::ClassesRoot, key, reg::kBackupValue);
  } else if (dropIfNoBackup) {
    registry_.DeleteValue(RegistryRoot::ClassesRoot, key, "");
  }
}

void Associations::SetAssociated(std::string_view entry, bool ticked, bool anyTicked) {
  if (const auto key = ExtensionKey(entry)) {
    // Only the key's (default) and our backup beside it change: other
    // programs keep their values and sub-keys under the extension.
    const bool ours = IsOurClass(registry_.Read(RegistryRoot::ClassesRoot, *key, ""));
    if (ticked)
      TakeOver(*key, reg::kFileClass, ours);
    else if (ours)
      GiveBack(*key, true);
  }
  TypeSorivanelFile(anyTicked);
}

void Associations::TypeSorivanelFile(bool create) {
  if (create) {
    if (registry_.Write(RegistryRoot::ClassesRoot, reg::kClassCommand, "", command_))
      registry_.Write(RegistryRoot::ClassesRoot, reg::kClassIcon, "", iconPath_.empty() ? exePath_ : iconPath_);
  } else {
    for (const char* key :
         {reg::kClassCommand, R"(sorivanel_file\shell\open)", R"(sorivanel_file\shell)", reg::kFileClass})
      registry_.DeleteKey(RegistryRoot::ClassesRoot, key);
  }
  // The shell's icons and menus of the associated files change with it.
  registry_.AssociationsChanged();
}

void Associations::SetCdVerb(bool on) {
  const bool ours = HasCdVerb();
  if (on)
    TakeOver(reg::kCdCommand, command_, ours);
  else if (ours)
    // Without a backup the command stays: the player cannot know what the
    // drive should play with instead.
    GiveBack(reg::kCdCommand, false);
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
