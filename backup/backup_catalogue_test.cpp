// Listing the backup folders: which files, in which order, with which dates.
#include "backup/backup_catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "sysaccess/sim/sim_platform.h"

namespace vl::backup {
namespace {

// Seconds since 1970 (UTC) of a calendar time read as UTC.
time_t Utc(int y, int mo, int d, int h, int mi, int s) {
  struct tm t {};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return timegm(&t);
}

class CatalogueTest : public ::testing::Test {
 protected:
  void Put(const std::string& name, time_t when) {
    const std::string path = kFolder + name;
    ASSERT_TRUE(sim.files().CreateFolder(kFolder));
    ASSERT_TRUE(sim.files().WriteFileBytes(path, "Windows Registry Editor Version 5.00\r\n"));
    struct utimbuf times {when, when};
    ASSERT_EQ(utime(sim.files().HostPath(path).c_str(), &times), 0);
  }
  std::vector<BackupEntry> List() { return ListBackups(sim.files(), sim.system(), kFolder); }

  const std::string kFolder = "C:\\App\\backup\\repair_backup\\";
  sys::SimPlatform sim;
};

TEST(BackupFolders, TheLayoutBelowTheApplicationFolder) {
  EXPECT_STREQ(BackupFolder(BackupKind::kFull), "backup\\full_backup\\");
  EXPECT_STREQ(BackupFolder(BackupKind::kRepair), "backup\\repair_backup\\");
  EXPECT_STREQ(BackupFolder(BackupKind::kOptimize), "backup\\optimize_backup\\");
  EXPECT_STREQ(kLnkFolder, "backup\\lnk\\");
}

TEST_F(CatalogueTest, AMissingFolderGivesNoRows) { EXPECT_TRUE(List().empty()); }

TEST_F(CatalogueTest, NewestFirstWithTheLongDate) {
  Put("20240105093000.reg", Utc(2024, 1, 5, 9, 30, 0));
  Put("20241231235959.reg", Utc(2024, 12, 31, 23, 59, 59));
  Put("20240302080706.reg", Utc(2024, 3, 2, 8, 7, 6));
  std::vector<BackupEntry> rows = List();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (BackupEntry{"December 31, 2024 (23:59:59)", "20241231235959.reg"}));
  EXPECT_EQ(rows[1], (BackupEntry{"March 2, 2024 (08:07:06)", "20240302080706.reg"}));
  EXPECT_EQ(rows[2], (BackupEntry{"January 5, 2024 (09:30:00)", "20240105093000.reg"}));
}

TEST_F(CatalogueTest, OnlyRegFilesAreListed) {
  Put("a.reg", Utc(2024, 1, 1, 0, 0, 0));
  Put("b.REG", Utc(2024, 1, 1, 0, 0, 1));
  Put("notes.txt", Utc(2024, 1, 1, 0, 0, 2));
  Put("c.reg.bak", Utc(2024, 1, 1, 0, 0, 3));
  Put("c.regx", Utc(2024, 1, 1, 0, 0, 4));
  ASSERT_TRUE(sim.files().CreateFolder(kFolder + "sub.reg"));
  std::vector<BackupEntry> rows = List();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].fileName, "b.REG");
  EXPECT_EQ(rows[1].fileName, "a.reg");
}

TEST_F(CatalogueTest, EqualSecondsListByNameDescendingWithoutRegardToCase) {
  const time_t t = Utc(2023, 7, 4, 12, 0, 0);
  Put("alpha.reg", t);
  Put("Beta.reg", t);
  Put("gamma.reg", t);
  std::vector<BackupEntry> rows = List();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].fileName, "gamma.reg");
  EXPECT_EQ(rows[1].fileName, "Beta.reg");
  EXPECT_EQ(rows[2].fileName, "alpha.reg");
  EXPECT_EQ(rows[0].dateText, "July 4, 2023 (12:00:00)");
}

TEST_F(CatalogueTest, AFullBackupNameKeepsItsUnderscore) {
  Put("FBackup_20240501101010.reg", Utc(2024, 5, 1, 10, 10, 10));
  std::vector<BackupEntry> rows = List();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].fileName, "FBackup_20240501101010.reg");
}

TEST_F(CatalogueTest, DatesAreShownInLocalTime) {
  // The file system keeps UTC; two hours east of it the clock reads 01:30.
  sim.system().SetUtcOffsetMinutes(120);
  Put("x.reg", Utc(2024, 2, 28, 23, 30, 0));
  std::vector<BackupEntry> rows = List();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].dateText, "February 29, 2024 (01:30:00)");
}

TEST_F(CatalogueTest, MonthNamesComeFromTheUserLocale) {
  sys::DateNames names = sys::EnglishDateNames();
  names.longMonths[5] = "juin";
  sim.system().SetDateNames(names);
  Put("x.reg", Utc(2022, 6, 9, 7, 5, 3));
  EXPECT_EQ(List().at(0).dateText, "juin 9, 2022 (07:05:03)");
}

TEST(LocalTimestamp, FourteenDigits) {
  sys::SimPlatform sim;
  // 2024-03-05 14:30:07 UTC as a file time.
  uint64_t ft = (static_cast<uint64_t>(Utc(2024, 3, 5, 14, 30, 7)) + 11644473600ull) * 10000000ull;
  EXPECT_EQ(LocalTimestampOf(sim.system(), ft), "20240305143007");
  sim.system().SetUtcOffsetMinutes(-60);
  EXPECT_EQ(LocalTimestampOf(sim.system(), ft), "20240305133007");
}

}  // namespace
}  // namespace vl::backup
