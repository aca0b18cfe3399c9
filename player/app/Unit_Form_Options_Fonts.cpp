// The options window's fonts (page 4): the list font and the info bubble's
// font, written over the active skin's own in its skin.ini (section
// USERFONT), after which the skin is loaded again.
#include <windows.h>

#include <algorithm>
#include <set>

#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "skin/SkinFormat.h"

namespace player {

namespace {

using sv::skin::kMissingFontMark;

int CALLBACK CollectFont(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
  if (font->lfFaceName[0] != L'@') reinterpret_cast<std::set<std::wstring>*>(data)->insert(font->lfFaceName);
  return 1;
}

// The screen's font families, sorted by name.
std::vector<std::string> ScreenFonts() {
  std::set<std::wstring> names;
  HDC screen = GetDC(nullptr);
  if (!screen) return {};
  LOGFONTW pattern{};
  pattern.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(screen, &pattern, &CollectFont, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(nullptr, screen);
  std::vector<std::string> result;
  for (const std::wstring& name : names) result.push_back(forms::narrow(name));
  return result;
}

void SelectFontName(forms::ComboBox& combo, const std::string& name) {
  // A marked entry of an earlier choice goes first.
  for (int i = combo.Count() - 1; i >= 0; --i)
    if (combo.Item(i).ends_with(kMissingFontMark)) {
      combo.Clear();
      break;
    }
  if (combo.Count() == 0)
    for (const std::string& font : ScreenFonts()) combo.Add(font);
  int index = combo.IndexOf(name);
  if (index < 0 && !name.empty()) {
    combo.Add(name + kMissingFontMark);
    index = combo.Count() - 1;
  }
  combo.SetItemIndex(index);
}

std::string ChosenFontName(const forms::ComboBox& combo) {
  const int index = combo.ItemIndex();
  if (index < 0) return {};
  std::string name = combo.Item(index);
  if (name.ends_with(kMissingFontMark)) name.resize(name.size() - (sizeof(kMissingFontMark) - 1));
  return name;
}

struct FontControls {
  forms::ComboBox* Name;
  forms::ComboBox* Size;
  forms::CheckBox* Bold;
  forms::CheckBox* Italic;

  void Show(const FontChoice& font) const {
    SelectFontName(*Name, font.Name);
    Size->SetText(font.Size);
    Bold->SetChecked(font.Bold);
    Italic->SetChecked(font.Italic);
  }
  FontChoice Shown() const { return {ChosenFontName(*Name), Size->Text(), Bold->Checked(), Italic->Checked()}; }
};

FontChoice ChoiceOf(const sv::skin::FontSpec& font) {
  return {font.Name, std::to_string(font.Size), font.Bold, font.Italic};
}

}  // namespace

void TFormOptions::FillFonts() {
  if (!Form1) return;
  const FontControls list{ComboFontName, ComboFontSize, CheckBold, CheckItalic};
  const FontControls balloon{ComboBalloonFontName, ComboBalloonFontSize, CheckBalloonBold, CheckBalloonItalic};
  list.Show(ChoiceOf(Form1->ActiveSkin.Font));
  balloon.Show(ChoiceOf(Form1->ActiveSkin.BalloonFont));
}

void TFormOptions::ComboFontChange(forms::TComponent*) {
  if (Tag == 0 || !Form1) return;
  const FontControls list{ComboFontName, ComboFontSize, CheckBold, CheckItalic};
  const FontControls balloon{ComboBalloonFontName, ComboBalloonFontSize, CheckBalloonBold, CheckBalloonItalic};
  sv::IniFile skinIni(Form1->SkinFolder + "skin.ini");
  WriteUserFonts(skinIni, list.Shown(), balloon.Shown());
  Form1->Request(RequestKind::SettingsChange, [] {
    if (Form1) Form1->LoadSkin(true);
  });
}

void TFormOptions::BtnPoliceDefautClick(forms::TComponent* Sender) {
  if (!Form1) return;
  const FontDefaults defaults = ReadFontDefaults(sv::IniFile(Form1->SkinFolder + "skin.ini"));
  const FontControls list{ComboFontName, ComboFontSize, CheckBold, CheckItalic};
  const FontControls balloon{ComboBalloonFontName, ComboBalloonFontSize, CheckBalloonBold, CheckBalloonItalic};
  list.Show(defaults.List);
  balloon.Show(defaults.Balloon);
  ComboFontChange(Sender);
}

}  // namespace player
