// End to end in the real program: the first start takes a full backup; a
// planted broken startup entry is scanned, repaired and restored again from
// the backup page.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kGhost[] = L"VlGuiRepairGhost";
const wchar_t kGhostData[] = L"\"C:\\vl_missing_folder\\repair_ghost.exe\" /start";

class RepairGui : public GuiTestApp {
 protected:
  static void SetUpTestSuite() {
    folderName_ = L"C:\\vltest_gui_repair\\";
    firstFullBackup_ = true;
    // A fresh folder: the first start finds no full backup folder.
    RemoveTree(folderName_ + L"backup");
    GuiTestApp::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    GuiTestApp::TearDownTestSuite();
    folderName_ = L"C:\\vltest_gui\\";
    firstFullBackup_ = false;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kGhost);
  }
  static void RemoveTree(const std::wstring& folder) {
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
  }
  static std::wstring Ghost() {
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kGhost, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
      return L"";
    return data;
  }
  // Name and size of the newest file matching `pattern`.
  static std::wstring NewestFile(const std::wstring& pattern, ULONGLONG* size) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    std::wstring best;
    if (h == INVALID_HANDLE_VALUE) return best;
    do {
      if (best.empty() || fd.cFileName > best) {
        best = fd.cFileName;
        *size = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return best;
  }
};

TEST_F(RepairGui, TheFirstStartTakesAFullBackup) {
  ULONGLONG size = 0;
  ASSERT_TRUE(WaitFor(
      [&] { return !NewestFile(folder_ + L"backup\\full_backup\\FBackup_*.reg", &size).empty() && size > 1000; },
      180000));
}

TEST_F(RepairGui, ARepairedEntryComesBackFromTheBackupPage) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, kGhost, 0, REG_SZ, reinterpret_cast<const BYTE*>(kGhostData), sizeof kGhostData);
  RegCloseKey(key);

  // Scan the startup programs only.
  Click(id::imgMCleanup);
  Click(id::imgRegistryCleaner);
  ASSERT_TRUE(SheetShown(L"tabRegistry"));
  Click(id::chkSelectAll);  // off: every category unchecked
  HWND categories = Control(id::chklstRegistry);
  ASSERT_TRUE(SetChecked(categories, 12, true));
  Click(id::imgRegScan);
  ASSERT_TRUE(SheetShown(L"tabRegistry_Result", 120000));
  HWND results = Control(id::lstvRegistry);
  ASSERT_EQ(ListCellText(results, 0, 0), L"Startup Programs");
  bool listed = false;
  for (int r = 1; r < ListRowCount(results); ++r)
    listed = listed || ListCellText(results, r, 0).find(std::wstring(L"Run\\") + kGhost) != std::wstring::npos;
  ASSERT_TRUE(listed);

  // Repair, confirmed.
  PostMessageW(Control(id::imgRegClean), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  EXPECT_EQ(text, L"Do you want to fix the detected errors?");
  ASSERT_TRUE(SheetShown(L"tabRegistry_Finish", 120000));
  HWND finish = Control(id::lstvRegFinish);
  bool repaired = false;
  for (int r = 0; r < ListRowCount(finish); ++r)
    if (ListCellText(finish, r, 0).find(kGhost) != std::wstring::npos)
      repaired = ListCellText(finish, r, 1) == L"Repaired Successfully";
  EXPECT_TRUE(repaired);
  EXPECT_NE(TextOf(Control(id::labRegistry_Finish_Desc)).find(L"Entrie(s) have been repaired."), std::wstring::npos);
  Shot(L"registry_finish");
  EXPECT_EQ(Ghost(), L"");

  // Restore the repair's backup from the backup page.
  Click(id::imgMBackup);
  ASSERT_TRUE(SheetShown(L"tabBackup"));
  Click(id::imgRBackup);
  HWND list = Control(id::lstvRBackup);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) && ListRowCount(list) >= 1; }));
  ASSERT_TRUE(SelectRow(list, 0));  // newest first
  PostMessageW(Control(id::imgBRestore), BM_CLICK, 0, 0);
  ASSERT_TRUE(Answer(IDYES, &text));
  ASSERT_TRUE(Answer(IDOK, &text, 120000));
  EXPECT_EQ(text, L"The registry was restored successfully!");
  EXPECT_EQ(Ghost(), kGhostData);
}

}  // namespace
}  // namespace vl::gui
