// The binder's edit fields: the text goes both ways. Typing (or WM_SETTEXT
// from another program) reaches the model through EN_CHANGE; the model's text
// reaches the window only when it differs, so neither side echoes the other
// and the caret stays where the user left it.
#include "ui/win32/binder.h"

#include "ui/win32/win_util.h"

namespace vl::win {

namespace {

std::wstring WindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace

void Binder::EditSpec(const ui::Control& c, WindowSpec* spec) {
  spec->cls = L"EDIT";
  spec->style = ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER | (c.readOnly ? ES_READONLY : 0);
}

void Binder::SetUpEdit(ui::Control& c, HWND h) {
  if (c.maxLength > 0) SendMessageW(h, EM_SETLIMITTEXT, c.maxLength, 0);
  SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(6, 6));
}

void Binder::SyncEdit(ui::Control& c, HWND h, int what) {
  if (!(what & ui::kChangeText)) return;
  std::wstring want = W(c.text());
  if (WindowText(h) != want) SetWindowTextW(h, want.c_str());
}

bool Binder::EditCommand(ui::Control& c, HWND h, WORD code) {
  if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
    // The frame shows the focus in the accent colour.
    RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return true;
  }
  if (code != EN_CHANGE) return false;
  std::string text = U(WindowText(h));
  guard_([&] { c.SetText(text); });
  return true;
}

}  // namespace vl::win
