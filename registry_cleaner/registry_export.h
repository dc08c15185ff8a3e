// The registry result page's export: its button and the report groups built
// from the registry scan records.
#pragma once
#include <memory>
#include <vector>

#include "app/export_report.h"
#include "app/main_form.h"

namespace vl::registry {

// One group per TSearchRegistry record of the result list, in list order.
std::vector<report::ExportGroup> RegistryExportGroups(const std::vector<std::unique_ptr<ScanRecord>>& records);

// The button's handler: the export of the last registry scan.
void imgRegExportClick(MainForm& m);

// Adds the Export button to the registry result page.
void AddRegistryExport(MainForm& m);

}  // namespace vl::registry
