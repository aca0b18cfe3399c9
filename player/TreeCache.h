#pragma once
// The folder tree's cache file "Sorivanel.tree": one line per node in tree
// order, a TAB per level before the node's text, CR LF after it. Only TABs
// count as levels when it is read back, so names that begin with blanks keep
// them. The list of expanded nodes is kept beside it in the settings as
// tree-order indices, "3,7,12".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "player/FolderWalk.h"

namespace player {

// The file's bytes: UTF-8, behind a BOM when a name goes beyond ASCII (see
// base/TextFile.h). Control characters in a text (which no folder name
// holds) become blanks, so that no node can split into lines or levels.
std::string WriteTreeCache(const std::vector<TreeLine>& lines);

struct TreeCacheRead {
  std::vector<TreeLine> Lines;  // the nodes, levels as the tree takes them
  bool Malformed = false;       // a line went more than one level deeper
  std::size_t BadLine = 0;      // that line's number, from 1
};

// Reads decoded text: lines end with CR, LF or CR LF; lines with no text are
// skipped. The first node is a base whatever its indentation. A line more
// than one level deeper than the node before it ends the reading: the nodes
// before it stay.
TreeCacheRead ReadTreeCache(std::string_view text);

// "3,7,12" <-> indices. Reading skips what is no number of its own and
// keeps the indices ascending and distinct.
std::vector<int> ParseExpandedNodes(std::string_view text);
std::string FormatExpandedNodes(const std::vector<int>& indices);

}  // namespace player
