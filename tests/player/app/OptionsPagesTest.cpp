// Pages 0 (options), 2 (base folders) and 4 (display) of the real player's
// options window: what the window shows when it opens, and what each
// control writes to the settings file and the skin's skin.ini, or changes
// in the running player.
#include "base/Paths.h"
#include "base/TextFile.h"
#include "tests/player/app/OptionsTestSupport.h"

namespace playertest {
namespace {

class OptionsPages : public OptionsWindow {
 protected:
  void PlaceSkins() {
    std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  }
  void PlaceShippedLanguages() {
    std::filesystem::create_directories(folder / "lang");
    for (const char* name : {"lang-en.ini", "lang-fr.ini"})
      folder.CopyIn(svtest::BuiltFile(std::string("player/app/lang/") + name), std::string("lang/") + name);
  }
  std::string Bytes(const std::string& name) { return sv::ReadFileBytes(PathOf(name), 1 << 20); }
  std::string Checked(const std::string& box) { return OptionsValue("Checked", box); }
  std::string Item(const std::string& control, int index) {
    return OptionsValue("Item" + std::to_string(index), control);
  }
};

TEST_F(OptionsPages, OpeningAndClosingTheWindowChangesNoFileAndShowsTheStoredOptions) {
  Prepare(
      "CheckNouvelleVersion=0\r\nDemarrerLaLectureAuLancement=1\r\nStartupFolderUpdate=1\r\nAfficherBallon=0\r\n"
      "ReglageVolumeGlobal=0\r\nInfoBulleTransparency=255\r\n"
      "[REPERTOIRES]\r\n0=music\\\r\n1=..\\elsewhere\\\r\n2=Q:\\away\\\r\n"
      "[SOUND_DEVICE]\r\nDEVICE=99\r\n");
  PlaceSkins();
  PlaceShippedLanguages();
  // The audio library has no device 99 and says so at the start.
  Start({}, true);
  ASSERT_TRUE(watcher->WaitForBoxes(1));
  const std::string settingsBefore = Bytes("Sorivanel.ini");
  const std::string skinBefore = Bytes("skin/default/skin.ini");

  OpenOptions();
  EXPECT_EQ(Checked("CheckNouvelleVersion"), "0");
  EXPECT_EQ(Checked("CheckDemarrerLectureLancement"), "1");
  EXPECT_EQ(Checked("CheckStartupFolderUpdate"), "1");
  EXPECT_EQ(Checked("CheckBallon"), "0");
  EXPECT_EQ(Checked("CheckSousRep"), "1");
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroup2"), "1");
  // Relative folders are shown against the settings file's folder.
  const std::string base = svtest::PathToUtf8(folder.Path());
  EXPECT_EQ(Item("ListeRep", 0), base + "\\music\\");
  EXPECT_EQ(Item("ListeRep", 1), sv::ExtractFilePath(base.substr(0, base.size() - 1)) + "elsewhere\\");
  EXPECT_EQ(Item("ListeRep", 2), "Q:\\away\\");
  // A device the list lacks: nothing chosen; the first item is the default.
  EXPECT_EQ(OptionsValue("ItemIndex", "ComboOutputDev"), "-1");
  EXPECT_EQ(Item("ComboOutputDev", 0), "Default");
  EXPECT_EQ(OptionsValue("Position", "TrackTransparenceInfoBulle"), "0");
  EXPECT_EQ(OptionsValue("Caption", "LabelTransparency"), "0%");
  // The shipped English file is current: listed by its name and chosen.
  EXPECT_EQ(OptionsValue("Count", "ListBoxLangues"), "2");
  EXPECT_EQ(Item("ListBoxLangues", std::stoi(OptionsValue("ItemIndex", "ListBoxLangues"))), "English");
  EXPECT_EQ(svtest::WindowText(options), "Sorivanel - Options");
  EXPECT_EQ(OptionsValue("Caption", "CheckBallon"), "Show info bubble");
  CloseOptions();

  EXPECT_EQ(Bytes("Sorivanel.ini"), settingsBefore);
  EXPECT_EQ(Bytes("skin/default/skin.ini"), skinBefore);
  // Opened again, the window is new and fills itself again.
  OpenOptions();
  EXPECT_EQ(Checked("CheckDemarrerLectureLancement"), "1");
  CloseOptions();
  EXPECT_EQ(Bytes("Sorivanel.ini"), settingsBefore);
  Quit();
}

TEST_F(OptionsPages, TheOptionChecksApplyAtOnceOrWhenThePlayerCloses) {
  Prepare("[SOUND_DEVICE]\r\nDEVICE=2\r\n");
  PlaceShippedLanguages();
  // The audio library has no device 2 and says so at the start.
  Start({}, true);
  ASSERT_TRUE(watcher->WaitForBoxes(1));
  OpenOptions();
  // Written at once.
  EXPECT_EQ(Checked("CheckNouvelleVersion"), "0");
  Click("CheckNouvelleVersion");
  EXPECT_EQ(Settings().ReadString("DATA", "CheckNouvelleVersion", ""), "1");
  Click("CheckNouvelleVersion");
  EXPECT_EQ(Settings().ReadString("DATA", "CheckNouvelleVersion", ""), "0");
  Click("CheckDemarrerLectureLancement");
  EXPECT_EQ(Settings().ReadString("DATA", "DemarrerLaLectureAuLancement", ""), "1");
  ShowPage(2);
  Click("CheckStartupFolderUpdate");
  EXPECT_EQ(Settings().ReadString("DATA", "StartupFolderUpdate", ""), "1");
  // Kept by the running player and saved when it closes.
  ShowPage(0);
  Click("CheckBallon");
  Click("CheckShuffle");
  Click("CheckLectureBoucle");
  ChooseRadio("RadioGroup2", 1);
  EXPECT_EQ(OptionsValue("ItemIndex", "RadioGroup2"), "1");
  ShowPage(4);
  Click("CheckAnimerIcone");
  Click("CheckBoxAlbumCoverPreview");
  EXPECT_EQ(Settings().ReadString("DATA", "AfficherBallon", "<none>"), "<none>");

  // The output device: "Default" is stored as -1, and the change is told
  // to take effect at the next start.
  ShowPage(0);
  ChooseComboItem("ComboOutputDev", 0);
  EXPECT_EQ(Settings().ReadString("SOUND_DEVICE", "DEVICE", ""), "-1");
  ASSERT_TRUE(watcher->WaitForBoxes(2));
  EXPECT_EQ(watcher->Seen()[1].title, "Sorivanel");
  EXPECT_EQ(watcher->Seen()[1].text, "This change takes effect the next time Sorivanel starts.");
  CloseOptions();
  Quit();

  const sv::IniFile saved = Settings();
  EXPECT_EQ(saved.ReadString("DATA", "AfficherBallon", ""), "0");
  EXPECT_EQ(saved.ReadString("DATA", "ReglageVolumeGlobal", ""), "0");
  EXPECT_EQ(saved.ReadString("DATA", "AnimerIcone", ""), "0");
  EXPECT_EQ(saved.ReadString("DATA", "AlbumCoverPreview", ""), "0");
  EXPECT_EQ(saved.ReadString("LECT", "Shuffle", ""), "1");
  EXPECT_EQ(saved.ReadString("LECT", "LectureBoucle", ""), "0");
}

TEST_F(OptionsPages, ALanguageChosenRetextsEveryOpenWindowAtOnce) {
  Prepare("Langue=LANG-AA.INI\r\n");
  std::filesystem::create_directories(folder / "lang");
  folder.Write("lang/lang-aa.ini",
               "[NAME]\r\nName=Alpha\r\n[OPTION]\r\nPage0=Choix\r\nCheckBallon=Bulle\r\n[MAIN]\r\nSpdBtnPrev=Avant\r\n");
  // No NAME section: listed under its file name.
  folder.Write("lang/lang-bb.ini",
               "[OPTION]\r\nPage0=Settings\r\nPage2=Folders\r\nRadioGroup2Item1=Own volume\r\nCheckBallon=Balloon\r\n"
               "[MAIN]\r\nSpdBtnPrev=Back\r\n");
  folder.Write("lang/other.ini", "[NAME]\r\nName=Not a language file\r\n");
  Start();
  OpenOptions();
  EXPECT_EQ(OptionsValue("Count", "ListBoxLangues"), "2");
  // The stored name differs in letter case only: still the current file.
  const int alpha = Item("ListBoxLangues", 0) == "Alpha" ? 0 : 1;
  EXPECT_EQ(Item("ListBoxLangues", alpha), "Alpha");
  EXPECT_EQ(Item("ListBoxLangues", 1 - alpha), "lang-bb.ini");
  EXPECT_EQ(OptionsValue("ItemIndex", "ListBoxLangues"), std::to_string(alpha));
  EXPECT_EQ(svtest::WindowText(options), "Sorivanel - Choix");
  EXPECT_EQ(OptionsValue("Caption", "CheckBallon"), "Bulle");
  EXPECT_EQ(Value("Hint", "SpdBtnPrev"), "Avant");

  ChooseListItem("ListBoxLangues", 1 - alpha);
  EXPECT_EQ(svtest::WindowText(options), "Sorivanel - Settings");
  EXPECT_EQ(OptionsValue("Caption", "CheckBallon"), "Balloon");
  EXPECT_EQ(Item("RadioGroup2", 1), "Own volume");
  EXPECT_EQ(Item("ListBoxPages", 0), "Settings");
  EXPECT_EQ(Item("ListBoxPages", 2), "Folders");
  // Keys the file lacks take the built-in texts again.
  EXPECT_EQ(Item("ListBoxPages", 4), "Affichages");
  EXPECT_EQ(Value("Hint", "SpdBtnPrev"), "Back");
  SavePicture("options-language.png");
  CloseOptions();
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "Langue", ""), "lang-bb.ini");
}

TEST_F(OptionsPages, BaseFoldersAreSavedRelativeOnEveryAddOrRemove) {
  Prepare("[REPERTOIRES]\r\n0=music\\\r\n1=Q:\\away\\\r\n");
  Start({}, true);
  OpenOptions();
  ShowPage(2);
  // Nothing chosen: the list is saved as it is, without a question.
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\n[REPERTOIRES]\r\n0=stale\\\r\n");
  Click("ButtonSupprRep");
  EXPECT_EQ(Settings().ReadString("REPERTOIRES", "0", ""), "music\\");
  EXPECT_EQ(Settings().ReadString("REPERTOIRES", "1", ""), "Q:\\away\\");
  EXPECT_EQ(Settings().ReadString("DATA", "CheckNouvelleVersion", ""), "0");
  EXPECT_TRUE(watcher->Seen().empty());

  // One chosen: "No" keeps it, "Yes" removes it and saves.
  svtest::SendTo(Control("ListeRep"), LB_SETSEL, TRUE, 0);
  watcher->Answer(IDNO);
  Click("ButtonSupprRep");
  ASSERT_TRUE(watcher->WaitForBoxes(1));
  EXPECT_EQ(watcher->Seen()[0].title, "Sorivanel");
  EXPECT_EQ(OptionsValue("Count", "ListeRep"), "2");
  watcher->Answer(IDYES);
  Click("ButtonSupprRep");
  ASSERT_TRUE(watcher->WaitForBoxes(2));
  EXPECT_EQ(OptionsValue("Count", "ListeRep"), "1");
  const sv::IniFile afterRemove = Settings();
  EXPECT_EQ(afterRemove.ReadString("REPERTOIRES", "0", ""), "Q:\\away\\");
  EXPECT_FALSE(afterRemove.ValueExists("REPERTOIRES", "1"));

  // The folder dialog cancelled: the list is saved all the same.
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\n");
  watcher->Answer(IDCANCEL);
  Click("ButtonAjouterRep");
  ASSERT_TRUE(watcher->WaitForBoxes(3));
  EXPECT_EQ(OptionsValue("Count", "ListeRep"), "1");
  EXPECT_EQ(Settings().ReadString("REPERTOIRES", "0", ""), "Q:\\away\\");

  // The icon dialog cancelled: nothing is written.
  ShowPage(4);
  Click("BtnChangerIcone");
  ASSERT_TRUE(watcher->WaitForBoxes(4));
  EXPECT_FALSE(Settings().ValueExists("DATA", "Icone"));
  CloseOptions();
  Quit();
}

// A Cyrillic base folder stored by the folders page, then a line added by
// hand in an editor that writes Windows-1252: the tree and the page show
// both folders, and the page's next save stores both names in UTF-8, as
// does the tree cache.
TEST_F(OptionsPages, BaseFoldersKeepTheirNamesAfterALineIsAddedInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the line added by hand is in Windows-1252";
  const std::string bom = "\xEF\xBB\xBF";
  const std::string base = svtest::PathToUtf8(folder.Path());
  std::filesystem::create_directories(folder / "Песни");
  std::filesystem::create_directories(folder / "café");
  Prepare("[REPERTOIRES]\r\n0=Песни\\\r\n");
  OpenOptions();
  ShowPage(2);
  // Nothing chosen: the page stores its list as it stands.
  Click("ButtonSupprRep");
  CloseOptions();
  Quit();
  std::string settings = Bytes("Sorivanel.ini");
  EXPECT_EQ(settings.rfind(bom, 0), 0u) << settings;
  EXPECT_EQ(Bytes("Sorivanel.tree"), bom + base + "\\Песни\\\r\n");
  const std::string stored = "\r\n0=Песни\\\r\n";
  ASSERT_NE(settings.find(stored), std::string::npos) << settings;
  settings.insert(settings.find(stored) + stored.size(), "1=caf\xE9\\\r\n");
  folder.Write("Sorivanel.ini", settings);
  // The tree is built from the settings again.
  std::filesystem::remove(folder / "Sorivanel.tree");

  Start();
  EXPECT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  ASSERT_TRUE(WaitFor("TreeComplete", "1", 60000));
  auto tree = State("TreeView1");
  EXPECT_EQ(tree["Node0"], "0|" + base + "\\Песни\\");
  EXPECT_EQ(tree["Node1"], "0|" + base + "\\café\\");
  OpenOptions();
  ShowPage(2);
  EXPECT_EQ(Item("ListeRep", 0), base + "\\Песни\\");
  EXPECT_EQ(Item("ListeRep", 1), base + "\\café\\");
  Click("ButtonSupprRep");
  const std::string saved = Bytes("Sorivanel.ini");
  EXPECT_EQ(saved.rfind(bom, 0), 0u) << saved;
  EXPECT_EQ(saved.find(bom, 1), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\n[REPERTOIRES]\r\n0=Песни\\\r\n1=café\\\r\n"), std::string::npos) << saved;
  CloseOptions();
  Quit();
  EXPECT_EQ(Bytes("Sorivanel.tree"), bom + base + "\\Песни\\\r\n" + base + "\\café\\\r\n");
}

TEST_F(OptionsPages, SkinsFontsAndTheBubbleOpacity) {
  Prepare("InfoBulleTransparency=200\r\n");
  PlaceSkins();
  // Not a skin without its skin.ini; named after its folder without a name.
  std::filesystem::create_directories(folder / "skin" / "empty");
  std::filesystem::create_directories(folder / "skin" / "plain");
  folder.Write("skin/plain/skin.ini", "[FONT]\r\n");
  Start();
  OpenOptions();
  ShowPage(4);
  // The slider shows what the stored opacity gives, and the opacity
  // becomes what the slider gives.
  EXPECT_EQ(OptionsValue("Position", "TrackTransparenceInfoBulle"), "21");
  EXPECT_EQ(OptionsValue("Caption", "LabelTransparency"), "21%");

  std::vector<std::string> skins;
  const int count = std::stoi(OptionsValue("Count", "ComboBoxSkins"));
  for (int i = 0; i < count; ++i) skins.push_back(Item("ComboBoxSkins", i));
  std::sort(skins.begin(), skins.end());
  EXPECT_EQ(skins, (std::vector<std::string>{"Ardoise", "Default", "plain"}));
  EXPECT_EQ(OptionsValue("Text", "ComboBoxSkins"), "Default");
  SavePicture("options-page4-filled.png");

  // Choosing a skin writes no font into it.
  const int plain = [&] {
    for (int i = 0; i < count; ++i)
      if (Item("ComboBoxSkins", i) == "plain") return i;
    return -1;
  }();
  ChooseComboItem("ComboBoxSkins", plain);
  EXPECT_EQ(sv::ReadFileBytes(PathOf("skin/plain/skin.ini"), 1 << 20), "[FONT]\r\n");
  EXPECT_EQ(OptionsValue("Tag"), "1");

  // Any font control then writes all eight keys, in their order.
  TypeComboText("ComboFontSize", "12");
  const sv::IniFile written(PathOf("skin/plain/skin.ini"));
  EXPECT_EQ(written.ReadSection("USERFONT"),
            (std::vector<std::string>{"PoliceName", "PoliceSize", "PoliceBold", "PoliceItalic", "BalloonPoliceName",
                                      "BalloonPoliceSize", "BalloonPoliceBold", "BalloonPoliceItalic"}));
  EXPECT_EQ(written.ReadString("USERFONT", "PoliceSize", ""), "12");
  // The skin's font, whether or not this machine has it: never blank.
  EXPECT_EQ(written.ReadString("USERFONT", "PoliceName", ""), "Tahoma");

  // "Par défaut" with an empty FONT section: the built-in defaults.
  Click("CheckItalic");
  EXPECT_EQ(sv::IniFile(PathOf("skin/plain/skin.ini")).ReadString("USERFONT", "PoliceItalic", ""), "1");
  Click("BtnPoliceDefaut");
  const sv::IniFile defaults(PathOf("skin/plain/skin.ini"));
  EXPECT_EQ(defaults.ReadString("USERFONT", "PoliceName", ""), "Tahoma");
  EXPECT_EQ(defaults.ReadString("USERFONT", "PoliceSize", ""), "8");
  EXPECT_EQ(defaults.ReadString("USERFONT", "PoliceBold", ""), "1");
  EXPECT_EQ(defaults.ReadString("USERFONT", "PoliceItalic", ""), "0");
  EXPECT_EQ(defaults.ReadString("USERFONT", "BalloonPoliceName", ""), "Tahoma");
  EXPECT_EQ(OptionsValue("Checked", "CheckItalic"), "0");

  // The icon's "Par défaut" stores the built-in icon.
  Click("BtnIconeDefaut");
  EXPECT_TRUE(Settings().ValueExists("DATA", "Icone"));
  EXPECT_EQ(Settings().ReadString("DATA", "Icone", "<none>"), "");

  MoveSlider("TrackTransparenceInfoBulle", 80);
  EXPECT_EQ(OptionsValue("Caption", "LabelTransparency"), "80%");
  CloseOptions();
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "InfoBulleTransparency", ""), "51");
  EXPECT_EQ(Settings().ReadString("DATA", "Skin", ""), "plain");
}

TEST_F(OptionsPages, ASkinFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  Prepare();
  PlaceSkins();
  const std::string before = Bytes("skin/default/skin.ini");
  Start({}, true);
  OpenOptions();
  ShowPage(4);
  {
    // Another program holds the file and shares it with nobody.
    const std::wstring skinIni = (folder / "skin" / "default" / "skin.ini").wstring();
    HANDLE held = CreateFileW(skinIni.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Click("CheckBold");
    const bool reported = watcher->WaitForBoxes(1);
    CloseHandle(held);
    ASSERT_TRUE(reported);
  }
  EXPECT_NE(watcher->Seen()[0].text.find("skin.ini"), std::string::npos) << watcher->Seen()[0].text;
  EXPECT_EQ(Bytes("skin/default/skin.ini"), before);
  // The window goes on working.
  EXPECT_EQ(OptionsValue("Tag"), "1");
  Click("CheckBold");
  EXPECT_TRUE(sv::IniFile(PathOf("skin/default/skin.ini")).SectionExists("USERFONT"));
  CloseOptions();
  Quit();
}

TEST_F(OptionsPages, TheOpacityOfABubbleOpenedAndClosedBecomesWhatTheSliderGives) {
  Prepare("InfoBulleTransparency=200\r\n");
  Start();
  OpenOptions();
  CloseOptions();
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "InfoBulleTransparency", ""), "201");
}

}  // namespace
}  // namespace playertest
