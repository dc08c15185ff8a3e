// TfrmUpdate on Win32.
#include "programs/update/update_window.h"


#include "programs/update/update_resource_ids.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {
const wchar_t kClass[] = L"TfrmUpdate";
constexpr UINT kTrayMessage = WM_APP + 2;
constexpr UINT kAutoRun = WM_APP + 3;
constexpr UINT kCloseNow = WM_APP + 4;
constexpr int kWidth = 448, kHeight = 279;
}  // namespace

UpdateWindow::UpdateWindow(HINSTANCE instance, const sys::Platform& platform, Win32Ports& ports)
    : instance_(instance),
      ports_(ports),
      form_(platform, ports, [this] { ProcessMessages(); },
            // Posted: the sequence that asks for the close is still on the stack.
            [this] { PostMessageW(hwnd_, kCloseNow, 0, 0); }) {}

void UpdateWindow::Guard(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ports_.ShowMessage(e.what(), "Vantorel", MsgButtons::Ok, MsgIcon::Error);
  }
}

void UpdateWindow::Create() {
  Binder::RegisterClasses(instance_);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ObjectWindowProc<UpdateWindow>;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_UPDATE));
  wc.hIconSm = wc.hIcon;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc);

  // A system menu and a minimize button; no maximize, no resizing.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClass, W(form_.form().title()).c_str(), style, x, y, kWidth,
                          kHeight, nullptr, nullptr, instance_, this);
  ports_.SetMainWindow(hwnd_);
  binder_ = std::make_unique<Binder>(form_.form(), [this](const std::function<void()>& f) { Guard(f); });
  binder_->Build(hwnd_, 0, 0);

  tray_.Add(hwnd_, kTrayMessage, LoadIconW(instance_, MAKEINTRESOURCEW(IDI_UPDATE)), L"Update");
  // Started hidden: only the tray icon shows; the sequence runs once as if
  // Update had been clicked.
  PostMessageW(hwnd_, kAutoRun, 0, 0);
}

void UpdateWindow::ShowFromTray() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void UpdateWindow::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the main loop, which ends the program.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT UpdateWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (tray_.Restore(msg)) return 0;
  switch (msg) {
    case kTrayMessage:
      if (lp == WM_LBUTTONDBLCLK) ShowFromTray();
      return 0;
    case kAutoRun:
      Guard([this] { form_.sbtnUpdateClick(); });
      return 0;
    case kCloseNow:
      DestroyWindow(hwnd_);
      return 0;
    case WM_SYSCOMMAND:
      // Minimizing hides the window to the tray.
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
      }
      break;
    case WM_CLOSE: {
      bool close = true;
      Guard([&] { close = form_.FormCloseQuery(); });
      if (close) DestroyWindow(hwnd_);
      return 0;
    }
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
