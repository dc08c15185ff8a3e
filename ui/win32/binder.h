// The Win32 binder: the only code that creates child windows. It makes a
// real window for every control of a window model (with its stable control
// ID and its text as accessible name), keeps it in step with the model and
// routes notifications to the model's handlers.
//
// binder.cpp holds the core (building, routing, the container windows);
// each kind of control has its own file: binder_buttons.cpp,
// binder_lists.cpp, binder_progress.cpp, binder_tree.cpp, binder_edit.cpp.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ui_model.h"

namespace vl::win {

class Binder : public ui::FormObserver {
 public:
  using Guard = std::function<void(const std::function<void()>&)>;
  // `guard` runs every handler (errors become message boxes).
  Binder(ui::Form& form, Guard guard);
  ~Binder() override;

  // Creates the sheet containers (below `sheetTop`, `sheetHeight` high) and all
  // controls inside `parent`.
  void Build(HWND parent, int sheetTop, int sheetHeight);
  // Handles notifications that reach `parent` or a container; true when handled.
  bool Route(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  HWND WindowOf(int controlId) const;
  // Called when a control's HWND sees the mouse enter or leave it.
  std::function<void(ui::Control&, bool inside)> onHover;

  // FormObserver
  void ControlChanged(ui::Control& c, int what) override;
  void SheetShown(int sheet) override;
  void NodeChanged(ui::Control& tree, ui::NodeKey node) override;

  static void RegisterClasses(HINSTANCE instance);

 private:
  // Window class and styles of a control's window.
  struct WindowSpec {
    const wchar_t* cls = L"STATIC";
    DWORD style = 0;
    DWORD ex = 0;
  };

  HWND CreateControl(ui::Control& c, HWND parent, int offsetY);
  void Sync(ui::Control& c, HWND h, int what);
  ui::Control* ControlOf(HWND h) const;
  static LRESULT CALLBACK ContainerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  HBRUSH BrushFor(ui::Color c);
  void DrawPictureLabel(ui::Control& c, DRAWITEMSTRUCT* di);

  // binder_buttons.cpp: image buttons, check boxes, radios.
  static void ButtonSpec(const ui::Control& c, WindowSpec* spec);
  void SetUpButton(ui::Control& c, HWND h);
  void SyncButton(ui::Control& c, HWND h, int what);
  bool ButtonCommand(ui::Control& c, HWND h, WORD code);
  void DrawButton(ui::Control& c, DRAWITEMSTRUCT* di);
  static bool ButtonMessage(ui::Control& c, UINT msg, LRESULT* result);

  // binder_lists.cpp: report lists, large-icon lists, check lists.
  static void ListSpec(const ui::Control& c, WindowSpec* spec);
  void SetUpList(ui::Control& c, HWND h);
  void SyncList(ui::Control& c, HWND h, int what);
  bool ListNotify(ui::Control& c, NMHDR* hdr, LRESULT* result);
  LRESULT CustomDraw(ui::Control& c, NMLVCUSTOMDRAW* cd);
  void ListDispInfo(ui::Control& c, NMLVDISPINFOW* di);

  // binder_progress.cpp: progress bars.
  static void ProgressSpec(const ui::Control& c, WindowSpec* spec);
  void SetUpProgress(ui::Control& c, HWND h);
  void SyncProgress(ui::Control& c, HWND h, int what);

  // binder_tree.cpp: trees with check boxes.
  struct TreeState {
    std::map<HTREEITEM, ui::NodeKey> keys;
    std::map<ui::NodeKey, HTREEITEM> items;
    bool syncing = false;    // our own TVM_SETITEM, not a user's
    bool swallowUp = false;  // the button-up of a check box click
  };
  static void TreeSpec(const ui::Control& c, WindowSpec* spec);
  void SetUpTree(ui::Control& c, HWND h);
  void SyncTree(ui::Control& c, HWND h, int what);
  void PullTree(ui::Control& c, HWND h);
  void AddNodes(ui::Control& c, HWND h, HTREEITEM parent, ui::NodeKey key, int depth);
  void ShowNodeCheck(HWND h, HTREEITEM item, bool on);
  void ShowTreeChecks(ui::Control& c, HWND h);
  void ExpandTree(HWND h);
  bool NodeChecked(ui::Control& c, HWND h, HTREEITEM item);
  void UserChecks(ui::Control& c, HWND h, HTREEITEM item, bool on);
  bool TreeMessage(ui::Control& c, HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  // binder_edit.cpp: edit fields.
  static void EditSpec(const ui::Control& c, WindowSpec* spec);
  void SetUpEdit(ui::Control& c, HWND h);
  void SyncEdit(ui::Control& c, HWND h, int what);
  bool EditCommand(ui::Control& c, HWND h, WORD code);

  ui::Form& form_;
  Guard guard_;
  HWND parent_ = nullptr;
  std::map<int, HWND> sheets_;
  std::map<int, HWND> windows_;
  std::map<HWND, ui::Control*> controls_;
  std::map<ui::Color, HBRUSH> brushes_;
  std::wstring dispText_;
  // The list row being painted: only its painting gets shortened texts,
  // LVM_GETITEMTEXT (tests, screen readers) the whole ones.
  HWND paintingList_ = nullptr;
  int paintingRow_ = -1;
  HIMAGELIST checkImages_ = nullptr;
  std::vector<HIMAGELIST> rowImages_;  // lists with a row picture, one each
  bool listSyncing_ = false;           // our own selection change, not a user's
  void ReadSelection(ui::Control& c, HWND h);
  std::map<HWND, TreeState> trees_;
  DWORD lastPaint_ = 0;
  // Radio groups: WS_GROUP where a group starts and where one ends.
  bool lastWasRadio_ = false;
  int lastGroup_ = 0;
};

}  // namespace vl::win
