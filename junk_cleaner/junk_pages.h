// The junk cleaner's tab sheets: options, scan/clean progress, result, finish.
#pragma once
#include "app/main_form.h"
#include "junk_cleaner/junk_cleaner.h"

namespace vl::junk {

// Adds the pages, their controls and the start-up steps; the feature lives
// as long as the window.
JunkCleaner& AddJunkPages(MainForm& m);

}  // namespace vl::junk
