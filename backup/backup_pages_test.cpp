// The backup page in the main window: lists, tabs, deletion, restore and
// the full backup, on the simulated platform with scripted message boxes.
#include "backup/backup_pages.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>

#include "app/control_ids.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/registry.h"

namespace vl::backup {
namespace {

const char kNotSelected[] = "You have not selected a registry backup file or backup file does not exist.";
const char kApp[] = "C:\\Vantorel\\";

class BackupPageTest : public vl::testing::AppFixture {
 protected:
  BackupPage& Page() {
    if (!main) Start();
    BackupPage* p = features.backup;
    EXPECT_NE(p, nullptr);
    return *p;
  }
  // A backup file of `kind` written `age` seconds before a fixed time.
  std::string Put(BackupKind kind, const std::string& name, int age = 0, const std::string& text = kReg) {
    const std::string folder = std::string(kApp) + BackupFolder(kind);
    EXPECT_TRUE(sim.files().CreateFolder(folder));
    const std::string path = folder + name;
    WriteFile(path, text);
    time_t when = 1717200000 - age;  // 2024-06-01 00:00:00 UTC
    struct utimbuf times {when, when};
    EXPECT_EQ(utime(sim.files().HostPath(path).c_str(), &times), 0);
    return path;
  }
  void Select(BackupKind kind, int row) { Page().list(kind).SetSelected(row); }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (auto& m : ports.messages) texts.push_back(m.text);
    return texts;
  }
  std::string ReadValue(const std::string& key, const std::string& name) {
    sys::Registry reg(sim.registry());
    return reg.ReadString(sys::kHKCU, key, name, sys::kMaskAll64);
  }

  static inline const std::string kReg =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlBackupTest]\r\n"
      "\"Colour\"=\"blue\"\r\n";
};

TEST_F(BackupPageTest, EnteringThePageShowsTheFullBackupsNewestFirst) {
  Put(BackupKind::kFull, "FBackup_20240530120000.reg", 3600);
  Put(BackupKind::kFull, "FBackup_20240531120000.reg", 60);
  Put(BackupKind::kRepair, "20240531110000.reg");
  Start();
  main->ShowPage(4);
  EXPECT_EQ(main->form().activeSheet(), sheet::tabBackup);
  EXPECT_EQ(Text(id::labBackup_Title), "Registry Backup and Restore");
  EXPECT_EQ(Text(id::labBackup_Desc),
            "Full Backup supports complete registry backup. To return to any previous configuration, please "
            "select an item\rfrom the list below and click on \"Restore\" button to start the restore.");
  EXPECT_TRUE(main->control(id::imgMBackup).highlighted());
  BackupPage& page = Page();
  EXPECT_EQ(page.activeTab(), BackupKind::kFull);
  EXPECT_TRUE(main->control(id::imgFBackup).highlighted());
  EXPECT_FALSE(main->control(id::imgRBackup).highlighted());
  ui::Control& list = main->control(id::lstvFBackup);
  EXPECT_TRUE(list.visible());
  EXPECT_FALSE(main->control(id::lstvRBackup).visible());
  EXPECT_FALSE(main->control(id::lstvOBackup).visible());
  ASSERT_EQ(list.rowCount(), 2);
  EXPECT_EQ(list.rowProvider(0, 0).text, "May 31, 2024 (23:59:00)");
  EXPECT_EQ(list.rowProvider(0, 1).text, "FBackup_20240531120000.reg");
  EXPECT_EQ(list.rowProvider(1, 0).text, "May 31, 2024 (23:00:00)");
  EXPECT_EQ(list.rowProvider(1, 1).text, "FBackup_20240530120000.reg");
  // One visible date column of 300, the file name hidden; no headers.
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].width, 300);
  EXPECT_EQ(list.columns[1].width, 0);
  EXPECT_FALSE(list.showHeader);
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(BackupPageTest, TabsSwitchListsAndReloadOnlyOnAClick) {
  Put(BackupKind::kRepair, "20240501000000.reg");
  Put(BackupKind::kOptimize, "20240502000000.reg", 10);
  Put(BackupKind::kOptimize, "20240503000000.reg");
  main = nullptr;
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  EXPECT_EQ(page.activeTab(), BackupKind::kRepair);
  EXPECT_TRUE(main->control(id::lstvRBackup).visible());
  EXPECT_FALSE(main->control(id::lstvFBackup).visible());
  EXPECT_TRUE(main->control(id::imgRBackup).highlighted());
  EXPECT_FALSE(main->control(id::imgFBackup).highlighted());
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 1);
  // A file written meanwhile appears with the next click only.
  Put(BackupKind::kRepair, "20240504000000.reg");
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 1);
  page.imgOBackupClick();
  EXPECT_EQ(main->control(id::lstvOBackup).rowCount(), 2);
  EXPECT_EQ(page.RowData(BackupKind::kOptimize, 0, 1).text, "20240503000000.reg");
  page.imgRBackupClick();
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 2);
}

TEST_F(BackupPageTest, AMissingFolderGivesAnEmptyListWithoutMessage) {
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgOBackupClick();
  EXPECT_EQ(main->control(id::lstvOBackup).rowCount(), 0);
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(BackupPageTest, DeleteOrRestoreWithoutASelectionSaysSo) {
  Put(BackupKind::kFull, "FBackup_1.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgBDeleteClick();
  page.imgBRestoreClick();
  page.imgOBackupClick();  // an empty list
  page.imgBRestoreClick();
  ASSERT_EQ(ports.messages.size(), 3u);
  for (auto& m : ports.messages) {
    EXPECT_EQ(m.text, kNotSelected);
    EXPECT_EQ(m.caption, "Vantorel");
    EXPECT_EQ(m.icon, MsgIcon::Error);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
  }
  EXPECT_EQ(ports.waitShown, 0);
}

TEST_F(BackupPageTest, DeletingAFullBackupAsksFirstAndNoKeepsEverything) {
  const std::string path = Put(BackupKind::kFull, "FBackup_20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  Select(BackupKind::kFull, 0);
  ports.answers.push_back(MsgAnswer::No);
  page.imgBDeleteClick();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Are you sure to remove this backup file now?\rThis operation is not reversible!");
  EXPECT_EQ(ports.messages[0].caption, "Confrim");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(sim.files().FileExists(path));
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 1);

  ports.answers.push_back(MsgAnswer::Yes);
  page.imgBDeleteClick();
  EXPECT_EQ(ports.messages.size(), 2u);
  EXPECT_FALSE(sim.files().FileExists(path));
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 0);
}

TEST_F(BackupPageTest, RepairAndOptimizeBackupsAreDeletedWithoutAQuestion) {
  const std::string repair = Put(BackupKind::kRepair, "20240501000000.reg");
  const std::string older = Put(BackupKind::kOptimize, "20240501000000.reg", 100);
  const std::string newer = Put(BackupKind::kOptimize, "20240502000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgOBackupClick();
  Select(BackupKind::kOptimize, 1);
  page.imgBDeleteClick();
  EXPECT_FALSE(sim.files().FileExists(older));
  EXPECT_TRUE(sim.files().FileExists(newer));
  ASSERT_EQ(main->control(id::lstvOBackup).rowCount(), 1);
  EXPECT_EQ(page.RowData(BackupKind::kOptimize, 0, 1).text, "20240502000000.reg");
  EXPECT_EQ(main->control(id::lstvOBackup).selected(), -1);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBDeleteClick();
  EXPECT_FALSE(sim.files().FileExists(repair));
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(BackupPageTest, AFileAlreadyGoneLosesItsRowSilently) {
  const std::string path = Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  ASSERT_EQ(0u, sim.files().RemoveFile(path));
  Select(BackupKind::kRepair, 0);
  page.imgBDeleteClick();
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 0);
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(BackupPageTest, AFileThatCannotBeDeletedKeepsItsRowAndIsReported) {
  const std::string path = Put(BackupKind::kRepair, "20240501000000.reg");
  ASSERT_EQ(0u, sim.files().SetAttributes(path, sys::kAttrReadOnly));
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBDeleteClick();
  EXPECT_TRUE(sim.files().FileExists(path));
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 1);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "The backup file could not be deleted.");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Error);
  sim.files().SetAttributes(path, sys::kAttrNormal);
}

TEST_F(BackupPageTest, RestoreImportsTheFileThroughTheRegistryEditor) {
  const std::string path = Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  EXPECT_EQ(ports.waitShown, 1);
  EXPECT_FALSE(ports.waitOpen);
  EXPECT_EQ(ReadValue("Software\\VlBackupTest", "Colour"), "blue");
  std::vector<std::string> runs = sim.system().registryEditorRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], "/s \"" + path + "\"");
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[0].text, "Would you like to restore the registry now?");
  EXPECT_EQ(ports.messages[0].caption, "Confrim");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ports.messages[1].text, "The registry was restored successfully!");
  EXPECT_EQ(ports.messages[1].caption, "Vantorel");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::None);
  EXPECT_EQ(ports.messages[1].buttons, MsgButtons::Ok);
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
}

TEST_F(BackupPageTest, RestoreLeavesNewerValuesInPlace) {
  sys::Registry reg(sim.registry());
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlBackupTest]\r\n"
                          "\"Colour\"=\"red\"\r\n\"Later\"=\"kept\"\r\n"));
  Put(BackupKind::kOptimize, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgOBackupClick();
  Select(BackupKind::kOptimize, 0);
  page.imgBRestoreClick();
  EXPECT_EQ(ReadValue("Software\\VlBackupTest", "Colour"), "blue");
  EXPECT_EQ(ReadValue("Software\\VlBackupTest", "Later"), "kept");
}

TEST_F(BackupPageTest, DecliningTheRestoreChangesNothing) {
  Put(BackupKind::kFull, "FBackup_20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  Select(BackupKind::kFull, 0);
  ports.answers.push_back(MsgAnswer::No);
  page.imgBRestoreClick();
  EXPECT_EQ(ports.waitShown, 0);
  EXPECT_TRUE(sim.system().registryEditorRuns().empty());
  EXPECT_EQ(ports.messages.size(), 1u);
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
}

TEST_F(BackupPageTest, ALostFileIsReportedAndRestoreStaysUsable) {
  const std::string path = Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  ASSERT_EQ(0u, sim.files().RemoveFile(path));
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text, "Registry backup file has been lost.");
  EXPECT_EQ(ports.messages[1].caption, "Vantorel");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Error);
  EXPECT_EQ(ports.waitShown, 0);
  EXPECT_TRUE(sim.system().registryEditorRuns().empty());
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
  // The stale row stays until the next tab click.
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 1);
  page.imgRBackupClick();
  EXPECT_EQ(main->control(id::lstvRBackup).rowCount(), 0);
}

TEST_F(BackupPageTest, AnImportTheEditorRefusesIsNotCalledASuccess) {
  Put(BackupKind::kRepair, "20240501000000.reg", 0, "not a registry file");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  EXPECT_FALSE(ports.waitOpen);
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text, "The registry could not be restored: the backup file is not a registry file.");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Error);
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
}

// The real editor ends normally when it rejects a file or a key; only the
// registry read back tells.
TEST_F(BackupPageTest, AnEditorThatEndsWithoutImportingIsNotCalledASuccess) {
  sim.system().SetEditorIgnoresImports(true);
  Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  EXPECT_FALSE(ports.waitOpen);
  EXPECT_EQ(sim.system().registryEditorRuns().size(), 1u);
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text,
            "The registry was not fully restored: 2 of 2 entries of the backup file did not come back.\r"
            "[HKEY_CURRENT_USER\\Software\\VlBackupTest] is missing\r"
            "\"Colour\" in [HKEY_CURRENT_USER\\Software\\VlBackupTest] is missing");
  EXPECT_EQ(ports.messages[1].caption, "Vantorel");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Error);
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
}

TEST_F(BackupPageTest, ARestoreNamesTheFirstEntriesThatDidNotComeBackAndCountsTheRest) {
  // Removals that did not happen count as well as values that are missing.
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlOld]\r\n"
                          "[HKEY_CURRENT_USER\\Software\\VlBackupTest]\r\n\"Gone\"=\"x\"\r\n@=\"d\"\r\n"));
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Software\\VlOld]\r\n\r\n"
                     "[HKEY_CURRENT_USER\\Software\\VlBackupTest]\r\n\"Gone\"=-\r\n@=\"other\"\r\n";
  for (int i = 0; i < 6; ++i) text += "\"V" + std::to_string(i) + "\"=dword:00000001\r\n";
  Put(BackupKind::kOptimize, "20240501000000.reg", 0, text);
  sim.system().SetEditorIgnoresImports(true);
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgOBackupClick();
  Select(BackupKind::kOptimize, 0);
  page.imgBRestoreClick();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text,
            "The registry was not fully restored: 9 of 10 entries of the backup file did not come back.\r"
            "[HKEY_CURRENT_USER\\Software\\VlOld] is still there\r"
            "\"Gone\" in [HKEY_CURRENT_USER\\Software\\VlBackupTest] is still there\r"
            "the default value in [HKEY_CURRENT_USER\\Software\\VlBackupTest] holds other data\r"
            "\"V0\" in [HKEY_CURRENT_USER\\Software\\VlBackupTest] is missing\r"
            "\"V1\" in [HKEY_CURRENT_USER\\Software\\VlBackupTest] is missing\r"
            "... and 4 more.");
  // Imported for real, the same file reads back whole.
  sim.system().SetEditorIgnoresImports(false);
  Select(BackupKind::kOptimize, 0);
  page.imgBRestoreClick();
  EXPECT_EQ(MessageTexts().back(), "The registry was restored successfully!");
  EXPECT_FALSE(sys::Registry(sim.registry()).KeyExists(sys::kHKCU, "Software\\VlOld", sys::kMaskAll64));
}

// A 32-bit program on 64-bit Windows: the 64-bit editor writes the native
// view, and that is the one read back (not SOFTWARE\Wow6432Node).
TEST_F(BackupPageTest, ARestoreByThe32BitProgramIsReadBackInTheNativeView) {
  sim.SetWow64(true);
  Put(BackupKind::kRepair, "20240501000000.reg", 0,
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\VlNative]\r\n\"v\"=\"1\"\r\n\r\n");
  BackupPage& page = Page();
  main->bitness = sys::ProcessBitness(*sim.platform().system);  // as the program sets it
  ASSERT_TRUE(main->bitness.wow64);
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  EXPECT_EQ(MessageTexts().back(), "The registry was restored successfully!");
  EXPECT_TRUE(sys::Registry(sim.registry()).KeyExists(sys::kHKLM, "SOFTWARE\\VlNative", sys::kMaskAll64));
  EXPECT_FALSE(sys::Registry(sim.registry()).KeyExists(sys::kHKLM, "SOFTWARE\\VlNative", sys::kMaskAll));
}

TEST_F(BackupPageTest, ARestoreThatOutlastsTheWaitSaysItIsStillRunning) {
  sim.system().SetEditorOutlastsWait(true);
  Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  EXPECT_FALSE(ports.waitOpen);
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text,
            "The registry editor is still restoring the backup after 10 minutes and goes on in the background, "
            "so it is not known yet whether everything came back.");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Warning);
  EXPECT_TRUE(main->control(id::imgBRestore).enabled());
}

TEST_F(BackupPageTest, ARestoreWithoutARegistryEditorSaysSo) {
  sim.system().SetEditorMissing(true);
  Put(BackupKind::kRepair, "20240501000000.reg");
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  Select(BackupKind::kRepair, 0);
  page.imgBRestoreClick();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text, "The registry could not be restored: the registry editor could not be started.");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Error);
}

TEST_F(BackupPageTest, ADoubleClickOnARowRestoresIt) {
  Put(BackupKind::kFull, "FBackup_20240501000000.reg");
  Page();
  main->ShowPage(4);
  Select(BackupKind::kFull, 0);
  ASSERT_TRUE(main->control(id::lstvFBackup).onItemDoubleClick);
  main->control(id::lstvFBackup).onItemDoubleClick(0);
  EXPECT_EQ(ports.waitShown, 1);
  EXPECT_EQ(ReadValue("Software\\VlBackupTest", "Colour"), "blue");
  EXPECT_EQ(MessageTexts().back(), "The registry was restored successfully!");
}

TEST_F(BackupPageTest, AFullBackupFromThePageIsListedAndClosesTheWaitWindow) {
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlBackupTest]\r\n"
                          "\"Colour\"=\"green\"\r\n"));
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRBackupClick();
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 0);
  page.imgRegBackupClick();
  EXPECT_EQ(ports.waitShown, 1);
  EXPECT_FALSE(ports.waitOpen);
  // The full list is shown; it gains the export once the editor is done.
  EXPECT_EQ(page.activeTab(), BackupKind::kFull);
  Drain();
  EXPECT_TRUE(ports.messages.empty());
  ui::Control& list = main->control(id::lstvFBackup);
  EXPECT_TRUE(list.visible());
  ASSERT_EQ(list.rowCount(), 1);
  const std::string name = list.rowProvider(0, 1).text;
  EXPECT_EQ(name.rfind("FBackup_", 0), 0u);
  EXPECT_EQ(name.size(), std::string("FBackup_20240101000000.reg").size());
  const std::string exported = ReadFile(std::string(kApp) + "backup\\full_backup\\" + name);
  EXPECT_FALSE(exported.empty());
  std::vector<std::string> runs = sim.system().registryEditorRuns();
  ASSERT_EQ(runs.size(), 1u);
  // Written under a temporary name, renamed when whole.
  EXPECT_EQ(runs[0], "/E \"C:\\Vantorel\\backup\\full_backup\\" + name + ".tmp\"");
  EXPECT_FALSE(sim.files().FileExists(std::string(kApp) + "backup\\full_backup\\" + name + ".tmp"));
  // The navigation stays usable.
  EXPECT_TRUE(main->control(id::panMain_Top).enabled());
}

TEST_F(BackupPageTest, AFullBackupInProgressIsNotListed) {
  BackupPage& page = Page();
  main->ShowPage(4);
  int shownWhileWriting = -1;
  sim.system().beforeEditorExits = [&] {
    // The list reloaded now (on the main thread) still shows nothing.
    dispatcher.Call([&] {
      page.imgFBackupClick();
      shownWhileWriting = main->control(id::lstvFBackup).rowCount();
    });
  };
  page.imgRegBackupClick();
  Drain();
  sim.system().beforeEditorExits = nullptr;
  EXPECT_EQ(shownWhileWriting, 0);
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 1);
}

TEST_F(BackupPageTest, AFullBackupCutShortIsNeverListedAndTheUserIsTold) {
  sim.system().SetExportCutAt(301);
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRegBackupClick();
  Drain();
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 0);
  std::vector<sys::FileEntry> left;
  ASSERT_TRUE(sim.files().ListFolder(std::string(kApp) + "backup\\full_backup", left));
  EXPECT_TRUE(left.empty());
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text,
            "The full backup could not be completed: the registry editor's export is not whole (the file ends in "
            "the middle of a character).");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Error);
}

TEST_F(BackupPageTest, AFullBackupWithoutARegistryEditorSaysSo) {
  sim.system().SetEditorMissing(true);
  BackupPage& page = Page();
  main->ShowPage(4);
  page.imgRegBackupClick();
  EXPECT_FALSE(ports.waitOpen);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "The registry editor could not be started, so no full backup was taken.");
  EXPECT_EQ(ports.messages[0].caption, "Vantorel");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Error);
  EXPECT_EQ(main->control(id::lstvFBackup).rowCount(), 0);
}

}  // namespace
}  // namespace vl::backup
