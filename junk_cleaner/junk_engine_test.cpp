// The junk walk and the removals on the simulated machine: what is found,
// what is left alone, and what each removal mode does to the disk.
#include "junk_cleaner/junk_engine.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <tuple>

#include "sysaccess/error_text.h"

#include "sysaccess/sim/sim_platform.h"
#include "sysaccess/sys_error.h"

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


TEST_F(JunkEngineTest, ReadOnlyFilesKeepTheirAttributesWhenTheDeleteFails) {
  File("C:\\t\\ro.tmp");
  ASSERT_EQ(fs().SetAttributes("C:\\t\\ro.tmp", sys::kAttrReadOnly | sys::kAttrHidden), 0u);
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  sim.files().failNextDelete = sys::err::kAccessDenied;
  Clean(RemovalMode::kDelete);
  EXPECT_EQ(g.failedCount, 1);
  sys::FileEntry e;
  ASSERT_TRUE(fs().GetEntry("C:\\t\\ro.tmp", e));
  EXPECT_TRUE(e.attributes & sys::kAttrReadOnly);
  ASSERT_EQ(g.failures.size(), 1u);
  EXPECT_EQ(g.failures[0].file, 0u);
  EXPECT_EQ(g.failures[0].reason, "C:\\t\\ro.tmp could not be removed: " + sys::SystemErrorText(5));
}

TEST_F(JunkEngineTest, TheRecycleBinNeverDestroys) {
  // A removable drive and a fixed one whose bin is too small: both files stay.
  sys::SimDrive stick;
  stick.kind = sys::DriveKind::kRemovable;
  sim.MapDrive('F', stick);
  sys::SimDrive small;
  small.recycleBinRoom = 3;
  sim.MapDrive('D', small);
  File("F:\\t\\a.tmp", "stick");
  File("D:\\t\\big.tmp", "four");
  File("D:\\t\\ok.tmp", "ok");
  TSearchJunk& f = Group("F:");
  TSearchJunk& d = Group("D:");
  Scan({"*.tmp"});
  Clean(RemovalMode::kRecycleBin);
  EXPECT_EQ(f.failedCount, 1);
  EXPECT_EQ(d.failedCount, 1);
  EXPECT_EQ(d.removedBytes, 2u);
  EXPECT_TRUE(fs().FileExists("F:\\t\\a.tmp"));
  EXPECT_TRUE(fs().FileExists("D:\\t\\big.tmp"));
  EXPECT_FALSE(fs().FileExists("D:\\t\\ok.tmp"));
  ASSERT_EQ(f.failures.size(), 1u);
  EXPECT_EQ(f.failures[0].reason, "F:\\t\\a.tmp cannot be moved to the Recycle Bin");
  ASSERT_EQ(d.failures.size(), 1u);
  EXPECT_EQ(d.failures[0].reason, "D:\\t\\big.tmp cannot be moved to the Recycle Bin");
}

// A local user who owns C:\Users\evil swaps one of its folders for a link
// to a place of the same shape holding a file of the same name, size and
// time (the victim), at one step of the clean. Whatever the step, the clean
// touches nothing but the listed file.
class JunkSwapTest : public JunkEngineTest, public ::testing::WithParamInterface<std::tuple<RemovalMode, int>> {
 protected:
  static constexpr const char* kListed = "C:\\Users\\evil\\Temp\\sub\\a.tmp";

  void SetUp() override {
    Drive('D');
    ASSERT_TRUE(fs().CreateFolder("D:\\Junk"));
    File(kListed, "junk");
    // The victim's tree: victim/Temp/sub/a.tmp and victim/sub/a.tmp, so a
    // link in place of either folder leads to a file of the listed name.
    victim_ = sim.hostRoot() + "/victim";
    for (const std::string& d : {victim_, victim_ + "/Temp", victim_ + "/Temp/sub", victim_ + "/sub"})
      ASSERT_EQ(mkdir(d.c_str(), 0755), 0);
    const std::string listedHost = sim.files().HostPath(kListed);
    struct stat st;
    ASSERT_EQ(stat(listedHost.c_str(), &st), 0);
    for (const std::string& f : {victim_ + "/Temp/sub/a.tmp", victim_ + "/sub/a.tmp"}) {
      { std::ofstream(f) << "junk"; }
      struct timespec times[2] = {st.st_atim, st.st_mtim};
      ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), times, 0), 0);
    }
  }

  // Swaps `folder` at the `at`-th step of the removal (0: before the clean).
  void SwapAt(int at, const std::string& folder, const std::string& hostTarget) {
    if (at == 0) {
      ASSERT_EQ(sim.files().SwapForLink(folder, hostTarget), 0u);
      return;
    }
    sim.files().onRemovalStep = [this, at, folder, hostTarget](const std::string& step, const std::string&) {
      steps_.push_back(step);
      if (static_cast<int>(steps_.size()) == at) swapResult_ = sim.files().SwapForLink(folder, hostTarget);
    };
  }

  bool VictimIntact() {
    for (const std::string& f : {victim_ + "/Temp/sub/a.tmp", victim_ + "/sub/a.tmp"}) {
      std::ifstream in(f);
      std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (data != "junk") return false;
    }
    DIR* d = opendir(victim_.c_str());
    int n = 0;
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
    return n == 2;
  }

  void Run(const std::string& folder, const std::string& hostTarget) {
    const RemovalMode mode = std::get<0>(GetParam());
    const int at = std::get<1>(GetParam());
    TSearchJunk& g = Group("C:");
    Scan({"*.tmp"});
    ASSERT_EQ(g.fileCount, 1);
    SwapAt(at, folder, hostTarget);
    Clean(mode, "D:\\Junk\\");
    EXPECT_TRUE(VictimIntact()) << "step " << at;
    // The listed file either went (it is the one the user saw) or stayed.
    const bool removed = g.failedCount == 0;
    std::string data;
    if (mode == RemovalMode::kMove && removed) {
      EXPECT_TRUE(fs().ReadFileBytes("D:\\Junk\\a.tmp", data));
      EXPECT_EQ(data, "junk");
    }
    if (mode == RemovalMode::kRecycleBin) {
      for (const auto& r : sim.shell().recycled()) EXPECT_EQ(r.original, kListed);
    }
    if (!removed) {
      ASSERT_EQ(g.failures.size(), 1u);
      EXPECT_EQ(g.failures[0].reason.rfind(kListed, 0), 0u);
    }
    // While held for the shell's call, no folder on the way can be swapped.
    if (at > 0 && at <= static_cast<int>(steps_.size()) && steps_[at - 1] == "held")
      EXPECT_EQ(swapResult_, sys::err::kSharingViolation);
  }

  std::string victim_;
  std::vector<std::string> steps_;
  uint32_t swapResult_ = 0;
};

TEST_P(JunkSwapTest, TheFilesOwnFolderSwappedForALink) {
  Run("C:\\Users\\evil\\Temp\\sub", victim_ + "/sub");
}

TEST_P(JunkSwapTest, AFolderHigherUpSwappedForALink) { Run("C:\\Users\\evil\\Temp", victim_ + "/Temp"); }

TEST_P(JunkSwapTest, TheFileSwappedForALinkToTheVictim) {
  // The file itself becomes a link (a symbolic link to the victim's file).
  const RemovalMode mode = std::get<0>(GetParam());
  const int at = std::get<1>(GetParam());
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  const std::string host = sim.files().HostPath(kListed);
  auto swap = [&] {
    ASSERT_EQ(rename(host.c_str(), (host + ".away").c_str()), 0);
    ASSERT_EQ(symlink((victim_ + "/sub/a.tmp").c_str(), host.c_str()), 0);
  };
  if (at == 0) swap();
  else
    sim.files().onRemovalStep = [&](const std::string& step, const std::string&) {
      steps_.push_back(step);
      // Renaming the file needs delete access to it: refused while it is
      // held without delete sharing.
      if (static_cast<int>(steps_.size()) == at && sim.files().HeldAgainstMove(kListed) == 0) swap();
    };
  Clean(mode, "D:\\Junk\\");
  EXPECT_TRUE(VictimIntact()) << "step " << at;
  if (g.failedCount == 0) EXPECT_NE(access((host + ".away").c_str(), F_OK), 0) << "the listed file is the one that went";
  // Nothing but the listed file reached the bin.
  for (const auto& r : sim.shell().recycled()) EXPECT_NE(sim.files().IdentityOf(r.inBin), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, JunkSwapTest,
                         ::testing::Combine(::testing::Values(RemovalMode::kDelete, RemovalMode::kMove,
                                                              RemovalMode::kRecycleBin),
                                            ::testing::Range(0, 10)));

TEST_F(JunkEngineTest, AMoveAcrossDrivesSwappedAfterTheCopyRemovesOnlyTheListedFile) {
  Drive('D');
  ASSERT_TRUE(fs().CreateFolder("D:\\Junk"));
  File("C:\\Users\\evil\\sub\\a.tmp", "junk");
  const std::string outside = sim.hostRoot() + "/outside";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  { std::ofstream(outside + "/a.tmp") << "keep"; }
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  sim.files().onRemovalStep = [&](const std::string& step, const std::string&) {
    if (step == "copied") sim.files().SwapForLink("C:\\Users\\evil\\sub", outside);
  };
  Clean(RemovalMode::kMove, "D:\\Junk\\");
  EXPECT_EQ(g.failedCount, 0);
  std::string data;
  ASSERT_TRUE(fs().ReadFileBytes("D:\\Junk\\a.tmp", data));
  EXPECT_EQ(data, "junk");
  std::ifstream in(outside + "/a.tmp");
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "keep");
  // The listed file went from where it really was (the folder moved away).
  EXPECT_FALSE(sim.files().FileExists("C:\\Users\\evil\\sub.away\\a.tmp"));
}

TEST_F(JunkEngineTest, NoVerdictAboutAFolderIsKeptBetweenFiles) {
  // Two files of one folder: the folder becomes a link after the first one
  // went. The second removal sees the link.
  File("C:\\Users\\evil\\sub\\a.tmp", "junk");
  File("C:\\Users\\evil\\sub\\b.tmp", "junk");
  const std::string outside = sim.hostRoot() + "/outside";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  { std::ofstream(outside + "/b.tmp") << "junk"; }
  TSearchJunk& g = Group("C:");
  Scan({"*.tmp"});
  struct stat st;
  ASSERT_EQ(stat(sim.files().HostPath("C:\\Users\\evil\\sub\\b.tmp").c_str(), &st), 0);
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, (outside + "/b.tmp").c_str(), times, 0), 0);
  bool swapped = false;
  sim.files().onRemovalStep = [&](const std::string& step, const std::string& path) {
    if (!swapped && step == "open" && path.find("b.tmp") != std::string::npos)
      swapped = sim.files().SwapForLink("C:\\Users\\evil\\sub", outside) == 0;
  };
  Clean(RemovalMode::kDelete);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(g.failedCount, 1);
  EXPECT_EQ(access((outside + "/b.tmp").c_str(), F_OK), 0);
  ASSERT_EQ(g.failures.size(), 1u);
  EXPECT_EQ(g.failures[0].reason,
            "C:\\Users\\evil\\sub\\b.tmp was left alone: a folder on its way is now a link");
}

}  // namespace
}  // namespace vl::junk
