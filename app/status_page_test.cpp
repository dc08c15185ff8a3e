// The status page: defaults, dates from sysset in the two date styles, the
// version from the program's own version resource.
#include "app/status_page.h"

#include <filesystem>

#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/testing/pe_image.h"

namespace vl {
namespace {

class StatusPageTest : public vl::testing::AppFixture {
 protected:
  StatusPageTest() { WriteFile("C:\\Vantorel\\Vantorel.exe", sys::testing::BuildPe("2.0.1.5")); }
  void SetSysset(const std::string& assignments) {
    auto c = Db();
    store::RunStatement(c, "update sysset set " + assignments);
  }
};

TEST_F(StatusPageTest, AFreshDatabaseShowsTheDefaultsAndTheVersion) {
  Start();
  EXPECT_EQ(main->currentPage(), 1);
  EXPECT_EQ(Text(id::labLastScan), "No Scan yet");
  EXPECT_EQ(Text(id::labLastBackup), "No Backup taken yet");
  EXPECT_EQ(Text(id::labLastOptimization), "System not Optimized yet");
  EXPECT_EQ(Text(id::labAppVer), "2.0.1.5");
  EXPECT_EQ(Text(id::labVer), "v2.0.1");
  EXPECT_EQ(Text(id::labSEUpdate), "Version: 2.0.1.5");
  EXPECT_EQ(Text(id::labStatus_Registry), "Not Scanned");
  EXPECT_EQ(Text(id::labStatus_Junk), "Not Scanned");
  EXPECT_EQ(Text(id::labStatus_Evidence), "Not Scanned");
  EXPECT_EQ(Text(id::labLastScanCap), "Last Scan");
  EXPECT_EQ(Text(id::labLastBackupCap), "Last Registry Backup");
  EXPECT_EQ(Text(id::labLastOptimizationCap), "Last Optimization");
  EXPECT_EQ(Text(id::labAppVerCap), "Application Version");
  EXPECT_EQ(Text(id::labStatus_Title), "Status");
}

TEST_F(StatusPageTest, DatesInStyleThreeForAnEnglishSystem) {
  Start();
  SetSysset("optime='20240305143000', last_backup=' 20240102030405 ', last_optimize='20231231235959', "
            "last_update='20240301080000'");
  main->ShowPage(3);  // the page is rebuilt on the next switch only
  EXPECT_EQ(Text(id::labLastScan), "No Scan yet");
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labLastScan), "Tue. March 5, 2024. 02:30 PM");
  EXPECT_EQ(Text(id::labLastBackup), "Tue. January 2, 2024. 03:04 AM");
  EXPECT_EQ(Text(id::labLastOptimization), "Sun. December 31, 2023. 11:59 PM");
  EXPECT_EQ(Text(id::labSEUpdate), "Version: 2.0.1.5, Last Time: Fri. March 1, 2024. 08:00 AM");
}

TEST_F(StatusPageTest, DatesInStyleOneForChineseSystems) {
  for (int lang : {1028, 2052, 3076, 4100}) {
    Build();
    main->systemLanguage = lang;
    main->FormShow();
    SetSysset("optime='20240305143000'");
    main->ShowPage(1);
    EXPECT_EQ(Text(id::labLastScan), "2024-03-05 14:30:00") << lang;
  }
}

TEST_F(StatusPageTest, MonthAndDayNamesComeFromTheLocale) {
  sys::DateNames names = sys::EnglishDateNames();
  names.longMonths[2] = "mars";
  names.shortDays[2] = "mar.";
  sim.system().SetDateNames(names);
  Start();
  SetSysset("optime='20240305143000'");
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labLastScan), "mar.. mars 5, 2024. 02:30 PM");
}

TEST_F(StatusPageTest, LettersInTheMinuteShowMinuteFiftyFive) {
  Build();
  main->systemLanguage = 2052;
  main->FormShow();
  SetSysset("optime='2024030514ab00'");
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labLastScan), "2024-03-05 14:55:00");
}

TEST_F(StatusPageTest, AnImpossibleDateKeepsTheDefault) {
  Start();
  SetSysset("optime='20241305143000'");
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labLastScan), "No Scan yet");
}

TEST_F(StatusPageTest, WithoutDatabaseOrTableTheDefaultsStayAndNothingIsReported) {
  Start();
  main->control(id::labSEUpdate).SetText("before");
  std::filesystem::remove(sim.files().NativePath("C:\\Vantorel\\data.db"));
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labLastScan), "No Scan yet");
  EXPECT_EQ(Text(id::labSEUpdate), "before");
  {
    auto c = Db();
    store::RunStatement(c, "create table other(x integer)");
  }
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labSEUpdate), "before");
  // A table without rows: the same.
  {
    auto c = Db();
    store::RunStatement(c, "create table sysset(optime char(14),last_backup char(14),last_optimize "
                           "char(14),last_update char(14))");
  }
  main->ShowPage(1);
  EXPECT_EQ(Text(id::labSEUpdate), "before");
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(StatusPageTest, AProgramWithoutVersionShowsNone) {
  std::filesystem::remove(sim.files().NativePath("C:\\Vantorel\\Vantorel.exe"));
  Start();
  EXPECT_EQ(Text(id::labAppVer), "");
  EXPECT_EQ(Text(id::labVer), "");
  EXPECT_EQ(Text(id::labSEUpdate), "Version: ");
}

TEST_F(StatusPageTest, ShortVersionsShowWhatTheyHave) {
  WriteFile("C:\\Vantorel\\Vantorel.exe", sys::testing::BuildPe("3.1"));
  Start();
  EXPECT_EQ(Text(id::labVer), "v3.1");
}

}  // namespace
}  // namespace vl
