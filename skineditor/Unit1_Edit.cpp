// The value controls: the document they hold, the font lists, the colour
// swatches, the bitmap choosers and the position editor.
#include <algorithm>
#include <set>

#include "forms/Dialogs.h"
#include "forms/Wide.h"
#include "skin/SkinFormat.h"
#include "skin/SkinPaths.h"
#include "skineditor/Unit1.h"

namespace quorvane {

namespace {

using sv::skin::Field;
using sv::skin::FieldKind;

using sv::skin::kMissingFontMark;

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
  if (font->lfFaceName[0] != L'@') reinterpret_cast<std::set<std::wstring>*>(data)->insert(font->lfFaceName);
  return 1;
}

// A number typed into a position edit, or the fallback.
int NumberOr(const std::string& text, int fallback) {
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    return used == text.size() ? value : fallback;
  } catch (const std::exception&) {
    return fallback;
  }
}

}  // namespace

void TForm1::FillFontNames(forms::ComboBox* combo) {
  std::set<std::wstring> faces;
  HDC dc = GetDC(nullptr);
  LOGFONTW any{};
  any.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &any, &CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, dc);
  for (const std::wstring& face : faces) combo->Add(forms::narrow(face));
}

// A stored font that is not installed stays selected, marked, so that a
// save writes it back unless the user picks another.
void TForm1::SetFontName(forms::ComboBox* combo, const std::string& name) {
  const auto missing = missingFonts_.find(combo);
  if (missing != missingFonts_.end()) {
    const int index = combo->IndexOf(missing->second + kMissingFontMark);
    if (index >= 0) SendMessageW(combo->Handle(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    missingFonts_.erase(missing);
  }
  if (name.empty()) {
    combo->SetItemIndex(-1);
    return;
  }
  int index = combo->IndexOf(name);
  if (index < 0) {
    missingFonts_[combo] = name;
    combo->Add(name + kMissingFontMark);
    index = combo->IndexOf(name + kMissingFontMark);
  }
  combo->SetItemIndex(index);
}

std::string TForm1::FontName(const forms::ComboBox* combo) const {
  const std::string text = combo->Text();
  const auto missing = missingFonts_.find(combo);
  if (missing != missingFonts_.end() && text == missing->second + kMissingFontMark) return missing->second;
  return text;
}

sv::skin::SkinDocument TForm1::CurrentDocument() const {
  sv::skin::SkinDocument document;
  for (int i = 0; i < sv::skin::kFieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    forms::Control* control = fields_[static_cast<std::size_t>(i)];
    if (auto* swatch = dynamic_cast<ColourSwatch*>(control)) {
      document.SetColour(field, swatch->Colour());
    } else if (auto* check = dynamic_cast<forms::CheckBox*>(control)) {
      document.SetFlag(field, check->Checked());
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(control)) {
      document.SetText(field, sv::skin::InfoOf(field).Kind == FieldKind::Text ? FontName(combo) : combo->Text());
    } else if (auto* edit = dynamic_cast<forms::Edit*>(control)) {
      document.SetText(field, edit->Text());
    }
  }
  document.Controls = places_;
  return document;
}

void TForm1::ShowDocument(const sv::skin::SkinDocument& document) {
  for (int i = 0; i < sv::skin::kFieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    forms::Control* control = fields_[static_cast<std::size_t>(i)];
    if (auto* swatch = dynamic_cast<ColourSwatch*>(control)) {
      swatch->SetColour(document.Colour(field));
    } else if (auto* check = dynamic_cast<forms::CheckBox*>(control)) {
      check->SetChecked(document.Flag(field));
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(control)) {
      if (sv::skin::InfoOf(field).Kind == FieldKind::Text)
        SetFontName(combo, document.Text(field));
      else
        combo->SetText(document.Text(field));
    } else if (auto* edit = dynamic_cast<forms::Edit*>(control)) {
      edit->SetText(document.Text(field));
    }
  }
  places_ = document.Controls;
}

void TForm1::Edit6Change(forms::TComponent*) {
  if (Tag != 1) return;
  Affichage();
  Modified = true;
}

void TForm1::ChangeCouleur(forms::TComponent* Sender) {
  auto* clicked = dynamic_cast<forms::Control*>(Sender);
  auto* swatch = clicked ? dynamic_cast<ColourSwatch*>(FindComponent(clicked->Hint)) : nullptr;
  if (!swatch || !swatch->Parent() || !swatch->Parent()->Enabled()) return;
  const auto chosen = forms::ChooseColour(Handle(), sv::skin::ScreenColour(swatch->Colour(), swatch->Fallback));
  if (!chosen) return;
  swatch->SetColour(*chosen);
  Affichage();
  Modified = true;
}

void TForm1::ChangeImage(forms::TComponent* Sender) {
  auto* clicked = dynamic_cast<forms::Control*>(Sender);
  auto* edit = clicked ? dynamic_cast<forms::Edit*>(FindComponent(clicked->Hint)) : nullptr;
  if (!edit || !edit->Enabled() || SkinFolder.empty()) return;
  const auto chosen = forms::ChooseFileToOpen(Handle(), {"Bitmaps (*.bmp)|*.bmp", SkinFolder, ""});
  if (!chosen) return;
  edit->SetText(sv::skin::RelativeSkinPath(SkinFolder, *chosen));
}

void TForm1::LabelMouseMove(forms::TComponent* Sender, forms::ShiftState, int, int) {
  auto* label = dynamic_cast<forms::Label*>(Sender);
  if (label == hovered_) return;
  if (hovered_) hovered_->Font().SetUnderline(false);
  hovered_ = label;
  if (hovered_) hovered_->Font().SetUnderline(true);
}

void TForm1::ContainerMouseMove(forms::TComponent*, forms::ShiftState, int, int) {
  if (!hovered_) return;
  hovered_->Font().SetUnderline(false);
  hovered_ = nullptr;
}

void TForm1::ListBox2Click(forms::TComponent*) {
  const int index = ListBox2->ItemIndex();
  if (index < 0 || index >= sv::skin::kControlCount) return;
  const auto id = static_cast<sv::skin::ControlId>(index);
  const sv::skin::ControlPlace& place = places_[static_cast<std::size_t>(index)];
  const bool bar = sv::skin::IsBar(id);
  const int saved = Tag;
  Tag = 0;
  Edit29->SetText(std::to_string(place.Left));
  Edit30->SetText(std::to_string(place.Top));
  Edit31->SetText(bar ? std::to_string(place.Width) : std::to_string(previewControls_[static_cast<std::size_t>(index)]->Width()));
  Edit31->SetEnabled(bar);
  CheckAnchorRight->SetEnabled(bar);
  CheckAnchorBottom->SetChecked(!place.AnchorTop);
  CheckAnchorLeft->SetChecked(place.AnchorLeft);
  CheckAnchorRight->SetChecked(bar && place.AnchorRight);
  Tag = saved;
}

void TForm1::Edit29Change(forms::TComponent*) {
  const int index = ListBox2->ItemIndex();
  if (Tag != 1 || index < 0 || index >= sv::skin::kControlCount) return;
  const auto id = static_cast<sv::skin::ControlId>(index);
  sv::skin::ControlPlace& place = places_[static_cast<std::size_t>(index)];
  place.Left = NumberOr(Edit29->Text(), 8);
  place.Top = NumberOr(Edit30->Text(), 50);
  if (sv::skin::IsBar(id)) {
    place.Width = NumberOr(Edit31->Text(), 100);
    place.AnchorRight = CheckAnchorRight->Checked();
  }
  place.AnchorTop = !CheckAnchorBottom->Checked();
  place.AnchorLeft = CheckAnchorLeft->Checked();
  Modified = true;
  // The model changed: the preview follows it at once.
  Affichage();
}

}  // namespace quorvane
