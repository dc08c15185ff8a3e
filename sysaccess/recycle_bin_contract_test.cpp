// Contract tests of the recycle bin on both backends: natively the sim's
// folder of the drive, under Wine the freedesktop trash below the build folder.
#include <gtest/gtest.h>

#include <chrono>

#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"

namespace vl::sys {
namespace {

using RecycleBinContract = ContractTest;

// A name no earlier run left in the bin.
std::string UniqueName(Platform& p, const std::string& stem, const std::string& ext) {
  auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  return stem + "-" + std::to_string(p.processes->CurrentProcessId()) + "-" + std::to_string(ticks) + ext;
}

TEST_F(RecycleBinContract, OneFileGoesToTheBinAndItsNeighboursStay) {
  std::string why;
  ASSERT_TRUE(env_->RecycleBinIsSandboxed(why)) << why;
  std::string name = UniqueName(p(), "vl-page", ".htm");
  std::string stem = name.substr(0, name.size() - 4);
  std::string path = folder_ + "\\" + name;
  ASSERT_TRUE(fs().WriteFileBytes(path, "recycled"));
  // The page's folder, which the shell would otherwise take along.
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\" + stem + "_files"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\" + stem + "_files\\x.css", "kept"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\other.txt", "kept"));

  EXPECT_EQ(p().shell->SendToRecycleBin(path), 0u);
  EXPECT_FALSE(fs().FileExists(path));
  EXPECT_TRUE(fs().FileExists(folder_ + "\\other.txt"));
  EXPECT_TRUE(fs().FileExists(folder_ + "\\" + stem + "_files\\x.css"));
  std::string inBin = env_->FindRecycled(name);
  ASSERT_FALSE(inBin.empty()) << "not found in the recycle bin";
  std::string back;
  EXPECT_TRUE(fs().ReadFileBytes(inBin, back));
  EXPECT_EQ(back, "recycled");
  env_->ForgetRecycled(inBin);
  // It went (a read-only file would refuse): the file keeps its attributes in the bin.
  EXPECT_TRUE(env_->FindRecycled(name).empty());
}

TEST_F(RecycleBinContract, MissingFileFails) {
  EXPECT_NE(p().shell->SendToRecycleBin(folder_ + "\\none.tmp"), 0u);
}

TEST_F(RecycleBinContract, WildcardsAndRelativePathsAreRefused) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.tmp", "x"));
  EXPECT_EQ(p().shell->SendToRecycleBin(folder_ + "\\*.tmp"), err::kInvalidName);
  EXPECT_EQ(p().shell->SendToRecycleBin("a.tmp"), err::kInvalidName);
  EXPECT_EQ(p().shell->SendToRecycleBin(folder_ + "\\sub\\..\\a.tmp"), err::kInvalidName);
  EXPECT_EQ(p().shell->SendToRecycleBin(folder_ + "\\"), err::kInvalidName);
  EXPECT_TRUE(fs().FileExists(folder_ + "\\a.tmp"));
}

TEST_F(RecycleBinContract, AFileTheBinCannotTakeStaysWhereItIs) {
  std::string why;
  ASSERT_TRUE(env_->RecycleBinIsSandboxed(why)) << why;
  const std::string name = UniqueName(p(), "vl-kept", ".tmp");
  const std::string path = folder_ + "\\" + name;
  ASSERT_TRUE(fs().WriteFileBytes(path, "never destroyed"));
  ASSERT_TRUE(env_->MakeBinRefuse(why)) << why;
  const uint32_t rc = p().shell->SendToRecycleBin(path);
  env_->UndoBinRefusal();
  EXPECT_EQ(rc, err::kCannotRecycle);
  std::string back;
  EXPECT_TRUE(fs().ReadFileBytes(path, back));
  EXPECT_EQ(back, "never destroyed");
  const std::string inBin = env_->FindRecycled(name);
  if (!inBin.empty()) env_->ForgetRecycled(inBin);
  EXPECT_TRUE(inBin.empty());
}

TEST_F(RecycleBinContract, RecycleSeenRefusesAChangedFileAndALinkOnTheWay) {
  std::string why;
  ASSERT_TRUE(env_->RecycleBinIsSandboxed(why)) << why;
  const std::string name = UniqueName(p(), "vl-seen", ".tmp");
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\target"));
  const std::string path = folder_ + "\\target\\" + name;
  ASSERT_TRUE(fs().WriteFileBytes(path, "four"));
  FileEntry e;
  ASSERT_TRUE(fs().GetEntry(path, e));
  const SeenEntry seen = SeenEntry::Of(e);
  EXPECT_EQ(p().shell->RecycleSeen(path, SeenEntry::File(e.size + 1, e.lastWriteTime)), err::kFileChanged);
  if (env_->MakeFolderLink(folder_ + "\\link", folder_ + "\\target")) {
    EXPECT_EQ(p().shell->RecycleSeen(folder_ + "\\link\\" + name, seen), err::kStoppedOnSymlink);
    EXPECT_TRUE(fs().FileExists(path));
    EXPECT_EQ(fs().RemoveSeen(folder_ + "\\link", SeenEntry::Of([&] {
                FileEntry l;
                fs().GetEntry(folder_ + "\\link", l);
                return l;
              }())),
              0u);
  }
  EXPECT_TRUE(env_->FindRecycled(name).empty());
  ASSERT_EQ(p().shell->RecycleSeen(path, seen), 0u);
  EXPECT_FALSE(fs().FileExists(path));
  const std::string inBin = env_->FindRecycled(name);
  ASSERT_FALSE(inBin.empty());
  env_->ForgetRecycled(inBin);
}

}  // namespace
}  // namespace vl::sys
