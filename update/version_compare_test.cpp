// The version comparison as the manifests have always been read.
#include <gtest/gtest.h>

#include "update/version_compare.h"

namespace vl::update {
namespace {

TEST(VersionCompare, NumbersArePaddedPartByPart) {
  EXPECT_EQ(VersionDigits("1.2.3.4"), "010020030004");
  EXPECT_EQ(VersionDigits("1.2.3"), "010020000003");  // the last text is the build
  EXPECT_EQ(VersionDigits("1.2"), "010000000002");
  EXPECT_EQ(VersionDigits("7"), "000000000007");      // no dot: all of it is the build
  EXPECT_EQ(VersionDigits("a.b.c.d"), "000000000000");
  EXPECT_EQ(VersionDigits("1.2.3.4.5"), "010020030000");  // "4.5" is no number
  EXPECT_EQ(VersionDigits("123.4567.1.99999"), "123456700199999");
  EXPECT_EQ(VersionDigits(""), "000000000000");
}

TEST(VersionCompare, NewerByValue) {
  EXPECT_TRUE(IsNewerVersion("1.9.9.9", "2.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.9.0.0", "1.10.0.0"));  // minor 10 > 9
  EXPECT_FALSE(IsNewerVersion("1.10.0.0", "1.9.0.0"));
  EXPECT_FALSE(IsNewerVersion("1.0.0.1", "1.0.0.1"));
  EXPECT_FALSE(IsNewerVersion("2.0.0.0", "1.99.999.9999"));
  EXPECT_TRUE(IsNewerVersion("1.0.0.1", "1.0.0.2"));
  // Longer numbers than the padding still compare by value.
  EXPECT_TRUE(IsNewerVersion("99.0.0.0", "100.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.0.0.9999", "1.0.0.10000"));
  // Padding is per part, so a long build can outweigh a minor step: the
  // old reading, kept as servers rely on it.
  EXPECT_TRUE(IsNewerVersion("1.1.0.0", "1.0.0.100000000"));
}

TEST(VersionCompare, WithoutADotTheTextsCompare) {
  EXPECT_TRUE(IsNewerVersion("10", "9"));
  EXPECT_FALSE(IsNewerVersion("9", "10"));
  EXPECT_TRUE(IsNewerVersion("1.0.0.0", "2"));  // "2" sorts after "1.0.0.0"
  EXPECT_FALSE(IsNewerVersion("1.0.0.0", ""));
}

}  // namespace
}  // namespace vl::update
