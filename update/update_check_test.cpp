// The update check as the user meets it: started at start-up or from the
// options list, against a real HTTP server on the loopback address.
#include <gmock/gmock.h>
#include <zlib.h>

#include "app/page_codes.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/digest.h"
#include "sysaccess/testing/loopback_http_server.h"
#include "sysaccess/testing/pe_image.h"
#include "update/update_check.h"
#include "update/update_files.h"
#include "update/update_server.h"

namespace vl::update {
namespace {

using ::testing::HasSubstr;
using sys::testing::BuildPe;
using sys::testing::LoopbackHttpServer;

std::string Zlib(const std::string& data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()), data.size(), 9);
  out.resize(size);
  return out;
}

std::string ManifestXml(const std::string& softver, const std::string& upver, const std::string& upmd5 = "",
                        const std::string& uppos = "", const std::string& upfile = "") {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<updateinformation>"
         "<softver>" + softver + "</softver><softmd5>0123</softmd5><softpos>http://127.0.0.1/x/</softpos>"
         "<softfile>Vantorel.z</softfile><upver>" + upver + "</upver><upmd5>" + upmd5 + "</upmd5><uppos>" +
         uppos + "</uppos><upfile>" + upfile + "</upfile></updateinformation>";
}

class UpdateCheckTest : public testing::AppFixture {
 protected:
  UpdateCheckTest() {
    withUpdateCheck = true;
    EXPECT_TRUE(server_.ok());
    WriteFile(kApp + "Vantorel.exe", BuildPe("1.9.9.9"));
    WriteFile(kApp + "Update.exe", BuildPe("1.0.0.1"));
    WriteFile(kApp + "Settings.ini", "[Basic]\r\nAuto Update=1\r\n[Update]\r\nServer=" + server_.Url("") + "\r\n");
    newUpdater_ = BuildPe("1.0.0.2") + std::string(3000, 'u');
  }
  // Starts Vantorel: the check of the start-up sequence runs to its end.
  void StartProgram() {
    Build();
    main->exePath = kApp + "Vantorel.exe";
    main->FormShow();
    Drain();
  }
  // The check from the options list, behind the wait window.
  void CheckFromOptions() {
    main->control(id::imgMOptions).onClick();
    main->control(id::lstvOptions).onItemClick(2);
    Drain();
  }
  void Serve(const std::string& manifest) { server_.SetBody("/update/Update.xml", manifest); }
  // A newer updater on the server, packed and with its digest.
  std::string ServeUpdater(const std::string& md5, const std::string& file = "Update.z") {
    server_.SetBody("/files/" + file, Zlib(newUpdater_));
    return ManifestXml("1.9.9.9", "1.0.0.2", md5, server_.Url("/files/"), file);
  }
  bool UpdaterStarted() {
    for (const auto& s : sim.processes().started())
      if (s.program == kApp + "Update.exe") return true;
    return false;
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const auto& r : server_.Requests()) out.push_back(r.path);
    return out;
  }

  const std::string kApp = "C:\\Vantorel\\";
  LoopbackHttpServer server_{60};
  std::string newUpdater_;
};

TEST_F(UpdateCheckTest, NewerProgramStartsTheUpdaterSilently) {
  Serve(ManifestXml("2.0.0.0", "1.0.0.1"));
  StartProgram();
  EXPECT_TRUE(UpdaterStarted());
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_THAT(Paths(), ::testing::ElementsAre("/update/Update.xml"));
  // The manifest stays in update\ for the updater.
  EXPECT_THAT(ReadFile(kApp + "update\\Update.xml"), HasSubstr("<softver>2.0.0.0</softver>"));
  // The headers the server has always seen, and no Content-Type from Vantorel.
  std::string headers = server_.Requests().at(0).headers;
  EXPECT_THAT(headers, HasSubstr("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  EXPECT_THAT(headers, HasSubstr("Accept: text/html, */*\r\n"));
  EXPECT_THAT(headers, ::testing::Not(HasSubstr("Content-Type")));
  EXPECT_THAT(headers, ::testing::Not(HasSubstr("Range")));
}

TEST_F(UpdateCheckTest, NothingNewerSaysSoAtEveryStart) {
  Serve(ManifestXml("1.9.9.9", "1.0.0.1"));
  for (int start = 0; start < 2; ++start) {
    StartProgram();
    ASSERT_EQ(ports.messages.size(), static_cast<size_t>(start + 1));
    EXPECT_EQ(ports.messages.back().text, "Your version is the latest version.");
    EXPECT_EQ(ports.messages.back().caption, "Vantorel");
    EXPECT_EQ(ports.messages.back().icon, MsgIcon::Information);
  }
  EXPECT_FALSE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, AutoUpdateOffChecksNothingAtStart) {
  WriteFile(kApp + "Settings.ini", "[Basic]\r\nAuto Update=0\r\n[Update]\r\nServer=" + server_.Url("") + "\r\n");
  Serve(ManifestXml("2.0.0.0", "1.0.0.1"));
  StartProgram();
  EXPECT_TRUE(server_.Requests().empty());
  // The options list still checks on request, behind the wait window.
  main->control(id::imgMOptions).onClick();
  main->form().SetFocused(0);
  main->control(id::lstvOptions).onItemClick(2);
  Drain();
  EXPECT_EQ(ports.waitShown, 1);
  EXPECT_FALSE(ports.waitOpen);
  EXPECT_TRUE(UpdaterStarted());
  EXPECT_EQ(main->form().focused(), id::panOptions_Top);  // back to the options page
  EXPECT_EQ(main->currentPage(), page::kOptions);
}

TEST_F(UpdateCheckTest, ServerTroubleEndsWithoutAWord) {
  // Nothing served: 404. Then a server that is gone, a redirect loop, a
  // 500, a manifest that is not XML and one with another root.
  StartProgram();
  server_.Set("/update/Update.xml", {302, "", "/update/Update.xml"});
  CheckFromOptions();
  server_.Set("/update/Update.xml", {500, "<updateinformation><softver>9.0.0.0</softver></updateinformation>"});
  CheckFromOptions();
  Serve("<updateinformation><softver>9.0.0.0</softver>");
  CheckFromOptions();
  Serve("<update><softver>9.0.0.0</softver></update>");
  CheckFromOptions();
  Serve(std::string(kMaxManifestBytes + 10, ' '));
  CheckFromOptions();
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_FALSE(UpdaterStarted());
  EXPECT_FALSE(ports.waitOpen);
  EXPECT_EQ(ports.waitShown, 5);

  WriteFile(kApp + "Settings.ini", "[Update]\r\nServer=http://127.0.0.1:9\r\n");
  CheckFromOptions();
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_FALSE(ports.waitOpen);
}

TEST_F(UpdateCheckTest, AProgramWithoutVersionNeedsTheUpdaterWhateverTheServerSays) {
  WriteFile(kApp + "Vantorel.exe", "MZ no resources");
  Serve(ManifestXml("0.0.0.1", "1.0.0.1"));
  StartProgram();
  EXPECT_TRUE(UpdaterStarted());
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(UpdateCheckTest, ANewerUpdaterIsInstalledAndItsDownloadsCleared) {
  Serve(ServeUpdater(sys::Md5Hex(newUpdater_)));
  StartProgram();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), newUpdater_);
  EXPECT_FALSE(sim.files().FileExists(kApp + "update\\Update.z"));
  EXPECT_FALSE(sim.files().FileExists(kApp + "update\\Update.exe"));
  EXPECT_TRUE(sim.files().FileExists(kApp + "update\\Update.xml"));
  // Only the updater was behind: it is not started, and nothing is said.
  EXPECT_FALSE(UpdaterStarted());
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(UpdateCheckTest, ABadUpdaterDownloadLeavesTheOldOne) {
  const std::string old = ReadFile(kApp + "Update.exe");
  // An uppercase digest never matches; the updater still starts for a newer program.
  std::string manifest = ServeUpdater(sys::Md5Hex(newUpdater_));
  std::string upper = sys::Md5Hex(newUpdater_);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  size_t at = manifest.find(sys::Md5Hex(newUpdater_));
  manifest.replace(at, upper.size(), upper);
  manifest.replace(manifest.find("<softver>1.9.9.9"), 16, "<softver>2.0.0.0");
  Serve(manifest);
  StartProgram();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), old);
  EXPECT_TRUE(sim.files().FileExists(kApp + "update\\Update.exe"));  // left for the next attempt
  EXPECT_TRUE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, CorruptOrMissingUpdaterDataStopsTheWholeCheck) {
  const std::string old = ReadFile(kApp + "Update.exe");
  std::string manifest = ServeUpdater(sys::Md5Hex(newUpdater_));
  manifest.replace(manifest.find("<softver>1.9.9.9"), 16, "<softver>2.0.0.0");
  server_.SetBody("/files/Update.z", "this is not zlib data");
  Serve(manifest);
  StartProgram();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), old);
  EXPECT_FALSE(UpdaterStarted());
  EXPECT_TRUE(ports.messages.empty());

  // A body cut short is a failed download: the same.
  server_.Set("/files/Update.z", {200, Zlib(newUpdater_), "", 10});
  CheckFromOptions();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), old);
  EXPECT_FALSE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, AnEmptyUpfileTriesNoInstallation) {
  Serve(ManifestXml("1.9.9.9", "1.0.0.2", sys::Md5Hex(newUpdater_), server_.Url("/files/"), ""));
  StartProgram();
  EXPECT_THAT(Paths(), ::testing::ElementsAre("/update/Update.xml"));
  EXPECT_TRUE(ports.messages.empty());
  EXPECT_FALSE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, AnUpdaterNameThatIsNoPlainFileNameIsRefused) {
  const std::string old = ReadFile(kApp + "Update.exe");
  for (std::string name : {"..\\Vantorel.exe", "../x.z", "C:\\Windows\\x.z", "sub\\x.z", "CON", "nul.txt", ".."}) {
    server_.SetBody("/files/" + name, Zlib(newUpdater_));
    Serve(ManifestXml("2.0.0.0", "1.0.0.2", sys::Md5Hex(newUpdater_), server_.Url("/files/"), name));
    Build();
    main->exePath = kApp + "Vantorel.exe";
    CheckFromOptions();
    EXPECT_EQ(ReadFile(kApp + "Vantorel.exe"), BuildPe("1.9.9.9")) << name;
    EXPECT_EQ(ReadFile(kApp + "Update.exe"), old) << name;
  }
  EXPECT_THAT(Paths(), ::testing::Each("/update/Update.xml"));
  EXPECT_FALSE(UpdaterStarted());
}

TEST(PlainFileName, OnlyNamesOfOneFileInTheFolder) {
  for (const char* ok : {"Update.z", "Vantorel_1.0.0.2.z", "a b.z", "con1.z", "COMX.z", "Ünïcode.z"})
    EXPECT_TRUE(IsPlainFileName(ok)) << ok;
  for (const char* bad : {"", ".", "..", "..\\a", "a/b", "C:x", "a\\b", "x.z.", "x.z ", "a..b", "CON", "con.txt",
                          "Nul", "COM1.z", "COM0.z", "lpt9", "CONIN$", "a*b", "a?b", "a\"b", "a<b", "a|b", "tab\there"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

}  // namespace
}  // namespace vl::update
