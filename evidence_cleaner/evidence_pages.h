// The evidence cleaner's tab sheets: tree, scan/clean progress, result, finish.
#pragma once
#include "app/main_form.h"
#include "evidence_cleaner/evidence_cleaner.h"

namespace vl::evidence {

// Adds the pages 301 to 305 with the feature behind them; returns it.
EvidenceCleaner& AddEvidencePages(MainForm& m);

}  // namespace vl::evidence
