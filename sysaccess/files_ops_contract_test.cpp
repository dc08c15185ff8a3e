// Contract tests of the folder walk and of moving, copying and replacing
// files, on both backends.
#include <gmock/gmock.h>

#include <algorithm>

#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"

namespace vl::sys {
namespace {

using FileOpsContract = ContractTest;

std::string Read(FileSystem& fs, const std::string& path) {
  std::string s;
  EXPECT_TRUE(fs.ReadFileBytes(path, s)) << path;
  return s;
}

std::vector<std::string> Names(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  EXPECT_EQ(fs.WalkFolder(folder, [&](const FileEntry& e) {
              names.push_back(e.name);
              return true;
            }),
            0u);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FileOpsContract, WalkReportsEachEntryOnceWithItsDetails) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\sub\\deeper"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.txt", std::string(300, 'a')));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\sub\\inner.txt", "x"));
  std::vector<FileEntry> seen;
  ASSERT_EQ(fs().WalkFolder(folder_, [&](const FileEntry& e) {
    seen.push_back(e);
    return true;
  }), 0u);
  ASSERT_EQ(seen.size(), 2u);  // one level: the walk does not descend
  for (const auto& e : seen) {
    if (e.name == "sub") {
      EXPECT_TRUE(e.IsFolder());
    } else {
      EXPECT_EQ(e.name, "a.txt");
      EXPECT_FALSE(e.IsFolder());
      EXPECT_EQ(e.size, 300u);
      EXPECT_GT(e.lastWriteTime, 116444736000000000ull);
    }
  }
}

TEST_F(FileOpsContract, WalkStopsWhenTheVisitorSaysSo) {
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\f" + std::to_string(i), "x"));
  int calls = 0;
  EXPECT_EQ(fs().WalkFolder(folder_, [&](const FileEntry&) { return ++calls < 2; }), 0u);
  EXPECT_EQ(calls, 2);
}

TEST_F(FileOpsContract, WalkOfEmptyAndMissingFolders) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\empty"));
  int calls = 0;
  EXPECT_EQ(fs().WalkFolder(folder_ + "\\empty", [&](const FileEntry&) { return ++calls > 0; }), 0u);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(fs().WalkFolder(folder_ + "\\missing", [&](const FileEntry&) { return true; }), err::kPathNotFound);
  std::vector<FileEntry> entries;
  EXPECT_FALSE(fs().ListFolder(folder_ + "\\missing", entries));
}

TEST_F(FileOpsContract, WalkReportsLinksAsThemselves) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\target"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\target\\inside.txt", "x"));
  if (!env_->MakeFolderLink(folder_ + "\\link", folder_ + "\\target")) GTEST_SKIP() << "no folder links here";
  bool sawLink = false;
  ASSERT_EQ(fs().WalkFolder(folder_, [&](const FileEntry& e) {
    if (e.name == "link") {
      sawLink = true;
      EXPECT_TRUE(e.IsReparsePoint());
    }
    EXPECT_NE(e.name, "inside.txt");
    return true;
  }), 0u);
  EXPECT_TRUE(sawLink);
  EXPECT_EQ(0u, fs().RemoveFolder(folder_ + "\\link"));
}

TEST_F(FileOpsContract, MoveFileRenamesAndRefusesAnExistingTarget) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\to"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.tmp", "first"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\to\\a.tmp", "taken"));
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\a.tmp", folder_ + "\\to\\a.tmp"), err::kAlreadyExists);
  EXPECT_EQ(Read(fs(), folder_ + "\\a.tmp"), "first");
  EXPECT_EQ(Read(fs(), folder_ + "\\to\\a.tmp"), "taken");
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\a.tmp", folder_ + "\\to\\a_1.tmp"), 0u);
  EXPECT_FALSE(fs().FileExists(folder_ + "\\a.tmp"));
  EXPECT_EQ(Read(fs(), folder_ + "\\to\\a_1.tmp"), "first");
}

TEST_F(FileOpsContract, MoveFileErrors) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.tmp", "x"));
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\none.tmp", folder_ + "\\b.tmp"), err::kFileNotFound);
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\a.tmp", folder_ + "\\no\\b.tmp"), err::kPathNotFound);
  EXPECT_TRUE(fs().FileExists(folder_ + "\\a.tmp"));
}

TEST_F(FileOpsContract, MoveFileMovesReadOnlyFilesAndFolders) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\ro.txt", "r"));
  ASSERT_EQ(0u, fs().SetAttributes(folder_ + "\\ro.txt", kAttrReadOnly));
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\ro.txt", folder_ + "\\ro2.txt"), 0u);
  EXPECT_EQ(Read(fs(), folder_ + "\\ro2.txt"), "r");
  ASSERT_EQ(0u, fs().SetAttributes(folder_ + "\\ro2.txt", kAttrNormal));
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\d\\e"));
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\d", folder_ + "\\d2"), 0u);
  EXPECT_TRUE(fs().DirectoryExists(folder_ + "\\d2\\e"));
}

TEST_F(FileOpsContract, CopyFileKeepsContentAndTimeAndHonoursOverwrite) {
  std::string data("\x00\x01\xFEz", 4);
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\src.bin", data));
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\src.bin", folder_ + "\\dst.bin", false), 0u);
  EXPECT_EQ(Read(fs(), folder_ + "\\dst.bin"), data);
  FileEntry a, b;
  ASSERT_TRUE(fs().GetEntry(folder_ + "\\src.bin", a));
  ASSERT_TRUE(fs().GetEntry(folder_ + "\\dst.bin", b));
  EXPECT_EQ(a.lastWriteTime, b.lastWriteTime);

  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\old.bin", "old content, longer"));
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\src.bin", folder_ + "\\old.bin", false), err::kFileExists);
  EXPECT_EQ(Read(fs(), folder_ + "\\old.bin"), "old content, longer");
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\src.bin", folder_ + "\\old.bin", true), 0u);
  EXPECT_EQ(Read(fs(), folder_ + "\\old.bin"), data);
}

TEST_F(FileOpsContract, CopyFileErrors) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\src.bin", "new"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\ro.bin", "kept"));
  ASSERT_EQ(0u, fs().SetAttributes(folder_ + "\\ro.bin", kAttrReadOnly));
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\src.bin", folder_ + "\\ro.bin", true), err::kAccessDenied);
  EXPECT_EQ(Read(fs(), folder_ + "\\ro.bin"), "kept");
  ASSERT_EQ(0u, fs().SetAttributes(folder_ + "\\ro.bin", kAttrNormal));
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\none.bin", folder_ + "\\x.bin", true), err::kFileNotFound);
  EXPECT_EQ(fs().CopyFileTo(folder_ + "\\src.bin", folder_ + "\\no\\x.bin", true), err::kPathNotFound);
}

TEST_F(FileOpsContract, ReplaceFileDataSwapsContentAndLeavesNothingBeside) {
  std::string path = folder_ + "\\Vantorel.exe";
  EXPECT_EQ(fs().ReplaceFileData(path, "first"), 0u);  // created when missing
  EXPECT_EQ(Read(fs(), path), "first");
  ASSERT_TRUE(fs().WriteFileBytes(path, std::string(1000, 'o')));
  EXPECT_EQ(fs().ReplaceFileData(path, "new"), 0u);
  EXPECT_EQ(Read(fs(), path), "new");  // nothing of the longer old file left
  EXPECT_THAT(Names(fs(), folder_), ::testing::ElementsAre("Vantorel.exe"));
}

TEST_F(FileOpsContract, ReplaceFileDataFailureLeavesTheOldFile) {
  std::string path = folder_ + "\\locked.exe";
  ASSERT_TRUE(fs().WriteFileBytes(path, "old"));
  ASSERT_EQ(0u, fs().SetAttributes(path, kAttrReadOnly));
  EXPECT_EQ(fs().ReplaceFileData(path, "new"), err::kAccessDenied);
  EXPECT_EQ(Read(fs(), path), "old");
  ASSERT_EQ(0u, fs().SetAttributes(path, kAttrNormal));
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\dir"));
  EXPECT_EQ(fs().ReplaceFileData(folder_ + "\\dir", "new"), err::kAccessDenied);
  EXPECT_EQ(fs().ReplaceFileData(folder_ + "\\no\\x.exe", "new"), err::kPathNotFound);
  EXPECT_THAT(Names(fs(), folder_), ::testing::ElementsAre("dir", "locked.exe"));
}

}  // namespace
}  // namespace vl::sys
