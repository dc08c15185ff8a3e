// Puts the program together: the main form with every feature's pages and
// the start-up sequence. Used by the Win32 entry point and by native tests,
// which pass the simulated platform and scripted ports.
#pragma once
#include <memory>

#include "app/main_form.h"

namespace vl {

std::unique_ptr<MainForm> BuildMainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner);

}  // namespace vl
