// The search window's behaviour; its components are in
// Unit_Form_Recherche.form.cpp.
#include "player/app/Unit_Form_Recherche.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <optional>

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/FolderSearch.h"
#include "player/app/FolderFiles.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Gestion_Langue.h"
#include "player/platform/DiskFolders.h"
#include "tags/FileAccess.h"

namespace player {

TFormRecherche* FormRecherche = nullptr;

namespace {

struct ItemListDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

void CaretToEnd(forms::Edit& edit) {
  const auto length = static_cast<WPARAM>(GetWindowTextLengthW(edit.Handle()));
  SendMessageW(edit.Handle(), EM_SETSEL, length, static_cast<LPARAM>(length));
}

}  // namespace

TFormRecherche::TFormRecherche(forms::TComponent* owner) : TForm(owner, "TFormRecherche") {
  CreateComponents();
  SendMessageW(RepertoireDeRecherche->Handle(), EM_SETREADONLY, TRUE, 0);
  FormRecherche = this;
}

TFormRecherche::~TFormRecherche() {
  if (FormRecherche == this) FormRecherche = nullptr;
  if (topMostsNormalised_ && forms::Application) forms::Application->RestoreTopMosts();
}

void TFormRecherche::FormShow(forms::TComponent*) {
  // The main window stays on top of the others: this one must come above it.
  if (!topMostsNormalised_ && forms::Application) {
    forms::Application->NormalizeTopMosts();
    topMostsNormalised_ = true;
  }
  ChargeLangue(5);
  ProgressBar->SetPosition(0);
  if (forms::Application && forms::Application->MainForm()) {
    const forms::TForm& main = *forms::Application->MainForm();
    if (main.Left() - Width() > 0) SetLeft(main.Left() - Width());
    SetTop(main.Top());
  }
  CaretToEnd(*RepertoireDeRecherche);
  SetFocus(TexteRecherche->Handle());
}

void TFormRecherche::UpdateSearchButton() {
  const SearchQuery query{TexteRecherche->Text(),  CheckBox1->Checked(), CheckBox2->Checked(),
                          CheckBox3->Checked(),    CheckBox4->Checked(), CheckBox5->Checked()};
  BtnRechercher->SetEnabled(!searching_ && !waiting_ && query.CanStart());
}

void TFormRecherche::TexteRechercheChange(forms::TComponent*) { UpdateSearchButton(); }

void TFormRecherche::CheckBox1Click(forms::TComponent*) { UpdateSearchButton(); }

void TFormRecherche::FormKeyDown(forms::TComponent*, std::uint16_t& Key, forms::ShiftState) {
  if (Key == VK_RETURN) {
    Key = 0;
    if (BtnRechercher->Enabled()) BtnRechercherClick(BtnRechercher);
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    if (BtnAnnuler->Enabled()) BtnAnnulerClick(BtnAnnuler);
  }
}

void TFormRecherche::BtnAnnulerClick(forms::TComponent*) { BtnAnnuler->SetEnabled(false); }

void TFormRecherche::BtnChangeFolderClick(forms::TComponent*) {
  const std::wstring prompt = forms::widen(GroupBox3->Caption());
  BROWSEINFOW info{};
  info.hwndOwner = Handle();
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  const std::unique_ptr<ITEMIDLIST, ItemListDeleter> chosen(SHBrowseForFolderW(&info));
  if (!chosen) return;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(chosen.get(), path)) return;
  RepertoireDeRecherche->SetText(sv::IncludeTrailingBackslash(forms::narrow(path)));
  CaretToEnd(*RepertoireDeRecherche);
}

void TFormRecherche::BtnRechercherClick(forms::TComponent*) {
  if (searching_ || waiting_) return;
  if (!Form1) {
    Search();
    return;
  }
  // During an import its matches would go between the import's entries:
  // it waits for the import's end.
  waiting_ = true;
  UpdateSearchButton();
  Form1->Request(RequestKind::SearchStart, [this] {
    waiting_ = false;
    Search();
  });
}

void TFormRecherche::Search() {
  if (searching_) return;
  // A close of the main window cancels the search at its next folder.
  std::optional<TForm1::Work> work;
  if (Form1) work.emplace(*Form1, WorkKind::Search, [this] { BtnAnnulerClick(nullptr); });
  searching_ = true;
  BtnRechercher->SetEnabled(false);
  BtnAnnuler->SetEnabled(true);
  // The buttons come back however the search ends.
  struct End {
    TFormRecherche& form;
    ~End() {
      form.searching_ = false;
      form.BtnAnnuler->SetEnabled(false);
      form.UpdateSearchButton();
    }
  } end{*this};
  if (OnSearchStart) OnSearchStart();
  RunSearch([&work] { return work && work->EndRequested(); });
}

void TFormRecherche::RunSearch(const std::function<bool()>& ended) {
  const SearchQuery query{TexteRecherche->Text(),  CheckBox1->Checked(), CheckBox2->Checked(),
                          CheckBox3->Checked(),    CheckBox4->Checked(), CheckBox5->Checked()};
  DiskFolders disk;
  FolderSearch search(disk, RepertoireDeRecherche->Text(), CheckSsRep->Checked(), query,
                      LibraryTagReaders(sv::tags::NativeFileSystem()), SupportedExtensions, PathLessIgnoringCase,
                      [this](const std::string& path) {
                        if (OnFound) OnFound(path);
                      });
  bool more = true;
  while (more) {
    more = search.Step();
    if (!search.Walking()) {
      ProgressBar->SetMax(static_cast<std::int64_t>(search.FolderCount()));
      ProgressBar->SetPosition(static_cast<std::int64_t>(search.FoldersDone()));
    }
    if (forms::Application) forms::Application->ProcessMessages();
    if (!BtnAnnuler->Enabled() || ended()) return;
  }
}

void TFormRecherche::FormClose(forms::TComponent*, forms::CloseAction& Action) {
  BtnAnnuler->SetEnabled(false);
  if (topMostsNormalised_ && forms::Application) {
    forms::Application->RestoreTopMosts();
    topMostsNormalised_ = false;
  }
  Action = forms::CloseAction::Hide;
}

void TFormRecherche::DescribeState(forms::StateList& state) const {
  state.emplace_back("Searching", searching_ ? "1" : "0");
}

}  // namespace player
