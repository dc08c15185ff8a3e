// Update.exe end to end: a loopback server in this process serves a manifest
// and a compressed "new Vantorel.exe"; the updater, started in an
// application folder of its own, runs hidden, asks, stops the Vantorel.exe
// running from its folder (and no other), replaces it and records the time.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "store/database.h"
#include "store/schema.h"
#include "sysaccess/digest.h"
#include "sysaccess/signature.h"
#include "sysaccess/testing/test_keys.h"
#include "sysaccess/testing/loopback_http_server.h"
#include "tests/gui/gui_driver.h"
#include "ui/win32/testing/ui_gallery_ids.h"
#include "update/publish.h"
#include "update/updater_ids.h"

namespace vl::gui {
namespace {

const wchar_t kUpdaterClass[] = L"TfrmUpdate";
constexpr UINT kTrayMessage = WM_APP + 2;

std::wstring Kb(size_t bytes) { return std::to_wstring(bytes / 1024) + L" KB"; }

std::string Narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

// Without a window manager Wine draws the frames itself and does not wait
// for a manager when a captioned window hides or shows (as the gallery suite).
void SetWineWindowing(bool unmanaged) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  for (const wchar_t* name : {L"Decorated", L"Managed"}) {
    if (unmanaged)
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    else
      RegDeleteValueW(key, name);
  }
  RegCloseKey(key);
}

// The visible message box of the process, or null.
HWND MessageBoxOf(DWORD pid) {
  for (HWND h : TopWindows(L"#32770", pid))
    if (IsWindowVisible(h)) return h;
  return nullptr;
}

bool Running(const Process& p) { return p.handle && WaitForSingleObject(p.handle, 0) == WAIT_TIMEOUT; }

int64_t NowMillis() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>(t / 10000 - 11644473600000ULL);
}

// The test key trusted through the machine policy, as an administrator
// running a mirror would add a key.
void TrustTestKey(bool on) {
  const wchar_t* path = L"SOFTWARE\\Policies\\Vantorel";
  if (!on) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0);
    return;
  }
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const std::string k = sys::testing::kTestUpdatePublicKey;
  std::wstring multi(k.begin(), k.end());
  multi.push_back(L'\0');
  multi.push_back(L'\0');
  ASSERT_EQ(RegSetValueExW(key, L"UpdateKeys", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                           static_cast<DWORD>(multi.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// The published update signed with `pem`, valid for `days` from now.
update::PublishedUpdate Made(const std::string& program, const std::string& updater, const std::string& base,
                             int days = 30, const char* pem = sys::testing::kTestUpdateKeyPem) {
  update::PublishedUpdate u;
  std::string error;
  EXPECT_TRUE(update::MakeUpdate(program, updater, base, pem, NowMillis() + days * 86400000LL, u, error)) << error;
  return u;
}

class UpdaterGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWineWindowing(true);
    TrustTestKey(true);
  }
  void TearDown() override {
    for (Process* p : {&updater_, &oldHere_, &oldElsewhere_}) {
      if (Running(*p)) TerminateProcess(p->handle, 1);
      if (p->handle) CloseHandle(p->handle);
      p->handle = nullptr;
    }
    SetWineWindowing(false);
    TrustTestKey(false);
  }

  // A fresh application folder with the "old program" in it: a copy of the
  // toolkit gallery named Vantorel.exe, which closes when asked.
  static void MakeFolder(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"update\\Update.xml", L"update\\Vantorel.z", L"update\\ks.exe", L"data.db",
                                L"Vantorel.exe", L"Update.exe", L"Settings.ini"})
      DeleteFileW((folder + name).c_str());
    ASSERT_TRUE(CopyFileW((OwnFolder() + L"vl_ui_gallery.exe").c_str(), (folder + L"Vantorel.exe").c_str(), FALSE));
  }
  static Process StartShown(const std::wstring& exe) {
    Process p = Start(exe);
    EXPECT_TRUE(WaitFor([&] {
      for (HWND h : TopWindows(gallery::kWindowClass, p.pid))
        if (IsWindowVisible(h)) return true;
      return false;
    }));
    return p;
  }

  Process updater_, oldHere_, oldElsewhere_;
};

TEST_F(UpdaterGui, ReplacesTheRunningProgramOfItsFolderFromALoopbackServer) {
  const std::wstring app = L"C:\\vltest_update\\", elsewhere = L"C:\\vltest_update_other\\";
  MakeFolder(app);
  MakeFolder(elsewhere);
  const std::string oldProgram = ReadFileText(app + L"Vantorel.exe");
  ASSERT_TRUE(CopyFileW((OwnFolder() + L"Update.exe").c_str(), (app + L"Update.exe").c_str(), FALSE));

  // The new program: the real Vantorel.exe of this build.
  const std::string newProgram = ReadFileText(OwnFolder() + L"Vantorel.exe");
  ASSERT_GT(newProgram.size(), 100000u);
  ASSERT_NE(newProgram, oldProgram);
  sys::testing::LoopbackHttpServer server(180);
  ASSERT_TRUE(server.ok());
  const update::PublishedUpdate u =
      Made(newProgram, ReadFileText(OwnFolder() + L"Update.exe"), server.Url("/update/"));
  const std::string& manifest = u.manifest;
  const std::string softfile = "Vantorel-" + u.programVersion + ".z";
  const std::string& packed = u.files.at(softfile);
  server.SetBody("/update/Update.xml", manifest);
  server.SetBody("/update/Update.xml.sig", u.signature);
  server.SetBody("/update/" + softfile, packed);
  // Never the deployment's server: only this loopback one.
  ASSERT_TRUE(WriteFileText(app + L"Settings.ini",
                            "[Update]\r\nServer=http://127.0.0.1:" + std::to_string(server.port()) + "\r\n"));
  store::CreateDatabase(Narrow(app + L"data.db"));

  oldHere_ = StartShown(app + L"Vantorel.exe");
  oldElsewhere_ = StartShown(elsewhere + L"Vantorel.exe");
  ASSERT_TRUE(Running(oldHere_));

  updater_ = Start(app + L"Update.exe");
  ASSERT_NE(updater_.handle, nullptr);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(updater_.pid)) != nullptr; }, 60000))
      << "no question; requests: " << server.Requests().size();
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"To update you identified?");
  EXPECT_EQ(TextOf(box), L"Vantorel");

  // Started hidden: the question came without the window.
  std::vector<HWND> frames = TopWindows(kUpdaterClass, updater_.pid);
  ASSERT_EQ(frames.size(), 1u);
  HWND frame = frames[0];
  EXPECT_FALSE(IsWindowVisible(frame));
  EXPECT_EQ(TextOf(frame), L"Update");
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ(r.right - r.left, 448);
  EXPECT_EQ(r.bottom - r.top, 279);
  const LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);

  // One row per download, each with its size.
  HWND list = FindById(frame, update::uid::lstvDownload);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListRowCount(list), 3);
  EXPECT_EQ(ListCellText(list, 0, 0), L"Update.xml");
  EXPECT_EQ(ListCellText(list, 0, 1), Kb(manifest.size()));
  EXPECT_EQ(ListCellText(list, 1, 0), L"Update.xml.sig");
  EXPECT_EQ(ListCellText(list, 2, 0), std::wstring(softfile.begin(), softfile.end()));
  EXPECT_EQ(ListCellText(list, 2, 1), Kb(packed.size()));
  HWND update = FindById(frame, update::uid::sbtnUpdate);
  ASSERT_NE(update, nullptr);
  EXPECT_FALSE(IsWindowEnabled(update));  // a run is under way

  // A second updater ends at once, without a window of its own.
  Process second = Start(app + L"Update.exe");
  EXPECT_EQ(WaitExit(second, 30000), 0);
  EXPECT_EQ(TopWindows(kUpdaterClass, second.pid).size(), 0u);
  CloseHandle(second.handle);
  EXPECT_EQ(TopWindows(kUpdaterClass).size(), 1u);

  // The tray icon's double click shows the window.
  PostMessageW(frame, kTrayMessage, 1, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(frame) != FALSE; }, 10000));
  Sleep(300);  // let it paint before the picture
  SaveScreenshot(frame, ShotsFolder() + L"updater.bmp");

  // Yes: the running copy of this folder is stopped, the other one is not.
  PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
  HWND done = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        done = MessageBoxOf(updater_.pid);
        return done && TextOf(GetDlgItem(done, 0xFFFF)).find(L"OK, Update Completed!") == 0;
      },
      60000));
  EXPECT_EQ(TextOf(GetDlgItem(done, 0xFFFF)), L"OK, Update Completed!\rClick Yes Button to run now?");
  EXPECT_GE(WaitExit(oldHere_, 10000), 0);
  EXPECT_TRUE(Running(oldElsewhere_));
  EXPECT_TRUE(ReadFileText(app + L"Vantorel.exe") == newProgram);
  EXPECT_TRUE(ReadFileText(elsewhere + L"Vantorel.exe") == oldProgram);
  EXPECT_EQ(GetFileAttributesW((app + L"update\\" + std::wstring(softfile.begin(), softfile.end())).c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((app + L"update\\ks.exe").c_str()), INVALID_FILE_ATTRIBUTES);
  {
    store::Connection c = store::OpenDatabase(Narrow(app + L"data.db"));
    store::ResultTable t = store::RunQuery(c, "select last_update from sysset");
    ASSERT_EQ(t.RowCount(), 1u);
    const std::string stamp = t.ColumnText(0);
    EXPECT_EQ(stamp.size(), 14u) << stamp;
    EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << stamp;
  }
  SaveScreenshot(frame, ShotsFolder() + L"updater_done.bmp");

  // No: nothing is started, the updater ends.
  PostMessageW(GetDlgItem(done, IDNO), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitExit(updater_, 30000), 0);
  for (HWND h : TopWindows(gallery::kWindowClass))
    if (h) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      EXPECT_EQ(pid, oldElsewhere_.pid) << "only the other folder's copy still runs";
    }
  // Every request carried the updater's headers.
  for (auto& req : server.Requests())
    EXPECT_NE(req.headers.find("Content-Type: text/html"), std::string::npos) << req.path;
}

// Update.exe started by hand (as from the tray): what is not signed by a
// trusted key as served, stale, not newer than the installed program, or
// not the program it names ends with the failure box, and neither program
// changes by a byte.
TEST_F(UpdaterGui, AManifestThatIsNotTrustedOrNotTrueInstallsNothing) {
  const std::wstring app = L"C:\\vltest_update\\";
  MakeFolder(app);
  ASSERT_TRUE(CopyFileW((OwnFolder() + L"Update.exe").c_str(), (app + L"Update.exe").c_str(), FALSE));
  sys::testing::LoopbackHttpServer server(300);
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(WriteFileText(app + L"Settings.ini",
                            "[Update]\r\nServer=http://127.0.0.1:" + std::to_string(server.port()) + "\r\n"));
  const std::string base = server.Url("/update/"), updater = ReadFileText(app + L"Update.exe");
  const std::string current = ReadFileText(OwnFolder() + L"Vantorel.exe");
  const std::string next = ReadFileText(OwnFolder() + L"Vantorel_next.exe");
  const update::PublishedUpdate good = Made(current, updater, base);

  struct Variant {
    const char* name;
    update::PublishedUpdate u;
    std::wstring installed;  // the Vantorel.exe in the folder: "" keeps the old program
    const wchar_t* message;
    bool signatureServed = true;
  };
  std::vector<Variant> variants;
  {
    Variant v{"one byte changed", good, L"", L"Read the document failed!"};
    v.u.manifest[v.u.manifest.find("<softsize>") + 10] ^= 1;
    variants.push_back(v);
  }
  variants.push_back({"signed by another key", Made(current, updater, base, 30, sys::testing::kOtherTestKeyPem), L"",
                      L"Read the document failed!"});
  variants.push_back({"unsigned", good, L"", L"Read the document failed!", false});
  variants.push_back({"expired", Made(current, updater, base, -1), L"", L"Read the document failed!"});
  // The installed program is newer than the served one.
  variants.push_back({"older", good, L"Vantorel_next.exe", L"Read the document failed!"});
  {
    Variant v{"mismatching version", good, L"", L"Download upgrade failure!"};
    const std::string ver = "<softver>" + good.programVersion + "</softver>";
    v.u.manifest.replace(v.u.manifest.find(ver), ver.size(), "<softver>99.0.0.0</softver>");
    std::string error;
    ASSERT_TRUE(sys::SignP256(v.u.manifest, sys::testing::kTestUpdateKeyPem, v.u.signature, error)) << error;
    variants.push_back(v);
  }
  for (Variant& v : variants) {
    SCOPED_TRACE(v.name);
    if (!v.installed.empty()) {
      ASSERT_TRUE(CopyFileW((OwnFolder() + v.installed).c_str(), (app + L"Vantorel.exe").c_str(), FALSE));
    }
    const std::string program = ReadFileText(app + L"Vantorel.exe");
    server.SetBody("/update/Update.xml", v.u.manifest);
    if (v.signatureServed) server.SetBody("/update/Update.xml.sig", v.u.signature);
    else server.Set("/update/Update.xml.sig", {404, "not here"});
    for (const auto& [name, data] : v.u.files) server.SetBody("/update/" + name, data);
    updater_ = Start(app + L"Update.exe");
    ASSERT_NE(updater_.handle, nullptr);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(updater_.pid)) != nullptr; }, 60000));
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), v.message);
    EXPECT_EQ(TextOf(box), L"Vantorel");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    TerminateProcess(updater_.handle, 1);
    WaitExit(updater_, 10000);
    CloseHandle(updater_.handle);
    updater_ = Process{};
    EXPECT_TRUE(ReadFileText(app + L"Vantorel.exe") == program);
    EXPECT_TRUE(ReadFileText(app + L"Update.exe") == updater);
    EXPECT_EQ(GetFileAttributesW((app + L"update\\ks.exe").c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

}  // namespace
}  // namespace vl::gui
