// The profile pages in the main window on the simulated platform: their
// initial state, the radio handlers, the optimize buttons, the finish page
// with its timestamps, and the undo from the backup page.
#include "optimizer/optimizer.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "backup/backup_pages.h"
#include "optimizer/testing/optimizer_testing.h"
#include "programs/vantorel/testing/app_fixture.h"

namespace vl::optimizer {
namespace {

using testing::Snapshot;
using testing::Value;

const char kFinish[] =
    "The optimization you want has completed. Some optimization items become effective after restart.\rYou can "
    "restore your registry if you think your system acts weird after optimization. ";
const char kNoOption[] = "You did not choose to optimize option.";
const char kBackups[] = "C:\\Vantorel\\backup\\optimize_backup\\";
const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

class OptimizerPagesTest : public vl::testing::AppFixture {
 protected:
  OptimizerPagesTest() {
    EXPECT_TRUE(sim.LoadReg(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n\"DefaultTTL\"=dword:00000080\r\n\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"AutoEndTasks\"=\"0\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]\r\n"
        "\"NoStartBanner\"=hex:00,00,00,00,00,00,00,01\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\FileSystem\\CDFS]\r\n"));
  }
  Optimizer& O() {
    if (!main) Start();
    return *features.optimizer;
  }
  std::vector<std::string> Items(id::ControlId list) { return main->control(list).checkItems; }
  std::vector<bool> Ticks(id::ControlId list) { return main->control(list).itemChecked; }
  std::vector<std::string> BackupFiles() {
    std::vector<sys::FileEntry> entries;
    sim.files().ListFolder(kBackups, entries);
    std::vector<std::string> names;
    for (auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Sysset(const char* column) {
    store::Connection c = Db();
    store::ResultTable t = store::RunQuery(c, std::string("select ") + column + " from sysset");
    return t.AtEnd() ? "" : t.ColumnByName(column);
  }
  void Click(id::ControlId c) { main->control(c).Click(); }
  std::vector<std::string> Messages() {
    std::vector<std::string> t;
    for (auto& m : ports.messages) t.push_back(m.text);
    return t;
  }
};

TEST_F(OptimizerPagesTest, PagesOpenOnTheirFirstProfileWithEveryOptionTickedAndTheNetworkOnModem) {
  O();
  EXPECT_TRUE(Checked(id::radgNetwork0));
  EXPECT_EQ(O().radgNetworkIndex(), 0);
  EXPECT_EQ(main->control(id::radgNetwork6).text(), "Wireless Network (10Mbps or higher)");
  EXPECT_EQ(Ticks(id::chklstNetwork), std::vector<bool>(5, false));
  EXPECT_EQ(O().radgDiskCacheIndex(), 0);
  EXPECT_EQ(Ticks(id::chklstDiskCache), std::vector<bool>(8, true));
  EXPECT_EQ(O().radgDesktopIndex(), 0);
  EXPECT_EQ(O().desktopTicks, std::vector<bool>(12, true));
  EXPECT_EQ(main->control(id::lstvDesktop).rowCount(), 12);
  EXPECT_EQ(O().radgFileSystemIndex(), 0);
  EXPECT_EQ(Ticks(id::chklstFileSystem), std::vector<bool>(6, true));
  EXPECT_EQ(Items(id::chklstFileSystem)[1], "Disabled Media Player DVD");

  main->ShowPage(page::kDiskCache);
  EXPECT_EQ(main->form().activeSheet(), sheet::tabOptimize_DiskCache);
  EXPECT_EQ(Text(id::labDiskCacheDesc),
            "According to your computer type and memory size, set disk size in order to save the time to calculate "
            "cache\rand ensure the memory needs of other programs.");
  EXPECT_EQ(Text(id::labDiskCacheGroup), "Please select computer type");
}

TEST_F(OptimizerPagesTest, TheComputerTypeChangesTheCaptionsAndTicksEveryOption) {
  O();
  main->control(id::chklstDiskCache).SetItemChecked(0, false);
  Click(id::radgDiskCache1);
  EXPECT_EQ(Items(id::chklstDiskCache)[4], "Set Input/Output Cache as 512K.");
  EXPECT_EQ(Items(id::chklstDiskCache)[5], "Configure memory performance as minimum memory consumption.");
  EXPECT_EQ(Ticks(id::chklstDiskCache), std::vector<bool>(8, true));
  Click(id::radgDiskCache2);
  EXPECT_EQ(Items(id::chklstDiskCache)[4], "Set Input/Output Cache as 128MB.");
  EXPECT_EQ(Items(id::chklstDiskCache)[5], "Configure memory performance as balance.");
  Click(id::radgDiskCache3);
  EXPECT_EQ(Items(id::chklstDiskCache)[5], "Configure memory performance as maximum network throughout.");
  EXPECT_EQ(Items(id::chklstDiskCache)[6], "Allocate more CPU resources for Background Service.");
  Click(id::radgDiskCache4);
  EXPECT_EQ(Items(id::chklstDiskCache)[6], "Allocate more CPU resources for Foreground Programs.");
}

TEST_F(OptimizerPagesTest, TheFileSystemsSeventhOptionIsAddedOnceAndRemovedForProfileZero) {
  O();
  Click(id::radgFileSystem1);
  EXPECT_EQ(Items(id::chklstFileSystem).size(), 7u);
  EXPECT_EQ(Items(id::chklstFileSystem)[6], "Optimize the contiguous file allocation size");
  EXPECT_EQ(Items(id::chklstFileSystem)[1], "Enabled Media Player DVD");
  Click(id::radgFileSystem1);
  EXPECT_EQ(Items(id::chklstFileSystem).size(), 7u);
  EXPECT_EQ(Ticks(id::chklstFileSystem), std::vector<bool>(7, true));
  Click(id::radgFileSystem0);
  EXPECT_EQ(Items(id::chklstFileSystem).size(), 6u);
  EXPECT_EQ(Items(id::chklstFileSystem)[1], "Disabled Media Player DVD");
}

TEST_F(OptimizerPagesTest, TheDesktopListShowsTheProfilesValuesAndTicksByIcon) {
  O();
  ui::Control& list = main->control(id::lstvDesktop);
  EXPECT_EQ(list.rowProvider(1, 0).text, "Menu display speed");
  EXPECT_EQ(list.rowProvider(1, 1).text, "400");
  EXPECT_EQ(list.rowProvider(1, 0).image, 1);
  list.onMouseDown(1, true);
  EXPECT_EQ(list.rowProvider(1, 0).image, 0);
  list.onMouseDown(2, false);  // not on the icon
  EXPECT_EQ(list.rowProvider(2, 0).image, 1);
  Click(id::radgDesktop1);
  EXPECT_EQ(list.rowProvider(1, 1).text, "0");
  EXPECT_EQ(list.rowProvider(11, 1).text, "Enabled");
  EXPECT_EQ(list.rowProvider(1, 0).image, 1);
}

TEST_F(OptimizerPagesTest, AnEmptyMaskIsRefusedExceptOnTheNetworkPage) {
  O();
  for (int i = 0; i < 8; ++i) main->control(id::chklstDiskCache).SetItemChecked(i, false);
  for (int i = 0; i < 6; ++i) main->control(id::chklstFileSystem).SetItemChecked(i, false);
  O().desktopTicks.assign(12, false);
  Click(id::imgOptimizeD);
  Click(id::imgOptimizeDT);
  Click(id::imgOptimizeF);
  Drain();
  ASSERT_EQ(ports.messages.size(), 3u);
  for (auto& msg : ports.messages) {
    EXPECT_EQ(msg.text, kNoOption);
    EXPECT_EQ(msg.caption, "Error");
    EXPECT_EQ(msg.icon, MsgIcon::Error);
  }
  EXPECT_TRUE(main->control(id::panMain_Top).enabled());
  EXPECT_TRUE(BackupFiles().empty());
  EXPECT_EQ(Sysset("last_optimize"), "0");
}

TEST_F(OptimizerPagesTest, TheNetworkJobWithNothingTickedWritesTheBaseBlockAndEndsOnTheFinishPage) {
  O();
  main->ShowPage(page::kNetwork);
  Click(id::radgNetwork2);
  Click(id::imgOptimizeN);
  EXPECT_FALSE(main->control(id::panMain_Top).enabled());
  Drain();
  EXPECT_EQ(main->currentPage(), page::kOptimizeFinish);
  EXPECT_EQ(Text(id::labOptimize_Finish_Title), "Optimization Complete");
  EXPECT_EQ(Text(id::labOptimize_Finish_Desc), kFinish);
  EXPECT_TRUE(main->control(id::panMain_Top).enabled());
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(Value(*sim.platform().registry, sys::kHKLM, kTcpip, "DefaultTTL"), "dword:128");
  EXPECT_EQ(Sysset("last_optimize").size(), 14u);
  EXPECT_EQ(Sysset("optime"), Sysset("last_optimize"));
  ASSERT_EQ(BackupFiles().size(), 1u);
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(OptimizerPagesTest, DiskCacheOptionFiveAloneShowsTheFinishPageAndSetsTheTimesButWritesNoFile) {
  O();
  for (int i = 0; i < 8; ++i) main->control(id::chklstDiskCache).SetItemChecked(i, i == 5);
  const auto before = Snapshot(*sim.platform().registry);
  Click(id::imgOptimizeD);
  Drain();
  EXPECT_EQ(main->currentPage(), page::kOptimizeFinish);
  EXPECT_EQ(Text(id::labOptimize_Finish_Desc), kFinish);
  EXPECT_EQ(Sysset("last_optimize").size(), 14u);
  EXPECT_EQ(Sysset("optime"), Sysset("last_optimize"));
  EXPECT_TRUE(BackupFiles().empty());
  EXPECT_EQ(Snapshot(*sim.platform().registry), before);
}

TEST_F(OptimizerPagesTest, WithOptimizeBackupOffNoFileIsWritten) {
  WriteFile("C:\\Vantorel\\Settings.ini", "[Basic]\r\nOptimize backup=0\r\n");
  O();
  EXPECT_FALSE(main->backupBeforeOptimize);
  Click(id::imgOptimizeD);
  Drain();
  EXPECT_EQ(Value(*sim.platform().registry, sys::kHKCU, "Control Panel\\Desktop", "AutoEndTasks"), "sz:1");
  EXPECT_TRUE(BackupFiles().empty());
  EXPECT_FALSE(sim.files().DirectoryExists(kBackups));
}

TEST_F(OptimizerPagesTest, ASecondClickWhileARunIsUnderWayStartsNothing) {
  O();
  Click(id::imgOptimizeD);
  Click(id::imgOptimizeD);
  Click(id::imgOptimizeN);
  Drain();
  EXPECT_EQ(BackupFiles().size(), 1u);
  EXPECT_EQ(main->currentPage(), page::kOptimizeFinish);
  EXPECT_TRUE(main->control(id::panMain_Top).enabled());
}

TEST_F(OptimizerPagesTest, AFailedBackupWriteStopsTheRunSaysSoAndGivesTheWindowBack) {
  O();
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\Vantorel\\backup\\optimize_backup", "in the way"));
  const auto before = Snapshot(*sim.platform().registry);
  Click(id::imgOptimizeD);
  Drain();
  EXPECT_EQ(main->currentPage(), page::kOptimizeFinish);
  EXPECT_NE(Text(id::labOptimize_Finish_Desc).find("the registry backup could not be written"), std::string::npos)
      << Text(id::labOptimize_Finish_Desc);
  EXPECT_NE(Text(id::labOptimize_Finish_Desc).find("Nothing was changed."), std::string::npos);
  EXPECT_TRUE(main->control(id::panMain_Top).enabled());
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(Snapshot(*sim.platform().registry), before);
  // A stopped run is not recorded as an optimization.
  EXPECT_EQ(Sysset("optime"), "0");
}

TEST_F(OptimizerPagesTest, AWow64ProcessWritesTheMachinesValuesInTheSixtyFourBitView) {
  sim.SetWow64(true);
  EXPECT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\CrashControl]\r\n"));
  O();
  main->bitness = sys::ProcessBitness(*sim.platform().system);
  ASSERT_TRUE(main->bitness.wow64);
  for (int i = 0; i < 8; ++i) main->control(id::chklstDiskCache).SetItemChecked(i, i == 7);
  Click(id::imgOptimizeD);
  Drain();
  EXPECT_EQ(Value(*sim.platform().registry, sys::kHKLM, "SYSTEM\\CurrentControlSet\\Control\\CrashControl",
                  "AutoReboot", sys::kMaskAll64),
            "dword:1");
  // The backup names the key as the 64-bit registry editor reads it back.
  const auto files = BackupFiles();
  ASSERT_EQ(files.size(), 1u);
  main->ShowPage(page::kBackup);
  features.backup->imgOBackupClick();
  main->control(id::lstvOBackup).SetSelected(0);
  features.backup->imgBRestoreClick();
  Drain();
  EXPECT_EQ(Value(*sim.platform().registry, sys::kHKLM, "SYSTEM\\CurrentControlSet\\Control\\CrashControl",
                  "AutoReboot", sys::kMaskAll64),
            "absent");
}

TEST_F(OptimizerPagesTest, EachProfileIsUndoneFromTheBackupPage) {
  O();
  Click(id::radgFileSystem1);
  const id::ControlId buttons[] = {id::imgOptimizeN, id::imgOptimizeD, id::imgOptimizeDT, id::imgOptimizeF};
  for (int i = 0; i < 5; ++i) main->control(id::chklstNetwork).SetItemChecked(i, true);
  Click(id::radgDesktop1);  // deletes NoStartBanner
  for (id::ControlId button : buttons) {
    const auto before = Snapshot(*sim.platform().registry);
    Click(button);
    Drain();
    ASSERT_EQ(main->currentPage(), page::kOptimizeFinish);
    ASSERT_NE(Snapshot(*sim.platform().registry), before) << id::Name(button);
    // Restore the newest optimize backup from the backup page.
    main->ShowPage(page::kBackup);
    features.backup->imgOBackupClick();
    ASSERT_GE(main->control(id::lstvOBackup).rowCount(), 1);
    main->control(id::lstvOBackup).SetSelected(0);
    features.backup->imgBRestoreClick();
    Drain();
    EXPECT_EQ(ports.messages.back().text, "The registry was restored successfully!");
    EXPECT_EQ(Snapshot(*sim.platform().registry), before) << id::Name(button);
  }
}

}  // namespace
}  // namespace vl::optimizer
