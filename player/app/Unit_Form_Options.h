#pragma once
// The options window: a list of nine pages beside a notebook in a framed
// box. It is modeless, one at a time, fills its controls when shown and
// frees itself when closed. Each control applies its change at once, or on
// the pages with an apply button when that is pressed.
//
// The window is described by concern, each page in two files: its controls
// as a table (Unit_Form_Options_<Page>.form.cpp) and its logic
// (Unit_Form_Options_<Page>.cpp). The frame is Unit_Form_Options.form.cpp
// (controls), Unit_Form_Options.cpp (opening, closing, page list, link
// labels, language texts) and Unit_Form_Options_Show.cpp (showing: each
// page's Fill routines, which set its controls from what the player holds).
//
// A page's Build<Page>Page makes its controls from its table with
// BuildControls, then takes them into the members of its block below with
// Find<T>(name) and binds their handlers. A control of a kind the tables do
// not know (a hot-key field, a check list, a rich edit) is made there with
// forms::New(this, name, page, bounds), owned by the window so that the
// language module finds it by name. Language texts beyond captions reach
// ApplyLanguageText: radio items, page titles, the page list and the
// help list (a forms::ListBox named ListBoxAideFormatNom), and the about
// text (SetAboutText).
#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "forms/Buttons.h"
#include "forms/CheckList.h"
#include "forms/ComboBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/GroupBox.h"
#include "forms/HotKeyEdit.h"
#include "forms/IconView.h"
#include "forms/Label.h"
#include "forms/LinkLabel.h"
#include "forms/ListBox.h"
#include "forms/Memo.h"
#include "forms/Notebook.h"
#include "forms/RichText.h"
#include "forms/TrackBar.h"
#include "player/Associations.h"
#include "player/OptionsRules.h"
#include "player/Settings.h"
#include "player/app/Unit_Langue_Apply.h"

namespace player {

// The kinds of control a page table describes.
enum class OptionsControlKind {
  GroupBox,
  RadioGroup,    // caption "Title\nItem0\nItem1..."
  CheckBox,
  Button,
  Label,         // a plain line of text
  LinkLabel,     // a text that reacts to the pointer and opens something
  ListBox,       // one choice at a time
  MultiListBox,  // several choices
  DropDownList,  // a combo box to pick from
  DropDown,      // a combo box that also takes typing
  Edit,
  PasswordEdit,
  TrackBar,
  Icon,
  HotKey,     // a hot-key field
  CheckList,  // entries with check boxes
  Memo,       // read-only lines of text that scroll both ways
  RichText,   // read-only formatted text
};

// One control of a page: its parent is a control named earlier in the same
// table, or the page itself when empty. Bounds are inside the parent; a
// combo box's height is its dropped-down height.
struct OptionsControl {
  OptionsControlKind Kind;
  const char* Name;
  const char* Parent;
  forms::Bounds Bounds;
  const char* Caption;  // the built-in French text; the language file replaces it
};

// Notebook pages, in the window's order.
enum class OptionsPage {
  General = 0,       // "Options"
  HotKeys = 1,       // "Raccourcis clavier"
  Folders = 2,       // "Répertoires"
  Associations = 3,  // "Associations"
  Display = 4,       // "Affichages"
  SongNames = 5,     // "Nom des chansons"
  Connection = 6,    // "Connexion"
  Submission = 7,    // "AudioScrobbler / MSN"
  About = 8,         // "A propos..."
};

class TFormOptions : public forms::TForm, public LanguageTarget {
 public:
  explicit TFormOptions(forms::TComponent* owner);
  ~TFormOptions() override;

  // The frame.
  void FormShow(forms::TComponent* Sender);
  void FormClose(forms::TComponent* Sender, forms::CloseAction& Action);
  void ListBoxPagesClick(forms::TComponent* Sender);
  void ApplyLanguageText(const LanguageText& text) override;
  // The link labels' shared handlers: underline on entering, none on
  // leaving, red while pressed, blue once released.
  void LabelWebVersionMouseEnter(forms::TComponent* Sender);
  void LabelWebVersionMouseLeave(forms::TComponent* Sender);
  void LabelWebVersionMouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                                int Y);
  void LabelWebVersionMouseUp(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                              int Y);
  void ImageSorivanelClick(forms::TComponent* Sender);
  // The notice after a change that applies at the next start.
  void ShowNextStartNotice();

  // The control of that name created from a page table; raises
  // sv::Exception when there is none of that type.
  template <class T>
  T* Find(std::string_view name) const {
    auto* control = dynamic_cast<T*>(FindControl(name));
    if (!control) throw sv::Exception("The options window has no control " + std::string(name));
    return control;
  }

  // Frame.
  forms::ListBox* ListBoxPages = nullptr;
  forms::GroupBox* GroupBoxPages = nullptr;
  forms::Notebook* Notebook = nullptr;
  forms::IconView* ImageSorivanel = nullptr;
  forms::Label* LabelVersion = nullptr;
  std::vector<std::string> LanguageFiles;  // parallel to ListBoxLangues
  std::vector<std::string> SkinFolders;    // parallel to ComboBoxSkins, each ending in "\"

  // ---- Page 0, options (Unit_Form_Options_General*.cpp) ----
  // RadioGroup1 (start with Windows) stands on this page; its filling and
  // handler belong to the associations page's files.
  void BuildGeneralPage(forms::WindowedControl* page);
  // The update-check and play-at-start boxes, from the settings file.
  void FillGeneralFromSettings(const SettingsFile& settings);
  // The audio library's devices, the stored one chosen.
  void FillOutputDevices(const SettingsFile& settings);
  // The option boxes and the volume mode from the player's flags, shuffle
  // and loop from its menu items.
  void FillGeneralFromMemory();
  // The language files, the one in use chosen.
  void FillLanguages();
  void CheckAutresClick(forms::TComponent* Sender);
  void RadioGroup2Click(forms::TComponent* Sender);
  void ListBoxLanguesClick(forms::TComponent* Sender);
  void ComboOutputDevChange(forms::TComponent* Sender);
  forms::RadioGroup* RadioGroup1 = nullptr;
  forms::RadioGroup* RadioGroup2 = nullptr;
  forms::CheckBox *CheckBallon = nullptr, *CheckSousRep = nullptr, *CheckShuffle = nullptr,
                  *CheckLectureBoucle = nullptr, *CheckNouvelleVersion = nullptr,
                  *CheckApparitionProgressive = nullptr, *CheckDemarrerLectureLancement = nullptr;
  forms::ListBox* ListBoxLangues = nullptr;
  forms::ComboBox* ComboOutputDev = nullptr;

  // ---- Page 1, hot keys (Unit_Form_Options_HotKeys*.cpp) ----
  void BuildHotKeysPage(forms::WindowedControl* page);
  // The eight switches and keys from the settings file; apply disabled.
  void FillHotKeys(const SettingsFile& settings);
  void CheckHotKeyClick(forms::TComponent* Sender);
  void BtnSetHotKeyClick(forms::TComponent* Sender);
  // In the order of the settings' hot-key table: CheckBox1..8, and HotKeyPlay,
  // HotKeyPrev, HotKeyNext, HotKeyVolUp, HotKeyVolDwn, HotKeyShowHide,
  // HotKeyAvancerRapide, HotKeyReculerRapide.
  std::array<forms::CheckBox*, ini::kHotKeyActions> HotKeyChecks{};
  std::array<forms::HotKeyEdit*, ini::kHotKeyActions> HotKeyFields{};
  forms::Button* BtnSetHotKey = nullptr;

  // ---- Page 2, base folders (Unit_Form_Options_Folders*.cpp) ----
  void BuildFoldersPage(forms::WindowedControl* page);
  // The base folders and the start-up update box.
  void FillFolders(const SettingsFile& settings);
  void ButtonRepClick(forms::TComponent* Sender);
  void SaveBaseFolders();
  forms::ListBox* ListeRep = nullptr;
  forms::GroupBox* GroupBox1 = nullptr;
  forms::Button *ButtonAjouterRep = nullptr, *ButtonSupprRep = nullptr;
  forms::CheckBox* CheckStartupFolderUpdate = nullptr;

  // ---- Page 3, associations, and RadioGroup1 of page 0
  //      (Unit_Form_Options_Associations*.cpp) ----
  void BuildAssociationsPage(forms::WindowedControl* page);
  // Start with Windows and the associations, as the registry holds them.
  void FillRegistry();
  void VerifierAssociations();
  void RadioGroup1Click(forms::TComponent* Sender);
  void ListEXTClickCheck(forms::TComponent* Sender, int Index);
  void LabelAssocToutClick(forms::TComponent* Sender);  // both link labels
  void BtnChangerIconeFichiersClick(forms::TComponent* Sender);  // both icon buttons
  void RadioGroupCDAudioClick(forms::TComponent* Sender);
  void RadioGroupRepertoiresClick(forms::TComponent* Sender);
  forms::CheckList* ListEXT = nullptr;
  forms::LinkLabel *LabelAssocTout = nullptr, *LabelAssocAucun = nullptr;
  forms::IconView* ImageIconeFichiers = nullptr;
  forms::Button *BtnChangerIconeFichiers = nullptr, *BtnIconeFichiersDefaut = nullptr;
  forms::RadioGroup *RadioGroupCDAudio = nullptr, *RadioGroupRepertoires = nullptr;

  // ---- Page 4, display (Unit_Form_Options_Display*.cpp) ----
  void BuildDisplayPage(forms::WindowedControl* page);
  void FillIcons(const SettingsFile& settings);  // both icon images
  void FillFonts();                              // the list's and the bubble's fonts
  void FillOpacity();                            // the bubble's opacity, applied again
  void FillSkins();                              // the skin folders, the one in use chosen
  void ComboFontChange(forms::TComponent* Sender);
  void BtnPoliceDefautClick(forms::TComponent* Sender);
  void BtnChangerIconeClick(forms::TComponent* Sender);
  void ComboBoxSkinsChange(forms::TComponent* Sender);
  void LabelEditSkinsClick(forms::TComponent* Sender);
  void LabelGetMoreSkinsClick(forms::TComponent* Sender);
  void TrackTransparenceInfoBulleChange(forms::TComponent* Sender);
  forms::ComboBox *ComboFontName = nullptr, *ComboFontSize = nullptr, *ComboBalloonFontName = nullptr,
                  *ComboBalloonFontSize = nullptr, *ComboBoxSkins = nullptr;
  forms::CheckBox *CheckBold = nullptr, *CheckItalic = nullptr, *CheckBalloonBold = nullptr,
                  *CheckBalloonItalic = nullptr, *CheckAnimerIcone = nullptr, *CheckBoxAlbumCoverPreview = nullptr;
  forms::Button *BtnPoliceDefaut = nullptr, *BtnBalloonPoliceDefaut = nullptr, *BtnChangerIcone = nullptr,
                *BtnIconeDefaut = nullptr;
  forms::IconView* ImageIconeBarreDesTaches = nullptr;
  forms::LinkLabel *LabelEditSkins = nullptr, *LabelGetMoreSkins = nullptr;
  forms::TrackBar* TrackTransparenceInfoBulle = nullptr;
  forms::Label* LabelTransparency = nullptr;

  // ---- Page 5, song names (Unit_Form_Options_SongNames*.cpp) ----
  // CheckLireMetaTags and CheckLireCDDB click through CheckAutresClick,
  // which sets their flags.
  void BuildSongNamesPage(forms::WindowedControl* page);
  void FillTemplates();  // the three templates in use; apply disabled
  void EditFormatNomTagChange(forms::TComponent* Sender);
  void LabelDefautFormatNomClick(forms::TComponent* Sender);     // the three "< défaut >" labels
  void LabelDefautFormatNomTagClick(forms::TComponent* Sender);  // the three "< Aide >" labels
  void BtnValiderNomChansonsClick(forms::TComponent* Sender);
  void ImageFreeDBClick(forms::TComponent* Sender);
  forms::Edit *EditFormatNomTag = nullptr, *EditFormatNomSansTag = nullptr, *EditFormatNomCDA = nullptr;
  forms::LinkLabel *LabelDefautFormatNomTag = nullptr, *LabelDefautFormatNomSansTag = nullptr,
                   *LabelDefautFormatNomCDA = nullptr, *LabelAideFormatNomTag = nullptr,
                   *LabelAideFormatNomSansTag = nullptr, *LabelAideFormatNomCDA = nullptr;
  forms::ListBox* ListBoxAideFormatNom = nullptr;
  forms::CheckBox *CheckLireMetaTags = nullptr, *CheckLireCDDB = nullptr;
  forms::Button* BtnValiderNomChansons = nullptr;

  // ---- Page 6, connection (Unit_Form_Options_Connection*.cpp) ----
  void BuildConnectionPage(forms::WindowedControl* page);
  void FillProxy(const SettingsFile& settings);  // apply disabled
  void CheckBoxProxyClick(forms::TComponent* Sender);  // the box and the four edits
  void BtnValiderProxyClick(forms::TComponent* Sender);
  forms::CheckBox* CheckBoxProxy = nullptr;
  forms::Edit *EditProxyAddress = nullptr, *EditProxyPort = nullptr, *EditProxyUser = nullptr,
              *EditProxyPass = nullptr;
  forms::Button* BtnValiderProxy = nullptr;

  // ---- Page 7, submission and messenger (Unit_Form_Options_Submission*.cpp) ----
  // CheckBoxMSN clicks through CheckAutresClick.
  void BuildSubmissionPage(forms::WindowedControl* page);
  // The messenger switch and the submission account; apply disabled.
  void FillSubmission(const SettingsFile& settings);
  // CheckAutresClick hands the messenger box's changes here.
  void MessengerSwitchChanged(bool on);
  void CheckBoxAudioScrobblerClick(forms::TComponent* Sender);  // the box and the two edits
  void BtnValiderAudioScrobblerClick(forms::TComponent* Sender);
  // Also called by the language module once it has set the window's texts.
  void LabelOpenAudioScrobblerLogClick(forms::TComponent* Sender);
  void ImageLastFmClick(forms::TComponent* Sender);
  forms::CheckBox *CheckBoxMSN = nullptr, *CheckBoxAudioScrobbler = nullptr;
  forms::Edit *EditAudioScrobblerUser = nullptr, *EditAudioScrobblerPass = nullptr;
  forms::Button* BtnValiderAudioScrobbler = nullptr;
  forms::Memo* MemoAudioScrobbler = nullptr;
  forms::LinkLabel* LabelOpenAudioScrobblerLog = nullptr;

  // ---- Page 8, about (Unit_Form_Options_About*.cpp) ----
  void BuildAboutPage(forms::WindowedControl* page);
  // The about text the language module gives.
  void SetAboutText(const std::vector<std::string>& lines);
  void LabelWebVersionClick(forms::TComponent* Sender);
  void LabelLicenseClick(forms::TComponent* Sender);
  forms::RichText* RichEdit1 = nullptr;

 protected:
  void DescribeState(forms::StateList& state) const override;

 private:
  // Creates the controls of one table on `page`, links the link labels to
  // the shared handlers, and gives each its built-in text.
  void BuildControls(forms::WindowedControl* page, std::span<const OptionsControl> table);
  forms::Control* FindControl(std::string_view name) const;
  void WireLinkLabel(forms::LinkLabel* label);
  // An icon file the user picks in the open dialog, or "" when cancelled.
  std::string ChooseIconFile();
  // The player's registry entries, for the running program and the
  // associated-file icon as the settings name it now.
  Associations PlayerAssociations();
  bool topMostsNormalised_ = false;
  std::unique_ptr<Registry> registry_;
};

// The one options window, or null.
extern TFormOptions* FormOptions;

// Windows paths compare without regard to letter case.
bool SameWindowsPath(const std::string& a, const std::string& b);

// Creates the window when there is none, then shows it (an open window only
// comes forward). The folder tree's folder command opens it on the folders
// page.
void OpenOptionsWindow(OptionsPage page = OptionsPage::General);

}  // namespace player
