// The HTML report of a scan result: one table with a row per result group
// that the browser expands to show the group's items. The writer is pure;
// ExportScanResult runs the whole export (dialog, file, messages).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "sysaccess/system.h"

namespace vl::report {

// One found item. Both texts are HTML already: the kind that builds them
// escapes its own data and adds the markup it wants.
struct ExportRow {
  std::string detailHtml;
  std::string thirdHtml = "&nbsp;";
};

// One result group; its caption is plain text.
struct ExportGroup {
  std::string caption;
  std::vector<ExportRow> rows;
};

// The three kinds: the report's title and the default file name's prefix.
struct ExportKind {
  const char* title;
  const char* filePrefix;
};
inline constexpr ExportKind kRegistryExport{"Registry Errors", "RegistryError_"};
inline constexpr ExportKind kJunkExport{"Junk Files", "JunkFile_"};
inline constexpr ExportKind kEvidenceExport{"Evidence Data", "EvidenceData_"};

// &, <, >, " and ' as entities; every other byte as it is.
std::string HtmlEscape(const std::string& text);

// The file a chosen name is written to: the name itself when its first
// ".html" (any case) ends it, otherwise the name with ".html" appended.
std::string ReportFileName(const std::string& chosen);

// "March 5, 2024, 14:30:00" and "Tuesday, March 5, 2024, 14:30:00" of a
// "yyyymmddhhnnss" timestamp; empty when it is no valid date and time.
std::string ReportTitleTime(const std::string& timestamp, const sys::DateNames& names);
std::string ReportSearchDate(const std::string& timestamp, const sys::DateNames& names);

// The report's bytes: UTF-8 with a byte-order mark, lines ended by CR LF.
// `timestamp` ("yyyymmddhhnnss", local time) dates the title and the search.
std::string BuildReport(const std::string& title, const std::string& timestamp, const sys::DateNames& names,
                        const std::vector<ExportGroup>& groups);

// The export of an image button: nothing when the result list is empty;
// otherwise the save dialog, then the report of `groups()` written to the
// chosen file and a confirmation (or an error message when the file cannot
// be written). A cancelled dialog writes nothing and shows nothing.
void ExportScanResult(MainForm& m, const ExportKind& kind, const std::function<std::vector<ExportGroup>()>& groups);

}  // namespace vl::report
