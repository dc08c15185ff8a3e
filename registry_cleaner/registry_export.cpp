// The registry kind of the scan result export.
#include "registry_cleaner/registry_export.h"

#include <algorithm>

#include "app/control_ids.h"
#include "ui/page_builder.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/registry.h"

namespace vl::registry {

namespace {

std::string Detail(int category, const TScanRegistry& p) {
  using report::HtmlEscape;
  // A shortcut problem's key path is the shortcut file itself.
  if (category == kShortcuts) return HtmlEscape(p.keyPath);
  const std::string root = sys::RootShortName(p.root);
  std::string d = root.empty() ? "" : "Key: " + root + "\\";
  d += HtmlEscape(p.keyPath);
  if (!p.valueName.empty()) d += "\\" + HtmlEscape(p.valueName);
  d += "<br />Value: " + HtmlEscape(p.data);
  d += "<br /><span class=\"color02\">" + HtmlEscape(ProblemText(p.code)) + "</span>";
  return d;
}

}  // namespace

std::vector<report::ExportGroup> RegistryExportGroups(const std::vector<std::unique_ptr<ScanRecord>>& records) {
  std::vector<report::ExportGroup> groups;
  for (const auto& record : records) {
    const auto* r = dynamic_cast<const TSearchRegistry*>(record.get());
    if (!r) continue;
    report::ExportGroup g;
    g.caption = CategoryCaption(r->category);
    // The count never reaches past the problems actually recorded.
    const size_t n = std::min(static_cast<size_t>(std::max<int32_t>(r->count.load(), 0)), r->problems.size());
    for (size_t j = 0; j < n; ++j) g.rows.push_back({Detail(r->category, r->problems[j])});
    groups.push_back(std::move(g));
  }
  return groups;
}

void imgRegExportClick(MainForm& m) {
  report::ExportScanResult(m, report::kRegistryExport, [&m] { return RegistryExportGroups(m.scanResults); });
}

void AddRegistryExport(MainForm& m) {
  ui::PageBuilder b(m.form(), sheet::tabRegistry_Result, MainForm::kWidth);
  // Left of Repair, right of Select All.
  b.BottomButton(id::imgRegExport, "imgRegExport", -2, "Export", ui::Picture::Export).onClick = [&m] {
    imgRegExportClick(m);
  };
}

}  // namespace vl::registry
