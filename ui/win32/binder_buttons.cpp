// The binder's buttons: owner-drawn image buttons, check boxes and radios.
#include "ui/win32/binder.h"

#include "ui/win32/pictures.h"

namespace vl::win {

void Binder::ButtonSpec(const ui::Control& c, WindowSpec* spec) {
  spec->cls = L"BUTTON";
  switch (c.kind) {
    case ui::Kind::ImageButton: spec->style = BS_OWNERDRAW | WS_TABSTOP; break;
    case ui::Kind::CheckBox: spec->style = BS_AUTOCHECKBOX | WS_TABSTOP; break;
    // The model unchecks the others of a group: the button must not do it by itself.
    case ui::Kind::Radio: spec->style = BS_RADIOBUTTON | WS_TABSTOP; break;
    default: break;
  }
}

void Binder::SetUpButton(ui::Control& c, HWND h) {
  if (c.kind == ui::Kind::CheckBox || c.kind == ui::Kind::Radio)
    SendMessageW(h, BM_SETCHECK, c.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Binder::SyncButton(ui::Control& c, HWND h, int what) {
  if (what & ui::kChangeChecked) SendMessageW(h, BM_SETCHECK, c.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Binder::ButtonCommand(ui::Control& c, HWND h, WORD code) {
  if (code != BN_CLICKED) return false;
  if (c.kind == ui::Kind::CheckBox) c.SetChecked(SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
  if (c.kind == ui::Kind::Radio) c.SetChecked(true);
  if (c.onClick) guard_(c.onClick);
  return true;
}

void Binder::DrawButton(ui::Control& c, DRAWITEMSTRUCT* di) {
  ButtonLook look;
  look.hovered = c.hovered();
  look.pressed = (di->itemState & ODS_SELECTED) != 0;
  look.highlighted = c.highlighted();
  look.enabled = IsWindowEnabled(di->hwndItem) && IsWindowEnabled(GetParent(di->hwndItem));
  DrawImageButton(di->hDC, di->rcItem, c, look);
}

bool Binder::ButtonMessage(ui::Control& c, UINT msg, LRESULT* result) {
  switch (msg) {
    case BM_GETCHECK:
    case BM_GETSTATE:
      // Image buttons report the navigation highlight as their checked state,
      // so that tools and screen readers can see the current page.
      *result = c.highlighted() ? BST_CHECKED : BST_UNCHECKED;
      return true;
  }
  return false;
}

}  // namespace vl::win
