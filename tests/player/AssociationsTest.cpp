// The registry entries over an in-memory registry: what each choice writes,
// what it keeps, and that reading writes nothing.
#include "player/Associations.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "base/Ascii.h"

namespace {

using player::Associations;
using player::RegistryRoot;
namespace reg = player::reg;

// Keys and value names ignore case, as the system's do; writing a value
// creates its key and the keys above it.
class FakeRegistry : public player::Registry {
 public:
  using Key = std::pair<RegistryRoot, std::string>;               // root, key (lower case)
  using Id = std::tuple<RegistryRoot, std::string, std::string>;  // root, key, name (lower case)

  std::optional<player::RegistryText> ReadText(RegistryRoot root, std::string_view key,
                                               std::string_view name) const override {
    const auto found = values.find(IdOf(root, key, name));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  bool WriteText(RegistryRoot root, std::string_view key, std::string_view name,
                 const player::RegistryText& value) override {
    ++writes;
    if (Refuses(root, key)) return false;
    values[IdOf(root, key, name)] = value;
    for (std::string k = sv::LowerAscii(key);; k.resize(k.rfind('\\'))) {
      keys.insert({root, k});
      if (k.find('\\') == std::string::npos) break;
    }
    return true;
  }
  bool DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) override {
    ++writes;
    if (Refuses(root, key)) return false;
    values.erase(IdOf(root, key, name));
    return true;
  }
  bool DeleteKey(RegistryRoot root, std::string_view key) override {
    ++writes;
    if (Refuses(root, key)) return false;
    const std::string k = sv::LowerAscii(key);
    std::erase_if(values, [&](const auto& v) { return std::get<0>(v.first) == root && Within(std::get<1>(v.first), k); });
    std::erase_if(keys, [&](const Key& other) { return other.first == root && Within(other.second, k); });
    return true;
  }
  bool DeleteEmptyKey(RegistryRoot root, std::string_view key) override {
    ++writes;
    if (Refuses(root, key)) return false;
    const std::string k = sv::LowerAscii(key);
    for (const auto& v : values)
      if (std::get<0>(v.first) == root && Within(std::get<1>(v.first), k)) return false;
    for (const Key& other : keys)
      if (other.first == root && other.second != k && Within(other.second, k)) return false;
    keys.erase({root, k});
    return true;
  }
  bool SameText(std::string_view a, std::string_view b) const override { return sv::SameTextAscii(a, b); }
  void AssociationsChanged() override { ++notices; }

  bool HasKeyBelow(std::string_view key) const {
    const std::string k = sv::LowerAscii(key);
    for (const Key& other : keys)
      if (Within(other.second, k)) return true;
    return false;
  }
  std::string Classes(std::string_view key, std::string_view name = "") const {
    return Read(RegistryRoot::ClassesRoot, key, name).value_or("<none>");
  }
  bool Expandable(std::string_view key, std::string_view name = "") const {
    const auto value = ReadText(RegistryRoot::ClassesRoot, key, name);
    return value && value->Expandable;
  }

  std::map<Id, player::RegistryText> values;
  std::set<Key> keys;
  std::set<RegistryRoot> refused;
  std::string refusedKeys;  // every key from this one down refuses writes (lower case)
  int writes = 0;
  int notices = 0;

 private:
  static Id IdOf(RegistryRoot root, std::string_view key, std::string_view name) {
    return {root, sv::LowerAscii(key), sv::LowerAscii(name)};
  }
  static bool Within(const std::string& key, const std::string& top) {
    return key == top || key.starts_with(top + "\\");
  }
  bool Refuses(RegistryRoot root, std::string_view key) const {
    return refused.count(root) || (!refusedKeys.empty() && Within(sv::LowerAscii(key), refusedKeys));
  }
};

constexpr char kExe[] = R"(C:\Program Files\Sorivanel\Sorivanel.exe)";
constexpr char kCommand[] = R"("C:\Program Files\Sorivanel\Sorivanel.exe" "%1")";
constexpr char kIcon[] = R"(C:\Program Files\Sorivanel\icones\note.ico)";

TEST(AssociationRules, ExtensionsBecomeKeyNamesOnlyWhenPlain) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> table = {
      {"MP3", ".mp3"},         {"ogg", ".ogg"},        {"Mp2", ".mp2"},
      {"M4A", ".m4a"},         {"", std::nullopt},     {".mp3", std::nullopt},
      {"mp3\\..\\x", std::nullopt}, {"a/b", std::nullopt}, {"mp+", std::nullopt},
      {"m p3", std::nullopt},  {"\xC3\xA9t\xC3\xA9", std::nullopt}, {"ABCDEFGHIJKLMNOP", ".abcdefghijklmnop"},
      {"ABCDEFGHIJKLMNOPQ", std::nullopt}, {std::string("mp\0" "3", 4), std::nullopt},
  };
  for (const auto& [entry, key] : table) EXPECT_EQ(player::ExtensionKey(entry), key) << entry;

  EXPECT_EQ(player::AssociationEntries({"mp3", "ogg", "bad\\ext", "MP3", "wav"}),
            (std::vector<std::string>{"M3U", "PLS", "MP3", "OGG", "MP3", "WAV"}));
  EXPECT_EQ(player::PlayerCommand(kExe), kCommand);

  const std::vector<std::pair<std::string, std::optional<std::string>>> commands = {
      {kCommand, kExe},
      {R"("D:\Old\Sorivanel.exe" "%1")", R"(D:\Old\Sorivanel.exe)"},
      {R"("C:\Other\cd.exe" /play "%1")", std::nullopt},
      {R"("C:\Other\cd.exe" "/play" "%1")", std::nullopt},
      {R"(C:\Sorivanel.exe "%1")", std::nullopt},
      {R"("C:\Sorivanel.exe" %1)", std::nullopt},
      {R"("C:\Sorivanel.exe" "%1" /x)", std::nullopt},
      {R"("" "%1")", std::nullopt},
      {"\"", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [command, program] : commands) {
    const auto found = player::PlayerCommandProgram(command);
    EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt, program) << command;
  }
}

TEST(AssociationRules, ReadingAnEmptyRegistryShowsNothingAndWritesNothing) {
  FakeRegistry r;
  const Associations a(r, kExe);
  const player::AssociationState s = a.Read({"mp3", "ogg"});
  EXPECT_FALSE(s.StartWithWindows);
  EXPECT_EQ(s.Entries, (std::vector<std::string>{"M3U", "PLS", "MP3", "OGG"}));
  EXPECT_EQ(s.Ticked, std::vector<bool>(4, false));
  EXPECT_FALSE(s.CdVerb);
  EXPECT_FALSE(s.FolderVerb);
  EXPECT_EQ(r.writes, 0);
}

TEST(AssociationRules, TickingKeepsThePreviousHandlerAndUntickingPutsItBack) {
  FakeRegistry r;
  // Another program's type and values under ".mp3", and no handler at all
  // for ".ogg".
  r.Write(RegistryRoot::ClassesRoot, ".mp3", "", "OtherPlayer.mp3");
  r.Write(RegistryRoot::ClassesRoot, ".mp3", "Content Type", "audio/mpeg");
  r.Write(RegistryRoot::ClassesRoot, R"(.mp3\OpenWithProgids)", "OtherPlayer.mp3", "");
  r.writes = 0;
  Associations a(r, kExe, kIcon);

  a.SetAssociated("MP3", true, true);
  EXPECT_EQ(r.Classes(".mp3"), "sorivanel_file");
  EXPECT_EQ(r.Classes(".mp3", reg::kBackupValue), "OtherPlayer.mp3");
  EXPECT_EQ(r.Classes(reg::kClassCommand), kCommand);
  EXPECT_EQ(r.Classes(reg::kClassIcon), kIcon);
  EXPECT_TRUE(a.IsAssociated("MP3"));
  EXPECT_TRUE(a.IsAssociated("mp3"));
  EXPECT_EQ(r.notices, 1);

  // Ticking again keeps the first backup: our own type is never kept.
  a.SetAssociated("MP3", true, true);
  EXPECT_EQ(r.Classes(".mp3", reg::kBackupValue), "OtherPlayer.mp3");

  a.SetAssociated("OGG", true, true);
  EXPECT_EQ(r.Classes(".ogg"), "sorivanel_file");
  EXPECT_EQ(r.Classes(".ogg", reg::kBackupValue), "");  // it named nothing

  a.SetAssociated("OGG", false, true);
  EXPECT_EQ(r.Classes(".ogg"), "<none>");
  EXPECT_EQ(r.Classes(".ogg", reg::kBackupValue), "<none>");
  EXPECT_TRUE(r.HasKeyBelow(reg::kFileClass));  // MP3 still uses it

  // The last untick: the handler comes back, the class goes, the other
  // program's values stay.
  a.SetAssociated("MP3", false, false);
  EXPECT_EQ(r.Classes(".mp3"), "OtherPlayer.mp3");
  EXPECT_EQ(r.Classes(".mp3", reg::kBackupValue), "<none>");
  EXPECT_EQ(r.Classes(".mp3", "Content Type"), "audio/mpeg");
  EXPECT_EQ(r.Classes(R"(.mp3\OpenWithProgids)", "OtherPlayer.mp3"), "");
  EXPECT_FALSE(r.HasKeyBelow(reg::kFileClass));
  EXPECT_FALSE(a.IsAssociated("MP3"));

  // Clearing an extension that names another program writes nothing to it.
  r.Write(RegistryRoot::ClassesRoot, ".wav", "", "OtherPlayer.wav");
  a.SetAssociated("WAV", false, false);
  EXPECT_EQ(r.Classes(".wav"), "OtherPlayer.wav");
}

TEST(AssociationRules, AnExtensionWithoutBackupLosesOnlyItsDefault) {
  FakeRegistry r;
  r.Write(RegistryRoot::ClassesRoot, ".mp3", "", "sorivanel_file");  // an older version's work
  r.Write(RegistryRoot::ClassesRoot, ".mp3", "PerceivedType", "audio");
  Associations a(r, kExe);
  a.SetAssociated("MP3", false, false);
  EXPECT_EQ(r.Classes(".mp3"), "<none>");
  EXPECT_EQ(r.Classes(".mp3", "PerceivedType"), "audio");
}

TEST(AssociationRules, AMovedProgramShowsEveryExtensionUnticked) {
  FakeRegistry r;
  Associations before(r, R"(D:\Old\Sorivanel.exe)");
  before.SetAssociated("MP3", true, true);
  before.SetCdVerb(true);
  before.SetFolderVerb(true, "Play with Sorivanel");
  EXPECT_TRUE(before.Read({"mp3"}).Ticked[2]);

  const Associations moved(r, kExe);
  const player::AssociationState s = moved.Read({"mp3"});
  EXPECT_EQ(s.Ticked, std::vector<bool>(3, false));
  EXPECT_FALSE(s.CdVerb);
  EXPECT_FALSE(s.FolderVerb);

  // The same path in other letter case is the same program.
  const Associations otherCase(r, R"(d:\OLD\sorivanel.EXE)");
  EXPECT_TRUE(otherCase.Read({"mp3"}).Ticked[2]);
  EXPECT_TRUE(otherCase.HasCdVerb());
}

TEST(AssociationRules, TheFileTypeIconAndClass) {
  FakeRegistry r;
  Associations a(r, kExe);
  // The icon buttons create the class even with nothing ticked.
  a.TypeSorivanelFile(true);
  EXPECT_EQ(r.Classes(reg::kClassCommand), kCommand);
  EXPECT_EQ(r.Classes(reg::kClassIcon), kExe);
  EXPECT_EQ(r.notices, 1);
  a.SetIconPath(kIcon);
  a.TypeSorivanelFile(true);
  EXPECT_EQ(r.Classes(reg::kClassIcon), kIcon);
  a.TypeSorivanelFile(false);
  EXPECT_FALSE(r.HasKeyBelow(reg::kFileClass));

  // A class that cannot be written gets no icon either, and the extension
  // that could not be written is left alone.
  r.refused.insert(RegistryRoot::ClassesRoot);
  a.SetAssociated("MP3", true, true);
  EXPECT_TRUE(r.values.empty());
}

TEST(AssociationRules, TheCdVerbKeepsAndRestoresTheCommandItReplaced) {
  FakeRegistry r;
  // A command naming an environment variable, stored as an expandable text.
  constexpr char kOther[] = R"("%ProgramFiles%\Other\cdplayer.exe" /play "%1")";
  r.WriteText(RegistryRoot::ClassesRoot, reg::kCdCommand, "", {kOther, true});
  Associations a(r, kExe);

  a.SetCdVerb(true);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kCommand);
  EXPECT_FALSE(r.Expandable(reg::kCdCommand));
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);
  EXPECT_TRUE(r.Expandable(reg::kCdCommand, reg::kBackupValue));
  a.SetCdVerb(true);  // the second "Yes" keeps the first backup
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);
  EXPECT_TRUE(a.HasCdVerb());

  a.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kOther);
  EXPECT_TRUE(r.Expandable(reg::kCdCommand));
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), "<none>");

  // "No" without a backup leaves our command: nothing says what else to play with.
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, "", kCommand);
  a.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kCommand);

  // A backup left behind is never put over a command another program set later.
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, reg::kBackupValue, "stale");
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, "", kOther);
  a.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kOther);
  // Taking it then keeps that program's command, not the stale one.
  a.SetCdVerb(true);
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);

  // With no command before, letting go leaves none, nor the keys made for it.
  FakeRegistry empty;
  Associations b(empty, kExe);
  b.SetCdVerb(true);
  b.SetCdVerb(false);
  EXPECT_EQ(empty.Classes(reg::kCdCommand), "<none>");
  EXPECT_EQ(empty.Classes(reg::kCdCommand, reg::kBackupValue), "<none>");
  EXPECT_FALSE(empty.HasKeyBelow("AudioCD"));
  // A verb key holding values of its own stays.
  FakeRegistry verb;
  verb.Write(RegistryRoot::ClassesRoot, R"(AudioCD\shell\play)", "MUIVerb", "@shell32.dll,-1");
  Associations c(verb, kExe);
  c.SetCdVerb(true);
  c.SetCdVerb(false);
  EXPECT_FALSE(verb.HasKeyBelow(reg::kCdCommand));
  EXPECT_EQ(verb.Classes(R"(AudioCD\shell\play)", "MUIVerb"), "@shell32.dll,-1");
}

TEST(AssociationRules, TheCdVerbKeepsTheFirstHandlerAcrossCopiesOfThePlayer) {
  FakeRegistry r;
  constexpr char kOther[] = R"("C:\Other\cdplayer.exe" /play "%1")";
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, "", kOther);
  Associations old(r, R"(D:\Old\Sorivanel.exe)");
  old.SetCdVerb(true);

  // The program was moved: "Yes" from its new place keeps the first handler,
  // and "No" gives it back.
  Associations moved(r, kExe);
  EXPECT_FALSE(moved.HasCdVerb());
  moved.SetCdVerb(true);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kCommand);
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);
  moved.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kOther);
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), "<none>");

  // A second copy holds the verb: "No" from this one lets go of it too.
  old.SetCdVerb(true);
  moved.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kOther);

  // Another program started the same way is no copy: its command is kept.
  constexpr char kLookAlike[] = R"("C:\Other\cdplayer.exe" "%1")";
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, reg::kBackupValue, "stale");
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, "", kLookAlike);
  moved.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kLookAlike);
  moved.SetCdVerb(true);
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kLookAlike);
}

TEST(AssociationRules, AnExtensionNamesTheFileTypeOnlyOnceTheTypeExists) {
  FakeRegistry r;
  r.Write(RegistryRoot::ClassesRoot, ".mp3", "", "OtherPlayer.mp3");
  r.refusedKeys = "sorivanel_file";
  Associations a(r, kExe);
  a.SetAssociated("MP3", true, true);
  EXPECT_EQ(r.Classes(".mp3"), "OtherPlayer.mp3");
  EXPECT_EQ(r.Classes(".mp3", reg::kBackupValue), "<none>");
  EXPECT_FALSE(r.HasKeyBelow(reg::kFileClass));
  EXPECT_FALSE(a.IsAssociated("MP3"));

  // A type this program made before serves, though it cannot be written now.
  r.refusedKeys.clear();
  EXPECT_TRUE(a.TypeSorivanelFile(true));
  r.refusedKeys = "sorivanel_file";
  EXPECT_TRUE(a.TypeSorivanelFile(true));
  a.SetAssociated("MP3", true, true);
  EXPECT_EQ(r.Classes(".mp3"), "sorivanel_file");
  EXPECT_EQ(r.Classes(".mp3", reg::kBackupValue), "OtherPlayer.mp3");
  EXPECT_TRUE(a.IsAssociated("MP3"));
  // Another copy's type does not.
  Associations moved(r, R"(D:\Moved\Sorivanel.exe)");
  EXPECT_FALSE(moved.TypeSorivanelFile(true));
}

TEST(AssociationRules, TheFolderVerb) {
  FakeRegistry r;
  Associations a(r, kExe);
  a.SetFolderVerb(true, "Play with Sorivanel");
  EXPECT_EQ(r.Classes(reg::kFolderVerb), "Play with Sorivanel");
  EXPECT_EQ(r.Classes(reg::kFolderCommand), kCommand);
  EXPECT_TRUE(a.HasFolderVerb());
  a.SetFolderVerb(false, "");
  EXPECT_FALSE(r.HasKeyBelow(reg::kFolderVerb));
  EXPECT_FALSE(a.HasFolderVerb());
}

TEST(AssociationRules, StartWithWindowsFallsBackToTheUsersKeyAndReadsBoth) {
  FakeRegistry r;
  Associations a(r, kExe);
  // Quoted: the path holds blanks.
  a.SetStartWithWindows(true);
  EXPECT_EQ(r.Read(RegistryRoot::LocalMachine, reg::kRunKey, "Sorivanel"), "\"" + std::string(kExe) + "\"");
  EXPECT_TRUE(a.StartsWithWindows());

  // A limited account: the machine's key refuses, the user's takes it.
  FakeRegistry limited;
  limited.refused.insert(RegistryRoot::LocalMachine);
  Associations b(limited, kExe);
  b.SetStartWithWindows(true);
  EXPECT_EQ(limited.Read(RegistryRoot::CurrentUser, reg::kRunKey, "Sorivanel"), "\"" + std::string(kExe) + "\"");
  EXPECT_TRUE(b.StartsWithWindows());
  b.SetStartWithWindows(false);
  EXPECT_FALSE(limited.Read(RegistryRoot::CurrentUser, reg::kRunKey, "Sorivanel"));

  // A value written unquoted (by hand or by an older version), or in other
  // case, names us too; another copy's path does not.
  for (const char* value : {kExe, R"(c:\program files\sorivanel\SORIVANEL.exe)"}) {
    FakeRegistry hand;
    hand.Write(RegistryRoot::LocalMachine, reg::kRunKey, "Sorivanel", value);
    EXPECT_TRUE(Associations(hand, kExe).StartsWithWindows()) << value;
  }
  FakeRegistry other;
  other.Write(RegistryRoot::CurrentUser, reg::kRunKey, "Sorivanel", R"(D:\Copy\Sorivanel.exe)");
  EXPECT_FALSE(Associations(other, kExe).StartsWithWindows());

  a.SetStartWithWindows(false);
  EXPECT_FALSE(r.Read(RegistryRoot::LocalMachine, reg::kRunKey, "Sorivanel"));
  EXPECT_FALSE(a.StartsWithWindows());
}

}  // namespace
