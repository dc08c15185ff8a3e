// Contract tests of the folder walk and of moving, copying and replacing
// files, on both backends.
#include <gmock/gmock.h>

#include <algorithm>
#include <memory>

#include "sysaccess/folder_tree.h"
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

// --- removals and moves through a checked handle -------------------------------

SeenEntry SeenNow(FileSystem& fs, const std::string& path) {
  FileEntry e;
  EXPECT_TRUE(fs.GetEntry(path, e)) << path;
  return SeenEntry::Of(e);
}

TEST_F(FileOpsContract, RemoveSeenTakesTheSeenFileAndRefusesAChangedOne) {
  const std::string path = folder_ + "\\a.tmp";
  ASSERT_TRUE(fs().WriteFileBytes(path, "four"));
  const SeenEntry seen = SeenNow(fs(), path);
  ASSERT_TRUE(fs().WriteFileBytes(path, "longer now"));
  EXPECT_EQ(fs().RemoveSeen(path, seen), err::kFileChanged);
  EXPECT_EQ(Read(fs(), path), "longer now");
  EXPECT_EQ(fs().RemoveSeen(path, SeenEntry::Folder()), err::kFileChanged);
  EXPECT_TRUE(fs().FileExists(path));
  EXPECT_EQ(fs().RemoveSeen(path, SeenNow(fs(), path)), 0u);
  EXPECT_FALSE(fs().FileExists(path));
  EXPECT_EQ(fs().RemoveSeen(path, seen), err::kFileNotFound);
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\no\\a.tmp", seen), err::kPathNotFound);
}

TEST_F(FileOpsContract, RemoveSeenClearsReadOnlyThroughTheHandleAndKeepsItWhenTheDeleteFails) {
  const std::string path = folder_ + "\\ro.tmp";
  ASSERT_TRUE(fs().WriteFileBytes(path, "r"));
  ASSERT_EQ(fs().SetAttributes(path, kAttrReadOnly | kAttrHidden), 0u);
  const SeenEntry seen = SeenNow(fs(), path);
  {
    // Held without delete sharing (as another program may hold it): refused,
    // and the attributes stay as they were.
    std::unique_ptr<EntryHold> hold;
    ASSERT_EQ(fs().HoldSeen(path, seen, false, hold), 0u);
    EXPECT_EQ(fs().RemoveSeen(path, seen), err::kSharingViolation);
    FileEntry e;
    ASSERT_TRUE(fs().GetEntry(path, e));
    EXPECT_TRUE(e.attributes & kAttrReadOnly);
  }
  EXPECT_EQ(fs().RemoveSeen(path, seen), 0u);
  EXPECT_FALSE(fs().FileExists(path));
}

TEST_F(FileOpsContract, RemoveSeenTakesEmptyFoldersOnly) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\full\\inner"));
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\empty"));
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\full", SeenEntry::Folder()), err::kDirNotEmpty);
  EXPECT_TRUE(fs().DirectoryExists(folder_ + "\\full\\inner"));
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\empty", SeenEntry::File(0, 0)), err::kFileChanged);
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\empty", SeenEntry::Folder()), 0u);
  EXPECT_FALSE(fs().DirectoryExists(folder_ + "\\empty"));
}

TEST_F(FileOpsContract, NothingIsRemovedOrMovedThroughALinkOnTheWay) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\target"));
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\to"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\target\\victim.txt", "precious"));
  if (!env_->MakeFolderLink(folder_ + "\\link", folder_ + "\\target")) GTEST_SKIP() << "no folder links here";
  // Through the link the file looks like any other.
  const std::string viaLink = folder_ + "\\link\\victim.txt";
  const SeenEntry seen = SeenNow(fs(), viaLink);
  EXPECT_FALSE(seen.link);
  EXPECT_EQ(fs().RemoveSeen(viaLink, seen), err::kStoppedOnSymlink);
  EXPECT_EQ(fs().MoveSeen(viaLink, folder_ + "\\to\\victim.txt", seen), err::kStoppedOnSymlink);
  std::unique_ptr<EntryHold> hold;
  EXPECT_EQ(fs().HoldSeen(viaLink, seen, true, hold), err::kStoppedOnSymlink);
  EXPECT_EQ(hold, nullptr);
  EXPECT_EQ(Read(fs(), folder_ + "\\target\\victim.txt"), "precious");
  EXPECT_FALSE(fs().FileExists(folder_ + "\\to\\victim.txt"));
  // The link itself is no folder to remove, and goes only as a link.
  FileEntry link;
  ASSERT_TRUE(fs().GetEntry(folder_ + "\\link", link));
  EXPECT_TRUE(link.IsReparsePoint());
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\link", SeenEntry::Folder()), err::kStoppedOnSymlink);
  EXPECT_EQ(fs().RemoveSeen(folder_ + "\\link", SeenEntry::Of(link)), 0u);
  EXPECT_FALSE(fs().DirectoryExists(folder_ + "\\link"));
  EXPECT_EQ(Read(fs(), folder_ + "\\target\\victim.txt"), "precious");
}

TEST_F(FileOpsContract, NothingIsRemovedMovedOrHeldThroughALinkMadeBeforehand) {
  std::string link, target;
  if (!env_->FixtureFolderLink(link, target)) GTEST_SKIP() << "no folder link made for the test";
  ASSERT_TRUE(fs().WriteFileBytes(target + "\\victim.txt", "precious"));
  const std::string viaLink = link + "\\victim.txt";
  const SeenEntry seen = SeenNow(fs(), viaLink);
  EXPECT_EQ(fs().RemoveSeen(viaLink, seen), err::kStoppedOnSymlink);
  EXPECT_EQ(fs().MoveSeen(viaLink, folder_ + "\\moved.txt", seen), err::kStoppedOnSymlink);
  std::unique_ptr<EntryHold> hold;
  EXPECT_EQ(fs().HoldSeen(viaLink, seen, true, hold), err::kStoppedOnSymlink);
  EXPECT_EQ(p().shell->RecycleSeen(viaLink, seen), err::kStoppedOnSymlink);
  // A folder tree named through the link, or the link itself: nothing behind it goes.
  DeleteFolderTree(fs(), link, 0);
  EXPECT_EQ(Read(fs(), target + "\\victim.txt"), "precious");
  EXPECT_FALSE(fs().FileExists(folder_ + "\\moved.txt"));
}

TEST_F(FileOpsContract, MoveSeenRenamesThroughTheHandleAndNeverReplaces) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\to"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.tmp", "first"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\to\\a.tmp", "taken"));
  const SeenEntry seen = SeenNow(fs(), folder_ + "\\a.tmp");
  EXPECT_EQ(fs().MoveSeen(folder_ + "\\a.tmp", folder_ + "\\to\\a.tmp", seen), err::kAlreadyExists);
  EXPECT_EQ(Read(fs(), folder_ + "\\to\\a.tmp"), "taken");
  EXPECT_EQ(fs().MoveSeen(folder_ + "\\a.tmp", folder_ + "\\to\\a_1.tmp", SeenEntry::File(99, 0)),
            err::kFileChanged);
  EXPECT_EQ(fs().MoveSeen(folder_ + "\\a.tmp", folder_ + "\\to\\a_1.tmp", seen), 0u);
  EXPECT_FALSE(fs().FileExists(folder_ + "\\a.tmp"));
  EXPECT_EQ(Read(fs(), folder_ + "\\to\\a_1.tmp"), "first");
  EXPECT_EQ(fs().MoveSeen(folder_ + "\\a.tmp", folder_ + "\\to\\a_2.tmp", seen), err::kFileNotFound);
}

TEST_F(FileOpsContract, AHoldKeepsTheFoldersOnTheWayFromBeingRenamed) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\sub\\deeper"));
  const std::string path = folder_ + "\\sub\\deeper\\f.txt";
  ASSERT_TRUE(fs().WriteFileBytes(path, "x"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\sub\\other.txt", "o"));
  {
    std::unique_ptr<EntryHold> hold;
    ASSERT_EQ(fs().HoldSeen(path, SeenNow(fs(), path), true, hold), 0u);
    EXPECT_NE(fs().MoveFileTo(folder_ + "\\sub", folder_ + "\\sub2"), 0u);
    EXPECT_NE(fs().MoveFileTo(folder_ + "\\sub\\deeper", folder_ + "\\sub\\deeper2"), 0u);
    // Other files of a held folder move freely, and so does the entry held
    // with delete sharing.
    EXPECT_EQ(fs().MoveFileTo(folder_ + "\\sub\\other.txt", folder_ + "\\sub\\other2.txt"), 0u);
    EXPECT_EQ(fs().MoveFileTo(path, folder_ + "\\sub\\deeper\\g.txt"), 0u);
    EXPECT_EQ(fs().MoveFileTo(folder_ + "\\sub\\deeper\\g.txt", path), 0u);
  }
  {
    std::unique_ptr<EntryHold> hold;
    ASSERT_EQ(fs().HoldSeen(path, SeenNow(fs(), path), false, hold), 0u);
    EXPECT_EQ(fs().MoveFileTo(path, folder_ + "\\sub\\deeper\\g.txt"), err::kSharingViolation);
    EXPECT_EQ(fs().RemoveFile(path), err::kSharingViolation);
  }
  EXPECT_EQ(fs().MoveFileTo(folder_ + "\\sub", folder_ + "\\sub2"), 0u);
  EXPECT_TRUE(fs().FileExists(folder_ + "\\sub2\\deeper\\f.txt"));
}

}  // namespace
}  // namespace vl::sys
