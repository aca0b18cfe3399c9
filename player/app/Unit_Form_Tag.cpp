// The tag editor: showing, loading the selection, the tick boxes, the
// buttons and the close.
#include "player/app/Unit_Form_Tag.h"

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

TFormTag* FormTag = nullptr;

namespace {

// The hourglass for a scope.
class HourglassCursor {
 public:
  HourglassCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~HourglassCursor() { SetCursor(previous_); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace

TFormTag::TFormTag(forms::TComponent* owner) : TForm(owner, "TFormTag") {
  FormTag = this;
  CreateComponents();
}

TFormTag::~TFormTag() {
  if (FormTag == this) FormTag = nullptr;
}

void ShowTagEditor() {
  if (!FormTag) forms::Application->CreateForm<TFormTag>();
  FormTag->Show();
  FormTag->MiseAJours();
}

void TForm1::MenuEditeurTagClick(forms::TComponent*) { ShowTagEditor(); }

void TFormTag::FormShow(forms::TComponent*) {
  forms::Application->NormalizeTopMosts();
  ChargeLangue(static_cast<int>(LangWindow::TagEditor));
  FillGenres();
}

void TFormTag::SetButtonsEnabled(bool enabled) {
  for (forms::Button* button : {BtnSave, Btnv1v2, Btnv2v1}) button->SetEnabled(enabled);
}

void TFormTag::MiseAJours() {
  if (Writing || SaveWaiting) return;
  HourglassCursor hourglass;
  SetButtonsEnabled(false);
  BtnClose->SetEnabled(false);
  ComboBox1->Clear();
  LabelInfos->SetCaption("");
  ShowColumn(0, {});
  ShowColumn(1, {});

  std::vector<std::string> selected;
  if (Form1)
    for (std::size_t i = 0; i < Form1->Playlist.size() && static_cast<int>(i) < Form1->ListBox1->Count(); ++i)
      if (Form1->ListBox1->Selected(static_cast<int>(i))) selected.push_back(Form1->Playlist[i]);
  Files = CollectTagFiles(selected);

  Progression->SetPosition(0);
  Progression->SetMax(2 * static_cast<std::int64_t>(Files.size()));
  // With other than one file the list starts with their count.
  if (Files.size() != 1) ComboBox1->Add(std::to_string(Files.size()) + " file(s)");
  TagSelectionLoader loader;
  for (std::size_t i = 0; i < Files.size(); ++i) {
    Progression->SetPosition(2 * static_cast<std::int64_t>(i));
    ComboBox1->Add(sv::ExtractFileName(Files[i]));
    loader.Add(Files[i]);
  }
  ShowColumn(0, loader.Column1);
  ShowColumn(1, loader.Column2);
  CheckClick(nullptr);

  LabelInfos->SetCaption(Files.size() == 1 ? TagInfoText(Files[0], sv::tags::PlainTimeOfDay, '.') : "...");
  ComboBox1->SetItemIndex(0);
  Progression->SetPosition(0);
  SetButtonsEnabled(!Files.empty());
  BtnClose->SetEnabled(true);
}

TagColumn TFormTag::ReadColumn(int c) const {
  const ColumnControls& column = Columns[static_cast<std::size_t>(c)];
  TagColumn values;
  for (int f = 0; f < kTagFields; ++f) {
    const auto at = static_cast<std::size_t>(f);
    values.Text[at] = column.Field[at]->Caption();
    values.Ticked[at] = column.Check[at]->Checked();
  }
  values.AutoTrack = column.AutoNb->Checked();
  return values;
}

void TFormTag::ShowColumn(int c, const TagColumn& values) {
  ColumnControls& column = Columns[static_cast<std::size_t>(c)];
  for (int f = 0; f < kTagFields; ++f) {
    const auto at = static_cast<std::size_t>(f);
    if (column.Field[at] == column.Genre)
      column.Genre->SetText(values.Text[at]);
    else
      column.Field[at]->SetCaption(values.Text[at]);
    column.Check[at]->SetChecked(values.Ticked[at]);
  }
  column.AutoNb->SetChecked(values.AutoTrack);
}

void TFormTag::CheckClick(forms::TComponent*) {
  for (ColumnControls& column : Columns) {
    for (int f = 0; f < kTagFields; ++f) {
      const auto at = static_cast<std::size_t>(f);
      column.Field[at]->SetEnabled(column.Check[at]->Checked());
    }
    const bool numbered = column.Check[FieldTrack]->Checked();
    column.Field[FieldTrack]->SetEnabled(numbered && !column.AutoNb->Checked());
    column.AutoNb->SetEnabled(numbered);
  }
}

void TFormTag::BtnSaveClick(forms::TComponent* Sender) {
  if (Writing || SaveWaiting || !Form1) return;
  const std::wstring text = forms::widen(LangMessage(11));
  {
    // A close of the main window meanwhile waits for the answer.
    TForm1::Work dialog(*Form1, WorkKind::Dialog);
    if (MessageBoxW(Handle(), text.c_str(), L"Sorivanel", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  }
  if (!Form1) return;
  const TagWriteMode mode = Sender == Btnv1v2   ? TagWriteMode::Id3v1ToId3v2
                            : Sender == Btnv2v1 ? TagWriteMode::Id3v2ToId3v1
                                                : TagWriteMode::Save;
  // During an import or a song change the write waits its turn, with the
  // window as it is now.
  SaveWaiting = true;
  SetButtonsEnabled(false);
  Form1->Request(RequestKind::TagSave, [mode] {
    if (!FormTag) return;
    FormTag->SaveWaiting = false;
    FormTag->Traitement(mode);
    if (FormTag) FormTag->Close();
  });
}

void TFormTag::BtnCloseClick(forms::TComponent*) { Close(); }

void TFormTag::FormClose(forms::TComponent*, forms::CloseAction& Action) {
  forms::Application->RestoreTopMosts();
  Files.clear();
  Action = forms::CloseAction::Free;
  FormTag = nullptr;
}

void TFormTag::DescribeState(forms::StateList& state) const {
  state.emplace_back("Files", std::to_string(Files.size()));
  state.emplace_back("Writing", Writing ? "1" : "0");
  state.emplace_back("PausedAt", std::to_string(PausedAt));
  state.emplace_back("ResumedFrom", std::to_string(ResumedFrom));
  const auto joined = [](const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : "|") + name;
    return text;
  };
  state.emplace_back("Failures", joined(LastFailures));
  state.emplace_back("PartlyWritten", joined(LastPartlyWritten));
  state.emplace_back("Skipped", joined(LastSkipped));
}

}  // namespace player
