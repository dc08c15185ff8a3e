// The settings, status and report pages of the real program: save the
// settings through the window and find them in Settings.ini and the Run key.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsGui : public GuiTestApp {
 protected:
  // Clicks an item of a large-icon list as the mouse would: its rectangle is
  // asked for in the list's own process.
  bool ClickListItem(HWND list, int item) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return false;
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    void* remote = VirtualAllocEx(proc, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    bool ok = remote && WriteProcessMemory(proc, remote, &r, sizeof r, nullptr) &&
              SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(remote)) &&
              ReadProcessMemory(proc, remote, &r, sizeof r, nullptr);
    if (remote) VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    if (!ok) return false;
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    return true;
  }
  bool OpenOption(int item, const wchar_t* sheet) {
    Click(id::imgMOptions);
    if (!SheetShown(L"tabOptions")) return false;
    return ClickListItem(Control(id::lstvOptions), item) && SheetShown(sheet);
  }
  // The message box of the program, answered with OK.
  bool DismissMessage(std::wstring* text) {
    HWND box = nullptr;
    if (!WaitFor([&] {
          for (HWND h : TopWindows(L"#32770", process_.pid))
            if (IsWindowVisible(h)) box = h;
          return box != nullptr;
        }))
      return false;
    // The static with the text has the message box's well-known ID.
    *text = TextOf(GetDlgItem(box, 0xFFFF));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
  }
  std::string Ini() {
    std::ifstream in((folder_ + L"Settings.ini").c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The run-at-startup value in the 64-bit view; empty when missing.
  std::wstring RunValue() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
      return L"";
    wchar_t data[MAX_PATH * 2] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    LSTATUS rc = RegQueryValueExW(key, L"Vantorel", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(data) : std::wstring();
  }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Toggle(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }
};

TEST_F(SettingsGui, StatusPageShowsTheProgramsVersion) {
  ASSERT_TRUE(WaitFor([&] { return TextOf(Control(id::labAppVer)) == L"1.0.0.1"; }));
  EXPECT_EQ(TextOf(Control(id::labVer)), L"v1.0.0");
  EXPECT_EQ(TextOf(Control(id::labLastScan)), L"No Scan yet");
  EXPECT_EQ(TextOf(Control(id::labLastBackup)), L"No Backup taken yet");
  EXPECT_EQ(TextOf(Control(id::labLastOptimization)), L"System not Optimized yet");
  Shot(L"status_page");
}

TEST_F(SettingsGui, SavingWritesSettingsIniAndTheRunValue) {
  // Windows always has the Run key; make sure the prefix has it too.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_TRUE(OpenOption(0, L"tabSettings"));
  EXPECT_EQ(TextOf(Control(id::labSettingsDesc)), L"Customize how Vantorel behaves.");
  EXPECT_EQ(TextOf(Control(id::chkSEUpdate)), L"Check for Vantorel update automatically");
  EXPECT_EQ(TextOf(Control(id::labSEUpdate)), L"Version: 1.0.0.1");
  // Defaults without Settings.ini.
  EXPECT_TRUE(Checked(id::chkSEUpdate));
  EXPECT_FALSE(Checked(id::chkSEStartup));
  EXPECT_FALSE(Checked(id::chkSENoBackup));
  Shot(L"settings");

  Toggle(id::chkSEStartup);
  ASSERT_TRUE(WaitFor([&] { return Checked(id::chkSEStartup); }));
  Toggle(id::chkSENoOBackup);
  ASSERT_TRUE(WaitFor([&] { return Checked(id::chkSENoOBackup); }));
  // Posted: the handler's message box is modal and would block a sent click.
  PostMessageW(Control(id::imgSaveSet), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(DismissMessage(&text));
  EXPECT_EQ(text, L"Settings have been saved successfully.");
  std::string ini = Ini();
  EXPECT_NE(ini.find("Windows Startup=1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Optimize backup=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Auto Update=1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("No Backup=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Startup Minimize=0"), std::string::npos) << ini;
  const std::wstring exe = exe_;
  EXPECT_TRUE(WaitFor([&] { return RunValue() == exe; })) << "Run value: " << Narrow(RunValue());

  // Switched off again: the value goes.
  Toggle(id::chkSEStartup);
  ASSERT_TRUE(WaitFor([&] { return !Checked(id::chkSEStartup); }));
  Toggle(id::chkSENoOBackup);
  PostMessageW(Control(id::imgSaveSet), BM_CLICK, 0, 0);
  ASSERT_TRUE(DismissMessage(&text));
  EXPECT_NE(Ini().find("Windows Startup=0"), std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return RunValue().empty(); }));
}

TEST_F(SettingsGui, ReportPageListsItsColumns) {
  ASSERT_TRUE(OpenOption(3, L"tabReport"));
  EXPECT_EQ(TextOf(Control(id::labReportTitle)), L"Scan Report");
  EXPECT_EQ(ListRowCount(Control(id::lstvReport)), 0);  // no scan yet
  EXPECT_NE(Control(id::imgScanAgain), nullptr);
  Shot(L"report");
}

}  // namespace
}  // namespace vl::gui
