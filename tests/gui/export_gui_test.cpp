// The registry result page's Export button in the real program: the save
// dialog, the confirmation and the report file it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

class ExportGui : public GuiTestApp {};

TEST_F(ExportGui, ExportWritesTheReportAndConfirms) {
  Click(id::imgMCleanup);
  Click(id::imgRegistryCleaner);
  ASSERT_TRUE(SheetShown(L"tabRegistry"));
  Click(id::imgRegScan);
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabRegistry_Result", 0); }, 180000));
  HWND button = Control(id::imgRegExport);
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(IsWindowVisible(button));
  EXPECT_EQ(TextOf(button), L"Export");
  Shot(L"registry_export_button");

  const wchar_t kFile[] = L"C:\\vl\\export_gui_test";
  DeleteFileW(L"C:\\vl\\export_gui_test.html");
  // Posted: the handler stays in the modal dialog until it is answered.
  PostMessageW(button, BM_CLICK, 0, 0);
  std::wstring suggested;
  ASSERT_TRUE(SaveAs(kFile, &suggested));
  EXPECT_EQ(suggested.rfind(L"RegistryError_", 0), 0u) << Narrow(suggested);

  HWND done = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (done = VisibleDialog(L"#32770", L"Vantorel - Export")) != nullptr; }));
  EXPECT_EQ(TextOf(FindById(done, 0xFFFF)), L"Data has been exported to C:\\vl\\export_gui_test.html");
  PostMessageW(done, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return VisibleDialog(L"#32770") == nullptr; }));

  std::ifstream in("C:\\vl\\export_gui_test.html", std::ios::binary);
  std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(html.size(), 3u);
  EXPECT_EQ(html.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(html.find("<strong>Registry Errors</strong>"), std::string::npos);
  EXPECT_NE(html.find("&nbsp;ActiveX,OLE/COM Entries</td>"), std::string::npos);
  EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
}

}  // namespace
}  // namespace vl::gui
