#pragma once
// The tag editor: edits the tags of every taggable file selected in the
// playlist at once, in two columns (the ID3v1 tag; the ID3v2 tag, the Ogg
// Vorbis comments or the APE tag). Its controls are described in
// Unit_Form_Tag.form, loading and the boxes in Unit_Form_Tag, writing in
// Unit_Form_Tag_Write.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/Buttons.h"
#include "forms/ComboBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/GroupBox.h"
#include "forms/Label.h"
#include "forms/ProgressBar.h"
#include "player/TagEditing.h"

namespace player {

class TFormTag : public forms::TForm {
 public:
  explicit TFormTag(forms::TComponent* owner);
  ~TFormTag() override;

  void FormShow(forms::TComponent* Sender);
  // Collects the playlist's selected taggable files and loads their tags.
  void MiseAJours();
  // Enables each field while its box is ticked.
  void CheckClick(forms::TComponent* Sender);
  // Save, "ID3 v1 -> v2" and "ID3 v2 -> v1": asks, writes, closes.
  void BtnSaveClick(forms::TComponent* Sender);
  void BtnCloseClick(forms::TComponent* Sender);
  void FormClose(forms::TComponent* Sender, forms::CloseAction& Action);
  // Writes every file of the list; the playing one is paused meanwhile.
  void Traitement(TagWriteMode Mode);

  // One column's controls by field: tick boxes, and the edits, the memo and
  // the genre combo.
  struct ColumnControls {
    std::array<forms::CheckBox*, kTagFields> Check{};
    std::array<forms::WindowedControl*, kTagFields> Field{};
    forms::CheckBox* AutoNb = nullptr;
    forms::ComboBox* Genre = nullptr;
  };
  std::array<ColumnControls, 2> Columns;
  forms::GroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr, *GroupBox4 = nullptr;
  forms::ComboBox* ComboBox1 = nullptr;
  forms::Label* LabelInfos = nullptr;
  forms::ProgressBar* Progression = nullptr;
  forms::Button *BtnSave = nullptr, *Btnv1v2 = nullptr, *Btnv2v1 = nullptr, *BtnClose = nullptr;

  // The files of the last MiseAJours, in playlist order.
  std::vector<std::string> Files;

 protected:
  // The last write, for the automation interface.
  void DescribeState(forms::StateList& state) const override;

 private:
  void CreateComponents();
  void Write(TagWriteMode Mode);
  void FillGenres();
  void SetButtonsEnabled(bool enabled);
  TagColumn ReadColumn(int column) const;
  void ShowColumn(int column, const TagColumn& values);
  // One box naming the files that failed, those only partly written (with
  // the tags written) and those a copy skipped; none when all went well.
  void Report();

  bool Writing = false;
  bool SaveWaiting = false;  // a save waits for the main window's work to end
  // Where the playing file was paused and where it was played again from
  // (bytes; -1 when nothing was paused), and the files that failed, were
  // only partly written or were skipped by a copy.
  std::int64_t PausedAt = -1;
  std::int64_t ResumedFrom = -1;
  std::vector<std::string> LastFailures, LastPartlyWritten, LastSkipped;
};

// The one tag editor, or null while none is open.
extern TFormTag* FormTag;

// Opens the tag editor (made when needed) on the playlist's selection.
void ShowTagEditor();

}  // namespace player
