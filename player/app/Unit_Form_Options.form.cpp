// Form description of TFormOptions: the frame (page list, framed notebook,
// header picture and version) and the nine pages, each built by its own
// file.
#include "forms/DialogFont.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using forms::Bind;
using forms::Bounds;
using forms::New;

// The notebook's client size is what every page table is laid out in.
constexpr int kClientWidth = 566;
constexpr int kClientHeight = 396;
constexpr Bounds kPageList{8, 8, 150, 318};
constexpr Bounds kPageBox{166, 4, 392, 386};
constexpr Bounds kNotebook{8, 20, 376, 358};

struct PageBuilder {
  const char* Title;
  void (TFormOptions::*Build)(forms::WindowedControl* page);
};
// In the notebook's order: entry i of the page list shows page i.
constexpr PageBuilder kPages[] = {
    {"Options", &TFormOptions::BuildGeneralPage},
    {"Raccourcis clavier", &TFormOptions::BuildHotKeysPage},
    {"Répertoires", &TFormOptions::BuildFoldersPage},
    {"Associations", &TFormOptions::BuildAssociationsPage},
    {"Affichages", &TFormOptions::BuildDisplayPage},
    {"Nom des chansons", &TFormOptions::BuildSongNamesPage},
    {"Connexion", &TFormOptions::BuildConnectionPage},
    {"AudioScrobbler / MSN", &TFormOptions::BuildSubmissionPage},
    {"A propos...", &TFormOptions::BuildAboutPage},
};

}  // namespace

TFormOptions::TFormOptions(forms::TComponent* owner) : TForm(owner, "TFormOptions") {
  FormOptions = this;
  SetName("FormOptions");
  SetCaption("Sorivanel - Options");
  SetBorderStyle(forms::BorderKind::Single);
  // A fixed dialog: the system menu and nothing else.
  SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) & ~WS_MINIMIZEBOX);
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  SetBounds(area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2, width,
            height);
  OnShow = Bind(this, &TFormOptions::FormShow);
  OnClose = Bind(this, &TFormOptions::FormClose);
  if (Form1) SetIcon(Form1->Icon());

  ListBoxPages = New<forms::ListBox>(this, "ListBoxPages", this, kPageList, false);
  ListBoxPages->SetFont(forms::DialogFont());
  ListBoxPages->OnChange = Bind(this, &TFormOptions::ListBoxPagesClick);
  GroupBoxPages = New<forms::GroupBox>(this, "GroupBoxPages", this, kPageBox);
  Notebook = New<forms::Notebook>(this, "Notebook", GroupBoxPages, kNotebook);
  ImageSorivanel = New<forms::IconView>(this, "ImageSorivanel", this, Bounds{8, 344, 32, 32});
  ImageSorivanel->OnClick = Bind(this, &TFormOptions::ImageSorivanelClick);
  LabelVersion = New<forms::Label>(this, "LabelVersion", this, Bounds{48, 354, 100, 14});
  LabelVersion->SetCaption("v3.30");

  for (const PageBuilder& page : kPages) {
    ListBoxPages->Add(page.Title);
    (this->*page.Build)(Notebook->AddPage(page.Title));
  }
  ListBoxPages->SetItemIndex(0);
  GroupBoxPages->SetCaption(Notebook->PageTitle(0));
}

}  // namespace player
