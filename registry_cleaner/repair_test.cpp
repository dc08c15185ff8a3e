// Removing scan problems: the removal table, the backup written before each
// change, the climb for empty keys, the guard, and restoring a backup.
#include "registry_cleaner/repair.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::registry {
namespace {

const char kBackup[] = "C:\\App\\backup\\repair_backup\\20240305143000.reg";

// Both access masks: the 64-bit one (what every 64-bit Windows uses, with
// its own delete calls) and the plain one.
class RepairTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  const uint32_t kMask = GetParam();
  RepairTest() : reg(*sim.platform().registry) {}

  void Load(const std::string& text) { ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + text)); }
  Repairer Make(bool backups = true) {
    return Repairer(sim.platform(), backups ? std::function<std::string()>([] { return std::string(kBackup); })
                                            : nullptr);
  }
  // The backup file's lines (UTF-16LE with byte-order mark).
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
  std::vector<std::string> Export(uint32_t root, const std::string& key) {
    return sys::ExportRegTree(*sim.platform().registry, root, key, sys::kMaskAll64);
  }
  TScanRegistry P(uint32_t root, const std::string& key, const std::string& value = "", uint16_t code = kInvalidPath) {
    return {root, key, value, "", code, kMask};
  }

  sys::SimPlatform sim;
  sys::Registry reg;
};

TEST_P(RepairTest, ARunValueLeavesAThreeLineBackup) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
       "\"Ghost\"=\"c:\\\\gone\\\\ghost.exe\"\r\n\"Keep\"=\"x\"\r\n");
  Repairer r = Make();
  TCleanInfo info = r.Remove(kStartup, P(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Ghost"));
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.text, "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Ghost");
  EXPECT_EQ(BackupLines(), (std::vector<std::string>{
                               "Windows Registry Editor Version 5.00",
                               "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]",
                               "\"Ghost\"=\"c:\\\\gone\\\\ghost.exe\""}));
  EXPECT_FALSE(reg.ValueExists(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Ghost", kMask));
  EXPECT_TRUE(reg.ValueExists(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Keep", kMask));
}

TEST_P(RepairTest, NoBackupFileWithBackupsOffOrForShortcutsOnly) {
  Load("[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"x\"\r\n");
  {
    Repairer r = Make(false);
    EXPECT_EQ(r.Remove(kFonts, P(sys::kHKCU, "Software\\A", "v")).status, 1);
  }
  EXPECT_FALSE(sim.files().FileExists(kBackup));
  sim.files().CreateFolder("C:\\Users\\me\\Desktop");
  sim.files().WriteFileBytes("C:\\Users\\me\\Desktop\\old.lnk", "L");
  sim.files().WriteFileBytes("C:\\Users\\me\\Desktop\\notes.txt", "keep");
  Repairer r = Make();
  TCleanInfo info = r.Remove(kShortcuts, P(sys::kHKU, "C:\\Users\\me\\Desktop\\old.lnk"));
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.text, "C:\\Users\\me\\Desktop\\old.lnk");
  EXPECT_FALSE(sim.files().FileExists("C:\\Users\\me\\Desktop\\old.lnk"));
  // Only shortcut files, whatever a record says.
  EXPECT_EQ(r.Remove(kShortcuts, P(sys::kHKU, "C:\\Users\\me\\Desktop\\notes.txt")).status, 0);
  EXPECT_TRUE(sim.files().FileExists("C:\\Users\\me\\Desktop\\notes.txt"));
  EXPECT_EQ(r.Remove(kShortcuts, P(sys::kHKU, "C:\\Users\\me\\Desktop\\missing.lnk")).status, 0);
  EXPECT_FALSE(sim.files().FileExists(kBackup));
}

TEST_P(RepairTest, AnInvalidAppIdRemovesOnlyThatValue) {
  Load("[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}]\r\n@=\"Thing\"\r\n"
       "\"AppID\"=\"{99999999-2222-3333-4444-555555555555}\"\r\n"
       "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\r\n@=\"x.dll\"\r\n");
  const std::string key = "CLSID\\{11111111-2222-3333-4444-555555555555}";
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kActiveX, P(sys::kHKCR, key, "AppID", kInvalidAppId)).status, 1);
  EXPECT_TRUE(reg.KeyExists(sys::kHKCR, key + "\\InprocServer32", kMask));
  EXPECT_FALSE(reg.ValueExists(sys::kHKCR, key, "AppID", kMask));
  // Other codes take the whole class, and its whole tree is in the backup,
  // under the hive that held it.
  EXPECT_EQ(r.Remove(kActiveX, P(sys::kHKCR, key, "", kInvalidServer)).status, 1);
  EXPECT_FALSE(reg.KeyExists(sys::kHKCR, key, kMask));
  std::vector<std::string> lines = BackupLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\" + key + "\\InprocServer32]"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "@=\"x.dll\""), lines.end());
}

TEST_P(RepairTest, AClassOfTheUserIsBackedUpAndRestoredToTheUsersHive) {
  // Registered for this user only: restoring must not make it machine-wide.
  const std::string key = "CLSID\\{22222222-2222-3333-4444-555555555555}";
  Load("[HKEY_CURRENT_USER\\Software\\Classes\\" + key + "\\InprocServer32]\r\n@=\"c:\\\\gone\\\\u.dll\"\r\n");
  const auto before = Export(sys::kHKCU, "Software\\Classes\\" + key);
  Repairer r = Make();
  TCleanInfo info = r.Remove(kActiveX, P(sys::kHKCR, key, "", kInvalidServer));
  EXPECT_EQ(info.status, 1) << info.reason;
  EXPECT_EQ(info.text, "HKCR\\" + key);
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, "Software\\Classes\\" + key, kMask));
  const std::vector<std::string> lines = BackupLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "[HKEY_CURRENT_USER\\Software\\Classes\\" + key + "]");
  ASSERT_TRUE(sim.platform().system->RunRegistryEditor(std::string("/s \"") + kBackup + "\"", 1000));
  EXPECT_EQ(Export(sys::kHKCU, "Software\\Classes\\" + key), before);
  EXPECT_FALSE(reg.KeyExists(sys::kHKLM, "SOFTWARE\\Classes\\" + key, kMask));
  // A value problem goes to the hive whose key holds the value.
  TScanRegistry unnamed = P(sys::kHKCR, key + "\\InprocServer32", "(Default)");
  unnamed.unnamedValue = true;
  EXPECT_EQ(InHoldingHive(reg, unnamed).root, sys::kHKCU);
  EXPECT_EQ(InHoldingHive(reg, P(sys::kHKCR, key + "\\InprocServer32", "Missing")).root, sys::kHKCR);
  EXPECT_EQ(InHoldingHive(reg, P(sys::kHKCR, "CLSID\\{none}")).root, sys::kHKCR);
}

TEST_P(RepairTest, TheClimbRemovesEmptyParentsButNeverTheHive) {
  Load("[HKEY_USERS\\S-1-5-21-7\\Software\\A\\B]\r\n"
       "[HKEY_USERS\\S-1-5-21-7\\Software\\Other]\r\n\"x\"=\"1\"\r\n"
       "[HKEY_USERS\\S-1-5-21-9\\Lonely]\r\n");
  Repairer r = Make();
  TCleanInfo info = r.Remove(kEmptyKeys, P(sys::kHKU, "S-1-5-21-7\\Software\\A\\B", "", kEmptyKey));
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.text, "HKU\\S-1-5-21-7\\Software\\A\\B");
  EXPECT_FALSE(reg.KeyExists(sys::kHKU, "S-1-5-21-7\\Software\\A", kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKU, "S-1-5-21-7\\Software", kMask));
  // A hive whose only key goes: the hive itself stays.
  EXPECT_EQ(r.Remove(kEmptyKeys, P(sys::kHKU, "S-1-5-21-9\\Lonely", "", kEmptyKey)).status, 1);
  EXPECT_TRUE(reg.KeyExists(sys::kHKU, "S-1-5-21-9", kMask));
  // An empty hive named as the problem itself is refused.
  EXPECT_EQ(r.Remove(kEmptyKeys, P(sys::kHKU, "S-1-5-21-9", "", kEmptyKey)).status, 0);
  EXPECT_TRUE(reg.KeyExists(sys::kHKU, "S-1-5-21-9", kMask));
}

TEST_P(RepairTest, AKeyThatFilledUpSinceTheScanStaysAndCountsAsRepaired) {
  Load("[HKEY_USERS\\S-1-5-21-7\\Software\\A]\r\n\"new\"=\"1\"\r\n");
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kEmptyKeys, P(sys::kHKU, "S-1-5-21-7\\Software\\A", "", kEmptyKey)).status, 1);
  EXPECT_TRUE(reg.ValueExists(sys::kHKU, "S-1-5-21-7\\Software\\A", "new", kMask));
  EXPECT_FALSE(sim.files().FileExists(kBackup));
}

TEST_P(RepairTest, ServiceAndUninstallProblemsTakeTheWholeKey) {
  Load("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\ghost]\r\n\"ImagePath\"=\"c:\\\\gone.sys\"\r\n"
       "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\ghost\\Parameters]\r\n\"p\"=dword:00000001\r\n"
       "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\real]\r\n");
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kServices, P(sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\ghost", "ImagePath",
                                  kInvalidImagePath))
                .status,
            1);
  EXPECT_FALSE(reg.KeyExists(sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\ghost", kMask));
  EXPECT_TRUE(reg.KeyExists(sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\real", kMask));
}

TEST_P(RepairTest, ContainerKeysRootsAndHivesAreNeverDeleted) {
  EXPECT_TRUE(IsProtectedKey(sys::kHKLM, ""));
  EXPECT_TRUE(IsProtectedKey(sys::kHKU, "S-1-5-21-7"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKCR, "CLSID"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKCR, "clsid\\"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKLM, "SOFTWARE\\Classes\\TypeLib"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKU, "S-1-5-21-7\\Software\\Classes\\AppID"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));  // an ancestor
  EXPECT_TRUE(IsProtectedKey(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services"));
  EXPECT_TRUE(IsProtectedKey(sys::kHKCU, "AppEvents\\Schemes\\Apps"));
  EXPECT_FALSE(IsProtectedKey(sys::kHKCR, "CLSID\\{x}"));
  EXPECT_FALSE(IsProtectedKey(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game"));
  EXPECT_FALSE(IsProtectedKey(sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\ghost"));
  Load("[HKEY_CLASSES_ROOT\\TypeLib\\{a}]\r\n");
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kActiveX, P(sys::kHKCR, "TypeLib", "", kInvalidTypeLib)).status, 0);
  EXPECT_TRUE(reg.KeyExists(sys::kHKCR, "TypeLib\\{a}", kMask));
}

// Every container the checks walk, as each view and hive shows it, next to a
// near miss that a problem record may still delete.
TEST(RepairGuard, ContainersAreProtectedInEveryViewAndHive) {
  struct Row {
    uint32_t root;
    const char* container;
    const char* nearMiss;
  };
  const Row rows[] = {
      {sys::kHKLM, "SOFTWARE\\Wow6432Node\\Classes\\CLSID", "SOFTWARE\\Wow6432Node\\Classes\\CLSID\\{x}"},
      {sys::kHKCR, "Wow6432Node\\CLSID", "Wow6432Node\\CLSID\\{x}"},
      {sys::kHKCR, "Wow6432Node\\TypeLib", "Wow6432Node\\TypeLibs"},
      {sys::kHKU, "S-1-5-21-7_Classes\\CLSID", "S-1-5-21-7_Classes\\CLSID\\{x}"},
      {sys::kHKU, "S-1-5-21-7_Classes\\Interface", "S-1-5-21-7_Classes\\.txt"},
      {sys::kHKU, "S-1-5-21-7_Classes\\Wow6432Node\\AppID", "S-1-5-21-7_Classes\\Wow6432Node\\AppID\\a.exe"},
      {sys::kHKLM, "SYSTEM\\ControlSet001\\Services", "SYSTEM\\ControlSet001\\Services\\ghost"},
      {sys::kHKLM, "SYSTEM\\ControlSet003\\Services", "SYSTEM\\ControlSet003\\Services\\ghost"},
      {sys::kHKLM, "SYSTEM\\ControlSet117\\Services", "SYSTEM\\ControlSetX\\Services"},
      {sys::kHKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
       "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\x"},
      {sys::kHKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
       "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
      {sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\Html Help", "SOFTWARE\\Microsoft\\Windows\\Html Help\\x"},
      {sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.zzz"},
      {sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRUs"},
      {sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Games"},
      {sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Favorites"},
      {sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache",
       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Game"},
      {sys::kHKU, ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       ".DEFAULT\\Software\\Vendor"},
      {sys::kHKU, "S-1-5-21-7\\Software\\Wow6432Node", "S-1-5-21-7\\Software\\Wow6432Node\\Vendor"},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(IsProtectedKey(r.root, r.container)) << r.container;
    EXPECT_FALSE(IsProtectedKey(r.root, r.nearMiss)) << r.nearMiss;
  }
}

TEST_P(RepairTest, AValueNamedDefaultIsNotTheUnnamedValue) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
       "@=\"c:\\\\keep\\\\me.exe\"\r\n\"(Default)\"=\"c:\\\\gone\\\\ghost.exe\"\r\n");
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kStartup, P(sys::kHKCU, run, "(Default)")).status, 1);
  EXPECT_EQ(reg.ReadStringExact(sys::kHKCU, run, "", kMask), "c:\\keep\\me.exe");
  EXPECT_FALSE(reg.ValueExists(sys::kHKCU, run, "(Default)", kMask) &&
               reg.ReadStringExact(sys::kHKCU, run, "(Default)", kMask) == "c:\\gone\\ghost.exe");
  // The unnamed value itself goes by its flag.
  TScanRegistry unnamed = P(sys::kHKCU, run, "(Default)");
  unnamed.unnamedValue = true;
  EXPECT_EQ(r.Remove(kStartup, unnamed).status, 1);
  EXPECT_EQ(reg.ReadStringExact(sys::kHKCU, run, "", kMask), "");
}

TEST_P(RepairTest, LargeValuesAreBackedUpWhole) {
  std::string big(3000, 'a');
  Load("[HKEY_CURRENT_USER\\Software\\Fonts]\r\n\"Big\"=\"" + big + "\"\r\n");
  Repairer r = Make();
  EXPECT_EQ(r.Remove(kFonts, P(sys::kHKCU, "Software\\Fonts", "Big")).status, 1);
  ASSERT_TRUE(sim.platform().system->RunRegistryEditor(std::string("/s \"") + kBackup + "\"", 1000));
  sys::RegData d;
  sys::ScopedKey k(*sim.platform().registry, sys::kHKCU, "Software\\Fonts", kMask);
  ASSERT_EQ(sim.platform().registry->QueryValue(k.get(), "Big", 0, &d), sys::kErrSuccess);
  EXPECT_EQ(d.size, (3000u + 1) * 2);
}

// An export with the values of each key sorted: a restore re-creates values
// in file order, and value order carries no meaning.
std::vector<std::string> Normalized(std::vector<std::string> lines) {
  auto blockStart = lines.begin();
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->empty() || it->front() == '[') {
      std::sort(blockStart, it);
      blockStart = it + 1;
    }
  }
  std::sort(blockStart, lines.end());
  return lines;
}

// However many removals a repair got through before it was cut short, its
// backup restores exactly what was removed.
TEST_P(RepairTest, ABackupCutShortAnywhereRestoresWhatWasRemoved) {
  const std::string fixture =
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"Ghost\"=\"c:\\\\gone\\\\ghost.exe\"\r\n\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone]\r\n"
      "\"DisplayName\"=\"Gone \\\"app\\\" \xC3\xA9t\xC3\xA9\"\r\n\"Size\"=dword:00001000\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone\\Sub]\r\n"
      "\"Bin\"=hex:00,01,02,ff\r\n\"Exp\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
      "[HKEY_USERS\\S-1-5-21-7\\Software\\Empty\\Leaf]\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c}]\r\n\"AppID\"=\"{bad}\"\r\n@=\"cls\"\r\n";
  const std::vector<std::pair<int, TScanRegistry>> problems = {
      {kStartup, P(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Ghost")},
      {kStartup, P(sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Multi")},
      {kUninstall, P(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone")},
      {kEmptyKeys, P(sys::kHKU, "S-1-5-21-7\\Software\\Empty\\Leaf", "", kEmptyKey)},
      {kActiveX, P(sys::kHKCR, "CLSID\\{c}", "AppID", kInvalidAppId)},
  };
  for (size_t done = 0; done <= problems.size(); ++done) {
    sys::SimPlatform fresh;
    ASSERT_TRUE(fresh.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + fixture));
    auto exportAll = [&] {
      std::vector<std::string> all;
      for (uint32_t root : {sys::kHKCU, sys::kHKLM, sys::kHKU}) {
        auto part = sys::ExportRegTree(*fresh.platform().registry, root, "", sys::kMaskAll64);
        all.insert(all.end(), part.begin(), part.end());
      }
      return all;
    };
    const std::vector<std::string> before = exportAll();
    {
      Repairer r(fresh.platform(), [] { return std::string(kBackup); });
      for (size_t i = 0; i < done; ++i) ASSERT_EQ(r.Remove(problems[i].first, problems[i].second).status, 1) << i;
    }  // cut short here
    if (done > 0) {
      ASSERT_TRUE(fresh.platform().system->RunRegistryEditor(std::string("/s \"") + kBackup + "\"", 1000));
    }
    EXPECT_EQ(Normalized(exportAll()), Normalized(before)) << "after " << done << " removals";
  }
}

INSTANTIATE_TEST_SUITE_P(BothMasks, RepairTest, ::testing::Values(sys::kMaskAll, sys::kMaskAll64),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                           return info.param == sys::kMaskAll64 ? std::string("Mask64") : std::string("Mask32");
                         });

}  // namespace
}  // namespace vl::registry
