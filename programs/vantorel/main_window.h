// Vantorel's top-level window: borderless with rounded corners, the tray
// icon and its menu, and closing through FormCloseQuery.
#pragma once
#include <windows.h>

#include <memory>

#include "app/main_form.h"
#include "ui/win32/binder.h"
#include "ui/win32/top_window.h"
#include "ui/win32/win32_ports.h"

namespace vl::win {

class MainWindow {
 public:
  MainWindow(HINSTANCE instance, MainForm& main, Win32Ports& ports);
  // Creates the window and the tray icon; shows the window unless `hidden`.
  void Create(bool hidden);
  HWND hwnd() const { return hwnd_; }

 private:
  friend LRESULT CALLBACK ObjectWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND h) { hwnd_ = h; }
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void TrayMenu();

  HINSTANCE instance_;
  MainForm& main_;
  Win32Ports& ports_;
  std::unique_ptr<Binder> binder_;
  HWND hwnd_ = nullptr;
  TrayIcon tray_;
};

}  // namespace vl::win
