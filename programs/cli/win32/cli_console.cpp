// Arguments from GetCommandLineW, output to the standard handles the caller
// gave (pipes, files) or, when there are none, to the console of the parent
// (AttachConsole). Vantorel.exe is a window program: without either, the
// output has nowhere to go and only the exit code and /json speak.
#include "programs/cli/win32/cli_console.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "programs/cli/cli_args.h"
#include "programs/cli/cli_run.h"
#include "sysaccess/format_text.h"
#include "sysaccess/win32/win32_platform.h"
#include "sysaccess/win32/wide.h"

namespace vl::cli {

namespace {

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> out;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return out;
  for (int i = 1; i < argc; ++i) out.push_back(sys::win32::Narrow(argv[i]));
  LocalFree(argv);
  return out;
}

bool Usable(HANDLE h) { return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; }

class Stream {
 public:
  explicit Stream(DWORD which) : which_(which) {}
  void Write(const std::string& text) {
    if (text.empty()) return;
    HANDLE h = Handle();
    if (!Usable(h)) return;
    DWORD mode = 0;
    if (GetConsoleMode(h, &mode)) {
      // A console shows UTF-16; its code page may not be UTF-8.
      const std::wstring w = sys::win32::Wide(text);
      DWORD written = 0;
      WriteConsoleW(h, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
      return;
    }
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteFile(h, p, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
      p += written;
      left -= written;
    }
  }

 private:
  HANDLE Handle() {
    HANDLE h = GetStdHandle(which_);
    if (Usable(h)) return h;
    // Started from a console without redirection: its console, once.
    static bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!attached) return nullptr;
    if (!console_)
      console_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    return console_;
  }
  const DWORD which_;
  HANDLE console_ = nullptr;
};

}  // namespace

bool CommandLineWanted() { return WantsCommandLine(ProgramArguments()); }

int RunCommandLine(const char* version) {
  // No dialog of the system either (a drive without a medium).
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Stream out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
  const Arguments args = ParseArguments(ProgramArguments());
  Output result;
  {
    auto platform = sys::MakeWin32Platform();
    platform->platform().files->SuppressCriticalErrorDialogs();
    // The report's size texts follow the user's locale, as in the window.
    sys::UseDecimalSeparator(platform->platform().system->DecimalSeparator());
    Environment env;
    env.version = version;
    env.exePath = sys::ProgramPath();
    env.bitness = sys::ProcessBitness(*platform->platform().system);
    result = Run(platform->platform(), args, env);
  }
  out.Write(result.stdoutText);
  err.Write(result.stderrText);
  return result.exitCode;
}

}  // namespace vl::cli
