// The junk cleaner end to end in the real program: a junk type added through
// its dialog, a scan of C:, the export, and a clean in each of the three
// modes. Each clean must take exactly the planted files: every other file
// of the prefix stays where it was.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kPlant[] = L"C:\\vljunk_gui\\";
const wchar_t kMask[] = L"*.vlgj";
// Cyrillic, so that names beyond the ANSI code page are found, shown and removed.
const wchar_t kCyrillic[] = L"\x043E\x0442\x0447\x0451\x0442.vlgj";

using Listing = std::set<std::wstring>;

void ListTree(const std::wstring& folder, Listing& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring n = fd.cFileName;
    if (n == L"." || n == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(folder + n + L"\\", out);
    else out.insert(folder + n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

Listing ListDrive() {
  Listing all;
  ListTree(L"C:\\", all);
  return all;
}

// What `before` holds and `after` does not.
Listing Gone(const Listing& before, const Listing& after) {
  Listing gone;
  for (const auto& f : before)
    if (!after.count(f)) gone.insert(f);
  return gone;
}

void Write(const std::wstring& path, const char* data) {
  std::ofstream(path.c_str(), std::ios::binary) << data;
}

class JunkGui : public GuiTestApp {
 protected:
  static void SetUpTestSuite() {
    folderName_ = L"C:\\vltest_gui_junk\\";
    GuiTestApp::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    GuiTestApp::TearDownTestSuite();
    folderName_ = L"C:\\vltest_gui\\";
  }

  // The junk files of one clean, and a file beside them that must stay.
  Listing Plant() {
    CreateDirectoryW(kPlant, nullptr);
    CreateDirectoryW((std::wstring(kPlant) + L"sub").c_str(), nullptr);
    Listing junk = {std::wstring(kPlant) + L"a.vlgj", std::wstring(kPlant) + L"B.VLGJ",
                    std::wstring(kPlant) + L"sub\\a.vlgj", std::wstring(kPlant) + kCyrillic};
    for (const auto& f : junk) Write(f, "junk");
    Write(std::wstring(kPlant) + L"keep.txt", "keep");
    Write(std::wstring(kPlant) + L"sub\\a.vlgj.keep", "keep");
    return junk;
  }

  int RowOf(HWND list, const std::wstring& text) {
    for (int i = 0; i < ListRowCount(list); ++i)
      if (ListCellText(list, i, 0) == text) return i;
    return -1;
  }

  void OpenJunkPage() {
    Click(id::imgMCleanup);
    Click(id::imgJunkFile);
    ASSERT_TRUE(SheetShown(L"tabJunk"));
  }

  // Scans the checked drives for the checked types; true on the result page.
  // Posted: a message box instead of a scan must not hold the test.
  bool Scan() {
    PostMessageW(Control(id::imgJunkScan), BM_CLICK, 0, 0);
    bool message = false;
    WaitFor([&] { return SheetShown(L"tabJunk_Result", 0) || (message = VisibleDialog(L"#32770") != nullptr); },
            180000);
    if (message) {
      std::wstring text;
      Answer(IDOK, &text);
      ADD_FAILURE() << "the scan did not start: " << Narrow(text);
      return false;
    }
    return SheetShown(L"tabJunk_Result", 0);
  }

  // Clean in the mode of `radio`; answers the question with Yes.
  void Clean(int radio) {
    SendMessageW(Control(radio), BM_CLICK, 0, 0);
    PostMessageW(Control(id::imgJunkClean), BM_CLICK, 0, 0);
    std::wstring text;
    ASSERT_TRUE(Answer(IDYES, &text));
    EXPECT_NE(text.find(L"Are you sure to proceed?"), std::wstring::npos) << Narrow(text);
  }

  void ExpectFinished(const wchar_t* total) {
    ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabJunk_Finish", 0); }, 180000));
    HWND finish = Control(id::lstvJunkFinish);
    ASSERT_EQ(ListRowCount(finish), 1);
    EXPECT_EQ(ListCellText(finish, 0, 1), total);
    EXPECT_EQ(ListCellText(finish, 0, 2), L"0");
  }

  static std::wstring TrashFiles() {
    wchar_t xdg[1024] = {};
    if (!GetEnvironmentVariableW(L"XDG_DATA_HOME", xdg, 1024) || xdg[0] != L'/') return L"";
    std::wstring path = std::wstring(L"\\\\?\\unix") + xdg + L"/Trash/files";
    for (auto& c : path)
      if (c == L'/') c = L'\\';
    return path + L"\\";
  }
};

TEST_F(JunkGui, ATypeAddedInTheDialogIsScannedAndExported) {
  OpenJunkPage();
  HWND drives = Control(id::lstvJunkDrives);
  ASSERT_EQ(ListRowCount(drives), 1);  // C: alone: the host's root is never offered
  EXPECT_EQ(ListCellText(drives, 0, 0).substr(ListCellText(drives, 0, 0).size() - 4), L"(C:)");
  HWND types = Control(id::lstvJunkType);
  EXPECT_EQ(ListRowCount(types), 44);
  Shot(L"junk_options");

  PostMessageW(Control(id::imgAddJunk), BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = VisibleDialog(L"VantorelDialog")) != nullptr; }));
  EXPECT_EQ(TextOf(dialog), L"Add a new file type");
  HWND ok = FindById(dialog, id::btnOk);
  ASSERT_NE(ok, nullptr);
  EXPECT_FALSE(IsWindowEnabled(ok));
  SendMessageW(FindById(dialog, id::edtExt), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kMask));
  SendMessageW(FindById(dialog, id::edtDesc), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"GUI test junk"));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(ok) != 0; }));
  Shot(L"junk_type_dialog");
  PostMessageW(ok, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return VisibleDialog(L"VantorelDialog") == nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(types) == 45; }));
  const int row = RowOf(types, kMask);
  ASSERT_GE(row, 0);
  EXPECT_EQ(ListCellText(types, row, 1), L"GUI test junk");

  // Only the new type: Select All off, then its own box.
  Click(id::chkSelectAll_Junk);
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(types, 0) == 0 && ListItemImage(types, row) == 0; }));
  ASSERT_TRUE(ClickListRow(types, row, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(types, row) == 1; }));

  Listing junk = Plant();
  ASSERT_TRUE(Scan());
  HWND result = Control(id::lstvJunkResult);
  ASSERT_EQ(ListRowCount(result), 1);
  EXPECT_EQ(ListCellText(result, 0, 1), L"4");
  EXPECT_EQ(ListCellText(result, 0, 2), L"16 B");
  EXPECT_EQ(TextOf(Control(id::labStatus_Junk)), L"4 File(s)");
  Shot(L"junk_result");

  const wchar_t kFile[] = L"C:\\vl\\junk_gui_export";
  DeleteFileW(L"C:\\vl\\junk_gui_export.html");
  PostMessageW(Control(id::imgJunkExport), BM_CLICK, 0, 0);
  std::wstring suggested;
  ASSERT_TRUE(SaveAs(kFile, &suggested));
  EXPECT_EQ(suggested.rfind(L"JunkFile_", 0), 0u) << Narrow(suggested);
  std::wstring text;
  ASSERT_TRUE(Answer(IDOK, &text));
  EXPECT_EQ(text, L"Data has been exported to C:\\vl\\junk_gui_export.html");
  std::ifstream in("C:\\vl\\junk_gui_export.html", std::ios::binary);
  std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("<strong>Junk Files</strong>"), std::string::npos);
  for (const auto& f : junk) EXPECT_NE(html.find(Narrow(f)), std::string::npos) << Narrow(f);
  EXPECT_EQ(html.find("keep.txt"), std::string::npos);
}

TEST_F(JunkGui, TheRecycleBinTakesExactlyTheListedFiles) {
  const std::wstring trash = TrashFiles();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point into the build folder";
  Click(id::imgCBack5);  // back to the options, the types as they were
  ASSERT_TRUE(SheetShown(L"tabJunk"));
  Listing junk = Plant();
  Listing trashBefore;
  ListTree(trash, trashBefore);
  ASSERT_TRUE(Scan());
  Listing before = ListDrive();
  Clean(id::radDeleteToRec);
  ExpectFinished(L"4");
  Shot(L"junk_finish");
  EXPECT_EQ(Gone(before, ListDrive()), junk);
  Listing trashAfter;
  ListTree(trash, trashAfter);
  EXPECT_EQ(trashAfter.size(), trashBefore.size() + 4);
}

TEST_F(JunkGui, DeleteRemovesExactlyTheListedFiles) {
  Click(id::imgJunkBack);  // the cleanup page
  Click(id::imgJunkFile);
  ASSERT_TRUE(SheetShown(L"tabJunk"));
  Listing junk = Plant();
  ASSERT_TRUE(Scan());
  Listing before = ListDrive();
  Clean(id::radDeleteFile);
  ExpectFinished(L"4");
  EXPECT_EQ(Gone(before, ListDrive()), junk);
}

TEST_F(JunkGui, MoveTakesTheListedFilesIntoADatedFolder) {
  Click(id::imgJunkBack);
  Click(id::imgJunkFile);
  ASSERT_TRUE(SheetShown(L"tabJunk"));
  const std::wstring target = L"C:\\vljunk_gui_moved";
  CreateDirectoryW(target.c_str(), nullptr);
  Listing junk = Plant();
  ASSERT_TRUE(Scan());
  Listing before = ListDrive();
  Clean(id::radRemoveDir);

  // The folder browser: the target chosen as a program would (the string
  // has to live in the program's process).
  HWND browse = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (browse = VisibleDialog(L"#32770")) != nullptr; }));
  DWORD pid = 0;
  GetWindowThreadProcessId(browse, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(proc, nullptr);
  const size_t bytes = (target.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(proc, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(remote && WriteProcessMemory(proc, remote, target.c_str(), bytes, nullptr));
  SendMessageW(browse, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
  Shot(L"junk_move_folder");
  PostMessageW(browse, WM_COMMAND, IDOK, 0);
  ExpectFinished(L"4");
  VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  CloseHandle(proc);

  Listing after = ListDrive();
  EXPECT_EQ(Gone(before, after), junk);
  Listing moved;
  ListTree(target + L"\\", moved);
  ASSERT_EQ(moved.size(), 4u);
  // yyyymmdd_1 below the chosen folder; the second a.vlgj became a_1.vlgj.
  std::set<std::wstring> names;
  std::wstring dated;
  for (const auto& f : moved) {
    names.insert(f.substr(f.rfind(L'\\') + 1));
    dated = f.substr(target.size() + 1, f.rfind(L'\\') - target.size() - 1);
  }
  EXPECT_EQ(names, (std::set<std::wstring>{L"a.vlgj", L"a_1.vlgj", L"B.VLGJ", kCyrillic}));
  EXPECT_EQ(dated.size(), 10u);
  EXPECT_EQ(dated.substr(8), L"_1");
}

TEST_F(JunkGui, AFileUntickedInTheListStaysAndProtectedFoldersAreNotScanned) {
  Click(id::imgJunkBack);
  Click(id::imgJunkFile);
  ASSERT_TRUE(SheetShown(L"tabJunk"));
  // The protected folders, as the prefix has them.
  PostMessageW(Control(id::imgJunkProtect), BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = VisibleDialog(L"VantorelDialog")) != nullptr; }));
  EXPECT_EQ(TextOf(dialog), L"Protected Folders");
  HWND places = FindById(dialog, id::lstvJunkProtect);
  ASSERT_NE(places, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(places) >= 5; })) << ListRowCount(places);
  EXPECT_EQ(ListCellText(places, 0, 0), L"C:\\windows\\");
  for (int r = 0; r < ListRowCount(places); ++r) EXPECT_EQ(ListItemImage(places, r), 1) << r;
  Shot(L"junk_protected_folders");
  PostMessageW(FindById(dialog, id::btnProtectClose), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return VisibleDialog(L"VantorelDialog") == nullptr; }));

  // What the move test left would be found again: out of the way first, so
  // that the next run's move finds no dated folder either.
  Listing moved;
  ListTree(L"C:\\vljunk_gui_moved\\", moved);
  for (const auto& f : moved) {
    DeleteFileW(f.c_str());
    RemoveDirectoryW(f.substr(0, f.rfind(L'\\')).c_str());
  }
  Listing junk = Plant();
  // Windows' own folder is never scanned, its Temp folder is.
  const std::wstring guarded = L"C:\\windows\\vljunk_gui\\";
  const std::wstring temp = L"C:\\windows\\temp\\vljunk_gui.vlgj";
  CreateDirectoryW(L"C:\\windows\\temp", nullptr);
  CreateDirectoryW(guarded.c_str(), nullptr);
  Write(guarded + L"p.vlgj", "system");
  Write(temp, "tmp");
  junk.insert(temp);
  ASSERT_TRUE(Scan());
  HWND files = Control(id::lstvJunkFiles);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(files) == 5; })) << ListRowCount(files);
  EXPECT_LT(RowOf(files, L"p.vlgj"), 0);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(ListItemImage(files, r), 1) << r;
  const int row = RowOf(files, L"B.VLGJ");
  ASSERT_GE(row, 0);
  EXPECT_EQ(ListCellText(files, row, 1), std::wstring(kPlant));
  EXPECT_EQ(ListCellText(files, row, 2), L"4 B");
  EXPECT_EQ(ListCellText(files, row, 4), kMask);
  ASSERT_TRUE(ClickListRow(files, row, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(files, row) == 0; }));
  HWND result = Control(id::lstvJunkResult);
  ASSERT_TRUE(WaitFor([&] { return ListCellText(result, 0, 1) == L"4"; }));
  EXPECT_EQ(ListCellText(result, 0, 2), L"15 B");
  Shot(L"junk_file_list");

  Listing before = ListDrive();
  Clean(id::radDeleteFile);
  ExpectFinished(L"4");
  junk.erase(std::wstring(kPlant) + L"B.VLGJ");
  EXPECT_EQ(Gone(before, ListDrive()), junk);
  EXPECT_EQ(GetFileAttributesW((std::wstring(kPlant) + L"B.VLGJ").c_str()) != INVALID_FILE_ATTRIBUTES, true);
  EXPECT_EQ(GetFileAttributesW((guarded + L"p.vlgj").c_str()) != INVALID_FILE_ATTRIBUTES, true);
  DeleteFileW((std::wstring(kPlant) + L"B.VLGJ").c_str());
  DeleteFileW((guarded + L"p.vlgj").c_str());
  RemoveDirectoryW(guarded.c_str());
}

}  // namespace
}  // namespace vl::gui
