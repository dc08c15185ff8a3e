// What the publishing tool writes is what both programs read back.
#include <gmock/gmock.h>
#include <stdlib.h>

#include <cstdio>
#include <memory>

#include "sysaccess/digest.h"
#include "sysaccess/inflate.h"
#include "sysaccess/signature.h"
#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/testing/test_keys.h"
#include "sysaccess/testing/pe_image.h"
#include "update/manifest.h"
#include "update/publish.h"
#include "update/version_compare.h"

namespace vl::update {
namespace {

using sys::testing::BuildPe;
using sys::testing::kTestUpdateKeyPem;
using sys::testing::kTestUpdatePublicKey;

// 2040-01-02 03:04:05 UTC.
constexpr int64_t kExpires = 2209086245000LL;

TEST(Publish, ManifestDigestsAndStreamsMatchTheExecutables) {
  const std::string program = BuildPe("1.2.0.7") + std::string(5000, 'p');
  const std::string updater = BuildPe("1.0.0.3") + std::string(700, 'u');
  PublishedUpdate u;
  std::string error;
  ASSERT_TRUE(MakeUpdate(program, updater, "https://example.org/a&b/update", kTestUpdateKeyPem, kExpires, u, error)) << error;
  Manifest m;
  ASSERT_TRUE(ParseManifest(u.manifest, m, error)) << error;
  EXPECT_EQ(m.softver, "1.2.0.7");
  EXPECT_EQ(m.upver, "1.0.0.3");
  EXPECT_EQ(m.softmd5, sys::Md5Hex(program));
  EXPECT_EQ(m.upmd5, sys::Md5Hex(updater));
  EXPECT_EQ(m.softsha256, sys::Sha256Hex(program));
  EXPECT_EQ(m.upsha256, sys::Sha256Hex(updater));
  EXPECT_EQ(m.softsize, std::to_string(program.size()));
  EXPECT_EQ(m.upsize, std::to_string(updater.size()));
  EXPECT_EQ(m.expires, "20400102030405");
  EXPECT_TRUE(sys::VerifyP256Signature(u.manifest, u.signature, kTestUpdatePublicKey));
  EXPECT_EQ(m.softpos, "https://example.org/a&b/update/");  // escaped in the XML, read back whole
  EXPECT_EQ(m.uppos, m.softpos);
  EXPECT_EQ(m.softfile, "Vantorel-1.2.0.7.z");
  EXPECT_EQ(m.upfile, "Update-1.0.0.3.z");
  for (const auto& [name, original] : {std::pair{m.softfile, program}, std::pair{m.upfile, updater}}) {
    ASSERT_EQ(u.files.count(name), 1u) << name;
    std::string inflated;
    ASSERT_EQ(sys::InflateZlib(u.files[name], 1 << 20, &inflated), sys::InflateResult::kOk);
    EXPECT_EQ(inflated, original);
  }
  EXPECT_TRUE(IsNewerVersion("1.2.0.6", m.softver));
}

TEST(Publish, AnExecutableWithoutVersionIsRefused) {
  PublishedUpdate u;
  std::string error;
  EXPECT_FALSE(MakeUpdate("MZ nothing", BuildPe("1.0.0.1"), "http://127.0.0.1/update/", kTestUpdateKeyPem, kExpires, u, error));
  EXPECT_EQ(error, "Vantorel.exe has no file version");
  EXPECT_FALSE(MakeUpdate(BuildPe("1.0.0.1"), "", "http://127.0.0.1/update/", kTestUpdateKeyPem, kExpires, u, error));
  EXPECT_EQ(error, "Update.exe has no file version");
}

TEST(Publish, AKeyThatCannotSignPublishesNothing) {
  PublishedUpdate u;
  std::string error;
  EXPECT_FALSE(MakeUpdate(BuildPe("1.0.0.1"), BuildPe("1.0.0.1"), "https://x/", "no key", kExpires, u, error));
  EXPECT_NE(error.find("signed"), std::string::npos) << error;
}

// What the tool writes, the standard tool accepts: openssl checks the
// signature file against the manifest and the test public key.
TEST(Publish, OpensslAcceptsTheSignatureFile) {
  PublishedUpdate u;
  std::string error;
  ASSERT_TRUE(MakeUpdate(BuildPe("1.2.0.7"), BuildPe("1.0.0.3"), "https://x/", kTestUpdateKeyPem, kExpires, u, error));
  char folder[] = "/tmp/vl_publish_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  auto write = [&](const std::string& name, const std::string& data) {
    FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  };
  write("Update.xml", u.manifest);
  write("Update.xml.sig", u.signature);
  write("pub.pem", "-----BEGIN PUBLIC KEY-----\n" + std::string(kTestUpdatePublicKey) + "\n-----END PUBLIC KEY-----\n");
  const std::string verify = "openssl dgst -sha256 -verify " + dir + "/pub.pem -signature " + dir +
                             "/Update.xml.sig " + dir + "/Update.xml >/dev/null 2>&1";
  EXPECT_EQ(std::system(verify.c_str()), 0);
  write("Update.xml", u.manifest + " ");
  EXPECT_NE(std::system(verify.c_str()), 0);
  std::system(("rm -rf " + dir).c_str());
}

TEST(Manifest, ReadOnlyWhenSignedAndCurrent) {
  sys::SimPlatform sim;
  sys::FileSystem& files = sim.files();
  ASSERT_TRUE(files.CreateFolder("C:\\u"));
  PublishedUpdate u;
  std::string error;
  ASSERT_TRUE(MakeUpdate(BuildPe("1.2.0.7"), BuildPe("1.0.0.3"), "https://x/", kTestUpdateKeyPem, kExpires, u, error));
  const std::vector<std::string> keys = {sys::testing::kOtherTestPublicKey, kTestUpdatePublicKey};
  auto read = [&](const std::string& xml, const std::string& sig, int64_t now) {
    files.WriteFileBytes("C:\\u\\Update.xml", xml);
    files.WriteFileBytes("C:\\u\\Update.xml.sig", sig);
    Manifest m;
    return ReadSignedManifest(files, "C:\\u\\Update.xml", "C:\\u\\Update.xml.sig", keys, now, m, error);
  };
  EXPECT_EQ(read(u.manifest, u.signature, kExpires - 1), ManifestRead::kOk);
  EXPECT_EQ(read(u.manifest, u.signature, kExpires), ManifestRead::kExpired);
  std::string changed = u.manifest;
  changed[changed.size() / 2] ^= 1;
  EXPECT_EQ(read(changed, u.signature, 0), ManifestRead::kBadSignature);
  EXPECT_EQ(read(u.manifest, "", 0), ManifestRead::kBadSignature);
  EXPECT_EQ(read(u.manifest, u.signature, 0), ManifestRead::kOk);
  EXPECT_EQ(ReadSignedManifest(files, "C:\\u\\Update.xml", "C:\\u\\none.sig", keys, 0, *std::make_unique<Manifest>(),
                               error),
            ManifestRead::kUnreadable);
  EXPECT_EQ(read(u.manifest, u.signature, 0), ManifestRead::kOk);
  // Only the trusted keys count.
  Manifest m;
  EXPECT_EQ(ReadSignedManifest(files, "C:\\u\\Update.xml", "C:\\u\\Update.xml.sig", {sys::testing::kOtherTestPublicKey},
                               0, m, error),
            ManifestRead::kBadSignature);
}

TEST(Manifest, UtcStamps) {
  int64_t ms = 0;
  ASSERT_TRUE(ParseUtcStamp("19700101000000", ms));
  EXPECT_EQ(ms, 0);
  ASSERT_TRUE(ParseUtcStamp("20400102030405", ms));
  EXPECT_EQ(ms, kExpires);
  EXPECT_EQ(FormatUtcStamp(kExpires), "20400102030405");
  ASSERT_TRUE(ParseUtcStamp("20240229235959", ms));
  EXPECT_EQ(FormatUtcStamp(ms), "20240229235959");
  for (const char* bad : {"", "2024022923595", "202402292359599", "20230229000000", "20241301000000", "20240101240000",
                          "2024010100000a", "19691231235959"})
    EXPECT_FALSE(ParseUtcStamp(bad, ms)) << bad;
}

TEST(Manifest, MissingElementsReadEmptyAndOthersAreIgnored) {
  Manifest m;
  std::string error;
  ASSERT_TRUE(ParseManifest("<updateinformation extra='1'><upfile>u.z</upfile><softver>2.0</softver>"
                            "<other>x</other></updateinformation>",
                            m, error));
  EXPECT_EQ(m.softver, "2.0");
  EXPECT_EQ(m.upfile, "u.z");
  EXPECT_EQ(m.softfile, "");
  EXPECT_EQ(m.softmd5, "");
  EXPECT_FALSE(ParseManifest("<update><softver>2.0</softver></update>", m, error));
  EXPECT_THAT(error, ::testing::HasSubstr("<updateinformation>"));
  EXPECT_FALSE(ParseManifest("<updateinformation><softver>2.0</softver>", m, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ParseManifest("", m, error));
}

}  // namespace
}  // namespace vl::update
