// Both registry views on 64-bit Windows: what 32-bit programs wrote into
// their own view is checked by either build, named by its Wow6432Node path,
// repaired there and restored there; shared keys are reported once.
#include <gmock/gmock.h>

#include <algorithm>

#include "registry_cleaner/check_refs_testing.h"
#include "registry_cleaner/repair.h"
#include "sysaccess/reg_file.h"

namespace vl::registry::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kBackup[] = "C:\\App\\backup\\repair_backup\\20240305143000.reg";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRun32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kClass = "CLSID\\{7E570032-0000-4000-8000-000000000001}";

// true: the i686 build (a WOW64 process); false: the x86_64 build.
class Wow64ViewsTest : public RefsCheckTest, public ::testing::WithParamInterface<bool> {
 protected:
  Wow64ViewsTest() {
    if (GetParam())
      sim.SetWow64(true);
    else
      sim.Set64BitProcess();
  }
  // Written as a 32-bit program writes: through the 32-bit view.
  void Plant32(sys::RegRoot root, const std::string& key, const std::string& name, const std::string& text) {
    sys::RegistryApi& api = *sim.platform().registry;
    sys::RegKey k;
    ASSERT_EQ(api.CreateKey(root, key, sys::kMaskAll | sys::kWow64Key32, &k), sys::kErrSuccess) << key;
    if (name != "-") api.SetValue(k, name, sys::kRegSz, sys::Utf8ToUtf16Bytes(text) + std::string(2, '\0'));
    api.CloseKey(k);
  }
  // And as a 64-bit program writes.
  void Plant64(sys::RegRoot root, const std::string& key, const std::string& name, const std::string& text) {
    sys::RegistryApi& api = *sim.platform().registry;
    sys::RegKey k;
    ASSERT_EQ(api.CreateKey(root, key, sys::kMaskAll64, &k), sys::kErrSuccess) << key;
    api.SetValue(k, name, sys::kRegSz, sys::Utf8ToUtf16Bytes(text) + std::string(2, '\0'));
    api.CloseKey(k);
  }
  std::string Read32(sys::RegRoot root, const std::string& key, const std::string& name) {
    return reg.ReadStringExact(root, key, name, sys::kMaskAll | sys::kWow64Key32);
  }
  std::vector<std::string> BackupLines() {
    std::string bytes;
    if (!sim.files().ReadFileBytes(kBackup, bytes)) return {};
    std::string text = sys::DecodeRegFileText(bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find("\r\n", start)) != std::string::npos; start = nl + 2)
      lines.push_back(text.substr(start, nl - start));
    return lines;
  }
  TScanRegistry Only(int category) {
    const std::vector<TScanRegistry>& found = ctx.Run(category);
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? TScanRegistry{} : found.front();
  }

  sys::Registry reg{*sim.platform().registry};
};

TEST_P(Wow64ViewsTest, RunValuesOfBothMachineViewsAreChecked) {
  Plant64(sys::kHKLM, kRun, "Gone64", "C:\\Gone64\\gone.exe");
  Plant32(sys::kHKLM, kRun, "Gone32", "C:\\Gone32\\gone.exe");
  Plant32(sys::kHKLM, kRun, "Good32", "C:\\Program Files (x86)\\Good\\good.exe");
  File("C:\\Program Files (x86)\\Good\\good.exe");
  EXPECT_THAT(Run(kStartup), ElementsAre("HKLM|" + kRun + "|Gone64|C:\\Gone64\\gone.exe|201|" + Mask(),
                                         "HKLM|" + kRun32 + "|Gone32|C:\\Gone32\\gone.exe|201|" + Mask()));
}

TEST_P(Wow64ViewsTest, UninstallSharedDllsAndHelpOfThe32BitViewAreChecked) {
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VlOld32";
  Plant32(sys::kHKLM, uninstall, "UninstallString", "C:\\Old32\\unins000.exe");
  Plant32(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", "C:\\Old32\\shared.dll", "1");
  Plant32(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\Help", "old32.hlp", "C:\\Old32");
  EXPECT_THAT(Run(kUninstall),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VlOld32|"
                          "UninstallString|C:\\Old32\\unins000.exe|201|" + Mask()));
  EXPECT_THAT(Run(kSharedDlls),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDlls|"
                          "C:\\Old32\\shared.dll|C:\\Old32\\shared.dll|201|" + Mask()));
  EXPECT_THAT(Run(kHelp), ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\Help|old32.hlp|C:\\Old32|201|" +
                                      Mask()));
}

TEST_P(Wow64ViewsTest, AnArpCacheEntryListedByEitherViewIsInUse) {
  Plant32(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Listed32", "DisplayName", "x");
  Plant64(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Listed32", "x", "");
  Plant32(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Orphan32", "x", "");
  EXPECT_THAT(Run(kUninstall),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App "
                          "Management\\ARPCache\\Orphan32|||101|" + Mask()));
}

TEST_P(Wow64ViewsTest, ClassesOfThe32BitViewAreCheckedAgainstSharedTypeLibraries) {
  Plant32(sys::kHKCR, kClass + "\\InprocServer32", "", "C:\\Old32\\server.dll");
  Plant32(sys::kHKCR, kClass + "\\TypeLib", "", "{7e57ffff-0000-4000-8000-000000000001}");
  Plant32(sys::kHKCR, "Interface\\{7E57AAAA-0000-4000-8000-000000000001}\\TypeLib", "",
          "{7e57ffff-0000-4000-8000-000000000001}");
  const std::string c32 = "Wow6432Node\\" + kClass;
  EXPECT_THAT(Run(kActiveX),
              ElementsAre("HKCR|" + c32 + "\\InprocServer32||C:\\Old32\\server.dll|102|" + Mask(),
                          "HKCR|" + c32 + "\\TypeLib||{7e57ffff-0000-4000-8000-000000000001}|103|" + Mask(),
                          "HKCR|Wow6432Node\\Interface\\{7E57AAAA-0000-4000-8000-000000000001}||"
                          "{7e57ffff-0000-4000-8000-000000000001}|103|" + Mask(),
                          "HKLM|SOFTWARE\\Classes\\Wow6432Node\\Interface\\{7E57AAAA-0000-4000-8000-000000000001}||"
                          "|103|" + Mask()));
}

TEST_P(Wow64ViewsTest, SharedKeysAreReportedOnce) {
  Plant32(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "UserGone", "C:\\Gone\\user.exe");
  Plant32(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe", "", "C:\\Gone\\gone.exe");
  Plant32(sys::kHKCR, ".vlshared", "", "");
  EXPECT_THAT(Run(kStartup), ElementsAre("HKCU|" + kRun + "|UserGone|"
                                         "C:\\Gone\\user.exe|201|" + Mask()));
  EXPECT_THAT(Run(kAppPaths), ElementsAre("HKLM|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe||"
                                          "C:\\Gone\\gone.exe|201|" + Mask()));
  EXPECT_THAT(Run(kFileExtensions), ElementsAre("HKCR|.vlshared|||106|" + Mask()));
}

TEST_P(Wow64ViewsTest, ARepairActsInThe32BitViewAndTheBackupRestoresThere) {
  Plant64(sys::kHKLM, kRun, "Same", "C:\\Program Files\\Kept64\\kept.exe");
  File("C:\\Program Files\\Kept64\\kept.exe");
  Plant32(sys::kHKLM, kRun, "Same", "C:\\Gone32\\same.exe");
  Plant32(sys::kHKCR, kClass + "\\InprocServer32", "", "C:\\Old32\\server.dll");
  const TScanRegistry run = Only(kStartup);
  ctx.problems.clear();
  const TScanRegistry cls = Only(kActiveX);
  Repairer r(sim.platform(), [] { return std::string(kBackup); });
  ASSERT_EQ(r.Remove(kStartup, run).status, 1);
  ASSERT_EQ(r.Remove(kActiveX, cls).status, 1);
  EXPECT_FALSE(reg.ValueExistsExact(sys::kHKLM, kRun, "Same", sys::kMaskAll | sys::kWow64Key32));
  EXPECT_FALSE(reg.KeyExists(sys::kHKCR, kClass + "\\InprocServer32", sys::kMaskAll | sys::kWow64Key32));
  EXPECT_EQ(reg.ReadStringExact(sys::kHKLM, kRun, "Same", sys::kMaskAll64), "C:\\Program Files\\Kept64\\kept.exe");
  const std::vector<std::string> lines = BackupLines();
  EXPECT_THAT(lines, Contains("[HKEY_LOCAL_MACHINE\\" + kRun32 + "]"));
  EXPECT_THAT(lines, Contains("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\" + kClass + "\\InprocServer32]"));
  // The 64-bit registry editor imports the file into the 32-bit view again.
  ASSERT_TRUE(sim.platform().system->RunRegistryEditor(std::string("/s \"") + kBackup + "\"", 1000));
  EXPECT_EQ(Read32(sys::kHKLM, kRun, "Same"), "C:\\Gone32\\same.exe");
  EXPECT_EQ(Read32(sys::kHKCR, kClass + "\\InprocServer32", ""), "C:\\Old32\\server.dll");
  EXPECT_EQ(reg.ReadStringExact(sys::kHKLM, kRun, "Same", sys::kMaskAll64), "C:\\Program Files\\Kept64\\kept.exe");
  EXPECT_FALSE(reg.KeyExists(sys::kHKCR, kClass, sys::kMaskAll64));
}

INSTANTIATE_TEST_SUITE_P(Builds, Wow64ViewsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Wow64" : "Native64"; });

// 32-bit Windows has one view: a key named Wow6432Node is nobody's view.
TEST_F(RefsCheckTest, On32BitWindowsOnlyTheOneViewIsChecked) {
  Reg("[HKEY_LOCAL_MACHINE\\" + kRun32 + "]\r\n\"Gone\"=\"C:\\\\Gone\\\\gone.exe\"\r\n");
  EXPECT_THAT(Run(kStartup), IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
