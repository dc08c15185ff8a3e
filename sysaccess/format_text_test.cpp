// Size texts, splitting, masks and the special folder table.
#include <gmock/gmock.h>

#include "sysaccess/format_text.h"
#include "sysaccess/file_time.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/shell_folders.h"

namespace vl::sys {
namespace {

using ::testing::ElementsAre;

TEST(FormatSize, UsesTheLargestUnitStrictlyExceeded) {
  EXPECT_EQ(FormatSize(0), "0 B");
  EXPECT_EQ(FormatSize(1024), "1024 B");
  EXPECT_EQ(FormatSize(1025), "1.0 KB");
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
  EXPECT_EQ(FormatSize(1048576), "1024.0 KB");
  EXPECT_EQ(FormatSize(1073741824), "1024.0 MB");
  EXPECT_EQ(FormatSize(1073741825), "1.0 GB");
  EXPECT_EQ(FormatSize(5ull * 1073741824 / 2), "2.5 GB");
  EXPECT_EQ(FormatSize(1536, ","), "1,5 KB");
}

TEST(FormatSize, RoundsHalfUpExactly) {
  EXPECT_EQ(FormatSize(1024 + 1024 / 4), "1.3 KB");   // 1.25
  EXPECT_EQ(FormatSize(1024 * 2 - 1), "2.0 KB");      // 1.999
  EXPECT_EQ(FormatSize(1024 + 51), "1.0 KB");         // 1.0498
  EXPECT_EQ(FormatSize(1024 + 52), "1.1 KB");         // 1.0508
  EXPECT_EQ(FormatSize(~0ull), "17179869184.0 GB");
}

TEST(SplitText, KeepsEmptyPiecesButNoFinalEmptyOne) {
  std::vector<std::string> list = {"stale"};
  SplitText("a\\b\\", '\\', list);
  EXPECT_THAT(list, ElementsAre("a", "b"));
  SplitText("\\a", '\\', list);
  EXPECT_THAT(list, ElementsAre("", "a"));
  SplitText("a\\\\b", '\\', list);
  EXPECT_THAT(list, ElementsAre("a", "", "b"));
  SplitText("", '\\', list);
  EXPECT_TRUE(list.empty());
  SplitText("\\", '\\', list);
  EXPECT_THAT(list, ElementsAre(""));
}

TEST(MatchesMask, WindowsWildcardsWithoutRegardToCase) {
  EXPECT_TRUE(MatchesMask("File.TMP", "*.tmp"));
  EXPECT_TRUE(MatchesMask("a.b", "?.?"));
  EXPECT_TRUE(MatchesMask("noext", "*.*"));
  EXPECT_FALSE(MatchesMask("file.tmpx", "*.tmp"));
  EXPECT_TRUE(MatchesMask("~abc.tmp", "~*"));
}

TEST(SpecialFolders, IndexTable) {
  const int expected[] = {34, 23, 11, 22, 24, 0,  2,  5,  6,  7,  8,  9,  16, 19,
                          20, 21, 25, 26, 27, 31, 32, 33, 28, 35, 36, 37, 38, 43, 34};
  for (int i = 0; i <= 28; ++i) EXPECT_EQ(CsidlForIndex(i), expected[i]) << i;
  EXPECT_EQ(CsidlForIndex(99), 34);
  EXPECT_EQ(CsidlForIndex(-1), 34);
}

TEST(FileTime, CalendarConversion) {
  DateTime epoch = FileTimeToCalendar(0);
  EXPECT_EQ(epoch.year, 1601);
  EXPECT_EQ(epoch.month, 1);
  EXPECT_EQ(epoch.day, 1);
  // 2000-02-29 23:59:59 (a leap day).
  DateTime leap = FileTimeToCalendar(125963423990000000ull);
  EXPECT_EQ(leap.year, 2000);
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  EXPECT_EQ(leap.hour, 23);
  EXPECT_EQ(leap.second, 59);
  DateTime unix0 = FileTimeToCalendar(116444736000000000ull);
  EXPECT_DOUBLE_EQ(unix0.ToSerial(), 25569.0);
}

}  // namespace
}  // namespace vl::sys

namespace vl::sys {
namespace {

// The program takes the separator from the user's locale once at start.
TEST(FormatSize, FollowsTheSeparatorTakenFromTheLocale) {
  UseDecimalSeparator(",");
  EXPECT_EQ(FormatSize(1536), "1,5 KB");
  EXPECT_EQ(FormatSize(0), "0 B");
  UseDecimalSeparator("");
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
  UseDecimalSeparator(".");
}

}  // namespace
}  // namespace vl::sys
