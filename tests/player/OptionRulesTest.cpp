// The options pages' rules that need no window: hot-key field words, the
// title-template help, the licence name and the log view.
#include <gtest/gtest.h>

#include <fstream>

#include "player/HotKeyFields.h"
#include "player/OptionFiles.h"
#include "player/Settings.h"
#include "player/TemplateHelp.h"
#include "tests/base/TempFolder.h"

namespace {

using player::LanguageFile;
using player::TemplateGroup;

TEST(HotKeyFieldRules, EveryDefaultRoundTripsThroughTheField) {
  // stored value, field word (flags in the high byte, 8 = extended key)
  const std::pair<std::uint16_t, std::uint16_t> table[] = {
      {16504, 0x0278},  // Ctrl+F9
      {16505, 0x0279},  // Ctrl+F10
      {16506, 0x027A},  // Ctrl+F11
      {16422, 0x0A26},  // Ctrl+Up: extended, or the field shows the keypad's 8
      {16424, 0x0A28},  // Ctrl+Down
      {16507, 0x027B},  // Ctrl+F12
      {16423, 0x0A27},  // Ctrl+Right
      {16421, 0x0A25},  // Ctrl+Left
  };
  const player::HotKeySettings defaults;
  for (std::size_t i = 0; i < std::size(table); ++i) {
    const auto [stored, field] = table[i];
    EXPECT_EQ(defaults.Keys[i].Value, stored) << i;
    EXPECT_EQ(player::FieldFromStored(stored), field) << stored;
    EXPECT_EQ(player::StoredFromField(field), stored) << stored;
    EXPECT_TRUE(player::HasKey(stored));
  }
  // Every modifier both ways; the extended flag is never stored.
  EXPECT_EQ(player::FieldFromStored(0x2000 | 0x4000 | 0x8000 | 0x41), 0x0741);
  EXPECT_EQ(player::StoredFromField(0x0F2E), 0xE02E);  // Ctrl+Shift+Alt+Delete
  EXPECT_EQ(player::FieldFromStored(0xE02E), 0x0F2E);
  for (const std::uint8_t key : {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E})
    EXPECT_TRUE(player::IsExtendedVirtualKey(key)) << int{key};
  for (const std::uint8_t key : {0x20, 0x29, 0x2C, 0x2F, 0x60, 0x68, 0x78, 0x41})
    EXPECT_FALSE(player::IsExtendedVirtualKey(key)) << int{key};
  // Values are 16 bits; a field cleared to no key registers nothing.
  EXPECT_EQ(player::StoredHotKey(0x14078), 0x4078);
  EXPECT_EQ(player::StoredHotKey(-1), 0xFFFF);
  EXPECT_FALSE(player::HasKey(0x4000));
  EXPECT_FALSE(player::HasKey(player::StoredFromField(0x0200)));
}

TEST(TemplateHelpRules, EachGroupListsItsTitleAndPlaceholders) {
  const LanguageFile builtIn("missing/lang-xx.ini");
  const std::vector<std::string> cd = player::TemplateHelpLines(TemplateGroup::CdTrack, builtIn);
  EXPECT_EQ(cd, (std::vector<std::string>{"- Si CD Audio (.cda) -", "%filename   = Nom du fichier",
                                          "%rep0       = Répertoire contenant", "%fileext    = Extension du fichier"}));
  EXPECT_EQ(player::TemplateHelpLines(TemplateGroup::Untagged, builtIn).front(),
            "- Si pas de méta tag (ou si l'option est désactivée) -");
  EXPECT_EQ(player::TemplateHelpLines(TemplateGroup::Untagged, builtIn).size(), 6u);

  const LanguageFile english("lang-en.ini",
                             "[OPTION]\nGroupBox11=With a meta tag\nAideFormatNom2=%artist     = Artist name\n"
                             "AideFormatNom10=\n");
  const std::vector<std::string> tagged = player::TemplateHelpLines(TemplateGroup::Tagged, english);
  const std::vector<std::string> expected = {
      "- With a meta tag -",
      "%length     = Durée de la chanson",
      "%artist     = Artist name",
      "%album      = Nom de l'album",
      "%tracknb    = Numéro de la chanson",
      "%tracktitle = Titre de la chanson",
      "",  // present and empty: empty
      "%filename   = Nom du fichier",
      "%rep0       = Répertoire contenant",
      "%rep1       = Répertoire supérieur",
      "%fileext    = Extension du fichier",
  };
  EXPECT_EQ(tagged, expected);

  EXPECT_EQ(player::DefaultTemplate(TemplateGroup::Tagged), "%artist - %album - %tracknb - %tracktitle");
  EXPECT_EQ(player::DefaultTemplate(TemplateGroup::Untagged), "%rep1 - %rep0 - %filename");
  EXPECT_EQ(player::DefaultTemplate(TemplateGroup::CdTrack), "CD Audio - %filename");
}

TEST(OptionFileRules, OnlyAPlainTextFileNameOpensAsTheLicence) {
  const std::string folder = R"(C:\Sorivanel)";
  EXPECT_EQ(player::LicenceFilePath(folder, "licence-fr.txt"), R"(C:\Sorivanel\licence-fr.txt)");
  EXPECT_EQ(player::LicenceFilePath(folder + "\\", "Licence EN.TXT"), R"(C:\Sorivanel\Licence EN.TXT)");
  for (const char* value :
       {"..\\x.exe", "..\\..\\licence.txt", "cmd.exe", "C:\\Windows\\win.ini", "c:licence.txt", "sub/licence.txt",
        "sub\\licence.txt", "licence.txt.", "licence.txt ", "licence.txt:stream", ".txt", "", "licence.txt\n",
        "licence.bat", "licence.txt.exe", "..txt", "  .txt", "\\\\server\\share\\licence.txt", "lic*.txt"})
    EXPECT_FALSE(player::LicenceFilePath(folder, value)) << value;
}

TEST(OptionFileRules, EveryShippedLanguageNamesAShippedLicence) {
  for (const char* language : {"lang-en.ini", "lang-fr.ini"}) {
    const LanguageFile file(std::string(SV_DATA_FOLDER) + "/lang/" + language);
    const std::string value = file.Read("OPTION", "LicenseFile");
    const auto path = player::LicenceFilePath(SV_DATA_FOLDER, value);
    ASSERT_TRUE(path) << language << ": " << value;
    EXPECT_TRUE(sv::FileExists(std::string(SV_DATA_FOLDER) + "/" + value)) << value;
  }
  // Without a language file: the built-in name, shipped too.
  EXPECT_TRUE(sv::FileExists(std::string(SV_DATA_FOLDER) + "/" +
                             LanguageFile("missing/lang-xx.ini").Read("OPTION", "LicenseFile")));
}

TEST(OptionFileRules, TheLogViewShowsTheEndInWholeLines) {
  EXPECT_EQ(player::LogViewText("a\nb\r\nc"), "a\r\nb\r\nc");
  // Cut: the view starts at the first whole line of the last bytes.
  EXPECT_EQ(player::LogViewText("first line\nsecond\nthird\n", 12), "third\r\n");
  // One long line: never inside a character.
  EXPECT_EQ(player::LogViewText("xx\xC3\xA9\xC3\xA9", 3), "\xC3\xA9");

  TempFolder folder;
  EXPECT_FALSE(player::ReadLogView(folder / "sori-scrobbler.log"));
  // 5 MB of numbered lines: the view holds the last ones, within 64 KiB.
  const std::string path = folder / "sori-scrobbler.log";
  {
    std::ofstream out(sv::PathFromUtf8(path), std::ios::binary);
    for (int i = 0; i < 200000; ++i) out << "01-02-2026 10:00:00 - line " << i << "\r\n";
  }
  const auto view = player::ReadLogView(path);
  ASSERT_TRUE(view);
  EXPECT_LE(view->size(), player::kLogViewBytes);
  EXPECT_GT(view->size(), player::kLogViewBytes - 64);
  EXPECT_TRUE(view->starts_with("01-02-2026 10:00:00 - line ")) << view->substr(0, 40);
  EXPECT_TRUE(view->ends_with("line 199999\r\n"));
}

}  // namespace
