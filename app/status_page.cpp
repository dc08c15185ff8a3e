// The status page and its refresh from sysset and the program's version.
#include "app/status_page.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "app/db_access.h"
#include "ui/page_builder.h"
#include "app/timestamp_text.h"
#include "sysaccess/text.h"
#include "sysaccess/version_info.h"

namespace vl {

using ui::FontStyle;
namespace st = ui::style;

namespace {

// "v" and the first three dot-separated parts: 2.0.1.5 shows as v2.0.1.
std::string ShortVersion(const std::string& version) {
  if (version.empty()) return "";
  std::string out;
  size_t start = 0;
  for (int part = 0; part < 3; ++part) {
    size_t dot = version.find('.', start);
    out += (part ? "." : "") + version.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return "v" + out;
}

}  // namespace

void AddStatusPage(MainForm& m) {
  m.form().AddSheet(sheet::tabStatus, "tabStatus", st::kPage);
  ui::PageBuilder b(m.form(), sheet::tabStatus, MainForm::kWidth);
  b.Title(id::labStatus_Title, "labStatus_Title", "Status");
  b.Description(id::labStatus_Right_Title, "labStatus_Right_Title");
  struct Row {
    int capId;
    const char* capName;
    const char* caption;
    int id;
    const char* name;
    const char* text;
  };
  const Row rows[] = {
      {id::labLastScanCap, "labLastScanCap", "Last Scan", id::labLastScan, "labLastScan", ""},
      {id::labLastBackupCap, "labLastBackupCap", "Last Registry Backup", id::labLastBackup,
       "labLastBackup", ""},
      {id::labLastOptimizationCap, "labLastOptimizationCap", "Last Optimization",
       id::labLastOptimization, "labLastOptimization", ""},
      {id::labAppVerCap, "labAppVerCap", "Application Version", id::labAppVer, "labAppVer", ""},
  };
  int y = 96;
  for (const Row& r : rows) {
    b.Label(r.capId, r.capName, {st::kMargin + 16, y, 190, 22}, r.caption, FontStyle::Bold);
    b.Label(r.id, r.name, {st::kMargin + 210, y, 460, 22}, r.text);
    y += 34;
  }
  b.Label(id::labStatus_SummaryTitle, "labStatus_SummaryTitle", {st::kMargin, 246, 400, 24},
          "Last scan results", FontStyle::Heading);
  const Row counts[] = {
      {id::labStatus_RegistryCap, "labStatus_RegistryCap", "Registry Cleaner", id::labStatus_Registry,
       "labStatus_Registry", "Not Scanned"},
      {id::labStatus_JunkCap, "labStatus_JunkCap", "Junk File Cleaner", id::labStatus_Junk,
       "labStatus_Junk", "Not Scanned"},
      {id::labStatus_EvidenceCap, "labStatus_EvidenceCap", "Evidence Cleaner", id::labStatus_Evidence,
       "labStatus_Evidence", "Not Scanned"},
  };
  y = 280;
  for (const Row& r : counts) {
    b.Label(r.capId, r.capName, {st::kMargin + 16, y, 190, 22}, r.caption, FontStyle::Bold);
    b.Label(r.id, r.name, {st::kMargin + 210, y, 300, 22}, r.text);
    y += 30;
  }
  m.RegisterPage(page::kStatus, sheet::tabStatus, [&m] {
    m.control(id::labStatus_Right_Title)
        .SetText("Deep scan, Clean and Optimize the Registry to boost your PC speed!");
    RefreshStatusPage(m);
  });
}

void RefreshStatusPage(MainForm& m) {
  m.control(id::labLastScan).SetText("No Scan yet");
  m.control(id::labLastBackup).SetText("No Backup taken yet");
  m.control(id::labLastOptimization).SetText("System not Optimized yet");
  sys::Platform& p = m.platform();
  const int style = DateStyleFor(m.systemLanguage);
  const std::string version = sys::FileVersion(*p.shell, m.exePath);
  m.control(id::labAppVer).SetText(version);
  m.control(id::labVer).SetText(ShortVersion(version));

  WithDatabase(*p.files, m.dataDbPath(), {"sysset"}, [&](store::Connection& c) {
    store::ResultTable t =
        store::RunQuery(c, "SELECT optime,last_backup,last_optimize,last_update FROM sysset");
    if (t.AtEnd()) return;
    const sys::DateNames names = p.system->UserDateNames();
    auto text = [&](const char* column) { return TimestampText(sys::Trim(t.ColumnByName(column)), style, names); };
    const struct {
      const char* column;
      id::ControlId label;
    } dates[] = {{"optime", id::labLastScan},
                 {"last_backup", id::labLastBackup},
                 {"last_optimize", id::labLastOptimization}};
    for (auto& d : dates) {
      std::string s = text(d.column);
      if (!s.empty()) m.control(d.label).SetText(s);
    }
    if (ui::Control* update = m.form().Find(id::labSEUpdate)) {
      std::string last = text("last_update");
      update->SetText("Version: " + version + (last.empty() ? "" : ", Last Time: " + last));
    }
  });
}

}  // namespace vl
