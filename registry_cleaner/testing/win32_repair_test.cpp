// Repairs against the real registry and registry editor (under Wine): what a
// backup names is where a restore writes, and names planted to turn a
// backup into an attack are refused before anything is written or removed.
#include <gmock/gmock.h>

#include "registry_cleaner/repair.h"
#include "registry_cleaner/testing/win32_recording_context.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/text.h"

namespace vl::registry::testing {
namespace {

class Win32RepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ctx.platform().system->EnvironmentVariable("TEMP") + "\\VlTestRepair";
    sys::DeleteFolderTree(*ctx.platform().files, folder, 1);
    ASSERT_TRUE(ctx.platform().files->CreateFolder(folder));
    backup = folder + "\\20240305143000.reg";
  }
  void TearDown() override { sys::DeleteFolderTree(*ctx.platform().files, folder, 1); }
  Repairer Make() {
    return Repairer(ctx.platform(), [this] { return backup; });
  }
  void Restore() {
    ASSERT_TRUE(ctx.platform().system->RunRegistryEditor("/s \"" + backup + "\"", 60000));
  }

  Win32RecordingContext ctx;
  std::string folder, backup;
};

TEST_F(Win32RepairTest, AUsersClassFoundUnderClassesRootIsRestoredToTheUser) {
  const std::string clsid = "CLSID\\{7E570000-0000-4000-8000-0000000000C1}";
  ctx.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Classes\\" + clsid +
              "\\InprocServer32]\r\n@=\"C:\\\\VlTestGone\\\\user.dll\"\r\n");
  const uint32_t mask = ctx.access();
  // Windows shows the user's class under HKEY_CLASSES_ROOT, where the scan
  // finds it (Wine 8 shows only the machine's classes there).
  const TScanRegistry problem{sys::kHKCR, clsid, "", "", kInvalidServer, mask};
  Repairer r = Make();
  TCleanInfo info = r.Remove(kActiveX, problem);
  ASSERT_EQ(info.status, 1) << info.reason;
  EXPECT_FALSE(ctx.registry().KeyExists(sys::kHKCU, "Software\\Classes\\" + clsid, mask));
  Restore();
  EXPECT_TRUE(ctx.registry().KeyExists(sys::kHKCU, "Software\\Classes\\" + clsid + "\\InprocServer32", mask));
  EXPECT_FALSE(ctx.registry().KeyExists(sys::kHKLM, "SOFTWARE\\Classes\\" + clsid, mask));
  ctx.registry().DeleteKey(sys::kHKCU, "Software\\Classes\\" + clsid, mask);
}

TEST_F(Win32RepairTest, AKeyNamePlantedWithALineBreakIsNeitherBackedUpNorRemoved) {
  // Windows allows line breaks in key names; the planted path nests a key
  // line of the attacker's choice below an uninstall entry.
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const std::string top = uninstall + "\\VlTestGone\r\n[HKEY_LOCAL_MACHINE";
  const std::string planted = top + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const uint32_t mask = ctx.access();
  sys::RegistryApi& api = *ctx.platform().registry;
  sys::RegKey k;
  ASSERT_EQ(api.CreateKey(sys::kHKCU, planted, mask, &k), sys::kErrSuccess);
  const std::string payload = sys::Utf8ToUtf16Bytes("C:\\VlTestPayload.exe") + std::string(2, '\0');
  api.SetValue(k, "VlTestPayload", sys::kRegSz, payload);
  api.CloseKey(k);
  Repairer r = Make();
  TCleanInfo info = r.Remove(kUninstall, {sys::kHKCU, top, "", "", kInvalidPath, mask});
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.reason.find("cannot hold"), std::string::npos) << info.reason;
  EXPECT_TRUE(ctx.registry().KeyExists(sys::kHKCU, planted, mask));
  EXPECT_FALSE(ctx.platform().files->FileExists(backup));
  EXPECT_FALSE(ctx.registry().ValueExists(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                          "VlTestPayload", mask));
  ctx.registry().DeleteKey(sys::kHKCU, uninstall + "\\VlTestGone\r\n[HKEY_LOCAL_MACHINE", mask);
}

TEST_F(Win32RepairTest, AValueNamePlantedWithALineBreakIsNeitherBackedUpNorRemoved) {
  // Restoring a backup of this name would set the Run key's unnamed value.
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string name = "VlTestX\r\n@=hex(1):63,00,61,00,6c,00,63,00,00,00\r\nz";
  const uint32_t mask = ctx.access();
  sys::RegistryApi& api = *ctx.platform().registry;
  sys::RegKey k;
  ASSERT_EQ(api.CreateKey(sys::kHKCU, run, mask, &k), sys::kErrSuccess);
  ASSERT_EQ(api.SetValue(k, name, sys::kRegSz, sys::Utf8ToUtf16Bytes("C:\\VlTestGone\\x.exe") + std::string(2, '\0')),
            sys::kErrSuccess);
  api.CloseKey(k);
  Repairer r = Make();
  TCleanInfo info = r.Remove(kStartup, {sys::kHKCU, run, name, "", kInvalidPath, mask});
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.reason.find("cannot hold"), std::string::npos) << info.reason;
  EXPECT_TRUE(ctx.registry().ValueExistsExact(sys::kHKCU, run, name, mask));
  EXPECT_FALSE(ctx.platform().files->FileExists(backup));
  ASSERT_EQ(ctx.registry().RemoveValue(sys::kHKCU, run, name, mask), sys::kErrSuccess);
}

}  // namespace
}  // namespace vl::registry::testing
