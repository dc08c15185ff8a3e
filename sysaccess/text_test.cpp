// Text conversion and case rules.
#include <gtest/gtest.h>

#include "sysaccess/text.h"

namespace vl::sys {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
  std::string s = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
  std::u16string w = Utf8ToUtf16(s);
  EXPECT_EQ(w, (std::u16string{u'a', 0xE9, 0x65E5, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(w), s);
  EXPECT_EQ(Utf16BytesToUtf8(Utf8ToUtf16Bytes(s)), s);
  EXPECT_EQ(Utf16Length(s), 5u);
}

TEST(Text, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), (std::u16string{u'a', 0xFFFD, u'b'}));
  EXPECT_EQ(Utf8ToUtf16("\xC3"), std::u16string(1, 0xFFFD));
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
}

TEST(Text, CaseRulesCoverNonAsciiLetters) {
  EXPECT_TRUE(EqualsNoCase("Software\\Classes", "SOFTWARE\\classes"));
  EXPECT_TRUE(EqualsNoCase("\xC3\xA4rger", "\xC3\x84RGER"));           // äRGER
  EXPECT_TRUE(EqualsNoCase("\xD0\xB6", "\xD0\x96"));                   // ж Ж
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("abc", "ab"));
  EXPECT_EQ(ToLowerText("C:\\PROGRAM Files\\\xC3\x84"), "c:\\program files\\\xC3\xA4");
  EXPECT_LT(CompareNoCase("alpha", "Beta"), 0);
  EXPECT_GT(CompareNoCase("gamma", "BETA"), 0);
  EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
  // Registry order upper-cases first: '_' (0x5F) sorts after letters.
  EXPECT_LT(CompareNoCase("abc", "ab_"), 0);
}

}  // namespace
}  // namespace vl::sys
