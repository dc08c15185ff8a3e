// The main window's frame, tray icon and lifecycle on Win32.
#include "programs/vantorel/main_window.h"

#include "programs/vantorel/resource_ids.h"
#include "sysaccess/processes.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {
const wchar_t kMainClass[] = L"VantorelMainWindow";
constexpr UINT kTrayMessage = WM_APP + 2;
constexpr UINT kFirstShow = WM_APP + 3;
enum MenuId : UINT { kMenuShow = 1, kMenuUpdate = 2, kMenuExit = 3 };
}  // namespace

MainWindow::MainWindow(HINSTANCE instance, MainForm& main, Win32Ports& ports)
    : instance_(instance), main_(main), ports_(ports) {}

void MainWindow::Create(bool hidden) {
  Binder::RegisterClasses(instance_);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ObjectWindowProc<MainWindow>;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_VANTOREL));
  wc.hIconSm = wc.hIcon;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kMainClass;
  RegisterClassExW(&wc);

  const int w = MainForm::kWidth, h = MainForm::kHeight;
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kMainClass, W(main_.form().title()).c_str(),
                          WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, x, y, w, h, nullptr,
                          nullptr, instance_, this);
  // Rounded corners: ellipses of 20 by 20 pixels.
  SetWindowRgn(hwnd_, CreateRoundRectRgn(0, 0, w + 1, h + 1, 20, 20), TRUE);
  ports_.SetMainWindow(hwnd_);

  binder_ = std::make_unique<Binder>(main_.form(), [this](const std::function<void()>& f) { main_.Guard(f); });
  binder_->onHover = [this](ui::Control& c, bool inside) {
    if (inside)
      main_.MouseEnter(c);
    else
      main_.MouseLeave(c);
  };
  binder_->Build(hwnd_, MainForm::kPageTop, MainForm::kPageHeight);

  tray_.Add(hwnd_, kTrayMessage, LoadIconW(instance_, MAKEINTRESOURCEW(IDI_VANTOREL)), L"Vantorel");
  if (!hidden) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
  }
}

void MainWindow::TrayMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuShow, L"Vantorel");
  AppendMenuW(menu, MF_STRING, kMenuUpdate, L"Update Online");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kMenuExit, L"Exit");
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (tray_.Restore(msg)) return 0;
  switch (msg) {
    case WM_SHOWWINDOW:
      // The start-up sequence runs once the window is on screen.
      if (wp) PostMessageW(hwnd_, kFirstShow, 0, 0);
      break;
    case kFirstShow:
      main_.FormShow();
      return 0;
    case kTrayMessage:
      if (lp == WM_LBUTTONDBLCLK) main_.Kestrune1Click();
      if (lp == WM_RBUTTONUP || lp == WM_CONTEXTMENU) TrayMenu();
      return 0;
    case WM_COMMAND:
      if (lp == 0) {
        switch (LOWORD(wp)) {
          case kMenuShow: main_.Kestrune1Click(); return 0;
          case kMenuUpdate:
            // The updater beside the program, shown normally.
            main_.platform().processes->StartProgram(main_.appDir() + "Update.exe", {}, sys::StartOptions{});
            return 0;
          case kMenuExit: main_.imgCloseClick(); return 0;
        }
      }
      break;
    case WM_CLOSE:
      if (main_.FormCloseQuery()) DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      return main_.FormCloseQuery();
    case WM_DESTROY:
      tray_.Remove();
      PostQuitMessage(0);
      return 0;
  }
  LRESULT result = 0;
  if (binder_ && binder_->Route(hwnd_, msg, wp, lp, &result)) return result;
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace vl::win
