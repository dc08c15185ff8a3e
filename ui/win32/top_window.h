// What the programs' top-level windows share: the window procedure that
// hands messages to the window's object, and the tray icon.
#pragma once
#include <windows.h>

#include <string>

namespace vl::win {

// The window procedure of a class T whose object is the lpParam of
// CreateWindowEx: from WM_NCCREATE on, messages go to T::Handle, after
// T::Attach(hwnd) was told the window's handle.
template <typename T>
LRESULT CALLBACK ObjectWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->Attach(h);
  }
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

// A window's icon in the notification area.
class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  // Its events arrive at `owner` as `callbackMessage` (lParam: the mouse message).
  void Add(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip);
  void Remove();
  // A restarted taskbar forgets every icon and says so with this message:
  // true when `msg` is it, and the icon is then shown again.
  bool Restore(UINT msg);

 private:
  bool Notify(DWORD what);
  UINT callback_ = 0;
  UINT taskbarCreated_ = 0;
  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  std::wstring tip_;
};

}  // namespace vl::win
