// Contract tests of the file helpers on both backends.
#include <gmock/gmock.h>

#include <thread>

#include "sysaccess/shell_folders.h"
#include "sysaccess/drive_list.h"
#include "sysaccess/file_time.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"

namespace vl::sys {
namespace {

using FilesContract = ContractTest;

TEST_F(FilesContract, FilesAndFoldersRoundTrip) {
  std::string dir = folder_ + "\\a\\b";
  ASSERT_TRUE(fs().CreateFolder(dir));
  EXPECT_TRUE(fs().DirectoryExists(dir));
  EXPECT_FALSE(fs().FileExists(dir));
  std::string data("\x00\x01zz\xFF", 5);
  ASSERT_TRUE(fs().WriteFileBytes(dir + "\\f.bin", data));
  std::string back;
  ASSERT_TRUE(fs().ReadFileBytes(dir + "\\f.bin", back));
  EXPECT_EQ(back, data);
  EXPECT_TRUE(fs().FileExists(dir + "\\F.BIN"));
  // A trailing blank of a name is ignored, as the command line reduction expects.
  EXPECT_TRUE(fs().FileExists(dir + "\\f.bin "));
  EXPECT_FALSE(fs().DirectoryExists(dir + "\\f.bin"));
  std::string part;
  ASSERT_TRUE(fs().ReadFilePart(dir + "\\f.bin", 2, 10, part));
  EXPECT_EQ(part, "zz\xFF");
  EXPECT_FALSE(fs().ReadFilePart(dir + "\\none.bin", 0, 1, part));
  EXPECT_FALSE(fs().ReadFileBytes(dir + "\\none.bin", back));
}

TEST_F(FilesContract, NonAsciiNames) {
  std::string name = folder_ + "\\\xC3\xBC\xC3\x9F-\xE6\x97\xA5.txt";
  ASSERT_TRUE(fs().WriteFileBytes(name, "x"));
  std::vector<FileEntry> entries;
  ASSERT_TRUE(fs().ListFolder(folder_, entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "\xC3\xBC\xC3\x9F-\xE6\x97\xA5.txt");
}

TEST_F(FilesContract, ListFolderReportsEntriesWithoutDotEntries) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\sub"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\file.txt", std::string(1234, 'x')));
  std::vector<FileEntry> entries;
  ASSERT_TRUE(fs().ListFolder(folder_, entries));
  ASSERT_EQ(entries.size(), 2u);
  for (const auto& e : entries) {
    if (e.name == "sub") {
      EXPECT_TRUE(e.IsFolder());
    } else {
      EXPECT_EQ(e.name, "file.txt");
      EXPECT_FALSE(e.IsFolder());
      EXPECT_EQ(e.size, 1234u);
      EXPECT_GT(e.lastWriteTime, 116444736000000000ull);  // after 1970
    }
  }
  EXPECT_FALSE(fs().ListFolder(folder_ + "\\missing", entries));
}

TEST_F(FilesContract, ReadOnlyFilesNeedTheirAttributeResetBeforeDeletion) {
  std::string f = folder_ + "\\ro.txt";
  ASSERT_TRUE(fs().WriteFileBytes(f, "x"));
  ASSERT_EQ(0u, fs().SetAttributes(f, kAttrReadOnly));
  FileEntry e;
  ASSERT_TRUE(fs().GetEntry(f, e));
  EXPECT_TRUE(e.attributes & kAttrReadOnly);
  EXPECT_EQ(err::kAccessDenied, fs().RemoveFile(f));
  EXPECT_EQ(0u, fs().SetAttributes(f, kAttrNormal));
  EXPECT_EQ(0u, fs().RemoveFile(f));
  EXPECT_FALSE(fs().FileExists(f));
  EXPECT_EQ(err::kFileNotFound, fs().RemoveFile(f));
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\full"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\full\\a", "x"));
  EXPECT_EQ(err::kDirNotEmpty, fs().RemoveFolder(folder_ + "\\full"));
}

TEST_F(FilesContract, DeleteFolderTreeWithModeOneRemovesEverything) {
  std::string top = folder_ + "\\tree";
  ASSERT_TRUE(fs().CreateFolder(top + "\\x\\y\\z"));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\x\\y\\z\\deep.txt", "d"));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\x\\ro.txt", "r"));
  ASSERT_EQ(0u, fs().SetAttributes(top + "\\x\\ro.txt", kAttrReadOnly));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\top.txt", "t"));
  EXPECT_TRUE(DeleteFolderTree(fs(), top + "\\", 1));
  EXPECT_FALSE(fs().DirectoryExists(top));
  EXPECT_TRUE(fs().DirectoryExists(folder_));
}

TEST_F(FilesContract, DeleteFolderTreeWithModeZeroKeepsTheFolder) {
  std::string top = folder_ + "\\tree";
  ASSERT_TRUE(fs().CreateFolder(top + "\\x"));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\x\\f.txt", "f"));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\g.txt", "g"));
  // True only when the folder is gone, so keeping it reports false.
  EXPECT_FALSE(DeleteFolderTree(fs(), top, 0));
  EXPECT_TRUE(fs().DirectoryExists(top));
  std::vector<FileEntry> entries;
  ASSERT_TRUE(fs().ListFolder(top, entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_TRUE(DeleteFolderTree(fs(), folder_ + "\\never-there", 1));
}

TEST_F(FilesContract, DeleteFolderTreeNeverEntersALink) {
  std::string outside = folder_ + "\\outside";
  ASSERT_TRUE(fs().CreateFolder(outside));
  ASSERT_TRUE(fs().WriteFileBytes(outside + "\\precious.txt", "keep me"));
  std::string top = folder_ + "\\tree";
  ASSERT_TRUE(fs().CreateFolder(top));
  ASSERT_TRUE(fs().WriteFileBytes(top + "\\junk.txt", "j"));
  if (!env_->MakeFolderLink(top + "\\link", outside)) GTEST_SKIP() << "no folder links here";
  FileEntry e;
  ASSERT_TRUE(fs().GetEntry(top + "\\link", e));
  EXPECT_TRUE(e.IsReparsePoint());
  EXPECT_TRUE(DeleteFolderTree(fs(), top, 1));
  EXPECT_FALSE(fs().DirectoryExists(top));
  EXPECT_TRUE(fs().FileExists(outside + "\\precious.txt"));
  // A link given as the folder itself is removed as a link.
  ASSERT_TRUE(fs().CreateFolder(top));
  ASSERT_TRUE(env_->MakeFolderLink(top + "\\link2", outside));
  EXPECT_TRUE(DeleteFolderTree(fs(), top + "\\link2", 1));
  EXPECT_TRUE(fs().FileExists(outside + "\\precious.txt"));
}

TEST_F(FilesContract, FileSizeOfFindsTheFirstEntry) {
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\a.dat", std::string(1234, 'a')));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\b.log", std::string(77, 'b')));
  EXPECT_EQ(FileSizeOf(fs(), folder_ + "\\a.dat"), 1234);
  EXPECT_EQ(FileSizeOf(fs(), folder_ + "\\*.log"), 77);
  EXPECT_EQ(FileSizeOf(fs(), folder_ + "\\missing.txt"), 0);
  std::string saved = fs().CurrentFolder();
  ASSERT_TRUE(fs().SetCurrentFolder(folder_));
  EXPECT_EQ(FileSizeOf(fs(), "a.dat"), 1234);
  EXPECT_EQ(FileSizeOf(fs(), ".\\sub\\..\\b.log"), 77);
  fs().SetCurrentFolder(saved);
}

TEST_F(FilesContract, DriveListOffersTheSystemDrive) {
  std::vector<DriveRow> rows = BuildDriveList(fs());
  bool sawC = false;
  for (const auto& r : rows) {
    EXPECT_GE(r.letter, 'C');
    EXPECT_NE(r.letter, 'Z') << "the host root must never be offered";
    if (r.letter == 'C') {
      sawC = true;
      EXPECT_EQ(r.caption.substr(r.caption.size() - 5), " (C:)");
      EXPECT_NE(r.totalText, "0 B");
    }
  }
  EXPECT_TRUE(sawC);
}

TEST_F(FilesContract, FileTimesConvertToCalendarTime) {
  // 2001-02-03 04:05:06.007 UTC.
  uint64_t ft = 126256467060070000ull;
  DateTime utc = FileTimeToDateTime(*p().system, ft, 0);
  ASSERT_TRUE(utc.valid);
  EXPECT_EQ(utc.year, 2001);
  EXPECT_EQ(utc.month, 2);
  EXPECT_EQ(utc.day, 3);
  EXPECT_EQ(utc.hour, 4);
  EXPECT_EQ(utc.minute, 5);
  EXPECT_EQ(utc.second, 6);
  EXPECT_EQ(utc.millisecond, 7);
  uint64_t local;
  ASSERT_TRUE(p().system->FileTimeToLocal(ft, &local));
  DateTime loc = FileTimeToDateTime(*p().system, ft, 1);
  DateTime expect = FileTimeToCalendar(local);
  EXPECT_EQ(loc.hour, expect.hour);
  EXPECT_EQ(loc.day, expect.day);
  EXPECT_FALSE(FileTimeToDateTime(*p().system, 0x8000000000000000ull, 0).valid);
}

TEST_F(FilesContract, RedirectionSwitchIsPerThread) {
  if (!p().system->IsWow64()) GTEST_SKIP() << "not a WOW64 process";
  std::string windows = SpecialFolderPath(*p().shell, 24);
  std::string marker = "vl_redirect_marker.txt";
  ASSERT_TRUE(fs().WriteFileBytes(windows + "SysWOW64\\" + marker, "32"));
  // With redirection on, the system folder of a 32-bit process is SysWOW64.
  EXPECT_TRUE(fs().FileExists(windows + "System32\\" + marker));
  void* saved = nullptr;
  ASSERT_TRUE(p().system->DisableFsRedirection(&saved));
  EXPECT_FALSE(fs().FileExists(windows + "System32\\" + marker));
  bool otherThreadSees = false;
  std::thread t([&] { otherThreadSees = fs().FileExists(windows + "System32\\" + marker); });
  t.join();
  EXPECT_TRUE(otherThreadSees);
  ASSERT_TRUE(p().system->RevertFsRedirection(saved));
  EXPECT_TRUE(fs().FileExists(windows + "System32\\" + marker));
  fs().RemoveFile(windows + "SysWOW64\\" + marker);
}

TEST_F(FilesContract, A64BitProcessHasNothingToRedirect) {
  if (!p().system->Is64BitWindows() || p().system->IsWow64()) GTEST_SKIP() << "not a 64-bit process";
  std::string windows = SpecialFolderPath(*p().shell, 24);
  std::string marker = "vl_redirect_marker.txt";
  ASSERT_TRUE(fs().WriteFileBytes(windows + "SysWOW64\\" + marker, "32"));
  EXPECT_FALSE(fs().FileExists(windows + "System32\\" + marker));
  {
    ScopedFsRedirectionOff off(*p().system);
    EXPECT_TRUE(off.ok());
    EXPECT_FALSE(fs().FileExists(windows + "System32\\" + marker));
  }
  EXPECT_EQ(0u, fs().RemoveFile(windows + "SysWOW64\\" + marker));
}

TEST_F(FilesContract, ANewFileIsNeverCreatedOverAnotherAndCanBeCutBack) {
  const std::string path = folder_ + "\\new.reg";
  EXPECT_EQ(fs().CreateNewFile(path, "first"), 0u);
  EXPECT_EQ(fs().CreateNewFile(path, "second"), err::kFileExists);
  std::string data;
  ASSERT_TRUE(fs().ReadFileBytes(path, data));
  EXPECT_EQ(data, "first");
  EXPECT_EQ(fs().CreateNewFile(folder_ + "\\missing\\x.reg", "x"), err::kPathNotFound);
  ASSERT_TRUE(fs().AppendFileBytes(path, " and more"));
  EXPECT_EQ(fs().TruncateFile(path, 5), 0u);
  ASSERT_TRUE(fs().ReadFileBytes(path, data));
  EXPECT_EQ(data, "first");
  EXPECT_EQ(fs().TruncateFile(folder_ + "\\none.reg", 0), err::kFileNotFound);
}

}  // namespace
}  // namespace vl::sys
