// The scan report page (page 504): the counts of the last registry scan per
// category from scanlog, and when that scan ran.
#pragma once
#include "app/main_form.h"

namespace vl {

void AddReportPage(MainForm& m);
// Run by every switch to page 504.
void RefreshReportPage(MainForm& m);

}  // namespace vl
