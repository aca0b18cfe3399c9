#pragma once
// Rules of the playlist's commands that need no window: which items its
// context menu shows, where the current entry goes when entries are
// removed, the search box's find-next order and where it scrolls, and the
// search box's drag. Platform-neutral.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The items of the playlist's context menu, in menu order.
struct PlaylistMenuItems {
  bool Play = false;       // MenuEcouterChanson: exactly one entry selected
  bool TagEditor = false;  // MenuEditeurTag: a selected file has a taggable extension
  bool SelectAll = false;  // MenuSelectAll: some entry is not selected
  bool Remove = false;     // MenuSupprimerChanson: something is selected
  bool Find = false;       // MenuRechercherChanson: the list is not empty
  bool Save = false;       // MenuSauverListe: the list is not empty
  bool Refresh = true;     // MenuRefreshListe: always
  bool operator==(const PlaylistMenuItems&) const = default;
};

// selectedPaths: the paths of the selected entries; count: all entries.
PlaylistMenuItems PlaylistMenuVisibility(const std::vector<std::string>& selectedPaths, int count);

// Whether the tag editor takes this file, by its extension (any case).
bool IsTaggableFile(std::string_view path);

// The current entry once the entries at `removed` (any order, no
// duplicates) are gone: lowered by one for each removed entry before it, or
// -1 when it is removed itself (or was -1).
int CurrentIndexAfterRemoval(int current, const std::vector<int>& removed);

// Find next over `count` entries: from the first selected entry when the
// typing mark is clear and an entry is selected, else from entry 0, the
// entries after it in order, wrapping past the last to entry 0, and the
// start entry itself last. The first entry for which `matches` holds, or -1
// (also for an empty list or an empty search text).
int FindNextEntry(int count, int firstSelected, bool typed, std::string_view text,
                  const std::function<bool(int index)>& matches);

// A found entry is shown as the fifth visible line: the list's new top
// index, or -1 to leave the scroll position as it is (index 3 or less).
int SearchTopIndex(int found);

// One axis of the search box's drag: the box's new position from the mouse
// position inside the box, the box's position and the grab point, kept 2
// pixels inside the list (listStart, listSize) on that axis.
int DragSearchBox(int mouse, int boxStart, int grab, int boxSize, int listStart, int listSize);

}  // namespace player
