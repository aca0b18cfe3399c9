// Form description of TFormRecherche.
#include "player/app/Unit_Form_Recherche.h"

namespace player {

using forms::Bind;
using forms::Bounds;
using forms::New;

void TFormRecherche::CreateComponents() {
  SetName("FormRecherche");
  SetCaption("Recherche...");
  SetBorderStyle(forms::BorderKind::Single);
  SetBounds(200, 200, 340, 350);
  KeyPreview = true;
  OnShow = Bind(this, &TFormRecherche::FormShow);
  OnKeyDown = Bind(this, &TFormRecherche::FormKeyDown);
  OnClose = Bind(this, &TFormRecherche::FormClose);

  GroupBox3 = New<forms::GroupBox>(this, "GroupBox3", this, Bounds{8, 6, 318, 72});
  GroupBox3->SetCaption("Répertoire de recherche");
  RepertoireDeRecherche = New<forms::Edit>(this, "RepertoireDeRecherche", GroupBox3, Bounds{10, 20, 264, 21});
  BtnChangeFolder = New<forms::Button>(this, "BtnChangeFolder", GroupBox3, Bounds{280, 20, 28, 21});
  BtnChangeFolder->SetCaption("...");
  BtnChangeFolder->OnClick = Bind(this, &TFormRecherche::BtnChangeFolderClick);
  CheckSsRep = New<forms::CheckBox>(this, "CheckSsRep", GroupBox3, Bounds{10, 46, 298, 18});
  CheckSsRep->SetCaption("Inclure sous-répertoires");
  CheckSsRep->SetChecked(true);

  GroupBox2 = New<forms::GroupBox>(this, "GroupBox2", this, Bounds{8, 82, 318, 50});
  GroupBox2->SetCaption("Texte recherché");
  TexteRecherche = New<forms::Edit>(this, "TexteRecherche", GroupBox2, Bounds{10, 20, 298, 21});
  TexteRecherche->OnChange = Bind(this, &TFormRecherche::TexteRechercheChange);

  GroupBox1 = New<forms::GroupBox>(this, "GroupBox1", this, Bounds{8, 136, 318, 118});
  GroupBox1->SetCaption("Rechercher dans");
  struct Box {
    forms::CheckBox** field;
    const char* name;
    const char* caption;
    Bounds bounds;
    bool checked;
  };
  const Box boxes[] = {
      {&CheckBox1, "CheckBox1", "Nom de répertoire", {10, 20, 146, 18}, true},
      {&CheckBox2, "CheckBox2", "Nom de fichier", {162, 20, 146, 18}, true},
      {&CheckBox3, "CheckBox3", "Titre de la chanson *", {10, 42, 146, 18}, false},
      {&CheckBox4, "CheckBox4", "Artiste *", {162, 42, 146, 18}, false},
      {&CheckBox5, "CheckBox5", "Album *", {10, 64, 146, 18}, false},
  };
  for (const Box& box : boxes) {
    *box.field = New<forms::CheckBox>(this, box.name, GroupBox1, box.bounds);
    (*box.field)->SetCaption(box.caption);
    (*box.field)->SetChecked(box.checked);
    (*box.field)->OnClick = Bind(this, &TFormRecherche::CheckBox1Click);
  }
  Label1 = New<forms::Label>(this, "Label1", GroupBox1, Bounds{10, 88, 298, 26});
  Label1->SetCaption("* Activer ces options peut fortement ralentir la recherche !");

  ProgressBar = New<forms::ProgressBar>(this, "ProgressBar", this, Bounds{8, 262, 318, 16});
  BtnRechercher = New<forms::Button>(this, "BtnRechercher", this, Bounds{170, 288, 75, 25});
  BtnRechercher->SetCaption("Chercher");
  BtnRechercher->SetEnabled(false);
  BtnRechercher->OnClick = Bind(this, &TFormRecherche::BtnRechercherClick);
  BtnAnnuler = New<forms::Button>(this, "BtnAnnuler", this, Bounds{251, 288, 75, 25});
  BtnAnnuler->SetCaption("Annuler");
  BtnAnnuler->SetEnabled(false);
  BtnAnnuler->OnClick = Bind(this, &TFormRecherche::BtnAnnulerClick);
}

}  // namespace player
