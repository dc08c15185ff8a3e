// The command line on the simulated machine: every kind, every exit code,
// the JSON line and its cap, the full result and the report, /scan changing
// nothing, and the job guard shared with the window.
#include "programs/cli/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "app/control_ids.h"
#include "programs/cli/job_guard.h"
#include "programs/cli/machine_policy.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "sysaccess/registry.h"

namespace vl::cli {
namespace {

namespace fs = std::filesystem;

const char kRegHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";
const char kGoneApp[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe]\r\n"
    "@=\"C:\\\\Program Files\\\\Gone\\\\gone.exe\"\r\n\r\n";
const char kRunMru[] =
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU]\r\n"
    "\"a\"=\"notepad\\\\1\"\r\n\"MRUList\"=\"a\"\r\n\r\n";

class CliRunTest : public vl::testing::AppFixture {
 protected:
  CliRunTest() {
    env.version = "1.2.3.4";
    env.exePath = "C:\\Vantorel\\Vantorel.exe";
    sim.files().CreateFolder("C:\\Out");
    // A used profile: its Software key is not empty.
    EXPECT_TRUE(sim.LoadReg(std::string(kRegHeader) + "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"x\"=\"1\"\r\n"));
  }
  Output RunArgs(std::vector<std::string> args) {
    Output out = cli::Run(sim.platform(), ParseArguments(args), env);
    EXPECT_LE(out.stdoutText.size(), kStdoutCap);
    return out;
  }
  void Plant() {
    ASSERT_TRUE(sim.LoadReg(std::string(kRegHeader) + kGoneApp + kRunMru));
    Put("C:\\Temp\\left.tmp", "0123456789");
    Put("C:\\Data\\keep.txt", "mine");
  }
  // Every key and value under the roots, as text.
  std::string RegistryDump() {
    sys::RegistryApi& api = sim.registry();
    std::ostringstream out;
    std::function<void(sys::RegKey, const std::string&)> walk = [&](sys::RegKey key, const std::string& path) {
      out << "[" << path << "]\n";
      for (uint32_t i = 0;; ++i) {
        std::string name;
        sys::RegData data;
        if (api.EnumValue(key, i, 16384, 1 << 20, &name, &data) != 0) break;
        out << name << "=" << data.type << ":" << data.bytes << "\n";
      }
      std::vector<std::string> subs;
      for (uint32_t i = 0;; ++i) {
        std::string name;
        if (api.EnumKey(key, i, 256, &name) != 0) break;
        subs.push_back(name);
      }
      for (const std::string& s : subs) {
        sys::RegKey child = 0;
        if (api.OpenKey(key, s, 0x20019, &child) != 0) continue;
        walk(child, path + "\\" + s);
        api.CloseKey(child);
      }
    };
    for (auto [root, name] : {std::pair{sys::kHKLM, "HKLM"}, std::pair{sys::kHKU, "HKU"},
                              std::pair{sys::kHKCU, "HKCU"}})
      walk(root, name);
    return out.str();
  }
  // Every file and folder of the simulated drives with its content, data.db
  // left out (the scan log and time stamps may change there).
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> out;
    for (auto& e : fs::recursive_directory_iterator(sim.hostRoot())) {
      const std::string rel = fs::relative(e.path(), sim.hostRoot()).string();
      if (rel.find("data.db") != std::string::npos) continue;
      std::string content = "<dir>";
      if (e.is_regular_file()) {
        std::ifstream in(e.path(), std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), {});
      }
      out[rel] = content;
    }
    return out;
  }
  void Put(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    WriteFile(path, text);
  }
  bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  Environment env;
};

TEST_F(CliRunTest, ACleanMachineScansToZero) {
  Output out = RunArgs({"/scan", "/json", "C:\\Out\\z.json"});
  EXPECT_EQ(out.exitCode, kExitClean) << ReadFile("C:\\Out\\z.json");
  EXPECT_EQ(out.stdoutText,
            "{\"version\":\"1.2.3.4\",\"mode\":\"scan\",\"registry\":{\"found\":0,\"repaired\":0,\"failed\":0},"
            "\"junk\":{\"files\":0,\"bytes\":0,\"removed\":0,\"failed\":0},"
            "\"evidence\":{\"items\":0,\"removed\":0,\"failed\":0},\"report\":\"\",\"errors\":[]}\r\n");
  EXPECT_TRUE(out.stderrText.empty());
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(CliRunTest, ScanFindsEveryKindAndChangesNothing) {
  Plant();
  const std::string regBefore = RegistryDump();
  const auto filesBefore = Files();
  Output out = RunArgs({"/scan", "/report", "C:\\Out\\r.html", "/json", "C:\\Out\\r.json"});
  EXPECT_EQ(out.exitCode, kExitFound) << out.stdoutText << out.stderrText;
  EXPECT_TRUE(Contains(out.stdoutText, "\"registry\":{\"found\":")) << out.stdoutText;
  EXPECT_FALSE(Contains(out.stdoutText, "\"registry\":{\"found\":0"));
  EXPECT_TRUE(Contains(out.stdoutText, "\"junk\":{\"files\":1,\"bytes\":10,\"removed\":0,\"failed\":0}"));
  EXPECT_TRUE(Contains(out.stdoutText, "\"evidence\":{\"items\":"));
  EXPECT_FALSE(Contains(out.stdoutText, "\"evidence\":{\"items\":0"));
  EXPECT_TRUE(Contains(out.stdoutText, "\"report\":\"C:\\\\Out\\\\r.html\""));
  EXPECT_EQ(RegistryDump(), regBefore);
  auto filesAfter = Files();
  filesAfter.erase("C/Out/r.html");
  filesAfter.erase("C/Out/r.json");
  EXPECT_EQ(filesAfter, filesBefore);
  EXPECT_FALSE(sim.files().DirectoryExists("C:\\Vantorel\\backup\\repair_backup"));
  // The full result and the report name each planted problem.
  const std::string json = ReadFile("C:\\Out\\r.json");
  for (const char* part : {"App Paths\\\\gone.exe", "C:\\\\Temp\\\\left.tmp", "RunMRU", "\"status\":\"found\""})
    EXPECT_TRUE(Contains(json, part)) << part << "\n" << json;
  const std::string html = ReadFile("C:\\Out\\r.html");
  for (const char* part : {"App Paths\\gone.exe", "C:\\Temp\\left.tmp", "RunMRU", "Registry Errors - ",
                           "Junk Files - ", "Evidence Data - "})
    EXPECT_TRUE(Contains(html, part)) << part;
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(CliRunTest, CleanRemovesEverythingWithABackupAndASecondScanFindsNothing) {
  Plant();
  Output out = RunArgs({"/clean", "/json", "C:\\Out\\c.json"});
  EXPECT_EQ(out.exitCode, kExitClean) << out.stdoutText << out.stderrText;
  EXPECT_TRUE(Contains(out.stdoutText, "\"mode\":\"clean\",\"registry\":{\"found\":")) << out.stdoutText;
  EXPECT_TRUE(Contains(out.stdoutText, "\"failed\":0},\"junk\""));
  EXPECT_TRUE(Contains(out.stdoutText, "\"junk\":{\"files\":1,\"bytes\":10,\"removed\":1,\"failed\":0}"));
  // Junk goes to the recycle bin by default; the repair left its backup.
  ASSERT_EQ(sim.shell().recycled().size(), 1u);
  EXPECT_FALSE(sim.files().FileExists("C:\\Temp\\left.tmp"));
  EXPECT_TRUE(sim.files().FileExists("C:\\Data\\keep.txt"));
  std::vector<sys::FileEntry> backups;
  ASSERT_TRUE(sim.files().ListFolder("C:\\Vantorel\\backup\\repair_backup", backups));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(Contains(ReadFile("C:\\Vantorel\\backup\\repair_backup\\" + backups[0].name), "gone.exe") ||
              !ReadFile("C:\\Vantorel\\backup\\repair_backup\\" + backups[0].name).empty());
  EXPECT_TRUE(Contains(ReadFile("C:\\Out\\c.json"), "\"status\":\"removed\""));
  // The simulated bin sits on C: where the junk walk finds it; Windows
  // names recycled files apart, Wine keeps its bin off the drive.
  fs::remove_all(fs::path(sim.files().NativePath("C:\\$Recycle.Bin")));
  Output again = RunArgs({"/scan"});
  EXPECT_EQ(again.exitCode, kExitClean) << again.stdoutText;
}

TEST_F(CliRunTest, OnlyTheNamedKindsRunAndAppear) {
  Plant();
  Output out = RunArgs({"/scan", "/junk"});
  EXPECT_EQ(out.exitCode, kExitFound);
  EXPECT_TRUE(Contains(out.stdoutText, "\"junk\":"));
  EXPECT_FALSE(Contains(out.stdoutText, "\"registry\":"));
  EXPECT_FALSE(Contains(out.stdoutText, "\"evidence\":"));
  // The registry problem is still there for a registry scan.
  EXPECT_EQ(RunArgs({"/clean", "/junk", "/delete"}).exitCode, kExitClean);
  EXPECT_EQ(RunArgs({"/scan", "/junk"}).exitCode, kExitClean);
  EXPECT_EQ(RunArgs({"/scan", "/registry"}).exitCode, kExitFound);
}

TEST_F(CliRunTest, DeleteRemovesDirectlyAndMoveUsesADatedSubfolder) {
  Put("C:\\Temp\\a.tmp", "a");
  EXPECT_EQ(RunArgs({"/clean", "/junk", "/delete"}).exitCode, kExitClean);
  EXPECT_FALSE(sim.files().FileExists("C:\\Temp\\a.tmp"));
  EXPECT_TRUE(sim.shell().recycled().empty());

  Put("C:\\Temp\\b.tmp", "b");
  sim.files().CreateFolder("C:\\Kept");
  EXPECT_EQ(RunArgs({"/clean", "/junk", "/move", "C:\\Kept"}).exitCode, kExitClean);
  EXPECT_FALSE(sim.files().FileExists("C:\\Temp\\b.tmp"));
  std::vector<sys::FileEntry> subs;
  ASSERT_TRUE(sim.files().ListFolder("C:\\Kept", subs));
  ASSERT_EQ(subs.size(), 1u);
  EXPECT_EQ(subs[0].name.size(), 10u);  // yyyymmdd_1
  EXPECT_TRUE(sim.files().FileExists("C:\\Kept\\" + subs[0].name + "\\b.tmp"));
  // A folder that is not there is a bad argument, before anything runs.
  Put("C:\\Temp\\c.tmp", "c");
  Output out = RunArgs({"/clean", "/junk", "/move", "C:\\Nowhere"});
  EXPECT_EQ(out.exitCode, kExitBadArguments);
  EXPECT_TRUE(sim.files().FileExists("C:\\Temp\\c.tmp"));
}

TEST_F(CliRunTest, AFileThatCannotBeRemovedMakesTheCleanSayOne) {
  Put("C:\\Temp\\stuck.tmp", "x");
  // A file where the recycle bin's folder belongs: recycling fails.
  Put("C:\\$Recycle.Bin", "not a folder");
  Output out = RunArgs({"/clean", "/junk", "/json", "C:\\Out\\f.json"});
  EXPECT_EQ(out.exitCode, kExitFound) << out.stdoutText;
  EXPECT_TRUE(Contains(out.stdoutText, "\"removed\":0,\"failed\":1"));
  const std::string json = ReadFile("C:\\Out\\f.json");
  EXPECT_TRUE(Contains(json, "\"status\":\"failed\",\"reason\":")) << json;
  EXPECT_TRUE(sim.files().FileExists("C:\\Temp\\stuck.tmp"));
}

TEST_F(CliRunTest, ManyProblemsKeepTheLineUnderTheCapAndTheFullResultNamesEach) {
  for (int i = 0; i < 400; ++i)
    Put("C:\\Temp\\" + std::string(120, 'x') + std::to_string(i) + ".tmp", "1");
  const std::string longReport = "C:\\Out\\" + std::string(2400, 'r') + ".html";
  Output out = RunArgs({"/scan", "/junk", "/json", "C:\\Out\\m.json", "/report", longReport});
  EXPECT_LE(out.stdoutText.size(), kStdoutCap);
  EXPECT_TRUE(Contains(out.stdoutText, "\"files\":400"));
  EXPECT_EQ(out.stdoutText.back(), '\n');
  const std::string json = ReadFile("C:\\Out\\m.json");
  for (int i = 0; i < 400; i += 57) EXPECT_TRUE(Contains(json, std::string(120, 'x') + std::to_string(i) + ".tmp"));
}

TEST_F(CliRunTest, BadArgumentsGiveTwoAndTheUsage) {
  Output out = RunArgs({"/scan", "/bogus"});
  EXPECT_EQ(out.exitCode, kExitBadArguments);
  EXPECT_TRUE(out.stdoutText.empty());
  EXPECT_TRUE(Contains(out.stderrText, "Unknown argument: /bogus"));
  EXPECT_TRUE(Contains(out.stderrText, "Exit codes:"));
  Output help = RunArgs({"/?"});
  EXPECT_EQ(help.exitCode, kExitClean);
  EXPECT_TRUE(Contains(help.stdoutText, "Exit codes:"));
}

TEST_F(CliRunTest, AnotherJobHoldingTheGuardGivesThreeAndChangesNothing) {
  Plant();
  JobGuard other(sim.processes());
  ASSERT_TRUE(other.Take());
  const std::string regBefore = RegistryDump();
  Output out = RunArgs({"/clean"});
  EXPECT_EQ(out.exitCode, kExitCouldNotRun);
  EXPECT_TRUE(Contains(out.stderrText, "Another Vantorel is running a job"));
  EXPECT_TRUE(Contains(out.stdoutText, "\"errors\":[\"Another Vantorel is running a job"));
  EXPECT_EQ(RegistryDump(), regBefore);
  EXPECT_TRUE(sim.files().FileExists("C:\\Temp\\left.tmp"));
  other.Release();
  EXPECT_EQ(RunArgs({"/clean"}).exitCode, kExitClean);
}

TEST_F(CliRunTest, TheGuardIsFreeAgainAfterARun) {
  RunArgs({"/scan", "/junk"});
  JobGuard after(sim.processes());
  EXPECT_TRUE(after.Take());
}

TEST_F(CliRunTest, TheWindowHoldsTheGuardDuringItsJobAndRefusesWhileTheCommandLineHoldsIt) {
  Plant();
  Start();
  // The window's scan holds the guard until it ends.
  main->control(id::imgJunkScan).onClick();
  ASSERT_TRUE(main->busy());
  EXPECT_EQ(RunArgs({"/scan", "/junk"}).exitCode, kExitCouldNotRun);
  Drain();
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(RunArgs({"/scan", "/junk"}).exitCode, kExitFound);
  // A button that starts no job gives it back at once.
  ports.answers.push_back(MsgAnswer::No);
  main->control(id::imgJunkClean).onClick();
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(RunArgs({"/scan", "/junk"}).exitCode, kExitFound);
  // While another holds it, the window says so and starts nothing.
  JobGuard other(sim.processes());
  ASSERT_TRUE(other.Take());
  ports.messages.clear();
  main->control(id::imgRegScan).onClick();
  EXPECT_FALSE(main->busy());
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, kJobGuardBusy);
  other.Release();
  main->control(id::imgRegScan).onClick();
  EXPECT_TRUE(main->busy());
  Drain();
}

TEST_F(CliRunTest, AWindowHoldingDataDbForAMomentIsWaitedFor) {
  ASSERT_EQ(RunArgs({"/scan", "/junk"}).exitCode, kExitClean);
  store::Connection db = Db();
  store::RunStatement(db, "begin exclusive");
  std::thread release([&db] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    store::RunStatement(db, "commit");
  });
  Output out = RunArgs({"/scan", "/junk"});
  release.join();
  EXPECT_EQ(out.exitCode, kExitClean) << out.stdoutText;
}

TEST_F(CliRunTest, ThePolicySwitchesTheAutomaticUpdateCheckOff) {
  EXPECT_TRUE(AutoUpdateAllowed(sim.registry()));
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Vantorel]\r\n";
  ASSERT_TRUE(sim.LoadReg(kRegHeader + key + "\"AutoUpdate\"=dword:00000001\r\n"));
  EXPECT_TRUE(AutoUpdateAllowed(sim.registry()));
  ASSERT_TRUE(sim.LoadReg(kRegHeader + key + "\"AutoUpdate\"=\"0\"\r\n"));  // not a DWORD
  EXPECT_TRUE(AutoUpdateAllowed(sim.registry()));
  ASSERT_TRUE(sim.LoadReg(kRegHeader + key + "\"AutoUpdate\"=dword:00000000\r\n"));
  EXPECT_FALSE(AutoUpdateAllowed(sim.registry()));
  // The window's automatic check then starts no worker; an asked-for one does.
  withUpdateCheck = true;
  Build();
  main->startUpdateCheck(false);
  EXPECT_EQ(runner.running(), 0);
}

}  // namespace
}  // namespace vl::cli
