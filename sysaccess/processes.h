// Running processes: the list, termination, starting programs, and named
// mutexes (the single-instance guards of both programs).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl::sys {

struct ProcessInfo {
  uint32_t pid = 0;
  uint32_t parentPid = 0;
  std::string exeName;    // file name of the executable, as the snapshot gives it
  std::string imagePath;  // full path; empty when the process cannot be opened
};

struct StartOptions {
  std::string workingFolder;  // empty: the caller's current folder
  bool hidden = false;        // no window shown
  bool wait = false;          // wait for the program to end (up to waitMs)
  uint32_t waitMs = 0xFFFFFFFF;
};

struct StartResult {
  uint32_t error = 0;  // 0 when the program started
  uint32_t pid = 0;
  bool exited = false;  // only with StartOptions::wait
  uint32_t exitCode = 0;
};

// One process held open from the moment it was looked at: while it is
// held the system gives its id to no other process, and ending it ends
// that very process, never a later one that got the same id.
class HeldProcess {
 public:
  virtual ~HeldProcess() = default;
  virtual uint32_t pid() const = 0;
  // The full image path, read through the held handle; empty when unreadable.
  virtual const std::string& imagePath() const = 0;
  virtual bool Exited() = 0;
  // Ends the process with `exitCode` and waits up to `waitMs` for it to be
  // gone. 0 also when it had already ended; otherwise the system error.
  virtual uint32_t End(uint32_t exitCode, uint32_t waitMs) = 0;
};

// Held until destroyed (or the process ends).
class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Every running process. 0 or the system error.
  virtual uint32_t ListProcesses(std::vector<ProcessInfo>& out) = 0;
  // Ends the process with `exitCode` and waits up to `waitMs` for it to be
  // gone, so that its executable can be replaced right afterwards.
  // 0 or the system error (kInvalidParameter for an unknown pid).
  virtual uint32_t EndProcess(uint32_t pid, uint32_t exitCode, uint32_t waitMs) = 0;
  // Opens the process `pid` to be ended later (`held`). 0 or the system
  // error (kInvalidParameter for an unknown pid).
  virtual uint32_t HoldProcess(uint32_t pid, std::unique_ptr<HeldProcess>& held) = 0;
  // Asks the process to close as a user would: WM_CLOSE posted to each of
  // its top-level windows that no other window owns. Does not wait.
  // 0, or kInvalidParameter when the process has no such window.
  virtual uint32_t AskToClose(uint32_t pid) = 0;
  // Starts `program` (a full path: no search along PATH) with `args`, each
  // quoted so the program's runtime splits them back as given.
  virtual StartResult StartProgram(const std::string& program, const std::vector<std::string>& args,
                                   const StartOptions& options) = 0;
  // Creates the named mutex, or opens it when it exists (`alreadyExisted`
  // then true); `held` keeps it. 0 or the system error.
  virtual uint32_t CreateNamedMutex(const std::string& name, std::unique_ptr<NamedMutex>& held,
                                    bool& alreadyExisted) = 0;
  virtual uint32_t CurrentProcessId() = 0;
};

}  // namespace vl::sys
