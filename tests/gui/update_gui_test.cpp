// The update check of the real Vantorel.exe against an update server on the
// loopback address (this process), with WinINet, the real file system and
// the real process start.
#include <windows.h>

#include <gmock/gmock.h>

#include "sysaccess/testing/loopback_http_server.h"
#include "app/control_ids.h"
#include "sysaccess/signature.h"
#include "sysaccess/testing/test_keys.h"
#include "tests/gui/gui_driver.h"
#include "update/manifest.h"
#include "update/publish.h"
#include "update/trust.h"

namespace vl::gui {
namespace {

using ::testing::HasSubstr;
using sys::testing::LoopbackHttpServer;

int64_t NowMillis() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>(t / 10000 - 11644473600000ULL);
}

// The test key trusted as an administrator would: the machine policy.
void TrustTestKey(bool on) {
  HKEY key;
  const std::wstring path = L"SOFTWARE\\Policies\\Vantorel";
  if (!on) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0);
    return;
  }
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                            &key, nullptr),
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

class UpdateGui : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.ok());
    TrustTestKey(true);
    CreateDirectoryW(kFolder, nullptr);
    for (const wchar_t* name : {L"Settings.ini", L"data.db", L"update\\Update.xml"})
      DeleteFileW((std::wstring(kFolder) + name).c_str());
    // No automatic full backup at the first start.
    CreateDirectoryW((std::wstring(kFolder) + L"backup").c_str(), nullptr);
    CreateDirectoryW((std::wstring(kFolder) + L"backup\\full_backup").c_str(), nullptr);
    ASSERT_TRUE(Install(L"Vantorel.exe", L"Vantorel.exe"));
    WriteFileText(std::wstring(kFolder) + L"Settings.ini",
                  "[Basic]\r\nAuto Update=1\r\n[Update]\r\nServer=" + server_.Url("") + "\r\n");
  }
  void TearDown() override {
    StopVantorel();
    TrustTestKey(false);
  }
  void StopVantorel() {
    for (HWND h : TopWindows(L"VantorelMainWindow", vantorel_.pid)) PostMessageW(h, WM_CLOSE, 0, 0);
    if (vantorel_.handle) {
      if (WaitExit(vantorel_, 30000) < 0) TerminateProcess(vantorel_.handle, 1);
      CloseHandle(vantorel_.handle);
    }
    vantorel_ = Process{};
  }
  // Copies a built program into the application folder under `as`.
  static bool Install(const wchar_t* built, const wchar_t* as) {
    return CopyFileW((OwnFolder() + built).c_str(), (std::wstring(kFolder) + as).c_str(), FALSE);
  }
  static std::string Built(const wchar_t* name) { return ReadFileText(OwnFolder() + name); }
  static std::string Installed(const wchar_t* name) { return ReadFileText(std::wstring(kFolder) + name); }
  // What the publishing tool makes of these two programs, signed with the
  // test key.
  update::PublishedUpdate Made(const std::string& program, const std::string& updater, int validDays = 30) {
    update::PublishedUpdate u;
    std::string error;
    EXPECT_TRUE(update::MakeUpdate(program, updater, server_.Url("/update/"), sys::testing::kTestUpdateKeyPem,
                                   NowMillis() + validDays * 86400000LL, u, error))
        << error;
    return u;
  }
  void Serve(const update::PublishedUpdate& u) {
    server_.SetBody("/update/Update.xml", u.manifest);
    server_.SetBody("/update/Update.xml.sig", u.signature);
    for (const auto& [name, data] : u.files) server_.SetBody("/update/" + name, data);
  }
  void Publish(const std::string& program, const std::string& updater) {
    update::PublishedUpdate u = Made(program, updater);
    Serve(u);
    programVersion_ = u.programVersion;
    updaterVersion_ = u.updaterVersion;
  }
  // The paths the server was asked for, for failure messages.
  std::string Asked() {
    std::string out;
    for (const auto& r : server_.Requests()) out += r.path + " ";
    return out;
  }
  void StartVantorel() {
    vantorel_ = Start(std::wstring(kFolder) + L"Vantorel.exe");
    ASSERT_NE(vantorel_.handle, nullptr);
  }
  // The text of the first message box of `pid`, answered with `button`.
  static bool Answer(DWORD pid, int button, std::wstring* text, int timeoutMs = 60000) {
    HWND box = nullptr;
    if (!WaitFor(
            [&] {
              for (HWND h : TopWindows(L"#32770", pid))
                if (IsWindowVisible(h)) box = h;
              return box != nullptr;
            },
            timeoutMs))
      return false;
    *text = TextOf(GetDlgItem(box, 0xFFFF));
    wchar_t caption[128] = {0};
    GetWindowTextW(box, caption, 128);
    captions_.push_back(caption);
    PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
  }

  static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

  static constexpr const wchar_t* kFolder = L"C:\\vltest_update\\";
  LoopbackHttpServer server_{300};
  Process vantorel_;
  std::string programVersion_, updaterVersion_;  // as published
  static inline std::vector<std::wstring> captions_;
};

TEST_F(UpdateGui, NothingNewerIsSaidAtStartAfterAskingTheServer) {
  ASSERT_TRUE(Install(L"Vantorel.exe", L"Update.exe"));  // any program with our version
  Publish(Built(L"Vantorel.exe"), Built(L"Vantorel.exe"));
  StartVantorel();
  std::wstring text;
  ASSERT_TRUE(Answer(vantorel_.pid, IDOK, &text));
  EXPECT_EQ(text, L"Your version is the latest version.");
  EXPECT_EQ(captions_.back(), L"Vantorel");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, "/update/Update.xml");
  EXPECT_EQ(requests[1].path, "/update/Update.xml.sig");
  EXPECT_THAT(requests[0].headers, HasSubstr("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  EXPECT_THAT(requests[0].headers, HasSubstr("Accept: text/html, */*\r\n"));
  EXPECT_THAT(Installed(L"update\\Update.xml"), HasSubstr("<updateinformation>"));
}

TEST_F(UpdateGui, ANewerUpdaterIsInstalledByTheCheck) {
  // The installed updater is one version behind the served one; Vantorel
  // itself is current, so nothing is started and nothing said.
  ASSERT_TRUE(Install(L"Vantorel.exe", L"Update.exe"));
  const std::string newer = Built(L"Vantorel_next.exe");
  Publish(Built(L"Vantorel.exe"), newer);
  // Files are polled without opening them: a reader holding Update.exe would
  // make the rename over it fail.
  auto gone = [](const wchar_t* name) {
    return GetFileAttributesW((std::wstring(kFolder) + name).c_str()) == INVALID_FILE_ATTRIBUTES;
  };
  auto written = [] {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    GetFileAttributesExW((std::wstring(kFolder) + L"Update.exe").c_str(), GetFileExInfoStandard, &a);
    return (static_cast<unsigned long long>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
  };
  const auto before = written();
  StartVantorel();
  // The downloads are absent before they are written too: first the new
  // Update.exe in place, then its downloads cleared.
  ASSERT_TRUE(WaitFor([&] { return written() != before; }, 60000)) << Asked();
  const std::wstring packed = L"update\\Update-" + std::wstring(updaterVersion_.begin(), updaterVersion_.end()) + L".z";
  ASSERT_TRUE(WaitFor([&] { return gone(packed.c_str()) && gone(L"update\\Update.exe"); }, 60000));
  EXPECT_EQ(Installed(L"Update.exe"), newer);
  EXPECT_NE(GetFileAttributesW((std::wstring(kFolder) + L"update\\Update.xml").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(TopWindows(L"#32770", vantorel_.pid).empty());
}

// The whole way: the running Vantorel finds a newer build, starts the
// updater, which asks, stops Vantorel, puts the new build in its place,
// records the time and starts it; the new one knows it is current.
TEST_F(UpdateGui, ARunningVantorelIsReplacedByTheNextBuild) {
  ASSERT_TRUE(Install(L"Update.exe", L"Update.exe"));
  const std::string next = Built(L"Vantorel_next.exe");
  Publish(next, Built(L"Update.exe"));
  StartVantorel();
  std::wstring text;
  // The updater runs hidden: its questions come without its window.
  ASSERT_TRUE(Answer(0, IDYES, &text, 120000)) << Asked();
  EXPECT_EQ(text, L"To update you identified?");
  ASSERT_TRUE(Answer(0, IDYES, &text, 120000)) << Asked();
  EXPECT_EQ(text, L"OK, Update Completed!\rClick Yes Button to run now?");
  // The old Vantorel is gone, the new one in its place.
  EXPECT_GE(WaitExit(vantorel_, 30000), 0);
  EXPECT_EQ(Installed(L"Vantorel.exe"), next);
  // The new one checks at its start too, and is the latest.
  ASSERT_TRUE(Answer(0, IDOK, &text, 120000));
  EXPECT_EQ(text, L"Your version is the latest version.");
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    auto found = TopWindows(L"VantorelMainWindow");
    if (!found.empty()) window = found[0];
    return window != nullptr;
  }));
  const std::wstring version(programVersion_.begin(), programVersion_.end());
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  CloseHandle(vantorel_.handle);
  vantorel_ = Process{OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid), pid};
  EXPECT_TRUE(WaitFor([&] { return TextOf(FindById(window, id::labAppVer)) == version; }))
      << Narrow(TextOf(FindById(window, id::labAppVer)));
  // The updater wrote the time of the update.
  EXPECT_TRUE(WaitFor([&] { return TextOf(FindById(window, id::labSEUpdate)).find(L"Last Time: ") != std::wstring::npos; }))
      << Narrow(TextOf(FindById(window, id::labSEUpdate)));
  SaveScreenshot(window, ShotsFolder() + L"updated_status.bmp");
  for (const wchar_t* left : {L"update\\Update.xml"})
    EXPECT_NE(GetFileAttributesW((std::wstring(kFolder) + left).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((std::wstring(kFolder) + L"update\\ks.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdateGui, AServerThatFailsChangesNothing) {
  ASSERT_TRUE(Install(L"Vantorel.exe", L"Update.exe"));
  const std::string oldUpdater = Installed(L"Update.exe");
  update::PublishedUpdate u = Made(Built(L"Vantorel.exe"), Built(L"Vantorel_next.exe"));
  Serve(u);
  // The packed updater is cut short: the check stops without a word.
  for (const auto& [name, data] : u.files) server_.Set("/update/" + name, {200, data, "", data.size() / 2});
  StartVantorel();
  ASSERT_TRUE(WaitFor([&] { return server_.Requests().size() >= 3; }, 60000));
  // The main window is up and idle, no box, the old updater intact.
  ASSERT_TRUE(WaitFor([&] { return !TopWindows(L"VantorelMainWindow", vantorel_.pid).empty(); }));
  EXPECT_TRUE(TopWindows(L"#32770", vantorel_.pid).empty());
  EXPECT_EQ(Installed(L"Update.exe"), oldUpdater);
}

// What the holder of a trusted key did not sign as it is served, what is
// stale, older than installed or not the program it names installs nothing:
// the check ends without a word and both programs stay byte for byte.
TEST_F(UpdateGui, AManifestThatIsNotTrustedOrNotTrueInstallsNothing) {
  ASSERT_TRUE(Install(L"Vantorel.exe", L"Update.exe"));
  const std::string program = Installed(L"Vantorel.exe"), updater = Installed(L"Update.exe");
  const update::PublishedUpdate good = Made(Built(L"Vantorel.exe"), Built(L"Vantorel_next.exe"));
  struct Variant {
    const char* name;
    update::PublishedUpdate u;
    bool signatureServed = true;
  };
  std::vector<Variant> variants;
  {
    Variant v{"one byte changed", good};
    v.u.manifest[v.u.manifest.find("<upsize>") + 8] ^= 1;
    variants.push_back(v);
  }
  {
    Variant v{"signed by another key", good};
    std::string error;
    ASSERT_TRUE(sys::SignP256(v.u.manifest, sys::testing::kOtherTestKeyPem, v.u.signature, error)) << error;
    variants.push_back(v);
  }
  variants.push_back({"unsigned", good, false});
  variants.push_back({"expired", Made(Built(L"Vantorel.exe"), Built(L"Vantorel_next.exe"), -1)});
  {
    // The manifest names the updater's version as one higher than the
    // program it serves carries.
    Variant v{"mismatching version", good};
    const std::string ver = "<upver>" + good.updaterVersion + "</upver>";
    const size_t at = v.u.manifest.find(ver);
    ASSERT_NE(at, std::string::npos);
    std::string next = good.updaterVersion;
    next.back() = static_cast<char>(next.back() == '9' ? '0' : next.back() + 1);
    if (next.back() == '0') next += "0";
    v.u.manifest.replace(at, ver.size(), "<upver>" + next + "</upver>");
    std::string error;
    ASSERT_TRUE(sys::SignP256(v.u.manifest, sys::testing::kTestUpdateKeyPem, v.u.signature, error)) << error;
    variants.push_back(v);
  }
  for (Variant& v : variants) {
    SCOPED_TRACE(v.name);
    const size_t before = server_.Requests().size();
    Serve(v.u);
    if (!v.signatureServed) server_.Set("/update/Update.xml.sig", {404, "not here"});
    StartVantorel();
    // The check has ended when no request has come for a few seconds.
    ASSERT_TRUE(WaitFor([&] { return server_.Requests().size() >= before + 2; }, 60000)) << Asked();
    size_t seen = 0;
    for (int quiet = 0; quiet < 6; ++quiet) {
      Sleep(500);
      if (server_.Requests().size() != seen) {
        seen = server_.Requests().size();
        quiet = 0;
      }
    }
    ASSERT_TRUE(WaitFor([&] { return !TopWindows(L"VantorelMainWindow", vantorel_.pid).empty(); }));
    EXPECT_TRUE(TopWindows(L"#32770", vantorel_.pid).empty());
    EXPECT_TRUE(Installed(L"Update.exe") == updater);
    EXPECT_TRUE(Installed(L"Vantorel.exe") == program);
    EXPECT_EQ(GetFileAttributesW((std::wstring(kFolder) + L"update\\Update.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    StopVantorel();
  }
}

// An updater older than the installed one is not installed: the check says
// that all is current.
TEST_F(UpdateGui, AnOlderUpdaterIsNotInstalled) {
  ASSERT_TRUE(Install(L"Vantorel_next.exe", L"Update.exe"));
  const std::string updater = Installed(L"Update.exe"), program = Installed(L"Vantorel.exe");
  Publish(Built(L"Vantorel.exe"), Built(L"Vantorel.exe"));
  StartVantorel();
  std::wstring text;
  ASSERT_TRUE(Answer(vantorel_.pid, IDOK, &text)) << Asked();
  EXPECT_EQ(text, L"Your version is the latest version.");
  EXPECT_TRUE(Installed(L"Update.exe") == updater);
  EXPECT_TRUE(Installed(L"Vantorel.exe") == program);
  for (const auto& r : server_.Requests()) EXPECT_EQ(r.path.find(".z"), std::string::npos) << r.path;
}

}  // namespace
}  // namespace vl::gui
