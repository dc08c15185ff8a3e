// Update.exe: one updater at a time, the real platform and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "programs/update/update_window.h"
#include "sysaccess/win32/win32_platform.h"
#include "ui/win32/win32_ports.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
  auto* window = new vl::win::UpdateWindow(instance, platform->platform(), *ports);
  window->Create();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ExitProcess(0);
}
