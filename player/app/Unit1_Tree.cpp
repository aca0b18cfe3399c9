// The folder tree: built from the base folders or read from its cache file,
// written back at close with the expanded nodes, drawn with the hot and the
// playing folder, and the switch between the tree and the playlist views.
#include <windows.h>

#include <algorithm>
#include <exception>

#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "player/TreeCache.h"
#include "player/app/FolderFiles.h"
#include "player/app/Unit1.h"
#include "player/platform/DiskFolders.h"

namespace player {

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(forms::widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The tree's redrawing is held while it fills, and comes back however the
// filling ends.
class HeldRedraw {
 public:
  explicit HeldRedraw(forms::TreeView& tree) : tree_(tree) { tree_.BeginUpdate(); }
  ~HeldRedraw() { tree_.EndUpdate(); }
  HeldRedraw(const HeldRedraw&) = delete;
  HeldRedraw& operator=(const HeldRedraw&) = delete;

 private:
  forms::TreeView& tree_;
};

}  // namespace

std::string TForm1::ReconstruitRep(forms::TreeNode Node) const {
  std::vector<std::string> texts;
  for (forms::TreeNode node = Node; node; node = TreeView1->Parent(node)) texts.push_back(TreeView1->Text(node));
  if (texts.empty()) return {};
  std::string path = texts.back();
  for (auto text = std::next(texts.rbegin()); text != texts.rend(); ++text) path += *text + "\\";
  return path;
}

void TForm1::AddTreeLines(const std::vector<TreeLine>& lines, std::vector<forms::TreeNode> parents) {
  for (const TreeLine& line : lines) {
    const auto level = static_cast<std::size_t>(line.Level);
    parents.resize(std::min(parents.size(), level));
    const forms::TreeNode parent = parents.empty() ? nullptr : parents.back();
    parents.push_back(TreeView1->Add(parent, line.Text));
  }
}

void TForm1::MiseaJours(bool Rescan) {
  Request(RequestKind::TreeCommand, [this, Rescan] { BuildTree(Rescan); });
}

void TForm1::BuildTree(bool Rescan) {
  // A close ends the scan between two folders; the cache stays as it was.
  Work work(*this, WorkKind::TreeScan);
  TreeComplete = false;
  try {
    TreeView1->Clear();
    const std::string cache = ExeFolder + "Sorivanel.tree";
    bool cached = false;
    if (!Rescan && sv::FileExists(cache)) {
      // A broken cache is replaced by a scan, once: the close writes the
      // scanned tree over it.
      const TreeCacheRead read = ReadTreeCache(sv::ReadTextFile(cache));
      if (!read.Malformed) {
        HeldRedraw held(*TreeView1);
        AddTreeLines(read.Lines, {});
        cached = true;
      }
    }
    if (!cached) {
      for (const std::string& folder : SettingsFile(IniFileName).ReadBaseFolders()) {
        if (Closed || work.EndRequested()) break;
        AjouteRep(folder, [&work] { return work.EndRequested(); });
      }
    }
    TreeComplete = !Closed && !work.EndRequested();
  } catch (...) {
    if (forms::TreeNode first = TreeView1->FirstChild(nullptr)) TreeView1->Select(first);
    forms::ReportException(std::current_exception());
    return;
  }
  if (forms::TreeNode first = TreeView1->FirstChild(nullptr)) TreeView1->Select(first);
}

void TForm1::AjouteRep(const std::string& Folder, const std::function<bool()>& stop) {
  if (!IsFolder(Folder)) return;
  const std::string base = sv::IncludeTrailingBackslash(Folder);
  const forms::TreeNode node = TreeView1->Add(nullptr, base);
  forms::Application->ProcessMessages();
  HeldRedraw held(*TreeView1);
  DiskFolders disk;
  const std::vector<TreeLine> lines =
      ScanBaseFolder(disk, base, TreeTextLess, [] { forms::Application->ProcessMessages(); }, stop);
  // The base node is there already; its sub-tree follows it.
  AddTreeLines(std::vector<TreeLine>(std::next(lines.begin()), lines.end()), {node});
  TreeView1->SetExpanded(node, true);
}

std::vector<TreeLine> TForm1::TreeLines() const {
  std::vector<TreeLine> lines;
  for (forms::TreeNode node = TreeView1->FirstChild(nullptr); node; node = TreeView1->Next(node))
    lines.push_back({TreeView1->Level(node), TreeView1->Text(node)});
  return lines;
}

void TForm1::SaveTreeCache() {
  // A tree that a failed or interrupted rebuild left half made would
  // replace a good cache.
  if (!TreeComplete) return;
  sv::WriteFileAtomic(ExeFolder + "Sorivanel.tree", WriteTreeCache(TreeLines()));
  TreeWritten = true;
}

std::string TForm1::ExpandedNodesText() const {
  std::vector<int> expanded;
  int index = 0;
  for (forms::TreeNode node = TreeView1->FirstChild(nullptr); node; node = TreeView1->Next(node), ++index)
    if (TreeView1->Expanded(node)) expanded.push_back(index);
  return FormatExpandedNodes(expanded);
}

void TForm1::ExpandNodes(const std::string& nodes) {
  const std::vector<int> wanted = ParseExpandedNodes(nodes);
  if (wanted.empty()) return;
  int index = 0;
  auto next = wanted.begin();
  for (forms::TreeNode node = TreeView1->FirstChild(nullptr); node && next != wanted.end();
       node = TreeView1->Next(node), ++index) {
    if (index != *next) continue;
    TreeView1->SetExpanded(node, true);
    ++next;
  }
}

void TForm1::SpdBtnRepClick(forms::TComponent*) {
  ListBox1->SetVisible(false);
  Splitter1->SetVisible(false);
  TreeView1->SetVisible(false);
  if (SpdBtnRep->Down()) {
    TreeView1->SetVisible(true);
    if (RechercheBox) RechercheBox->SetVisible(false);
  } else if (SpdBtnListe->Down()) {
    ListBox1->SetVisible(true);
  } else {
    TreeView1->SetWidth(TreeViewWidth);
    TreeView1->SetVisible(true);
    Splitter1->SetVisible(true);
    ListBox1->SetVisible(true);
  }
  AlignLists();
}

void TForm1::TreeView1MouseMove(forms::TComponent*, forms::ShiftState, int, int) {
  if (OptionsOrTagEditorOpen()) return;
  if (GetFocus() != TreeView1->Handle()) SetFocus(TreeView1->Handle());
}

// For the automation interface: the state of the tree and its menu, and
// where the labels of the first nodes begin (tree client coordinates).
void TForm1::DescribeTree(forms::StateList& state) const {
  state.emplace_back("TreeComplete", TreeComplete ? "1" : "0");
  state.emplace_back("MenuFolder", MenuFolder());
  std::string shown;
  for (const forms::MenuEntry* item : PopupMenuRep->Items()) {
    if (!item->Visible) continue;
    if (!shown.empty()) shown += ',';
    shown += item->Name();
  }
  state.emplace_back("FolderMenu", shown);
  state.emplace_back("Songs", std::to_string(MenuChansons->Items().size()));
  if (!MenuChansons->Items().empty()) {
    state.emplace_back("FirstSong", MenuChansons->Items().front()->Caption);
    state.emplace_back("LastSong", MenuChansons->Items().back()->Caption);
  }
  int index = 0;
  for (forms::TreeNode node = TreeView1->FirstChild(nullptr); node && index < 64; node = TreeView1->Next(node), ++index) {
    RECT label{};
    if (!TreeView_GetItemRect(TreeView1->Handle(), node, &label, TRUE)) continue;
    // Near the label's start: a long label runs past the tree's edge.
    state.emplace_back("TreePoint" + std::to_string(index),
                       std::to_string(label.left + std::min<LONG>(8, (label.right - label.left) / 2)) + "," +
                           std::to_string((label.top + label.bottom) / 2));
  }
}

}  // namespace player
