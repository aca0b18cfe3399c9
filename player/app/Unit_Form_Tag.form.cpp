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
    {FieldArtist, "CheckArtist", "Artiste", "LabelArtist", FieldKind::Edit, 20, 164, 21, 30, 0},
    {FieldAlbum, "CheckAlbum", "Album", "LabelAlbum", FieldKind::Edit, 46, 164, 21, 30, 0},
    {FieldTitle, "CheckTitre", "Titre", "LabelTitre", FieldKind::Edit, 72, 164, 21, 30, 0},
    {FieldYear, "CheckAnnee", "Année", "LabelAnnee", FieldKind::Edit, 98, 48, 21, 4, 4},
    {FieldTrack, "CheckNb", "No", "LabelNb", FieldKind::Edit, 124, 32, 21, 2, 2},
    {FieldComment, "CheckCom", "Commentaire", "LabelCom", FieldKind::Memo, 150, 164, 44, 29, 0},
    {FieldGenre, "CheckGenre", "Genre", "ComboGenre", FieldKind::Genre, 200, 164, 220, 0, 0},
};

// Where each row's field starts inside its column's box.
constexpr int kFieldLeft = 100;

struct BoxDescription {
  forms::GroupBox* TFormTag::*Target;
  const char* Name;
  const char* Caption;
  Bounds Place;
};

constexpr BoxDescription kBoxes[] = {
    {&TFormTag::GroupBox1, "GroupBox1", "Tag ID3 v1.1", {8, 4, 276, 252}},
    {&TFormTag::GroupBox2, "GroupBox2", "Tag ID3 v2 / Tag OGG / Tag APE", {292, 4, 276, 252}},
    {&TFormTag::GroupBox4, "GroupBox4", "Liste des fichiers", {8, 262, 276, 50}},
    {&TFormTag::GroupBox3, "GroupBox3", "Infos", {292, 262, 276, 145}},
};

struct ButtonDescription {
  forms::Button* TFormTag::*Target;
  const char* Name;
  const char* Caption;
  Bounds Place;
};

constexpr ButtonDescription kButtons[] = {
    {&TFormTag::BtnSave, "BtnSave", "Enregistrer", {8, 344, 134, 25}},
    {&TFormTag::BtnClose, "BtnClose", "Fermer", {150, 344, 134, 25}},
    {&TFormTag::Btnv1v2, "Btnv1v2", "ID3 v1 -> v2", {8, 376, 134, 25}},
    {&TFormTag::Btnv2v1, "Btnv2v1", "ID3 v2 -> v1", {150, 376, 134, 25}},
};

}  // namespace

void TFormTag::CreateComponents() {
  SetName("FormTag");
  SetCaption("Editeur de méta tags");
  SetBorderStyle(forms::BorderKind::Single);
  SetBounds(120, 80, 584, 448);
  OnShow = Bind(this, &TFormTag::FormShow);
  OnClose = Bind(this, &TFormTag::FormClose);

  for (const BoxDescription& box : kBoxes) {
    this->*box.Target = New<forms::GroupBox>(this, box.Name, this, box.Place);
    (this->*box.Target)->SetCaption(box.Caption);
  }
  for (int c = 0; c < 2; ++c) {
    const std::string suffix = c == 0 ? "v1" : "v2";
    forms::GroupBox* group = c == 0 ? GroupBox1 : GroupBox2;
    ColumnControls& column = Columns[static_cast<std::size_t>(c)];
    for (const RowDescription& row : kRows) {
      const auto at = static_cast<std::size_t>(row.Field);
      const int boxWidth = row.Field == FieldTrack ? 44 : 88;
      column.Check[at] = New<forms::CheckBox>(this, row.Check + suffix, group, Bounds{10, row.Top + 2, boxWidth, 18});
      column.Check[at]->SetCaption(row.Caption);
      column.Check[at]->OnClick = Bind(this, &TFormTag::CheckClick);
      const Bounds field{kFieldLeft, row.Top, row.Width, row.Height};
      const int limit = c == 0 ? row.Limit1 : row.Limit2;
      switch (row.Kind) {
        case FieldKind::Edit:
        case FieldKind::Memo: {
          auto* edit = row.Kind == FieldKind::Memo
                           ? New<forms::Edit>(this, row.Control + suffix, group, field, forms::Edit::MultiLine{})
                           : New<forms::Edit>(this, row.Control + suffix, group, field);
          if (limit > 0) edit->SetMaxLength(limit);
          column.Field[at] = edit;
          break;
        }
        case FieldKind::Genre:
          column.Genre = New<forms::ComboBox>(this, row.Control + suffix, group, field, true);
          column.Field[at] = column.Genre;
          break;
      }
      if (row.Field == FieldTrack) {
        column.AutoNb =
            New<forms::CheckBox>(this, "CheckAutoNb" + suffix, group, Bounds{kFieldLeft + 44, row.Top + 2, 80, 18});
        column.AutoNb->SetCaption("Auto");
        column.AutoNb->OnClick = Bind(this, &TFormTag::CheckClick);
      }
    }
  }
  ComboBox1 = New<forms::ComboBox>(this, "ComboBox1", GroupBox4, Bounds{10, 20, 256, 200}, false);
  LabelInfos = New<forms::Label>(this, "LabelInfos", GroupBox3, Bounds{10, 18, 258, 122});
  LabelInfos->MultiLine = true;
  Progression = New<forms::ProgressBar>(this, "Progression", this, Bounds{8, 320, 276, 14});

  for (const ButtonDescription& b : kButtons) {
    forms::Button* button = New<forms::Button>(this, b.Name, this, b.Place);
    this->*b.Target = button;
    button->SetCaption(b.Caption);
    button->OnClick = Bind(this, b.Target == &TFormTag::BtnClose ? &TFormTag::BtnCloseClick : &TFormTag::BtnSaveClick);
  }
  // Enter saves and Escape closes, wherever the focus is.
  BtnSave->SetDefault(true);
  BtnClose->Cancel = true;
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
