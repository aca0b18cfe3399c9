#include "player/LongWork.h"

#include <algorithm>
#include <array>
#include <utility>

namespace player {

namespace {

constexpr Verdict R = Verdict::RunNow;
constexpr Verdict W = Verdict::Wait;
constexpr Verdict E = Verdict::EndThenRun;

// One row per request, one column per work, in the enums' order:
// Startup, Import, SongChange, TreeScan, Search, TagWrite, NetCheck, Dialog.
// - The start-up and a song change are short: everything but a repaint of
//   the window waits for them.
// - An import and a tag write change the list and the files under them:
//   whatever plays, edits the list or writes waits; a close ends an import
//   (its remaining entries go in without their tags) but lets a write end.
// - A scan, a search and a network check touch neither the list nor what
//   plays: most requests run inside them, and a close ends them.
// - A modal dialog inside another work would hold that work for as long as
//   it is open: the open dialog always waits for the work to end.
constexpr std::array<std::array<Verdict, kWorkKinds>, kRequestKinds> kTable{{
    /* EndOfSong      */ {W, W, W, R, R, W, R, R},
    /* StationFailed  */ {W, W, W, R, R, W, R, R},
    /* Close          */ {W, E, W, E, E, W, E, E},
    /* PlayItem       */ {W, W, W, R, R, W, R, R},
    /* AppendItem     */ {W, W, W, R, R, W, R, R},
    /* Transport      */ {W, W, W, R, R, W, R, R},
    /* Show           */ {W, R, R, R, R, R, R, R},
    /* Open           */ {W, W, W, W, W, W, W, W},
    /* Drop           */ {W, W, W, R, R, W, R, R},
    /* ListCommand    */ {W, W, W, R, R, W, R, R},
    /* TreeCommand    */ {W, W, W, W, R, W, R, R},
    /* SearchStart    */ {W, W, W, W, W, W, R, R},
    /* SearchResult   */ {W, W, W, R, R, W, R, R},
    /* TagSave        */ {W, W, W, R, R, W, R, R},
    /* SettingsChange */ {W, R, W, R, R, R, R, R},
}};

constexpr std::array<std::string_view, kWorkKinds> kWorkNames{
    "Startup", "Import", "SongChange", "TreeScan", "Search", "TagWrite", "NetCheck", "Dialog"};
constexpr std::array<std::string_view, kRequestKinds> kRequestNames{
    "EndOfSong", "StationFailed", "Close",       "PlayItem",    "AppendItem",   "Transport", "Show",          "Open",
    "Drop",      "ListCommand",   "TreeCommand", "SearchStart", "SearchResult", "TagSave",   "SettingsChange"};

}  // namespace

Verdict Decide(WorkKind work, RequestKind request) {
  return kTable[static_cast<std::size_t>(request)][static_cast<std::size_t>(work)];
}

std::string_view WorkName(WorkKind work) { return kWorkNames[static_cast<std::size_t>(work)]; }
std::string_view RequestName(RequestKind request) { return kRequestNames[static_cast<std::size_t>(request)]; }

WorkGate::Scope::Scope(WorkGate& gate, WorkKind kind, Action onEnd) : gate_(gate), id_(gate.nextId_++) {
  gate_.works_.push_back(Work{id_, kind, std::move(onEnd)});
  // A request that waits to end such work (a close behind a hand-over) ends
  // this one too.
  for (const Pending& waiting : gate_.waiting_)
    if (Decide(kind, waiting.request) == Verdict::EndThenRun) {
      gate_.works_.back().endRequested = true;
      break;
    }
}

WorkGate::Scope::~Scope() { gate_.Ended(id_); }

bool WorkGate::Scope::EndRequested() const {
  for (const Work& work : gate_.works_)
    if (work.id == id_) return work.endRequested;
  return false;
}

void WorkGate::Ended(std::size_t id) {
  std::erase_if(works_, [id](const Work& work) { return work.id == id; });
  if (!waiting_.empty() && OnRunnable) OnRunnable();
}

Verdict WorkGate::Judge(RequestKind request) const {
  Verdict verdict = Verdict::RunNow;
  for (const Work& work : works_) {
    const Verdict own = Decide(work.kind, request);
    if (own == Verdict::Wait) return Verdict::Wait;
    if (own == Verdict::EndThenRun) verdict = Verdict::EndThenRun;
  }
  return verdict;
}

void WorkGate::EndWorksFor(RequestKind request) {
  // The list may change under an onEnd that lets messages run: by id.
  std::vector<std::size_t> ids;
  for (Work& work : works_)
    if (!work.endRequested && Decide(work.kind, request) == Verdict::EndThenRun) {
      work.endRequested = true;
      ids.push_back(work.id);
    }
  for (const std::size_t id : ids)
    for (const Work& work : works_)
      if (work.id == id && work.onEnd) {
        const Action onEnd = work.onEnd;
        onEnd();
        break;
      }
}

void WorkGate::Run(RequestKind request, const Action& action) {
  if (request == RequestKind::Close) {
    closing_ = true;
    waiting_.clear();
  }
  if (action) action();
}

bool WorkGate::Admit(RequestKind request, Action action) {
  if (sealed_ || closing_) return false;
  const Verdict verdict = Judge(request);
  // A close that waits for work to end holds nothing up meanwhile.
  const bool behind = std::any_of(waiting_.begin(), waiting_.end(),
                                  [](const Pending& waiting) { return waiting.request != RequestKind::Close; });
  if (verdict == Verdict::RunNow && (!behind || request == RequestKind::Show)) {
    Run(request, action);
    return true;
  }
  waiting_.push_back(Pending{request, std::move(action)});
  if (verdict == Verdict::RunNow)
    Drain();
  else
    EndWorksFor(request);
  return false;
}

void WorkGate::Drain() {
  while (!waiting_.empty() && !sealed_ && !closing_) {
    const RequestKind request = waiting_.front().request;
    if (Judge(request) != Verdict::RunNow) {
      EndWorksFor(request);
      return;
    }
    Action action = std::move(waiting_.front().action);
    waiting_.pop_front();
    Run(request, action);
  }
}

bool WorkGate::Running(WorkKind kind) const {
  return std::any_of(works_.begin(), works_.end(), [kind](const Work& work) { return work.kind == kind; });
}

std::vector<WorkKind> WorkGate::Works() const {
  std::vector<WorkKind> kinds;
  for (const Work& work : works_) kinds.push_back(work.kind);
  return kinds;
}

void WorkGate::Seal() {
  sealed_ = true;
  waiting_.clear();
}

}  // namespace player
