// The optimizer in the real program against the real registry: each profile
// is applied through the window and undone from the backup page, and the
// dump of every key the profile touches (subkeys, values, types and bytes)
// is the same before the run and after the restore. The startup manager
// removes and restores a Run value and a shortcut made by the shell.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kFinish[] = L"The optimization you want has completed.";
const wchar_t kNameSpace[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
    L"{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";

struct Key {
  HKEY root;
  const wchar_t* path;
};

std::wstring LongName(const Key& k) {
  std::wstring root = k.root == HKEY_CURRENT_USER    ? L"HKEY_CURRENT_USER"
                      : k.root == HKEY_CLASSES_ROOT  ? L"HKEY_CLASSES_ROOT"
                                                     : L"HKEY_LOCAL_MACHINE";
  return root + L"\\" + k.path;
}

class OptimizerGui : public GuiTestApp {
 protected:
  static void SetUpTestSuite() {
    folderName_ = L"C:\\vltest_gui_optimizer\\";
    GuiTestApp::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    GuiTestApp::TearDownTestSuite();
    folderName_ = L"C:\\vltest_gui\\";
  }

  static std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Every subkey and value below a key, in name order, with type and bytes:
  // the same comparison as the registry editor's export, without starting a
  // process per key (each start costs seconds under Wine).
  void DumpKey(HKEY key, const std::wstring& name, std::string& out) {
    out += "[" + Narrow(name) + "]\n";
    DWORD subkeys = 0, values = 0, maxSub = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSub, nullptr, &values, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS)
      return;
    std::vector<std::pair<std::wstring, std::string>> rows;
    std::vector<wchar_t> vname(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0; i < values; ++i) {
      DWORD nlen = static_cast<DWORD>(vname.size()), dlen = static_cast<DWORD>(data.size()), type = 0;
      if (RegEnumValueW(key, i, vname.data(), &nlen, nullptr, &type, data.data(), &dlen) != ERROR_SUCCESS) continue;
      std::string row = " type " + std::to_string(type) + ":";
      static const char hex[] = "0123456789abcdef";
      for (DWORD b = 0; b < dlen; ++b) (row += hex[data[b] >> 4]) += hex[data[b] & 15];
      rows.emplace_back(std::wstring(vname.data(), nlen), row);
    }
    std::sort(rows.begin(), rows.end());
    for (const auto& [n, row] : rows) out += "\"" + Narrow(n) + "\"" + row + "\n";
    std::vector<std::wstring> names;
    std::vector<wchar_t> sname(maxSub + 2);
    for (DWORD i = 0; i < subkeys; ++i) {
      DWORD len = static_cast<DWORD>(sname.size());
      if (RegEnumKeyExW(key, i, sname.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        names.emplace_back(sname.data(), len);
    }
    std::sort(names.begin(), names.end());
    for (const std::wstring& n : names) {
      HKEY sub;
      if (RegOpenKeyExW(key, n.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &sub) != ERROR_SUCCESS) {
        out += "[" + Narrow(name + L"\\" + n) + "] unreadable\n";
        continue;
      }
      DumpKey(sub, name + L"\\" + n, out);
      RegCloseKey(sub);
    }
  }
  // Each key as it stands, one after the other; a missing key says so.
  std::string Export(const std::vector<Key>& keys) {
    std::string all;
    for (const Key& k : keys) {
      HKEY h;
      if (RegOpenKeyExW(k.root, k.path, 0, KEY_READ | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS) {
        all += "[" + Narrow(LongName(k)) + "] missing\n";
        continue;
      }
      DumpKey(h, LongName(k), all);
      RegCloseKey(h);
    }
    return all;
  }
  static void MakeKey(HKEY root, const std::wstring& path) {
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegCloseKey(h);
  }
  static void SetValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                       DWORD size) {
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
  }
  bool OpenTool(int item, const wchar_t* sheet) {
    Click(id::imgMOptimize);
    if (!SheetShown(L"tabOptimize")) return false;
    return ClickListRow(Control(id::lstvOptimize), item, false) && SheetShown(sheet);
  }
  int RowOf(HWND list, const std::wstring& caption) {
    for (int r = 0; r < ListRowCount(list); ++r)
      if (ListCellText(list, r, 0) == caption) return r;
    return -1;
  }
  // Runs the profile with every option ticked, then restores its backup
  // from the backup page.
  void RunAndUndo(int tool, const wchar_t* sheet, int radio, int list, int options, int button,
                  const std::vector<Key>& keys, const wchar_t* shot) {
    for (const Key& k : keys) MakeKey(k.root, k.path);
    const std::string before = Export(keys);
    ASSERT_TRUE(OpenTool(tool, sheet));
    Click(radio);
    if (list) {
      for (int i = 0; i < options; ++i) ASSERT_TRUE(SetChecked(Control(list), i, true));
    }
    Shot((std::wstring(shot) + L"_page").c_str());
    Click(button);
    ASSERT_TRUE(SheetShown(L"tabOptimize_Finish", 120000));
    EXPECT_EQ(TextOf(Control(id::labOptimize_Finish_Desc)).rfind(kFinish, 0), 0u)
        << Narrow(TextOf(Control(id::labOptimize_Finish_Desc)));
    Shot(shot);
    EXPECT_NE(Export(keys), before) << "the profile changed nothing";

    Click(id::imgMBackup);
    ASSERT_TRUE(SheetShown(L"tabBackup"));
    Click(id::imgOBackup);
    HWND backups = Control(id::lstvOBackup);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(backups) && ListRowCount(backups) >= 1; }));
    ASSERT_TRUE(SelectRow(backups, 0));  // newest first
    PostMessageW(Control(id::imgBRestore), BM_CLICK, 0, 0);
    std::wstring text;
    ASSERT_TRUE(Answer(IDYES, &text));
    ASSERT_TRUE(Answer(IDOK, &text, 120000));
    EXPECT_EQ(text, L"The registry was restored successfully!");
    EXPECT_EQ(Export(keys), before);
  }
};

TEST_F(OptimizerGui, TheNetworkProfileIsUndoneByItsBackup) {
  // A tree for option 0 to delete, and a value the run writes twice.
  MakeKey(HKEY_LOCAL_MACHINE, std::wstring(kNameSpace) + L"\\VlSub");
  SetValue(HKEY_LOCAL_MACHINE, kNameSpace, nullptr, REG_SZ, L"Printers", sizeof L"Printers");
  const DWORD x = 7, delay = 240;
  SetValue(HKEY_LOCAL_MACHINE, std::wstring(kNameSpace) + L"\\VlSub", L"x", REG_DWORD, &x, sizeof x);
  SetValue(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"TcpTimedWaitDelay",
           REG_DWORD, &delay, sizeof delay);
  RunAndUndo(0, L"tabOptimize_Network", id::radgNetwork3, id::chklstNetwork, 5, id::imgOptimizeN,
             {{HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\ServiceProvider"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters"},
              {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace"}},
             L"optimize_network");
}

TEST_F(OptimizerGui, TheDiskCacheProfileIsUndoneByItsBackup) {
  RunAndUndo(1, L"tabOptimize_DiskCache", id::radgDiskCache1, id::chklstDiskCache, 8, id::imgOptimizeD,
             {{HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\PriorityControl"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\CrashControl"}},
             L"optimize_disk_cache");
}

TEST_F(OptimizerGui, TheDesktopProfileIsUndoneByItsBackup) {
  // Maximum Performance deletes this value; the restore puts it back.
  const BYTE banner[] = {1, 2, 3};
  SetValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", L"NoStartBanner",
           REG_BINARY, banner, sizeof banner);
  RunAndUndo(2, L"tabOptimize_Desktop", id::radgDesktop1, 0, 0, id::imgOptimizeDT,
             {{HKEY_CLASSES_ROOT, L"CLSID\\{00021400-0000-0000-C000-000000000046}"},
              {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
              {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Update"},
              {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"},
              {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"}},
             L"optimize_desktop");
}

TEST_F(OptimizerGui, TheFileSystemProfileIsUndoneByItsBackup) {
  RunAndUndo(3, L"tabOptimize_FileSystem", id::radgFileSystem1, id::chklstFileSystem, 7, id::imgOptimizeF,
             {{HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\FileSystem"},
              {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\FileSystem\\CDFS"},
              {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\MediaPlayer\\Player\\Settings"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug"},
              {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting"},
              {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\ERSvc"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction"},
              {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout"}},
             L"optimize_file_system");
}

TEST_F(OptimizerGui, AStartupRunValueAndAShellMadeShortcutAreRemovedAndRestored) {
  const std::wstring tool = folder_ + L"vl_startup_tool.exe";
  std::ofstream(tool.c_str(), std::ios::binary) << "MZ";
  const wchar_t kName[] = L"VlGuiStartupTool";
  const std::wstring data = L"\"" + tool + L"\" /tray";
  SetValue(HKEY_CURRENT_USER, kRunKey, kName, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * 2));
  wchar_t startup[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, 0, startup), S_OK);
  CreateDirectoryW(startup, nullptr);
  const std::wstring link = std::wstring(startup) + L"\\VlGuiTool.lnk";
  {
    CoInitialize(nullptr);
    IShellLinkW* sl = nullptr;
    IPersistFile* pf = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&sl))));
    sl->SetPath(tool.c_str());
    ASSERT_TRUE(SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))));
    ASSERT_TRUE(SUCCEEDED(pf->Save(link.c_str(), TRUE)));
    pf->Release();
    sl->Release();
  }
  const std::string linkBytes = ReadAll(link);
  ASSERT_FALSE(linkBytes.empty());
  auto runValue = [&]() -> std::wstring {
    wchar_t buf[512] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &h) != ERROR_SUCCESS) return L"";
    LONG rc = RegQueryValueExW(h, kName, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_SZ ? buf : L"";
  };

  ASSERT_TRUE(OpenTool(4, L"tabOptimize_Startup"));
  HWND active = Control(id::lstvSRemove);
  ASSERT_TRUE(WaitFor([&] { return RowOf(active, kName) >= 0 && RowOf(active, L"VlGuiTool.lnk") >= 0; }));
  EXPECT_EQ(ListCellText(active, RowOf(active, L"VlGuiTool.lnk"), 1), tool);
  ASSERT_TRUE(ClickListRow(active, RowOf(active, kName), true));
  ASSERT_TRUE(ClickListRow(active, RowOf(active, L"VlGuiTool.lnk"), true));
  Shot(L"startup_ticked");
  // The buttons wait for the list loaders.
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(Control(id::imgStartupRemove)) != FALSE; }));
  PostMessageW(Control(id::imgStartupRemove), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  EXPECT_EQ(text, L"Are you sure to remove the item from the Startup List?\rYou could view or recovery the item from "
                  L"the RestoreList.");
  ASSERT_TRUE(WaitFor([&] { return RowOf(active, kName) < 0 && RowOf(active, L"VlGuiTool.lnk") < 0; }));
  EXPECT_EQ(runValue(), L"");
  EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadAll(folder_ + L"backup\\lnk\\VlGuiTool.lnk"), linkBytes);
  Shot(L"startup_removed");

  Click(id::imgSRestore);
  HWND removed = Control(id::lstvSRestore);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(removed) && RowOf(removed, kName) >= 0; }));
  ASSERT_TRUE(ClickListRow(removed, RowOf(removed, kName), true));
  ASSERT_TRUE(ClickListRow(removed, RowOf(removed, L"VlGuiTool.lnk"), true));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(Control(id::imgStartupRestore)) != FALSE; }));
  Click(id::imgStartupRestore);
  ASSERT_TRUE(WaitFor([&] { return RowOf(removed, kName) < 0 && RowOf(removed, L"VlGuiTool.lnk") < 0; }));
  EXPECT_EQ(runValue(), data);
  EXPECT_EQ(ReadAll(link), linkBytes);
  EXPECT_EQ(GetFileAttributesW((folder_ + L"backup\\lnk\\VlGuiTool.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
  Click(id::imgSRemove);
  EXPECT_TRUE(WaitFor([&] { return RowOf(active, kName) >= 0 && RowOf(active, L"VlGuiTool.lnk") >= 0; }));

  HKEY h;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
    RegDeleteValueW(h, kName);
    RegCloseKey(h);
  }
  DeleteFileW(link.c_str());
}

}  // namespace
}  // namespace vl::gui
