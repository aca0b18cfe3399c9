#pragma once
// The player with base folders from the folder tree made on the build host,
// and the ways the tests reach the tree: the node labels' places that the
// main window reports, mouse presses posted there, and the folder menu.
#include <string>

#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {

class FolderTreeProgram : public PlayerProgram {
 protected:
  // The generated tree's folders, with their trailing backslash.
  static std::string Music();
  static std::string SearchRoot();

  // Settings whose first base folder is `base` (more keys may follow on
  // the same line), and the tree cache when given.
  void PrepareTree(const std::string& base, const std::string& cache);
  // "/show"; the first showing builds the tree.
  void ShowAndWaitForTree();
  HWND TreeWindow() const;
  // Index of the first node with that text (level ignored), or -1.
  int NodeIndex(const std::string& text);
  // A press and release of a button on a node's label; "" is a point below
  // every node.
  void ClickNode(const std::string& text, UINT buttonDown);
  // Right-clicks the node, and reports the folder menu's visible items
  // while it is open; the menu is closed again. With a name, the open menu
  // (first item highlighted) is kept as <name>.png in the build folder.
  std::string FolderMenu(const std::string& text, const std::string& pngName = {});
  // Waits for an open menu of the player; null when none opens.
  HWND WaitForMenu();
  // A window's or a component's picture as the program paints it, kept as
  // <name>.png in the build folder.
  void SavePng(const std::string& form, const std::string& component, const std::string& name);
};

}  // namespace playertest
