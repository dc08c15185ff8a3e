// Base of the GUI test suites: one running Vantorel.exe per suite, started
// from a fresh application folder inside the Wine prefix and closed at the end.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/gui/gui_driver.h"

namespace vl::gui {

class GuiTestApp : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // Suites may choose their own application folder, and whether the first
  // start takes its automatic full backup (off by default: it takes time).
  static inline std::wstring folderName_ = L"C:\\vltest_gui\\";
  static inline bool firstFullBackup_ = false;

  HWND Control(int id) { return FindById(main_, id); }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  // Waits until the tab sheet of that name is the one shown.
  bool SheetShown(const wchar_t* sheet, int timeoutMs = 30000);
  void Shot(const wchar_t* name);
  std::string Narrow(const std::wstring& w);
  // Sets list item state bits as the keyboard or mouse would, in the list's process.
  bool SetItemState(HWND list, int row, UINT mask, UINT state);
  bool SelectRow(HWND list, int row) {
    return SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  bool SetChecked(HWND list, int row, bool on) {
    return SetItemState(list, row, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(on ? 2 : 1));
  }
  // Waits for the program's message box, reads its text and presses `button`.
  bool Answer(int button, std::wstring* text, int timeoutMs = 60000);
  bool WaitWindowGone(int timeoutMs);
  // A visible top-level window of the program of that class whose title is
  // `title` (any title when empty).
  HWND VisibleDialog(const wchar_t* cls, const std::wstring& title = {});
  // Answers the program's save dialog: gives its suggested file name, then
  // types `path` and presses Save; true once the dialog is gone.
  bool SaveAs(const std::wstring& path, std::wstring* suggested);

  static inline std::wstring folder_, exe_;
  static inline Process process_;
  static inline HWND main_ = nullptr;
};

}  // namespace vl::gui
