// The contract suite's machine under Wine: the real Win32 backend in the
// sandbox prefix the test script made.
#include <windows.h>
#include <sddl.h>

#include "sysaccess/test_env.h"
#include "sysaccess/win32/wide.h"
#include "sysaccess/win32/win32_platform.h"

namespace vl::sys {

namespace {

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

 private:
  std::unique_ptr<Win32Platform> real_;
};

}  // namespace

std::unique_ptr<TestEnv> MakeTestEnv() { return std::make_unique<Win32TestEnv>(); }

}  // namespace vl::sys
