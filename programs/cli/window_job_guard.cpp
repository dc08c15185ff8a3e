// A job button of the window takes the guard before its handler runs; when
// the handler started no job (a question answered No, nothing selected) the
// guard goes back at once, otherwise at LeaveBusyState.
#include "programs/cli/window_job_guard.h"

#include <memory>

#include "programs/cli/job_guard.h"

namespace vl::cli {

namespace {

constexpr id::ControlId kJobButtons[] = {
    id::imgRegScan,    id::imgRegClean,  id::imgSOptimizer, id::imgJunkScan,    id::imgJunkClean, id::imgEviScan,
    id::imgEClean,     id::imgOptimizeN, id::imgOptimizeD,  id::imgOptimizeDT, id::imgOptimizeF,
};

}  // namespace

void GuardJobButtons(MainForm& m) {
  auto guard = std::make_shared<JobGuard>(*m.platform().processes);
  for (id::ControlId button : kJobButtons) {
    ui::Control& c = m.control(button);
    std::function<void()> inner = c.onClick;
    if (!inner) continue;
    c.onClick = [&m, guard, inner] {
      // Within a job of this window the button does what it always did.
      if (m.busy()) return inner();
      if (!guard->Take()) {
        m.ports().ShowMessage(kJobGuardBusy, "Vantorel", MsgButtons::Ok, MsgIcon::Warning);
        return;
      }
      try {
        inner();
      } catch (...) {
        if (!m.busy()) guard->Release();
        throw;
      }
      if (!m.busy()) guard->Release();
    };
  }
  m.onLeaveBusy = [guard] { guard->Release(); };
}

}  // namespace vl::cli
