// The optimizer's tab sheets: the four profiles, the startup manager, finish.
#pragma once
#include "app/main_form.h"

namespace vl::optimizer {

void AddOptimizerPages(MainForm& m);

}  // namespace vl::optimizer
