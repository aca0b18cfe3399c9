// The lists panel: the folder tree and the playlist side by side with the
// splitter between them, and how the tree's nodes are drawn.
#include <algorithm>

#include "base/Paths.h"
#include "player/app/Unit1.h"
#include "skin/platform/SkinPainting.h"

namespace player {

void TForm1::AlignLists() {
  const int width = Panel_Listes->ClientWidth(), height = Panel_Listes->ClientHeight();
  const bool list = ListBox1->Visible();
  int left = 0;
  if (TreeView1->Visible()) {
    const int treeWidth = list ? std::clamp(TreeView1->Width(), 0, width) : width;
    TreeView1->SetBounds(0, 0, treeWidth, height);
    left = treeWidth;
    if (list && Splitter1->Visible()) {
      Splitter1->SetBounds(left, 0, Splitter1->Width(), height);
      left += Splitter1->Width();
    }
  }
  if (list) ListBox1->SetBounds(left, 0, std::max(0, width - left), height);
}

void TForm1::RepaintLists() {
  ListBox1->Invalidate();
  TreeView1->Invalidate();
}

void TForm1::Splitter1Moved(forms::TComponent*) {
  TreeViewWidth = TreeView1->Width();
  if (RechercheBox) RechercheBox->SetLeft(std::max(RechercheBox->Left(), ListBox1->Left() + 2));
}

// The node under the mouse in the highlight colour, underlined; the folder
// of the current entry (its path matching with letter case) in the
// highlight colour; every other node in the tree's font colour without
// underline.
void TForm1::TreeView1AdvancedCustomDrawItem(forms::TreeView& Sender, forms::TreeNode Node, forms::TreeNodeDraw& Draw) {
  const auto hot = static_cast<forms::ColourValue>(Sender.Tag);
  sv::skin::DrawTreeNode(Draw, Sender.FontColor(), hot);
  const bool playing = CurrentIndex >= 0 && CurrentIndex < static_cast<int>(Playlist.size()) &&
                       ReconstruitRep(Node) == sv::ExtractFilePath(Playlist[static_cast<std::size_t>(CurrentIndex)]);
  if (playing) Draw.TextColor = hot;
}

}  // namespace player
