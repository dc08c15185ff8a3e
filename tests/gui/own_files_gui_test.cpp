// The check of who may change the programs' own files, on the real programs
// under Wine: it runs at every start, makes update\ for administrators only,
// and passes on what Wine reports for every file, so the update check of
// Vantorel.exe and the updater's install go ahead (each asks the loopback
// server). The refusals themselves are proven on the simulated platform,
// which keeps access lists (Wine does not).
#include <windows.h>

#include <gtest/gtest.h>

#include "sysaccess/testing/loopback_http_server.h"
#include "tests/gui/gui_driver.h"

namespace vl::gui {
namespace {

const wchar_t kFolder[] = L"C:\\vltest_ownfiles\\";
const char kRefusalStart[] = "Other accounts on this PC can change Vantorel's files";

class OwnFilesGui : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok());
    CreateDirectoryW(kFolder, nullptr);
    // No automatic full backup at the first start.
    CreateDirectoryW((std::wstring(kFolder) + L"backup").c_str(), nullptr);
    CreateDirectoryW((std::wstring(kFolder) + L"backup\\full_backup").c_str(), nullptr);
    for (const wchar_t* name : {L"Vantorel.exe", L"Update.exe"})
      ASSERT_TRUE(CopyFileW((OwnFolder() + name).c_str(), (std::wstring(kFolder) + name).c_str(), FALSE));
    ASSERT_TRUE(WriteFileText(std::wstring(kFolder) + L"Settings.ini",
                              "[Basic]\r\nAuto Update=1\r\n[Update]\r\nServer=" + server_.Url("") + "\r\n"));
  }
  void TearDown() override { End(); }
  void End() {
    if (!process_.handle) return;
    for (const wchar_t* cls : {L"VantorelMainWindow", L"TfrmUpdate"})
      for (HWND h : TopWindows(cls, process_.pid)) PostMessageW(h, WM_CLOSE, 0, 0);
    if (WaitExit(process_, 20000) < 0) TerminateProcess(process_.handle, 1);
    CloseHandle(process_.handle);
    process_ = {};
  }
  // Removes update\ and its files, as a fresh unpacked folder has none.
  void RemoveUpdateFolder() {
    const std::wstring update = std::wstring(kFolder) + L"update\\";
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((update + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do DeleteFileW((update + fd.cFileName).c_str());
      while (FindNextFileW(find, &fd));
      FindClose(find);
    }
    RemoveDirectoryW(update.c_str());
    ASSERT_EQ(GetFileAttributesW(update.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  // Starts the program and waits until it asked the server for something;
  // the text of each message box it showed meanwhile is kept and answered.
  bool StartAndWaitForTheServer(const wchar_t* exe) {
    const size_t before = server_.Requests().size();
    process_ = Start(std::wstring(kFolder) + exe);
    if (!process_.handle) return false;
    return WaitFor(
        [&] {
          for (HWND h : TopWindows(L"#32770", process_.pid))
            if (IsWindowVisible(h)) {
              texts_.push_back(TextOf(GetDlgItem(h, 0xFFFF)));
              PostMessageW(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
            }
          return server_.Requests().size() > before;
        },
        60000);
  }
  bool Refused() {
    for (const std::wstring& t : texts_)
      if (std::string(t.begin(), t.end()).find(kRefusalStart) != std::string::npos) return true;
    return false;
  }

  sys::testing::LoopbackHttpServer server_{300};
  Process process_;
  std::vector<std::wstring> texts_;
};

TEST_F(OwnFilesGui, EveryStartChecksMakesUpdateAndPassesOnWinesDefault) {
  for (int start = 1; start <= 2; ++start) {
    RemoveUpdateFolder();
    ASSERT_TRUE(StartAndWaitForTheServer(L"Vantorel.exe")) << "start " << start << ": the update check never ran";
    EXPECT_FALSE(Refused()) << "start " << start;
    // The start made update\ (with the administrators-only list, which
    // Wine accepts and does not keep).
    EXPECT_NE(GetFileAttributesW((std::wstring(kFolder) + L"update").c_str()), INVALID_FILE_ATTRIBUTES);
    End();
  }
}

TEST_F(OwnFilesGui, TheUpdaterChecksTooAndGoesOnToItsDownload) {
  RemoveUpdateFolder();
  ASSERT_TRUE(StartAndWaitForTheServer(L"Update.exe")) << "the updater never asked the server";
  EXPECT_FALSE(Refused());
  EXPECT_NE(GetFileAttributesW((std::wstring(kFolder) + L"update").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace vl::gui
