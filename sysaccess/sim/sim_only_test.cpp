// Behaviour only the simulated platform can show: fixtures from .reg text,
// the registry editor stand-in, drives that a test machine does not have, the
// scripted folder dialog, and a non-WOW64 machine.
#include <gmock/gmock.h>

#include <cstring>

#include "sysaccess/reg_file.h"
#include "sysaccess/drive_list.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/testing/pe_image.h"
#include "sysaccess/text.h"
#include "sysaccess/version_info.h"

namespace vl::sys {
namespace {

using testing::BuildPe;

using ::testing::ElementsAre;

TEST(SimRegistry, FixturesLoadFromRegTextAndValuesListInCreationOrder) {
  SimPlatform sim;
  ASSERT_TRUE(sim.LoadReg(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fix]\r\n"
      "\"zeta\"=\"1\"\r\n"
      "\"Alpha\"=dword:00000002\r\n"
      "@=\"d\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fix\\Sub]\r\n"));
  Registry reg(sim.registry());
  std::vector<std::string> names;
  reg.EnumValueNames(names, kHKCU, "Software\\Fix", kMaskAll);
  EXPECT_THAT(names, ElementsAre("zeta", "Alpha", "(Default)"));
  EXPECT_EQ(reg.ReadString(kHKU, sim.registry().currentUserSid() + "\\Software\\Fix", "ZETA", kMaskAll), "1");
  // Overwriting keeps a value's place.
  ASSERT_TRUE(reg.WriteString(kHKCU, "Software\\Fix", "zeta", "again", kMaskAll));
  reg.EnumValueNames(names, kHKCU, "Software\\Fix", kMaskAll);
  EXPECT_THAT(names, ElementsAre("zeta", "Alpha", "(Default)"));
  EXPECT_FALSE(sim.LoadReg("not a reg file"));
}

TEST(SimRegistry, RootsCannotBeDeletedAndHandlesAreAllClosed) {
  SimPlatform sim;
  Registry reg(sim.registry());
  ASSERT_TRUE(sim.LoadReg("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.x]\n@=\"y\"\n"));
  EXPECT_EQ(sim.registry().RemoveKey(kHKCU, ""), kErrAccessDenied);
  EXPECT_EQ(sim.registry().RemoveTree(kHKLM, "SOFTWARE\\Classes"), kErrAccessDenied);
  std::vector<std::string> list;
  reg.EnumSubKeys(list, kHKCR, "", kMaskAll);
  reg.KeyIsEmpty(kHKCR, ".x", kMaskAll);
  reg.DeleteKey(kHKCR, ".x", kMaskAll);
  EXPECT_EQ(sim.registry().OpenHandleCount(), 0u);
}

TEST(SimRegistry, WithoutWow64BothMasksSeeOneView) {
  SimPlatform sim;
  Registry reg(sim.registry());
  ASSERT_TRUE(sim.LoadReg("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n"));
  EXPECT_TRUE(reg.KeyExists(kHKLM, "SOFTWARE\\Vendor", kMaskAll));
  EXPECT_TRUE(reg.KeyExists(kHKLM, "SOFTWARE\\Vendor", kMaskAll64));
  sim.SetWow64(true);
  EXPECT_FALSE(reg.KeyExists(kHKLM, "SOFTWARE\\Vendor", kMaskAll));
}

TEST(SimRegistryEditor, ExportDeleteAndImportRestoresEveryByte) {
  SimPlatform sim;
  Registry reg(sim.registry());
  ASSERT_TRUE(sim.LoadReg(
      "Windows Registry Editor Version 5.00\r\n"
      "[HKEY_CURRENT_USER\\Software\\RT]\r\n"
      "\"s\"=\"a \\\"b\\\" c:\\\\d \xC3\xA4\"\r\n"
      "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"
      "\"m\"=hex(7):61,00,00,00,00,00\r\n"
      "\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
      "\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n"
      "\"d\"=dword:deadbeef\r\n"
      "[HKEY_CURRENT_USER\\Software\\RT\\Sub]\r\n"
      "@=\"x\"\r\n"));
  std::vector<std::string> before = ExportRegTree(sim.registry(), kHKCU, "Software\\RT", kMaskAll);
  ASSERT_TRUE(sim.system().RunRegistryEditor("/e \"C:\\rt export.reg\" HKEY_CURRENT_USER\\Software\\RT", 0));
  std::string file;
  ASSERT_TRUE(sim.files().ReadFileBytes("C:\\rt export.reg", file));
  EXPECT_EQ(file.substr(0, 2), "\xFF\xFE");
  ASSERT_TRUE(reg.DeleteKey(kHKCU, "Software\\RT", kMaskAll));
  ASSERT_TRUE(sim.system().RunRegistryEditor("/s \"C:\\rt export.reg\"", 0));
  EXPECT_EQ(ExportRegTree(sim.registry(), kHKCU, "Software\\RT", kMaskAll), before);
  EXPECT_FALSE(sim.system().RunRegistryEditor("/e C:\\x.reg HKEY_CURRENT_USER\\Software\\Missing", 0));
  EXPECT_FALSE(sim.system().RunRegistryEditor("/s C:\\missing.reg", 0));
  EXPECT_EQ(sim.system().registryEditorRuns().size(), 4u);
}

TEST(SimRegistryEditor, WholeExportHoldsEveryRootAndImportsDeletions) {
  SimPlatform sim;
  Registry reg(sim.registry());
  ASSERT_TRUE(sim.LoadReg("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\W]\n\"v\"=\"1\"\n"));
  ASSERT_TRUE(sim.system().RunRegistryEditor("/E C:\\all.reg", 0));
  std::string bytes;
  ASSERT_TRUE(sim.files().ReadFileBytes("C:\\all.reg", bytes));
  std::string text = DecodeRegFileText(bytes);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\W]\r\n\"v\"=\"1\""), std::string::npos);
  ASSERT_TRUE(sim.files().WriteFileBytes(
      "C:\\del.reg", EncodeRegFile({kRegHeaderV5, "[-HKEY_CURRENT_USER\\Software\\W]"})));
  ASSERT_TRUE(sim.system().RunRegistryEditor("/s C:\\del.reg", 0));
  EXPECT_FALSE(reg.KeyExists(kHKCU, "Software\\W", kMaskAll));
}

TEST(SimDrives, DriveListSkipsCdDrivesEmptyReadersAndUnreadableVolumes) {
  SimPlatform sim;
  SimDrive cd;
  cd.kind = DriveKind::kCdRom;
  cd.total = 700 << 20;
  cd.free = 1;
  sim.MapDrive('D', cd);
  SimDrive reader;
  reader.kind = DriveKind::kRemovable;
  reader.total = 1 << 30;
  reader.free = 0;
  sim.MapDrive('E', reader);
  SimDrive stick;
  stick.kind = DriveKind::kRemovable;
  stick.label = "STICK";
  stick.total = 2048;
  stick.free = 1536;
  sim.MapDrive('F', stick);
  SimDrive broken;
  broken.labelFails = true;
  sim.MapDrive('G', broken);
  SimDrive unlabelled;
  unlabelled.total = 3ull << 30;
  unlabelled.free = 1ull << 30;
  sim.MapDrive('H', unlabelled);
  SimDrive net;
  net.kind = DriveKind::kRemote;
  net.spaceFails = true;
  sim.MapDrive('N', net);
  SimDrive ram;
  ram.kind = DriveKind::kRamDisk;
  ram.label = "RAM";
  ram.total = 4096;
  ram.free = 4096;
  sim.MapDrive('R', ram);
  SimDrive floppy;
  floppy.kind = DriveKind::kRemovable;
  floppy.total = floppy.free = 1000;
  sim.MapDrive('A', floppy);

  EXPECT_FALSE(sim.files().criticalErrorsSuppressed());
  std::vector<DriveRow> rows = BuildDriveList(sim.files());
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].caption, "System (C:)");
  EXPECT_EQ(rows[1].caption, "STICK (F:)");
  EXPECT_EQ(rows[1].totalText, "2.0 KB");
  EXPECT_EQ(rows[1].freeText, "1.5 KB");
  EXPECT_EQ(rows[2].caption, " (H:)");
  EXPECT_EQ(rows[2].totalText, "3.0 GB");
  EXPECT_EQ(rows[2].freeText, "1024.0 MB");
  EXPECT_EQ(rows[3].caption, "RAM (R:)");
  // Only local fixed drives are ticked at first: the others have no recycle bin.
  EXPECT_TRUE(rows[0].checkedByDefault);
  EXPECT_FALSE(rows[1].checkedByDefault);
  EXPECT_TRUE(rows[2].checkedByDefault);
  EXPECT_FALSE(rows[3].checkedByDefault);
  EXPECT_TRUE(sim.files().criticalErrorsSuppressed());
}

TEST(SimShell, FolderDialogAnswersAreScripted) {
  SimPlatform sim;
  sim.shell().QueueBrowseAnswer("D:\\Moved");
  EXPECT_EQ(sim.shell().BrowseForFolder("C:\\Start", "Please select the folder to remove..."), "D:\\Moved");
  EXPECT_EQ(sim.shell().lastBrowseStart(), "C:\\Start");
  EXPECT_EQ(sim.shell().lastBrowseTitle(), "Please select the folder to remove...");
  EXPECT_EQ(sim.shell().BrowseForFolder("C:\\Start", "t"), "");  // cancelled
  sim.shell().SetFolder(19, "");
  EXPECT_EQ(SpecialFolderPath(sim.shell(), 13), "");
}

TEST(SimFiles, PathsStayInsideTheirDrives) {
  SimPlatform sim;
  EXPECT_EQ(sim.files().FullPath("C:\\..\\..\\etc"), "C:\\etc");
  EXPECT_EQ(sim.files().HostPath("C:\\..\\x"), sim.hostRoot() + "/C/x");
  EXPECT_EQ(sim.files().HostPath("Q:\\x"), "");
  EXPECT_EQ(sim.files().HostPath("\\\\server\\share\\x"), "");
  EXPECT_FALSE(sim.files().FileExists("Z:\\etc\\passwd"));
  EXPECT_EQ(sim.files().FullPath("C:/Windows/./System32/"), "C:\\Windows\\System32");
}

TEST(SimShell, FileVersionReadsTheFirstTranslationsFileVersion) {
  SimPlatform sim;
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\app.exe", BuildPe("2.0.1.5", u"040904B0", 0x04B00409)));
  EXPECT_EQ(FileVersion(sim.shell(), "C:\\app.exe"), "2.0.1.5");
  // Table names compare without regard to case.
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\lower.exe", BuildPe("1.2", u"040904b0", 0x04B00409)));
  EXPECT_EQ(FileVersion(sim.shell(), "C:\\lower.exe"), "1.2");
  // A translation without its string table gives nothing.
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\other.exe", BuildPe("3.0", u"040704B0", 0x04B00409)));
  EXPECT_EQ(FileVersion(sim.shell(), "C:\\other.exe"), "");
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\plain.txt", "just text"));
  EXPECT_EQ(FileVersion(sim.shell(), "C:\\plain.txt"), "");
  EXPECT_EQ(FileVersion(sim.shell(), "C:\\missing.exe"), "");
  std::string cut = BuildPe("2.0", u"040904B0", 0x04B00409);
  EXPECT_EQ(FileVersionFromBlock(cut.substr(0x258, 40)), "");
}

}  // namespace
}  // namespace vl::sys
