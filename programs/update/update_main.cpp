// Update.exe: one updater at a time, the real platform and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "backup/folder_trust.h"
#include "programs/update/update_window.h"
#include "sysaccess/win32/system_dll.h"
#include "sysaccess/win32/win32_platform.h"
#include "ui/win32/win32_ports.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: never one from the program's folder.
  vl::sys::win32::RestrictDllSearchToSystem();
  // Everything below lives until the process ends.
  auto* platform = vl::sys::MakeWin32Platform().release();
  // Two updaters must never replace the program at the same time: a second
  // start ends at once, without a window. Created or found in one call, and
  // held until the process ends.
  std::unique_ptr<vl::sys::NamedMutex> instanceGuard;
  bool alreadyRunning = false;
  if (platform->platform().processes->CreateNamedMutex("KS_UPDATE_EXISTS", instanceGuard, alreadyRunning) != 0 ||
      alreadyRunning)
    return 0;

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  auto* ports = new vl::win::Win32Ports(instance);
  // An install puts in place what update\ holds and trusts Settings.ini's
  // server: only while no other account can change them.
  vl::backup::CreateAdminOnlyFolders(platform->platform());
  const vl::backup::FolderTrust trust = vl::backup::FolderTrust::Check(platform->platform());
  if (!trust.trusted()) {
    ports->ShowMessage(trust.Explanation(), "Vantorel", vl::MsgButtons::Ok, vl::MsgIcon::Warning);
    return 0;
  }
  auto* window = new vl::win::UpdateWindow(instance, platform->platform(), *ports);
  window->Create();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ExitProcess(0);
}
