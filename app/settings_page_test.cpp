// Settings.ini into the settings page and back, the backup switches and the
// run-at-startup value.
#include "app/settings_page.h"

#include "app/ini_file.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/registry.h"

namespace vl {
namespace {

constexpr char kIni[] = "C:\\Vantorel\\Settings.ini";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsPageTest : public vl::testing::AppFixture {
 protected:
  int Key(const char* key) {
    std::string v;
    if (!FindIniValue(ReadFile(kIni), "Basic", key, v)) return -100;
    return std::stoi(v);
  }
  void AddRunKey() {
    ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"));
  }
  std::string RunValue() {
    return sys::Registry(sim.registry()).ReadString(sys::kHKLM, kRunKey, "Vantorel", sys::AccessMask(main->bitness.wow64));
  }
  bool RunValueExists() {
    return sys::Registry(sim.registry()).ValueExists(sys::kHKLM, kRunKey, "Vantorel", sys::AccessMask(main->bitness.wow64));
  }
};

TEST_F(SettingsPageTest, WithoutSettingsIniTheDefaultsApply) {
  Start();
  EXPECT_FALSE(Checked(id::chkSEStartup));
  EXPECT_FALSE(Checked(id::chkSEMin));
  EXPECT_FALSE(Checked(id::chkSENoBackup));
  EXPECT_FALSE(Checked(id::chkSENoOBackup));
  EXPECT_TRUE(Checked(id::chkSEUpdate));
  EXPECT_TRUE(main->backupBeforeRepair);
  EXPECT_TRUE(main->backupBeforeOptimize);
  EXPECT_FALSE(sim.files().FileExists(kIni));  // reading creates nothing
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(SettingsPageTest, ValuesReadIntoTheBoxesWithTheirSenses) {
  WriteFile(kIni,
            "[Basic]\r\nWindows Startup=1\r\nStartup Minimize=1\r\nNo Backup=1\r\nOptimize backup=0\r\n"
            "Auto Update=0\r\n");
  Start();
  EXPECT_TRUE(Checked(id::chkSEStartup));
  EXPECT_TRUE(Checked(id::chkSEMin));
  EXPECT_TRUE(Checked(id::chkSENoBackup));
  EXPECT_TRUE(Checked(id::chkSENoOBackup));
  EXPECT_FALSE(Checked(id::chkSEUpdate));
  EXPECT_FALSE(main->backupBeforeRepair);
  EXPECT_FALSE(main->backupBeforeOptimize);
}

TEST_F(SettingsPageTest, OptimizeBackupZeroChecksItsBoxAndSavingUncheckedWritesOne) {
  WriteFile(kIni, "[Basic]\r\nOptimize backup=0\r\n");
  Start();
  EXPECT_TRUE(Checked(id::chkSENoOBackup));
  EXPECT_FALSE(main->backupBeforeOptimize);
  main->control(id::chkSENoOBackup).SetChecked(false);
  EXPECT_FALSE(main->backupBeforeOptimize);  // nothing reacts before the save
  main->control(id::imgSaveSet).onClick();
  Drain();
  EXPECT_EQ(Key("Optimize backup"), 1);
  EXPECT_TRUE(main->backupBeforeOptimize);
}

TEST_F(SettingsPageTest, NoBackupTwoLeavesBackupsOnAndSavesZero) {
  WriteFile(kIni, "[Basic]\r\nNo Backup=2\r\nStartup Minimize=2\r\n");
  Start();
  EXPECT_FALSE(Checked(id::chkSENoBackup));
  EXPECT_TRUE(main->backupBeforeRepair);
  // The tray starts hidden although the box is unchecked.
  EXPECT_FALSE(Checked(id::chkSEMin));
  EXPECT_TRUE(main->CoolTrayIconStartup());
  main->control(id::imgSaveSet).onClick();
  Drain();
  EXPECT_EQ(Key("No Backup"), 0);
  EXPECT_EQ(Key("Startup Minimize"), 0);
}

TEST_F(SettingsPageTest, NumbersThatAreNotWholeReadAsDefaults) {
  WriteFile(kIni, "[Basic]\r\nWindows Startup=yes\r\nAuto Update=1.5\r\nOptimize backup=\r\n");
  Start();
  EXPECT_FALSE(Checked(id::chkSEStartup));
  EXPECT_TRUE(Checked(id::chkSEUpdate));
  EXPECT_FALSE(Checked(id::chkSENoOBackup));
}

TEST_F(SettingsPageTest, SaveWritesAllFiveKeysKeepsOtherTextAndConfirms) {
  WriteFile(kIni, "; mine\r\n[Other]\r\nx=y\r\n");
  AddRunKey();
  Start();
  main->ShowPage(502);
  EXPECT_EQ(Text(id::labSettingsDesc), "Customize how Vantorel behaves.");
  EXPECT_EQ(Text(id::chkSEUpdate), "Check for Vantorel update automatically");
  main->control(id::chkSEMin).SetChecked(true);
  main->control(id::chkSENoBackup).SetChecked(true);
  main->control(id::imgSaveSet).onClick();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Settings have been saved successfully.");
  EXPECT_EQ(ports.messages[0].caption, "Vantorel");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::Ok);
  Drain();
  EXPECT_EQ(Key("Windows Startup"), 0);
  EXPECT_EQ(Key("Startup Minimize"), 1);
  EXPECT_EQ(Key("No Backup"), 1);
  EXPECT_EQ(Key("Optimize backup"), 1);
  EXPECT_EQ(Key("Auto Update"), 1);
  std::string v;
  EXPECT_TRUE(FindIniValue(ReadFile(kIni), "Other", "x", v));
  EXPECT_EQ(v, "y");
  EXPECT_FALSE(main->backupBeforeRepair);
  EXPECT_TRUE(main->backupBeforeOptimize);
  EXPECT_EQ(main->currentPage(), 502);  // the page stays
}

TEST_F(SettingsPageTest, RunAtStartupIsWrittenAndRemovedInTheBackground) {
  AddRunKey();
  Start();
  main->control(id::chkSEStartup).SetChecked(true);
  main->control(id::imgSaveSet).onClick();
  EXPECT_FALSE(main->busy());  // the window state is unchanged
  Drain();
  EXPECT_EQ(Key("Windows Startup"), 1);
  EXPECT_EQ(RunValue(), main->exePath);
  EXPECT_EQ(RunValue(), "C:\\Vantorel\\Vantorel.exe");

  main->control(id::chkSEStartup).SetChecked(false);
  main->control(id::imgSaveSet).onClick();
  Drain();
  EXPECT_EQ(Key("Windows Startup"), 0);
  EXPECT_FALSE(RunValueExists());
}

TEST_F(SettingsPageTest, RunAtStartupGoesToTheSixtyFourBitViewUnderWow64) {
  sim.SetWow64(true);
  AddRunKey();
  Build();
  main->bitness = sys::ProcessBitness(*sim.platform().system);
  main->FormShow();
  main->control(id::chkSEStartup).SetChecked(true);
  main->control(id::imgSaveSet).onClick();
  Drain();
  EXPECT_EQ(sys::Registry(sim.registry()).ReadString(sys::kHKLM, kRunKey, "Vantorel", sys::kMaskAll64),
            "C:\\Vantorel\\Vantorel.exe");
}

TEST_F(SettingsPageTest, AFailedRunAtStartupWriteIsSilent) {
  Start();  // no Run key: the write fails
  main->control(id::chkSEStartup).SetChecked(true);
  main->control(id::imgSaveSet).onClick();
  Drain();
  EXPECT_EQ(Key("Windows Startup"), 1);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Settings have been saved successfully.");
}

TEST_F(SettingsPageTest, AWriteFailureIsAnErrorAndChangesNothing) {
  // A folder where the file should be: it cannot be written.
  sim.files().CreateFolder(kIni);
  Start();
  main->control(id::chkSENoBackup).SetChecked(true);
  main->Guard([&] { main->control(id::imgSaveSet).onClick(); });
  Drain();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Error);
  EXPECT_NE(ports.messages[0].text.find("Settings.ini"), std::string::npos);
  EXPECT_TRUE(main->backupBeforeRepair);
}

}  // namespace
}  // namespace vl
