// The scan result report's text: lines, escaping, file names, dates.
#include "app/export_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vl::report {
namespace {

const char kStamp[] = "20240305143009";

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t at = 3;  // after the byte-order mark
  while (at < bytes.size()) {
    size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(at));
      break;
    }
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(ExportReportTest, ABigGroupOpensOnePageOfRowsAtATime) {
  auto report = [](size_t rows) {
    ExportGroup g{"System (C:)", {}};
    for (size_t j = 0; j < rows; ++j) g.rows.push_back({"C:\\f" + std::to_string(j), "1 B"});
    return BuildReport("Junk Files", kStamp, sys::EnglishDateNames(), {g, {"Data (D:)", {{"D:\\x", "2 B"}}}});
  };
  // Up to a page, the script shows every row of a group at once.
  const std::string small = report(1000);
  std::vector<std::string> l = Lines(small);
  EXPECT_EQ(l[19], "function expand(obj,row,count) {");
  EXPECT_EQ(small.find("pageRows"), std::string::npos);
  // Beyond, it shows them a page at a time; the rows themselves are the same.
  const std::string big = report(1001);
  l = Lines(big);
  EXPECT_EQ(l[19], "var pageRows = 1000;");
  EXPECT_NE(big.find("function expand(obj,row,count) {"), std::string::npos);
  EXPECT_NE(big.find("onclick=\"expand(this,0,1001)\""), std::string::npos);
  EXPECT_NE(big.find("<tr bgcolor=\"#FFFFFF\" id=\"tr0_1000\" style=\"display:none\">"), std::string::npos);
  EXPECT_NE(big.find("onclick=\"expand(this,1,1)\""), std::string::npos);
}

TEST(ExportReportTest, EscapesMarkupCharactersOnly) {
  EXPECT_EQ(HtmlEscape("a<b>&\"c'd"), "a&lt;b&gt;&amp;&quot;c&#39;d");
  EXPECT_EQ(HtmlEscape("K\xC3\xBC" "che \\ / %"), "K\xC3\xBC" "che \\ / %");
  EXPECT_EQ(HtmlEscape(""), "");
}

TEST(ExportReportTest, FileNameGetsHtmlUnlessItEndsWithIt) {
  EXPECT_EQ(ReportFileName("C:\\r\\report.HTML"), "C:\\r\\report.HTML");
  EXPECT_EQ(ReportFileName("C:\\r\\report"), "C:\\r\\report.html");
  EXPECT_EQ(ReportFileName("C:\\r\\report.html.bak"), "C:\\r\\report.html.bak.html");
  EXPECT_EQ(ReportFileName("C:\\r\\report.HtMl"), "C:\\r\\report.HtMl");
  EXPECT_EQ(ReportFileName("C:\\r\\report.htm"), "C:\\r\\report.htm.html");
  // Only the first ".html" counts.
  EXPECT_EQ(ReportFileName("C:\\r\\a.html.html"), "C:\\r\\a.html.html.html");
}

TEST(ExportReportTest, DatesInTheLocaleNames) {
  sys::DateNames en = sys::EnglishDateNames();
  EXPECT_EQ(ReportTitleTime(kStamp, en), "March 5, 2024, 14:30:09");
  EXPECT_EQ(ReportSearchDate(kStamp, en), "Tuesday, March 5, 2024, 14:30:09");
  EXPECT_EQ(ReportSearchDate("20000101000000", en), "Saturday, January 1, 2000, 00:00:00");
  EXPECT_EQ(ReportTitleTime("2024030514300", en), "");
  EXPECT_EQ(ReportTitleTime("2024130514300x", en), "");
  EXPECT_EQ(ReportSearchDate("00000101000000", en), "");
}

TEST(ExportReportTest, EmptyListHasTheFrameOnly) {
  std::string bytes = BuildReport("Registry Errors", kStamp, sys::EnglishDateNames(), {});
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(bytes.substr(bytes.size() - 9), "</html>\r\n");
  // Every line break is CR LF.
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
    }
  }
  std::vector<std::string> l = Lines(bytes);
  ASSERT_EQ(l.size(), 58u);
  EXPECT_EQ(l[0], "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  EXPECT_EQ(l[3], "<title>Registry Errors - March 5, 2024, 14:30:09</title>");
  EXPECT_EQ(l[9], "p {magin-top: 15px;magin-bottom: 15px;padding-left:20px;}");
  EXPECT_EQ(l[19], "function expand(obj,row,count) {");
  EXPECT_EQ(l[23], "    for (index=0;index<count;index++) {");
  EXPECT_EQ(l[30], l[23]);
  EXPECT_EQ(l[31], l[24]);
  EXPECT_EQ(l[24], "        var theRow = \"tr\"+row+\"_\"+index;");
  EXPECT_EQ(l[32], "        document.getElementById(theRow).style.display = \"none\";");
  EXPECT_EQ(l[36], "}");
  EXPECT_EQ(l[42], "<tr><td height=\"50\" class=\"title\"><strong>Registry Errors</strong></td></tr>");
  EXPECT_EQ(l[43],
            "<tr><td height=\"30\"><b>Date of search:</b>&nbsp;Tuesday, March 5, 2024, 14:30:09</td></tr>");
  EXPECT_EQ(l[46], "<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"0\" bgcolor=\"#8EA8E0\" "
                   "class=\"tab\" id=\"table0\">");
  EXPECT_EQ(l[51], "</tr>");
  const std::vector<std::string> tail = {"</table>", "</td>", "</tr>", "</table>", "</body>", "</html>"};
  EXPECT_EQ(std::vector<std::string>(l.begin() + 52, l.end()), tail);
}

TEST(ExportReportTest, GroupsAndDetailRows) {
  std::vector<ExportGroup> groups = {
      {"Empty Registry Keys", {}},
      {"Junk <&> \"x\"", {{"C:\\a.tmp"}, {"C:\\b.tmp", "1.5 KB"}}},
  };
  std::vector<std::string> l = Lines(BuildReport("Junk Files", kStamp, sys::EnglishDateNames(), groups));
  ASSERT_EQ(l.size(), 58u + 5 + 5 + 10);
  const std::vector<std::string> rows = {
      "<tr bgcolor=\"#FFFFFF\" id=\"tr0\">",
      "<td align=\"center\">-</td>",
      "<td class=\"color01\" height=\"20\" class=\"gridspace\">&nbsp;Empty Registry Keys</td>",
      "<td align=\"center\"  class=\"color01\">0</td>",
      "</tr>",
      "<tr bgcolor=\"#FFFFFF\" id=\"tr1\">",
      "<td align=\"center\"><a href=\"#\" onclick=\"expand(this,1,2)\" title=\"expand\">+</a></td>",
      "<td class=\"color01\" height=\"20\" class=\"gridspace\">&nbsp;Junk &lt;&amp;&gt; &quot;x&quot;</td>",
      "<td align=\"center\"  class=\"color01\">2</td>",
      "</tr>",
      "<tr bgcolor=\"#FFFFFF\" id=\"tr1_0\" style=\"display:none\">",
      "<td align=\"center\" class=\"color03\" height=\"20\">1</td>",
      "<td class=\"gridspace\">C:\\a.tmp</td>",
      "<td align=\"center\">&nbsp;</td>",
      "</tr>",
      "<tr bgcolor=\"#FFFFFF\" id=\"tr1_1\" style=\"display:none\">",
      "<td align=\"center\" class=\"color03\" height=\"20\">2</td>",
      "<td class=\"gridspace\">C:\\b.tmp</td>",
      "<td align=\"center\">1.5 KB</td>",
      "</tr>",
  };
  EXPECT_EQ(std::vector<std::string>(l.begin() + 52, l.begin() + 72), rows);
  EXPECT_EQ(l[72], "</table>");
}

TEST(ExportReportTest, TitleAndLocaleNamesAreEscapedAndKeptUtf8) {
  sys::DateNames names = sys::EnglishDateNames();
  names.longMonths[2] = "M\xC3\xA4rz";
  names.longDays[2] = "Diens<tag>";
  std::string bytes = BuildReport("A & B", kStamp, names, {});
  std::vector<std::string> l = Lines(bytes);
  EXPECT_EQ(l[3], "<title>A &amp; B - M\xC3\xA4rz 5, 2024, 14:30:09</title>");
  EXPECT_EQ(l[43], "<tr><td height=\"30\"><b>Date of search:</b>&nbsp;Diens&lt;tag&gt;, M\xC3\xA4rz 5, 2024, "
                   "14:30:09</td></tr>");
}

}  // namespace
}  // namespace vl::report
