// The backed-up registry change: what each change writes first, that the
// file restores exactly what was there, and that no backup means no change.
#include "backup/registry_change.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sysaccess/reg_file.h"
#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/testing/faulty_registry.h"
#include "sysaccess/text.h"

namespace vl::backup {
namespace {

constexpr uint32_t kMask = sys::kMaskAll;
const char kFile[] = "C:\\App\\backup\\optimize_backup\\20240305143000.reg";
const char kKey[] = "Software\\VlTweaks";

class RegistryChangeTest : public ::testing::Test {
 protected:
  RegistryChangeTest() : reg(*sim.platform().registry) {
    EXPECT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\VlTweaks]\r\n"
                            "\"MenuShowDelay\"=\"400\"\r\n\"Big\"=hex:" +
                            Hex(200) +
                            "\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlTweaks\\Sub]\r\n\"x\"=dword:00000001\r\n"));
  }
  static std::string Hex(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += i ? ",ab" : "ab";
    return out;
  }
  std::function<std::string()> Path() {
    return [] { return std::string(kFile); };
  }
  std::string Backup() {
    std::string bytes;
    sim.files().ReadFileBytes(kFile, bytes);
    return sys::DecodeRegFileText(bytes);
  }
  std::vector<std::string> Snapshot() { return sys::ExportRegTree(*sim.platform().registry, sys::kHKCU, kKey, kMask); }
  void Restore() { ASSERT_TRUE(sim.platform().system->RunRegistryEditor(std::string("/s \"") + kFile + "\"", 1000)); }
  std::string Sz(const std::string& text) { return sys::Utf8ToUtf16Bytes(text) + std::string(2, '\0'); }

  sys::SimPlatform sim;
  sys::Registry reg;
};

TEST_F(RegistryChangeTest, SettingValuesIsUndoneByItsBackup) {
  const auto before = Snapshot();
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.SetValue(sys::kHKCU, kKey, "MenuShowDelay", sys::kRegSz, Sz("0"), kMask));
  ASSERT_TRUE(change.SetValue(sys::kHKCU, kKey, "NewOne", sys::kRegDword, std::string("\x01\0\0\0", 4), kMask));
  ASSERT_TRUE(change.SetValue(sys::kHKCU, kKey, "", sys::kRegSz, Sz("d"), kMask));
  EXPECT_EQ(reg.ReadString(sys::kHKCU, kKey, "MenuShowDelay", kMask), "0");
  EXPECT_EQ(change.backupFile(), kFile);
  const std::string text = Backup();
  EXPECT_NE(text.find("\"MenuShowDelay\"=\"400\""), std::string::npos);
  EXPECT_NE(text.find("\"NewOne\"=-"), std::string::npos);
  EXPECT_NE(text.find("@=-"), std::string::npos);
  Restore();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RegistryChangeTest, DeletionsAreUndoneByTheirBackup) {
  const auto before = Snapshot();
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "Big", kMask));  // 200 bytes: whole data kept
  ASSERT_TRUE(change.DeleteKeyTree(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
  Restore();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RegistryChangeTest, NothingToChangeWritesNothing) {
  RegistryChange change(sim.platform(), Path());
  EXPECT_FALSE(change.DeleteValue(sys::kHKCU, kKey, "Missing", kMask));
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, "Software\\VlNoSuchKey", kMask));
  // Keys are never created by a change.
  EXPECT_FALSE(change.SetValue(sys::kHKCU, "Software\\VlNoSuchKey", "v", sys::kRegSz, Sz("x"), kMask));
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, "Software\\VlNoSuchKey", kMask));
  EXPECT_EQ(change.backupFile(), "");
  EXPECT_FALSE(sim.files().FileExists(kFile));
}

TEST_F(RegistryChangeTest, ABackupThatCannotBeWrittenMeansNoChange) {
  // A file where the backup folder should go: no backup can be made there.
  sim.files().CreateFolder("C:\\App\\backup");
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\App\\backup\\optimize_backup", "in the way"));
  RegistryChange change(sim.platform(), Path());
  EXPECT_FALSE(change.SetValue(sys::kHKCU, kKey, "MenuShowDelay", sys::kRegSz, Sz("0"), kMask));
  EXPECT_FALSE(change.DeleteValue(sys::kHKCU, kKey, "Big", kMask));
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_EQ(reg.ReadString(sys::kHKCU, kKey, "MenuShowDelay", kMask), "400");
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, kKey, "Big", kMask));
}

TEST_F(RegistryChangeTest, WithBackupsSwitchedOffChangesGoAheadWithoutAFile) {
  RegistryChange change(sim.platform(), nullptr);
  EXPECT_TRUE(change.SetValue(sys::kHKCU, kKey, "MenuShowDelay", sys::kRegSz, Sz("0"), kMask));
  EXPECT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "Big", kMask));
  EXPECT_FALSE(reg.ValueExists(sys::kHKCU, kKey, "Big", kMask));
  EXPECT_EQ(change.backupFile(), "");
  EXPECT_FALSE(sim.files().FileExists(kFile));
}

// Names a program can plant to make a restore write elsewhere: a line break
// and a key line of its own choosing.
const char kRunLine[] = "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class HostileNameTest : public RegistryChangeTest {
 protected:
  void Plant(const std::string& key, const std::string& value = "", const std::string& data = "calc") {
    sys::RegKey k;
    ASSERT_EQ(sim.registry().CreateKey(sys::kHKCU, key, kMask, &k), sys::kErrSuccess);
    if (!value.empty() || !data.empty()) sim.registry().SetValue(k, value, sys::kRegSz, Sz(data));
    sim.registry().CloseKey(k);
  }
  void ExpectRefused(RegistryChange& change, bool ok) {
    EXPECT_FALSE(ok);
    EXPECT_NE(change.problem().find("name that a backup cannot hold"), std::string::npos) << change.problem();
    EXPECT_FALSE(sim.files().FileExists(kFile));
  }
};

TEST_F(HostileNameTest, AKeyNameWithALineBreakIsNeitherBackedUpNorDeleted) {
  // Windows allows every character but the backslash in a key name, so the
  // planted path nests: Gone<CR><LF>[HKEY_LOCAL_MACHINE \ SOFTWARE \ ... \ Run.
  const std::string planted = std::string(kKey) + "\\Gone" + kRunLine;
  Plant(planted, "Payload", "calc.exe");
  const std::string top = std::string(kKey) + "\\Gone\r\n[HKEY_LOCAL_MACHINE";
  RegistryChange change(sim.platform(), Path());
  ExpectRefused(change, change.DeleteKeyTree(sys::kHKCU, top, kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, planted, kMask));
  ExpectRefused(change, change.DeleteEmptyKey(sys::kHKCU, top, kMask));
  ExpectRefused(change, change.DeleteValue(sys::kHKCU, planted, "Payload", kMask));
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, planted, "Payload", kMask));
}

TEST_F(HostileNameTest, ANameDeepInsideATreeStopsTheWholeTree) {
  Plant(std::string(kKey) + "\\Sub\\Deeper" + "\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Victim]");
  RegistryChange change(sim.platform(), Path());
  ExpectRefused(change, change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
}

TEST_F(HostileNameTest, ValueNamesWithLineBreaksNulOrLoneSurrogatesAreRefused) {
  const std::string lone = sys::Utf16ToUtf8(std::u16string{u'a', static_cast<char16_t>(0xD800), u'b'});
  for (const std::string& name : {std::string("x\r\n@=hex(1):63,00,00,00\r\nz"), std::string("x\ny"),
                                  std::string("nul\0inside", 10), lone}) {
    Plant(kKey, name, "gone.exe");
    RegistryChange change(sim.platform(), Path());
    ExpectRefused(change, change.DeleteValue(sys::kHKCU, kKey, name, kMask));
    ExpectRefused(change, change.SetValue(sys::kHKCU, kKey, name, sys::kRegSz, Sz("0"), kMask));
    ExpectRefused(change, change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
    EXPECT_TRUE(reg.KeyExists(sys::kHKCU, kKey, kMask));
  }
  // Quotes, backslashes and brackets are written escaped and come back the same.
  Plant(kKey, "q\"u\\o[t]e", "x");
  const auto before = Snapshot();
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "q\"u\\o[t]e", kMask)) << change.problem();
  Restore();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RegistryChangeTest, TextThatIsNotValidUtf16IsBackedUpByteForByte) {
  // A lone surrogate has no UTF-8 form: a quoted line would change the data.
  const std::string bytes("a\0\x00\xD8" "b\0\0\0", 8);
  sys::RegKey k;
  ASSERT_EQ(sim.registry().OpenKey(sys::kHKCU, kKey, kMask, &k), sys::kErrSuccess);
  sim.registry().SetValue(k, "Odd", sys::kRegSz, bytes);
  sim.registry().CloseKey(k);
  const auto before = Snapshot();
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "Odd", kMask));
  EXPECT_NE(Backup().find("\"Odd\"=hex(1):61,00,00,d8,62,00,00,00"), std::string::npos) << Backup();
  Restore();
  EXPECT_EQ(Snapshot(), before);
}

// The tree export must be whole before anything is deleted.
class PartialExportTest : public RegistryChangeTest {
 protected:
  PartialExportTest() : faulty(sim.registry()) {
    platform = sim.platform();
    platform.registry = &faulty;
  }
  sys::testing::FaultyRegistry faulty;
  sys::Platform platform;
};

TEST_F(PartialExportTest, AValueThatCannotBeReadStopsTheDeletion) {
  faulty.onEnumValue = [](uint32_t index) { return index == 1 ? sys::kErrAccessDenied : -1L; };
  RegistryChange change(platform, Path());
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_NE(change.problem().find("Access is denied."), std::string::npos) << change.problem();
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, kKey, "Big", kMask));
  EXPECT_FALSE(sim.files().FileExists(kFile));
}

TEST_F(PartialExportTest, ASubkeyThatCannotBeOpenedStopsTheDeletion) {
  faulty.onOpen = [](const std::string& sub, uint32_t) { return sub == "Sub" ? sys::kErrAccessDenied : -1L; };
  RegistryChange change(platform, Path());
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
  faulty.onOpen = nullptr;
  faulty.onEnumKey = [](uint32_t) { return sys::kErrMoreData; };
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
}

TEST_F(PartialExportTest, ARegistryLinkInsideTheTreeStopsTheDeletion) {
  faulty.isLink = [](const std::string& sub) { return sub == "Sub"; };
  RegistryChange change(platform, Path());
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_NE(change.problem().find("registry link"), std::string::npos) << change.problem();
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
  EXPECT_FALSE(sim.files().FileExists(kFile));
}

TEST_F(PartialExportTest, WhatArrivesInATreeAfterItsBackupIsNotDeleted) {
  // A program adds a subkey while the tree is being removed.
  faulty.onRemoveKey = [this](const std::string& sub) {
    if (sub.find("\\Sub") != std::string::npos) {
      sys::RegKey late;
      sim.registry().CreateKey(sys::kHKCU, std::string(kKey) + "\\Late", kMask, &late);
      sim.registry().CloseKey(late);
    }
    return -1L;
  };
  RegistryChange change(platform, Path());
  EXPECT_FALSE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask));
  EXPECT_EQ(change.problem(), "the key changed while it was being removed");
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));  // backed up, gone
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, std::string(kKey) + "\\Late", kMask));
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, kKey, "Big", kMask));
}

TEST_F(PartialExportTest, AValueThatGrewWhileReadIsReadAgain) {
  int moreData = 2;
  faulty.onEnumValue = [&moreData](uint32_t index) { return index == 0 && moreData-- > 0 ? sys::kErrMoreData : -1L; };
  const auto before = Snapshot();
  RegistryChange change(platform, Path());
  ASSERT_TRUE(change.DeleteKeyTree(sys::kHKCU, kKey, kMask)) << change.problem();
  Restore();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(PartialExportTest, AnEmptyKeyThatFillsUpMeanwhileStays) {
  const std::string empty = std::string(kKey) + "\\Empty";
  sys::RegKey k;
  ASSERT_EQ(sim.registry().CreateKey(sys::kHKCU, empty, kMask, &k), sys::kErrSuccess);
  sim.registry().CloseKey(k);
  // A program adds a subkey between the last look and the delete.
  faulty.onRemoveKey = [this, empty](const std::string&) {
    sys::RegKey late;
    sim.registry().CreateKey(sys::kHKCU, empty + "\\Late", kMask, &late);
    sim.registry().CloseKey(late);
    return -1L;
  };
  RegistryChange change(platform, Path());
  EXPECT_FALSE(change.DeleteEmptyKey(sys::kHKCU, empty, kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, empty + "\\Late", kMask));
  // A value that arrived after the caller's look is seen before the delete.
  faulty.onRemoveKey = nullptr;
  ASSERT_TRUE(reg.WriteString(sys::kHKCU, kKey, "Arrived", "x", kMask));
  EXPECT_FALSE(change.DeleteEmptyKey(sys::kHKCU, kKey, kMask));
  EXPECT_EQ(change.problem(), "the key is no longer empty");
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, kKey, kMask));
}

TEST_F(RegistryChangeTest, ABackupNeverGoesIntoAnExistingFile) {
  // Two repairs in one second, or the hour the clock goes back: the name is taken.
  sim.files().CreateFolder("C:\\App\\backup\\optimize_backup");
  ASSERT_TRUE(sim.files().WriteFileBytes(kFile, "earlier backup"));
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "MenuShowDelay", kMask)) << change.problem();
  EXPECT_EQ(change.backupFile(), "C:\\App\\backup\\optimize_backup\\20240305143000_2.reg");
  std::string earlier;
  ASSERT_TRUE(sim.files().ReadFileBytes(kFile, earlier));
  EXPECT_EQ(earlier, "earlier backup");
}

TEST_F(RegistryChangeTest, AFailedAppendLeavesOnlyWholeRecordsAndNoChange) {
  const auto before = Snapshot();
  RegistryChange change(sim.platform(), Path());
  ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "MenuShowDelay", kMask));
  std::string whole;
  ASSERT_TRUE(sim.files().ReadFileBytes(kFile, whole));
  sim.files().appendFailsAfter = 7;  // an odd count: half a UTF-16 unit
  EXPECT_FALSE(change.DeleteValue(sys::kHKCU, kKey, "Big", kMask));
  EXPECT_EQ(change.problem(), "the backup file could not be written");
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, kKey, "Big", kMask));
  std::string after;
  ASSERT_TRUE(sim.files().ReadFileBytes(kFile, after));
  EXPECT_EQ(after, whole);
  // The next record lands on a whole file, and the restore brings back
  // exactly what was removed.
  ASSERT_TRUE(change.DeleteKeyTree(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
  Restore();
  // The restored value comes back last among its key's values.
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(Snapshot()), sorted(before));
}

// The file is held from its first batch to the end of the run: whoever tries
// to delete or swap it between batches is refused, and every later batch
// lands in the file that has the header.
TEST_F(RegistryChangeTest, TheBackupCannotBeDeletedOrSwappedBetweenBatches) {
  const auto before = Snapshot();
  {
    RegistryChange change(sim.platform(), Path());
    ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "MenuShowDelay", kMask));
    EXPECT_EQ(sim.files().RemoveFile(kFile), sys::err::kSharingViolation);
    EXPECT_EQ(sim.files().ReplaceFileData(kFile, "planted"), sys::err::kSharingViolation);
    EXPECT_FALSE(sim.files().WriteFileBytes(kFile, "planted"));
    EXPECT_FALSE(sim.files().AppendFileBytes(kFile, "planted"));
    EXPECT_EQ(sim.files().MoveFileTo(kFile, std::string(kFile) + ".old"), sys::err::kSharingViolation);
    EXPECT_EQ(sim.files().TruncateFile(kFile, 0), sys::err::kSharingViolation);
    ASSERT_TRUE(change.DeleteValue(sys::kHKCU, kKey, "Big", kMask));
    ASSERT_TRUE(change.DeleteKeyTree(sys::kHKCU, std::string(kKey) + "\\Sub", kMask));
    // Readers share it.
    EXPECT_NE(Backup().find("\"Big\"=hex:"), std::string::npos);
  }
  const std::string text = Backup();
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
  sys::RegFileContent content;
  std::string bytes;
  ASSERT_TRUE(sim.files().ReadFileBytes(kFile, bytes));
  ASSERT_TRUE(sys::ParseRegFile(bytes, &content));
  EXPECT_TRUE(content.errors.empty());
  Restore();
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(Snapshot()), sorted(before));
  // Let go at the end of the run.
  EXPECT_EQ(sim.files().RemoveFile(kFile), 0u);
}

// A file that cannot be held is no backup: nothing changes.
TEST_F(RegistryChangeTest, ABackupThatCannotBeCreatedMeansNoChange) {
  sim.files().CreateFolder("C:\\App\\backup\\optimize_backup");
  ASSERT_TRUE(sim.files().CreateFolder(kFile));  // a folder where the file should go, and all numbered names
  for (int n = 2; n <= 100; ++n)
    ASSERT_TRUE(sim.files().CreateFolder("C:\\App\\backup\\optimize_backup\\20240305143000_" + std::to_string(n) + ".reg"));
  RegistryChange change(sim.platform(), Path());
  EXPECT_FALSE(change.DeleteValue(sys::kHKCU, kKey, "MenuShowDelay", kMask));
  EXPECT_TRUE(change.backupFailed());
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, kKey, "MenuShowDelay", kMask));
}

}  // namespace
}  // namespace vl::backup
