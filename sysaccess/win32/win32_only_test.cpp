// What only the real system can prove: the process knows its bitness, the real
// registry editor imports what ExportValue recorded byte for byte and exports
// what our reader reads, and shortcut files made by the shell link object read
// the same through the shell and through our own reader of the format.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gmock/gmock.h>

#include "sysaccess/drive_list.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/shortcut.h"
#include "sysaccess/test_env.h"
#include "sysaccess/text.h"
#include "sysaccess/version_info.h"
#include "sysaccess/win32/wide.h"
#include "sysaccess/win32/win32_platform.h"

namespace vl::sys {
namespace {

std::string Sz(const std::string& text) { return Utf8ToUtf16Bytes(text) + std::string(2, '\0'); }

using Win32Only = ContractTest;

TEST_F(Win32Only, TheProcessKnowsItsBitness) {
  // Both builds run in a 64-bit prefix. The i686 one is a WOW64 process, so
  // the contract tests exercise the 64-bit view and the redirection switch
  // for real; the x86_64 one has one view and nothing to redirect.
  EXPECT_TRUE(p().system->Is64BitWindows());
  if (sizeof(void*) == 4) {
    EXPECT_TRUE(p().system->IsWow64());
    EXPECT_EQ(mask_, kMaskAll64);
    EXPECT_FALSE(p().system->EnvironmentVariable("PROCESSOR_ARCHITEW6432").empty());
  } else {
    EXPECT_FALSE(p().system->IsWow64());
    EXPECT_EQ(mask_, kMaskAll);
    EXPECT_EQ(p().system->EnvironmentVariable("PROCESSOR_ARCHITECTURE"), "AMD64");
  }
}

TEST_F(Win32Only, TheSystemDriveIsNoHostRoot) {
  // The sandbox prefix has no drive that maps the host's "/" (its z: link is
  // removed before anything runs), so no drive may be taken for one; one
  // that does is never offered by the drive list.
  EXPECT_FALSE(fs().IsHostRoot("C:\\"));
  for (const DriveRow& r : BuildDriveList(fs())) EXPECT_FALSE(fs().IsHostRoot(std::string(1, r.letter) + ":\\"));
}

TEST_F(Win32Only, TheProgramsOwnPathNamesItsFile) {
  // A copy under another name finds itself, not "Vantorel.exe".
  const std::string path = ProgramPath();
  const std::string lower = ToLowerText(path);
  EXPECT_EQ(lower.substr(lower.size() - std::string("\\vl_sysaccess_tests.exe").size()), "\\vl_sysaccess_tests.exe");
  EXPECT_EQ(ProgramDirectory(), path.substr(0, path.rfind('\\') + 1));
  EXPECT_TRUE(fs().FileExists(path));
}

struct RoundTripValue {
  const char* name;
  uint32_t type;
  std::string bytes;
};

void RoundTrip(ContractTest& t, RegRoot root, const std::string& key, const std::vector<RoundTripValue>& values,
               Registry& reg, FileSystem& fs, System& sys, const std::string& folder, uint32_t mask) {
  std::vector<std::string> lines = {kRegHeaderV5};
  for (const auto& v : values) reg.ExportValue(root, key, v.name, lines, mask);
  ASSERT_EQ(lines.size(), 1 + 2 * values.size());
  std::string file = folder + "\\round trip.reg";
  ASSERT_TRUE(SaveRegFile(fs, file, lines));
  ASSERT_TRUE(reg.DeleteKey(root, key, mask));
  ASSERT_FALSE(reg.KeyExists(root, key, mask));
  ASSERT_TRUE(sys.RunRegistryEditor("/s \"" + file + "\"", 60000));
  for (const auto& v : values) {
    RegData d;
    ScopedKey k(reg.api(), root, key, mask);
    ASSERT_TRUE(k.ok()) << key;
    ASSERT_EQ(reg.api().QueryValue(k.get(), v.name, 1 << 16, &d), kErrSuccess) << v.name;
    EXPECT_EQ(d.type, v.type) << v.name;
    EXPECT_EQ(d.bytes, v.bytes) << v.name;
  }
}

std::vector<RoundTripValue> EveryType() {
  return {
      {"Quoted \"name\" \\ here", kRegSz, Sz("C:\\Program Files\\\"App\"\\ end\\")},
      {"Plain", kRegSz, Sz("")},
      {"Expand", kRegExpandSz, Sz("%SystemRoot%\\system32")},
      {"Multi", kRegMultiSz, Sz("one") + Sz("two \xC3\xA9") + std::string(2, '\0')},
      {"Binary", kRegBinary, std::string("\x00\xFF\x10\x80\x7F", 5)},
      {"EmptyBinary", kRegBinary, ""},
      {"Dword", kRegDword, std::string("\x78\x56\x34\x12", 4)},
      {"Gr\xC3\xBC\xC3\x9F" "e", kRegSz, Sz("\xE6\x97\xA5\xE6\x9C\xAC \xD0\x96 \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC")},
      {"Lines", kRegSz, Sz("first\r\nsecond")},
  };
}

TEST_F(Win32Only, RegistryEditorImportsWhatExportValueRecordedByteForByte) {
  std::string key = userKey_ + "\\RoundTrip";
  MakeKey(kHKCU, key);
  for (const auto& v : EveryType()) SetRaw(kHKCU, key, v.name, v.type, v.bytes);
  RoundTrip(*this, kHKCU, key, EveryType(), reg(), fs(), *p().system, folder_, mask_);
}

TEST_F(Win32Only, RegistryEditorRestoresMachineValuesIntoThe64BitView) {
  std::string key = machineKey_ + "\\RoundTrip";
  MakeKey(kHKLM, key);
  for (const auto& v : EveryType()) SetRaw(kHKLM, key, v.name, v.type, v.bytes);
  RoundTrip(*this, kHKLM, key, EveryType(), reg(), fs(), *p().system, folder_, kMaskAll64);
  EXPECT_FALSE(reg().KeyExists(kHKLM, key, kMaskAll | kWow64Key32));  // not in the 32-bit view
}

// A registry link inside a tree: the backup export refuses the tree instead
// of following the link into a key that is not being removed.
TEST_F(Win32Only, ABackupExportRefusesATreeWithARegistryLink) {
  const std::string target = machineKey_ + "\\LinkTarget";
  SetRaw(kHKLM, target, "kept", kRegSz, Sz("x"));
  const std::string tree = machineKey_ + "\\Tree";
  MakeKey(kHKLM, tree);
  HKEY link = nullptr;
  const REGSAM view = KEY_WOW64_64KEY;
  LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(tree + "\\Link").c_str(), 0, nullptr,
                            REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_CREATE_LINK | view,
                            nullptr, &link, nullptr);
  if (rc != ERROR_SUCCESS) GTEST_SKIP() << "registry links cannot be made here (error " << rc << ")";
  const std::wstring path = L"\\REGISTRY\\MACHINE\\" + win32::Wide(target);
  rc = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(path.data()),
                      static_cast<DWORD>(path.size() * sizeof(wchar_t)));
  RegCloseKey(link);
  ASSERT_EQ(rc, ERROR_SUCCESS);
  EXPECT_TRUE(api().IsLink(kHKLM, tree + "\\Link", kMaskAll64));
  EXPECT_FALSE(api().IsLink(kHKLM, target, kMaskAll64));
  RegTreeExport exported = ExportRegTreeForBackup(api(), kHKLM, tree, kMaskAll64);
  EXPECT_FALSE(exported.whole());
  EXPECT_NE(exported.problem.find("registry link"), std::string::npos) << exported.problem;
  // The link itself goes away through a handle that does not follow it.
  HKEY own = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(tree + "\\Link").c_str(), REG_OPTION_OPEN_LINK,
                    DELETE | view, &own) == ERROR_SUCCESS) {
    RegDeleteKeyW(own, L"");
    RegCloseKey(own);
  }
  EXPECT_EQ(GetRaw(kHKLM, target, "kept").bytes, Sz("x"));
}

TEST_F(Win32Only, OurReaderReadsTheRegistryEditorsOwnExport) {
  std::string key = userKey_ + "\\Exported";
  MakeKey(kHKCU, key + "\\Child");
  for (const auto& v : EveryType()) SetRaw(kHKCU, key, v.name, v.type, v.bytes);
  SetRaw(kHKCU, key, "LongBinary", kRegBinary, std::string(300, '\x5A'));
  std::string file = folder_ + "\\export.reg";
  ASSERT_TRUE(p().system->RunRegistryEditor("/e \"" + file + "\" \"HKEY_CURRENT_USER\\" + key + "\"", 60000));
  std::string bytes;
  ASSERT_TRUE(fs().ReadFileBytes(file, bytes));
  RegFileContent content;
  ASSERT_TRUE(ParseRegFile(bytes, &content));
  EXPECT_EQ(content.version, 5);
  EXPECT_THAT(content.errors, ::testing::IsEmpty());
  size_t matched = 0;
  for (const auto& op : content.ops) {
    if (op.kind != RegFileOp::kSetValue) continue;
    EXPECT_EQ(op.key, key);
    RegData d = GetRaw(kHKCU, key, op.name);
    EXPECT_EQ(op.data.type, d.type) << op.name;
    EXPECT_EQ(op.data.bytes, d.bytes) << op.name;
    ++matched;
  }
  EXPECT_EQ(matched, EveryType().size() + 1);
}

// Shortcuts made by the shell link object.
struct LinkFields {
  std::string target, args, workDir, description, icon;
  int iconIndex = 0;
  WORD hotKey = 0;
  int show = SW_SHOWNORMAL;
};

bool MakeShortcut(const std::string& file, const LinkFields& f) {
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link)));
  if (ok) {
    link->SetPath(win32::Wide(f.target).c_str());
    if (!f.args.empty()) link->SetArguments(win32::Wide(f.args).c_str());
    if (!f.workDir.empty()) link->SetWorkingDirectory(win32::Wide(f.workDir).c_str());
    if (!f.description.empty()) link->SetDescription(win32::Wide(f.description).c_str());
    if (!f.icon.empty()) link->SetIconLocation(win32::Wide(f.icon).c_str(), f.iconIndex);
    if (f.hotKey) link->SetHotkey(f.hotKey);
    link->SetShowCmd(f.show);
    ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
         SUCCEEDED(persist->Save(win32::Wide(file).c_str(), TRUE));
  }
  if (persist) persist->Release();
  if (link) link->Release();
  return ok;
}

class Win32Shortcuts : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    CoInitialize(nullptr);
  }
  void TearDown() override {
    CoUninitialize();
    ContractTest::TearDown();
  }
};

TEST_F(Win32Shortcuts, ShellAndOurFormatReaderAgree) {
  ASSERT_TRUE(fs().CreateFolder(folder_ + "\\Apps\\\xC3\xA4\xE6\x97\xA5"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\Apps\\tool.exe", "MZ"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\Apps\\\xC3\xA4\xE6\x97\xA5\\b\xC3\xA4r.exe", "MZ"));
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\Apps\\b\xC3\xA4r.exe", "MZ"));
  // Wine's link object keeps file paths in the ANSI code page only, and does
  // not restore the show command on load; there the shell's own answers for
  // those are not the reference.
  bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  std::vector<std::pair<std::string, LinkFields>> links;
  LinkFields plain;
  plain.target = folder_ + "\\Apps\\tool.exe";
  links.push_back({"plain", plain});
  LinkFields full = plain;
  full.args = "-x \"quoted arg\"";
  full.workDir = folder_ + "\\Apps";
  full.description = "The tool";
  full.icon = folder_ + "\\Apps\\icons.dll";
  full.iconIndex = 3;
  full.hotKey = 0x0641;
  full.show = SW_SHOWMAXIMIZED;
  links.push_back({"full", full});
  LinkFields uni;
  uni.target = folder_ + "\\Apps\\\xC3\xA4\xE6\x97\xA5\\b\xC3\xA4r.exe";
  LinkFields latin;
  latin.target = folder_ + "\\Apps\\b\xC3\xA4r.exe";
  latin.description = "\xC3\xA9t\xC3\xA9";
  latin.show = SW_SHOWMINIMIZED;
  links.push_back({"latin", latin});
  uni.show = SW_SHOWMINNOACTIVE;
  links.push_back({"unicode", uni});

  std::string out = "C:\\vl_fixtures";
  fs().CreateFolder(out);
  for (const auto& [name, fields] : links) {
    std::string file = folder_ + "\\" + name + ".lnk";
    ASSERT_TRUE(MakeShortcut(file, fields)) << name;
    TLinkInfo shell, ours;
    ASSERT_TRUE(ReadShortcut(fs(), *p().shell, file, shell)) << name;
    if (!wine || name != "unicode") {
      EXPECT_TRUE(EqualsNoCase(shell.path, fields.target)) << shell.path;
    }
    std::string bytes;
    ASSERT_TRUE(fs().ReadFileBytes(file, bytes));
    ASSERT_TRUE(ParseShortcutFile(bytes, ours)) << name;
    EXPECT_EQ(ours.path, shell.path) << name;
    EXPECT_EQ(ours.hasItemList, shell.hasItemList) << name;
    EXPECT_EQ(ours.workingFolder, shell.workingFolder) << name;
    EXPECT_EQ(ours.arguments, shell.arguments) << name;
    EXPECT_EQ(ours.description, shell.description) << name;
    EXPECT_EQ(ours.iconPath, shell.iconPath) << name;
    EXPECT_EQ(ours.iconIndex, shell.iconIndex) << name;
    EXPECT_EQ(ours.hotKey, shell.hotKey) << name;
    int mode = (fields.show == SW_SHOWMINIMIZED || fields.show == SW_SHOWMINNOACTIVE) ? 1
               : fields.show == SW_SHOWMAXIMIZED                                     ? 2
                                                                                     : 0;
    EXPECT_EQ(ours.showMode, mode) << name;
    if (!wine) {
      EXPECT_EQ(shell.showMode, mode) << name;
    }
    // Kept for the native suite: the file and what the shell read from it.
    std::string text = shell.path + "\n" + shell.workingFolder + "\n" + shell.arguments + "\n" + shell.description +
                       "\n" + shell.iconPath + "\n" + std::to_string(shell.iconIndex) + "\n" +
                       std::to_string(shell.hotKey) + "\n" + std::to_string(mode) + "\n";
    fs().WriteFileBytes(out + "\\" + name + ".lnk", bytes);
    fs().WriteFileBytes(out + "\\" + name + ".txt", text);
  }
  EXPECT_TRUE(EqualsNoCase(ShortcutTarget(fs(), *p().shell, folder_ + "\\plain.lnk"), plain.target));
}

TEST_F(Win32Shortcuts, ShortcutToAVirtualFolderHasNoLinkInfo) {
  LPITEMIDLIST pidl = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)));
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))));
  link->SetIDList(pidl);
  std::string file = folder_ + "\\computer.lnk";
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))));
  ASSERT_TRUE(SUCCEEDED(persist->Save(win32::Wide(file).c_str(), TRUE)));
  persist->Release();
  link->Release();
  CoTaskMemFree(pidl);
  std::string flag;
  ASSERT_TRUE(fs().ReadFilePart(file, 20, 1, flag));
  EXPECT_EQ(flag[0] & 2, 0);
  TLinkInfo info;
  EXPECT_FALSE(ReadShortcut(fs(), *p().shell, file, info));
  EXPECT_EQ(ShortcutTarget(fs(), *p().shell, file), "");
}

TEST_F(Win32Only, FileVersionAgreesWithOurReaderOfTheResource) {
  std::string file = SpecialFolderPath(*p().shell, 25) + "kernel32.dll";
  std::string version = FileVersion(*p().shell, file);
  EXPECT_FALSE(version.empty());
  std::string pe, block;
  ASSERT_TRUE(fs().ReadFileBytes(file, pe));
  ASSERT_TRUE(ExtractVersionResource(pe, block));
  EXPECT_EQ(FileVersionFromBlock(block), version);
  EXPECT_EQ(FileVersion(*p().shell, folder_ + "\\none.dll"), "");
}

}  // namespace
}  // namespace vl::sys
