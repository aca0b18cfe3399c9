#include "player/app/Unit_Langue_Apply.h"

#include "forms/Application.h"
#include "forms/Form.h"
#include "forms/ShortcutMenu.h"

namespace player {
namespace {

struct WindowForm {
  LangWindow window;
  const char* name;
  const char* className;
};
constexpr WindowForm kWindowForms[] = {
    {LangWindow::Options, "FormOptions", "TFormOptions"},
    {LangWindow::TagEditor, "FormTag", "TFormTag"},
    {LangWindow::Equalizer, "FormEgaliseur", "TFormEgaliseur"},
    {LangWindow::Search, "FormRecherche", "TFormRecherche"},
};

forms::TComponent* FindDeep(const forms::TComponent& owner, std::string_view name) {
  if (forms::TComponent* found = owner.FindComponent(name)) return found;
  for (forms::TComponent* component : owner.Components())
    if (forms::TComponent* found = FindDeep(*component, name)) return found;
  return nullptr;
}

}  // namespace

void ApplyLanguageTexts(forms::TForm& form, const std::vector<LanguageText>& texts) {
  auto* target = dynamic_cast<LanguageTarget*>(&form);
  for (const LanguageText& text : texts) {
    forms::TComponent* component = text.Component.empty() ? &form : FindDeep(form, text.Component);
    if (!component && !target) continue;
    auto* control = dynamic_cast<forms::Control*>(component);
    auto* item = dynamic_cast<forms::MenuEntry*>(component);
    if (text.Kind == TextKind::Caption && item) {
      item->Caption = text.Text;
    } else if (text.Kind == TextKind::Caption && control) {
      control->SetCaption(text.Text);
    } else if (text.Kind == TextKind::Hint && control) {
      control->Hint = text.Text;
    } else if (text.Kind == TextKind::Click && control) {
      control->Click();
    } else if (target && text.Kind != TextKind::Caption && text.Kind != TextKind::Hint &&
               text.Kind != TextKind::Click) {
      target->ApplyLanguageText(text);
    }
  }
}

forms::TForm* OpenLanguageForm(LangWindow window) {
  if (!forms::Application) return nullptr;
  for (const WindowForm& known : kWindowForms) {
    if (known.window != window) continue;
    for (forms::TComponent* component : forms::Application->Components()) {
      auto* form = dynamic_cast<forms::TForm*>(component);
      if (form && !form->Destroying() &&
          (forms::SameName(form->Name(), known.name) || forms::SameName(form->ClassName(), known.className)))
        return form;
    }
  }
  return nullptr;
}

}  // namespace player
