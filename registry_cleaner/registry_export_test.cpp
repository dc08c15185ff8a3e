// The registry result page's export: the button, the dialog, the file and
// the report rows built from the registry records.
#include "registry_cleaner/registry_export.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/registry.h"

namespace vl::registry {
namespace {

class RegistryExportTest : public vl::testing::AppFixture {
 protected:
  TSearchRegistry& Add(int category, std::vector<TScanRegistry> problems) {
    auto rec = std::make_unique<TSearchRegistry>(static_cast<int16_t>(category));
    rec->count = static_cast<int32_t>(problems.size());
    rec->problems = std::move(problems);
    TSearchRegistry& ref = *rec;
    main->scanResults.push_back(std::move(rec));
    return ref;
  }
  void Click() { main->control(id::imgRegExport).onClick(); }
  bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(RegistryExportTest, ButtonSitsOnTheResultPageBetweenSelectAllAndRepair) {
  Start();
  ui::Control& b = main->control(id::imgRegExport);
  EXPECT_EQ(b.id, id::imgRegExport);
  EXPECT_EQ(b.sheet, sheet::tabRegistry_Result);
  EXPECT_EQ(b.text(), "Export");
  const ui::Rect all = main->control(id::chkRegSelectAll).rect, repair = main->control(id::imgRegClean).rect;
  EXPECT_GE(b.rect.x, all.x + all.w);
  EXPECT_LE(b.rect.x + b.rect.w, repair.x);
  EXPECT_EQ(b.rect.y, repair.y);
}

TEST_F(RegistryExportTest, EmptyResultListDoesNothing) {
  Start();
  ports.saveAnswers.push_back("C:\\Vantorel\\r.html");
  Click();
  EXPECT_TRUE(ports.saveDialogs.empty());
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_FALSE(sim.files().FileExists("C:\\Vantorel\\r.html"));
}

TEST_F(RegistryExportTest, CancelledDialogWritesNothing) {
  Start();
  Add(kFonts, {});
  Click();
  ASSERT_EQ(ports.saveDialogs.size(), 1u);
  const auto& d = ports.saveDialogs[0];
  ASSERT_EQ(d.defaultName.size(), 14u + 14u);
  EXPECT_EQ(d.defaultName.substr(0, 14), "RegistryError_");
  for (char c : d.defaultName.substr(14)) EXPECT_TRUE(c >= '0' && c <= '9') << d.defaultName;
  EXPECT_EQ(d.defaultExt, ".html");
  EXPECT_EQ(d.filter, "Html File|*.html");
  EXPECT_TRUE(ports.messages.empty());
  std::vector<sys::FileEntry> entries;
  sim.files().ListFolder("C:\\Vantorel", entries);
  for (const auto& e : entries) EXPECT_EQ(e.name.find(".html"), std::string::npos) << e.name;
}

TEST_F(RegistryExportTest, WritesTheReportAndConfirms) {
  Start();
  sim.files().CreateFolder("C:\\Reports");
  Add(kActiveX, {{sys::kHKCR, "CLSID\\{1}\\InprocServer32", "", "C:\\gone.dll", kInvalidPath, 0},
                 {sys::kHKLM, "SOFTWARE\\A<b>&\"c\"", "n'<v>", "d&<e>", kInvalidProgId, 0}});
  Add(kEmptyKeys, {});
  Add(kShortcuts, {{sys::kHKU, "C:\\Users\\me\\Desktop\\Caf\xC3\xA9 <1>.lnk", "", "", kInvalidPath, 0}});
  Add(kMru, {{0x80000004u, "Perf", "x", "y", 999, 0}});
  ports.saveAnswers.push_back("C:\\Reports\\mine");
  Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Data has been exported to C:\\Reports\\mine.html");
  EXPECT_EQ(ports.messages[0].caption, "Vantorel - Export");
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Information);
  std::string html = ReadFile("C:\\Reports\\mine.html");
  ASSERT_GT(html.size(), 3u);
  EXPECT_EQ(html.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_TRUE(Contains(html, "<title>Registry Errors - "));
  EXPECT_TRUE(Contains(html, "<strong>Registry Errors</strong>"));
  // Groups in list order with their counts.
  EXPECT_TRUE(Contains(html, "<tr bgcolor=\"#FFFFFF\" id=\"tr0\">\r\n<td align=\"center\"><a href=\"#\" "
                             "onclick=\"expand(this,0,2)\" title=\"expand\">+</a></td>\r\n<td class=\"color01\" "
                             "height=\"20\" class=\"gridspace\">&nbsp;ActiveX,OLE/COM Entries</td>"));
  EXPECT_TRUE(Contains(html, "<tr bgcolor=\"#FFFFFF\" id=\"tr1\">\r\n<td align=\"center\">-</td>\r\n"
                             "<td class=\"color01\" height=\"20\" class=\"gridspace\">&nbsp;Empty Registry Keys</td>"
                             "\r\n<td align=\"center\"  class=\"color01\">0</td>\r\n</tr>\r\n<tr bgcolor=\"#FFFFFF\" "
                             "id=\"tr2\">"));
  // No value name: no backslash after the key path.
  EXPECT_TRUE(Contains(html, "<td class=\"gridspace\">Key: HKCR\\CLSID\\{1}\\InprocServer32<br />Value: "
                             "C:\\gone.dll<br /><span class=\"color02\">Reference is an invalid path</span></td>"));
  // Key, value name and data are escaped.
  EXPECT_TRUE(Contains(html, "<td class=\"gridspace\">Key: HKLM\\SOFTWARE\\A&lt;b&gt;&amp;&quot;c&quot;\\"
                             "n&#39;&lt;v&gt;<br />Value: d&amp;&lt;e&gt;<br /><span class=\"color02\">"
                             "Reference is an invalid program identifier</span></td>"));
  // A shortcut: its path alone, non-ASCII kept as UTF-8.
  EXPECT_TRUE(Contains(html, "<tr bgcolor=\"#FFFFFF\" id=\"tr2_0\" style=\"display:none\">\r\n<td align=\"center\" "
                             "class=\"color03\" height=\"20\">1</td>\r\n<td class=\"gridspace\">"
                             "C:\\Users\\me\\Desktop\\Caf\xC3\xA9 &lt;1&gt;.lnk</td>\r\n<td align=\"center\">&nbsp;"
                             "</td>\r\n</tr>"));
  // A root without a short name and an unknown code: no prefix, empty problem text.
  EXPECT_TRUE(Contains(html, "<td class=\"gridspace\">Perf\\x<br />Value: y<br /><span class=\"color02\">"
                             "</span></td>"));
  EXPECT_FALSE(Contains(html, "<b>&"));
  EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
}

TEST_F(RegistryExportTest, ChosenNameEndingInHtmlIsKeptAndOverwritten) {
  Start();
  sim.files().CreateFolder("C:\\Reports");
  WriteFile("C:\\Reports\\report.HTML", "old text that is longer than nothing");
  Add(kFonts, {});
  ports.saveAnswers.push_back("C:\\Reports\\report.HTML");
  Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Data has been exported to C:\\Reports\\report.HTML");
  std::string html = ReadFile("C:\\Reports\\report.HTML");
  EXPECT_EQ(html.find("old text"), std::string::npos);
  EXPECT_NE(html.find("&nbsp;Font Entries</td>"), std::string::npos);
}

TEST_F(RegistryExportTest, UnwritableFileShowsAnErrorAndNoConfirmation) {
  Start();
  Add(kFonts, {});
  ports.saveAnswers.push_back("C:\\NoSuchFolder\\r.html");
  Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Error);
  EXPECT_NE(ports.messages[0].text.find("C:\\NoSuchFolder\\r.html"), std::string::npos);
  EXPECT_FALSE(sim.files().FileExists("C:\\NoSuchFolder\\r.html"));
}

TEST(RegistryExportGroupsTest, CountNeverReachesPastTheRecordedProblems) {
  std::vector<std::unique_ptr<ScanRecord>> records;
  auto rec = std::make_unique<TSearchRegistry>(static_cast<int16_t>(kHelp));
  rec->problems.push_back({sys::kHKCU, "K", "", "", kNoData, 0});
  rec->count = 5;
  records.push_back(std::move(rec));
  auto negative = std::make_unique<TSearchRegistry>(static_cast<int16_t>(kSounds));
  negative->problems.push_back({sys::kHKCU, "K", "", "", kNoData, 0});
  negative->count = -1;
  records.push_back(std::move(negative));
  auto groups = RegistryExportGroups(records);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].caption, "Help Section");
  ASSERT_EQ(groups[0].rows.size(), 1u);
  EXPECT_EQ(groups[0].rows[0].detailHtml,
            "Key: HKCU\\K<br />Value: <br /><span class=\"color02\">Contain no data and can be deleted</span>");
  EXPECT_EQ(groups[0].rows[0].thirdHtml, "&nbsp;");
  EXPECT_EQ(groups[1].caption, "Sounds Section");
  EXPECT_TRUE(groups[1].rows.empty());
}

}  // namespace
}  // namespace vl::registry
