// Vantorel.exe: the instance guard, the real platform and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/jobs.h"
#include "programs/vantorel/vantorel_app.h"
#include "programs/vantorel/main_window.h"
#include "ui/win32/win32_ports.h"
#include "sysaccess/win32/system_dll.h"
#include "sysaccess/format_text.h"
#include "sysaccess/win32/win32_platform.h"
#include "programs/cli/win32/cli_console.h"
#include "vl_version.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: never one from the program's folder.
  vl::sys::win32::RestrictDllSearchToSystem();

  // Any argument: the administrators' command line, never a window. It runs
  // beside an open window, so it comes before the instance guard.
  if (vl::cli::CommandLineWanted()) ExitProcess(static_cast<UINT>(vl::cli::RunCommandLine(VL_VERSION_TEXT)));

  // One instance per machine: a second start ends at once, silently. One
  // call that creates or finds the mutex, so two starts at the same moment
  // cannot both go on. Held for the life of the process.
  HANDLE instanceGuard = CreateMutexW(nullptr, FALSE, L"VL_APP_EXISTS");
  if (instanceGuard && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(instanceGuard);
    return 0;
  }

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                            ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // Everything below lives until the process ends: workers may still be
  // running when the window closes, and ExitProcess ends them first.
  auto* platform = vl::sys::MakeWin32Platform().release();
  auto* dispatcher = new vl::win::Win32Dispatcher(instance);
  auto* runner = new vl::JobRunner(*dispatcher);
  auto* ports = new vl::win::Win32Ports(instance);
  vl::MainForm& main = *vl::BuildMainForm(platform->platform(), *ports, *runner).release();
  // Handlers of modal forms fail the same way as the main window's.
  ports->SetGuard([&main](const std::function<void()>& f) { main.Guard(f); });
  main.bitness = vl::sys::ProcessBitness(*platform->platform().system);
  // Size texts ("1,5 KB") follow the user's locale.
  vl::sys::UseDecimalSeparator(platform->platform().system->DecimalSeparator());
  // The running file itself: a copy under another name writes its own path
  // into the Run value and shows its own version.
  main.exePath = vl::sys::ProgramPath();
  main.systemLanguage = GetSystemDefaultLangID();

  auto* window = new vl::win::MainWindow(instance, main, *ports);
  window->Create(main.CoolTrayIconStartup());

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ExitProcess(0);
}
