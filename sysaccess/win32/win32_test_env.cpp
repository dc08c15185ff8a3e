// The contract suite's machine under Wine: the real Win32 backend in the
// sandbox prefix the test script made.
#include <windows.h>
#include <sddl.h>

#include <cwchar>

#include "sysaccess/test_env.h"
#include "sysaccess/win32/wide.h"
#include "sysaccess/win32/win32_platform.h"

namespace vl::sys {

namespace {

// The waiting program of the process contract is this test program started
// with a flag: it sleeps before any test runs and ends by itself.
const bool g_waiterMode = [] {
  if (wcsstr(GetCommandLineW(), L" --vl-wait-for-end")) {
    Sleep(30000);
    ExitProcess(7);
  }
  return false;
}();

std::string EnvVar(const wchar_t* name) {
  wchar_t buf[2048];
  DWORD n = GetEnvironmentVariableW(name, buf, 2048);
  return n && n < 2048 ? win32::Narrow(buf, n) : std::string();
}

// Wine's recycle bin is the freedesktop trash below $XDG_DATA_HOME, reached
// through Wine's path of host files (no drive letter maps it).
std::string TrashFolder() {
  std::string xdg = EnvVar(L"XDG_DATA_HOME");
  if (xdg.empty() || xdg[0] != '/') return "";
  for (char& c : xdg)
    if (c == '/') c = '\\';
  return "\\\\?\\unix" + xdg + "\\Trash";
}

class Win32TestEnv : public TestEnv {
 public:
  Win32TestEnv() : real_(MakeWin32Platform()) {}
  Platform& platform() override { return real_->platform(); }
  bool real() const override { return true; }
  std::string userSid() override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    BYTE buf[256];
    DWORD len = 0;
    std::string sid;
    if (GetTokenInformation(token, TokenUser, buf, sizeof buf, &len)) {
      LPWSTR text = nullptr;
      if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf)->User.Sid, &text)) {
        sid = win32::Narrow(text, wcslen(text));
        LocalFree(text);
      }
    }
    CloseHandle(token);
    return sid;
  }
  bool MakeFolderLink(const std::string& link, const std::string& target) override {
    using Fn = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
    if (!fn) return false;
    // 1: a folder link; 2: allowed without the privilege where the system knows the flag.
    if (!fn(win32::Wide(link).c_str(), win32::Wide(target).c_str(), 1 | 2) &&
        !fn(win32::Wide(link).c_str(), win32::Wide(target).c_str(), 1))
      return false;
    // Some systems report success without making a link anyone can see.
    DWORD a = GetFileAttributesW(win32::Wide(link).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
  }
  bool FixtureFolderLink(std::string& link, std::string& target) override {
    link = "C:\\vl\\linkfixture\\link";
    target = "C:\\vl\\linkfixture\\target";
    DWORD a = GetFileAttributesW(win32::Wide(link).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) && platform().files->DirectoryExists(target);
  }
  bool RecycleBinIsSandboxed(std::string& why) override {
    std::string xdg = EnvVar(L"XDG_DATA_HOME");
    // The test script points Wine's home and trash into the build folder.
    if (xdg.find("/build/wine/home/") == std::string::npos) {
      why = "XDG_DATA_HOME is \"" + xdg + "\", not below the build folder's Wine home";
      return false;
    }
    if (!platform().files->DirectoryExists(TrashFolder().substr(0, TrashFolder().size() - 6))) {
      why = "the trash's parent " + TrashFolder() + " cannot be seen from the prefix";
      return false;
    }
    return true;
  }
  std::string FindRecycled(const std::string& name) override {
    std::string files = TrashFolder() + "\\files";
    size_t dot = name.rfind('.');
    std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot);
    std::string found;
    platform().files->WalkFolder(files, [&](const FileEntry& e) {
      // Wine numbers a name that is taken; the stem is unique per run.
      if (e.name.rfind(stem, 0) == 0 && e.name.size() >= ext.size() &&
          e.name.compare(e.name.size() - ext.size(), ext.size(), ext) == 0)
        found = files + "\\" + e.name;
      return found.empty();
    });
    return found;
  }
  void ForgetRecycled(const std::string& recycledPath) override {
    std::string name = recycledPath.substr(recycledPath.rfind('\\') + 1);
    platform().files->RemoveFile(recycledPath);
    platform().files->RemoveFile(TrashFolder() + "\\info\\" + name + ".trashinfo");
  }
  bool MakeBinRefuse(std::string& why) override {
    if (!RecycleBinIsSandboxed(why)) return false;
    FileSystem& fs = *platform().files;
    const std::string files = TrashFolder() + "\\files";
    fs.CreateFolder(files);
    if (fs.MoveFileTo(files, files + ".vl-away") != 0 || !fs.WriteFileBytes(files, "no folder")) {
      why = "the trash's folder " + files + " could not be replaced";
      return false;
    }
    return true;
  }
  void UndoBinRefusal() override {
    FileSystem& fs = *platform().files;
    const std::string files = TrashFolder() + "\\files";
    if (!fs.DirectoryExists(files + ".vl-away")) return;
    fs.RemoveFile(files);
    fs.MoveFileTo(files + ".vl-away", files);
  }
  void WaitingProgram(std::string& program, std::vector<std::string>& args) override {
    program = ProgramPath();
    args = {"--vl-wait-for-end"};
  }

 private:
  std::unique_ptr<Win32Platform> real_;
};

}  // namespace

std::unique_ptr<TestEnv> MakeTestEnv() { return std::make_unique<Win32TestEnv>(); }

}  // namespace vl::sys
