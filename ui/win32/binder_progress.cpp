// The binder's progress bars.
#include "ui/win32/binder.h"

#include "ui/page_builder.h"
#include "ui/win32/win_util.h"

namespace vl::win {

void Binder::ProgressSpec(const ui::Control&, WindowSpec* spec) {
  spec->cls = PROGRESS_CLASSW;
  spec->style = PBS_SMOOTH;
}

void Binder::SetUpProgress(ui::Control& c, HWND h) {
  // Flat house colours; ignored where a visual style draws the bar.
  SendMessageW(h, PBM_SETBARCOLOR, 0, Rgb(ui::style::kAccent));
  SendMessageW(h, PBM_SETBKCOLOR, 0, RGB(0xE4, 0xE9, 0xF0));
  SendMessageW(h, PBM_SETRANGE32, 0, c.maximum());
  SendMessageW(h, PBM_SETPOS, c.position(), 0);
}

void Binder::SyncProgress(ui::Control& c, HWND h, int what) {
  // The range first: a position beyond the old range would be cut to it.
  if (what & ui::kChangeRange) SendMessageW(h, PBM_SETRANGE32, 0, c.maximum());
  if (what & (ui::kChangePosition | ui::kChangeRange)) SendMessageW(h, PBM_SETPOS, c.position(), 0);
}

}  // namespace vl::win
