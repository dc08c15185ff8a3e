// The scan report page (page 504): the counts of the last registry scan per
// category from scanlog, and when that scan ran.
#pragma once
#include "app/main_form.h"

namespace vl::registry {

class RegistryCleaner;

void AddReportPage(MainForm& m, RegistryCleaner& cleaner);

}  // namespace vl::registry
