// The skin editor under Wine, end to end: the shipped skins opened and
// previewed (a picture of the window for each in the build folder), a skin
// with every key opened and saved unchanged against a golden file, the
// backup, a locked skin.ini, a value the player cannot use, a folder
// without skin.ini, New Skin, a broken bitmap, the questions before a
// modified skin is left, and a line written by hand in the ANSI code page.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <fstream>

#include "base/IniFile.h"
#include "skineditor/MenuCommands.h"
#include "tests/skineditor/EditorDriver.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/GdiObjects.h"
#include "tests/support/PaintedText.h"

namespace editortest {
namespace {

using quorvane::kCommandNewSkin;
using quorvane::kCommandSave;

class Editor : public EditorProgram {
 protected:
  void PlaceFull() { PlaceFullSkin(folder.Path()); }
  // Clicks a tab, so that the tab tells its parent.
  void PageControlPage(int page) {
    const LPARAM point = page == 1 ? MAKELPARAM(123, 9) : MAKELPARAM(210, 9);
    svtest::SendTo(Control("PageControl1"), WM_LBUTTONDOWN, MK_LBUTTON, point);
    svtest::SendTo(Control("PageControl1"), WM_LBUTTONUP, 0, point);
    EXPECT_TRUE(WaitFor("ActivePage", std::to_string(page), "PageControl1"));
  }
  // The bubble preview's text, measured where it is painted (a bitmap of
  // its panel's format, the label's font), fits the label's box whole.
  void ExpectBubbleTextFits() {
    auto label = State("Label45");
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(label["Bounds"].c_str(), "%d,%d,%d,%d", &left, &top, &width, &height), 4);
    const SIZE needed =
        svtest::PaintedTextSize(Control("Panel1"), label, "Sorivanel\n Artist - Album - SampleTrack", DT_NOPREFIX);
    EXPECT_LE(needed.cx, width);
    EXPECT_LE(needed.cy, height);
  }

  std::string FullIni() { return svtest::ReadFileBytes(folder / "skin" / "full" / "skin.ini").value_or(""); }
};

TEST_F(Editor, ShippedSkinsOpenAndShowThePlayersLook) {
  Start({SkinPath("default") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  EXPECT_EQ(svtest::WindowText(mainWindow), SkinPath("default"));
  EXPECT_EQ(Value("SaveEnabled"), "1");
  EXPECT_EQ(Value("Modified"), "0");
  EXPECT_EQ(Text("Edit5"), "340");
  // Laid out as the player lays out the default skin at its design size.
  EXPECT_EQ(Value("Bounds", "PanelPreview").substr(Value("Bounds", "PanelPreview").find(',', 4) + 1), "300,380");
  EXPECT_EQ(Value("Bounds", "Panel_Listes"), "5,5,290,340");
  EXPECT_EQ(Value("Bounds", "SpdBtnPlay"), "241,349,24,24");
  EXPECT_EQ(Value("Bounds", "ProgressBar1"), "94,350,119,8");
  ScreenShot("editor-default");
  const sv::skin::BmpImage preview = Capture("PanelPreview", "editor-default-preview");
  ASSERT_EQ(preview.Width, 300);
  // The play glyph turns into the pause glyph and back.
  Click("SpdBtnPlay");
  EXPECT_TRUE(WaitFor("PlayGlyph", "pause"));
  Click("SpdBtnPlay");
  EXPECT_TRUE(WaitFor("PlayGlyph", "play"));

  // Another shipped skin, dropped: its folder opens.
  Drop({SkinPath("ardoise") + "skin.ini"});
  ASSERT_TRUE(svtest::WaitUntil([&] { return svtest::WindowText(mainWindow) == SkinPath("ardoise"); }));
  EXPECT_TRUE(WaitFor("Guard", "1"));
  ScreenShot("editor-ardoise");
  for (int page : {1, 2}) {
    PageControlPage(page);
    ScreenShot(page == 1 ? "editor-ardoise-balloon" : "editor-ardoise-buttons");
  }
  ExpectBubbleTextFits();
  // A larger bold font: the preview still holds the whole text.
  Type("ComboBalloonFontSize", "14");
  Click("CheckBalloonBold");
  ExpectBubbleTextFits();
  Capture("Panel1", "editor-bubble-14pt");
  EXPECT_TRUE(Quiet());
}

TEST_F(Editor, OpenAndSaveWithoutEditsKeepsEverythingButUserFont) {
  PlaceFull();
  const std::string before = FullIni();
  Start({SkinPath("full") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  // The stored font is not installed: kept, marked.
  EXPECT_EQ(Value("Text", "ComboFontName"), "NoSuchFontXYZ (?)");
  // The background is wider than the design width: the preview takes the
  // bitmap's width, and the right-anchored play button moves with it in
  // the preview only.
  const std::string panel = Value("Bounds", "PanelPreview");
  EXPECT_EQ(panel.substr(panel.find(',', panel.find(',') + 1) + 1), "400,200");
  EXPECT_EQ(Value("Place.BtnPlay"), "250,169,0,001");
  const sv::skin::BmpImage shot = Capture("PanelPreview", "editor-full-preview");
  ASSERT_EQ(shot.Width, 400);
  // Nine regions of the background: corners unscaled, edges stretched.
  EXPECT_EQ(Hex(shot.Pixel(1, 199)), "707070") << "bottom-left corner";
  EXPECT_EQ(Hex(shot.Pixel(398, 199)), "909090") << "bottom-right corner";
  EXPECT_EQ(Hex(shot.Pixel(200, 199)), "808080") << "bottom edge";
  EXPECT_EQ(Hex(shot.Pixel(1, 160)), "404040") << "left edge, stretched";

  Command(kCommandSave);
  const auto boxes = AnswerBoxes({{"Are you sure ??", IDYES}, {"Do you want to create a \"skin.old.ini\" file ??", IDYES}});
  ASSERT_TRUE(WaitFor("Modified", "0"));
  EXPECT_TRUE(Quiet());
  const std::string saved = FullIni();
  EXPECT_EQ(saved, FixtureText("full.golden.ini"));
  EXPECT_EQ(svtest::ReadFileBytes(folder / "skin" / "full" / "skin.old.ini").value_or(""), before);

  // Saving again changes nothing, and an older backup is replaced.
  Command(kCommandSave);
  AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDYES}});
  EXPECT_TRUE(Quiet());
  EXPECT_EQ(FullIni(), saved);
  EXPECT_EQ(svtest::ReadFileBytes(folder / "skin" / "full" / "skin.old.ini").value_or(""), saved);
}

// A non-ASCII value saved, then a line changed by hand in an editor that
// writes Windows-1252: the editor shows both values, and its next save
// stores both in UTF-8 behind one BOM.
TEST_F(Editor, ASaveKeepsNonAsciiValuesAfterALineWasWrittenInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the line changed by hand is in Windows-1252";
  const std::string bom = "\xEF\xBB\xBF";
  PlaceFull();
  Start({SkinPath("full") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  Type("Edit11", "Тёмная");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  Command(kCommandSave);
  AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDNO}});
  ASSERT_TRUE(WaitFor("Modified", "0"));
  Stop();
  std::string ini = FullIni();
  EXPECT_EQ(ini.rfind(bom, 0), 0u) << ini;
  const std::string play = "PlayBmpFile=..\\default\\img_play.bmp\r\n";
  ASSERT_NE(ini.find(play), std::string::npos) << ini;
  ini.replace(ini.find(play), play.size(), "PlayBmpFile=caf\xE9.bmp\r\n");
  svtest::WriteFileBytes(folder / "skin" / "full" / "skin.ini", ini);

  Start({SkinPath("full") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  EXPECT_EQ(Text("Edit11"), "Тёмная");
  EXPECT_EQ(Text("Edit17"), "café.bmp");
  Type("Edit6", "310");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  Command(kCommandSave);
  AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDNO}});
  ASSERT_TRUE(WaitFor("Modified", "0"));
  Stop();
  const std::string saved = FullIni();
  EXPECT_EQ(saved.rfind(bom, 0), 0u) << saved;
  EXPECT_EQ(saved.find(bom, 1), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\nSkinName=Тёмная\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\nPlayBmpFile=café.bmp\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\nFormWidth=310\r\n"), std::string::npos) << saved;
}

TEST_F(Editor, ALockedSkinIniIsLeftAsItWasAndTheSkinStaysModified) {
  PlaceFull();
  const std::string before = FullIni();
  Start({SkinPath("full") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  Type("Edit6", "310");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  {
    HANDLE lock = CreateFileW((folder / "skin" / "full" / "skin.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    // A backup cannot be read from the locked file: the save stops there.
    Command(kCommandSave);
    auto seen = AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDYES}, {"was not saved", IDOK}});
    // Without a backup the replace itself fails.
    Command(kCommandSave);
    seen = AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDNO}, {"is unchanged", IDOK}});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NE(seen[2].find("skin.ini"), std::string::npos) << seen[2];
    CloseHandle(lock);
  }
  EXPECT_EQ(FullIni(), before);
  EXPECT_FALSE(folder.Exists("skin/full/skin.old.ini"));
  EXPECT_EQ(Value("Modified"), "1");
  for (const auto& entry : std::filesystem::directory_iterator(folder / "skin" / "full"))
    EXPECT_EQ(entry.path().extension() == ".tmp", false) << svtest::PathToUtf8(entry.path());
}

TEST_F(Editor, AValueThePlayerCannotUseIsShownAsThePlayerShowsItAndSavedAfterAWarning) {
  Start({SkinPath("default") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  Type("Edit6", "abc");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  const std::string panel = Value("Bounds", "PanelPreview");
  EXPECT_EQ(panel.substr(panel.find(',', panel.find(',') + 1) + 1), "300,380") << "the player's width for \"abc\"";
  // No: nothing is written.
  Command(kCommandSave);
  auto seen = AnswerBoxes({{"Are you sure ??", IDYES}, {"Skin Width: \"abc\"", IDNO}});
  EXPECT_TRUE(Quiet());
  EXPECT_NE(sv::IniFile(svtest::PathToUtf8(folder / "skin" / "default" / "skin.ini")).ReadString("POSITION", "FormWidth", ""),
            "abc");
  Command(kCommandSave);
  AnswerBoxes({{"Are you sure ??", IDYES}, {"Save anyway?", IDYES}, {"skin.old.ini", IDNO}});
  ASSERT_TRUE(WaitFor("Modified", "0"));
  EXPECT_EQ(sv::IniFile(svtest::PathToUtf8(folder / "skin" / "default" / "skin.ini")).ReadString("POSITION", "FormWidth", ""),
            "abc");
}

TEST_F(Editor, AFolderWithoutSkinIniOrAnUnreadableOneKeepsTheOpenSkin) {
  std::filesystem::create_directories(folder / "skin" / "empty");
  Start({SkinPath("default") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  Drop({svtest::PathToUtf8(folder / "skin" / "empty")});
  const auto seen = AnswerBoxes({{"doesn't exist", IDOK}});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "The file \"skin.ini\" doesn't exist in selected folder :\n" + SkinPath("empty") +
                         "\nPlease copy an existing \"skin.ini\" file from another folder.");
  EXPECT_EQ(svtest::WindowText(mainWindow), SkinPath("default"));
  EXPECT_EQ(Value("SkinFolder"), SkinPath("default"));
  EXPECT_TRUE(Quiet());

  // A skin.ini held open without read sharing: an error naming it, and the
  // skin open so far stays with its values.
  PlaceFull();
  HANDLE lock = CreateFileW((folder / "skin" / "full" / "skin.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Drop({SkinPath("full") + "skin.ini"});
  const auto locked = AnswerBoxes({{"cannot be read", IDOK}});
  CloseHandle(lock);
  ASSERT_EQ(locked.size(), 1u);
  EXPECT_NE(locked[0].find(SkinPath("full") + "skin.ini"), std::string::npos) << locked[0];
  EXPECT_EQ(svtest::WindowText(mainWindow), SkinPath("default"));
  EXPECT_EQ(Value("SkinFolder"), SkinPath("default"));
  EXPECT_EQ(Text("Edit11"), "Default");
  EXPECT_EQ(Value("Modified"), "0");
  EXPECT_TRUE(Quiet());
}

TEST_F(Editor, StartedOnAFolderWithoutSkinIniItCannotSave) {
  std::filesystem::create_directories(folder / "skin" / "empty");
  Start({SkinPath("empty") + "skin.ini"});
  AnswerBoxes({{"doesn't exist", IDOK}});
  EXPECT_EQ(svtest::WindowText(mainWindow), "Sorivanel Skin Maker v1.01");
  EXPECT_EQ(Value("SaveEnabled"), "0");
}

TEST_F(Editor, NewSkinTakesOnlySkinIniAndFillsTheDefaults) {
  std::filesystem::create_directories(folder / "skin" / "mine");
  Start({});
  Command(kCommandNewSkin);
  AnswerFileDialog(SkinPath("mine") + "Skin.ini");
  AnswerBoxes({{"You can only create a \"skin.ini\" file", IDOK}});
  EXPECT_FALSE(folder.Exists("skin/mine/Skin.ini"));
  Command(kCommandNewSkin);
  AnswerFileDialog(SkinPath("mine") + "skin.ini");
  ASSERT_TRUE(WaitFor("Guard", "1"));
  EXPECT_EQ(svtest::ReadFileBytes(folder / "skin" / "mine" / "skin.ini"), std::optional<std::string>(""));
  EXPECT_EQ(Text("Edit11"), "Enter a skin name");
  EXPECT_EQ(Text("Edit5"), "340");
  EXPECT_EQ(Text("Edit23"), "");
  EXPECT_EQ(Value("Colour", "Label19"), "$C8D0D4");
  Command(kCommandSave);
  AnswerBoxes({{"Are you sure ??", IDYES}, {"skin.old.ini", IDNO}});
  ASSERT_TRUE(WaitFor("Modified", "0"));
  const std::string saved = svtest::ReadFileBytes(folder / "skin" / "mine" / "skin.ini").value_or("");
  EXPECT_EQ(saved.find("[FOND]\r\nSkinName=Enter a skin name\r\n"), 0u) << saved;
  EXPECT_NE(saved.find("DuplicateW=\r\n"), std::string::npos);
  EXPECT_NE(saved.find("ListsHeight=340\r\n"), std::string::npos);

  // Modified: New Skin asks once, and No keeps everything.
  Type("Edit11", "Mine");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  Command(kCommandNewSkin);
  AnswerBoxes({{"create a new skin??", IDYES}});
  AnswerFileDialog(SkinPath("mine") + "skin.ini");
  ASSERT_TRUE(WaitFor("Modified", "0"));
  EXPECT_TRUE(Quiet()) << "asked a second time";
}

TEST_F(Editor, ABrokenOrHugeBitmapIsReportedOnceAndTheRestIsDrawn) {
  std::filesystem::create_directories(folder / "skin" / "bad");
  svtest::WriteFileBytes(folder / "skin" / "bad" / "skin.ini", "[COLOR]\r\nClFondListe=$00FF00\r\n");
  svtest::WriteFileBytes(folder / "skin" / "bad" / "garbage.bmp", "BM this is no bitmap");
  std::string huge = svtest::Bmp({{0x123456}});
  huge[18] = '\xA0';  // 100000 px wide
  huge[19] = '\x86';
  huge[20] = '\x01';
  svtest::WriteFileBytes(folder / "skin" / "bad" / "huge.bmp", huge);
  Start({SkinPath("bad") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  Type("Edit1", "garbage.bmp");
  AnswerBoxes({{"garbage.bmp", IDOK}});
  Type("Edit6", "301");
  Type("Edit6", "300");
  EXPECT_TRUE(Quiet()) << "reported again";
  Type("Edit12", "huge.bmp");
  AnswerBoxes({{"huge.bmp", IDOK}});
  Type("Edit7", "381");
  EXPECT_TRUE(Quiet());
  // The list is still drawn in the skin's colour.
  const sv::skin::BmpImage shot = Capture("PanelPreview");
  EXPECT_EQ(Hex(shot.Pixel(250, 300)), "00FF00");
}

TEST_F(Editor, PositionsAreEditedInTheModelAndLeavingAModifiedSkinAsks) {
  Start({SkinPath("default") + "skin.ini"});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  PickPosition(8);  // Play / Pause
  EXPECT_EQ(Text("Edit29"), "241");
  EXPECT_EQ(Value("Checked", "CheckAnchorBottom"), "1");
  EXPECT_EQ(Value("Checked", "CheckAnchorLeft"), "0");
  EXPECT_EQ(Value("Enabled", "Edit31"), "0");
  Type("Edit29", "200");
  ASSERT_TRUE(WaitFor("Modified", "1"));
  EXPECT_EQ(Value("Place.BtnPlay"), "200,349,0,001");
  Type("Edit30", "x");
  EXPECT_EQ(Value("Place.BtnPlay"), "200,50,0,001") << "a top that is no number falls back to 50";
  PickPosition(5);  // Position bar
  EXPECT_EQ(Value("Enabled", "Edit31"), "1");
  EXPECT_EQ(Text("Edit31"), "119");

  // Closing, opening another skin: each asks, No keeps the state.
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  AnswerBoxes({{"are you sure you want to quit??", IDNO}});
  Drop({SkinPath("ardoise")});
  AnswerBoxes({{"are you sure you want to open another skin??", IDNO}});
  EXPECT_TRUE(editor->Running());
  EXPECT_EQ(Value("SkinFolder"), SkinPath("default"));
  EXPECT_EQ(Value("Modified"), "1");
  EXPECT_TRUE(Quiet());
}

TEST_F(Editor, ColoursAndBitmapsComeFromTheirDialogsAndRedrawsLeakNothing) {
  Start({SkinPath("default")});
  ASSERT_TRUE(WaitFor("Guard", "1"));
  EXPECT_EQ(svtest::WindowText(mainWindow), SkinPath("default")) << "a folder argument opens that folder";

  // The colour dialog, fully open, red typed into its fields.
  Click("Label59");
  HWND dialog = nullptr;
  ASSERT_TRUE(svtest::WaitUntil([&] {
    dialog = FindWindowW(L"#32770", nullptr);
    return dialog && svtest::WindowProcess(dialog) == editor->Id() && GetDlgItem(dialog, 706);
  }));
  for (const auto& [id, value] : {std::pair{706, L"255"}, std::pair{707, L"0"}, std::pair{708, L"0"}})
    svtest::SendTo(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor("Colour", "$0000FF", "Label59"));
  EXPECT_EQ(Value("Modified"), "1");
  EXPECT_EQ(Hex(Capture("PanelPreview").Pixel(250, 300)), "FF0000") << "the playlist in the new colour";

  // A bitmap of a sibling skin is stored relative to this one.
  PageControlPage(2);
  Click("LabelEdit17");
  AnswerFileDialog(SkinPath("ardoise") + "img_play.bmp");
  EXPECT_EQ(Text("Edit17"), "..\\ardoise\\img_play.bmp");

  // Every keystroke redraws the preview; the redraws keep no GDI objects
  // beyond those the first ones load for the later ones. A redraw that kept
  // one object would add a thousand; the system's own caches (fonts, device
  // contexts) grow by a few dozen at most, at moments of their own.
  for (int i = 0; i < 20; ++i) Type("Edit6", i % 2 ? "310" : "300");
  const long before = svtest::GdiObjects(editor->Handle());
  ASSERT_GT(before, 0) << "the editor's GDI objects cannot be counted";
  for (int i = 0; i < 1000; ++i) Type("Edit6", i % 2 ? "310" : "300");
  const long after = svtest::GdiObjects(editor->Handle());
  EXPECT_LE(after, before + 100) << "before " << before << ", after " << after;
}

}  // namespace
}  // namespace editortest
