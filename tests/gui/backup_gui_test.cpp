// The backup page of the real program: a full backup taken from the page
// appears in the full list; a repair backup placed in its folder is
// restored through the registry editor, and one whose key the editor
// refuses is reported as not restored.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kTestKey[] = L"Software\\VlGuiBackupTest";

class BackupGui : public GuiTestApp {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }

  bool OpenBackupPage() {
    Click(id::imgMBackup);
    return SheetShown(L"tabBackup");
  }
  // A repair backup of that text, the only one in its folder.
  void PutRepairBackup(const std::string& reg) {
    const std::wstring folder = folder_ + L"backup\\repair_backup\\";
    CreateDirectoryW((folder_ + L"backup").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"20240101120000.reg";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, reg.data(), static_cast<DWORD>(reg.size()), &written, nullptr);
    CloseHandle(h);
  }
  std::wstring ReadValue(const wchar_t* name) {
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
      return L"";
    return data;
  }
};

TEST_F(BackupGui, AFullBackupFromThePageIsListed) {
  ASSERT_TRUE(OpenBackupPage());
  EXPECT_EQ(TextOf(Control(id::labBackup_Title)), L"Registry Backup and Restore");
  EXPECT_EQ(SendMessageW(Control(id::imgFBackup), BM_GETCHECK, 0, 0), BST_CHECKED);
  HWND list = Control(id::lstvFBackup);
  ASSERT_TRUE(list && IsWindowVisible(list));
  const int before = ListRowCount(list);
  Shot(L"backup_page");
  PostMessageW(Control(id::imgRegBackup), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitWindowGone(120000));
  // The editor writes the export after it started: look again with each tab click.
  ASSERT_TRUE(WaitFor(
      [&] {
        Click(id::imgFBackup);
        return ListRowCount(list) > before;
      },
      180000));
  std::wstring name = ListCellText(list, 0, 1);
  EXPECT_EQ(name.rfind(L"FBackup_", 0), 0u) << Narrow(name);
  EXPECT_NE(ListCellText(list, 0, 0).find(L", 20"), std::wstring::npos);
  Shot(L"backup_full");
}

TEST_F(BackupGui, ARepairBackupIsRestoredThroughTheRegistryEditor) {
  PutRepairBackup(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlGuiBackupTest]\r\n"
      "\"Colour\"=\"blue\"\r\n\r\n");
  ASSERT_EQ(ReadValue(L"Colour"), L"");

  ASSERT_TRUE(OpenBackupPage());
  Click(id::imgRBackup);
  HWND list = Control(id::lstvRBackup);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) && ListRowCount(list) >= 1; }));
  EXPECT_EQ(ListCellText(list, 0, 1), L"20240101120000.reg");
  ASSERT_TRUE(SelectRow(list, 0));
  Shot(L"backup_repair");
  PostMessageW(Control(id::imgBRestore), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  EXPECT_EQ(text, L"Would you like to restore the registry now?");
  ASSERT_TRUE(Answer(IDOK, &text, 120000));
  EXPECT_EQ(text, L"The registry was restored successfully!");
  EXPECT_EQ(ReadValue(L"Colour"), L"blue");
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(Control(id::imgBRestore)) != FALSE; }));
}

// The registry editor refuses a key name longer than the registry allows,
// imports the rest and exits normally; the restore says what did not come
// back instead of claiming success.
TEST_F(BackupGui, ARestoreWhoseKeyTheEditorRefusesReportsWhatDidNotComeBack) {
  const std::string tooLong(300, 'L');
  PutRepairBackup("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlGuiBackupTest\\" +
                  tooLong + "]\r\n\"Lost\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlGuiBackupTest]\r\n"
                  "\"Colour\"=\"blue\"\r\n\r\n");
  ASSERT_TRUE(OpenBackupPage());
  Click(id::imgRBackup);
  HWND list = Control(id::lstvRBackup);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) && ListRowCount(list) >= 1; }));
  ASSERT_TRUE(SelectRow(list, 0));
  PostMessageW(Control(id::imgBRestore), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  ASSERT_TRUE(Answer(IDOK, &text, 120000));
  EXPECT_EQ(text.rfind(L"The registry was not fully restored: 2 of 4 entries of the backup file did not come back.\r", 0),
            0u)
      << Narrow(text);
  EXPECT_NE(text.find(L"\"Lost\" in [HKEY_CURRENT_USER\\Software\\VlGuiBackupTest\\LLL"), std::wstring::npos)
      << Narrow(text);
  // What the editor took is there.
  EXPECT_EQ(ReadValue(L"Colour"), L"blue");
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(Control(id::imgBRestore)) != FALSE; }));
}

}  // namespace
}  // namespace vl::gui
