// The full backup's temporary export: renamed only when the editor has
// finished a whole export, leftovers removed only when stale.
#include "backup/full_backup.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <thread>

#include "backup/backup_catalogue.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::backup {
namespace {

const char kFolder[] = "C:\\App\\backup\\full_backup\\";
const uint64_t kNow = 133600000000000000ull;  // a FILETIME in 2024

class FullBackupTest : public ::testing::Test {
 protected:
  FullBackupTest() {
    sim.files().CreateFolder("C:\\App");
    EXPECT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VlFull]\r\n"
                            "\"Colour\"=\"green\"\r\n"));
  }
  // Runs one backup to its end; false when the editor did not start.
  bool Run(const std::string& stamp = "20240601120000") {
    std::thread waiter;
    bool started = StartFullBackupExport(
        sim.platform(), kFolder, stamp, kNow, [&](std::function<void()> body) { waiter = std::thread(body); },
        [&](const FullBackupOutcome& o) {
          outcome = o;
          ++outcomes;
        });
    if (waiter.joinable()) waiter.join();
    return started;
  }
  std::vector<std::string> Names() {
    std::vector<sys::FileEntry> entries;
    sim.files().ListFolder(kFolder, entries);
    std::vector<std::string> names;
    for (auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<BackupEntry> Listed() { return ListBackups(sim.files(), sim.system(), kFolder); }
  void Age(const std::string& path, int64_t seconds) {
    const time_t when = static_cast<time_t>((kNow - 116444736000000000ull) / 10000000ull - seconds);
    struct utimbuf times {when, when};
    ASSERT_EQ(utime(sim.files().HostPath(path).c_str(), &times), 0);
  }

  sys::SimPlatform sim;
  FullBackupOutcome outcome;
  int outcomes = 0;
};

TEST_F(FullBackupTest, AWholeExportIsRenamedIntoPlaceWhenTheEditorHasFinished) {
  ASSERT_TRUE(Run());
  EXPECT_EQ(outcomes, 1);
  EXPECT_EQ(outcome.problem, "");
  EXPECT_EQ(outcome.path, std::string(kFolder) + "FBackup_20240601120000.reg");
  EXPECT_EQ(Names(), std::vector<std::string>{"FBackup_20240601120000.reg"});
  ASSERT_EQ(sim.system().registryEditorRuns().size(), 1u);
  EXPECT_EQ(sim.system().registryEditorRuns()[0], "/E \"" + std::string(kFolder) + "FBackup_20240601120000.reg.tmp\"");
  ASSERT_EQ(Listed().size(), 1u);
}

TEST_F(FullBackupTest, WhileTheEditorWritesNothingIsListed) {
  size_t listed = 99;
  bool partThere = false;
  sim.system().beforeEditorExits = [&] {
    listed = Listed().size();
    partThere = sim.files().FileExists(std::string(kFolder) + "FBackup_20240601120000.reg.tmp");
  };
  ASSERT_TRUE(Run());
  EXPECT_TRUE(partThere);
  EXPECT_EQ(listed, 0u);
  EXPECT_EQ(Listed().size(), 1u);
}

TEST_F(FullBackupTest, AnExportCutShortAtAnyPointIsNeitherListedNorKept) {
  // Mid-character, mid-line, right after the header, mid-continuation.
  for (long long cut : {1LL, 2LL, 77LL, 80LL, 120LL, 150LL}) {
    SCOPED_TRACE(cut);
    sim.system().SetExportCutAt(cut);
    outcome = {};
    ASSERT_TRUE(Run());
    EXPECT_EQ(outcome.path, "");
    EXPECT_NE(outcome.problem, "");
    EXPECT_TRUE(Names().empty());
  }
}

TEST_F(FullBackupTest, AnEditorStillAtWorkKeepsItsFileUnlisted) {
  sim.system().SetEditorOutlastsWait(true);
  ASSERT_TRUE(Run());
  EXPECT_EQ(outcome.path, "");
  EXPECT_EQ(outcome.problem, "the registry editor did not finish the export in time");
  EXPECT_TRUE(Listed().empty());
}

TEST_F(FullBackupTest, WithoutAnEditorNothingStartsAndNothingIsReported) {
  sim.system().SetEditorMissing(true);
  EXPECT_FALSE(Run());
  EXPECT_EQ(outcomes, 0);
  EXPECT_TRUE(Names().empty());
}

TEST_F(FullBackupTest, ATakenNameGetsANumber) {
  ASSERT_TRUE(Run());
  ASSERT_TRUE(Run());
  EXPECT_EQ(outcome.path, std::string(kFolder) + "FBackup_20240601120000_2.reg");
  EXPECT_EQ(Listed().size(), 2u);
}

TEST_F(FullBackupTest, OnlyStaleLeftoversOfExportsAreRemoved) {
  sim.files().CreateFolder(kFolder);
  const std::string dir = kFolder;
  for (const char* n : {"FBackup_1.reg.tmp", "FBackup_2.reg.tmp", "other.tmp", "FBackup_3.reg"})
    ASSERT_TRUE(sim.files().WriteFileBytes(dir + n, "x"));
  Age(dir + "FBackup_1.reg.tmp", 3600);  // stale
  Age(dir + "FBackup_2.reg.tmp", 60);    // an editor may still write it
  Age(dir + "other.tmp", 3600);
  Age(dir + "FBackup_3.reg", 3600);
  EXPECT_EQ(RemoveStaleExports(sim.files(), dir, kNow), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"FBackup_2.reg.tmp", "FBackup_3.reg", "other.tmp"}));
  // An export of this process in progress is never taken, however old.
  int removedMeanwhile = -1;
  sim.system().beforeEditorExits = [&] {
    Age(dir + "FBackup_20240601120000.reg.tmp", 3600);
    removedMeanwhile = RemoveStaleExports(sim.files(), dir, kNow);
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(removedMeanwhile, 0);
  EXPECT_EQ(outcome.path, dir + "FBackup_20240601120000.reg");
}

}  // namespace
}  // namespace vl::backup
