// Both registry views under Wine, in both builds: broken entries written
// through the 32-bit view (KEY_WOW64_32KEY, as a 32-bit program writes them)
// are reported at their Wow6432Node paths, repaired in that view only, and
// put back there by the registry editor's import of the backup.
#include <gmock/gmock.h>

#include "registry_cleaner/repair.h"
#include "registry_cleaner/testing/win32_recording_context.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/text.h"

namespace vl::registry::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

constexpr uint32_t kView32 = sys::kMaskAll | sys::kWow64Key32;
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRun32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VlTest32Old";
const std::string kDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const std::string kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kClass = "CLSID\\{7E570032-0000-4000-8000-000000000001}";

class Win32ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ctx.bitness().windows64) << "expected 64-bit Windows";
    folder = ctx.platform().system->EnvironmentVariable("TEMP") + "\\VlTestViews";
    sys::DeleteFolderTree(*ctx.platform().files, folder, 1);
    ASSERT_TRUE(ctx.platform().files->CreateFolder(folder));
    backup = folder + "\\20240305143000.reg";
  }
  void TearDown() override {
    sys::Registry& reg = ctx.registry();
    for (const std::string& name : {"VlTest32Gone", "VlTestSame"}) {
      reg.RemoveValue(sys::kHKLM, kRun, name, kView32);
      reg.RemoveValue(sys::kHKLM, kRun, name, sys::kMaskAll64);
    }
    reg.RemoveValue(sys::kHKLM, kDlls, "C:\\VlTest32\\shared.dll", kView32);
    reg.RemoveValue(sys::kHKLM, kHelpKey, "VlTest32.hlp", kView32);
    // Removed at their Wow6432Node paths, as the repair does.
    reg.DeleteKeyTree(sys::kHKLM, "SOFTWARE\\Wow6432Node\\" + kUninstallKey.substr(9), sys::kMaskAll64);
    reg.DeleteKeyTree(sys::kHKCR, "Wow6432Node\\" + kClass, sys::kMaskAll64);
    reg.DeleteKeyTree(sys::kHKLM, "SOFTWARE\\Classes\\Wow6432Node\\" + kClass, sys::kMaskAll64);
    sys::DeleteFolderTree(*ctx.platform().files, folder, 1);
  }
  // Written as a 32-bit program writes, through the 32-bit view.
  void Plant(sys::RegRoot root, const std::string& key, const std::string& name, const std::string& text,
             uint32_t mask = kView32) {
    sys::RegistryApi& api = ctx.registry().api();
    sys::RegKey k;
    ASSERT_EQ(api.CreateKey(root, key, mask, &k), sys::kErrSuccess) << key;
    ASSERT_EQ(api.SetValue(k, name, sys::kRegSz, sys::Utf8ToUtf16Bytes(text) + std::string(2, '\0')),
              sys::kErrSuccess);
    api.CloseKey(k);
  }
  // "ROOT|key|value|data|code" of the problems at planted places.
  std::vector<std::string> Run(int category) {
    std::vector<std::string> lines;
    ctx.problems.clear();
    for (const TScanRegistry& p : ctx.Run(category)) {
      if (!HasTestMarker(p.keyPath) && !HasTestMarker(p.valueName)) continue;
      EXPECT_EQ(p.access, ctx.access());
      lines.push_back(sys::RootShortName(p.root) + "|" + p.keyPath + "|" + p.valueName + "|" + p.data + "|" +
                      std::to_string(p.code));
    }
    return lines;
  }
  TScanRegistry Find(int category, const std::string& marker) {
    ctx.problems.clear();
    for (const TScanRegistry& p : ctx.Run(category))
      if ((p.keyPath + "|" + p.valueName).find(marker) != std::string::npos) return p;
    ADD_FAILURE() << "no problem with " << marker;
    return {};
  }
  std::vector<std::string> BackupLines() {
    std::string bytes;
    if (!ctx.platform().files->ReadFileBytes(backup, bytes)) return {};
    std::string text = sys::DecodeRegFileText(bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find("\r\n", start)) != std::string::npos; start = nl + 2)
      lines.push_back(text.substr(start, nl - start));
    return lines;
  }

  Win32RecordingContext ctx;
  std::string folder, backup;
};

TEST_F(Win32ViewsTest, EntriesOfThe32BitViewAreReportedByEitherBuild) {
  Plant(sys::kHKLM, kRun, "VlTest32Gone", "C:\\VlTest32\\gone.exe");
  Plant(sys::kHKLM, kUninstallKey, "UninstallString", "C:\\VlTest32\\unins000.exe");
  Plant(sys::kHKLM, kDlls, "C:\\VlTest32\\shared.dll", "1");
  Plant(sys::kHKLM, kHelpKey, "VlTest32.hlp", "C:\\VlTest32");
  Plant(sys::kHKCR, kClass + "\\InprocServer32", "", "C:\\VlTest32\\server.dll");
  EXPECT_THAT(Run(kStartup), ElementsAre("HKLM|" + kRun32 + "|VlTest32Gone|C:\\VlTest32\\gone.exe|201"));
  EXPECT_THAT(Run(kUninstall),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VlTest32Old|"
                          "UninstallString|C:\\VlTest32\\unins000.exe|201"));
  EXPECT_THAT(Run(kSharedDlls),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDlls|"
                          "C:\\VlTest32\\shared.dll|C:\\VlTest32\\shared.dll|201"));
  EXPECT_THAT(Run(kHelp),
              ElementsAre("HKLM|SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\Help|VlTest32.hlp|C:\\VlTest32|201"));
  EXPECT_THAT(Run(kActiveX),
              ElementsAre("HKCR|Wow6432Node\\" + kClass + "\\InprocServer32||C:\\VlTest32\\server.dll|102"));
}

TEST_F(Win32ViewsTest, ARepairActsInThe32BitViewAndTheRestorePutsItBackThere) {
  ctx.AddFile("C:\\Program Files\\VlTestKept\\kept.exe");
  Plant(sys::kHKLM, kRun, "VlTestSame", "C:\\Program Files\\VlTestKept\\kept.exe", sys::kMaskAll64);
  Plant(sys::kHKLM, kRun, "VlTestSame", "C:\\VlTest32\\same.exe");
  Plant(sys::kHKCR, kClass + "\\InprocServer32", "", "C:\\VlTest32\\server.dll");
  const TScanRegistry run = Find(kStartup, "VlTestSame");
  EXPECT_EQ(run.keyPath, kRun32);
  const TScanRegistry cls = Find(kActiveX, "7E570032");
  Repairer r(ctx.platform(), [this] { return backup; });
  ASSERT_EQ(r.Remove(kStartup, run).status, 1);
  TCleanInfo info = r.Remove(kActiveX, cls);
  ASSERT_EQ(info.status, 1) << info.reason;
  sys::Registry& reg = ctx.registry();
  EXPECT_FALSE(reg.ValueExistsExact(sys::kHKLM, kRun, "VlTestSame", kView32));
  EXPECT_FALSE(reg.KeyExists(sys::kHKCR, kClass + "\\InprocServer32", kView32));
  EXPECT_EQ(reg.ReadStringExact(sys::kHKLM, kRun, "VlTestSame", sys::kMaskAll64),
            "C:\\Program Files\\VlTestKept\\kept.exe");
  const std::vector<std::string> lines = BackupLines();
  EXPECT_THAT(lines, Contains("[HKEY_LOCAL_MACHINE\\" + kRun32 + "]"));
  ASSERT_TRUE(ctx.platform().system->RunRegistryEditor("/s \"" + backup + "\"", 60000));
  EXPECT_EQ(reg.ReadStringExact(sys::kHKLM, kRun, "VlTestSame", kView32), "C:\\VlTest32\\same.exe");
  EXPECT_EQ(reg.ReadStringExact(sys::kHKCR, kClass + "\\InprocServer32", "", kView32), "C:\\VlTest32\\server.dll");
  EXPECT_EQ(reg.ReadStringExact(sys::kHKLM, kRun, "VlTestSame", sys::kMaskAll64),
            "C:\\Program Files\\VlTestKept\\kept.exe");
  EXPECT_FALSE(reg.KeyExists(sys::kHKCR, kClass, sys::kMaskAll64));
}

}  // namespace
}  // namespace vl::registry::testing
