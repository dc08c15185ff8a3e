// GuiTestApp: starting and closing the program under test.
#include "tests/gui/gui_test_app.h"

#include "app/control_ids.h"

namespace vl::gui {

namespace {

const wchar_t kMainClass[] = L"VantorelMainWindow";

}  // namespace

void GuiTestApp::SetUpTestSuite() {
  // An application folder of our own: data.db and Settings.ini land there.
  folder_ = folderName_;
  CreateDirectoryW(folder_.c_str(), nullptr);
  DeleteFileW((folder_ + L"data.db").c_str());
  // The update check of every start asks a closed port on this machine,
  // never the deployment's server.
  WriteFileText(folder_ + L"Settings.ini", "[Update]\r\nServer=http://127.0.0.1:9\r\n");
  exe_ = folder_ + L"Vantorel.exe";
  ASSERT_TRUE(CopyFileW((OwnFolder() + L"Vantorel.exe").c_str(), exe_.c_str(), FALSE));
  // The automatic full backup of the first start runs only where a suite asks.
  if (!firstFullBackup_) {
    CreateDirectoryW((folder_ + L"backup").c_str(), nullptr);
    CreateDirectoryW((folder_ + L"backup\\full_backup").c_str(), nullptr);
  }
  process_ = Start(exe_);
  ASSERT_NE(process_.handle, nullptr);
  ASSERT_TRUE(WaitFor([] {
    for (HWND h : TopWindows(kMainClass, process_.pid))
      if (IsWindowVisible(h)) {
        main_ = h;
        return true;
      }
    return false;
  }));
  // The start-up sequence ends on the status page; clicks before it would be undone.
  ASSERT_TRUE(WaitFor([] {
    HWND status = FindByText(main_, L"tabStatus");
    HWND title = FindById(main_, id::labStatus_Right_Title);
    return status && IsWindowVisible(status) && title && !TextOf(title).empty();
  }));
}

void GuiTestApp::TearDownTestSuite() {
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  if (WaitExit(process_, 30000) < 0) TerminateProcess(process_.handle, 1);
  CloseHandle(process_.handle);
  main_ = nullptr;
}

bool GuiTestApp::SheetShown(const wchar_t* sheet, int timeoutMs) {
  return WaitFor(
      [&] {
        HWND h = FindByText(main_, sheet);
        return h && IsWindowVisible(h);
      },
      timeoutMs);
}

void GuiTestApp::Shot(const wchar_t* name) { SaveScreenshot(main_, ShotsFolder() + name + L".bmp"); }

bool GuiTestApp::SetItemState(HWND list, int row, UINT mask, UINT state) {
  return SetListItemState(list, row, mask, state);
}

bool GuiTestApp::Answer(int button, std::wstring* text, int timeoutMs) {
  HWND box = nullptr;
  if (!WaitFor(
          [&] {
            for (HWND h : TopWindows(L"#32770", process_.pid))
              if (IsWindowVisible(h)) box = h;
            return box != nullptr;
          },
          timeoutMs))
    return false;
  *text = TextOf(GetDlgItem(box, 0xFFFF));
  SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
  return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

bool GuiTestApp::WaitWindowGone(int timeoutMs) {
  return WaitFor(
      [&] {
        for (HWND h : TopWindows(L"VantorelWait", process_.pid))
          if (IsWindowVisible(h)) return false;
        return true;
      },
      timeoutMs);
}

HWND GuiTestApp::VisibleDialog(const wchar_t* cls, const std::wstring& title) {
  for (HWND h : TopWindows(cls, process_.pid))
    if (IsWindowVisible(h) && (title.empty() || TextOf(h) == title)) return h;
  return nullptr;
}

bool GuiTestApp::SaveAs(const std::wstring& path, std::wstring* suggested) {
  HWND save = nullptr;
  if (!WaitFor([&] { return (save = VisibleDialog(L"#32770")) != nullptr; })) return false;
  // The file name box: cmb13 of the explorer dialog, edt1 of older ones.
  HWND name = FindById(save, 1148);
  if (!name) name = FindById(save, 1152);
  if (!name) return false;
  *suggested = TextOf(name);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !IsWindow(save) || !IsWindowVisible(save); });
}

std::string GuiTestApp::Narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace vl::gui
