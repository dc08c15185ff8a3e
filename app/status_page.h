// The status page (page 1): when the last scan, backup and optimization ran,
// the program's version and the counts of the last scans.
#pragma once
#include "app/main_form.h"

namespace vl {

void AddStatusPage(MainForm& m);
// Run by every switch to page 1; also fills labVer and labSEUpdate.
void RefreshStatusPage(MainForm& m);

}  // namespace vl
