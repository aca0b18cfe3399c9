// The open-file dialog, saving the playlist under a name of the user's, and
// writing the own playlist.
#include <windows.h>
#include <commdlg.h>

#include <filesystem>
#include <system_error>

#include "base/Ascii.h"
#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "player/PlaylistFiles.h"
#include "player/app/Steps.h"
#include "player/app/Unit1.h"

namespace player {

namespace {

// Room for the names of a great many chosen files.
constexpr std::size_t kOpenBufferChars = 64 * 1024;

// "Text|*.a|Other|*.b" as the dialogs take it: pairs ended by NULs, and an
// empty pair at the end.
std::wstring DialogFilter(const std::string& filter) {
  std::wstring wide = forms::widen(filter);
  for (wchar_t& c : wide)
    if (c == L'|') c = L'\0';
  wide.append(2, L'\0');
  return wide;
}

// The chosen files from the dialog's buffer: a single full path, or the
// folder followed by each name, every piece ended by a NUL.
std::vector<std::string> ChosenFiles(const std::wstring& buffer) {
  std::vector<std::wstring> pieces;
  for (std::size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
    const std::size_t end = buffer.find(L'\0', at);
    pieces.push_back(buffer.substr(at, end - at));
    if (end == std::wstring::npos) break;
    at = end + 1;
  }
  std::vector<std::string> files;
  if (pieces.size() == 1) {
    files.push_back(forms::narrow(pieces.front()));
  } else if (pieces.size() > 1) {
    const std::string folder = sv::IncludeTrailingBackslash(forms::narrow(pieces.front()));
    for (std::size_t i = 1; i < pieces.size(); ++i) files.push_back(folder + forms::narrow(pieces[i]));
  }
  return files;
}

}  // namespace

std::string TForm1::BesideOwnList() {
  if (OwnListTarget.empty())
    OwnListTarget = BesideListName(PlaylistFile, [](const std::string& path) {
      std::error_code ec;
      return std::filesystem::exists(sv::PathFromUtf8(path), ec);
    });
  return OwnListTarget;
}

void TForm1::SaveOwnPlaylist(const std::vector<std::string>& lines) {
  // A list this run could not read is the user's: it is never replaced.
  if (OwnPlaylistUnreadable) {
    const std::string beside = BesideOwnList();
    WritePlaylistFile(beside, lines);
    throw sv::Exception("\"" + PlaylistFile + "\" could not be read when the player started and is left as it is.\n" +
                        "The playlist was saved as \"" + beside + "\".");
  }
  try {
    WritePlaylistFile(PlaylistFile, lines);
  } catch (const sv::FileWriteError& error) {
    const std::string beside = BesideOwnList();
    WritePlaylistFile(beside, lines);
    throw sv::Exception(std::string(error.what()) + "\nThe playlist was saved as \"" + beside + "\".");
  }
}

void TForm1::MenuOuvrirFichierClick(forms::TComponent*) {
  // What it opens replaces the list: it waits for work under way.
  Request(RequestKind::Open, [this] { OpenFiles(); });
}

void TForm1::OpenFiles() {
  std::wstring buffer(kOpenBufferChars, L'\0');
  const std::wstring filter = DialogFilter(OpenDialogFilter);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  BOOL chosen = FALSE;
  {
    Work dialogWork(*this, WorkKind::Dialog, [this] { CancelOpenDialogs(); });
    chosen = GetOpenFileNameW(&dialog);
  }
  if (!chosen || Closed) return;
  const std::vector<std::string> files = ChosenFiles(buffer);
  if (files.empty()) return;
  if (files.size() > 1 && sv::LowerAscii(sv::ExtractFileExt(files.front())) != ".m3u") {
    // The choice becomes the own playlist (or goes beside a list this run
    // could not read). It is taken from memory: a folder where that list
    // cannot be written must not lose it.
    Steps save;
    save.Run([&] { SaveOwnPlaylist(files); });
    ImportM3uLines(files, sv::ExtractFilePath(PlaylistFile), true);
    // Where the list went is told once it plays.
    if (save.FirstError()) forms::ReportException(save.FirstError());
    return;
  }
  TraiteParam(files.front(), true);
}

void TForm1::MenuSauverListeClick(forms::TComponent*) {
  // A list saved in the middle of an import would miss its end.
  Request(RequestKind::ListCommand, [this] { SaveListAs(); });
}

void TForm1::SaveListAs() {
  std::wstring buffer(MAX_PATH * 4, L'\0');
  const std::wstring filter = DialogFilter("Playlist (*.m3u)|*.m3u|All files (*.*)|*.*");
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrDefExt = L"m3u";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  BOOL chosen = FALSE;
  {
    Work dialogWork(*this, WorkKind::Dialog, [this] { CancelOpenDialogs(); });
    chosen = GetSaveFileNameW(&dialog);
  }
  if (!chosen || Closed) return;
  const std::string target = forms::narrow(buffer.c_str());
  std::vector<std::string> texts;
  for (int i = 0; i < ListBox1->Count(); ++i) texts.push_back(ListBox1->Item(i));
  WritePlaylistFile(target, SavedListLines(Playlist, texts, target));
}

}  // namespace player
