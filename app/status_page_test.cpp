// The status page: defaults, dates from sysset in the two date styles, the
// version from the program's own version resource.
#include "app/status_page.h"

#include <cstring>
#include <filesystem>

#include "app/testing/app_fixture.h"
#include "sysaccess/text.h"

namespace vl {
namespace {

// A minimal PE file whose version resource holds `version` as FileVersion.
std::string VersionNode(const std::u16string& key, const std::string& value, uint16_t type,
                        uint16_t valueLength, const std::vector<std::string>& children) {
  std::string n(6, '\0');
  for (char16_t c : key + u'\0') {
    n.push_back(static_cast<char>(c & 0xFF));
    n.push_back(static_cast<char>(c >> 8));
  }
  while (n.size() % 4) n.push_back('\0');
  n += value;
  for (const auto& c : children) {
    while (n.size() % 4) n.push_back('\0');
    n += c;
  }
  n[0] = static_cast<char>(n.size() & 0xFF);
  n[1] = static_cast<char>(n.size() >> 8);
  n[2] = static_cast<char>(valueLength & 0xFF);
  n[3] = static_cast<char>(valueLength >> 8);
  n[4] = static_cast<char>(type);
  return n;
}

std::string ExeWithVersion(const std::string& version) {
  std::string text = sys::Utf8ToUtf16Bytes(version) + std::string(2, '\0');
  std::string str = VersionNode(u"FileVersion", text, 1, static_cast<uint16_t>(text.size() / 2), {});
  std::string table = VersionNode(u"040904B0", "", 1, 0, {str});
  std::string sfi = VersionNode(u"StringFileInfo", "", 1, 0, {table});
  std::string tr = {'\x09', '\x04', '\xB0', '\x04'};
  std::string vfi = VersionNode(u"VarFileInfo", "", 1, 0, {VersionNode(u"Translation", tr, 0, 4, {})});
  std::string block = VersionNode(u"VS_VERSION_INFO", std::string(52, '\0'), 0, 52, {sfi, vfi});
  auto put32 = [](std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  std::string rsrc(0x58, '\0');
  rsrc[14] = 1;
  put32(rsrc, 16, 16);
  put32(rsrc, 20, 0x80000018u);
  rsrc[0x18 + 14] = 1;
  put32(rsrc, 0x18 + 16, 1);
  put32(rsrc, 0x18 + 20, 0x80000030u);
  rsrc[0x30 + 14] = 1;
  put32(rsrc, 0x30 + 16, 0x409);
  put32(rsrc, 0x30 + 20, 0x48);
  put32(rsrc, 0x48, 0x1000 + 0x58);
  put32(rsrc, 0x4C, static_cast<uint32_t>(block.size()));
  rsrc += block;
  std::string pe(0x200, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  put32(pe, 0x3C, 0x40);
  std::memcpy(&pe[0x40], "PE\0\0", 4);
  pe[0x44] = 0x4C;
  pe[0x45] = 0x01;
  pe[0x46] = 1;
  pe[0x54] = static_cast<char>(0xE0);
  size_t opt = 0x58;
  pe[opt] = 0x0B;
  pe[opt + 1] = 0x01;
  put32(pe, opt + 92, 16);
  put32(pe, opt + 96 + 16, 0x1000);
  put32(pe, opt + 96 + 20, static_cast<uint32_t>(rsrc.size()));
  size_t sec = opt + 0xE0;
  std::memcpy(&pe[sec], ".rsrc", 5);
  put32(pe, sec + 8, static_cast<uint32_t>(rsrc.size()));
  put32(pe, sec + 12, 0x1000);
  put32(pe, sec + 16, static_cast<uint32_t>(rsrc.size()));
  put32(pe, sec + 20, 0x200);
  return pe + rsrc;
}

class StatusPageTest : public vl::testing::AppFixture {
 protected:
  StatusPageTest() { WriteFile("C:\\Vantorel\\Vantorel.exe", ExeWithVersion("2.0.1.5")); }
  void SetSysset(const std::string& assignments) {
    auto c = Db();
    store::RunStatement(c, "update sysset set " + assignments);
  }
};

TEST_F(StatusPageTest, AFreshDatabaseShowsTheDefaultsAndTheVersion) {
  Start();
  EXPECT_EQ(main->currentPage(), 1);
  EXPECT_EQ(Text("labLastScan"), "No Scan yet");
  EXPECT_EQ(Text("labLastBackup"), "No Backup taken yet");
  EXPECT_EQ(Text("labLastOptimization"), "System not Optimized yet");
  EXPECT_EQ(Text("labAppVer"), "2.0.1.5");
  EXPECT_EQ(Text("labVer"), "v2.0.1");
  EXPECT_EQ(Text("labSEUpdate"), "Version: 2.0.1.5");
  EXPECT_EQ(Text("labStatus_Registry"), "Not Scanned");
  EXPECT_EQ(Text("labStatus_Junk"), "Not Scanned");
  EXPECT_EQ(Text("labStatus_Evidence"), "Not Scanned");
  EXPECT_EQ(Text("labLastScanCap"), "Last Scan");
  EXPECT_EQ(Text("labLastBackupCap"), "Last Registry Backup");
  EXPECT_EQ(Text("labLastOptimizationCap"), "Last Optimization");
  EXPECT_EQ(Text("labAppVerCap"), "Application Version");
  EXPECT_EQ(Text("labStatus_Title"), "Status");
}

TEST_F(StatusPageTest, DatesInStyleThreeForAnEnglishSystem) {
  Start();
  SetSysset("optime='20240305143000', last_backup=' 20240102030405 ', last_optimize='20231231235959', "
            "last_update='20240301080000'");
  main->ShowPage(3);  // the page is rebuilt on the next switch only
  EXPECT_EQ(Text("labLastScan"), "No Scan yet");
  main->ShowPage(1);
  EXPECT_EQ(Text("labLastScan"), "Tue. March 5, 2024. 02:30 PM");
  EXPECT_EQ(Text("labLastBackup"), "Tue. January 2, 2024. 03:04 AM");
  EXPECT_EQ(Text("labLastOptimization"), "Sun. December 31, 2023. 11:59 PM");
  EXPECT_EQ(Text("labSEUpdate"), "Version: 2.0.1.5, Last Time: Fri. March 1, 2024. 08:00 AM");
}

TEST_F(StatusPageTest, DatesInStyleOneForChineseSystems) {
  for (int lang : {1028, 2052, 3076, 4100}) {
    Build();
    main->systemLanguage = lang;
    main->FormShow();
    SetSysset("optime='20240305143000'");
    main->ShowPage(1);
    EXPECT_EQ(Text("labLastScan"), "2024-03-05 14:30:00") << lang;
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
  EXPECT_EQ(Text("labLastScan"), "mar.. mars 5, 2024. 02:30 PM");
}

TEST_F(StatusPageTest, LettersInTheMinuteShowMinuteFiftyFive) {
  Build();
  main->systemLanguage = 2052;
  main->FormShow();
  SetSysset("optime='2024030514ab00'");
  main->ShowPage(1);
  EXPECT_EQ(Text("labLastScan"), "2024-03-05 14:55:00");
}

TEST_F(StatusPageTest, AnImpossibleDateKeepsTheDefault) {
  Start();
  SetSysset("optime='20241305143000'");
  main->ShowPage(1);
  EXPECT_EQ(Text("labLastScan"), "No Scan yet");
}

TEST_F(StatusPageTest, WithoutDatabaseOrTableTheDefaultsStayAndNothingIsReported) {
  Start();
  main->control("labSEUpdate").SetText("before");
  std::filesystem::remove(sim.files().NativePath("C:\\Vantorel\\data.db"));
  main->ShowPage(1);
  EXPECT_EQ(Text("labLastScan"), "No Scan yet");
  EXPECT_EQ(Text("labSEUpdate"), "before");
  {
    auto c = Db();
    store::RunStatement(c, "create table other(x integer)");
  }
  main->ShowPage(1);
  EXPECT_EQ(Text("labSEUpdate"), "before");
  // A table without rows: the same.
  {
    auto c = Db();
    store::RunStatement(c, "create table sysset(optime char(14),last_backup char(14),last_optimize "
                           "char(14),last_update char(14))");
  }
  main->ShowPage(1);
  EXPECT_EQ(Text("labSEUpdate"), "before");
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(StatusPageTest, AProgramWithoutVersionShowsNone) {
  std::filesystem::remove(sim.files().NativePath("C:\\Vantorel\\Vantorel.exe"));
  Start();
  EXPECT_EQ(Text("labAppVer"), "");
  EXPECT_EQ(Text("labVer"), "");
  EXPECT_EQ(Text("labSEUpdate"), "Version: ");
}

TEST_F(StatusPageTest, ShortVersionsShowWhatTheyHave) {
  WriteFile("C:\\Vantorel\\Vantorel.exe", ExeWithVersion("3.1"));
  Start();
  EXPECT_EQ(Text("labVer"), "v3.1");
}

}  // namespace
}  // namespace vl
