// The evidence cleaner's tab sheets: tree, scan/clean progress, result, finish.
#pragma once
#include "app/main_form.h"

namespace vl::evidence {

void AddEvidencePages(MainForm& m);

}  // namespace vl::evidence
