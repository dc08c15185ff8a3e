// The junk cleaner's tab sheets: options, scan/clean progress, result, finish.
#pragma once
#include "app/main_form.h"

namespace vl::junk {

void AddJunkPages(MainForm& m);

}  // namespace vl::junk
