// Drives a running Vantorel.exe from another process, as automation or a
// screen reader would: finds windows, reads texts, clicks with BM_CLICK and
// saves screenshots. Every wait polls a condition with a generous time-out.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace vl::gui {

// Polls `done` every 50 ms until it holds or `timeoutMs` passed.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000);

// A child window anywhere below `top` with the control ID `id`.
HWND FindById(HWND top, int id);
// A child window anywhere below `top` with this window text.
HWND FindByText(HWND top, const std::wstring& text);
std::wstring TextOf(HWND h);

// Top-level windows of a class (visible or not) owned by `pid` (0 = any).
std::vector<HWND> TopWindows(const std::wstring& cls, DWORD pid = 0);

struct Process {
  HANDLE handle = nullptr;
  DWORD pid = 0;
};
Process Start(const std::wstring& exe);
// Exit code, or -1 when it did not end in time.
long WaitExit(const Process& p, int timeoutMs);

// Rows of a list view of another process, and the text of one cell.
int ListRowCount(HWND list);
std::wstring ListCellText(HWND list, int row, int col);

// The first window of class `cls` anywhere below `top`.
HWND FindChildOfClass(HWND top, const std::wstring& cls);
// Text of the selected item of a tree view of another process.
std::wstring TreeSelectionText(HWND tree);

// Captures the window's screen area into a 24-bit BMP file.
bool SaveScreenshot(HWND h, const std::wstring& bmpPath);
// The folder of the running test executable, and the one screenshots go to
// (VL_SHOTS, or C:\vlshots), both ending in a backslash.
std::wstring OwnFolder();
// Whole files, as bytes.
bool WriteFileText(const std::wstring& path, const std::string& bytes);
std::string ReadFileText(const std::wstring& path);
std::wstring ShotsFolder();

// Calls into list and tree views of another process: the structures they
// fill must live in that process, so these copy them there and back.
bool SetListItemState(HWND list, int row, UINT mask, UINT state);
// The row's rectangle, or a part of it (LVIR_ICON, LVIR_LABEL ...).
bool ListItemRect(HWND list, int row, RECT* r, int part = LVIR_BOUNDS);
// A mouse click on a row: on its picture (the check image of lists with
// check boxes) or anywhere on it.
bool ClickListRow(HWND list, int row, bool onImage);
// The picture index a row shows (check lists with pictures: 0 off, 1 on), -1 on failure.
int ListItemImage(HWND list, int row);
// The item's rectangle; with `textOnly` just its text's.
bool TreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* r);
std::wstring TreeItemText(HWND tree, HTREEITEM item);
bool SetTreeItemState(HWND tree, HTREEITEM item, UINT mask, UINT state);
// Tree items by their place: the `index`-th child of `parent` (null: the top level).
HTREEITEM TreeChild(HWND tree, HTREEITEM parent, int index);
// The check box's state image: 1 unchecked, 2 checked.
int TreeStateImage(HWND tree, HTREEITEM item);
// A mouse click on the item's check box, left of its picture and text.
bool ClickTreeCheckBox(HWND tree, HTREEITEM item);

}  // namespace vl::gui
