#include "ui/win32/top_window.h"

#include <shellapi.h>

namespace vl::win {

void TrayIcon::Add(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip) {
  owner_ = owner;
  callback_ = callbackMessage;
  icon_ = icon;
  tip_ = tip;
  if (!taskbarCreated_) taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  Notify(NIM_ADD);
}

void TrayIcon::Remove() {
  if (owner_) Notify(NIM_DELETE);
  owner_ = nullptr;
}

bool TrayIcon::Restore(UINT msg) {
  if (!taskbarCreated_ || msg != taskbarCreated_) return false;
  if (owner_) Notify(NIM_ADD);
  return true;
}

bool TrayIcon::Notify(DWORD what) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = owner_;
  nid.uID = 1;
  if (what == NIM_ADD) {
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = callback_;
    nid.hIcon = icon_;
    lstrcpynW(nid.szTip, tip_.c_str(), ARRAYSIZE(nid.szTip));
  }
  return Shell_NotifyIconW(what, &nid) != FALSE;
}

}  // namespace vl::win
