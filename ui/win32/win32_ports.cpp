// Dispatcher, message boxes, the save dialog and the wait window on Win32.
#include "ui/win32/win32_ports.h"

#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "ui/page_builder.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {

// A window class with a white background, registered once per process.
bool RegisterWhiteClass(HINSTANCE instance, WNDPROC proc, LPCWSTR cursor, const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, cursor);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
  return true;
}
constexpr UINT kRunStep = WM_APP + 1;
constexpr UINT kRunPosted = WM_APP + 2;
// While posted steps keep coming, the main thread takes them on this timer
// (about 60 times a second) instead of one wake-up message each.
constexpr UINT_PTR kPostedTimer = 1;
constexpr UINT kPostedIntervalMs = 16;
const wchar_t kDispatchClass[] = L"VantorelDispatch";
const wchar_t kWaitClass[] = L"VantorelWait";
const wchar_t kDialogClass[] = L"VantorelDialog";

// What a modal form's window needs to reach: its model and its binder.
struct DialogData {
  ui::Form* form;
  Binder* binder;
};
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

Win32Ports::Win32Ports(HINSTANCE instance) : instance_(instance) {
  guard_ = [this](const std::function<void()>& f) {
    // Never let an error unwind into Windows.
    try {
      f();
    } catch (const std::exception& e) {
      ShowMessage(e.what(), "Error", MsgButtons::Ok, MsgIcon::Error);
    } catch (...) {
      ShowMessage("Unexpected error", "Error", MsgButtons::Ok, MsgIcon::Error);
    }
  };
}

MsgAnswer Win32Ports::ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                                  MsgIcon icon) {
  UINT flags = MB_TASKMODAL;
  switch (buttons) {
    case MsgButtons::Ok: flags |= MB_OK; break;
    case MsgButtons::OkCancel: flags |= MB_OKCANCEL; break;
    case MsgButtons::YesNo: flags |= MB_YESNO; break;
    case MsgButtons::YesNoDefaultNo: flags |= MB_YESNO | MB_DEFBUTTON2; break;
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
  static const bool registered = RegisterWhiteClass(instance_, WaitProc, IDC_WAIT, kWaitClass);
  (void)registered;
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

int Win32Ports::ShowModalForm(ui::Form& form) {
  // A form is on screen once at a time: a second show while it runs is refused.
  if (form.modalRunning()) return ui::kModalCancel;
  static const bool registered = [this] {
    Binder::RegisterClasses(instance_);
    return RegisterWhiteClass(instance_, DialogProc, IDC_ARROW, kDialogClass);
  }();
  (void)registered;
  HWND owner = main_ && IsWindowVisible(main_) ? main_ : nullptr;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, form.width(), form.height()};
  AdjustWindowRectEx(&frame, style, FALSE, ex);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  // Centred on the owner, or on the screen's work area without one.
  RECT around;
  if (owner) {
    GetWindowRect(owner, &around);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  }
  int x = around.left + (around.right - around.left - w) / 2, y = around.top + (around.bottom - around.top - h) / 2;

  DialogData data{&form, nullptr};
  HWND dialog = CreateWindowExW(ex, kDialogClass, W(form.title()).c_str(), style, x, y, w, h, owner, nullptr,
                                instance_, &data);
  if (!dialog) return ui::kModalCancel;
  Binder binder(form, guard_);
  binder.Build(dialog, 0, 0);
  data.binder = &binder;
  form.BeginModal();
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOWNORMAL);
  UpdateWindow(dialog);
  if (HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE)) SetFocus(first);

  // The same loop as the wait window's: sent main-thread steps run, and the
  // form's end is seen after every message.
  MSG msg;
  while (form.modalRunning()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (form.modalRunning() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave the outer loop too
        form.EndModal(ui::kModalCancel);
        break;
      }
      const bool inside = msg.hwnd == dialog || IsChild(dialog, msg.hwnd);
      if (inside && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        form.EndModal(ui::kModalCancel);
        break;
      }
      if (inside && msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), back)) SetFocus(next);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Ended as dialogs end: the owner enabled first, the dialog hidden, then
  // the owner activated, so the activation never wanders to another program.
  if (owner) EnableWindow(owner, TRUE);
  if (IsChild(dialog, GetFocus())) SetFocus(dialog);
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  if (owner && GetActiveWindow() == dialog) SetForegroundWindow(owner);
  data.binder = nullptr;
  DestroyWindow(dialog);
  return form.modalResult();
}

LRESULT CALLBACK Win32Ports::DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* data = reinterpret_cast<DialogData*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    data = static_cast<DialogData*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
  }
  if (!data) return DefWindowProcW(h, msg, wp, lp);
  if (msg == WM_CLOSE) {
    // The close box is Esc: the loop ends the window.
    data->form->EndModal(ui::kModalCancel);
    return 0;
  }
  LRESULT result = 0;
  if (data->binder && data->binder->Route(h, msg, wp, lp, &result)) return result;
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
