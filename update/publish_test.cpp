// What the publishing tool writes is what both programs read back.
#include <gmock/gmock.h>

#include "sysaccess/digest.h"
#include "sysaccess/inflate.h"
#include "sysaccess/testing/pe_image.h"
#include "update/manifest.h"
#include "update/publish.h"
#include "update/version_compare.h"

namespace vl::update {
namespace {

using sys::testing::BuildPe;

TEST(Publish, ManifestDigestsAndStreamsMatchTheExecutables) {
  const std::string program = BuildPe("1.2.0.7") + std::string(5000, 'p');
  const std::string updater = BuildPe("1.0.0.3") + std::string(700, 'u');
  PublishedUpdate u;
  std::string error;
  ASSERT_TRUE(MakeUpdate(program, updater, "https://example.org/a&b/update", u, error)) << error;
  Manifest m;
  ASSERT_TRUE(ParseManifest(u.manifest, m, error)) << error;
  EXPECT_EQ(m.softver, "1.2.0.7");
  EXPECT_EQ(m.upver, "1.0.0.3");
  EXPECT_EQ(m.softmd5, sys::Md5Hex(program));
  EXPECT_EQ(m.upmd5, sys::Md5Hex(updater));
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
  EXPECT_FALSE(MakeUpdate("MZ nothing", BuildPe("1.0.0.1"), "http://127.0.0.1/update/", u, error));
  EXPECT_EQ(error, "Vantorel.exe has no file version");
  EXPECT_FALSE(MakeUpdate(BuildPe("1.0.0.1"), "", "http://127.0.0.1/update/", u, error));
  EXPECT_EQ(error, "Update.exe has no file version");
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
