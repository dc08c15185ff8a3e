// Quoting of started programs' command lines.
#include "sysaccess/process_command_line.h"

#include <gtest/gtest.h>

#include "sysaccess/full_path_check.h"

namespace vl::sys {
namespace {

TEST(QuoteArgument, PlainArgumentsStayAsTheyAre) {
  EXPECT_EQ(QuoteArgument("abc"), "abc");
  EXPECT_EQ(QuoteArgument("C:\\dir\\x"), "C:\\dir\\x");
}

TEST(QuoteArgument, BlanksQuotesAndTrailingBackslashes) {
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteArgument("C:\\my dir\\"), "\"C:\\my dir\\\\\"");
  EXPECT_EQ(QuoteArgument("a\\\"b"), "\"a\\\\\\\"b\"");
}

TEST(BuildCommandLine, ProgramAlwaysQuoted) {
  EXPECT_EQ(BuildCommandLine("C:\\Program Files\\Vantorel\\Update.exe", {"x y", "z"}),
            "\"C:\\Program Files\\Vantorel\\Update.exe\" \"x y\" z");
  EXPECT_EQ(BuildCommandLine("C:\\a\"b.exe", {}), "");
}

TEST(IsFullEntryPath, AcceptsOnlyOneNamedEntry) {
  EXPECT_TRUE(IsFullEntryPath("C:\\dir\\file.tmp"));
  EXPECT_TRUE(IsFullEntryPath("\\\\server\\share\\file.tmp"));
  EXPECT_FALSE(IsFullEntryPath("C:\\"));
  EXPECT_FALSE(IsFullEntryPath("C:\\dir\\"));
  EXPECT_FALSE(IsFullEntryPath("file.tmp"));
  EXPECT_FALSE(IsFullEntryPath("C:file.tmp"));
  EXPECT_FALSE(IsFullEntryPath("C:\\dir\\*.tmp"));
  EXPECT_FALSE(IsFullEntryPath("C:\\dir\\..\\x"));
  EXPECT_FALSE(IsFullEntryPath("C:\\dir\\x:stream"));
  EXPECT_FALSE(IsFullEntryPath("\\\\?\\C:\\x"));
  EXPECT_FALSE(IsFullEntryPath("C:/dir/x"));
}

}  // namespace
}  // namespace vl::sys
