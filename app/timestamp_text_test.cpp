// Timestamp texts: the three styles, defaults for parts that are not
// numbers, and the texts that stay empty.
#include "app/timestamp_text.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

const sys::DateNames kEnglish = sys::EnglishDateNames();

TEST(TimestampText, TheThreeStyles) {
  EXPECT_EQ(TimestampText("20240305143000", 1, kEnglish), "2024-03-05 14:30:00");
  EXPECT_EQ(TimestampText("20240305143000", 2, kEnglish), "March 5, 2024 (14:30:00)");
  EXPECT_EQ(TimestampText("20240305143000", 3, kEnglish), "Tue. March 5, 2024. 02:30 PM");
}

TEST(TimestampText, TwelveHourClockOfStyleThree) {
  EXPECT_EQ(TimestampText("20240101000500", 3, kEnglish), "Mon. January 1, 2024. 12:05 AM");
  EXPECT_EQ(TimestampText("20240229120000", 3, kEnglish), "Thu. February 29, 2024. 12:00 PM");
  EXPECT_EQ(TimestampText("19991231235959", 3, kEnglish), "Fri. December 31, 1999. 11:59 PM");
  EXPECT_EQ(TimestampText("20000301093000", 3, kEnglish), "Wed. March 1, 2000. 09:30 AM");
}

TEST(TimestampText, OnlyFourteenCharactersMakeADate) {
  EXPECT_EQ(TimestampText("0", 1, kEnglish), "");
  EXPECT_EQ(TimestampText("", 3, kEnglish), "");
  EXPECT_EQ(TimestampText("2024030514300", 1, kEnglish), "");
  EXPECT_EQ(TimestampText("202403051430000", 1, kEnglish), "");
}

TEST(TimestampText, OtherStylesGiveNothing) {
  EXPECT_EQ(TimestampText("20240305143000", 0, kEnglish), "");
  EXPECT_EQ(TimestampText("20240305143000", 4, kEnglish), "");
}

TEST(TimestampText, PartsThatAreNotNumbersTakeTheirDefaults) {
  EXPECT_EQ(TimestampText("202403051430xx", 1, kEnglish), "2024-03-05 14:30:01");
  EXPECT_EQ(TimestampText("2024030514ab00", 1, kEnglish), "2024-03-05 14:55:00");
  EXPECT_EQ(TimestampText("yyyymmddhhnnss", 1, kEnglish), "2013-02-18 16:55:01");
  EXPECT_EQ(TimestampText("2024 3051430 0", 1, kEnglish), "2024-02-05 14:30:01");
}

TEST(TimestampText, PartsThatFormNoDateGiveNothing) {
  EXPECT_EQ(TimestampText("20241305143000", 1, kEnglish), "");  // month 13
  EXPECT_EQ(TimestampText("20230229143000", 1, kEnglish), "");  // not a leap year
  EXPECT_EQ(TimestampText("20240300143000", 1, kEnglish), "");
  EXPECT_EQ(TimestampText("20240305246000", 1, kEnglish), "");
  EXPECT_EQ(TimestampText("00000305143000", 1, kEnglish), "");
  EXPECT_EQ(TimestampText("2024-3-5143000", 1, kEnglish), "");  // signed parts are numbers too
}

TEST(TimestampText, NamesComeFromTheLocale) {
  sys::DateNames german = kEnglish;
  german.longMonths[2] = "März";
  german.shortDays[2] = "Di";
  german.am = "";
  german.pm = "";
  EXPECT_EQ(TimestampText("20240305143000", 3, german), "Di. März 5, 2024. 02:30 ");
  EXPECT_EQ(TimestampText("20240305143000", 2, german), "März 5, 2024 (14:30:00)");
}

TEST(DateStyleFor, ChineseLocalesUseStyleOne) {
  for (int lang : {1028, 2052, 3076, 4100}) EXPECT_EQ(DateStyleFor(lang), 1) << lang;
  for (int lang : {1033, 2057, 1031, 1041, 0}) EXPECT_EQ(DateStyleFor(lang), 3) << lang;
}

}  // namespace
}  // namespace vl
