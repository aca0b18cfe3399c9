#pragma once
// The skin editor's one window. One class whose member functions are
// defined by concern: the form and its components (Unit1_Form), opening,
// creating and closing (Unit1_Open), saving (Unit1_Save), the value
// controls, colours, bitmaps and positions (Unit1_Edit) and the preview
// (Unit1_Preview).
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forms/Buttons.h"
#include "forms/ComboBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/GroupBox.h"
#include "forms/Label.h"
#include "forms/ListBox.h"
#include "forms/MainMenu.h"
#include "forms/PageControl.h"
#include "forms/Panel.h"
#include "forms/PixelBitmap.h"
#include "forms/ProgressBar.h"
#include "forms/SpeedButton.h"
#include "forms/TreeView.h"
#include "skin/SkinDocument.h"
#include "skineditor/MenuCommands.h"
#include "skineditor/PreviewParts.h"

namespace quorvane {

class TForm1 : public forms::TForm {
 public:
  explicit TForm1(forms::TComponent* owner);
  ~TForm1() override;

  // Opening, creating and closing.
  void FormCreate(const std::vector<std::string>& arguments);
  void OpenSkin(const std::string& Path);
  void mnuNewSkinClick(forms::TComponent* Sender);
  void FormCloseQuery(forms::TComponent* Sender, bool& CanClose);
  void WMDropFiles(HDROP drop);

  // Saving.
  void SaveSkin();

  // The value controls.
  void Edit6Change(forms::TComponent* Sender);
  void ChangeCouleur(forms::TComponent* Sender);
  void ChangeImage(forms::TComponent* Sender);
  void LabelMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void ContainerMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void ListBox2Click(forms::TComponent* Sender);
  void Edit29Change(forms::TComponent* Sender);

  // The preview.
  void Affichage();
  void SpdBtnPlayClick(forms::TComponent* Sender);
  void ListBox1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);

  void DescribeState(forms::StateList& state) const override;

  // The skin folder being edited (ends with "\"), empty before one is open.
  std::string SkinFolder;
  bool Modified = false;

 private:
  void BuildMenu();
  void BuildMainPage(forms::Panel* page);
  void BuildBalloonPage(forms::Panel* page);
  void BuildButtonsPage(forms::Panel* page);
  void BuildPreview();
  void LayoutLists();
  void FormKeyDown(forms::TComponent* Sender, std::uint16_t& Key, forms::ShiftState Shift);

  // Value controls: one per field of the document.
  forms::Edit* AddEdit(forms::WindowedControl* parent, sv::skin::Field field, const std::string& name,
                       const std::string& caption, int x, int y, int width, bool bitmap = false);
  ColourSwatch* AddSwatch(forms::WindowedControl* parent, sv::skin::Field field, const std::string& name,
                          const std::string& caption, int x, int y);
  forms::CheckBox* AddCheck(forms::WindowedControl* parent, sv::skin::Field field, const std::string& name,
                            const std::string& caption, int x, int y, int width);
  forms::GroupBox* NewGroup(const std::string& name, forms::WindowedControl* parent, forms::Bounds bounds,
                            const std::string& caption);
  forms::CheckBox* NewCheck(const std::string& name, forms::WindowedControl* parent, forms::Bounds bounds,
                            const std::string& caption);
  forms::Label* AddCaption(forms::WindowedControl* parent, const std::string& caption, int x, int y, int width);
  void FillFontNames(forms::ComboBox* combo);

  // The document the controls hold now, and back into the controls.
  sv::skin::SkinDocument CurrentDocument() const;
  void ShowDocument(const sv::skin::SkinDocument& document);
  void SetFontName(forms::ComboBox* combo, const std::string& name);
  std::string FontName(const forms::ComboBox* combo) const;

  // Opening without asking first; false when the folder holds no skin.ini.
  bool LoadFolder(const std::string& folder);
  static std::string FolderOf(const std::string& path);
  std::string InitialFolder() const;
  void EnableEditing();

  // Bitmaps of the skin, decoded once per file version; a bad one is
  // reported once per open.
  std::shared_ptr<forms::PixelBitmap> Picture(const std::string& value);
  void ReportPictures();

  void PaintPreview(const sv::skin::Skin& skin);
  void PaintBubble(const sv::skin::Skin& skin);

  std::array<forms::Control*, sv::skin::kFieldCount> fields_{};
  // Design-time places of the ten controls: what the preview shows and
  // the save writes.
  std::array<sv::skin::ControlPlace, sv::skin::kControlCount> places_{};
  // A stored font that is not installed, per font combo.
  std::map<const forms::ComboBox*, std::string> missingFonts_;
  forms::Label* hovered_ = nullptr;

  struct CachedPicture {
    long long stamp = 0;
    std::shared_ptr<forms::PixelBitmap> bitmap;
  };
  std::map<std::string, CachedPicture> pictures_;
  std::set<std::string> reported_;
  std::vector<std::string> pendingReports_;
  std::shared_ptr<forms::PixelBitmap> playGlyph_;
  bool showsPause_ = false;

 public:
  forms::MainMenu* MainMenu1 = nullptr;
  forms::PageControl* PageControl1 = nullptr;
  forms::GroupBox* GroupBoxMain = nullptr;
  forms::GroupBox* GroupBoxBalloon = nullptr;
  forms::GroupBox* GroupBoxBmp = nullptr;
  forms::GroupBox* GroupBoxBalloonFont = nullptr;
  forms::GroupBox* GroupBoxPositions = nullptr;
  forms::ComboBox* ComboFontName = nullptr;
  forms::ComboBox* ComboFontSize = nullptr;
  forms::CheckBox* CheckBold = nullptr;
  forms::CheckBox* CheckItalic = nullptr;
  forms::ComboBox* ComboBalloonFontName = nullptr;
  forms::ComboBox* ComboBalloonFontSize = nullptr;
  forms::CheckBox* CheckBalloonBold = nullptr;
  forms::CheckBox* CheckBalloonItalic = nullptr;
  forms::ListBox* ListBox2 = nullptr;
  forms::Edit* Edit29 = nullptr;
  forms::Edit* Edit30 = nullptr;
  forms::Edit* Edit31 = nullptr;
  forms::CheckBox* CheckAnchorBottom = nullptr;
  forms::CheckBox* CheckAnchorLeft = nullptr;
  forms::CheckBox* CheckAnchorRight = nullptr;

  // The preview of the player's main window and of the info bubble.
  forms::Panel* PanelPreview = nullptr;
  SkinImage* ImageFond = nullptr;
  forms::Panel* Panel_Listes = nullptr;
  forms::TreeView* TreeView1 = nullptr;
  forms::ListBox* ListBox1 = nullptr;
  forms::SpeedButton* SpdBtnEgaliseur = nullptr;
  forms::SpeedButton* SpdBtnOptions = nullptr;
  forms::SpeedButton* SpdBtnRep = nullptr;
  forms::SpeedButton* SpdBtnListe = nullptr;
  forms::Label* LabelTemps = nullptr;
  forms::ProgressBar* ProgressBar1 = nullptr;
  forms::ProgressBar* ProgressBar2 = nullptr;
  forms::SpeedButton* SpdBtnPrev = nullptr;
  forms::SpeedButton* SpdBtnPlay = nullptr;
  forms::SpeedButton* SpdBtnNext = nullptr;
  forms::Panel* Panel1 = nullptr;
  SkinImage* Image1 = nullptr;
  forms::Label* Label45 = nullptr;

 private:
  std::array<forms::Control*, sv::skin::kControlCount> previewControls_{};
  // The preview's fonts live as long as the controls use them.
  forms::FontHandle listFont_;
  sv::skin::PlaylistLook listLook_;
};

}  // namespace quorvane
