// Dispatcher, message boxes, the save dialog and the wait window on Win32.
#include "ui/win32/win32_ports.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/page_builder.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {
constexpr UINT kRunStep = WM_APP + 1;
constexpr UINT kRunPosted = WM_APP + 2;
// While posted steps keep coming, the main thread takes them on this timer
// (about 60 times a second) instead of one wake-up message each.
constexpr UINT_PTR kPostedTimer = 1;
constexpr UINT kPostedIntervalMs = 16;
const wchar_t kDispatchClass[] = L"VantorelDispatch";
const wchar_t kWaitClass[] = L"VantorelWait";
constexpr UINT_PTR kAnimTimer = 1;
}  // namespace

Win32Dispatcher::Win32Dispatcher(HINSTANCE instance) : mainThread_(GetCurrentThreadId()) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = kDispatchClass;
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, kDispatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Dispatcher::~Win32Dispatcher() {
  if (window_) DestroyWindow(window_);
}

void Win32Dispatcher::Call(const std::function<void()>& step) {
  if (GetCurrentThreadId() == mainThread_) {
    step();
    return;
  }
  // SendMessage blocks the worker until the main thread ran the step; the
  // main thread takes it from any message loop, modal ones included.
  SendMessageW(window_, kRunStep, 0, reinterpret_cast<LPARAM>(&step));
}

void Win32Dispatcher::Post(const void* key, std::function<void()> step) {
  if (GetCurrentThreadId() == mainThread_) {
    posted_.Run();
    step();
    return;
  }
  // At most one wake-up is pending; later steps wait in the store for it or the timer.
  if (posted_.Put(key, std::move(step))) PostMessageW(window_, kRunPosted, 0, 0);
}

LRESULT CALLBACK Win32Dispatcher::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Dispatcher*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  // A step's error goes to the program's error handler; never unwind into Windows.
  if (msg == kRunStep) {
    try {
      // Steps posted before this call come first.
      if (self) self->posted_.Run();
      const auto& step = *reinterpret_cast<const std::function<void()>*>(lp);
      if (self) {
        self->RunStep(step);
      } else {
        step();
      }
    } catch (...) {
    }
    return 0;
  }
  if (msg == kRunPosted && self) {
    try {
      self->posted_.Run();
    } catch (...) {
    }
    SetTimer(h, kPostedTimer, kPostedIntervalMs, nullptr);
    return 0;
  }
  if (msg == WM_TIMER && wp == kPostedTimer && self) {
    int ran = 0;
    try {
      ran = self->posted_.RunOrRelease();
    } catch (...) {
      ran = 1;
    }
    // Nothing came since the last tick: the next post wakes the thread again.
    if (ran == 0) KillTimer(h, kPostedTimer);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

MsgAnswer Win32Ports::ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                                  MsgIcon icon) {
  UINT flags = MB_TASKMODAL;
  switch (buttons) {
    case MsgButtons::Ok: flags |= MB_OK; break;
    case MsgButtons::OkCancel: flags |= MB_OKCANCEL; break;
    case MsgButtons::YesNo: flags |= MB_YESNO; break;
  }
  switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MsgIcon::Warning: flags |= MB_ICONWARNING; break;
    case MsgIcon::Error: flags |= MB_ICONERROR; break;
    case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
  }
  HWND owner = main_ && IsWindowVisible(main_) ? main_ : nullptr;
  int r = MessageBoxW(owner, W(text).c_str(), W(caption).c_str(), flags);
  switch (r) {
    case IDYES: return MsgAnswer::Yes;
    case IDNO: return MsgAnswer::No;
    case IDCANCEL: return MsgAnswer::Cancel;
    default: return MsgAnswer::Ok;
  }
}

std::string Win32Ports::SaveFileDialog(const std::string& defaultName, const std::string& defaultExt,
                                       const std::string& filter) {
  // "Html File|*.html" becomes the dialog's NUL-separated, double-NUL-ended list.
  std::wstring filterList = W(filter);
  for (wchar_t& c : filterList)
    if (c == L'|') c = L'\0';
  filterList.append(2, L'\0');
  std::wstring ext = W(defaultExt);
  if (!ext.empty() && ext[0] == L'.') ext.erase(0, 1);
  // Room for long paths; the preset name is cut to fit.
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring preset = W(defaultName).substr(0, file.size() - 1);
  std::copy(preset.begin(), preset.end(), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = main_ && IsWindowVisible(main_) ? main_ : nullptr;
  ofn.lpstrFilter = filterList.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  // The program's own folder stays its current folder whatever the user browses to.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
  if (!GetSaveFileNameW(&ofn)) return "";
  return U(file.data());
}

void Win32Ports::ShowWaitModal() {
  if (waitOpen_) return;
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WaitProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_WAIT);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWaitClass;
    RegisterClassExW(&wc);
    registered = true;
  }
  RECT owner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (main_ && IsWindowVisible(main_)) GetWindowRect(main_, &owner);
  const int w = 298, h = 60;
  int x = owner.left + (owner.right - owner.left - w) / 2, y = owner.top + (owner.bottom - owner.top - h) / 2;
  waitOpen_ = true;
  wait_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kWaitClass, L"Please wait", WS_POPUP | WS_BORDER,
                          x, y, w, h, main_, nullptr, instance_, nullptr);
  ShowWindow(wait_, SW_SHOWNORMAL);
  UpdateWindow(wait_);
  if (main_) EnableWindow(main_, FALSE);
  // A worker's step that closes the window arrives as a sent message, and the
  // step may run message boxes of its own that eat any wake-up posted to this
  // loop; so the loop never blocks in GetMessage but looks at waitOpen_ after
  // every message and at least every 100 ms.
  MSG msg;
  while (waitOpen_) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (waitOpen_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave the outer loop too
        waitOpen_ = false;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  CloseWait();
}

void Win32Ports::CloseWait() {
  waitOpen_ = false;
  if (main_) EnableWindow(main_, TRUE);
  if (wait_) {
    DestroyWindow(wait_);
    wait_ = nullptr;
  }
}

LRESULT CALLBACK Win32Ports::WaitProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      SetTimer(h, kAnimTimer, 40, nullptr);
      return 0;
    case WM_TIMER:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bmp = CreateCompatibleBitmap(dc, r.right, r.bottom);
      HGDIOBJ old = SelectObject(mem, bmp);
      FillRect(mem, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      SetBkMode(mem, TRANSPARENT);
      SetTextColor(mem, Rgb(ui::style::kText));
      HGDIOBJ of = SelectObject(mem, FontFor(ui::FontStyle::Bold));
      RECT text{0, 8, r.right, 30};
      DrawTextW(mem, L"Please wait...", -1, &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
      SelectObject(mem, of);
      // An indeterminate bar sliding along the track.
      RECT track{24, 38, r.right - 24, 44};
      HBRUSH tb = CreateSolidBrush(RGB(0xE4, 0xE9, 0xF0));
      FillRect(mem, &track, tb);
      DeleteObject(tb);
      int span = track.right - track.left, seg = span / 3;
      int pos = static_cast<int>((GetTickCount() / 6) % (span + seg)) - seg;
      RECT bar{track.left + std::max(0, pos), track.top, track.left + std::min(span, pos + seg), track.bottom};
      HBRUSH ab = CreateSolidBrush(Rgb(ui::style::kAccent));
      if (bar.right > bar.left) FillRect(mem, &bar, ab);
      DeleteObject(ab);
      BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteObject(bmp);
      DeleteDC(mem);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(h, kAnimTimer);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void Win32Ports::HideMainWindow() {
  if (main_) ShowWindow(main_, SW_HIDE);
}

void Win32Ports::ShowMainWindow() {
  if (!main_) return;
  if (IsIconic(main_)) ShowWindow(main_, SW_RESTORE);
  ShowWindow(main_, SW_SHOW);
  SetForegroundWindow(main_);
}

void Win32Ports::CloseMainWindow() {
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
}

}  // namespace vl::win
