// Settings.ini parsing: Windows profile rules for sections, keys and numbers.
#include "app/ini_file.h"

#include <gtest/gtest.h>

#include "sysaccess/sim/sim_platform.h"

namespace vl {
namespace {

TEST(IniFile, SectionsAndKeysMatchWithoutRegardToCase) {
  std::string v;
  const std::string text = "[Other]\r\nStartup Minimize=5\r\n[basic]\r\n  startup minimize = 1 \r\n";
  ASSERT_TRUE(FindIniValue(text, "Basic", "Startup Minimize", v));
  EXPECT_EQ(v, "1");
  EXPECT_FALSE(FindIniValue(text, "Basic", "Auto Update", v));
  EXPECT_FALSE(FindIniValue("", "Basic", "x", v));
}

TEST(IniFile, IntegersFallBackWhenMissingOrNotWholeNumbers) {
  sys::SimPlatform sim;
  sys::FileSystem& fs = sim.files();
  const std::string ini = "C:\\Settings.ini";
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "Auto Update", 1), 1);  // no file
  ASSERT_TRUE(fs.WriteFileBytes(ini,
                                "[Basic]\nA=2\nB=abc\nC=\nD=-3\nE=1.5\nF=$1F\nG=99999999999\nH= 7\n"));
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "A", 0), 2);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "B", 9), 9);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "C", 9), 9);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "D", 0), -3);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "E", 9), 9);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "F", 0), 31);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "G", 4), 4);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Basic", "H", 0), 7);
  EXPECT_EQ(ReadIniInteger(fs, ini, "Missing", "A", 6), 6);
}

TEST(IniFile, SetValueReplacesInPlaceOrAppends) {
  std::string text = SetIniValue("", "Basic", "Auto Update", "1");
  EXPECT_EQ(text, "[Basic]\r\nAuto Update=1\r\n");
  text = SetIniValue(text, "basic", "auto update", "0");
  EXPECT_EQ(text, "[Basic]\r\nAuto Update=0\r\n");  // the stored spelling stays
  text = SetIniValue("[Basic]\r\nA=1\r\n\r\n[Other]\r\nX=2\r\n", "Basic", "B", "3");
  EXPECT_EQ(text, "[Basic]\r\nA=1\r\nB=3\r\n\r\n[Other]\r\nX=2\r\n");
  std::string v;
  ASSERT_TRUE(FindIniValue(SetIniValue("[Other]\nX=1\n", "Basic", "K", "5"), "Basic", "K", v));
  EXPECT_EQ(v, "5");
}

}  // namespace
}  // namespace vl
