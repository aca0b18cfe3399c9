#include "player/PlaylistCommands.h"

#include <algorithm>

#include "base/Ascii.h"
#include "base/Paths.h"

namespace player {

bool IsTaggableFile(std::string_view path) {
  constexpr std::string_view kTaggable = "$.mp3$.mp2$.mpc$.ogg$.wv$.ofr$.ofs$.ape$.mac$";
  const std::string extension = sv::LowerAscii(sv::ExtractFileExt(path));
  // An empty extension, or one holding the list's separator, would match
  // inside the list.
  if (extension.size() < 2 || extension.find('$') != std::string::npos) return false;
  return kTaggable.find("$" + extension + "$") != std::string_view::npos;
}

PlaylistMenuItems PlaylistMenuVisibility(const std::vector<std::string>& selectedPaths, int count) {
  const int selected = static_cast<int>(selectedPaths.size());
  PlaylistMenuItems items;
  items.Play = selected == 1;
  items.TagEditor = std::any_of(selectedPaths.begin(), selectedPaths.end(), IsTaggableFile);
  items.SelectAll = count > 0 && selected < count;
  items.Remove = selected > 0;
  items.Find = count > 0;
  items.Save = count > 0;
  items.Refresh = true;
  return items;
}

int CurrentIndexAfterRemoval(int current, const std::vector<int>& removed) {
  if (current < 0) return -1;
  int lowered = current;
  for (const int index : removed) {
    if (index == current) return -1;
    if (index < current) --lowered;
  }
  return lowered;
}

int FindNextEntry(int count, int firstSelected, bool typed, std::string_view text,
                  const std::function<bool(int index)>& matches) {
  if (count <= 0 || text.empty()) return -1;
  const int start = !typed && firstSelected >= 0 && firstSelected < count ? firstSelected : 0;
  for (int step = 1; step <= count; ++step) {
    const int index = (start + step) % count;
    if (matches(index)) return index;
  }
  return -1;
}

int SearchTopIndex(int found) { return found > 3 ? found - 4 : -1; }

int DragSearchBox(int mouse, int boxStart, int grab, int boxSize, int listStart, int listSize) {
  int position = mouse + boxStart - grab;
  position = std::max(position, listStart + 2);
  position = std::min(position, listStart + listSize - boxSize - 2);
  return position;
}

}  // namespace player
