// The binder's progress bars.
#include "ui/win32/binder.h"

namespace vl::win {

void Binder::ProgressSpec(const ui::Control&, WindowSpec* spec) { spec->cls = PROGRESS_CLASSW; }

void Binder::SetUpProgress(ui::Control& c, HWND h) {
  SendMessageW(h, PBM_SETRANGE32, 0, c.maximum);
  SendMessageW(h, PBM_SETPOS, c.position(), 0);
}

void Binder::SyncProgress(ui::Control& c, HWND h, int what) {
  if (what & ui::kChangePosition) SendMessageW(h, PBM_SETPOS, c.position(), 0);
}

}  // namespace vl::win
