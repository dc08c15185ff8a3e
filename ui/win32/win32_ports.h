// Win32 implementations of the window's ports: the main-thread dispatcher
// (a message-only window), message boxes, the save dialog, the modal wait
// window, modal forms and the main window's show/hide/close.
#pragma once
#include <windows.h>

#include <functional>
#include <thread>

#include "ui/dispatcher.h"
#include "ui/ports.h"
#include "ui/win32/binder.h"

namespace vl::win {

class Win32Dispatcher : public Dispatcher {
 public:
  explicit Win32Dispatcher(HINSTANCE instance);
  ~Win32Dispatcher() override;
  void Call(const std::function<void()>& step) override;
  void Post(const void* key, std::function<void()> step) override;

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  HWND window_ = nullptr;
  DWORD mainThread_;
  PostedSteps posted_{*this};
};

class Win32Ports : public UiPorts {
 public:
  explicit Win32Ports(HINSTANCE instance);
  void SetMainWindow(HWND main) { main_ = main; }
  // Runs the handlers of modal forms (errors become message boxes); by
  // default an error's text is shown in a plain message box.
  void SetGuard(Binder::Guard guard) { guard_ = std::move(guard); }
  // Called when the main window is shown for the first time (start-up sequence).
  std::function<void()> onFirstShow;

  MsgAnswer ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                        MsgIcon icon) override;
  std::string SaveFileDialog(const std::string& defaultName, const std::string& defaultExt,
                             const std::string& filter) override;
  void ShowWaitModal() override;
  void CloseWait() override;
  int ShowModalForm(ui::Form& form) override;
  void HideMainWindow() override;
  void ShowMainWindow() override;
  void CloseMainWindow() override;

 private:
  static LRESULT CALLBACK WaitProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  HINSTANCE instance_;
  Binder::Guard guard_;
  HWND main_ = nullptr;
  HWND wait_ = nullptr;
  bool waitOpen_ = false;
};

}  // namespace vl::win
