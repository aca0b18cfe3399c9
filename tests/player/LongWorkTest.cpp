// What runs during the main window's long work: the table's rows, and the
// gate that keeps waiting requests in order and ends work for a close.
#include "player/LongWork.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace player {
namespace {

using enum WorkKind;
using enum RequestKind;
constexpr Verdict R = Verdict::RunNow, W = Verdict::Wait, E = Verdict::EndThenRun;

std::string Named(WorkKind work, RequestKind request) {
  return std::string(RequestName(request)) + " during " + std::string(WorkName(work));
}

TEST(LongWork, TheRowsTheFaultsDependOn) {
  struct Row {
    WorkKind work;
    RequestKind request;
    Verdict verdict;
  };
  const Row rows[] = {
      // A quit during an import ends it (the rest goes in without tags) and
      // then saves; during a song change or a tag write it waits for them.
      {Import, Close, E}, {SongChange, Close, W}, {TagWrite, Close, W},
      {TreeScan, Close, E}, {Search, Close, E}, {NetCheck, Close, E}, {Dialog, Close, E},
      // A song that ends during an import is followed once the import is done.
      {Import, EndOfSong, W}, {Import, StationFailed, W}, {TreeScan, EndOfSong, R},
      // Nothing that plays or edits the list runs between an import's entries.
      {Import, PlayItem, W}, {Import, Drop, W}, {Import, Transport, W}, {Import, ListCommand, W},
      {Import, TreeCommand, W}, {Import, TagSave, W}, {Import, SearchStart, W}, {Import, SearchResult, W},
      // A hand-over while a search or a check runs is treated at once.
      {Search, PlayItem, R}, {Search, SearchResult, R}, {NetCheck, PlayItem, R}, {Dialog, PlayItem, R},
      // The window shows and hides whatever runs, once started.
      {Import, Show, R}, {SongChange, Show, R}, {Startup, Show, W},
      {TagWrite, SettingsChange, R}, {SongChange, SettingsChange, W},
  };
  for (const Row& row : rows) EXPECT_EQ(Decide(row.work, row.request), row.verdict) << Named(row.work, row.request);

  for (std::size_t w = 0; w < kWorkKinds; ++w) {
    const auto work = static_cast<WorkKind>(w);
    EXPECT_FALSE(WorkName(work).empty());
    for (std::size_t r = 0; r < kRequestKinds; ++r) {
      const auto request = static_cast<RequestKind>(r);
      const Verdict verdict = Decide(work, request);
      EXPECT_FALSE(RequestName(request).empty());
      // Only a close ends work, and it never runs inside work that still
      // uses what the close frees.
      if (request != Close) {
        EXPECT_NE(verdict, E) << Named(work, request);
      } else {
        EXPECT_NE(verdict, R) << Named(work, request);
      }
      // The start-up holds everything; a modal dialog never opens inside work.
      if (work == Startup || request == Open) {
        EXPECT_EQ(verdict, W) << Named(work, request);
      }
    }
  }
}

TEST(LongWork, WaitingRequestsRunInOrderOnceTheWorkHasEnded) {
  WorkGate gate;
  std::vector<std::string> ran;
  int runnable = 0;
  gate.OnRunnable = [&] { ++runnable; };
  const auto note = [&](std::string what) { return [&ran, what] { ran.push_back(what); }; };

  EXPECT_TRUE(gate.Admit(PlayItem, note("before")));
  {
    WorkGate::Scope import(gate, Import);
    EXPECT_TRUE(gate.Working());
    EXPECT_FALSE(gate.Admit(PlayItem, note("a")));
    EXPECT_FALSE(gate.Admit(EndOfSong, note("end")));
    // A show runs at once, past what waits.
    EXPECT_TRUE(gate.Admit(Show, note("show")));
    {
      // Inside a search inside the import, the hand-over still waits.
      WorkGate::Scope search(gate, Search);
      EXPECT_FALSE(gate.Admit(Drop, note("b")));
    }
    EXPECT_EQ(runnable, 1);
    EXPECT_EQ(gate.Waiting(), 3u);
    gate.Drain();
    EXPECT_EQ(gate.Waiting(), 3u);
    EXPECT_FALSE(import.EndRequested());
  }
  EXPECT_EQ(runnable, 2);
  EXPECT_FALSE(gate.Working());
  // A newcomer before the drain goes behind the ones that waited.
  EXPECT_FALSE(gate.Admit(Transport, note("next")));
  EXPECT_EQ((std::vector<std::string>{"before", "show", "a", "end", "b", "next"}), ran);
  EXPECT_EQ(gate.Waiting(), 0u);

  // During a scan an end of song runs at once, a tree command waits.
  ran.clear();
  {
    WorkGate::Scope scan(gate, TreeScan);
    EXPECT_TRUE(gate.Admit(EndOfSong, note("end")));
    EXPECT_FALSE(gate.Admit(TreeCommand, note("tree")));
    EXPECT_TRUE(gate.Running(TreeScan));
    EXPECT_FALSE(gate.Running(Import));
  }
  gate.Drain();
  EXPECT_EQ((std::vector<std::string>{"end", "tree"}), ran);
}

TEST(LongWork, ACloseEndsTheWorkThatItMayEndAndThenNothingMoreIsTaken) {
  WorkGate gate;
  std::vector<std::string> ran;
  const auto note = [&](std::string what) { return [&ran, what] { ran.push_back(what); }; };
  int importEnds = 0, writeEnds = 0;
  {
    WorkGate::Scope import(gate, Import, [&] { ++importEnds; });
    EXPECT_FALSE(gate.Admit(PlayItem, note("a")));
    {
      // A song change inside the import: the close waits for it, and the
      // import is asked to end at once.
      WorkGate::Scope change(gate, SongChange);
      EXPECT_FALSE(gate.Admit(Close, note("close")));
      EXPECT_TRUE(import.EndRequested());
      EXPECT_FALSE(change.EndRequested());
      EXPECT_EQ(importEnds, 1);
      // Asked once only.
      EXPECT_FALSE(gate.Admit(Close, note("close again")));
      EXPECT_EQ(importEnds, 1);
    }
  }
  {
    // What may run while only the close waits is not held up by it.
    WorkGate gate2;
    WorkGate::Scope check(gate2, NetCheck);
    EXPECT_FALSE(gate2.Admit(Close, note("close of a check")));
    EXPECT_TRUE(gate2.Admit(PlayItem, note("during the check")));
  }
  {
    // Work that starts while the close waits is asked to end as it starts.
    WorkGate::Scope second(gate, Import);
    EXPECT_TRUE(second.EndRequested());
    WorkGate::Scope write(gate, TagWrite, [&] { ++writeEnds; });
    EXPECT_FALSE(write.EndRequested());
  }
  EXPECT_EQ(writeEnds, 0);
  gate.Drain();
  // What came before the close ran first; the close ran once; later
  // requests are not taken.
  EXPECT_EQ((std::vector<std::string>{"during the check", "a", "close"}), ran);
  EXPECT_TRUE(gate.Closing());
  EXPECT_FALSE(gate.Admit(Show, note("show")));
  EXPECT_FALSE(gate.Admit(PlayItem, note("late")));
  EXPECT_EQ(gate.Waiting(), 0u);
  EXPECT_EQ(ran.size(), 3u);

  WorkGate sealed;
  sealed.Seal();
  EXPECT_FALSE(sealed.Admit(Show, note("sealed")));
  EXPECT_EQ(ran.size(), 3u);
}

}  // namespace
}  // namespace player
