// The tag editor's writing: every file of the list in turn, the playing one
// paused around its write and played again from where it was.
#include <exception>

#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Tag.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

namespace {

// The window, its buttons, the cursor and the flag as a write found them,
// given back however it ends.
class WriteScope {
 public:
  WriteScope(TFormTag& form, bool& writing, const std::function<void(bool)>& setButtons)
      : form_(form), writing_(writing), setButtons_(setButtons),
        cursor_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
    writing_ = true;
    setButtons_(false);
    form_.BtnClose->SetEnabled(false);
    form_.SetEnabled(false);
  }
  ~WriteScope() {
    writing_ = false;
    form_.SetEnabled(true);
    setButtons_(true);
    form_.BtnClose->SetEnabled(true);
    SetCursor(cursor_);
  }
  WriteScope(const WriteScope&) = delete;
  WriteScope& operator=(const WriteScope&) = delete;

 private:
  TFormTag& form_;
  bool& writing_;
  std::function<void(bool)> setButtons_;
  HCURSOR cursor_;
};

bool IsCurrentEntry(const std::string& path) {
  return Form1 && Form1->CurrentIndex >= 0 && Form1->CurrentIndex < static_cast<int>(Form1->Playlist.size()) &&
         Form1->Playlist[static_cast<std::size_t>(Form1->CurrentIndex)] == path;
}

// The playing file's channel holds the file open: it is freed for the write
// (keeping the position) and made again afterwards.
class PlayingFilePause {
 public:
  explicit PlayingFilePause(const std::string& path) : path_(path) {
    if (!IsCurrentEntry(path) || !Form1->TimerAvancement || !Form1->TimerAvancement->Enabled()) return;
    Form1->PauseFichier();
    paused_ = true;
  }
  PlayingFilePause(const PlayingFilePause&) = delete;
  PlayingFilePause& operator=(const PlayingFilePause&) = delete;

  bool Paused() const { return paused_; }

  // Plays the file again, unless the user moved on meanwhile: another entry
  // is current, or something plays already. False when it did not.
  bool Resume() {
    if (!paused_) return false;
    paused_ = false;
    if (!IsCurrentEntry(path_) || Form1->Channel != 0) return false;
    Form1->LitFichier(false);
    return true;
  }

 private:
  std::string path_;
  bool paused_ = false;
};

}  // namespace

void TFormTag::Traitement(TagWriteMode Mode) {
  if (Writing || !Form1) return;
  Write(Mode);
  Report();
}

void TFormTag::Write(TagWriteMode Mode) {
  // What plays or edits the list meanwhile, and a close, wait until the
  // write has unwound.
  TForm1::Work work(*Form1, WorkKind::TagWrite);
  WriteScope scope(*this, Writing, [this](bool enabled) { SetButtonsEnabled(enabled && !Files.empty()); });
  Progression->SetPosition(0);
  LastFailures.clear();
  LastPartlyWritten.clear();
  LastSkipped.clear();
  PausedAt = ResumedFrom = -1;
  TagFileWriter writer(Mode, ReadColumn(0), ReadColumn(1));
  const std::vector<std::string> files = Files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& path = files[i];
    if (!sv::FileExists(path)) continue;
    PlayingFilePause pause(path);
    if (pause.Paused()) PausedAt = Form1->ProgressBar1->Position();
    TagFileWriter::Outcome outcome;
    try {
      outcome = writer.Write(path, static_cast<int>(i));
    } catch (const std::exception&) {
      outcome.Written = false;
    }
    const std::string name = sv::ExtractFileName(path);
    if (outcome.Skipped) {
      LastSkipped.push_back(name);
    } else if (!outcome.Written && !outcome.Saved.empty()) {
      // Some of its tags were written, others not: the user must know which.
      std::string saved;
      for (const std::string& tag : outcome.Saved) saved += (saved.empty() ? "" : ", ") + tag;
      LastPartlyWritten.push_back(name + " (" + saved + ")");
    } else if (!outcome.Written) {
      LastFailures.push_back(name);
    }
    Progression->SetPosition(2 * static_cast<std::int64_t>(i + 1));
    if (pause.Paused()) {
      const std::int64_t from = Form1->ProgressBar1->Position();
      if (pause.Resume()) ResumedFrom = from;
    }
    forms::Application->ProcessMessages();
    if (!Form1) return;
  }
  Form1->MenuRefreshListeClick(nullptr);
}

void TFormTag::Report() {
  struct Section {
    const char* key;
    const std::vector<std::string>& names;
  };
  const Section sections[] = {{"ErreurEcriture", LastFailures},
                              {"EcriturePartielle", LastPartlyWritten},
                              {"CopieIgnoree", LastSkipped}};
  std::string text;
  for (const Section& section : sections) {
    if (section.names.empty()) continue;
    text += (text.empty() ? "" : "\r\n\r\n") + LangText(lang::kId3Tag, section.key);
    for (const std::string& name : section.names) text += "\r\n" + name;
  }
  if (text.empty() || !Form1) return;
  // Nothing failed when every file was only skipped: a notice, no warning.
  const UINT icon = LastFailures.empty() && LastPartlyWritten.empty() ? MB_ICONINFORMATION : MB_ICONWARNING;
  TForm1::Work dialog(*Form1, WorkKind::Dialog);
  MessageBoxW(Handle(), forms::widen(text).c_str(), L"Sorivanel", MB_OK | icon);
}

}  // namespace player
