// Saving: the questions, the optional backup, and skin.ini replaced in one
// step with every key in the editor's order; on any failure the file is as
// it was and the skin stays modified.
#include "base/IniFile.h"
#include "base/TextFile.h"
#include "forms/Dialogs.h"
#include "skineditor/Unit1.h"

namespace quorvane {

void TForm1::SaveSkin() {
  if (SkinFolder.empty()) return;
  if (!forms::Confirm(Handle(), "Are you sure ??")) return;
  const sv::skin::SkinDocument document = CurrentDocument();
  // Texts are saved as typed, but the user hears which ones the player
  // will not use.
  if (const auto unusable = document.UnusableNumbers(); !unusable.empty()) {
    std::string text = "The player cannot use these values and will take its default instead:\n";
    for (sv::skin::Field field : unusable)
      text += "\n" + std::string(sv::skin::InfoOf(field).Caption) + ": \"" + document.Text(field) + "\"";
    text += "\n\nSave anyway?";
    if (!forms::Confirm(Handle(), text)) return;
  }
  const std::string file = SkinFolder + "skin.ini";
  if (forms::Confirm(Handle(), "Do you want to create a \"skin.old.ini\" file ??")) {
    try {
      sv::WriteFileAtomic(SkinFolder + "skin.old.ini", sv::ReadFileBytes(file));
    } catch (const sv::Exception& e) {
      forms::ShowError(Handle(), "The backup \"skin.old.ini\" could not be made, so the skin was not saved.\n" +
                                     e.Message());
      return;
    }
  }
  try {
    sv::IniFile ini(file);
    sv::skin::WriteDocument(ini, document);
  } catch (const sv::Exception& e) {
    forms::ShowError(Handle(), "The skin was not saved; \"" + file + "\" is unchanged.\n" + e.Message());
    return;
  }
  Modified = false;
}

}  // namespace quorvane
