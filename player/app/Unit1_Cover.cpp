// The cover preview of the current song: its embedded picture, else a
// picture file of its folder.
#include <windows.h>

#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "player/CoverPicture.h"
#include "player/platform/FolderListing.h"
#include "player/app/Unit1.h"

namespace player {

namespace {

// FNV-1a: enough to tell two embedded pictures apart.
std::string PictureDigest(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return std::to_string(hash);
}

}  // namespace

void TForm1::ShowCover(const std::string& songPath) {
  std::string file;
  std::string identity;
  const bool embedded = !SongInfo->Picture.empty();
  if (embedded) {
    file = ExeFolder + "temp.jpg";
    identity = songPath + "|" + PictureDigest(SongInfo->Picture);
  } else {
    const std::string folder = sv::ExtractFilePath(songPath);
    const std::string name = folder.empty() ? std::string() : FindFolderCover(ListJpegNames(folder));
    if (name.empty()) {
      HideCover();
      return;
    }
    file = folder + name;
    identity = file;
  }
  if (identity == ShownCover) return;
  HideCover();
  if (embedded) {
    // A picture that cannot be written is not shown; the song plays on.
    try {
      sv::WriteFileAtomic(file, SongInfo->Picture);
    } catch (const sv::FileWriteError&) {
      return;
    }
  }
  DecodedPicture picture;
  CoverLayout layout{};
  if (!DecodeJpegFile(file, picture) || !LayoutCover(picture.Width, picture.Height, layout)) return;
  PanelPreviewAlbum->SetBounds(Panel_Listes->Width() - layout.PanelWidth - PreviewRight, PreviewTop,
                               layout.PanelWidth, layout.PanelHeight);
  PanelPreviewAlbum->Tag = layout.RatioTag;
  ImgPreviewAlbum->SetBounds(0, 0, layout.PanelWidth, layout.PanelHeight);
  forms::Application->ProcessMessages();
  // A command handled meanwhile may have made another song current and
  // shown its own cover: this one is stale then.
  if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(Playlist.size()) ||
      Playlist[static_cast<std::size_t>(CurrentIndex)] != songPath)
    return;
  ImgPreviewAlbum->SetPicture(picture.Width, picture.Height, std::move(picture.Bgr), picture.Stride);
  ShownCover = identity;
  // A double click opens the picture's file.
  ImgPreviewAlbum->Hint = file;
  PanelPreviewAlbum->SetVisible(true);
}

void TForm1::HideCover() {
  ShownCover.clear();
  ImgPreviewAlbum->Hint.clear();
  ImgPreviewAlbum->ClearPicture();
  PanelPreviewAlbum->SetVisible(false);
}

}  // namespace player
