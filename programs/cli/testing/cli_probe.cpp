// vl_cli_probe.exe, for the Wine tests of the command line (tests only).
//   vl_cli_probe run OUT ERR PROGRAM ARGS...  starts PROGRAM with its
//       standard output and error redirected into the files OUT and ERR,
//       watches for any visible window of it until it ends, and prints
//       "exit=N windows=M"; its own exit code is PROGRAM's.
//   vl_cli_probe window CLASS SECONDS  waits until a visible top-level
//       window of CLASS exists; prints its process id and exits 0 (1 when
//       none came).
//   vl_cli_probe drive TITLE SECONDS  plays the user of a wizard: clicks its
//       default button (Next, Install, Finish: id 1) whenever it is enabled,
//       until no window whose title starts with TITLE is left; prints the clicks.
//   vl_cli_probe hold READY STOP  takes the machine-wide job guard, writes
//       READY, and lets it go when STOP appears (after 60 s at the latest).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Watch {
  DWORD pid;
  int seen;
};

BOOL CALLBACK CountWindows(HWND hwnd, LPARAM param) {
  auto* w = reinterpret_cast<Watch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == w->pid && IsWindowVisible(hwnd)) ++w->seen;
  return TRUE;
}

std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
    } else if (c == L'"') {
      out.append(slashes + 1, L'\\');
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, L'\\');
  return out + L"\"";
}

HANDLE OpenOut(const wchar_t* path) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
}

int Run(int argc, wchar_t** argv) {
  std::wstring cmd = Quote(argv[4]);
  for (int i = 5; i < argc; ++i) cmd += L" " + Quote(argv[i]);
  HANDLE out = OpenOut(argv[2]), err = OpenOut(argv[3]);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(argv[4], cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start: error %lu\n", GetLastError());
    return 100;
  }
  CloseHandle(out);
  CloseHandle(err);
  Watch w{pi.dwProcessId, 0};
  while (WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT) EnumWindows(CountWindows, reinterpret_cast<LPARAM>(&w));
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("exit=%lu windows=%d\n", code, w.seen);
  return static_cast<int>(code);
}

int WaitForWindow(wchar_t** argv) {
  const int tenths = _wtoi(argv[3]) * 10;
  for (int i = 0; i < tenths; ++i) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (w && IsWindowVisible(w)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      std::printf("window pid=%lu\n", pid);
      return 0;
    }
    Sleep(100);
  }
  std::printf("no window\n");
  return 1;
}

// The first visible top-level window whose title starts with `prefix` (a
// wizard names its page in the title: "... Setup: Installing").
struct Titled {
  const wchar_t* prefix;
  HWND found;
};

BOOL CALLBACK FindTitledProc(HWND hwnd, LPARAM param) {
  auto* t = reinterpret_cast<Titled*>(param);
  wchar_t title[256] = {};
  GetWindowTextW(hwnd, title, 256);
  if (IsWindowVisible(hwnd) && wcsncmp(title, t->prefix, wcslen(t->prefix)) == 0) {
    t->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindTitled(const wchar_t* prefix) {
  Titled t{prefix, nullptr};
  EnumWindows(FindTitledProc, reinterpret_cast<LPARAM>(&t));
  return t.found;
}

int Drive(wchar_t** argv) {
  const int tenths = _wtoi(argv[3]) * 10;
  int clicks = 0;
  bool seen = false;
  for (int i = 0; i < tenths; ++i) {
    HWND w = FindTitled(argv[2]);
    if (!w) {
      if (seen) {
        std::printf("clicks=%d\n", clicks);
        return 0;
      }
    } else if (IsWindowVisible(w)) {
      seen = true;
      HWND next = GetDlgItem(w, 1);
      if (next && IsWindowEnabled(next) && IsWindowVisible(next)) {
        SendMessageW(next, BM_CLICK, 0, 0);
        ++clicks;
      }
    }
    Sleep(seen ? 700 : 100);
  }
  std::printf("timed out, clicks=%d\n", clicks);
  return 1;
}

int Hold(wchar_t** argv) {
  HANDLE guard = CreateMutexW(nullptr, FALSE, L"Global\\VantorelJob");
  if (!guard || GetLastError() == ERROR_ALREADY_EXISTS) return 101;
  HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(ready);
  for (int i = 0; i < 600 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  CloseHandle(guard);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 5 && std::wstring(argv[1]) == L"run") return Run(argc, argv);
  if (argc == 4 && std::wstring(argv[1]) == L"hold") return Hold(argv);
  if (argc == 4 && std::wstring(argv[1]) == L"window") return WaitForWindow(argv);
  if (argc == 4 && std::wstring(argv[1]) == L"drive") return Drive(argv);
  std::printf("usage: vl_cli_probe run OUT ERR PROGRAM ARGS... | hold READY STOP\n");
  return 2;
}
