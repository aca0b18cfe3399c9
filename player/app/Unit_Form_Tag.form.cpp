// Form description of TFormTag: two columns of tick boxes and fields, the
// file list, the information text, the progress bar and the buttons.
#include <algorithm>
#include <string>

#include "forms/Events.h"
#include "player/app/Unit_Form_Tag.h"
#include "tags/Genres.h"

namespace player {

namespace {

using forms::Bind;
using forms::Bounds;
using forms::ButtonKind;
using forms::New;

enum class FieldKind { Edit, Memo, Genre };

// One row of a column: its box, its field and what the field takes.
struct RowDescription {
  TagField Field;
  const char* Check;     // + "v1" / "v2"
  const char* Caption;
  const char* Control;   // + "v1" / "v2"
  FieldKind Kind;
  int Top, Width, Height;
  int Limit1, Limit2;    // characters; 0 for none
};

constexpr RowDescription kRows[] = {
    {FieldArtist, "CheckArtist", "Artiste", "LabelArtist", FieldKind::Edit, 24, 164, 21, 30, 0},
    {FieldAlbum, "CheckAlbum", "Album", "LabelAlbum", FieldKind::Edit, 50, 164, 21, 30, 0},
    {FieldTitle, "CheckTitre", "Titre", "LabelTitre", FieldKind::Edit, 76, 164, 21, 30, 0},
    {FieldYear, "CheckAnnee", "Année", "LabelAnnee", FieldKind::Edit, 102, 48, 21, 4, 4},
    {FieldTrack, "CheckNb", "No", "LabelNb", FieldKind::Edit, 128, 32, 21, 2, 2},
    {FieldComment, "CheckCom", "Commentaire", "LabelCom", FieldKind::Memo, 154, 164, 44, 29, 0},
    {FieldGenre, "CheckGenre", "Genre", "ComboGenre", FieldKind::Genre, 204, 164, 220, 0, 0},
};

// The columns' left edges inside the window, and where a row's field starts.
constexpr int kColumnLeft[2] = {8, 292};
constexpr int kColumnWidth = 276;
constexpr int kFieldLeft = 100;

}  // namespace

void TFormTag::CreateComponents() {
  SetName("FormTag");
  SetCaption("Editeur de méta tags");
  SetBorderStyle(forms::BorderKind::Single);
  SetBounds(120, 80, 584, 448);
  OnShow = Bind(this, &TFormTag::FormShow);
  OnClose = Bind(this, &TFormTag::FormClose);

  // The controls come first: the group boxes made after them stay behind.
  for (int c = 0; c < 2; ++c) {
    const std::string suffix = c == 0 ? "v1" : "v2";
    const int left = kColumnLeft[c];
    ColumnControls& column = Columns[static_cast<std::size_t>(c)];
    for (const RowDescription& row : kRows) {
      const auto at = static_cast<std::size_t>(row.Field);
      const int boxWidth = row.Field == FieldTrack ? 44 : 88;
      column.Check[at] = New<forms::Button>(this, row.Check + suffix, this,
                                            Bounds{left + 10, row.Top + 2, boxWidth, 18}, ButtonKind::CheckBox);
      column.Check[at]->SetCaption(row.Caption);
      column.Check[at]->OnClick = Bind(this, &TFormTag::CheckClick);
      const Bounds field{left + kFieldLeft, row.Top, row.Width, row.Height};
      const int limit = c == 0 ? row.Limit1 : row.Limit2;
      switch (row.Kind) {
        case FieldKind::Edit:
        case FieldKind::Memo: {
          auto* edit = New<forms::Edit>(this, row.Control + suffix, this, field, row.Kind == FieldKind::Memo);
          if (limit > 0) edit->SetMaxLength(limit);
          column.Field[at] = edit;
          break;
        }
        case FieldKind::Genre:
          column.Genre = New<forms::ComboBox>(this, row.Control + suffix, this, field, forms::ComboKind::DropDown);
          column.Field[at] = column.Genre;
          break;
      }
      if (row.Field == FieldTrack) {
        column.AutoNb = New<forms::Button>(this, "CheckAutoNb" + suffix, this,
                                           Bounds{left + kFieldLeft + 44, row.Top + 2, 80, 18}, ButtonKind::CheckBox);
        column.AutoNb->SetCaption("Auto");
        column.AutoNb->OnClick = Bind(this, &TFormTag::CheckClick);
      }
    }
  }
  ComboBox1 = New<forms::ComboBox>(this, "ComboBox1", this, Bounds{18, 282, 256, 200}, forms::ComboKind::DropDownList);
  LabelInfos = New<forms::Label>(this, "LabelInfos", this, Bounds{302, 280, 258, 122});
  LabelInfos->MultiLine = true;
  Progression = New<forms::ProgressBar>(this, "Progression", this, Bounds{8, 320, 276, 14});

  struct ButtonDescription {
    forms::Button** Target;
    const char* Name;
    const char* Caption;
    Bounds Place;
    bool Default;
  };
  const ButtonDescription buttons[] = {
      {&BtnSave, "BtnSave", "Enregistrer", {8, 344, 134, 25}, true},
      {&BtnClose, "BtnClose", "Fermer", {150, 344, 134, 25}, false},
      {&Btnv1v2, "Btnv1v2", "ID3 v1 -> v2", {8, 376, 134, 25}, false},
      {&Btnv2v1, "Btnv2v1", "ID3 v2 -> v1", {150, 376, 134, 25}, false},
  };
  for (const ButtonDescription& b : buttons) {
    *b.Target = New<forms::Button>(this, b.Name, this, b.Place, ButtonKind::Push, b.Default);
    (*b.Target)->SetCaption(b.Caption);
    (*b.Target)->OnClick = Bind(this, b.Target == &BtnClose ? &TFormTag::BtnCloseClick : &TFormTag::BtnSaveClick);
  }

  const ButtonDescription groups[] = {
      {&GroupBox1, "GroupBox1", "Tag ID3 v1.1", {kColumnLeft[0], 4, kColumnWidth, 252}, false},
      {&GroupBox2, "GroupBox2", "Tag ID3 v2 / Tag OGG / Tag APE", {kColumnLeft[1], 4, kColumnWidth, 252}, false},
      {&GroupBox4, "GroupBox4", "Liste des fichiers", {8, 262, 276, 50}, false},
      {&GroupBox3, "GroupBox3", "Infos", {292, 262, 276, 145}, false},
  };
  for (const ButtonDescription& g : groups) {
    *g.Target = New<forms::Button>(this, g.Name, this, g.Place, ButtonKind::GroupBox);
    (*g.Target)->SetCaption(g.Caption);
  }

  // The system's controls take the window's font, not the bold system one.
  for (forms::Control* control : Controls())
    if (control->Windowed())
      SendMessageW(control->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont.Handle()), FALSE);
  LabelInfos->Font().Assign(ControlFont);
}

// The 148 genre names, in alphabetical order.
void TFormTag::FillGenres() {
  std::vector<std::string> names(sv::tags::GenreNames.begin(), sv::tags::GenreNames.end());
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  });
  for (ColumnControls& column : Columns) {
    const std::string text = column.Genre->Text();
    column.Genre->Clear();
    for (const std::string& name : names) column.Genre->Add(name);
    column.Genre->SetText(text);
  }
}

}  // namespace player
