// The binder's trees with check boxes. The nodes are pulled from the
// control's TreeSource; a click on a check box (mouse, space key, or another
// program setting the state image) goes to the model's handler, and the view
// then shows the checks the source gives, whatever the handler did.
#include "ui/win32/binder.h"

#include "ui/page_builder.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {

// Deeper than any tree we show; a source that loops ends here.
constexpr int kMaxDepth = 32;

bool StateChecked(UINT state) { return ((state & TVIS_STATEIMAGEMASK) >> 12) == 2; }

}  // namespace

void Binder::TreeSpec(const ui::Control&, WindowSpec* spec) {
  spec->cls = WC_TREEVIEWW;
  spec->style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER;
}

void Binder::SetUpTree(ui::Control& c, HWND h) {
  // Check boxes only work reliably when the style is set after creation.
  SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) | TVS_CHECKBOXES);
  TreeView_SetItemHeight(h, 22);
  TreeView_SetTextColor(h, Rgb(ui::style::kText));
  TreeView_SetBkColor(h, RGB(255, 255, 255));
  TreeView_SetLineColor(h, RGB(0xC5, 0xCD, 0xD8));
  if (!c.treePictures.empty()) {
    rowImages_.push_back(MakeNodeImages(c.treePictures));
    TreeView_SetImageList(h, rowImages_.back(), TVSIL_NORMAL);
  }
  PullTree(c, h);
}

void Binder::SyncTree(ui::Control& c, HWND h, int what) {
  if (what & ui::kChangeTree) PullTree(c, h);
  if (what & ui::kChangeTreeChecks) ShowTreeChecks(c, h);
  if (what & ui::kChangeExpand) ExpandTree(h);
}

void Binder::NodeChanged(ui::Control& c, ui::NodeKey node) {
  HWND h = WindowOf(c.id);
  auto it = trees_.find(h);
  if (!h || it == trees_.end() || !c.treeSource) return;
  auto item = it->second.items.find(node);
  if (item != it->second.items.end()) ShowNodeCheck(h, item->second, c.treeSource->Checked(node));
}

void Binder::PullTree(ui::Control& c, HWND h) {
  TreeState& t = trees_[h];
  t.syncing = true;
  SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(h);
  t.keys.clear();
  t.items.clear();
  if (c.treeSource) AddNodes(c, h, TVI_ROOT, ui::kTreeRoot, 0);
  t.syncing = false;
  if (c.expandAll) ExpandTree(h);
  SendMessageW(h, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(h, nullptr, TRUE);
}

void Binder::AddNodes(ui::Control& c, HWND h, HTREEITEM parent, ui::NodeKey key, int depth) {
  if (depth >= kMaxDepth) return;
  TreeState& t = trees_[h];
  ui::TreeSource& src = *c.treeSource;
  const int count = src.ChildCount(key);
  for (int i = 0; i < count; ++i) {
    ui::NodeKey child = src.ChildAt(key, i);
    // A key shown twice could not be told apart when its box is clicked.
    if (child == ui::kTreeRoot || t.items.count(child)) continue;
    std::wstring text = W(src.Text(child));
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_STATE;
    ins.item.pszText = text.data();
    ins.item.stateMask = TVIS_STATEIMAGEMASK;
    ins.item.state = INDEXTOSTATEIMAGEMASK(src.Checked(child) ? 2 : 1);
    const int image = src.Image(child);
    if (image >= 0 && image < static_cast<int>(c.treePictures.size())) {
      ins.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      ins.item.iImage = ins.item.iSelectedImage = image;
    }
    HTREEITEM item = TreeView_InsertItem(h, &ins);
    if (!item) continue;
    t.keys[item] = child;
    t.items[child] = item;
    AddNodes(c, h, item, child, depth + 1);
  }
}

void Binder::ShowNodeCheck(HWND h, HTREEITEM item, bool on) {
  if (StateChecked(TreeView_GetItemState(h, item, TVIS_STATEIMAGEMASK)) == on) return;
  TreeState& t = trees_[h];
  bool was = t.syncing;
  t.syncing = true;
  TVITEMW it{};
  it.mask = TVIF_STATE | TVIF_HANDLE;
  it.hItem = item;
  it.stateMask = TVIS_STATEIMAGEMASK;
  it.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  SendMessageW(h, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
  t.syncing = was;
}

void Binder::ShowTreeChecks(ui::Control& c, HWND h) {
  auto it = trees_.find(h);
  if (it == trees_.end() || !c.treeSource) return;
  // Copied: a source may not be asked while the map could change under us.
  std::map<HTREEITEM, ui::NodeKey> keys = it->second.keys;
  for (auto& [item, key] : keys) ShowNodeCheck(h, item, c.treeSource->Checked(key));
}

void Binder::ExpandTree(HWND h) {
  auto it = trees_.find(h);
  if (it == trees_.end()) return;
  for (auto& [item, key] : it->second.keys)
    if (TreeView_GetChild(h, item)) TreeView_Expand(h, item, TVE_EXPAND);
  if (HTREEITEM first = TreeView_GetRoot(h)) TreeView_EnsureVisible(h, first);
}

bool Binder::NodeChecked(ui::Control& c, HWND h, HTREEITEM item) {
  auto t = trees_.find(h);
  if (t != trees_.end() && c.treeSource) {
    auto key = t->second.keys.find(item);
    if (key != t->second.keys.end()) return c.treeSource->Checked(key->second);
  }
  return StateChecked(TreeView_GetItemState(h, item, TVIS_STATEIMAGEMASK));
}

void Binder::UserChecks(ui::Control& c, HWND h, HTREEITEM item, bool on) {
  auto t = trees_.find(h);
  if (t == trees_.end()) return;
  auto key = t->second.keys.find(item);
  if (key == t->second.keys.end()) return;
  ui::NodeKey node = key->second;
  guard_([&] { c.UserChecksNode(node, on); });
  // Also when the handler threw: the boxes show what the source says.
  ShowTreeChecks(c, h);
}

bool Binder::TreeMessage(ui::Control& c, HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  auto t = trees_.find(h);
  if (t == trees_.end()) return false;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The tree would flip the box itself, at a moment that differs between
      // versions; the model decides instead.
      TVHITTESTINFO hit{};
      hit.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      HTREEITEM item = TreeView_HitTest(h, &hit);
      if (!item || !(hit.flags & TVHT_ONITEMSTATEICON)) return false;
      SetFocus(h);
      TreeView_SelectItem(h, item);
      t->second.swallowUp = true;
      UserChecks(c, h, item, !NodeChecked(c, h, item));
      *result = 0;
      return true;
    }
    case WM_LBUTTONUP:
      if (!t->second.swallowUp) return false;
      t->second.swallowUp = false;
      *result = 0;
      return true;
    case WM_KEYDOWN:
      if (wp != VK_SPACE) return false;
      if (HTREEITEM item = TreeView_GetSelection(h)) UserChecks(c, h, item, !NodeChecked(c, h, item));
      *result = 0;
      return true;
    case WM_CHAR:
      if (wp != L' ') return false;
      *result = 0;
      return true;
    case TVM_SETITEMW:
    case TVM_SETITEMA: {
      // Another program (automation, a screen reader) setting a box is a user's click.
      auto* it = reinterpret_cast<const TVITEMW*>(lp);
      if (t->second.syncing || !it || !(it->mask & TVIF_STATE) || !(it->stateMask & TVIS_STATEIMAGEMASK))
        return false;
      HTREEITEM item = it->hItem;
      bool want = StateChecked(it->state);
      bool had = NodeChecked(c, h, item);
      *result = DefSubclassProc(h, msg, wp, lp);
      if (want != had) {
        UserChecks(c, h, item, want);
      } else {
        ShowTreeChecks(c, h);
      }
      return true;
    }
    case WM_NCDESTROY:
      trees_.erase(t);
      return false;
  }
  return false;
}

}  // namespace vl::win
