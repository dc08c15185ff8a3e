// The command line's arguments: switches in any case and with /, - or --,
// values, and every way of getting them wrong.
#include "programs/cli/cli_args.h"

#include <gtest/gtest.h>

namespace vl::cli {
namespace {

Arguments Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(CliArgs, NoKindNamedMeansAllThree) {
  Arguments a = Parse({"/scan"});
  EXPECT_TRUE(a.error.empty());
  EXPECT_EQ(a.mode, Mode::kScan);
  EXPECT_TRUE(a.registry && a.junk && a.evidence);
  EXPECT_EQ(a.removal, Removal::kRecycleBin);
}

TEST(CliArgs, SwitchesAreCaseInsensitiveWithSlashDashOrDoubleDash) {
  Arguments a = Parse({"-CLEAN", "--Junk", "/EVIDENCE", "--delete", "-Report", "r.html", "/JSON", "out.json"});
  ASSERT_TRUE(a.error.empty()) << a.error;
  EXPECT_EQ(a.mode, Mode::kClean);
  EXPECT_FALSE(a.registry);
  EXPECT_TRUE(a.junk && a.evidence);
  EXPECT_EQ(a.removal, Removal::kDelete);
  EXPECT_EQ(a.reportFile, "r.html");
  EXPECT_EQ(a.jsonFile, "out.json");
}

TEST(CliArgs, MoveTakesItsFolderWithBlanks) {
  Arguments a = Parse({"/clean", "/move", "D:\\Old junk"});
  ASSERT_TRUE(a.error.empty()) << a.error;
  EXPECT_EQ(a.removal, Removal::kMove);
  EXPECT_EQ(a.moveFolder, "D:\\Old junk");
}

TEST(CliArgs, HelpStandsAlone) {
  EXPECT_EQ(Parse({"/?"}).mode, Mode::kHelp);
  EXPECT_EQ(Parse({"-h"}).mode, Mode::kHelp);
  EXPECT_EQ(Parse({"--help"}).mode, Mode::kHelp);
  EXPECT_FALSE(Parse({"/?", "/scan"}).error.empty());
  EXPECT_FALSE(Parse({"/scan", "/?"}).error.empty());
}

TEST(CliArgs, MistakesAreRefusedWithAReason) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"/registry"},                      // no mode
           {"/scan", "/clean"},                // two modes
           {"/scan", "/scan"},                 // twice
           {"/scan", "/delete"},               // removal belongs to clean
           {"/clean", "/delete", "/move", "x"}, // two removals
           {"/clean", "/move"},                // no folder
           {"/clean", "/move", "/junk"},       // a switch is no folder
           {"/scan", "/report"},               // no file
           {"/scan", "/report", "a", "/report", "b"},
           {"/scan", "/json", ""},
           {"/scan", "/fast"},                 // unknown
           {"scan"},                           // no switch
           {"/"},
       }) {
    Arguments a = ParseArguments(bad);
    EXPECT_FALSE(a.error.empty()) << bad.size() << " " << bad[0];
  }
}

TEST(CliArgs, AnyArgumentMeansTheCommandLine) {
  EXPECT_FALSE(WantsCommandLine({}));
  EXPECT_TRUE(WantsCommandLine({"/bogus"}));
}

TEST(CliArgs, UsageNamesEverySwitchAndExitCode) {
  const std::string u = UsageText();
  for (const char* s : {"/scan", "/clean", "/registry", "/junk", "/evidence", "/delete", "/move FOLDER", "/report",
                        "/json", "/?", "  0  ", "  1  ", "  2  ", "  3  "})
    EXPECT_NE(u.find(s), std::string::npos) << s;
}

}  // namespace
}  // namespace vl::cli
