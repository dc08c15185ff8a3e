// The window model: change notification and list state.
#include "ui/ui_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace vl::ui {
namespace {

struct Recorder : FormObserver {
  std::vector<std::pair<std::string, int>> changes;
  std::vector<int> sheets;
  void ControlChanged(Control& c, int what) override { changes.push_back({c.name, what}); }
  void SheetShown(int sheet) override { sheets.push_back(sheet); }
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

TEST(UiModel, NamesAndIdsAreUnique) {
  Form f("t", 100, 100);
  f.Add(1, Kind::Label, "a", 0, {});
  EXPECT_THROW(f.Add(1, Kind::Label, "b", 0, {}), std::logic_error);
  EXPECT_THROW(f.Add(2, Kind::Label, "a", 0, {}), std::logic_error);
  EXPECT_THROW(f.Get(999), std::logic_error);
}

}  // namespace
}  // namespace vl::ui
