// The evidence cleaner in the real program: one type ticked in the tree, its
// traces planted in the real registry, scanned, shown item by item and erased.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

bool HasValue(const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, kRunMru, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

class EvidenceGui : public GuiTestApp {
 protected:
  static void SetUpTestSuite() {
    folderName_ = L"C:\\vltest_gui_evidence\\";
    GuiTestApp::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    GuiTestApp::TearDownTestSuite();
    folderName_ = L"C:\\vltest_gui\\";
  }

  // The child of `parent` with this text, expanded into view.
  HTREEITEM Node(HWND tree, HTREEITEM parent, const std::wstring& text) {
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (int i = 0;; ++i) {
      HTREEITEM item = TreeChild(tree, parent, i);
      if (!item) return nullptr;
      if (TreeItemText(tree, item) == text) {
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        return item;
      }
    }
  }
};

TEST_F(EvidenceGui, ATickedTypeIsScannedShownAndErased) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunMru, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, data] : {std::pair<const wchar_t*, const wchar_t*>{L"a", L"notepad\\1"},
                                   {L"b", L"vl_gui_evidence\\1"}, {L"MRUList", L"ba"}})
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  Click(id::imgMCleanup);
  Click(id::imgEvidence);
  ASSERT_TRUE(SheetShown(L"tabEvidence"));
  HWND tree = Control(id::treeEvidence);
  HTREEITEM root = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (root = TreeChild(tree, nullptr, 0)) != nullptr; }));
  EXPECT_EQ(TreeItemText(tree, root), L"My Computer");
  EXPECT_EQ(TreeStateImage(tree, root), 2);  // everything starts ticked
  Shot(L"evidence_tree");

  // Only "Run History": Select All off, then its own box.
  Click(id::chkESelectAll);
  ASSERT_TRUE(WaitFor([&] { return TreeStateImage(tree, root) == 1; }));
  HTREEITEM group = Node(tree, root, L"Windows System");
  ASSERT_NE(group, nullptr);
  HTREEITEM type = Node(tree, group, L"Run History");
  ASSERT_NE(type, nullptr);
  ASSERT_TRUE(ClickTreeCheckBox(tree, type));
  ASSERT_TRUE(WaitFor([&] { return TreeStateImage(tree, type) == 2; }));
  EXPECT_EQ(TreeStateImage(tree, group), 1);  // a parent is not worked out from its children

  PostMessageW(Control(id::imgEviScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Result", 0); }, 120000));
  HWND result = Control(id::lstvEResult);
  ASSERT_EQ(ListRowCount(result), 1);
  EXPECT_EQ(ListCellText(result, 0, 0), L"Windows System - Run History");
  EXPECT_EQ(ListCellText(result, 0, 1), L"3");
  HWND details = Control(id::lstvEResultDesc);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(details) == 3; }));
  std::wstring all;
  for (int i = 0; i < 3; ++i)
    for (int c = 0; c < 3; ++c) all += ListCellText(details, i, c) + L"|";
  EXPECT_NE(all.find(L"vl_gui_evidence\\1"), std::wstring::npos) << Narrow(all);
  // Too long for its column, the path is shortened where it is painted only:
  // another program still reads it whole.
  EXPECT_NE(all.find(L"|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\\MRUList|"),
            std::wstring::npos)
      << Narrow(all);
  Shot(L"evidence_result");

  PostMessageW(Control(id::imgEClean), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  EXPECT_EQ(text, L"Are you sure you want to delete the specified evidence?");
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Finish", 0); }, 120000));
  Shot(L"evidence_finish");
  EXPECT_FALSE(HasValue(L"a"));
  EXPECT_FALSE(HasValue(L"b"));
  EXPECT_FALSE(HasValue(L"MRUList"));
}

}  // namespace
}  // namespace vl::gui
