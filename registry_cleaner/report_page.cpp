// Scan report page: rows from scanlog, striped, counts in bold red and green.
#include "registry_cleaner/report_page.h"

#include <memory>
#include <vector>

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "app/db_access.h"
#include "ui/page_builder.h"
#include "app/timestamp_text.h"
#include "registry_cleaner/registry_cleaner.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/text.h"

namespace vl::registry {

using ui::Picture;
namespace st = ui::style;

namespace {

struct ReportRow {
  std::string category, entries, cleaned;
};

// The rows behind the virtual list; owned by the window with the page.
struct ReportRows : Feature {
  std::vector<ReportRow> rows;
};

bool ParseCategory(const std::string& text, int* out) {
  if (text.empty() || text.size() > 3) return false;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  *out = n;
  return true;
}

// Run by every switch to the page.
void RefreshReportPage(MainForm& m, ReportRows& data) {
  ui::Control& list = m.control(id::lstvReport);
  data.rows.clear();
  list.SetRowCount(0);
  m.control(id::labRLastScan).SetText("");
  sys::Platform& p = m.platform();
  WithDatabase(*p.files, m.dataDbPath(), {"scanlog", "sysset"}, [&](store::Connection& c) {
    store::ResultTable log = store::RunQuery(c, "SELECT * FROM scanlog where type=1");
    for (; !log.AtEnd(); log.NextRow()) {
      // A row of no known category has no caption to show; it is left out.
      int category;
      if (!ParseCategory(sys::Trim(log.ColumnByName("id")), &category)) continue;
      std::string caption = registry::CategoryCaption(category);
      if (caption.empty()) continue;
      data.rows.push_back({caption, log.ColumnByName("scannum"), log.ColumnByName("cleannum")});
    }
    store::ResultTable sys = store::RunQuery(c, "SELECT last_rscan FROM sysset");
    if (!sys.AtEnd()) {
      std::string when = TimestampText(sys::Trim(sys.ColumnText(0)), 2, *p.system);
      if (!when.empty()) m.control(id::labRLastScan).SetText("Last Registry Scan Performed: " + when);
    }
  });
  list.SetRowCount(static_cast<int>(data.rows.size()));
}

}  // namespace

void AddReportPage(MainForm& m, RegistryCleaner& cleaner) {
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabReport, "tabReport", st::kPage);
  ReportRows& data = m.AddFeature(std::make_unique<ReportRows>());
  ui::PageBuilder b(f, sheet::tabReport, MainForm::kWidth);
  b.Title(id::labReportTitle, "labReportTitle", "Scan Report");
  b.Description(id::labReportDesc, "labReportDesc", "Errors and problems found on your system");
  ui::Control& list = b.List(id::lstvReport, "lstvReport", {st::kMargin, 90, 709, 220});
  list.columns = {{"Category", 420}, {"Entries", 130}, {"Cleaned", 130}};
  list.striped = true;
  list.rowProvider = [&data](int row, int col) {
    ui::Cell cell;
    if (row < 0 || row >= static_cast<int>(data.rows.size())) return cell;
    const ReportRow& r = data.rows[row];
    if (row % 2 == 1) cell.background = st::kStripe;
    switch (col) {
      case 0: cell.text = r.category; break;
      case 1: cell.text = r.entries; cell.color = st::kRed; cell.bold = true; break;
      case 2: cell.text = r.cleaned; cell.color = st::kGreen; cell.bold = true; break;
      default: break;
    }
    return cell;
  };
  b.Label(id::labRLastScan, "labRLastScan", {st::kMargin, 318, 709, 22});
  b.Back(id::imgOPBack4, "imgOPBack4").onClick = [&m] { m.ShowPage(page::kOptions); };
  b.BottomButton(id::imgScanAgain, "imgScanAgain", -1, "Scan Again", Picture::Scan).onClick = [&cleaner] {
    cleaner.imgRegScanClick();
  };
  m.RegisterPage(page::kReport, sheet::tabReport, [&m, &data] { RefreshReportPage(m, data); });
}

}  // namespace vl::registry
