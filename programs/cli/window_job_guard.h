// The window's side of the machine-wide job guard: the buttons that start a
// job take it first, and the end of the job (LeaveBusyState) gives it back.
#pragma once
#include "app/main_form.h"

namespace vl::cli {

// Wraps the job buttons of an assembled main form.
void GuardJobButtons(MainForm& m);

}  // namespace vl::cli
