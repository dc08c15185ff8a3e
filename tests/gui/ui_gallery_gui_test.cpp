// The toolkit's controls in a real window: vl_ui_gallery.exe is driven from
// this process with window messages, as automation would, and every change
// must come back through the window model (the gallery mirrors the model
// into labels).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/gui/gui_driver.h"
#include "ui/win32/testing/ui_gallery_ids.h"

namespace vl::gui {
namespace {

using namespace vl::gallery;

class UiGalleryGui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Under Wine on a bare X server there is no window manager: Wine then
    // draws the title bars itself and waits for no manager's answer when a
    // captioned window hides (it would wait two seconds each time). Read when
    // the gallery starts; Windows ignores the key; removed again at the end.
    SetWineWindowing(true);
    process_ = Start(OwnFolder() + L"vl_ui_gallery.exe");
    ASSERT_NE(process_.handle, nullptr);
    ASSERT_TRUE(WaitFor([] {
      for (HWND h : TopWindows(kWindowClass, process_.pid))
        if (IsWindowVisible(h)) {
          main_ = h;
          return true;
        }
      return false;
    }));
  }
  static void TearDownTestSuite() {
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitExit(process_, 30000) < 0) TerminateProcess(process_.handle, 1);
    CloseHandle(process_.handle);
    main_ = nullptr;
    SetWineWindowing(false);
  }
  static void SetWineWindowing(bool unmanaged) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return;
    for (const wchar_t* name : {L"Decorated", L"Managed"}) {
      if (unmanaged) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
      } else {
        RegDeleteValueW(key, name);
      }
    }
    RegCloseKey(key);
  }

  HWND Control(int id) { return FindById(main_, id); }
  bool TextBecomes(HWND h, const std::wstring& want) {
    return WaitFor([&] { return TextOf(h) == want; }, 10000);
  }
  bool LabelBecomes(int id, const std::wstring& want) { return TextBecomes(Control(id), want); }
  std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
  }
  LONG_PTR Style(HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

  HTREEITEM Child(HWND tree, HTREEITEM parent, int index) { return TreeChild(tree, parent, index); }
  int StateImage(HWND tree, HTREEITEM item) { return TreeStateImage(tree, item); }
  bool ClickCheckBox(HWND tree, HTREEITEM item) { return ClickTreeCheckBox(tree, item); }
  int ListStateImage(HWND list, int row) {
    return static_cast<int>((SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12);
  }
  // The modal dialog of the gallery, once it is shown.
  HWND Dialog() {
    for (HWND h : TopWindows(L"VantorelDialog", process_.pid))
      if (IsWindowVisible(h)) return h;
    return nullptr;
  }
  HWND OpenDialog() {
    PostMessageW(Control(imgOpenDialog), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = Dialog()) != nullptr; });
    return dialog;
  }
  bool DialogGone() { return WaitFor([&] { return Dialog() == nullptr && IsWindowEnabled(main_); }); }

  static inline Process process_;
  static inline HWND main_ = nullptr;
};

TEST_F(UiGalleryGui, EveryKindIsARealChildWindowWithItsName) {
  EXPECT_EQ(ClassOf(Control(treeDemo)), WC_TREEVIEWW);
  EXPECT_TRUE(Style(Control(treeDemo)) & TVS_CHECKBOXES);
  EXPECT_EQ(ClassOf(Control(edtName)), L"Edit");
  EXPECT_EQ(ClassOf(Control(chklstDemo)), WC_LISTVIEWW);
  EXPECT_EQ(ClassOf(Control(lstvIcons)), WC_LISTVIEWW);
  EXPECT_EQ(ClassOf(Control(pbarDemo)), PROGRESS_CLASSW);
  EXPECT_EQ(ClassOf(Control(radSmall)), L"Button");
  EXPECT_EQ(TextOf(Control(radSmall)), L"Small");
  EXPECT_EQ(TextOf(Control(chkLongRange)), L"Long range");
  EXPECT_EQ(TextOf(Control(imgOpenDialog)), L"Open dialog");
  EXPECT_EQ(TextOf(Control(edtReadOnly)), L"Read only");
  EXPECT_TRUE(Style(Control(edtReadOnly)) & ES_READONLY);
  EXPECT_FALSE(Style(Control(edtName)) & ES_READONLY);
  EXPECT_EQ(SendMessageW(Control(edtName), EM_GETLIMITTEXT, 0, 0), 20);
  SaveScreenshot(main_, ShotsFolder() + L"ui_gallery.bmp");
}

TEST_F(UiGalleryGui, TreeCheckBoxesGoThroughTheModel) {
  HWND tree = Control(treeDemo);
  HTREEITEM computer = Child(tree, nullptr, 0);
  HTREEITEM browsers = Child(tree, computer, 0);
  HTREEITEM windows = Child(tree, computer, 1);
  ASSERT_TRUE(computer && browsers && windows);
  HTREEITEM cache = Child(tree, browsers, 0), cookies = Child(tree, browsers, 1), history = Child(tree, browsers, 2);
  HTREEITEM run = Child(tree, windows, 1);
  EXPECT_EQ(TreeItemText(tree, computer), L"My Computer");
  EXPECT_EQ(TreeItemText(tree, cookies), L"Cookies");
  EXPECT_EQ(TreeItemText(tree, run), L"Run history");
  // Pulled from the source: only Cookies starts checked.
  EXPECT_EQ(StateImage(tree, cookies), 2);
  EXPECT_EQ(StateImage(tree, cache), 1);
  EXPECT_EQ(TextOf(Control(labTreeInfo)), L"1 of 8 checked");

  // A click on a group's box: the handler checks the subtree, and the view shows it.
  ASSERT_TRUE(ClickCheckBox(tree, browsers));
  ASSERT_TRUE(LabelBecomes(labTreeInfo, L"4 of 8 checked"));
  EXPECT_EQ(StateImage(tree, browsers), 2);
  EXPECT_EQ(StateImage(tree, cache), 2);
  EXPECT_EQ(StateImage(tree, history), 2);
  EXPECT_EQ(StateImage(tree, windows), 1);

  // Another program setting a box is a click too.
  ASSERT_TRUE(SetTreeItemState(tree, cookies, TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1)));
  ASSERT_TRUE(LabelBecomes(labTreeInfo, L"3 of 8 checked"));
  EXPECT_EQ(StateImage(tree, cookies), 1);
  EXPECT_EQ(StateImage(tree, cache), 2);

  ASSERT_TRUE(ClickCheckBox(tree, computer));
  ASSERT_TRUE(LabelBecomes(labTreeInfo, L"8 of 8 checked"));
  EXPECT_EQ(StateImage(tree, run), 2);
  EXPECT_EQ(StateImage(tree, cookies), 2);
  ASSERT_TRUE(ClickCheckBox(tree, computer));
  ASSERT_TRUE(LabelBecomes(labTreeInfo, L"0 of 8 checked"));
  EXPECT_EQ(StateImage(tree, run), 1);
}

TEST_F(UiGalleryGui, EditTextGoesBothWaysWithoutEcho) {
  HWND edit = Control(edtName);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"hello"));
  ASSERT_TRUE(LabelBecomes(labEditMirror, L"Typed: hello"));
  // Typed characters land at the caret; had the model's echo reset the
  // text, the caret would jump to the start and the order would break.
  SendMessageW(edit, EM_SETSEL, 5, 5);
  PostMessageW(edit, WM_CHAR, L'!', 0);
  PostMessageW(edit, WM_CHAR, L'?', 0);
  ASSERT_TRUE(LabelBecomes(labEditMirror, L"Typed: hello!?"));
  EXPECT_EQ(TextOf(edit), L"hello!?");
}

TEST_F(UiGalleryGui, RadiosExcludeEachOtherWithinTheirGroup) {
  EXPECT_TRUE(Checked(radMedium));
  EXPECT_TRUE(Checked(radFast));
  EXPECT_TRUE(Style(Control(radSmall)) & WS_GROUP);
  EXPECT_FALSE(Style(Control(radMedium)) & WS_GROUP);
  EXPECT_FALSE(Style(Control(radLarge)) & WS_GROUP);
  EXPECT_TRUE(Style(Control(radSlow)) & WS_GROUP);
  EXPECT_FALSE(Style(Control(radFast)) & WS_GROUP);

  SendMessageW(Control(radLarge), BM_CLICK, 0, 0);
  ASSERT_TRUE(LabelBecomes(labRadioInfo, L"Size: Large, speed: Fast"));
  EXPECT_TRUE(Checked(radLarge));
  EXPECT_FALSE(Checked(radMedium));
  EXPECT_FALSE(Checked(radSmall));
  EXPECT_TRUE(Checked(radFast));

  SendMessageW(Control(radSlow), BM_CLICK, 0, 0);
  ASSERT_TRUE(LabelBecomes(labRadioInfo, L"Size: Large, speed: Slow"));
  EXPECT_TRUE(Checked(radSlow));
  EXPECT_FALSE(Checked(radFast));
  EXPECT_TRUE(Checked(radLarge));
}

TEST_F(UiGalleryGui, ProgressBarFollowsPositionAndRange) {
  HWND bar = Control(pbarDemo);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
  SendMessageW(Control(imgStep), BM_CLICK, 0, 0);
  ASSERT_TRUE(LabelBecomes(labProgressInfo, L"50 of 100"));
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);
  SendMessageW(Control(chkLongRange), BM_CLICK, 0, 0);
  ASSERT_TRUE(LabelBecomes(labProgressInfo, L"50 of 1000"));
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);
  SendMessageW(Control(chkLongRange), BM_CLICK, 0, 0);
  ASSERT_TRUE(LabelBecomes(labProgressInfo, L"50 of 100"));
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
}

TEST_F(UiGalleryGui, IconListAndCheckListReachTheModel) {
  HWND icons = Control(lstvIcons);
  ASSERT_EQ(ListRowCount(icons), 3);
  EXPECT_EQ(ListCellText(icons, 0, 0), L"Scan");
  EXPECT_EQ(ListCellText(icons, 1, 0), L"Repair");
  RECT r;
  ASSERT_TRUE(ListItemRect(icons, 1, &r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(icons, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(icons, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(LabelBecomes(labIconInfo, L"Clicked: Repair"));

  HWND list = Control(chklstDemo);
  ASSERT_EQ(ListRowCount(list), 3);
  EXPECT_EQ(ListCellText(list, 2, 0), L"Gamma");
  EXPECT_EQ(ListStateImage(list, 0), 2);
  EXPECT_EQ(ListStateImage(list, 2), 1);
  ASSERT_TRUE(SetListItemState(list, 2, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2)));
  ASSERT_TRUE(LabelBecomes(labCheckInfo, L"Checked: Alpha, Gamma"));
  ASSERT_TRUE(SetListItemState(list, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1)));
  ASSERT_TRUE(LabelBecomes(labCheckInfo, L"Checked: Gamma"));
  EXPECT_EQ(ListStateImage(list, 0), 1);
}

TEST_F(UiGalleryGui, ModalDialogDisablesItsOwnerAndReturnsItsResult) {
  // Closed with the close box: cancelled.
  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
  EXPECT_FALSE(IsWindowEnabled(main_));
  EXPECT_EQ(TextOf(dialog), L"New item");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(DialogGone());
  ASSERT_TRUE(LabelBecomes(labDialogResult, L"Dialog: Cancel"));

  // Ended by its OK button, which needs a name first.
  dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  HWND ok = FindById(dialog, imgDlgOk), name = FindById(dialog, edtDlgName);
  ASSERT_TRUE(ok && name);
  EXPECT_EQ(TextOf(ok), L"OK");
  EXPECT_FALSE(IsWindowEnabled(ok));
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Report"));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(ok) != FALSE; }));
  SaveScreenshot(dialog, ShotsFolder() + L"ui_gallery_dialog.bmp");
  PostMessageW(ok, BM_CLICK, 0, 0);
  ASSERT_TRUE(DialogGone());
  ASSERT_TRUE(LabelBecomes(labDialogResult, L"Dialog: OK, name \"Report\""));

  // Esc cancels; the form starts empty again.
  dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  name = FindById(dialog, edtDlgName);
  EXPECT_EQ(TextOf(name), L"");
  PostMessageW(name, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(DialogGone());
  ASSERT_TRUE(LabelBecomes(labDialogResult, L"Dialog: Cancel"));
}

}  // namespace
}  // namespace vl::gui
