// The optimizer's tab sheets: the four profiles, the startup manager, finish.
#pragma once
#include "app/main_form.h"
#include "optimizer/optimizer.h"

namespace vl::optimizer {

Optimizer& AddOptimizerPages(MainForm& m);

}  // namespace vl::optimizer
