#pragma once
// The player's entries in the registry: start with Windows, file types, the
// audio-CD play verb and the folder verb. The rules work on any Registry, so
// they are checked against a fake as well as against the real one.
//
// Reading never writes: the options window shows what it finds, and only a
// user's choice changes the registry. A handler that the player replaces
// (an extension's file type, the CD play command) is kept in the value
// "sorivanel.BAK" beside it and put back when the player lets go.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

enum class RegistryRoot {
  ClassesRoot,   // file types and verbs
  LocalMachine,  // start with Windows for every user
  CurrentUser,   // start with Windows for this user, when the machine's key refuses us
};

// A text value with its kind: an expandable one holds %variables% that the
// system fills in when it uses the value (a command naming %ProgramFiles%).
struct RegistryText {
  std::string Text;
  bool Expandable = false;
  bool operator==(const RegistryText&) const = default;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // The value's text and kind; nothing when the key or the value is missing
  // or cannot be read. name "" is the key's (default) value.
  virtual std::optional<RegistryText> ReadText(RegistryRoot root, std::string_view key,
                                               std::string_view name) const = 0;
  // Creates the key when missing. False when the system refuses.
  virtual bool WriteText(RegistryRoot root, std::string_view key, std::string_view name,
                         const RegistryText& value) = 0;
  // True also when there was nothing to delete.
  virtual bool DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) = 0;
  // The key with everything under it.
  virtual bool DeleteKey(RegistryRoot root, std::string_view key) = 0;
  // The key only when it holds no value and no key; true when it is gone.
  virtual bool DeleteEmptyKey(RegistryRoot root, std::string_view key) = 0;
  // Paths and names as the system compares them: without regard to case.
  virtual bool SameText(std::string_view a, std::string_view b) const = 0;
  // Tells the shell that file types changed.
  virtual void AssociationsChanged() = 0;

  // Plain texts, whatever their kind.
  std::optional<std::string> Read(RegistryRoot root, std::string_view key, std::string_view name) const;
  bool Write(RegistryRoot root, std::string_view key, std::string_view name, std::string_view value);
};

namespace reg {
inline constexpr char kRunKey[] = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Run)";
inline constexpr char kRunValue[] = "Sorivanel";
inline constexpr char kFileClass[] = "sorivanel_file";
inline constexpr char kClassCommand[] = R"(sorivanel_file\shell\open\command)";
inline constexpr char kClassIcon[] = R"(sorivanel_file\DefaultIcon)";
inline constexpr char kCdCommand[] = R"(AudioCD\shell\play\command)";
// The keys above the CD command, deepest first: each goes when letting go
// of the verb leaves it empty.
inline constexpr const char* kCdCommandParents[] = {R"(AudioCD\shell\play)", R"(AudioCD\shell)", "AudioCD"};
inline constexpr char kFolderVerb[] = R"(Folder\shell\Sorivanel)";
inline constexpr char kFolderCommand[] = R"(Folder\shell\Sorivanel\command)";
inline constexpr char kBackupValue[] = "sorivanel.BAK";
inline constexpr char kDefaultFolderVerbText[] = "Lire avec Sorivanel";
}  // namespace reg

// "<exe>" "%1": how every registered command starts the player.
std::string PlayerCommand(std::string_view exePath);
// The program that a command of that shape starts, or nothing for any other
// command.
std::optional<std::string_view> PlayerCommandProgram(std::string_view command);

// The registry key of a list entry ("MP3" -> ".mp3"), or nothing when the
// entry is not a plain extension: only ASCII letters and digits may become
// a key name.
std::optional<std::string> ExtensionKey(std::string_view entry);

// The entries of the associations list: "M3U", "PLS", then every supported
// extension in upper case, in its order (a repeated one stays repeated).
// Extensions that cannot name a key are left out.
std::vector<std::string> AssociationEntries(const std::vector<std::string>& supportedExtensions);

struct AssociationState {
  bool StartWithWindows = false;
  std::vector<std::string> Entries;
  std::vector<bool> Ticked;  // parallel to Entries
  bool CdVerb = false;
  bool FolderVerb = false;
};

class Associations {
 public:
  // exePath: the running program's full path. iconPath: the associated-file
  // icon when that file exists, else empty (the program's own icon serves).
  Associations(Registry& registry, std::string exePath, std::string iconPath = {});

  void SetIconPath(std::string iconPath) { iconPath_ = std::move(iconPath); }

  // What the registry holds, read with query access only.
  AssociationState Read(const std::vector<std::string>& supportedExtensions) const;
  bool StartsWithWindows() const;
  bool IsAssociated(std::string_view entry) const;
  bool HasCdVerb() const;
  bool HasFolderVerb() const;

  // Start with Windows: the machine's Run key, or this user's when the
  // machine's refuses; the path is quoted, as it may hold blanks. Off
  // removes the value from both.
  void SetStartWithWindows(bool on);

  // One list entry ticked or cleared; anyTicked: whether some entry of the
  // list is ticked afterwards (the file type is kept exactly as long). A
  // ticked extension names the file type only once that type exists.
  void SetAssociated(std::string_view entry, bool ticked, bool anyTicked);

  // The file type "sorivanel_file": its open command and icon, or nothing.
  // Every change tells the shell that file types changed. True when the
  // type names this program afterwards.
  bool TypeSorivanelFile(bool create);

  // On: the CD play command starts this program; the command it replaces is
  // kept unless it starts a copy of this program (another copy, or this one
  // before it was moved), so that the first handler is the one kept. Off:
  // the kept command comes back, with its kind.
  void SetCdVerb(bool on);
  // verbText: the folder menu's caption (MESSAGES "12").
  void SetFolderVerb(bool on, std::string_view verbText);

 private:
  bool IsOurCommand(const std::optional<std::string>& value) const;
  // This program's command or that of a program of the same name elsewhere.
  bool IsAnyCopysCommand(const std::optional<std::string>& value) const;
  bool IsOurClass(const std::optional<std::string>& value) const;
  bool ClassIsOurs() const;
  bool WriteFileType();
  void DeleteFileType();
  // Puts `ours` into the key's (default), keeping what it named before
  // unless keepBackup.
  void TakeOver(std::string_view key, std::string_view ours, bool keepBackup);
  // Puts the kept value back; without one, the (default) goes only when
  // dropIfNoBackup.
  void GiveBack(std::string_view key, bool dropIfNoBackup);

  Registry& registry_;
  std::string exePath_;
  std::string command_;
  std::string iconPath_;
};

}  // namespace player
