// Base of the GUI test suites: one running Vantorel.exe per suite, started
// from a fresh application folder inside the Wine prefix and closed at the end.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/gui/gui_driver.h"

namespace vl::gui {

class GuiTestApp : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  HWND Control(int id) { return FindById(main_, id); }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  // Waits until the tab sheet of that name is the one shown.
  bool SheetShown(const wchar_t* sheet, int timeoutMs = 30000);
  void Shot(const wchar_t* name);
  std::string Narrow(const std::wstring& w);

  static inline std::wstring folder_, exe_;
  static inline Process process_;
  static inline HWND main_ = nullptr;
};

}  // namespace vl::gui
