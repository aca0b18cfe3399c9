// Language files: the reader's rules, the about lines, the decorations and
// the page order as tables; the texts each window gets; and the shipped
// files checked complete against the tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "player/Language.h"
#include "player/ProgramVersion.h"

namespace player {
namespace {

LanguageFile FileOf(std::string_view bytes) { return LanguageFile("lang-test.ini", bytes); }

const LanguageText* Find(const std::vector<LanguageText>& texts, std::string_view component,
                         TextKind kind = TextKind::Caption, int index = 0) {
  for (const LanguageText& text : texts)
    if (text.Component == component && text.Kind == kind &&
        ((kind != TextKind::Item && kind != TextKind::PageTitle) || text.Index == index))
      return &text;
  return nullptr;
}

std::string CaptionOf(const std::vector<LanguageText>& texts, std::string_view component,
                      TextKind kind = TextKind::Caption, int index = 0) {
  const LanguageText* text = Find(texts, component, kind, index);
  return text ? text->Text : "<none>";
}

TEST(LanguageFile, ValuesFollowTheProfileFileRules) {
  const LanguageFile file = FileOf(
      "; comment\r\n"
      "[menu]\r\n"
      "  menuoptions  =   Settings   \r\n"
      "MenuQuitter=\"  Quit  \"\r\n"
      "MenuAfficher='Show'\r\n"
      "MenuChansons=\"Songs'\r\n"
      "MenuShuffle=\"\"\"Shuffle\"\"\"\r\n"
      "MenuPlayPause=\r\n"
      "MenuOptions=Second\r\n"
      "MenuRefresh=a=b\r\n"
      "[MENU]\r\n"
      "MenuSelectAll=in a second header\r\n");
  struct Case {
    const char* key;
    const char* expected;
  } cases[] = {
      {"MenuOptions", "Settings"},          // names ignore case; blanks around value and name go
      {"MENUOPTIONS", "Settings"},          // the first occurrence wins
      {"MenuQuitter", "  Quit  "},          // quotes go, the blanks inside stay
      {"MenuAfficher", "Show"},             // single quotes too
      {"MenuChansons", "\"Songs'"},         // quotes that do not pair stay
      {"MenuShuffle", "\"\"Shuffle\"\""},   // only one pair goes
      {"MenuPlayPause", ""},                // present and empty: the empty text, not the default
      {"MenuRefresh", "a=b"},               // the value starts after the first "="
      {"MenuSelectAll", "<default>"},       // a second header of the same section is not read
      {"MenuSauverListe", "<default>"},     // missing key
  };
  for (const Case& c : cases) EXPECT_EQ(file.Read("Menu", c.key, "<default>"), c.expected) << c.key;
  EXPECT_EQ(file.Read("NOSECTION", "MenuOptions", "<default>"), "<default>");
  EXPECT_EQ(LanguageFile("does-not-exist/lang-xx.ini").Read("MENU", "MenuOptions", "Options"), "Options");
}

TEST(LanguageFile, EncodingsAndLengthCap) {
  // Not UTF-8: the ANSI code page of older files.
  EXPECT_EQ(FileOf("[MENU]\nMenuGererRep=G\xE9rer \x80\n").Read("MENU", "MenuGererRep", ""), "Gérer €");
  // UTF-8 with a BOM and text outside any single-byte code page.
  EXPECT_EQ(FileOf("\xEF\xBB\xBF[MENU]\nMenuQuitter=終了 Выход\n").Read("MENU", "MenuQuitter", ""), "終了 Выход");
  // At most 2047 characters, counted as characters, not bytes.
  std::string longValue;
  for (int i = 0; i < 3000; ++i) longValue += "é";
  const std::string read = FileOf("[MENU]\nMenuQuitter=" + longValue + "\n").Read("MENU", "MenuQuitter", "");
  EXPECT_EQ(read.size(), 2 * kMaxLanguageValue);
  EXPECT_EQ(CutCharacters("aéb", 2), "aé");
  EXPECT_EQ(CutCharacters("ab", 5), "ab");
}

TEST(LanguageFile, AboutLinesStopAtTheFirstMissingNumberAndAtTheCap) {
  EXPECT_EQ(FileOf("[APROPOS]\n100=one\n101=\n103=three\n").AboutLines(), (std::vector<std::string>{"one", ""}));
  EXPECT_TRUE(FileOf("[APROPOS]\n101=one\n").AboutLines().empty());
  EXPECT_TRUE(FileOf("").AboutLines().empty());
  std::string many = "[APROPOS]\n";
  for (int n = 100; n < 1300; ++n) many += std::to_string(n) + "=line\n";
  EXPECT_EQ(FileOf(many).AboutLines().size(), static_cast<std::size_t>(kMaxAboutLines));
}

TEST(LanguageFile, MessagesNamesAndOtherKeysFallBackToTheirBuiltInTexts) {
  const LanguageFile empty = FileOf("");
  EXPECT_EQ(empty.Message(20), "Lecture terminée");
  EXPECT_EQ(empty.Message(12), "Lire avec Sorivanel");
  EXPECT_FALSE(empty.Message(11).empty());
  EXPECT_FALSE(empty.Message(21).empty());
  EXPECT_EQ(empty.Read("OPTION", "LicenseFile"), "licence-fr.txt");
  EXPECT_EQ(empty.Read("OPTION", "AideFormatNom10"), "%year       = Année de la chanson");
  EXPECT_EQ(empty.DisplayName(), "lang-test.ini");

  const LanguageFile file = FileOf("[name]\nname=Deutsch\n[messages]\n20=Ende\n21=\n");
  EXPECT_EQ(file.Message(20), "Ende");
  EXPECT_EQ(file.Message(21), "");
  EXPECT_EQ(file.DisplayName(), "Deutsch");
}

TEST(LanguageRules, DecorationsPagesAndVersionTexts) {
  EXPECT_EQ(Decorate("Options", Decoration::Ellipsis), "Options...");
  EXPECT_EQ(Decorate("Lire", Decoration::ThreeBlanks), "Lire   ");
  EXPECT_EQ(Decorate("Aide", Decoration::Angles), "< Aide >");
  EXPECT_EQ(Decorate("", Decoration::Angles), "<  >");
  EXPECT_EQ(Decorate("Options", Decoration::WindowTitle), "Sorivanel - Options");
  EXPECT_EQ(Decorate("x", Decoration::None), "x");

  const int expected[] = {0, 1, 2, 4, 3, 8, 5, 6, 7};
  std::set<int> pages;
  for (int key = 0; key < kOptionPages; ++key) {
    EXPECT_EQ(NotebookPageOfKey(key), expected[key]) << key;
    pages.insert(NotebookPageOfKey(key));
  }
  EXPECT_EQ(pages.size(), static_cast<std::size_t>(kOptionPages));
  EXPECT_EQ(NotebookPageOfKey(9), -1);
  EXPECT_EQ(NotebookPageOfKey(-1), -1);

  EXPECT_EQ(VersionLabel("3.30"), "v3.30");
  EXPECT_EQ(VersionLabel("3.30.1"), "v3.30");
  EXPECT_EQ(AboutHeader("3.30")[0], "Sorivanel v3.30");
  EXPECT_EQ(AboutHeader("3.30b")[0], "Sorivanel v3.30");
  EXPECT_EQ(AboutHeader("3.30")[2], "");
}

TEST(LanguageTexts, MainWindowFromDefaultsAndFromAFile) {
  const auto defaults = ResolveLanguageTexts(LangWindow::Main, LanguageFile("missing/lang-en.ini"), kProgramVersion);
  EXPECT_EQ(defaults.size(), 41u);  // 38 entries, three of which also feed a twin
  EXPECT_EQ(defaults.front().Component, "MenuAfficher");
  EXPECT_EQ(CaptionOf(defaults, "MenuOptions"), "Options...");
  EXPECT_EQ(CaptionOf(defaults, "MenuOptions1"), "Options");
  EXPECT_EQ(CaptionOf(defaults, "MenuMettreSuite"), "Mettre à la suite   ");
  EXPECT_EQ(CaptionOf(defaults, "MenuMettreSuite2"), "Mettre à la suite   ");
  EXPECT_EQ(CaptionOf(defaults, "MenuLireRep2"), "Lire le contenu   ");
  EXPECT_EQ(CaptionOf(defaults, "MenuLireRepRecurse"), "Inclure sous-répertoires");
  EXPECT_EQ(CaptionOf(defaults, "MenuPrev"), "Précédente");
  EXPECT_EQ(CaptionOf(defaults, "MenuRefreshListe"), "Rafraîchir");
  EXPECT_EQ(CaptionOf(defaults, "SpdBtnPrev", TextKind::Hint), "Précédente");
  EXPECT_EQ(CaptionOf(defaults, "SpdBtnOptions", TextKind::Hint), "Options");
  EXPECT_EQ(CaptionOf(defaults, "SpdBtnPrev"), "<none>");  // a hint only

  const auto texts = ResolveLanguageTexts(
      LangWindow::Main,
      FileOf("[MENU]\nMenuOptions=Setup\nMenuMettreSuite=Queue\nMenuQuitter=\n[MAIN]\nSpdBtnNext=Next\n"
             "[OPTION]\nCheckSousRep=With sub-folders\n"),
      kProgramVersion);
  EXPECT_EQ(CaptionOf(texts, "MenuOptions"), "Setup...");
  EXPECT_EQ(CaptionOf(texts, "MenuOptions1"), "Setup");
  EXPECT_EQ(CaptionOf(texts, "MenuMettreSuite2"), "Queue   ");
  EXPECT_EQ(CaptionOf(texts, "MenuQuitter"), "");
  EXPECT_EQ(CaptionOf(texts, "MenuNext"), "Next");
  EXPECT_EQ(CaptionOf(texts, "SpdBtnNext", TextKind::Hint), "Next");
  EXPECT_EQ(CaptionOf(texts, "MenuMettreSuiteRecurse"), "With sub-folders");
  EXPECT_EQ(CaptionOf(texts, "MenuLireRepRecurse"), "With sub-folders");
  EXPECT_EQ(CaptionOf(texts, "MenuAfficher"), "Afficher");
}

TEST(LanguageTexts, OptionsWindowPagesAboutTextAndSharedKeys) {
  const auto texts = ResolveLanguageTexts(
      LangWindow::Options,
      FileOf("[OPTION]\nPage0=Settings\nPage3=Look\nPage5=About\nRadioGroup1Item0=Yes\nBtnIconeDefaut=Default\n"
             "GroupBox14=Help\nLabelProxyUser=Login\nBtnAppliquer=Apply\n[MENU]\nMenuRefresh=Reload\n"
             "[APROPOS]\n100=first\n101=second\n103=gap\n"),
      kProgramVersion);
  EXPECT_EQ(texts.front(), (LanguageText{"", TextKind::Caption, 0, "Sorivanel - Settings", {}}));
  EXPECT_EQ(texts[1], (LanguageText{"LabelVersion", TextKind::Caption, 0, "v3.30", {}}));
  EXPECT_EQ(CaptionOf(texts, "GroupBoxPages"), "Settings");
  EXPECT_EQ(CaptionOf(texts, "Notebook", TextKind::PageTitle, 0), "Settings");
  EXPECT_EQ(CaptionOf(texts, "Notebook", TextKind::PageTitle, 4), "Look");  // key Page3
  EXPECT_EQ(CaptionOf(texts, "Notebook", TextKind::PageTitle, 8), "About");  // key Page5
  EXPECT_EQ(CaptionOf(texts, "Notebook", TextKind::PageTitle, 3), "Associations");  // key Page4

  // One key feeds several controls.
  for (const char* group : {"RadioGroup1", "RadioGroupCDAudio", "RadioGroupRepertoires"}) {
    EXPECT_EQ(CaptionOf(texts, group, TextKind::Item, 0), "Yes") << group;
    EXPECT_EQ(CaptionOf(texts, group, TextKind::Item, 1), "Non") << group;
  }
  for (const char* button : {"BtnIconeDefaut", "BtnPoliceDefaut", "BtnBalloonPoliceDefaut", "BtnIconeFichiersDefaut"})
    EXPECT_EQ(CaptionOf(texts, button), "Default") << button;
  for (const char* label : {"LabelDefautFormatNomTag", "LabelDefautFormatNomSansTag", "LabelDefautFormatNomCDA"})
    EXPECT_EQ(CaptionOf(texts, label), "< Default >") << label;
  for (const char* label : {"LabelAideFormatNomTag", "LabelAideFormatNomSansTag", "LabelAideFormatNomCDA"})
    EXPECT_EQ(CaptionOf(texts, label), "< Help >") << label;
  // The four apply buttons read in the file's language.
  for (const char* button : {"BtnSetHotKey", "BtnValiderNomChansons", "BtnValiderProxy", "BtnValiderAudioScrobbler"})
    EXPECT_EQ(CaptionOf(texts, button), "Apply") << button;
  EXPECT_EQ(CaptionOf(texts, "LabelAudioScrobblerUser"), "Login");
  EXPECT_EQ(CaptionOf(texts, "LabelAudioScrobblerPass"), "Mot de passe");
  EXPECT_EQ(CaptionOf(texts, "LabelGetMoreSkins"), "< Get more skin >");
  EXPECT_EQ(CaptionOf(texts, "LabelOpenAudioScrobblerLog"), "< Reload >");

  const LanguageText* about = Find(texts, "RichEdit1", TextKind::Lines);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->Lines.size(), 5u);
  EXPECT_EQ(about->Lines[0], "Sorivanel v3.30");
  EXPECT_EQ(about->Lines[3], "first");
  EXPECT_EQ(about->Lines[4], "second");

  // The help list is emptied; the log link's handler runs after its caption;
  // the page list comes last, in page order, item 0 chosen.
  const LanguageText* help = Find(texts, "ListBoxAideFormatNom", TextKind::Items);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->Lines.empty());
  EXPECT_EQ(help->Index, -1);
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[texts.size() - 2], (LanguageText{"LabelOpenAudioScrobblerLog", TextKind::Click, 0, "", {}}));
  EXPECT_EQ(texts.back().Component, "ListBoxPages");
  EXPECT_EQ(texts.back().Index, 0);
  EXPECT_EQ(texts.back().Lines,
            (std::vector<std::string>{"Settings", "Raccourcis clavier", "Répertoires", "Associations", "Look",
                                      "Nom des chansons", "Connexion", "AudioScrobbler / MSN", "About"}));
}

TEST(LanguageTexts, SecondaryWindows) {
  const LanguageFile none("missing/lang-en.ini");
  const auto tag = ResolveLanguageTexts(LangWindow::TagEditor, none, kProgramVersion);
  // The window's caption has a default of its own for the main menu's key.
  EXPECT_EQ(CaptionOf(tag, ""), "Editeur de méta tags");
  const auto tagFile = ResolveLanguageTexts(LangWindow::TagEditor, FileOf("[ID3TAG]\nCheckCom=Notes\n"), "3.30");
  EXPECT_EQ(CaptionOf(tagFile, "CheckComv1"), "Notes");
  EXPECT_EQ(CaptionOf(tagFile, "CheckComv2"), "Notes");
  EXPECT_EQ(CaptionOf(tagFile, "BtnClose"), "Fermer");

  EXPECT_EQ(ResolveLanguageTexts(LangWindow::Equalizer, FileOf("[MAIN]\nSpdBtnEgaliseur=EQ\n"), "3.30"),
            (std::vector<LanguageText>{{"Label1", TextKind::Caption, 0, "EQ", {}}}));
  const auto search = ResolveLanguageTexts(LangWindow::Search, none, kProgramVersion);
  EXPECT_EQ(CaptionOf(search, ""), "Recherche...");
  EXPECT_EQ(CaptionOf(search, "Label1"), "* Activer ces options peut fortement ralentir la recherche !");
  EXPECT_TRUE(ResolveLanguageTexts(LangWindow::All, none, kProgramVersion).empty());
}

// The shipped files: every key the tables name is in both, no file holds a
// key the tables do not know, the French file gives the built-in texts.
class ShippedLanguageFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedLanguageFile, HoldsEveryKeyAndNoOther) {
  const std::string path = std::string(SV_LANG_FOLDER) + "/" + GetParam();
  const sv::IniFile ini(path);
  const LanguageFile file(path);
  const bool french = std::string(GetParam()) == "lang-fr.ini";
  auto check = [&](const char* section, const char* key, const char* def) {
    EXPECT_TRUE(ini.ValueExists(section, key)) << section << " " << key;
    if (!french) {
      EXPECT_NE(file.Read(section, key, ""), "") << section << " " << key;
    } else if (std::string(section) != "NAME") {
      EXPECT_EQ(file.Read(section, key, "<missing>"), def) << key;
    }
  };
  for (LangWindow window :
       {LangWindow::Main, LangWindow::Options, LangWindow::TagEditor, LangWindow::Equalizer, LangWindow::Search})
    for (const LanguageEntry& entry : LanguageEntries(window))
      if (entry.Section && !(french && std::string(entry.Key) == "MenuEditeurTag" && window == LangWindow::TagEditor))
        check(entry.Section, entry.Key, entry.Default);
  for (const LanguageKey& key : OtherLanguageKeys()) check(key.Section, key.Key, key.Default);

  for (const std::string& section : ini.ReadSections()) {
    std::set<std::string> seen;
    for (const std::string& key : ini.ReadSection(section)) {
      EXPECT_TRUE(IsKnownLanguageKey(section, key)) << section << " " << key;
      EXPECT_TRUE(seen.insert(key).second) << "twice: " << section << " " << key;
    }
  }
  EXPECT_GE(file.AboutLines().size(), 1u);
  EXPECT_EQ(file.AboutLines().size(), ini.ReadSection("APROPOS").size()) << "a gap in the about lines";
  EXPECT_NE(file.DisplayName(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Both, ShippedLanguageFile, ::testing::Values("lang-en.ini", "lang-fr.ini"));

}  // namespace
}  // namespace player
