// Version comparison: four numbers compared part by part.
#include <gtest/gtest.h>

#include <vector>

#include "update/version_compare.h"

namespace vl::update {
namespace {

TEST(VersionCompare, ParsesOneToFourParts) {
  std::array<uint16_t, 4> p;
  ASSERT_TRUE(ParseVersion("1.2.3.4", p));
  EXPECT_EQ(p, (std::array<uint16_t, 4>{1, 2, 3, 4}));
  ASSERT_TRUE(ParseVersion("1.2", p));
  EXPECT_EQ(p, (std::array<uint16_t, 4>{1, 2, 0, 0}));
  ASSERT_TRUE(ParseVersion("9", p));
  EXPECT_EQ(p, (std::array<uint16_t, 4>{9, 0, 0, 0}));
  ASSERT_TRUE(ParseVersion("65535.0.0.65535", p));
  for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "a.b.c.d", "1.2.3.65536", "-1.0.0.0", "+1",
                          " 1.0", "1.0 ", "1,0", "1.0.0.100000000"})
    EXPECT_FALSE(ParseVersion(bad, p)) << bad;
}

TEST(VersionCompare, NewerByValuePartByPart) {
  EXPECT_TRUE(IsNewerVersion("1.9.9.9", "2.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.9.0.0", "1.10.0.0"));  // minor 10 > 9
  EXPECT_FALSE(IsNewerVersion("1.10.0.0", "1.9.0.0"));
  EXPECT_FALSE(IsNewerVersion("1.0.0.1", "1.0.0.1"));
  EXPECT_TRUE(IsNewerVersion("1.0.0.1", "1.0.0.2"));
  EXPECT_TRUE(IsNewerVersion("99.0.0.0", "100.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("1.0.0.9999", "1.0.0.10000"));
  // A long build never outweighs a step of an earlier part.
  EXPECT_TRUE(IsNewerVersion("1.2.3.10000", "1.2.4.0"));
  EXPECT_FALSE(IsNewerVersion("1.2.4.0", "1.2.3.10000"));
  EXPECT_TRUE(IsNewerVersion("1.2.1000.0", "1.3.0.0"));
  EXPECT_FALSE(IsNewerVersion("1.3.0.0", "1.2.1000.0"));
  EXPECT_FALSE(IsNewerVersion("2.0.0.0", "1.99.999.9999"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.0", "1.2"));  // the missing parts are 0
  EXPECT_TRUE(IsNewerVersion("1.2", "1.2.0.1"));
}

TEST(VersionCompare, TextsWithoutDotsAreVersionsToo) {
  EXPECT_FALSE(IsNewerVersion("10.0.0.0", "9"));
  EXPECT_TRUE(IsNewerVersion("9", "10.0.0.0"));
  EXPECT_TRUE(IsNewerVersion("9", "10"));
  EXPECT_FALSE(IsNewerVersion("10", "9"));
  EXPECT_FALSE(IsNewerVersion("1.0.0.0", "2x"));
}

TEST(VersionCompare, WhatIsNoVersionIsNeverNewer) {
  for (const char* bad : {"", "latest", "1.0.0.0.1", "1.2.3.65536", "2.0.0.0 "})
    EXPECT_FALSE(IsNewerVersion("1.0.0.0", bad)) << bad;
  // An installed program without a readable version is behind any version.
  EXPECT_TRUE(IsNewerVersion("", "1.0.0.0"));
  EXPECT_FALSE(IsNewerVersion("", ""));
}

TEST(VersionCompare, NeverNewerBothWays) {
  const std::vector<std::string> all = {"",        "9",          "10",      "10.0.0.0", "1.2.3.10000", "1.2.4.0",
                                        "1.2.1000.0", "1.3.0.0", "1.3",     "x.y",      "65535.65535.65535.65535",
                                        "0.0.0.0", "1.0.0.100000000"};
  for (const auto& a : all)
    for (const auto& b : all) {
      EXPECT_FALSE(IsNewerVersion(a, b) && IsNewerVersion(b, a)) << a << " / " << b;
      if (SameVersion(a, b)) EXPECT_FALSE(IsNewerVersion(a, b)) << a << " / " << b;
    }
}

TEST(VersionCompare, SameVersionComparesNumbers) {
  EXPECT_TRUE(SameVersion("1.2.0.0", "1.2"));
  EXPECT_TRUE(SameVersion("01.2.3.4", "1.2.3.4"));
  EXPECT_FALSE(SameVersion("1.2.3.4", "1.2.3.5"));
  EXPECT_FALSE(SameVersion("", ""));
}

}  // namespace
}  // namespace vl::update
