// Showing and hiding the main window, and the playlist's two parallel lists.
#include "forms/Application.h"
#include "player/app/Unit1.h"

namespace player {

void TForm1::AfficheForm(int, bool) {
  if (!Initialised) Initialisation();
  Show();
  SetForegroundWindow(Handle());
  FormShown = true;
}

void TForm1::CacheForm(bool) {
  Hide();
  FormShown = false;
}

void TForm1::SetPlayGlyph(bool playing) {
  ShowsPauseGlyph = playing;
  SpdBtnPlay->SetGlyph(playing ? ImagePause : ImagePlay);
}

void TForm1::AppendEntry(const std::string& path, const std::string& text) {
  Playlist.push_back(path);
  ListBox1->Add(text);
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
