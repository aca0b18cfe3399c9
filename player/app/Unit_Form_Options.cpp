// The options window's frame: opening and closing, the page list, the
// controls made from the page tables, the link labels' shared handlers and
// the language texts beyond captions.
#include "player/app/Unit_Form_Options.h"

#include <algorithm>

#include "forms/Application.h"
#include "forms/DialogFont.h"
#include "forms/Wide.h"
#include "player/OptionFiles.h"
#include "player/ShellOpen.h"
#include "player/VersionReply.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

TFormOptions* FormOptions = nullptr;

namespace {

constexpr forms::ColourValue kLinkPressed = 0x0000FF;  // red
constexpr forms::ColourValue kLinkReleased = 0xFF0000;  // blue
// A check list's column: room for a box and an extension.
constexpr int kCheckListColumn = 84;

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
    lines.emplace_back(text.substr(start, end - start));
  lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace

bool SameWindowsPath(const std::string& a, const std::string& b) {
  const std::wstring wideA = forms::widen(a);
  const std::wstring wideB = forms::widen(b);
  return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                              static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

void OpenOptionsWindow(OptionsPage page) {
  if (!FormOptions) forms::New<TFormOptions>(forms::Application, "");
  FormOptions->Show();
  if (page == OptionsPage::General) return;
  FormOptions->ListBoxPages->SetItemIndex(static_cast<int>(page));
  FormOptions->ListBoxPagesClick(FormOptions->ListBoxPages);
}

TFormOptions::~TFormOptions() {
  BeginDestruction();
  if (FormOptions == this) FormOptions = nullptr;
  if (topMostsNormalised_ && forms::Application) forms::Application->RestoreTopMosts();
}

void TFormOptions::FormClose(forms::TComponent*, forms::CloseAction& Action) {
  if (topMostsNormalised_ && forms::Application) forms::Application->RestoreTopMosts();
  topMostsNormalised_ = false;
  LanguageFiles.clear();
  SkinFolders.clear();
  Action = forms::CloseAction::Free;
  FormOptions = nullptr;
}

void TFormOptions::ListBoxPagesClick(forms::TComponent*) {
  const int page = ListBoxPages->ItemIndex();
  if (page < 0 || page >= Notebook->PageCount()) return;
  Notebook->SetPageIndex(page);
  GroupBoxPages->SetCaption(Notebook->PageTitle(page));
}

void TFormOptions::ApplyLanguageText(const LanguageText& text) {
  switch (text.Kind) {
    case TextKind::Item:
      if (auto* group = dynamic_cast<forms::RadioGroup*>(FindControl(text.Component)))
        group->SetItem(text.Index, text.Text);
      break;
    case TextKind::PageTitle:
      Notebook->SetPageTitle(text.Index, text.Text);
      break;
    case TextKind::Lines:
      SetAboutText(text.Lines);
      break;
    case TextKind::Items:
      if (auto* list = dynamic_cast<forms::ListBox*>(FindControl(text.Component))) {
        list->Clear();
        for (const std::string& line : text.Lines) list->Add(line);
        if (!text.Lines.empty()) list->SetItemIndex(text.Index);
      }
      break;
    default:
      break;
  }
}

void TFormOptions::LabelWebVersionMouseEnter(forms::TComponent* Sender) {
  if (auto* label = dynamic_cast<forms::LinkLabel*>(Sender)) label->Font().SetUnderline(true);
}

void TFormOptions::LabelWebVersionMouseLeave(forms::TComponent* Sender) {
  if (auto* label = dynamic_cast<forms::LinkLabel*>(Sender)) label->Font().SetUnderline(false);
}

void TFormOptions::LabelWebVersionMouseDown(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState, int,
                                            int) {
  if (auto* label = dynamic_cast<forms::LinkLabel*>(Sender)) label->Font().SetColor(kLinkPressed);
}

void TFormOptions::LabelWebVersionMouseUp(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState, int, int) {
  if (auto* label = dynamic_cast<forms::LinkLabel*>(Sender)) label->Font().SetColor(kLinkReleased);
}

void TFormOptions::ImageSorivanelClick(forms::TComponent*) { ShellOpen(Handle(), kDefaultMakerSite, ""); }

void TFormOptions::ShowNextStartNotice() {
  MessageBoxW(Handle(), forms::widen(LangMessage(21)).c_str(), L"Sorivanel", MB_OK | MB_ICONINFORMATION);
}

void TFormOptions::WireLinkLabel(forms::LinkLabel* label) {
  label->Font().SetColor(kLinkReleased);
  label->OnMouseEnter = forms::Bind(this, &TFormOptions::LabelWebVersionMouseEnter);
  label->OnMouseLeave = forms::Bind(this, &TFormOptions::LabelWebVersionMouseLeave);
  label->OnMouseDown = forms::Bind(this, &TFormOptions::LabelWebVersionMouseDown);
  label->OnMouseUp = forms::Bind(this, &TFormOptions::LabelWebVersionMouseUp);
}

void TFormOptions::BuildControls(forms::WindowedControl* page, std::span<const OptionsControl> table) {
  using Kind = OptionsControlKind;
  using forms::New;
  for (const OptionsControl& row : table) {
    forms::WindowedControl* parent = page;
    if (row.Parent && *row.Parent) parent = Find<forms::WindowedControl>(row.Parent);
    const std::string caption = row.Caption ? row.Caption : "";
    forms::Control* made = nullptr;
    switch (row.Kind) {
      case Kind::GroupBox:
        made = New<forms::GroupBox>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::RadioGroup: {
        auto* group = New<forms::RadioGroup>(this, row.Name, parent, row.Bounds);
        std::vector<std::string> lines = SplitLines(caption);
        group->SetCaption(lines.front());
        lines.erase(lines.begin());
        group->SetItems(lines);
        continue;
      }
      case Kind::CheckBox:
        made = New<forms::CheckBox>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::Button:
        made = New<forms::Button>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::Label:
        made = New<forms::Label>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::LinkLabel: {
        auto* label = New<forms::LinkLabel>(this, row.Name, parent, row.Bounds);
        WireLinkLabel(label);
        made = label;
        break;
      }
      case Kind::ListBox:
      case Kind::MultiListBox:
      {
        auto* list = New<forms::ListBox>(this, row.Name, parent, row.Bounds, row.Kind == Kind::MultiListBox);
        list->SetFont(forms::DialogFont());
        made = list;
        break;
      }
      case Kind::DropDownList:
      case Kind::DropDown:
        made = New<forms::ComboBox>(this, row.Name, parent, row.Bounds, row.Kind == Kind::DropDown);
        break;
      case Kind::Edit:
      case Kind::PasswordEdit:
        made = New<forms::Edit>(this, row.Name, parent, row.Bounds, row.Kind == Kind::PasswordEdit);
        break;
      case Kind::TrackBar:
        made = New<forms::TrackBar>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::Icon:
        made = New<forms::IconView>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::HotKey:
        made = New<forms::HotKeyEdit>(this, row.Name, parent, row.Bounds);
        break;
      case Kind::CheckList:
        made = New<forms::CheckList>(this, row.Name, parent, row.Bounds, kCheckListColumn);
        break;
      case Kind::Memo:
        made = New<forms::Memo>(this, row.Name, parent, row.Bounds, kLogViewBytes);
        break;
      case Kind::RichText:
        made = New<forms::RichText>(this, row.Name, parent, row.Bounds);
        break;
    }
    if (made && !caption.empty()) made->SetCaption(caption);
  }
}

forms::Control* TFormOptions::FindControl(std::string_view name) const {
  return dynamic_cast<forms::Control*>(FindComponent(name));
}

void TFormOptions::DescribeState(forms::StateList& state) const {
  state.emplace_back("Tag", std::to_string(Tag));
  state.emplace_back("PageIndex", std::to_string(Notebook->PageIndex()));
  state.emplace_back("LanguageFiles", std::to_string(LanguageFiles.size()));
  state.emplace_back("SkinFolders", std::to_string(SkinFolders.size()));
}

}  // namespace player
