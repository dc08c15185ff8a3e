// The window model: change notification and list state.
#include "ui/ui_model.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace vl::ui {
namespace {

struct Recorder : FormObserver {
  std::vector<std::pair<std::string, int>> changes;
  std::vector<int> sheets;
  std::vector<NodeKey> nodes;
  void ControlChanged(Control& c, int what) override { changes.push_back({c.name, what}); }
  void SheetShown(int sheet) override { sheets.push_back(sheet); }
  void NodeChanged(Control&, NodeKey node) override { nodes.push_back(node); }
  int Count(int what) const {
    int n = 0;
    for (auto& [name, w] : changes) n += (w & what) ? 1 : 0;
    return n;
  }
};

// A small tree: 10 with children 11 and 12; 20 alone.
struct SmallTree : TreeSource {
  std::map<NodeKey, std::vector<NodeKey>> children{{kTreeRoot, {10, 20}}, {10, {11, 12}}};
  std::map<NodeKey, bool> checks;
  int pulls = 0;
  int ChildCount(NodeKey parent) override {
    ++pulls;
    auto it = children.find(parent);
    return it == children.end() ? 0 : static_cast<int>(it->second.size());
  }
  NodeKey ChildAt(NodeKey parent, int index) override { return children.at(parent).at(index); }
  std::string Text(NodeKey node) override { return "node " + std::to_string(node); }
  bool Checked(NodeKey node) override { return checks[node]; }
};

TEST(UiModel, OnlyRealChangesReachTheObserver) {
  Form f("t", 100, 100);
  Control& lab = f.Add(1, Kind::Label, "labA", 0, {}, "x");
  Recorder r;
  f.SetObserver(&r);
  lab.SetText("x");
  lab.SetVisible(true);
  EXPECT_TRUE(r.changes.empty());
  lab.SetText("y");
  lab.SetEnabled(false);
  ASSERT_EQ(r.changes.size(), 2u);
  EXPECT_EQ(r.changes[0].second, kChangeText);
  EXPECT_EQ(r.changes[1].second, kChangeEnabled);
}

TEST(UiModel, SelectionNeverPointsPastTheRows) {
  Form f("t", 100, 100);
  Control& list = f.Add(1, Kind::ListView, "lstv", 0, {});
  list.SetRowCount(5);
  list.SetSelected(3);
  EXPECT_EQ(list.selected(), 3);
  list.SetRowCount(2);
  EXPECT_EQ(list.selected(), -1);
  list.SetSelected(7);
  EXPECT_EQ(list.selected(), -1);
  list.SetRowCount(-4);
  EXPECT_EQ(list.rowCount(), 0);
}

TEST(UiModel, AMultiSelectListKeepsItsRowsSortedAndWithinTheList) {
  Form f("t", 100, 100);
  Recorder rec;
  f.SetObserver(&rec);
  Control& list = f.Add(1, Kind::ListView, "list", 0, {});
  list.multiSelect = true;
  list.SetRowCount(10);
  list.SetSelectedRows({7, 2, 7, 12, -1, 4});
  EXPECT_EQ(list.selectedRows(), (std::vector<int>{2, 4, 7}));
  EXPECT_EQ(list.selected(), 2);
  EXPECT_TRUE(list.IsRowSelected(4));
  EXPECT_FALSE(list.IsRowSelected(5));
  const int before = rec.Count(kChangeSelection);
  list.SetSelectedRows({4, 2, 7});  // the same selection: no change reported
  EXPECT_EQ(rec.Count(kChangeSelection), before);
  // Rows that go take their selection with them.
  list.SetRowCount(5);
  EXPECT_EQ(list.selectedRows(), (std::vector<int>{2, 4}));
  list.SetRowCount(3);
  EXPECT_EQ(list.selectedRows(), (std::vector<int>{2}));
  EXPECT_EQ(list.selected(), 2);
  // One row by SetSelected replaces the set.
  list.SetSelected(0);
  EXPECT_EQ(list.selectedRows(), (std::vector<int>{0}));
  list.SetSelected(-1);
  EXPECT_TRUE(list.selectedRows().empty());
  // A single-selection list keeps one row.
  Control& single = f.Add(2, Kind::ListView, "single", 0, {});
  single.SetRowCount(5);
  single.SetSelectedRows({3, 1});
  EXPECT_EQ(single.selectedRows(), (std::vector<int>{1}));
}

TEST(UiModel, NamesAndIdsAreUnique) {
  Form f("t", 100, 100);
  f.Add(1, Kind::Label, "a", 0, {});
  EXPECT_THROW(f.Add(1, Kind::Label, "b", 0, {}), std::logic_error);
  EXPECT_THROW(f.Add(2, Kind::Label, "a", 0, {}), std::logic_error);
  EXPECT_THROW(f.Get(999), std::logic_error);
}

TEST(UiModel, ARadioUnchecksTheOthersOfItsGroupOnly) {
  Form f("t", 100, 100);
  Control& a = f.Add(1, Kind::Radio, "radA", 0, {});
  Control& b = f.Add(2, Kind::Radio, "radB", 0, {});
  Control& c = f.Add(3, Kind::Radio, "radC", 0, {});
  Control& x = f.Add(4, Kind::Radio, "radX", 0, {});
  Control& box = f.Add(5, Kind::CheckBox, "chkBox", 0, {});
  a.group = b.group = c.group = 1;
  x.group = 2;
  a.SetChecked(true);
  x.SetChecked(true);
  box.SetChecked(true);
  Recorder r;
  f.SetObserver(&r);
  b.SetChecked(true);
  EXPECT_FALSE(a.checked());
  EXPECT_TRUE(b.checked());
  EXPECT_FALSE(c.checked());
  EXPECT_TRUE(x.checked());
  EXPECT_TRUE(box.checked());
  // Both changes reach the window: a unchecked, b checked.
  ASSERT_EQ(r.changes.size(), 2u);
  EXPECT_EQ(r.changes[0].first, "radA");
  EXPECT_EQ(r.changes[1].first, "radB");

  // A click does the same and runs the handler; a second click keeps it checked.
  int clicks = 0;
  c.onClick = [&] { ++clicks; };
  c.Click();
  c.Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(c.checked());
  EXPECT_FALSE(b.checked());
  // Unchecking by the model leaves the group with none checked.
  c.SetChecked(false);
  EXPECT_FALSE(a.checked() || b.checked() || c.checked());
}

TEST(UiModel, ClickTogglesACheckBoxAndIgnoresDisabledControls) {
  Form f("t", 100, 100);
  Control& box = f.Add(1, Kind::CheckBox, "chkBox", 0, {});
  int clicks = 0;
  box.onClick = [&] { ++clicks; };
  box.Click();
  EXPECT_TRUE(box.checked());
  box.Click();
  EXPECT_FALSE(box.checked());
  box.SetEnabled(false);
  box.Click();
  EXPECT_FALSE(box.checked());
  EXPECT_EQ(clicks, 2);
}

TEST(UiModel, EditRunsOnChangeOncePerRealChange) {
  Form f("t", 100, 100);
  Control& edit = f.Add(1, Kind::Edit, "edtExt", 0, {});
  std::vector<std::string> seen;
  edit.onChange = [&] { seen.push_back(edit.text()); };
  Recorder r;
  f.SetObserver(&r);
  edit.SetText("*.tmp");
  edit.SetText("*.tmp");  // the window echoing the same text back changes nothing
  edit.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"*.tmp", ""}));
  EXPECT_EQ(r.Count(kChangeText), 2);
  // The window sees the new text before the handler runs.
  edit.onChange = [&] { EXPECT_EQ(r.changes.back().second, kChangeText); };
  edit.SetText("x");
  // A label's text has no change handler to run.
  Control& lab = f.Add(2, Kind::Label, "labA", 0, {});
  lab.onChange = [] { FAIL() << "labels have no change event"; };
  lab.SetText("y");
}

TEST(UiModel, ProgressRangeReachesTheWindowAndHoldsThePosition) {
  Form f("t", 100, 100);
  Control& bar = f.Add(1, Kind::Progress, "pbar", 0, {});
  EXPECT_EQ(bar.maximum(), 100);
  Recorder r;
  f.SetObserver(&r);
  bar.SetMaximum(15);
  bar.SetPosition(40);
  EXPECT_EQ(bar.position(), 15);
  bar.SetMaximum(10000);
  EXPECT_EQ(bar.position(), 15);
  EXPECT_EQ(r.Count(kChangeRange), 2);
  bar.SetMaximum(5);  // shrinking pulls the position in
  EXPECT_EQ(bar.position(), 5);
  EXPECT_EQ(r.Count(kChangePosition), 2);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.position(), 0);
}

TEST(UiModel, TreeUserCheckRunsTheHandlerThenTheViewRereadsTheChecks) {
  Form f("t", 100, 100);
  Control& tree = f.Add(1, Kind::Tree, "treeEvidence", 0, {});
  SmallTree src;
  tree.treeSource = &src;
  // The handler cascades to the children, as a feature would.
  std::vector<std::pair<NodeKey, bool>> calls;
  tree.onNodeChecked = [&](NodeKey node, bool on) {
    calls.push_back({node, on});
    src.checks[node] = on;
    for (NodeKey child : src.children[node]) src.checks[child] = on;
  };
  Recorder r;
  f.SetObserver(&r);
  tree.UserChecksNode(10, true);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::pair<NodeKey, bool>{10, true}));
  EXPECT_TRUE(src.Checked(11) && src.Checked(12));
  ASSERT_EQ(r.changes.size(), 1u);
  EXPECT_EQ(r.changes[0].second, kChangeTreeChecks);

  // Without a handler the click changes nothing but the view is still told to
  // show the source's checks (the box springs back).
  tree.onNodeChecked = nullptr;
  tree.UserChecksNode(20, true);
  EXPECT_FALSE(src.Checked(20));
  EXPECT_EQ(r.Count(kChangeTreeChecks), 2);

  tree.SetEnabled(false);
  tree.onNodeChecked = [&](NodeKey, bool) { FAIL() << "a disabled tree takes no clicks"; };
  tree.UserChecksNode(20, true);
}

TEST(UiModel, TreeTellsTheViewWhatToPullAgain) {
  Form f("t", 100, 100);
  Control& tree = f.Add(1, Kind::Tree, "treeEvidence", 0, {});
  Recorder r;
  f.SetObserver(&r);
  tree.TreeChanged();
  tree.NodeCheckChanged(12);
  tree.NodeCheckChanged(20);
  tree.ChecksChanged();
  tree.ExpandTree();
  ASSERT_EQ(r.changes.size(), 3u);
  EXPECT_EQ(r.changes[0].second, kChangeTree);
  EXPECT_EQ(r.changes[1].second, kChangeTreeChecks);
  EXPECT_EQ(r.changes[2].second, kChangeExpand);
  EXPECT_EQ(r.nodes, (std::vector<NodeKey>{12, 20}));
}

TEST(UiModel, ModalStateOfAForm) {
  Form dialog("Add a new file type", 300, 200);
  EXPECT_FALSE(dialog.modalRunning());
  dialog.BeginModal();
  EXPECT_TRUE(dialog.modalRunning());
  EXPECT_EQ(dialog.modalResult(), kModalNone);
  dialog.EndModal(kModalOk);
  EXPECT_FALSE(dialog.modalRunning());
  EXPECT_EQ(dialog.modalResult(), kModalOk);
  dialog.BeginModal();  // shown again: a fresh result
  EXPECT_EQ(dialog.modalResult(), kModalNone);
  dialog.SetTitle("Modify file type");
  EXPECT_EQ(dialog.title(), "Modify file type");
}

}  // namespace
}  // namespace vl::ui
