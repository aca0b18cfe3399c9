// Form description of the options window's page 4, "Affichages".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kDisplayPage[] = {
    {K::GroupBox, "GroupBox3", "", {0, 0, 376, 50}, "Police des listes"},
    {K::DropDownList, "ComboFontName", "GroupBox3", {8, 19, 140, 300}, ""},
    {K::DropDown, "ComboFontSize", "GroupBox3", {152, 19, 46, 300}, ""},
    {K::CheckBox, "CheckBold", "GroupBox3", {204, 21, 48, 17}, "Bold"},
    {K::CheckBox, "CheckItalic", "GroupBox3", {254, 21, 52, 17}, "Italic"},
    {K::Button, "BtnPoliceDefaut", "GroupBox3", {308, 18, 62, 23}, "Par défaut"},
    {K::GroupBox, "GroupBox2", "", {0, 54, 376, 50}, "Police de l'info-bulle"},
    {K::DropDownList, "ComboBalloonFontName", "GroupBox2", {8, 19, 140, 300}, ""},
    {K::DropDown, "ComboBalloonFontSize", "GroupBox2", {152, 19, 46, 300}, ""},
    {K::CheckBox, "CheckBalloonBold", "GroupBox2", {204, 21, 48, 17}, "Bold"},
    {K::CheckBox, "CheckBalloonItalic", "GroupBox2", {254, 21, 52, 17}, "Italic"},
    {K::Button, "BtnBalloonPoliceDefaut", "GroupBox2", {308, 18, 62, 23}, "Par défaut"},
    {K::GroupBox, "GroupBox9", "", {0, 108, 184, 80}, "Icône de la barre des tâches"},
    {K::Icon, "ImageIconeBarreDesTaches", "GroupBox9", {10, 26, 32, 32}, ""},
    {K::Button, "BtnChangerIcone", "GroupBox9", {52, 20, 124, 23}, "Changer"},
    {K::Button, "BtnIconeDefaut", "GroupBox9", {52, 48, 124, 23}, "Par défaut"},
    {K::CheckBox, "CheckAnimerIcone", "", {0, 194, 184, 17}, "Animer l'icône pendant la lecture"},
    {K::GroupBox, "GroupBox15", "", {192, 108, 184, 80}, "Skin"},
    {K::DropDownList, "ComboBoxSkins", "GroupBox15", {8, 20, 168, 300}, ""},
    {K::LinkLabel, "LabelEditSkins", "GroupBox15", {8, 52, 80, 16}, "< Edit skins >"},
    {K::LinkLabel, "LabelGetMoreSkins", "GroupBox15", {90, 52, 90, 16}, "< Get more skin >"},
    {K::GroupBox, "GroupBoxTranspInfoBulle", "", {192, 194, 184, 64}, "Transparence de l'info-bulle"},
    {K::TrackBar, "TrackTransparenceInfoBulle", "GroupBoxTranspInfoBulle", {6, 20, 132, 34}, ""},
    {K::Label, "LabelTransparency", "GroupBoxTranspInfoBulle", {144, 28, 34, 14}, "0%"},
    {K::CheckBox, "CheckBoxAlbumCoverPreview", "", {0, 266, 376, 17},
     "Album cover preview (display the file \"cover.jpg\" in song folder)"},
};

constexpr const char* kFontSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36",
                                      "48", "72"};

}  // namespace

void TFormOptions::BuildDisplayPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kDisplayPage);
  ComboFontName = Find<forms::ComboBox>("ComboFontName");
  ComboFontSize = Find<forms::ComboBox>("ComboFontSize");
  CheckBold = Find<forms::CheckBox>("CheckBold");
  CheckItalic = Find<forms::CheckBox>("CheckItalic");
  BtnPoliceDefaut = Find<forms::Button>("BtnPoliceDefaut");
  ComboBalloonFontName = Find<forms::ComboBox>("ComboBalloonFontName");
  ComboBalloonFontSize = Find<forms::ComboBox>("ComboBalloonFontSize");
  CheckBalloonBold = Find<forms::CheckBox>("CheckBalloonBold");
  CheckBalloonItalic = Find<forms::CheckBox>("CheckBalloonItalic");
  BtnBalloonPoliceDefaut = Find<forms::Button>("BtnBalloonPoliceDefaut");
  ImageIconeBarreDesTaches = Find<forms::IconView>("ImageIconeBarreDesTaches");
  BtnChangerIcone = Find<forms::Button>("BtnChangerIcone");
  BtnIconeDefaut = Find<forms::Button>("BtnIconeDefaut");
  CheckAnimerIcone = Find<forms::CheckBox>("CheckAnimerIcone");
  ComboBoxSkins = Find<forms::ComboBox>("ComboBoxSkins");
  LabelEditSkins = Find<forms::LinkLabel>("LabelEditSkins");
  LabelGetMoreSkins = Find<forms::LinkLabel>("LabelGetMoreSkins");
  TrackTransparenceInfoBulle = Find<forms::TrackBar>("TrackTransparenceInfoBulle");
  LabelTransparency = Find<forms::Label>("LabelTransparency");
  CheckBoxAlbumCoverPreview = Find<forms::CheckBox>("CheckBoxAlbumCoverPreview");

  for (forms::ComboBox* size : {ComboFontSize, ComboBalloonFontSize})
    for (const char* points : kFontSizes) size->Add(points);
  for (forms::ComboBox* combo : {ComboFontName, ComboFontSize, ComboBalloonFontName, ComboBalloonFontSize})
    combo->OnChange = Bind(this, &TFormOptions::ComboFontChange);
  for (forms::CheckBox* box : {CheckBold, CheckItalic, CheckBalloonBold, CheckBalloonItalic})
    box->OnClick = Bind(this, &TFormOptions::ComboFontChange);
  BtnPoliceDefaut->OnClick = Bind(this, &TFormOptions::BtnPoliceDefautClick);
  BtnBalloonPoliceDefaut->OnClick = Bind(this, &TFormOptions::BtnPoliceDefautClick);
  BtnChangerIcone->OnClick = Bind(this, &TFormOptions::BtnChangerIconeClick);
  BtnIconeDefaut->OnClick = Bind(this, &TFormOptions::BtnChangerIconeClick);
  CheckAnimerIcone->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  CheckBoxAlbumCoverPreview->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  ComboBoxSkins->OnChange = Bind(this, &TFormOptions::ComboBoxSkinsChange);
  LabelEditSkins->OnClick = Bind(this, &TFormOptions::LabelEditSkinsClick);
  LabelGetMoreSkins->OnClick = Bind(this, &TFormOptions::LabelGetMoreSkinsClick);
  TrackTransparenceInfoBulle->SetRange(0, kOpacitySliderMax);
  TrackTransparenceInfoBulle->SetPageSize(5);
  TrackTransparenceInfoBulle->SetFrequency(10);
  TrackTransparenceInfoBulle->OnChange = Bind(this, &TFormOptions::TrackTransparenceInfoBulleChange);
}

}  // namespace player
