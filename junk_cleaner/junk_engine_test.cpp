// The junk walk and the removals on the simulated machine: what is found,
// what is left alone, and what each removal mode does to the disk.
#include "junk_cleaner/junk_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "sysaccess/sim/sim_platform.h"

namespace vl::junk {
namespace {

class TestContext : public JunkContext {
 public:
  // Asks to stop once `stopAfter` hints began with `stopPrefix`.
  bool Stopped() const override {
    if (stopAfter < 0) return false;
    int seen = 0;
    for (const std::string& h : hints) seen += h.compare(0, stopPrefix.size(), stopPrefix) == 0;
    return seen >= stopAfter;
  }
  void ShowHint(const std::string& text) override { hints.push_back(text); }
  void StateChanged() override { ++stateChanges; }

  std::vector<std::string> hints;
  std::string stopPrefix;
  int stopAfter = -1;
  int stateChanges = 0;
};

class JunkEngineTest : public ::testing::Test {
 protected:
  sys::FileSystem& fs() { return *sim.platform().files; }

  void File(const std::string& path, const std::string& data = "x") {
    fs().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(fs().WriteFileBytes(path, data)) << path;
  }
  TSearchJunk& Group(const std::string& drive) {
    owned.push_back(std::make_unique<TSearchJunk>("Disk (" + drive + ")", drive));
    groups.push_back(owned.back().get());
    return *owned.back();
  }
  int32_t Scan(const std::vector<std::string>& masks) {
    MaskList list(masks);
    return ScanGroups(fs(), groups, list, ctx);
  }
  void Clean(RemovalMode mode, const std::string& target = "") {
    CleanGroups(fs(), *sim.platform().shell, groups, mode, target, ctx);
  }
  static std::vector<std::string> Paths(const TSearchJunk& g) {
    std::vector<std::string> out;
    for (const auto& f : g.files) out.push_back(g.PathOf(f));
    std::sort(out.begin(), out.end());
    return out;
  }
  // Another drive, a folder of its own inside the sandbox.
  void Drive(char letter) { sim.MapDrive(letter, sys::SimDrive{}); }

  sys::SimPlatform sim;
  TestContext ctx;
  std::vector<std::unique_ptr<TSearchJunk>> owned;
  std::vector<TSearchJunk*> groups;
};

TEST_F(JunkEngineTest, TheSystemsOwnFilesAreNeverListed) {
  File("C:\\Windows\\WindowsUpdate.log");
  File("C:\\Temp\\setup.log");
  File("C:\\Users\\me\\NTUSER.DAT.LOG");
  File("C:\\Users\\me\\Local Settings\\History\\History.IE5\\desktop.ini");
  File("C:\\Data\\desktop.ini");
  File("C:\\Users\\me\\Local Settings\\Temporary Internet Files\\Content.IE5\\index.dat");
  File("C:\\Users\\me\\Cookies\\index.dat");
  File("C:\\Data\\index.dat");
  Group("C:");
  EXPECT_EQ(Scan({"*.log", "*.ini", "*.dat"}), 3);
  EXPECT_EQ(Paths(*groups[0]),
            (std::vector<std::string>{"C:\\Data\\desktop.ini", "C:\\Data\\index.dat", "C:\\Temp\\setup.log"}));
}

TEST_F(JunkEngineTest, AFileIsListedOnceWithItsWholeSizeAndTimes) {
  File("C:\\Temp\\a.tmp", "12345");
  // A sparse file of 5 GiB: counted in full, not modulo 4 GiB.
  const std::string big = sim.files().HostPath("C:\\Temp\\big.tmp");
  { std::ofstream(big.c_str()); }
  ASSERT_EQ(truncate(big.c_str(), 5ll << 30), 0);
  TSearchJunk& g = Group("C:");
  EXPECT_EQ(Scan({"*.tmp", "a.*"}), 2);
  EXPECT_EQ(g.fileCount, 2);
  EXPECT_EQ(g.foundBytes, (5ull << 30) + 5);
  EXPECT_EQ(g.state.load(), kScanned);
  ASSERT_EQ(g.folders.size(), 1u);  // two files, one folder entry
  for (const auto& f : g.files) EXPECT_GT(f.lastWriteTime, 116444736000000000ull);
  EXPECT_NE(std::find(ctx.hints.begin(), ctx.hints.end(), "Scanning C:\\Temp"), ctx.hints.end());
}

TEST_F(JunkEngineTest, LinksAreNeitherListedNorEntered) {
  // A folder outside the drive, reached through a link inside the scanned tree.
  const std::string outside = sim.hostRoot() + "/outside";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  { std::ofstream(outside + "/canary.tmp") << "keep"; }
  File("C:\\Temp\\a.tmp");
  ASSERT_EQ(symlink(outside.c_str(), sim.files().HostPath("C:\\Temp\\link").c_str()), 0);
  ASSERT_EQ(symlink((outside + "/canary.tmp").c_str(), sim.files().HostPath("C:\\Temp\\file.tmp").c_str()), 0);
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  EXPECT_EQ(Paths(g), (std::vector<std::string>{"C:\\Temp\\a.tmp"}));
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(access((outside + "/canary.tmp").c_str(), F_OK), 0);
}

TEST_F(JunkEngineTest, AFolderTurnedIntoALinkAfterTheScanIsNotFollowed) {
  File("C:\\Temp\\sub\\a.tmp");
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  ASSERT_EQ(g.fileCount, 1);
  // Swapped for a link to a folder with a file of the same name and size.
  const std::string outside = sim.hostRoot() + "/outside";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  const std::string sub = sim.files().HostPath("C:\\Temp\\sub");
  ASSERT_EQ(rename((sub + "/a.tmp").c_str(), (outside + "/a.tmp").c_str()), 0);
  ASSERT_EQ(rmdir(sub.c_str()), 0);
  ASSERT_EQ(symlink(outside.c_str(), sub.c_str()), 0);
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(g.failedCount, 1);
  EXPECT_EQ(access((outside + "/a.tmp").c_str(), F_OK), 0);
}

TEST_F(JunkEngineTest, AStopOnTheSecondDriveLeavesTheThirdWaiting) {
  Drive('D');
  Drive('E');
  File("C:\\a\\1.tmp");
  for (const char* f : {"D:\\a\\1.tmp", "D:\\b\\2.tmp", "D:\\c\\3.tmp"}) File(f);
  File("E:\\a\\1.tmp");
  TSearchJunk& c = Group("C:");
  TSearchJunk& d = Group("D:");
  TSearchJunk& e = Group("E:");
  ctx.stopPrefix = "Scanning D:";
  ctx.stopAfter = 2;  // on entering the second folder of D:
  Scan({"*.tmp"});
  EXPECT_EQ(c.fileCount, 1);
  EXPECT_EQ(c.state.load(), kScanned);
  EXPECT_EQ(d.fileCount, 1);  // what the first folder held
  EXPECT_EQ(d.state.load(), kScanned);
  EXPECT_EQ(e.fileCount, 0);
  EXPECT_EQ(e.state.load(), kWaiting);

  // A clean after it finishes the waiting group without touching its drive.
  ctx.stopAfter = -1;
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(e.state.load(), kFinished);
  EXPECT_TRUE(fs().FileExists("E:\\a\\1.tmp"));
  EXPECT_EQ(c.state.load(), kFinished);
  EXPECT_FALSE(fs().FileExists("C:\\a\\1.tmp"));
}

TEST_F(JunkEngineTest, FilesThatChangedOrVanishedCountAsFailedPerDrive) {
  Drive('D');
  File("C:\\t\\a.tmp", "aaaa");
  File("C:\\t\\b.tmp", "bb");
  File("D:\\t\\c.tmp", "ccc");
  File("D:\\t\\d.tmp", "d");
  TSearchJunk& c = Group("C:");
  TSearchJunk& d = Group("D:");
  Scan({"*.tmp"});
  ASSERT_EQ(fs().RemoveFile("C:\\t\\a.tmp"), 0u);            // gone
  ASSERT_TRUE(fs().WriteFileBytes("D:\\t\\c.tmp", "grown!"));  // not the file the user saw
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(c.failedCount, 1);
  EXPECT_EQ(c.removedBytes, 2u);
  EXPECT_EQ(d.failedCount, 1);
  EXPECT_EQ(d.removedBytes, 1u);
  EXPECT_TRUE(fs().FileExists("D:\\t\\c.tmp"));
  EXPECT_NE(std::find(ctx.hints.begin(), ctx.hints.end(), "Deleting C:\\t\\b.tmp"), ctx.hints.end());
}

TEST_F(JunkEngineTest, DeleteTakesReadOnlyFilesAndUnicodeNames) {
  const std::string cyrillic = "C:\\t\\\xd0\xbe\xd1\x82\xd1\x87\xd1\x91\xd1\x82.tmp";
  const std::string emoji = "C:\\t\\\xf0\x9f\x98\x80.tmp";
  File(cyrillic);
  File(emoji);
  File("C:\\t\\ro.tmp");
  ASSERT_EQ(fs().SetAttributes("C:\\t\\ro.tmp", sys::kAttrReadOnly), 0u);
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  EXPECT_EQ(g.fileCount, 3);
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(g.failedCount, 0);
  for (const std::string& p : {cyrillic, emoji, std::string("C:\\t\\ro.tmp")}) EXPECT_FALSE(fs().FileExists(p)) << p;
}

TEST_F(JunkEngineTest, TheRecycleBinGetsEachListedFile) {
  File("C:\\t\\a.tmp");
  File("C:\\t\\keep.txt");
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  Clean(RemovalMode::kRecycleBin);
  EXPECT_EQ(g.failedCount, 0);
  auto recycled = sim.shell().recycled();
  ASSERT_EQ(recycled.size(), 1u);
  EXPECT_EQ(recycled[0].original, "C:\\t\\a.tmp");
  EXPECT_TRUE(fs().FileExists("C:\\t\\keep.txt"));
}

TEST_F(JunkEngineTest, MovedFilesTakeTheFirstFreeName) {
  File("C:\\t\\a.tmp", "new");
  File("C:\\t\\README", "r");
  Drive('D');
  File("D:\\Junk\\a.tmp", "old");
  File("D:\\Junk\\a_1.tmp", "old1");
  File("D:\\Junk\\README", "old");
  TSearchJunk& g = Group("C:");
  Scan({"a.tmp", "readme"});
  ASSERT_EQ(g.fileCount, 2);
  Clean(RemovalMode::kMove, "D:\\Junk\\");
  EXPECT_EQ(g.failedCount, 0);
  std::string data;
  ASSERT_TRUE(fs().ReadFileBytes("D:\\Junk\\a_2.tmp", data));
  EXPECT_EQ(data, "new");
  ASSERT_TRUE(fs().ReadFileBytes("D:\\Junk\\README_1", data));
  EXPECT_EQ(data, "r");
  EXPECT_FALSE(fs().FileExists("C:\\t\\a.tmp"));
  ASSERT_TRUE(fs().ReadFileBytes("D:\\Junk\\a.tmp", data));
  EXPECT_EQ(data, "old");
}

TEST_F(JunkEngineTest, AMissingMoveFolderFailsEveryFile) {
  File("C:\\t\\a.tmp");
  File("C:\\t\\b.tmp");
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  Clean(RemovalMode::kMove, "C:\\NoSuchFolder\\");
  EXPECT_EQ(g.failedCount, 2);
  EXPECT_EQ(g.removedBytes, 0u);
  EXPECT_TRUE(fs().FileExists("C:\\t\\a.tmp"));
}

}  // namespace
}  // namespace vl::junk
