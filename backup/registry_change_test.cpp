// The backed-up registry change: what each change writes first, that the
// file restores exactly what was there, and that no backup means no change.
#include "backup/registry_change.h"

#include <gtest/gtest.h>

#include "sysaccess/reg_file.h"
#include "sysaccess/sim/sim_platform.h"
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
  ASSERT_TRUE(change.SetValue(sys::kHKCU, kKey, "(default)", sys::kRegSz, Sz("d"), kMask));
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
  sim.files().CreateFolder(kFile);  // a folder where the file should go
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

}  // namespace
}  // namespace vl::backup
