// Vantorel's own files changeable by another account: the start says so
// once, updates, restores and the move clean are refused, scans and the
// other cleans go on. On the simulated platform, whose file security and
// linked token the tests set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "backup/backup_folders.h"
#include "backup/backup_pages.h"
#include "backup/folder_trust.h"
#include "junk_cleaner/junk_cleaner.h"
#include "optimizer/optimizer.h"
#include "optimizer/testing/optimizer_testing.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "store/database.h"
#include "store/schema.h"

namespace vl {
namespace {

using sys::AccessEntry;
using sys::PathSecurity;

const char kApp[] = "C:\\Vantorel\\";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kIntro[] = "Other accounts on this PC can change Vantorel's files:";

// An administrators-only list with one more entry.
PathSecurity With(AccessEntry extra) {
  PathSecurity s = sys::SimSecurity::ProgramFolderDefault();
  s.entries.push_back(extra);
  return s;
}
const AccessEntry kUsersWrite{sys::sid::kUsers, true, sys::rights::kWriteData | sys::rights::kAppendData,
                              sys::kAceObjectInherit | sys::kAceContainerInherit};

class OwnFilesTest : public vl::testing::AppFixture {
 protected:
  OwnFilesTest() {
    sim.files().CreateFolder("C:\\Vantorel\\update");
    WriteFile("C:\\Vantorel\\Settings.ini", "[Basic]\r\n");
  }
  void StartWithDb() {
    store::CreateDatabase(sim.files().NativePath("C:\\Vantorel\\data.db"));
    Start();
    Drain();
  }
  int Count(const std::string& prefix) {
    int n = 0;
    for (auto& m : ports.messages)
      if (m.text.rfind(prefix, 0) == 0) ++n;
    return n;
  }
  std::string Last() { return ports.messages.empty() ? "" : ports.messages.back().text; }
  // A .reg file in the repair backups, as another account could plant it.
  std::string PlantRepairBackup() {
    const std::string folder = std::string(kApp) + backup::BackupFolder(backup::BackupKind::kRepair);
    sim.files().CreateFolder(folder);
    WriteFile(folder + "20240501000000.reg",
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Planted]\r\n\"Debugger\"=\"cmd\"\r\n");
    return folder + "20240501000000.reg";
  }
  // A startup row in data.db, as another account could plant it.
  void PlantStartupRow() {
    sim.files().CreateFolder("C:\\Apps");
    WriteFile("C:\\Apps\\planted.exe", "MZ");
    sys::RegKey k;
    ASSERT_EQ(sim.registry().CreateKey(sys::kHKLM, kRunKey, sys::kMaskAll, &k), 0u);
    sim.registry().CloseKey(k);
    store::Connection c = Db();
    store::RunStatement(c,
                        "insert into startup(sid,sname,stype,spath,sdate) values "
                        "(7,'Planted',2,'C:\\Apps\\planted.exe','2024-05-01 00:00:00')");
  }
  bool RestorePlantedStartupEntry() {
    main->ShowPage(page::kStartupManager);
    Drain();
    optimizer::Optimizer& o = *features.optimizer;
    EXPECT_EQ(o.removedList.size(), 1u);
    main->control(id::imgSRestore).Click();
    main->control(id::lstvSRestore).onMouseDown(0, true);
    main->control(id::imgStartupRestore).Click();
    Drain();
    return optimizer::testing::Value(sim.registry(), sys::kHKLM, kRunKey, "Planted") != "absent";
  }
  bool RestorePlantedBackup() {
    backup::BackupPage& page = *features.backup;
    main->ShowPage(page::kBackup);
    page.imgRBackupClick();
    page.list(backup::BackupKind::kRepair).SetSelected(0);
    page.imgBRestoreClick();
    Drain();
    return !sim.system().registryEditorRuns().empty();
  }
  // Scans C:\w for *.tmp and cleans in `mode`; whether the file left.
  bool ScanAndClean(id::ControlId mode, const std::string& file) {
    junk::JunkCleaner& jc = *features.junk;
    for (auto& t : jc.types) t.checked = t.mask == "*.tmp";
    sim.files().CreateFolder("C:\\w");
    WriteFile(file, "junk");
    main->control(id::imgCBack5).Click();
    jc.imgJunkScanClick();
    Drain();
    EXPECT_EQ(main->currentPage(), page::kJunkResult);
    main->control(mode).Click();
    jc.imgJunkCleanClick();
    Drain();
    return !sim.files().FileExists(file);
  }
};

TEST_F(OwnFilesTest, AdministratorsOnlyFilesPassQuietlyAndEveryActionWorks) {
  PlantRepairBackup();
  StartWithDb();
  EXPECT_EQ(Count(kIntro), 0);
  EXPECT_GE(sim.security().reads().size(), 5u);  // the check ran
  PlantStartupRow();
  EXPECT_TRUE(RestorePlantedBackup());
  EXPECT_TRUE(RestorePlantedStartupEntry());
  sim.MapDrive('D', {});
  sim.shell().QueueBrowseAnswer("D:\\");
  EXPECT_TRUE(ScanAndClean(id::radRemoveDir, "C:\\w\\a.tmp"));
  EXPECT_EQ(Count(kIntro), 0);
}

// Each of the five places, writable by Users, turns everything off.
class EachPlace : public OwnFilesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EachPlace, UsersWriteRefusesUpdatesRestoresAndTheMoveCleanAndSaysSoOnce) {
  const std::string place = std::string(kApp) + GetParam();
  store::CreateDatabase(sim.files().NativePath("C:\\Vantorel\\data.db"));
  sim.security().SetSecurity(place, With(kUsersWrite));
  PlantRepairBackup();
  PlantStartupRow();
  withUpdateCheck = true;
  Start();
  Drain();
  // Told at start, once, with the place, who, what is off and what to do.
  ASSERT_EQ(Count(kIntro), 1);
  const std::string told = ports.messages[0].text;
  std::string shown = place;
  while (shown.back() == '\\') shown.pop_back();
  EXPECT_NE(told.find(shown + "  (Users)"), std::string::npos) << told;
  EXPECT_NE(told.find("install Vantorel into the Program Files folder"), std::string::npos);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Warning);
  // The update check of the start did not run and said nothing more.
  EXPECT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(runner.running(), 0);

  // A check asked for by the user: refused with the short note.
  main->startUpdateCheck(true);
  EXPECT_EQ(ports.waitShown, 0);
  EXPECT_EQ(Last(), backup::FolderTrust::Refusal("Checking for updates"));

  EXPECT_FALSE(RestorePlantedBackup());
  EXPECT_EQ(Last(), backup::FolderTrust::Refusal("Restoring a registry backup"));
  EXPECT_FALSE(RestorePlantedStartupEntry());
  EXPECT_EQ(Last(), backup::FolderTrust::Refusal("Restoring a startup entry"));
  EXPECT_EQ(features.optimizer->removedList.size(), 1u);

  sim.MapDrive('D', {});
  sim.shell().QueueBrowseAnswer("D:\\");
  EXPECT_FALSE(ScanAndClean(id::radRemoveDir, "C:\\w\\a.tmp"));
  EXPECT_EQ(Last(), backup::FolderTrust::Refusal("Moving junk files to a folder"));
  // Scans and the other cleans go on.
  EXPECT_TRUE(ScanAndClean(id::radDeleteFile, "C:\\w\\b.tmp"));
  EXPECT_TRUE(ScanAndClean(id::radDeleteToRec, "C:\\w\\c.tmp"));
  EXPECT_EQ(Count(kIntro), 1);
}

INSTANTIATE_TEST_SUITE_P(Places, EachPlace,
                         ::testing::Values("", "Settings.ini", "data.db", "backup\\", "update\\"));

TEST_F(OwnFilesTest, TheUsersOwnAccountCountsOnlyWhileItsUnelevatedTokenMayWrite) {
  const AccessEntry mine{sys::SimSecurity::kUserSidDefault, true, sys::rights::kFullControl,
                         sys::kAceObjectInherit | sys::kAceContainerInherit};
  sim.security().SetSecurity("C:\\Vantorel", With(mine));
  StartWithDb();
  ASSERT_EQ(Count(kIntro), 1);
  EXPECT_NE(ports.messages[0].text.find("C:\\Vantorel  (PC\\Tester without administrator rights)"),
            std::string::npos)
      << ports.messages[0].text;
}

TEST_F(OwnFilesTest, WithUacOffTheUsersOwnAccountIsNoReason) {
  const AccessEntry mine{sys::SimSecurity::kUserSidDefault, true, sys::rights::kFullControl,
                         sys::kAceObjectInherit | sys::kAceContainerInherit};
  PathSecurity owned = With(mine);
  owned.owner = sys::SimSecurity::kUserSidDefault;
  sim.security().SetSecurity("C:\\Vantorel", owned);
  sim.security().SetLinkedToken(false);
  PlantRepairBackup();
  StartWithDb();
  EXPECT_EQ(Count(kIntro), 0);
  EXPECT_TRUE(RestorePlantedBackup());
}

TEST_F(OwnFilesTest, UnderWineTheUsersOwnAccountIsNoReasonButOthersStillAre) {
  // What Wine reports for every file: the user owns it, SYSTEM and the user
  // have full control, Everyone may read.
  PathSecurity wine;
  wine.owner = sys::SimSecurity::kUserSidDefault;
  wine.entries = {{sys::sid::kSystem, true, sys::rights::kFullControl, 0},
                  {sys::SimSecurity::kUserSidDefault, true, sys::rights::kFullControl, 0},
                  {sys::sid::kEveryone, true, 0x1200A9, 0}};
  sim.security().SetSecurity("C:\\Vantorel", wine);
  sim.security().SetUserAccountUnreliable(true);
  StartWithDb();
  EXPECT_EQ(Count(kIntro), 0);
}

TEST_F(OwnFilesTest, EveryoneDeleteChildOnBackupIsRefused) {
  sim.security().SetSecurity("C:\\Vantorel\\backup", With({sys::sid::kEveryone, true, sys::rights::kDeleteChild, 0}));
  PlantRepairBackup();
  StartWithDb();
  ASSERT_EQ(Count(kIntro), 1);
  EXPECT_NE(ports.messages[0].text.find("C:\\Vantorel\\backup  (Everyone)"), std::string::npos);
  EXPECT_FALSE(RestorePlantedBackup());
}

TEST_F(OwnFilesTest, TheStartMakesBackupAndUpdateForAdministratorsOnly) {
  sim.files().RemoveFolder("C:\\Vantorel\\update");
  StartWithDb();
  const std::vector<std::string> made = sim.security().adminOnlyFolders();
  // backup\ was there already (the fixture's); update\ was made.
  EXPECT_EQ(made, std::vector<std::string>{"C:\\Vantorel\\update"});
  sys::PathSecurity s;
  ASSERT_EQ(sim.security().ReadSecurity("C:\\Vantorel\\update", s), 0u);
  EXPECT_TRUE(s.protectedDacl);
  ASSERT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(s.entries[0].sid, sys::sid::kSystem);
  EXPECT_EQ(s.entries[1].sid, sys::sid::kAdministrators);
  // What the programs make below it inherits that.
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\Vantorel\\update\\Update.xml", "x"));
  bool unreadable = true;
  EXPECT_TRUE(sys::OthersWhoMayChange(sim.security(), "C:\\Vantorel\\update\\Update.xml", &unreadable).empty());
  EXPECT_FALSE(unreadable);
  EXPECT_EQ(Count(kIntro), 0);
}

TEST_F(OwnFilesTest, AFreshFolderGetsBothFoldersProtected) {
  sim.files().RemoveFolder("C:\\Vantorel\\update");
  sim.files().RemoveFolder("C:\\Vantorel\\backup\\full_backup");
  sim.files().RemoveFolder("C:\\Vantorel\\backup");
  backup::CreateAdminOnlyFolders(sim.platform());
  EXPECT_EQ(sim.security().adminOnlyFolders(),
            (std::vector<std::string>{"C:\\Vantorel\\backup", "C:\\Vantorel\\update"}));
  // A subfolder made later by the registry cleaner inherits the list.
  ASSERT_TRUE(sim.files().CreateFolder("C:\\Vantorel\\backup\\repair_backup"));
  sys::PathSecurity s;
  ASSERT_EQ(sim.security().ReadSecurity("C:\\Vantorel\\backup\\repair_backup", s), 0u);
  ASSERT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(s.entries[1].sid, sys::sid::kAdministrators);
}

}  // namespace
}  // namespace vl
