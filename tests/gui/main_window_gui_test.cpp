// Starts the real Vantorel.exe in a fresh application folder and checks it
// from outside the process with ordinary window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "store/database.h"
#include "store/seed_data.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kMainClass[] = L"VantorelMainWindow";

class VantorelGui : public GuiTestApp {
 protected:
  int HighlightedCount() {
    int n = 0;
    for (int id : {id::imgMStatus, id::imgMCleanup, id::imgMOptimize, id::imgMBackup, id::imgMOptions})
      if (SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED) ++n;
    return n;
  }
};

TEST_F(VantorelGui, MainWindowHasItsTitleAndSize) {
  EXPECT_EQ(TextOf(main_), L"Vantorel Center");
  RECT r;
  GetClientRect(main_, &r);
  EXPECT_EQ(r.right - r.left, 757);
  EXPECT_EQ(r.bottom - r.top, 555);
  // No system frame.
  EXPECT_EQ(GetWindowLongW(main_, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  // The status page is the first one shown, with its fixed texts.
  ASSERT_TRUE(WaitFor([&] {
    return TextOf(Control(id::labStatus_Right_Title)) ==
           L"Deep scan, Clean and Optimize the Registry to boost your PC speed!";
  }));
  EXPECT_EQ(SendMessageW(Control(id::imgMStatus), BM_GETCHECK, 0, 0), BST_CHECKED);
  Shot(L"status");
}

TEST_F(VantorelGui, FirstStartCreatesTheSeededDatabase) {
  const std::wstring db = folder_ + L"data.db";
  ASSERT_TRUE(WaitFor([&] { return GetFileAttributesW(db.c_str()) != INVALID_FILE_ATTRIBUTES; }));
  // The program creates it statement by statement; wait for the last row.
  ASSERT_TRUE(WaitFor([&] {
    try {
      auto c = store::OpenDatabase(Narrow(db));
      // Then the types added since the first release.
      return store::HasTable(c, "sysset") && store::RunQuery(c, "select * from sysset").RowCount() == 1 &&
             store::RunQuery(c, "select * from evidencetype where no in (317, 434)").RowCount() == 2;
    } catch (...) {
      return false;
    }
  }));
  auto c = store::OpenDatabase(Narrow(db));
  EXPECT_EQ(store::RunQuery(c, "select * from evidencetype").RowCount(), 52 + store::kAddedEvidenceTypes.size());
  EXPECT_EQ(store::RunQuery(c, "select * from junktype").RowCount(), 44);
  auto sys = store::RunQuery(c, "select * from sysset");
  EXPECT_EQ(sys.ColumnByName("last_backup"), "0");
  for (const char* t : {"ignorelist", "scanlog", "startup"}) EXPECT_TRUE(store::HasTable(c, t)) << t;
}

TEST_F(VantorelGui, ASecondStartShowsNothingAndEnds) {
  Process second = Start(exe_);
  ASSERT_NE(second.handle, nullptr);
  EXPECT_EQ(WaitExit(second, 30000), 0);
  EXPECT_TRUE(TopWindows(kMainClass, second.pid).empty());
  CloseHandle(second.handle);
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_EQ(TopWindows(kMainClass).size(), 1u);
}

TEST_F(VantorelGui, TopButtonsSwitchPagesAndHighlightExactlyOne) {
  const struct {
    int button;
    const wchar_t* text;
    const wchar_t* sheet;
    const wchar_t* shot;
  } cases[] = {{id::imgMCleanup, L"Cleanup", L"tabCleanup", L"cleanup"},
               {id::imgMOptimize, L"Optimize", L"tabOptimize", L"optimize"},
               {id::imgMBackup, L"Backup", L"tabBackup", L"backup"},
               {id::imgMOptions, L"Options", L"tabOptions", L"options"},
               {id::imgMStatus, L"Status", L"tabStatus", L"status_again"}};
  for (auto& c : cases) {
    HWND button = Control(c.button);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TextOf(button), c.text);  // the accessible name
    SendMessageW(button, BM_CLICK, 0, 0);
    HWND sheet = FindByText(main_, c.sheet);
    ASSERT_NE(sheet, nullptr) << c.sheet;
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(sheet) != FALSE; })) << c.sheet;
    EXPECT_EQ(SendMessageW(button, BM_GETCHECK, 0, 0), BST_CHECKED) << c.sheet;
    EXPECT_EQ(HighlightedCount(), 1) << c.sheet;
    Shot(c.shot);
  }
}

TEST_F(VantorelGui, CleanerLinksOpenTheirPagesAndLeaveTheTopBar) {
  SendMessageW(Control(id::imgMCleanup), BM_CLICK, 0, 0);
  SendMessageW(Control(id::imgJunkFile), BM_CLICK, 0, 0);
  HWND sheet = FindByText(main_, L"tabJunk");
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(sheet) != FALSE; }));
  EXPECT_EQ(SendMessageW(Control(id::imgMCleanup), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(HighlightedCount(), 1);
  Shot(L"junk_start");
  SendMessageW(Control(id::imgCBack2), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(FindByText(main_, L"tabCleanup")) != FALSE; }));
}

}  // namespace
}  // namespace vl::gui
