#pragma once
// The search window: finds the playable files below a folder whose folder
// path, file name or tags hold a text, and hands each match to the main
// window, which appends it to the playlist, selected. The search runs on
// this thread one folder at a time, letting messages through in between,
// and can be cancelled between folders. Closing only hides the window.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/Buttons.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/GroupBox.h"
#include "forms/Label.h"
#include "forms/ProgressBar.h"

namespace player {

class TFormRecherche : public forms::TForm {
 public:
  explicit TFormRecherche(forms::TComponent* owner);
  ~TFormRecherche() override;

  void FormShow(forms::TComponent* Sender);
  void TexteRechercheChange(forms::TComponent* Sender);
  void CheckBox1Click(forms::TComponent* Sender);
  void FormKeyDown(forms::TComponent* Sender, std::uint16_t& Key, forms::ShiftState Shift);
  void BtnRechercherClick(forms::TComponent* Sender);
  void BtnAnnulerClick(forms::TComponent* Sender);
  void BtnChangeFolderClick(forms::TComponent* Sender);
  void FormClose(forms::TComponent* Sender, forms::CloseAction& Action);

  // A search is under way (inside BtnRechercherClick).
  bool Searching() const { return searching_; }

  // Set by the main window: the playable extensions, and what a search
  // start and each match do.
  std::vector<std::string> SupportedExtensions;
  std::function<void()> OnSearchStart;
  std::function<void(const std::string& path)> OnFound;

  forms::GroupBox* GroupBox3 = nullptr;
  forms::Edit* RepertoireDeRecherche = nullptr;
  forms::CheckBox* CheckSsRep = nullptr;
  forms::Button* BtnChangeFolder = nullptr;
  forms::GroupBox* GroupBox2 = nullptr;
  forms::Edit* TexteRecherche = nullptr;
  forms::GroupBox* GroupBox1 = nullptr;
  forms::CheckBox* CheckBox1 = nullptr;
  forms::CheckBox* CheckBox2 = nullptr;
  forms::CheckBox* CheckBox3 = nullptr;
  forms::CheckBox* CheckBox4 = nullptr;
  forms::CheckBox* CheckBox5 = nullptr;
  forms::Label* Label1 = nullptr;
  forms::ProgressBar* ProgressBar = nullptr;
  forms::Button* BtnRechercher = nullptr;
  forms::Button* BtnAnnuler = nullptr;

  void DescribeState(forms::StateList& state) const override;

 private:
  // The form description, in Unit_Form_Recherche.form.cpp.
  void CreateComponents();
  void UpdateSearchButton();
  void Search();
  // Folder after folder until done, cancelled or `ended`.
  void RunSearch(const std::function<bool()>& ended);

  bool searching_ = false;
  bool waiting_ = false;  // the search waits for the main window's work to end
  bool topMostsNormalised_ = false;
};

// The search window once made; it lives until the program ends.
extern TFormRecherche* FormRecherche;

}  // namespace player
