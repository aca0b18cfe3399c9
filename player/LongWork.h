#pragma once
// What may run while the main window does long work. A list import, a song
// change, a tree scan, a folder search, a tag write, a network check, a
// dialog and the start-up all let pending messages run, so requests arrive
// in the middle of them. One table decides for each request and each kind
// of work whether the request runs now, waits until the work has ended
// (then runs in its order of arrival, exactly once), or ends the work and
// then runs. Every long piece of work declares itself with a scope; every
// entry point hands its request to the gate.
#include <cstddef>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

namespace player {

enum class WorkKind {
  Startup,     // the start-up routine, before the message loop
  Import,      // a list, a folder or the open dialog's choice going into the list
  SongChange,  // the playback road making an entry current and playing it
  TreeScan,    // the folder tree built from its base folders
  Search,      // the search window walking a folder
  TagWrite,    // the tag editor writing its files
  NetCheck,    // a CD lookup or a version check waiting for its server
  Dialog,      // a modal dialog or message box of the main window
};
inline constexpr std::size_t kWorkKinds = 8;

enum class RequestKind {
  EndOfSong,       // the engine's end of the playing song
  StationFailed,   // a station could not be opened: the next entry is tried
  Close,           // the quit command, "/quit", the end of the session
  PlayItem,        // a file, folder or list handed over to play
  AppendItem,      // the same with Shift held: appended, nothing starts
  Transport,       // play/pause, next, previous (switches, buttons, hot keys)
  Show,            // "/show" and the other switches that show or hide the window
  Open,            // "/open" and the open-file command: the open dialog
  Drop,            // a name dropped on the window
  ListCommand,     // the list's keys and menu commands (play, remove, refresh)
  TreeCommand,     // the folder tree's clicks, menu commands and rescans
  SearchStart,     // the search window's search button
  SearchResult,    // a match found by the search, appended to the list
  TagSave,         // the tag editor's save and copy buttons
  SettingsChange,  // skin, language and options changes, "/skin:"
};
inline constexpr std::size_t kRequestKinds = 15;

enum class Verdict { RunNow, Wait, EndThenRun };

// The table's answer for one request during one kind of work.
Verdict Decide(WorkKind work, RequestKind request);

std::string_view WorkName(WorkKind work);
std::string_view RequestName(RequestKind request);

class WorkGate {
 public:
  using Action = std::function<void()>;

  // A long piece of work for as long as it lives. `onEnd` is what asks it
  // to end early (a cancel, a flag its loop reads); EndRequested tells.
  class Scope {
   public:
    Scope(WorkGate& gate, WorkKind kind, Action onEnd = {});
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool EndRequested() const;

   private:
    WorkGate& gate_;
    std::size_t id_;
  };

  // Called when waiting requests may run now (the window posts itself a
  // message, so that they run from its message loop).
  std::function<void()> OnRunnable;

  // Runs the action now when the table lets it, else keeps it for later
  // (ending the works that the table says end). Requests keep their order:
  // one that may run while earlier ones still wait goes behind them, except
  // a Show, which never waits for them, and but for a close, which holds up
  // nothing while it waits. After a close has been let through, nothing
  // more is taken. True when it ran now.
  bool Admit(RequestKind request, Action action);
  // Runs, in order, the waiting requests that may run now; stops at the
  // first that must still wait.
  void Drain();

  bool Working() const { return !works_.empty(); }
  bool Running(WorkKind kind) const;
  std::size_t Waiting() const { return waiting_.size(); }
  bool Closing() const { return closing_; }
  // The works under way, outermost first, for the automation interface.
  std::vector<WorkKind> Works() const;
  // Forgets what waits; nothing more is taken.
  void Seal();

 private:
  struct Work {
    std::size_t id;
    WorkKind kind;
    Action onEnd;
    bool endRequested = false;
  };
  struct Pending {
    RequestKind request;
    Action action;
  };
  // RunNow when every work allows it; else Wait, or EndThenRun when no work
  // makes it wait but some must end first.
  Verdict Judge(RequestKind request) const;
  void EndWorksFor(RequestKind request);
  void Run(RequestKind request, const Action& action);
  void Ended(std::size_t id);

  std::vector<Work> works_;
  std::deque<Pending> waiting_;
  std::size_t nextId_ = 0;
  bool closing_ = false;
  bool sealed_ = false;
};

}  // namespace player
