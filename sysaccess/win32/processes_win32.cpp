// Processes on kernel32.
#include "sysaccess/win32/processes_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "sysaccess/process_command_line.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

uint32_t LastError() {
  DWORD e = GetLastError();
  return e ? e : err::kGenFailure;
}

std::string ImagePathOf(HANDLE h) {
  std::vector<wchar_t> buf(1024);
  std::string path;
  for (int i = 0; i < 3; ++i) {
    DWORD n = static_cast<DWORD>(buf.size());
    if (QueryFullProcessImageNameW(h, 0, buf.data(), &n)) {
      path = Narrow(buf.data(), n);
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buf.resize(buf.size() * 4);
  }
  return path;
}

std::string ImagePath(DWORD pid) {
  // The limited right is granted for most processes of other users too.
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return "";
  std::string path = ImagePathOf(h);
  CloseHandle(h);
  return path;
}

class Win32HeldProcess : public HeldProcess {
 public:
  Win32HeldProcess(HANDLE h, uint32_t pid) : h_(h), pid_(pid), path_(ImagePathOf(h)) {}
  ~Win32HeldProcess() override { CloseHandle(h_); }
  uint32_t pid() const override { return pid_; }
  const std::string& imagePath() const override { return path_; }
  bool Exited() override { return WaitForSingleObject(h_, 0) == WAIT_OBJECT_0; }
  uint32_t End(uint32_t exitCode, uint32_t waitMs) override {
    if (Exited()) return 0;
    if (!TerminateProcess(h_, exitCode)) {
      uint32_t e = LastError();
      // It ended on its own meanwhile: what was asked for.
      return Exited() ? 0 : e;
    }
    // Termination completes asynchronously; the image stays locked until then.
    if (waitMs) WaitForSingleObject(h_, waitMs);
    return 0;
  }

 private:
  HANDLE h_;
  uint32_t pid_;
  std::string path_;
};

class Win32Mutex : public NamedMutex {
 public:
  explicit Win32Mutex(HANDLE h) : h_(h) {}
  ~Win32Mutex() override { CloseHandle(h_); }

 private:
  HANDLE h_;
};

}  // namespace

uint32_t Win32Processes::ListProcesses(std::vector<ProcessInfo>& out) {
  out.clear();
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return LastError();
  PROCESSENTRY32W pe;
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe)) {
    ProcessInfo p;
    p.pid = pe.th32ProcessID;
    p.parentPid = pe.th32ParentProcessID;
    p.exeName = Narrow(pe.szExeFile, wcslen(pe.szExeFile));
    if (p.pid != 0) p.imagePath = ImagePath(pe.th32ProcessID);
    out.push_back(p);
  }
  CloseHandle(snap);
  return 0;
}

uint32_t Win32Processes::EndProcess(uint32_t pid, uint32_t exitCode, uint32_t waitMs) {
  HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!h) h = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (!h) return LastError();
  uint32_t result = 0;
  if (!TerminateProcess(h, exitCode)) result = LastError();
  // Termination completes asynchronously; the image stays locked until then.
  if (result == 0 && waitMs) WaitForSingleObject(h, waitMs);
  CloseHandle(h);
  return result;
}

namespace {
struct CloseRequest {
  DWORD pid;
  int windows = 0;
};
BOOL CALLBACK PostClose(HWND h, LPARAM lp) {
  auto* request = reinterpret_cast<CloseRequest*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  // Owned windows (dialogs, tool windows) close with their owner.
  if (pid == request->pid && !GetWindow(h, GW_OWNER) && PostMessageW(h, WM_CLOSE, 0, 0)) ++request->windows;
  return TRUE;
}
}  // namespace

uint32_t Win32Processes::HoldProcess(uint32_t pid, std::unique_ptr<HeldProcess>& held) {
  held.reset();
  HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return LastError();
  held = std::make_unique<Win32HeldProcess>(h, pid);
  return 0;
}

uint32_t Win32Processes::AskToClose(uint32_t pid) {
  CloseRequest request{pid};
  EnumWindows(PostClose, reinterpret_cast<LPARAM>(&request));
  return request.windows ? 0 : err::kInvalidParameter;
}

StartResult Win32Processes::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                         const StartOptions& options) {
  StartResult r;
  std::string line = BuildCommandLine(program, args);
  if (line.empty()) {
    r.error = err::kInvalidName;
    return r;
  }
  std::wstring app = Wide(program), cmd = Wide(line), dir = Wide(options.workingFolder);
  std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());  // CreateProcessW may write into it
  cmdBuf.push_back(0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (options.hidden) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
  }
  PROCESS_INFORMATION pi = {};
  // The application name is given: a path with blanks is never split into
  // "C:\Program.exe" and arguments.
  if (!CreateProcessW(app.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      options.workingFolder.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    r.error = LastError();
    return r;
  }
  CloseHandle(pi.hThread);
  r.pid = pi.dwProcessId;
  if (options.wait && WaitForSingleObject(pi.hProcess, options.waitMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code)) {
      r.exited = true;
      r.exitCode = code;
    }
  }
  CloseHandle(pi.hProcess);
  return r;
}

uint32_t Win32Processes::CreateNamedMutex(const std::string& name, std::unique_ptr<NamedMutex>& held,
                                          bool& alreadyExisted) {
  held.reset();
  alreadyExisted = false;
  // Create-or-open in one call: no window between a failed open and the create.
  HANDLE h = CreateMutexW(nullptr, FALSE, Wide(name).c_str());
  if (!h) return LastError();
  alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  held = std::make_unique<Win32Mutex>(h);
  return 0;
}

uint32_t Win32Processes::CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace vl::sys
