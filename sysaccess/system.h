// Process-level services: WOW64, the file system redirection switch, the
// environment, local time and the registry editor.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vl::sys {

// Month and weekday names and the clock designators of the user's locale.
struct DateNames {
  std::array<std::string, 12> longMonths, shortMonths;  // January first
  std::array<std::string, 7> longDays, shortDays;       // Sunday first
  std::string am, pm;
};

// How a run of the registry editor ended.
enum class EditorRun {
  kNotStarted,    // the editor could not be started
  kFinished,      // it ran and exited within the wait
  kStillRunning,  // it was still running when the wait ran out
};

// The names the simulated platform gives, and the fallback of the real one.
DateNames EnglishDateNames();

class System {
 public:
  virtual ~System() = default;
  // True only when the process is a 32-bit process on 64-bit Windows.
  virtual bool IsWow64() = 0;
  // True on 64-bit Windows, whichever build asks: a WOW64 process or a
  // 64-bit one.
  virtual bool Is64BitWindows() = 0;
  // Per thread. `saved` keeps what RevertFsRedirection needs. Without the
  // system functions both do nothing and return true.
  virtual bool DisableFsRedirection(void** saved) = 0;
  virtual bool RevertFsRedirection(void* saved) = 0;
  // Empty when undefined.
  virtual std::string EnvironmentVariable(const std::string& name) = 0;
  // FILETIME (UTC) to local FILETIME.
  virtual bool FileTimeToLocal(uint64_t utc, uint64_t* local) = 0;
  // Runs the system's registry editor with the arguments ("/s file",
  // "/e file key") and waits up to timeoutMs; false when it could not run.
  virtual bool RunRegistryEditor(const std::string& arguments, uint32_t timeoutMs) = 0;
  // The same, telling a wait that ran out from an editor that never ran.
  // `started`, when given, is called once the editor is running (before the
  // wait), so a caller can go on while it works.
  virtual EditorRun RunRegistryEditorWait(const std::string& arguments, uint32_t timeoutMs,
                                          const std::function<void()>& started = {}) = 0;
  // Starts the registry editor hidden and does not wait; false when it could
  // not be started.
  virtual bool StartRegistryEditor(const std::string& arguments) = 0;
  // Names for dates shown to the user, from the user's locale.
  virtual DateNames UserDateNames() = 0;
  // The user's decimal separator for numbers shown ("." when the locale has none).
  virtual std::string DecimalSeparator() = 0;
};

// What the process is, asked once at start: the registry mask and the
// redirection switch follow `wow64`, the 64-bit path fallbacks `windows64`.
struct Bitness {
  bool wow64 = false;      // a 32-bit process on 64-bit Windows
  bool windows64 = false;  // 64-bit Windows, whichever build runs
  bool process64() const { return windows64 && !wow64; }
};
inline Bitness ProcessBitness(System& system) { return {system.IsWow64(), system.Is64BitWindows()}; }

// Keeps redirection off for the lifetime of the object (per thread).
class ScopedFsRedirectionOff {
 public:
  explicit ScopedFsRedirectionOff(System& system) : system_(system) {
    ok_ = system_.DisableFsRedirection(&saved_);
  }
  ~ScopedFsRedirectionOff() { system_.RevertFsRedirection(saved_); }
  ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
  ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;
  bool ok() const { return ok_; }

 private:
  System& system_;
  void* saved_ = nullptr;
  bool ok_;
};

}  // namespace vl::sys
