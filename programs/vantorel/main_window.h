// Vantorel's top-level window: borderless with rounded corners, the tray
// icon and its menu, and closing through FormCloseQuery.
#pragma once
#include <windows.h>

#include <memory>

#include "app/main_form.h"
#include "ui/win32/binder.h"
#include "ui/win32/win32_ports.h"

namespace vl::win {

class MainWindow {
 public:
  MainWindow(HINSTANCE instance, MainForm& main, Win32Ports& ports);
  // Creates the window and the tray icon; shows the window unless `hidden`.
  void Create(bool hidden);
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void AddTrayIcon();
  void TrayMenu();

  HINSTANCE instance_;
  MainForm& main_;
  Win32Ports& ports_;
  std::unique_ptr<Binder> binder_;
  HWND hwnd_ = nullptr;
  UINT taskbarCreated_ = 0;
};

}  // namespace vl::win
