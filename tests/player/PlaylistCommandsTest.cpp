// The playlist's commands on paper: the context menu's items, the current
// entry after a removal, the search box's find order and scroll, its drag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Ascii.h"
#include "player/PlaylistCommands.h"

using namespace player;

namespace {

PlaylistMenuItems Items(bool play, bool tag, bool all, bool remove, bool find, bool save) {
  PlaylistMenuItems items;
  items.Play = play;
  items.TagEditor = tag;
  items.SelectAll = all;
  items.Remove = remove;
  items.Find = find;
  items.Save = save;
  return items;
}

// Find over texts, matching as the window does (ignoring case).
int Find(const std::vector<std::string>& texts, int firstSelected, bool typed, const std::string& text) {
  const std::string wanted = sv::LowerAscii(text);
  return FindNextEntry(static_cast<int>(texts.size()), firstSelected, typed, text, [&](int i) {
    return sv::LowerAscii(texts[static_cast<std::size_t>(i)]).find(wanted) != std::string::npos;
  });
}

}  // namespace

TEST(PlaylistMenu, ItemsFollowTheSelection) {
  struct Case {
    std::vector<std::string> selected;
    int count;
    PlaylistMenuItems expected;
  };
  const Case cases[] = {
      {{}, 0, Items(false, false, false, false, false, false)},
      {{}, 3, Items(false, false, true, false, true, true)},
      {{"C:\\a.MP3"}, 3, Items(true, true, true, true, true, true)},
      {{"C:\\a.wav"}, 1, Items(true, false, false, true, true, true)},
      {{"C:\\a.wav", "C:\\b.flac"}, 3, Items(false, false, true, true, true, true)},
      {{"C:\\a.wav", "C:\\b.Ape"}, 2, Items(false, true, false, true, true, true)},
      {{"http://r.example/stream"}, 2, Items(true, false, true, true, true, true)},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaylistMenuVisibility(c.selected, c.count), c.expected) << c.count;
}

TEST(PlaylistMenu, TaggableExtensionsAreWholeExtensions) {
  for (const char* yes : {"a.mp3", "a.MP2", "a.mpc", "a.ogg", "a.wv", "a.ofr", "a.ofs", "a.ape", "a.mac", "x.y\\a.Ogg"})
    EXPECT_TRUE(IsTaggableFile(yes)) << yes;
  // Parts of an extension, none, or the list's own separator never match.
  for (const char* no : {"a.mp", "a.p3", "a", "a.", "a.wav", "a.$", "a.mp3$", "mp3", "C:\\x.mp3\\file"})
    EXPECT_FALSE(IsTaggableFile(no)) << no;
}

TEST(PlaylistRemoval, TheCurrentEntryFollowsOrIsForgotten) {
  struct Case {
    int current;
    std::vector<int> removed;
    int expected;
  };
  const Case cases[] = {
      {5, {0, 1, 2}, 2}, {5, {2, 7, 0}, 3}, {5, {6, 7}, 5}, {5, {1, 5, 9}, -1},
      {0, {0}, -1},      {-1, {0, 1}, -1},  {3, {}, 3},     {9, {8, 0}, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(CurrentIndexAfterRemoval(c.current, c.removed), c.expected) << c.current;
}

TEST(PlaylistSearch, FindsNextWrapsAndTriesTheStartLast) {
  const std::vector<std::string> texts = {" Alpha", " beta", " Gamma", " ALPHABET", " delta", " alphorn"};
  // Typed: from entry 0, which is examined last.
  EXPECT_EQ(Find(texts, 3, true, "alph"), 3);
  EXPECT_EQ(Find(texts, -1, true, "ALPHA"), 3);
  EXPECT_EQ(Find(texts, -1, true, "alpha "), -1);
  // Only entry 0 matches: found after the whole round.
  EXPECT_EQ(Find({" one", " two", " three"}, -1, true, "ONE"), 0);
  // Find next (F3, Enter, the link): after the first selected entry.
  EXPECT_EQ(Find(texts, 3, false, "alph"), 5);
  EXPECT_EQ(Find(texts, 5, false, "alph"), 0);
  EXPECT_EQ(Find(texts, 0, false, "alph"), 3);
  // The selected entry alone matches: it is found again, last.
  EXPECT_EQ(Find(texts, 4, false, "delta"), 4);
  // No selection: as typed.
  EXPECT_EQ(Find(texts, -1, false, "delta"), 4);
  EXPECT_EQ(Find(texts, 2, false, "zzz"), -1);
  // An empty text never matches; an empty list finds nothing.
  EXPECT_EQ(Find(texts, 2, false, ""), -1);
  EXPECT_EQ(Find({}, -1, true, "a"), -1);
  // Each entry is examined at most once.
  int calls = 0;
  EXPECT_EQ(FindNextEntry(4, 2, false, "x", [&](int) { return ++calls, false; }), -1);
  EXPECT_EQ(calls, 4);
}

TEST(PlaylistSearch, AFoundEntryBecomesTheFifthVisibleLine) {
  EXPECT_EQ(SearchTopIndex(0), -1);
  EXPECT_EQ(SearchTopIndex(3), -1);
  EXPECT_EQ(SearchTopIndex(4), 0);
  EXPECT_EQ(SearchTopIndex(50), 46);
}

TEST(PlaylistSearch, TheBoxIsDraggedOnlyWithinTheList) {
  // mouse, box start, grab, box size, list start, list size.
  EXPECT_EQ(DragSearchBox(30, 100, 10, 80, 0, 290), 120);
  EXPECT_EQ(DragSearchBox(-500, 100, 10, 80, 0, 290), 2);
  EXPECT_EQ(DragSearchBox(500, 100, 10, 80, 0, 290), 208);
  EXPECT_EQ(DragSearchBox(0, 50, 0, 80, 40, 290), 50);
  EXPECT_EQ(DragSearchBox(-100, 50, 0, 80, 40, 290), 42);
  // A list narrower than the box: the far edge wins.
  EXPECT_EQ(DragSearchBox(10, 10, 0, 80, 0, 50), -32);
}
