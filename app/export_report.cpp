// The scan result report: its text, line by line, and the export around it.
#include "app/export_report.h"

#include <cstdio>

#include "app/clock.h"
#include "app/timestamp_text.h"

namespace vl::report {

namespace {

constexpr const char* kEol = "\r\n";

// Detail rows a big group shows per page when expanded.
constexpr size_t kPageRows = 1000;

// The browser reads the byte-order mark as the report's encoding.
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

struct DateTime {
  int year, month, day, hour, minute, second;
};

bool ParseTimestamp(const std::string& t, DateTime* out) {
  if (t.size() != 14) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  auto part = [&t](size_t at, size_t len) { return std::stoi(t.substr(at, len)); };
  DateTime d{part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2), part(12, 2)};
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour > 23 || d.minute > 59 || d.second > 59)
    return false;
  *out = d;
  return true;
}

// "mmmm d, yyyy, hh:nn:ss"
std::string MonthDayYearTime(const DateTime& d, const sys::DateNames& names) {
  char buf[64];
  std::snprintf(buf, sizeof buf, " %d, %04d, %02d:%02d:%02d", d.day, d.year, d.hour, d.minute, d.second);
  return names.longMonths[static_cast<size_t>(d.month - 1)] + buf;
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string ReportFileName(const std::string& chosen) {
  std::string lower = chosen;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const size_t at = lower.find(".html");
  if (at != std::string::npos && at + 5 == lower.size()) return chosen;
  return chosen + ".html";
}

std::string ReportTitleTime(const std::string& timestamp, const sys::DateNames& names) {
  DateTime d;
  return ParseTimestamp(timestamp, &d) ? MonthDayYearTime(d, names) : "";
}

std::string ReportSearchDate(const std::string& timestamp, const sys::DateNames& names) {
  DateTime d;
  if (!ParseTimestamp(timestamp, &d)) return "";
  return names.longDays[static_cast<size_t>(DayOfWeek(d.year, d.month, d.day))] + ", " +
         MonthDayYearTime(d, names);
}

std::string BuildReport(const std::string& title, const std::string& timestamp, const sys::DateNames& names,
                        const std::vector<ExportGroup>& groups) {
  const std::string k = HtmlEscape(title);
  bool paged = false;
  for (const ExportGroup& g : groups) paged = paged || g.rows.size() > kPageRows;
  std::string out = kUtf8Bom;
  auto line = [&out](const std::string& text) {
    out += text;
    out += kEol;
  };
  line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  line("<html>");
  line("<head>");
  line("<title>" + k + " - " + HtmlEscape(ReportTitleTime(timestamp, names)) + "</title>");
  line("<style type=\"text/css\">");
  line("a {color:#004080; text-decoration:none}");
  line("a:hover {color:#f60; text-decoration:none}");
  line("a:visited {color:#004080; text-decoration:none}");
  line(".title2{ font-weight: bold;color:#FFFFFF;text-align:center; font-size:12px;}");
  line("p {magin-top: 15px;magin-bottom: 15px;padding-left:20px;}");
  line(".title {color:#000000;font-size:22px;font-weight:bold;text-align:center;}");
  line(".color01 {color:#0000FF;font-size:12px;}");
  line(".color02 {color:#CC0303;font-size:12px;font-weight:bold;}");
  line(".color03 {background-color:#F2F2F2;color:#000000;font-size:12px;}");
  line(".tab {color:#000000;font-size:12px;word-wrap:break-word;table-layout: fixed;}");
  line(".gridspace {padding-top:2px;padding-right:0px;padding-bottom:2px;padding-left:8px;}");
  line("</style>");
  line("<script language=\"javascript\">");
  line("<!--");
  if (paged) {
    // A browser lays out a table's shown rows all at once: 100,000 rows took
    // half a minute and froze the page. A big group opens one page of rows
    // at a time, with a row that shows the next page.
    line("var pageRows = " + std::to_string(kPageRows) + ";");
    line("var shownRows = {};");
    line("function hideMore(row) {");
    line("  var more = document.getElementById(\"more\"+row);");
    line("  if (more) more.parentNode.removeChild(more);");
    line("}");
    line("function showRows(row,from,count) {");
    line("  var to = Math.min(count, from + pageRows);");
    line("  for (var index=from;index<to;index++)");
    line("    document.getElementById(\"tr\"+row+\"_\"+index).style.display = \"\";");
    line("  shownRows[row] = to;");
    line("  hideMore(row);");
    line("  if (to >= count) return;");
    line("  var last = document.getElementById(\"tr\"+row+\"_\"+(to-1));");
    line("  var tr = document.createElement(\"tr\");");
    line("  tr.id = \"more\"+row;");
    line("  tr.bgColor = \"#FFFFFF\";");
    line("  var td = document.createElement(\"td\");");
    line("  td.colSpan = 3;");
    line("  td.className = \"gridspace\";");
    line("  var a = document.createElement(\"a\");");
    line("  a.href = \"#\";");
    line("  a.textContent = \"Show the next \" + Math.min(pageRows, count-to) + \" (\" + (count-to) + \" more)\";");
    line("  a.onclick = function() { showRows(row,to,count); return false; };");
    line("  td.appendChild(a);");
    line("  tr.appendChild(td);");
    line("  last.parentNode.insertBefore(tr, last.nextSibling);");
    line("}");
    line("function expand(obj,row,count) {");
    line("  var img0 = obj;");
    line("  if (img0.title == \"expand\") {");
    line("    img0.title = \"shrink\";");
    line("    showRows(row,0,count);");
    line("  img0.innerHTML = \"-\";");
    line("  } else {");
    line("    img0.title = \"expand\";");
    line("    var shown = shownRows[row] || 0;");
    line("    for (var index=0;index<shown;index++)");
    line("        document.getElementById(\"tr\"+row+\"_\"+index).style.display = \"none\";");
    line("    shownRows[row] = 0;");
    line("    hideMore(row);");
    line("  img0.innerHTML = \"+\";");
    line("  }");
  } else {
    line("function expand(obj,row,count) {");
    line("  var img0 = obj;");
    line("  if (img0.title == \"expand\") {");
    line("    img0.title = \"shrink\";");
    line("    for (index=0;index<count;index++) {");
    line("        var theRow = \"tr\"+row+\"_\"+index;");
    line("        document.getElementById(theRow).style.display = \"\";");
    line("    }");
    line("  img0.innerHTML = \"-\";");
    line("  } else {");
    line("    img0.title = \"expand\";");
    line("    for (index=0;index<count;index++) {");
    line("        var theRow = \"tr\"+row+\"_\"+index;");
    line("        document.getElementById(theRow).style.display = \"none\";");
    line("    }");
    line("  img0.innerHTML = \"+\";");
    line("  }");
  }
  line("}");
  line("//-->");
  line("</script>");
  line("</head>");
  line("<body>");
  line("<table width=\"100%\" align=\"center\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
  line("<tr><td height=\"50\" class=\"title\"><strong>" + k + "</strong></td></tr>");
  line("<tr><td height=\"30\"><b>Date of search:</b>&nbsp;" + HtmlEscape(ReportSearchDate(timestamp, names)) +
       "</td></tr>");
  line("<tr>");
  line("<td height=\"30\">");
  line("<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"0\" bgcolor=\"#8EA8E0\" "
       "class=\"tab\" id=\"table0\">");
  line("<tr class=\"title2\">");
  line("<td align=\"center\" width=\"3%\" height=\"20\">#</td>");
  line("<td align=\"center\" width=\"87%\">Scan Items</td>");
  line("<td align=\"center\" width=\"10%\">Num</td>");
  line("</tr>");
  for (size_t i = 0; i < groups.size(); ++i) {
    const ExportGroup& g = groups[i];
    const std::string gi = std::to_string(i), n = std::to_string(g.rows.size());
    line("<tr bgcolor=\"#FFFFFF\" id=\"tr" + gi + "\">");
    if (g.rows.empty())
      line("<td align=\"center\">-</td>");
    else
      line("<td align=\"center\"><a href=\"#\" onclick=\"expand(this," + gi + "," + n +
           ")\" title=\"expand\">+</a></td>");
    line("<td class=\"color01\" height=\"20\" class=\"gridspace\">&nbsp;" + HtmlEscape(g.caption) + "</td>");
    line("<td align=\"center\"  class=\"color01\">" + n + "</td>");
    line("</tr>");
    for (size_t j = 0; j < g.rows.size(); ++j) {
      line("<tr bgcolor=\"#FFFFFF\" id=\"tr" + gi + "_" + std::to_string(j) + "\" style=\"display:none\">");
      line("<td align=\"center\" class=\"color03\" height=\"20\">" + std::to_string(j + 1) + "</td>");
      line("<td class=\"gridspace\">" + g.rows[j].detailHtml + "</td>");
      line("<td align=\"center\">" + g.rows[j].thirdHtml + "</td>");
      line("</tr>");
    }
  }
  for (const char* closing : {"</table>", "</td>", "</tr>", "</table>", "</body>", "</html>"}) line(closing);
  return out;
}

void ExportScanResult(MainForm& m, const ExportKind& kind,
                      const std::function<std::vector<ExportGroup>()>& groups) {
  if (m.scanResults.empty()) return;
  const std::string chosen =
      m.ports().SaveFileDialog(kind.filePrefix + NowTimestamp(), ".html", "Html File|*.html");
  if (chosen.empty()) return;
  const std::string path = ReportFileName(chosen);
  // The report is dated when it is written, not when the scan ran.
  const std::string bytes = BuildReport(kind.title, NowTimestamp(), m.platform().system->UserDateNames(), groups());
  if (!m.platform().files->WriteFileBytes(path, bytes)) {
    m.ShowError("Cannot write the file \"" + path + "\".");
    return;
  }
  m.ports().ShowMessage("Data has been exported to " + path, "Vantorel - Export", MsgButtons::Ok,
                        MsgIcon::Information);
}

}  // namespace vl::report
