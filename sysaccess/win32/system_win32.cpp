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

bool Win32System::Is64BitWindows() { return sizeof(void*) == 8 || IsWow64(); }

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

namespace {
// Starts the native registry editor with `arguments`; false when it cannot start.
bool LaunchRegistryEditor(System& system, const std::string& arguments, bool hidden, PROCESS_INFORMATION* pi) {
  wchar_t windows[MAX_PATH + 1] = {0};
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring exe = std::wstring(windows) + L"\\regedit.exe";
  std::wstring cmd = L"\"" + exe + L"\" " + Wide(arguments);
  std::vector<wchar_t> line(cmd.begin(), cmd.end());
  line.push_back(0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (hidden) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
  }
  // A 32-bit process must start the native registry editor, or HKLM\SOFTWARE
  // data would be imported into the 32-bit view (Wine picks the editor's
  // bitness from the redirection state).
  void* saved = nullptr;
  bool wow64 = system.IsWow64();
  if (wow64) system.DisableFsRedirection(&saved);
  BOOL started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi);
  if (wow64) system.RevertFsRedirection(saved);
  return started != FALSE;
}
}  // namespace

bool Win32System::RunRegistryEditor(const std::string& arguments, uint32_t timeoutMs) {
  PROCESS_INFORMATION pi = {};
  if (!LaunchRegistryEditor(*this, arguments, false, &pi)) return false;
  bool done = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return done;
}

EditorRun Win32System::RunRegistryEditorWait(const std::string& arguments, uint32_t timeoutMs,
                                             const std::function<void()>& started) {
  PROCESS_INFORMATION pi = {};
  if (!LaunchRegistryEditor(*this, arguments, true, &pi)) return EditorRun::kNotStarted;
  CloseHandle(pi.hThread);
  if (started) started();
  const bool done = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(pi.hProcess);
  return done ? EditorRun::kFinished : EditorRun::kStillRunning;
}

bool Win32System::StartRegistryEditor(const std::string& arguments) {
  PROCESS_INFORMATION pi = {};
  if (!LaunchRegistryEditor(*this, arguments, true, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

namespace {
// One locale item; `fallback` when the locale has none.
std::string LocaleText(LCTYPE item, const std::string& fallback) {
  wchar_t buf[128] = {0};
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buf, 128);
  return n > 1 ? Narrow(buf, n - 1) : fallback;
}
}  // namespace

DateNames Win32System::UserDateNames() {
  DateNames names = EnglishDateNames();
  for (int i = 0; i < 12; ++i) {
    names.longMonths[i] = LocaleText(LOCALE_SMONTHNAME1 + i, names.longMonths[i]);
    names.shortMonths[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i, names.shortMonths[i]);
  }
  // The locale numbers days from Monday (DAYNAME1) to Sunday (DAYNAME7).
  for (int d = 0; d < 7; ++d) {
    int item = (d + 6) % 7;
    names.longDays[d] = LocaleText(LOCALE_SDAYNAME1 + item, names.longDays[d]);
    names.shortDays[d] = LocaleText(LOCALE_SABBREVDAYNAME1 + item, names.shortDays[d]);
  }
  // An empty designator is a valid locale choice (24-hour locales).
  wchar_t buf[32] = {0};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S1159, buf, 32) > 0) names.am = Narrow(buf, wcslen(buf));
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S2359, buf, 32) > 0) names.pm = Narrow(buf, wcslen(buf));
  return names;
}

std::string Win32System::DecimalSeparator() {
  wchar_t buf[8] = {0};  // LOCALE_SDECIMAL holds at most four characters
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8);
  return n > 1 ? Narrow(buf, n - 1) : std::string(".");
}

}  // namespace vl::sys
