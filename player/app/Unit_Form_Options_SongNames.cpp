// The options window's song-name page: the three title templates with
// their defaults and help, and the apply button.
#include "player/CddbProtocol.h"
#include "player/ShellOpen.h"
#include "player/TemplateHelp.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

TemplateGroup GroupOf(const TFormOptions& form, const forms::TComponent* sender) {
  if (sender == form.LabelDefautFormatNomSansTag || sender == form.LabelAideFormatNomSansTag)
    return TemplateGroup::Untagged;
  if (sender == form.LabelDefautFormatNomCDA || sender == form.LabelAideFormatNomCDA) return TemplateGroup::CdTrack;
  return TemplateGroup::Tagged;
}

}  // namespace

void TFormOptions::FillTemplates() {
  if (Form1) {
    // Filling an edit reports a change, which enables the button: the
    // button is disabled afterwards.
    EditFormatNomTag->SetText(Form1->Templates.Tagged);
    EditFormatNomSansTag->SetText(Form1->Templates.Untagged);
    EditFormatNomCDA->SetText(Form1->Templates.CdTrack);
  }
  BtnValiderNomChansons->SetEnabled(false);
}

void TFormOptions::EditFormatNomTagChange(forms::TComponent*) { BtnValiderNomChansons->SetEnabled(true); }

void TFormOptions::LabelDefautFormatNomClick(forms::TComponent* Sender) {
  const TemplateGroup group = GroupOf(*this, Sender);
  forms::Edit* edit = group == TemplateGroup::Tagged     ? EditFormatNomTag
                      : group == TemplateGroup::Untagged ? EditFormatNomSansTag
                                                         : EditFormatNomCDA;
  // The same text again is no change: the button stays as it is.
  const std::string text(DefaultTemplate(group));
  if (edit->Text() != text) edit->SetText(text);
}

void TFormOptions::LabelDefautFormatNomTagClick(forms::TComponent* Sender) {
  ListBoxAideFormatNom->Clear();
  const LanguageFile file(Form1 ? Form1->LangFileName : std::string());
  for (const std::string& line : TemplateHelpLines(GroupOf(*this, Sender), file)) ListBoxAideFormatNom->Add(line);
}

void TFormOptions::BtnValiderNomChansonsClick(forms::TComponent*) {
  if (!Form1) return;
  BtnValiderNomChansons->SetEnabled(false);
  Form1->Templates = {EditFormatNomTag->Text(), EditFormatNomSansTag->Text(), EditFormatNomCDA->Text()};
  SettingsFile(Form1->IniFileName).WriteTitleTemplates(Form1->Templates);
  Form1->MenuRefreshListeClick(this);
}

void TFormOptions::ImageFreeDBClick(forms::TComponent*) { ShellOpen(Handle(), kDefaultCddbServer, ""); }

}  // namespace player
