// The lists panel: the folder tree and the playlist side by side with the
// splitter between them, and how the tree's nodes are drawn.
#include <algorithm>

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

void TForm1::Splitter1Moved(forms::TComponent*) {
  TreeViewWidth = TreeView1->Width();
  if (RechercheBox) RechercheBox->SetLeft(std::max(RechercheBox->Left(), ListBox1->Left() + 2));
}

// The node under the mouse in the highlight colour, underlined; every other
// node in the tree's font colour without underline.
void TForm1::TreeView1AdvancedCustomDrawItem(forms::TreeView& Sender, forms::TreeNode, forms::TreeNodeDraw& Draw) {
  sv::skin::DrawTreeNode(Draw, Sender.FontColor(), static_cast<forms::ColourValue>(Sender.Tag));
}

}  // namespace player
