// The profile runs on the simulated registry: every value of every table
// with its type and data, and a backup that undoes the whole run, also one
// cut short after any number of changes.
#include "optimizer/tweak_run.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "optimizer/testing/optimizer_testing.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/testing/faulty_registry.h"

namespace vl::optimizer {
namespace {

using testing::KeyValues;
using testing::Snapshot;
using testing::Value;

const char kFolder[] = "C:\\App\\backup\\optimize_backup\\";
const char kFile[] = "C:\\App\\backup\\optimize_backup\\20240305143000.reg";

// Every key the four profiles touch, spelled once (Tcpip and TCPIP are one key).
const char* const kKeys[] = {
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\ServiceProvider",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters",
    "HKCU\\Control Panel\\Desktop",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\CrashControl",
    "HKCR\\CLSID\\{00021400-0000-0000-C000-000000000046}",
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "HKCU\\Control Panel\\Desktop\\WindowMetrics",
    "HKLM\\System\\CurrentControlSet\\Control\\Update",
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "HKLM\\System\\CurrentControlSet\\Control\\FileSystem\\CDFS",
    "HKCU\\SOFTWARE\\Microsoft\\MediaPlayer\\Player\\Settings",
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
    "HKCU\\SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\ERSvc",
    "HKLM\\SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction",
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\FileSystem",
};
const char kNameSpace[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
    "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";

std::string LongKey(const std::string& shortKey) {
  const std::string root = shortKey.substr(0, 4);
  const std::string rest = shortKey.substr(4);
  if (root == "HKCU") return "HKEY_CURRENT_USER" + rest;
  if (root == "HKLM") return "HKEY_LOCAL_MACHINE" + rest;
  return "HKEY_CLASSES_ROOT" + rest;
}

class TweakRunTest : public ::testing::Test {
 protected:
  TweakRunTest() { MakeKeys(sim); }
  static void MakeKeys(sys::SimPlatform& s, const std::string& extra = {}) {
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const char* k : kKeys) reg += "[" + LongKey(k) + "]\r\n\r\n";
    ASSERT_TRUE(s.LoadReg(reg + extra));
  }
  TweakOutcome Run(int job, int profile, uint32_t options, bool backup = true) {
    return ApplyTweaks(sim.platform(), ProfileTweaks(job, profile, options), sys::kMaskAll,
                       backup ? std::function<std::string()>([] { return std::string(kFile); }) : nullptr);
  }
  // Every value below the touched keys.
  std::vector<std::string> Written() {
    std::vector<std::string> all;
    for (const char* k : kKeys) {
      sys::RegRoot root = 0;
      ASSERT_TRUE_OR(sys::ParseRootName(std::string(k).substr(0, 4), &root));
      for (const std::string& v : KeyValues(api(), root, std::string(k).substr(5))) all.push_back(v);
    }
    std::sort(all.begin(), all.end());
    return all;
  }
  static bool ASSERT_TRUE_OR(bool ok) { return ok; }
  void Restore(sys::SimPlatform& s, const std::string& file = kFile) {
    ASSERT_TRUE(s.platform().system->RunRegistryEditor("/s \"" + file + "\"", 1000));
  }
  std::string BackupText() {
    std::string bytes;
    sim.files().ReadFileBytes(kFile, bytes);
    return sys::DecodeRegFileText(bytes);
  }
  sys::RegistryApi& api() { return *sim.platform().registry; }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  sys::SimPlatform sim;
};

const std::string kTcp = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\";
const std::string kDesk = "HKCU\\Control Panel\\Desktop\\";
const std::string kAfd = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters\\";

std::vector<std::string> NetworkValues(const std::string& mtu, const std::string& window, const std::string& ttl) {
  const std::string inet = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
  const std::string sp = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\ServiceProvider\\";
  const std::string dns = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\";
  return {inet + "MaxConnectionsPer1_0Server=dword:5",
          inet + "MaxConnectionsPerServer=dword:5",
          kTcp + "DefaultTTL=dword:" + ttl,
          kTcp + "DisableTaskOffload=dword:0",
          kTcp + "TcpTimedWaitDelay=dword:30",
          kTcp + "Interfaces\\MTU=dword:" + mtu,
          sp + "LocalPriority=dword:5",
          sp + "HostsPriority=dword:6",
          sp + "DnsPriority=dword:7",
          sp + "NetbtPriority=dword:8",
          "HKLM\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters\\SizReqBuf=dword:16384",
          dns + "MaxNegativeCacheTtl=dword:0",
          dns + "NetFailureCacheTime=dword:0",
          dns + "NegativeSOACacheTime=dword:0",
          // option 1
          kTcp + "EnablePMTUBHDetect=dword:1",
          kTcp + "EnablePMTUDiscovery=dword:1",
          kTcp + "GlobalMaxTcpWindowSize=dword:" + window,
          kTcp + "TcpMaxDupAcks=dword:2",
          kTcp + "SackOpts=dword:1",
          kTcp + "Tcp1323Opts=dword:1",
          kTcp + "TcpWindowSize=dword:" + window,
          // option 2
          kDesk + "HungAppTimeout=sz:1000",
          // option 3
          "HKLM\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\RandomAdapter=dword:1",
          // option 4
          kTcp + "MaxUserPort=dword:65534",
          kAfd + "EnableDynamicBacklog=dword:1",
          kAfd + "MinimumDynamicBacklog=dword:20",
          kAfd + "MaximumDynamicBacklog=dword:1000",
          kAfd + "DynamicBacklogGrowthDelta=dword:10",
          kAfd + "KeepAliveInterval=dword:1"};
}

TEST_F(TweakRunTest, NetworkWritesTheBaseBlockAndEveryOptionForEachConnection) {
  struct Row {
    int profile;
    const char *mtu, *window, *ttl;
  } rows[] = {{0, "576", "65392", "32"},   {1, "576", "32767", "64"},  {2, "1500", "256960", "128"},
              {3, "1492", "255552", "64"}, {4, "1500", "186880", "128"}, {5, "1500", "8192", "64"},
              // Wireless, and any index outside the table, take the modem's row.
              {6, "576", "65392", "32"},   {7, "576", "65392", "32"},  {-1, "576", "65392", "32"}};
  for (const Row& r : rows) {
    sys::SimPlatform fresh;
    MakeKeys(fresh);
    ApplyTweaks(fresh.platform(), ProfileTweaks(kNetworkJob, r.profile, 0x1E), sys::kMaskAll, nullptr);
    std::vector<std::string> all;
    for (const char* k : kKeys) {
      sys::RegRoot root = 0;
      sys::ParseRootName(std::string(k).substr(0, 4), &root);
      for (const std::string& v : KeyValues(*fresh.platform().registry, root, std::string(k).substr(5)))
        all.push_back(v);
    }
    EXPECT_EQ(Sorted(all), Sorted(NetworkValues(r.mtu, r.window, r.ttl))) << "profile " << r.profile;
  }
}

TEST_F(TweakRunTest, NetworkWithNoOptionWritesTheFourteenValuesOfTheBaseBlock) {
  TweakOutcome out = Run(kNetworkJob, 0, 0);
  EXPECT_EQ(out.made, 14);
  auto expected = NetworkValues("576", "65392", "32");
  expected.resize(14);
  EXPECT_EQ(Written(), Sorted(expected));
}

TEST_F(TweakRunTest, NetworkOptionZeroRemovesTheNameSpaceKeyWithItsTreeAndTheBackupBringsItBack) {
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                          std::string(kNameSpace) + "\\Sub]\r\n\"x\"=dword:00000007\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                          kNameSpace + "]\r\n@=\"Printers\"\r\n"));
  const auto before = Snapshot(api());
  TweakOutcome out = Run(kNetworkJob, 0, 1);
  EXPECT_TRUE(out.refused.empty());
  sys::Registry reg(api());
  EXPECT_FALSE(reg.KeyExists(sys::kHKLM, kNameSpace, sys::kMaskAll));
  // The whole tree is in the backup, not its key line alone.
  EXPECT_NE(BackupText().find("\"x\"=dword:00000007"), std::string::npos);
  Restore(sim);
  EXPECT_EQ(Snapshot(api()), before);
}

TEST_F(TweakRunTest, DiskCacheWritesItsValuesWithTheProfilesData) {
  const std::string mm = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\";
  const std::string pc = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl\\";
  for (int profile = 0; profile <= 4; ++profile) {
    sys::SimPlatform fresh;
    MakeKeys(fresh);
    ApplyTweaks(fresh.platform(), ProfileTweaks(kDiskCacheJob, profile, 0xFF), sys::kMaskAll, nullptr);
    std::vector<std::string> all;
    for (const char* k : kKeys) {
      sys::RegRoot root = 0;
      sys::ParseRootName(std::string(k).substr(0, 4), &root);
      for (const std::string& v : KeyValues(*fresh.platform().registry, root, std::string(k).substr(5)))
        all.push_back(v);
    }
    EXPECT_EQ(Sorted(all),
              Sorted({kDesk + "AutoEndTasks=sz:1", kDesk + "WaitToKillAppTimeout=sz:1000",
                      kDesk + "HungAppTimeout=sz:1000", kDesk + "ForegroundLockTimeout=dword:200000",
                      mm + "IoPageLockLimit=dword:" + (profile == 1 ? "512" : "131072"),
                      pc + "Win32PrioritySeparation=dword:" + (profile == 3 ? "0" : "2"),
                      "HKLM\\SYSTEM\\CurrentControlSet\\Control\\CrashControl\\AutoReboot=dword:1"}))
        << "profile " << profile;
  }
}

TEST_F(TweakRunTest, DiskCacheOptionFiveAloneChangesNothingAndLeavesNoFile) {
  TweakOutcome out = Run(kDiskCacheJob, 2, 1u << 5);
  EXPECT_EQ(out.made, 0);
  EXPECT_TRUE(Written().empty());
  EXPECT_FALSE(sim.files().FileExists(kFile));
  EXPECT_EQ(out.backupFile, "");
}

const std::string kPol = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";

TEST_F(TweakRunTest, DesktopBestAppearanceWritesEveryRow) {
  Run(kDesktopJob, 0, 0xFFF);
  EXPECT_EQ(Written(),
            Sorted({"HKCR\\CLSID\\{00021400-0000-0000-C000-000000000046}\\MenuShowDelay=sz:900",
                    kDesk + "MenuShowDelay=sz:400",
                    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Max Cached Icons=sz:2000",
                    "HKCU\\Control Panel\\Desktop\\WindowMetrics\\MinAnimate=sz:1", kDesk + "SmoothScroll=dword:1",
                    "HKLM\\System\\CurrentControlSet\\Control\\Update\\UpdateMode=dword:1",
                    kPol + "NoStartBanner=hex:00,01,00,00,00,00,00,00", kDesk + "DragFullWindows=sz:1",
                    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DesktopProcess=dword:1",
                    kPol + "NoInstrumentation=dword:1", kPol + "NoSimpleStartMenu=dword:1",
                    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\PREnabled=dword:0",
                    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\AutoRestartShell=dword:0"}));
}

TEST_F(TweakRunTest, DesktopMaximumPerformanceWritesEveryRowAndDeletesNoStartBanner) {
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\"
                          "Windows\\CurrentVersion\\Policies\\Explorer]\r\n\"NoStartBanner\"=hex:01,02,03\r\n"));
  const auto before = Snapshot(api());
  Run(kDesktopJob, 1, 0xFFF);
  EXPECT_EQ(Written(),
            Sorted({"HKCR\\CLSID\\{00021400-0000-0000-C000-000000000046}\\MenuShowDelay=sz:1",
                    // The list shows "0" for this row; the value written is "1".
                    kDesk + "MenuShowDelay=sz:1",
                    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Max Cached Icons=sz:500",
                    "HKCU\\Control Panel\\Desktop\\WindowMetrics\\MinAnimate=sz:0", kDesk + "SmoothScroll=dword:0",
                    "HKLM\\System\\CurrentControlSet\\Control\\Update\\UpdateMode=dword:1",
                    kDesk + "DragFullWindows=sz:0",
                    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DesktopProcess=dword:0",
                    kPol + "NoInstrumentation=dword:0", kPol + "NoSimpleStartMenu=dword:0",
                    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\PREnabled=dword:1",
                    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\AutoRestartShell=dword:1"}));
  // The old binary value comes back with the restore.
  Restore(sim);
  EXPECT_EQ(Value(api(), sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                  "NoStartBanner"),
            "hex:01,02,03");
  EXPECT_EQ(Snapshot(api()), before);
}

TEST_F(TweakRunTest, FileSystemWritesItsValuesPerProfile) {
  for (int profile = 0; profile <= 1; ++profile) {
    sys::SimPlatform fresh;
    MakeKeys(fresh);
    ApplyTweaks(fresh.platform(), ProfileTweaks(kFileSystemJob, profile, profile == 1 ? 0x7F : 0x3F), sys::kMaskAll,
                nullptr);
    std::vector<std::string> all;
    for (const char* k : kKeys) {
      sys::RegRoot root = 0;
      sys::ParseRootName(std::string(k).substr(0, 4), &root);
      for (const std::string& v : KeyValues(*fresh.platform().registry, root, std::string(k).substr(5)))
        all.push_back(v);
    }
    std::vector<std::string> expected = {
        "HKLM\\System\\CurrentControlSet\\Control\\FileSystem\\CDFS\\CacheSize=dword:1238",
        "HKLM\\System\\CurrentControlSet\\Control\\FileSystem\\CDFS\\Prefetch=dword:2048",
        std::string("HKCU\\SOFTWARE\\Microsoft\\MediaPlayer\\Player\\Settings\\EnableDVDUI=sz:") +
            (profile == 1 ? "yes" : "no"),
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug\\Auto=sz:0",
        "HKCU\\SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\DontshowUI=dword:1",
        "HKLM\\SYSTEM\\CurrentControlSet\\Services\\ERSvc\\Start=dword:4",
        "HKLM\\SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction\\Enable=sz:Y",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout\\EnableAutoLayout=dword:1"};
    if (profile == 1) expected.push_back("HKLM\\SYSTEM\\CurrentControlSet\\Control\\FileSystem\\ContigFileAllocSize=dword:512");
    EXPECT_EQ(Sorted(all), Sorted(expected)) << "profile " << profile;
  }
}

TEST_F(TweakRunTest, AMissingKeyIsSkippedAndNeverCreated) {
  sys::SimPlatform bare;  // no key exists
  ASSERT_TRUE(bare.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\ERSvc]\r\n"));
  TweakOutcome out = ApplyTweaks(bare.platform(), ProfileTweaks(kFileSystemJob, 0, 1u << 3), sys::kMaskAll, nullptr);
  EXPECT_EQ(out.made, 1);
  EXPECT_EQ(out.skipped, 1);
  sys::Registry reg(*bare.platform().registry);
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, "SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting", sys::kMaskAll));
  EXPECT_EQ(Value(*bare.platform().registry, sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\ERSvc", "Start"),
            "dword:4");
}

TEST_F(TweakRunTest, ValuesThatDidNotExistAreBackedUpAsDeletionsAndTheRestoreRemovesThem) {
  const auto before = Snapshot(api());
  TweakOutcome out = Run(kNetworkJob, 0, 0);
  ASSERT_EQ(out.backupFile, kFile);
  const std::string text = BackupText();
  EXPECT_NE(text.find("\"DefaultTTL\"=-"), std::string::npos);
  EXPECT_EQ(text.find("dword:"), std::string::npos) << "only deletion lines: nothing existed";
  Restore(sim);
  EXPECT_EQ(Snapshot(api()), before);
  EXPECT_TRUE(Written().empty());
}

TEST_F(TweakRunTest, AValueWrittenTwiceInOneRunIsRestoredToWhatItWasBefore) {
  ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\"
                          "CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n\"TcpTimedWaitDelay\"=dword:000000f0\r\n"));
  const auto before = Snapshot(api());
  Run(kNetworkJob, 0, 1u << 4);  // the base block and option 4 both write it
  EXPECT_EQ(Value(api(), sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "TcpTimedWaitDelay"),
            "dword:30");
  Restore(sim);
  EXPECT_EQ(Value(api(), sys::kHKLM, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "TcpTimedWaitDelay"),
            "dword:240");
  EXPECT_EQ(Snapshot(api()), before);
}

TEST_F(TweakRunTest, WithBackupsOffNoFileAndNoHeaderIsWritten) {
  TweakOutcome out = Run(kNetworkJob, 0, 0x1F, false);
  EXPECT_EQ(out.made, 14 + 7 + 1 + 1 + 7);
  EXPECT_EQ(out.backupFile, "");
  EXPECT_FALSE(sim.files().DirectoryExists(kFolder));
}

TEST_F(TweakRunTest, NothingToChangeLeavesNoFile) {
  sys::SimPlatform bare;
  TweakOutcome out = ApplyTweaks(bare.platform(), ProfileTweaks(kNetworkJob, 0, 0x1F), sys::kMaskAll,
                                 [] { return std::string(kFile); });
  EXPECT_EQ(out.made, 0);
  EXPECT_FALSE(bare.files().FileExists(kFile));
}

TEST_F(TweakRunTest, TwoRunsInOneSecondKeepTwoBackups) {
  TweakOutcome first = Run(kDiskCacheJob, 0, 1);
  TweakOutcome second = Run(kDiskCacheJob, 1, 1u << 4);
  EXPECT_EQ(first.backupFile, kFile);
  EXPECT_NE(second.backupFile, first.backupFile);
  EXPECT_TRUE(sim.files().FileExists(first.backupFile));
  EXPECT_TRUE(sim.files().FileExists(second.backupFile));
  EXPECT_NE(BackupText().find("AutoEndTasks"), std::string::npos);
}

TEST_F(TweakRunTest, ABackupThatCannotBeWrittenStopsTheRunBeforeAnyChange) {
  ASSERT_TRUE(sim.files().CreateFolder("C:\\App\\backup"));
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\App\\backup\\optimize_backup", "in the way"));
  const auto before = Snapshot(api());
  TweakOutcome out = Run(kNetworkJob, 0, 0x1F);
  EXPECT_TRUE(out.backupFailed);
  EXPECT_EQ(out.made, 0);
  EXPECT_EQ(Snapshot(api()), before);
}

// The process dies at the n-th registry change, for every n: the backup
// written so far, imported, gives back exactly the registry before the run.
TEST_F(TweakRunTest, ARunCutShortAtAnyChangeLeavesABackupThatRestoresTheStateBefore) {
  const std::string state =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
      "\"DefaultTTL\"=dword:00000080\r\n\"TcpTimedWaitDelay\"=dword:000000f0\r\n\"Keep\"=\"me\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"HungAppTimeout\"=\"5000\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\" + std::string(kNameSpace) + "\\Sub]\r\n\"x\"=hex:01,02\r\n\r\n";
  struct Crash : std::runtime_error {
    Crash() : std::runtime_error("crash") {}
  };
  for (int n = 0;; ++n) {
    sys::SimPlatform s;
    MakeKeys(s, state);
    const auto before = Snapshot(*s.platform().registry);
    sys::testing::FaultyRegistry faulty(*s.platform().registry);
    int calls = 0;
    auto count = [&](const std::string&) -> long {
      if (calls++ == n) throw Crash();
      return -1;
    };
    faulty.onSetValue = count;
    faulty.onRemoveValue = count;
    faulty.onRemoveKey = count;
    sys::Platform p = s.platform();
    p.registry = &faulty;
    bool crashed = false;
    try {
      ApplyTweaks(p, ProfileTweaks(kNetworkJob, 3, 0x1F), sys::kMaskAll, [] { return std::string(kFile); });
    } catch (const Crash&) {
      crashed = true;
    }
    if (s.files().FileExists(kFile)) Restore(s);
    EXPECT_EQ(Snapshot(*s.platform().registry), before) << "cut short at change " << n;
    if (!crashed) {
      EXPECT_GT(n, 20);
      break;
    }
  }
}

}  // namespace
}  // namespace vl::optimizer
