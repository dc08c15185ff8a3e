// Process services on kernel32.
#include "sysaccess/win32/system_win32.h"

#include <windows.h>

#include <mutex>
#include <vector>

#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

template <class Fn>
Fn Kernel32Function(const char* name) {
  HMODULE k = GetModuleHandleW(L"kernel32.dll");
  return k ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k, name))) : nullptr;
}

}  // namespace

bool Win32System::IsWow64() {
  // Looked up at the first call; the library handle is kept for the run.
  static std::once_flag once;
  static IsWow64Fn fn = nullptr;
  std::call_once(once, [] {
    if (HMODULE k = LoadLibraryW(L"kernel32"))
      fn = reinterpret_cast<IsWow64Fn>(reinterpret_cast<void*>(GetProcAddress(k, "IsWow64Process")));
  });
  if (!fn) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  BOOL wow = FALSE;
  return fn(GetCurrentProcess(), &wow) && wow;
}

bool Win32System::DisableFsRedirection(void** saved) {
  if (auto fn = Kernel32Function<DisableFn>("Wow64DisableWow64FsRedirection")) fn(saved);
  return true;
}

bool Win32System::RevertFsRedirection(void* saved) {
  if (auto fn = Kernel32Function<RevertFn>("Wow64RevertWow64FsRedirection")) fn(saved);
  return true;
}

std::string Win32System::EnvironmentVariable(const std::string& name) {
  std::wstring n = Wide(name);
  DWORD size = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
  if (size == 0) return "";
  std::vector<wchar_t> buf(size + 1);
  DWORD len = GetEnvironmentVariableW(n.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  return len ? Narrow(buf.data(), len) : std::string();
}

bool Win32System::FileTimeToLocal(uint64_t utc, uint64_t* local) {
  FILETIME in, out;
  in.dwLowDateTime = static_cast<DWORD>(utc);
  in.dwHighDateTime = static_cast<DWORD>(utc >> 32);
  if (!FileTimeToLocalFileTime(&in, &out)) return false;
  *local = (static_cast<uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  return true;
}

bool Win32System::RunRegistryEditor(const std::string& arguments, uint32_t timeoutMs) {
  wchar_t windows[MAX_PATH + 1] = {0};
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring exe = std::wstring(windows) + L"\\regedit.exe";
  std::wstring cmd = L"\"" + exe + L"\" " + Wide(arguments);
  std::vector<wchar_t> line(cmd.begin(), cmd.end());
  line.push_back(0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  // A 32-bit process must start the native registry editor, or HKLM\SOFTWARE
  // data would be imported into the 32-bit view (Wine picks the editor's
  // bitness from the redirection state).
  void* saved = nullptr;
  bool wow64 = IsWow64();
  if (wow64) DisableFsRedirection(&saved);
  BOOL started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  if (wow64) RevertFsRedirection(saved);
  if (!started) return false;
  bool done = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return done;
}

}  // namespace vl::sys
