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

// Keys and value names ignore case, as the system's do; a key is listed
// once any value was written under it or below it.
class FakeRegistry : public player::Registry {
 public:
  using Id = std::tuple<RegistryRoot, std::string, std::string>;  // root, key, name (lower case)

  std::optional<std::string> Read(RegistryRoot root, std::string_view key, std::string_view name) const override {
    const auto found = values.find(IdOf(root, key, name));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  bool Write(RegistryRoot root, std::string_view key, std::string_view name, std::string_view value) override {
    ++writes;
    if (refused.count(root)) return false;
    values[IdOf(root, key, name)] = std::string(value);
    return true;
  }
  bool DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) override {
    ++writes;
    if (refused.count(root)) return false;
    values.erase(IdOf(root, key, name));
    return true;
  }
  bool DeleteKey(RegistryRoot root, std::string_view key) override {
    ++writes;
    if (refused.count(root)) return false;
    const std::string k = sv::LowerAscii(key);
    std::erase_if(values, [&](const auto& v) {
      const std::string& other = std::get<1>(v.first);
      return std::get<0>(v.first) == root && (other == k || other.starts_with(k + "\\"));
    });
    return true;
  }
  bool SameText(std::string_view a, std::string_view b) const override { return sv::SameTextAscii(a, b); }
  void AssociationsChanged() override { ++notices; }

  bool HasKeyBelow(std::string_view key) const {
    const std::string k = sv::LowerAscii(key);
    for (const auto& v : values)
      if (std::get<1>(v.first) == k || std::get<1>(v.first).starts_with(k + "\\")) return true;
    return false;
  }
  std::string Classes(std::string_view key, std::string_view name = "") const {
    return Read(RegistryRoot::ClassesRoot, key, name).value_or("<none>");
  }

  std::map<Id, std::string> values;
  std::set<RegistryRoot> refused;
  int writes = 0;
  int notices = 0;

 private:
  static Id IdOf(RegistryRoot root, std::string_view key, std::string_view name) {
    return {root, sv::LowerAscii(key), sv::LowerAscii(name)};
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
  constexpr char kOther[] = R"("C:\Other\cdplayer.exe" /play "%1")";
  r.Write(RegistryRoot::ClassesRoot, reg::kCdCommand, "", kOther);
  Associations a(r, kExe);

  a.SetCdVerb(true);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kCommand);
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);
  a.SetCdVerb(true);  // the second "Yes" keeps the first backup
  EXPECT_EQ(r.Classes(reg::kCdCommand, reg::kBackupValue), kOther);
  EXPECT_TRUE(a.HasCdVerb());

  a.SetCdVerb(false);
  EXPECT_EQ(r.Classes(reg::kCdCommand), kOther);
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

  // With no command before, letting go leaves none.
  FakeRegistry empty;
  Associations b(empty, kExe);
  b.SetCdVerb(true);
  b.SetCdVerb(false);
  EXPECT_EQ(empty.Classes(reg::kCdCommand), "<none>");
  EXPECT_EQ(empty.Classes(reg::kCdCommand, reg::kBackupValue), "<none>");
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
  a.SetStartWithWindows(true);
  EXPECT_EQ(r.Read(RegistryRoot::LocalMachine, reg::kRunKey, "Sorivanel"), kExe);
  EXPECT_TRUE(a.StartsWithWindows());

  // A limited account: the machine's key refuses, the user's takes it.
  FakeRegistry limited;
  limited.refused.insert(RegistryRoot::LocalMachine);
  Associations b(limited, kExe);
  b.SetStartWithWindows(true);
  EXPECT_EQ(limited.Read(RegistryRoot::CurrentUser, reg::kRunKey, "Sorivanel"), kExe);
  EXPECT_TRUE(b.StartsWithWindows());
  b.SetStartWithWindows(false);
  EXPECT_FALSE(limited.Read(RegistryRoot::CurrentUser, reg::kRunKey, "Sorivanel"));

  // A value written by hand, quoted or in other case, names us too; another
  // copy's path does not.
  for (const char* value :
       {R"("C:\Program Files\Sorivanel\Sorivanel.exe")", R"(c:\program files\sorivanel\SORIVANEL.exe)"}) {
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
