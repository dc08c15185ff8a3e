// The updater's top-level window (class TfrmUpdate): the frame, the tray
// icon, the message pump the downloads run inside, and the window model of
// update/updater_form.h bound to real controls.
#pragma once
#include <windows.h>

#include <memory>

#include "sysaccess/platform.h"
#include "ui/win32/binder.h"
#include "ui/win32/top_window.h"
#include "ui/win32/win32_ports.h"
#include "update/updater_form.h"

namespace vl::win {

class UpdateWindow {
 public:
  UpdateWindow(HINSTANCE instance, const sys::Platform& platform, Win32Ports& ports);
  // Creates the window hidden, with its tray icon, and queues the first run
  // of the update sequence.
  void Create();
  HWND hwnd() const { return hwnd_; }

 private:
  friend LRESULT CALLBACK ObjectWindowProc<UpdateWindow>(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND h) { hwnd_ = h; }
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void ShowFromTray();
  void ProcessMessages();
  void Guard(const std::function<void()>& f);

  HINSTANCE instance_;
  Win32Ports& ports_;
  update::UpdaterForm form_;
  std::unique_ptr<Binder> binder_;
  HWND hwnd_ = nullptr;
  TrayIcon tray_;
};

}  // namespace vl::win
