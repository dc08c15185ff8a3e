// The mask language, case by case, and the masks it refuses.
#include "junk_cleaner/mask_match.h"

#include <gtest/gtest.h>

namespace vl::junk {
namespace {

struct Case {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(MaskMatch, MatchesWholeNamesOnly) {
  const Case cases[] = {
      {"*.??~", "report.do~", true},
      {"*.??~", "report.doc~", false},
      {"file????._dd", "FILE0001._DD", true},
      {"file????._dd", "file001._dd", false},
      {"~*.*", "~WRL0001.tmp", true},
      {"~*.*", "x~WRL0001.tmp", false},
      {"*.~*", "a.~1", true},
      {"*.tmp", "a.tmp.txt", false},
      {"*.tmp", ".tmp", true},
      {"*.tmp", "A.TMP", true},
      {"*.$$$", "setup.$$$", true},
      {"*._", "x._", true},
      {"*.^", "x.^", true},
      {"readme.txt", "ReadMe.TXT", true},
      {"readme.txt", "readme.txt.bak", false},
      {"*", "", true},
      {"?", "", false},
      {"a*b*c", "abbbbc", true},
      {"a*b*c", "acb", false},
      {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"[abc].log", "B.log", true},
      {"[a-c]x", "Cx", true},
      {"[A-C]x", "cx", true},
      {"[a-c]x", "dx", false},
      {"[!a-c]x", "dx", true},
      {"[!a-c]x", "Ax", false},
      {"[a-]x", "-x", true},
      {"[0-9][0-9].chk", "07.chk", true},
      {"[0-Z]", "[", false},  // no wider than written: "[" lies between "Z" and "z"
      {"*.tmp", "\xd0\xbe\xd1\x82\xd1\x87\xd1\x91\xd1\x82.tmp", true},  // Cyrillic
      {"?.tmp", "\xd0\xbe.tmp", true},                                  // one character, two bytes
      {"?.tmp", "\xf0\x9f\x98\x80.tmp", true},                          // an emoji is one character too
      {"\xd0\x9e*", "\xd0\xbe.tmp", false},  // only a to z have two cases
  };
  for (const Case& c : cases) {
    MaskList list({c.mask});
    ASSERT_EQ(list.size(), 1u) << c.mask;
    EXPECT_EQ(list.FirstMatch(c.name) == 0, c.matches) << c.mask << " vs " << c.name;
  }
}

TEST(MaskMatch, FirstMaskWins) {
  MaskList list({"*.log", "*.tmp", "setup.*"});
  EXPECT_EQ(list.FirstMatch("setup.log"), 0);
  EXPECT_EQ(list.FirstMatch("setup.tmp"), 1);
  EXPECT_EQ(list.FirstMatch("setup.ini"), 2);
  EXPECT_EQ(list.FirstMatch("other.ini"), -1);
}

TEST(MaskMatch, InvalidMasksAreNamedAndLeftOut) {
  EXPECT_EQ(MaskError("*.tmp"), "");
  EXPECT_EQ(MaskError("[a-z]*"), "");
  EXPECT_EQ(MaskError("[abc"), "a \"[\" has no closing \"]\"");
  EXPECT_EQ(MaskError("x[!"), "a \"[\" has no closing \"]\"");
  EXPECT_EQ(MaskError("[]x"), "a set between \"[\" and \"]\" is empty");
  EXPECT_EQ(MaskError("[!]x"), "a set between \"[\" and \"]\" is empty");
  EXPECT_EQ(MaskError("[-a]"), "a \"-\" in a set has no character before it");
  EXPECT_EQ(MaskError("[!-a]"), "a \"-\" in a set has no character before it");
  std::string thirty, thirtyOne;
  for (int i = 0; i < 30; ++i) thirty += "*a";
  thirtyOne = thirty + "*[ab]";
  EXPECT_EQ(MaskError(thirty), "");
  EXPECT_EQ(MaskError(thirty + "**"), "");  // stars at the end are followed by nothing
  EXPECT_EQ(MaskError(thirtyOne), "more than 30 \"*\" are followed by further characters");
  MaskList list({"[abc", "*.tmp", ""});
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.FirstMatch("a.tmp"), 0);
}

}  // namespace
}  // namespace vl::junk
