// Showing and hiding the main window, and the playlist's two parallel lists.
#include "forms/Application.h"
#include "player/PlaylistFiles.h"
#include "player/WindowRules.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Egaliseur.h"
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

void TForm1::AfficheForm(int, bool Immediate) {
  if (!Initialised) Initialisation();
  if (!FormShown) {
    // The work area of the window's own monitor, so that a window kept on
    // another monitor is not pulled onto the primary one.
    const RECT bounds{Left(), Top(), Left() + Width(), Top() + Height()};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{};
    if (GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTOPRIMARY), &monitor))
      area = monitor.rcWork;
    else
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN), screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const ScreenBox box = ClampShownBounds(
        {Left(), Top(), Width(), Height()}, {area.left, area.top, area.right, area.bottom},
        {screenLeft, screenTop, screenLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN),
         screenTop + GetSystemMetrics(SM_CYVIRTUALSCREEN)});
    SetBounds(box.Left, box.Top, box.Width, box.Height);
  }
  Show();
  TrayIcon1->HideTaskbarButton();
  TrayIcon1->SetShowHint(false);
  FormInfoBulle->StopAndHide();
  MenuAfficher->Visible = false;
  SetForegroundWindow(Handle());
  FormShown = true;
  if (Immediate || !Flags.FadeIn) {
    SetAlphaBlendValue(255);
    SetAlphaBlend(false);
  } else {
    TimerAffichage->SetEnabled(true);
  }
  forms::Application->ProcessMessages();
}

void TForm1::CacheForm(bool) {
  if (FormEgaliseur) FormEgaliseur->Close();
  FormShown = false;
  TrayIcon1->SetShowHint(true);
  MenuAfficher->Visible = true;
  Hide();
  // Ready for the next fade-in.
  SetAlphaBlend(true);
  SetAlphaBlendValue(0);
}

void TForm1::SetPlayGlyph(bool playing) {
  ShowsPauseGlyph = playing;
  SpdBtnPlay->SetGlyph(playing ? ImagePause : ImagePlay);
}

void TForm1::AppendEntry(const std::string& path, const std::string& text) {
  ListBox1->Add(OneLineText(text));
  Playlist.push_back(path);
}

void TForm1::ClearEntries() {
  ListBox1->Clear();
  ListBox1->SetHorizontalExtent(0);
  Playlist.clear();
}

std::string TForm1::DisplayTitle(const std::string& path) {
  const TitleFormats formats{Templates.Tagged, Templates.Untagged, Templates.CdTrack, Flags.ReadMetaTags,
                             Flags.ReadCddb};
  TitleSources sources{sv::tags::NativeFileSystem(), Lengths.get(), *Drives,
                       [this] { return std::make_unique<IniCdCache>(ExeFolder + "Sorivanel.cddb"); }, *CdTimer};
  return GetSongDisplayTitle(path, formats, sources);
}

}  // namespace player
