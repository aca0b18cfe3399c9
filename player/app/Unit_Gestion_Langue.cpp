#include "player/app/Unit_Gestion_Langue.h"

#include "forms/Application.h"
#include "forms/Form.h"
#include "forms/ShortcutMenu.h"
#include "player/ProgramVersion.h"
#include "player/app/Unit1.h"

namespace player {
namespace {

// The forms of the windows 2 to 5, by their component or class name.
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

forms::TForm* OpenForm(LangWindow window) {
  if (window == LangWindow::Main) return Form1;
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

forms::TComponent* FindDeep(const forms::TComponent& owner, std::string_view name) {
  if (forms::TComponent* found = owner.FindComponent(name)) return found;
  for (forms::TComponent* component : owner.Components())
    if (forms::TComponent* found = FindDeep(*component, name)) return found;
  return nullptr;
}

std::string CurrentFile() { return Form1 ? Form1->LangFileName : std::string(); }

}  // namespace

void ApplyLanguageTexts(forms::TForm& form, const std::vector<LanguageText>& texts) {
  auto* target = dynamic_cast<LanguageTarget*>(&form);
  for (const LanguageText& text : texts) {
    forms::TComponent* component = text.Component.empty() ? &form : FindDeep(form, text.Component);
    if (!component) continue;
    auto* control = dynamic_cast<forms::Control*>(component);
    auto* item = dynamic_cast<forms::MenuEntry*>(component);
    if (text.Kind == TextKind::Caption && item) {
      item->Caption = text.Text;
    } else if (text.Kind == TextKind::Caption && control) {
      control->SetCaption(text.Text);
    } else if (text.Kind == TextKind::Hint && control) {
      control->Hint = text.Text;
    } else if (target) {
      target->ApplyLanguageText(text);
    }
  }
}

void ChargeLangue(int window) {
  if (window < 0 || window > static_cast<int>(LangWindow::Search)) return;
  const LanguageFile file(CurrentFile());
  for (LangWindow each :
       {LangWindow::Main, LangWindow::Options, LangWindow::TagEditor, LangWindow::Equalizer, LangWindow::Search}) {
    if (window != 0 && window != static_cast<int>(each)) continue;
    if (forms::TForm* form = OpenForm(each)) ApplyLanguageTexts(*form, ResolveLanguageTexts(each, file, kProgramVersion));
  }
}

std::string LangMessage(int number) { return LanguageFile(CurrentFile()).Message(number); }

std::string LangText(std::string_view section, std::string_view key) {
  return LanguageFile(CurrentFile()).Read(section, key);
}

}  // namespace player
