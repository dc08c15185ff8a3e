// The update check as the user meets it: started at start-up or from the
// options list, against a real HTTP server on the loopback address.
#include <gmock/gmock.h>
#include <zlib.h>

#include "app/page_codes.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/digest.h"
#include "sysaccess/signature.h"
#include "sysaccess/testing/loopback_http_server.h"
#include "sysaccess/testing/pe_image.h"
#include "update/update_check.h"
#include "update/update_files.h"
#include "update/testing/signed_update.h"
#include "update/update_server.h"

namespace vl::update {
namespace {

using ::testing::HasSubstr;
using sys::testing::BuildPe;
using sys::testing::LoopbackHttpServer;
using test_signing::ExpiresIn;
using test_signing::SignedBy;

std::string Zlib(const std::string& data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()), data.size(), 9);
  out.resize(size);
  return out;
}

std::string ManifestXml(const std::string& softver, const std::string& upver, const std::string& upmd5 = "",
                        const std::string& uppos = "", const std::string& upfile = "",
                        const std::string& upsha256 = "", const std::string& upsize = "",
                        const std::string& expires = ExpiresIn(30)) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<updateinformation>"
         "<softver>" + softver + "</softver><softmd5>0123</softmd5><softpos>http://127.0.0.1/x/</softpos>"
         "<softfile>Vantorel.z</softfile><upver>" + upver + "</upver><upmd5>" + upmd5 + "</upmd5><uppos>" +
         uppos + "</uppos><upfile>" + upfile + "</upfile><upsha256>" + upsha256 + "</upsha256><upsize>" + upsize +
         "</upsize><expires>" + expires + "</expires></updateinformation>";
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
    EXPECT_TRUE(test_signing::TrustTestKey(sim.registry()));
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
  // The manifest and its signature by the test key.
  void Serve(const std::string& manifest) { Serve(manifest, SignedBy(manifest)); }
  void Serve(const std::string& manifest, const std::string& signature) {
    server_.SetBody("/update/Update.xml", manifest);
    server_.SetBody("/update/Update.xml.sig", signature);
  }
  // A newer updater on the server, packed and with its digests.
  std::string ServeUpdater(const std::string& md5, const std::string& file = "Update.z",
                           const std::string& upver = "1.0.0.2") {
    server_.SetBody("/files/" + file, Zlib(newUpdater_));
    return ManifestXml("1.9.9.9", upver, md5, server_.Url("/files/"), file, sys::Sha256Hex(newUpdater_),
                       std::to_string(newUpdater_.size()));
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
  EXPECT_THAT(Paths(), ::testing::ElementsAre("/update/Update.xml", "/update/Update.xml.sig"));
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
  EXPECT_FALSE(sim.files().FileExists(kApp + "update\\Update.exe"));  // nothing unverified is left
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
  EXPECT_THAT(Paths(), ::testing::ElementsAre("/update/Update.xml", "/update/Update.xml.sig"));
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
  EXPECT_THAT(Paths(), ::testing::Each(::testing::StartsWith("/update/Update.xml")));
  EXPECT_FALSE(UpdaterStarted());
}

// What the holder of a trusted key did not sign, or signed for a time that
// is over, is not looked at: no updater is installed or started.
TEST_F(UpdateCheckTest, OnlyAManifestSignedByATrustedKeyCounts) {
  const std::string old = ReadFile(kApp + "Update.exe");
  std::string manifest = ServeUpdater(sys::Md5Hex(newUpdater_));
  manifest.replace(manifest.find("<softver>1.9.9.9"), 16, "<softver>2.0.0.0");
  const std::string good = SignedBy(manifest);
  std::string changed = manifest;
  changed[changed.find("2.0.0.0") + 4] = '1';  // one byte after signing
  const std::vector<std::pair<std::string, std::string>> refused = {
      {changed, good},
      {manifest, SignedBy(manifest, sys::testing::kOtherTestKeyPem)},
      {manifest, ""},
      {manifest, good.substr(0, good.size() - 1)},
  };
  StartProgram();
  for (const auto& [xml, sig] : refused) {
    Serve(xml, sig);
    CheckFromOptions();
  }
  // No signature on the server at all.
  server_.Set("/update/Update.xml.sig", {404, ""});
  server_.SetBody("/update/Update.xml", manifest);
  CheckFromOptions();
  // Expired, and without an expiry, each signed.
  std::string stale = ServeUpdater(sys::Md5Hex(newUpdater_));
  stale.replace(stale.find("<softver>1.9.9.9"), 16, "<softver>2.0.0.0");
  const std::string expiry = stale.substr(stale.find("<expires>"), 9 + 14 + 10);
  std::string expired = stale;
  expired.replace(expired.find(expiry), expiry.size(), "<expires>" + ExpiresIn(-1) + "</expires>");
  Serve(expired);
  CheckFromOptions();
  std::string none = stale;
  none.replace(none.find(expiry), expiry.size(), "");
  Serve(none);
  CheckFromOptions();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), old);
  EXPECT_FALSE(UpdaterStarted());
  EXPECT_TRUE(ports.messages.empty());
  for (const auto& p : Paths()) EXPECT_NE(p, "/files/Update.z");
  // The same manifest, properly signed, is taken.
  Serve(manifest);
  CheckFromOptions();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), newUpdater_);
  EXPECT_TRUE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, WithoutThePolicyKeyTheTestKeyIsNotTrusted) {
  ASSERT_TRUE(test_signing::WritePolicy(sim.registry(), {sys::testing::kOtherTestPublicKey}));
  Serve(ManifestXml("2.0.0.0", "1.0.0.1"));
  StartProgram();
  EXPECT_FALSE(UpdaterStarted());
  // Any one of the trusted keys is enough.
  ASSERT_TRUE(test_signing::WritePolicy(sim.registry(), {"junk", sys::testing::kOtherTestPublicKey,
                                                        sys::testing::kTestUpdatePublicKey}));
  CheckFromOptions();
  EXPECT_TRUE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, TheReleaseKeyIsCompiledInAndIsNoTestKey) {
  std::string der, xy;
  ASSERT_TRUE(sys::sig::DecodeBase64(kReleaseUpdateKey, der));
  EXPECT_TRUE(sys::sig::P256PointFromSpki(der, xy));
  EXPECT_NE(std::string(kReleaseUpdateKey), sys::testing::kTestUpdatePublicKey);
  EXPECT_NE(std::string(kReleaseUpdateKey), sys::testing::kOtherTestPublicKey);
  EXPECT_EQ(TrustedUpdateKeys(sim.registry()).front(), kReleaseUpdateKey);
}

TEST_F(UpdateCheckTest, NoOlderOrSameUpdaterIsInstalled) {
  const std::string old = ReadFile(kApp + "Update.exe");
  for (const char* upver : {"1.0.0.1", "1.0.0.0", "0.9"}) {
    newUpdater_ = BuildPe(upver) + std::string(100, 'o');
    std::string manifest = ServeUpdater(sys::Md5Hex(newUpdater_), "Update.z", upver);
    manifest.replace(manifest.find("<softver>1.9.9.9"), 16, "<softver>2.0.0.0");
    Serve(manifest);
    Build();
    main->exePath = kApp + "Vantorel.exe";
    CheckFromOptions();
    EXPECT_EQ(ReadFile(kApp + "Update.exe"), old) << upver;
  }
  for (const auto& p : Paths()) EXPECT_NE(p, "/files/Update.z");
}

TEST_F(UpdateCheckTest, AnUpdaterThatIsNotWhatTheManifestSaysIsNotInstalled) {
  const std::string old = ReadFile(kApp + "Update.exe");
  const std::string real = newUpdater_;
  // Its own version resource says otherwise; a size, a SHA-256 that differ;
  // an empty SHA-256.
  auto tryManifest = [&](const std::string& manifest) {
    Serve(manifest);
    Build();
    main->exePath = kApp + "Vantorel.exe";
    CheckFromOptions();
    EXPECT_EQ(ReadFile(kApp + "Update.exe"), old) << manifest;
    EXPECT_FALSE(sim.files().FileExists(kApp + "update\\Update.exe")) << manifest;
  };
  newUpdater_ = BuildPe("1.0.0.3") + std::string(3000, 'u');
  tryManifest(ServeUpdater(sys::Md5Hex(newUpdater_), "Update.z", "1.0.0.2"));
  newUpdater_ = real;
  std::string m = ServeUpdater(sys::Md5Hex(newUpdater_));
  std::string size = m;
  size.replace(size.find("<upsize>") + 8, 1, "9");
  tryManifest(size);
  std::string sha = m;
  sha.replace(sha.find("<upsha256>") + 10, 1, sha[sha.find("<upsha256>") + 10] == '0' ? "1" : "0");
  tryManifest(sha);
  std::string empty = m;
  empty.replace(empty.find("<upsha256>"), 10 + 64 + 11, "<upsha256></upsha256>");
  tryManifest(empty);
  std::string noMd5 = m;
  noMd5.replace(noMd5.find("<upmd5>"), 7 + 32 + 8, "<upmd5></upmd5>");
  tryManifest(noMd5);
}

TEST_F(UpdateCheckTest, AnUpdaterPackedAsUpdateExeIsReadBeforeItIsReplaced) {
  // upfile "Update.exe": the packed download and the unpacked program have
  // the same name in update\.
  Serve(ServeUpdater(sys::Md5Hex(newUpdater_), "Update.exe"));
  StartProgram();
  EXPECT_EQ(ReadFile(kApp + "Update.exe"), newUpdater_);
  EXPECT_EQ(main->platform().files->FileExists(kApp + "update\\Update.exe"), false);
}

TEST_F(UpdateCheckTest, ThePolicyServerWinsOverSettings) {
  LoopbackHttpServer other{60};
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(test_signing::WritePolicy(sim.registry(), {sys::testing::kTestUpdatePublicKey}, other.Url("")));
  const std::string manifest = ManifestXml("2.0.0.0", "1.0.0.1");
  other.SetBody("/update/Update.xml", manifest);
  other.SetBody("/update/Update.xml.sig", SignedBy(manifest));
  StartProgram();
  EXPECT_TRUE(UpdaterStarted());
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(other.Requests().size(), 2u);
}

TEST(UpdateServerAddress, OnlyHttpsOrLoopbackHttp) {
  EXPECT_TRUE(IsUsableServer("https://updates.example.org"));
  EXPECT_TRUE(IsUsableServer("http://127.0.0.1:8080"));
  EXPECT_FALSE(IsUsableServer("http://updates.example.org"));
  EXPECT_FALSE(IsUsableServer("ftp://127.0.0.1"));
}

TEST(PlainFileName, OnlyNamesOfOneFileInTheFolder) {
  for (const char* ok : {"Update.z", "Vantorel_1.0.0.2.z", "a b.z", "con1.z", "COMX.z", "Ünïcode.z"})
    EXPECT_TRUE(IsPlainFileName(ok)) << ok;
  for (const char* bad : {"", ".", "..", "..\\a", "a/b", "C:x", "a\\b", "x.z.", "x.z ", "a..b", "CON", "con.txt",
                          "Nul", "COM1.z", "COM0.z", "lpt9", "CONIN$", "a*b", "a?b", "a\"b", "a<b", "a|b", "tab\there",
                          "COM\xC2\xB9", "com\xC2\xB2.z", "LPT\xC2\xB3.txt", "lpt\xC2\xB9"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  // Other superscripts are no ports.
  EXPECT_TRUE(IsPlainFileName("COM\xE2\x81\xB4.z"));
}

}  // namespace
}  // namespace vl::update
