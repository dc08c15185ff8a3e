// Simulated processes for native tests: a process table the test fills,
// programs "started" by adding a row (when their file exists on the
// simulated drives) and recorded, and named mutexes shared by every user of
// this object.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/processes.h"

namespace vl::sys {

class SimProcesses : public Processes {
 public:
  explicit SimProcesses(FileSystem& files);

  // Adds a running process; its pid when 0 is given one.
  uint32_t AddProcess(ProcessInfo info);
  // The process ends and another one gets its id (a held process is not
  // that other one); the new one's pid.
  uint32_t ReuseProcessId(uint32_t pid, ProcessInfo info);
  // Processes EndProcess may not end (kAccessDenied), as system processes.
  void Protect(uint32_t pid);
  // The exit code a started program reports when waited for.
  void SetExitCode(uint32_t code) { exitCode_ = code; }
  struct Started {
    std::string program;
    std::string commandLine;
    StartOptions options;
    uint32_t pid = 0;
  };
  std::vector<Started> started();
  struct Ended {
    uint32_t pid;
    std::string exeName;
    uint32_t exitCode;
  };
  std::vector<Ended> ended();
  // Processes that end by themselves when asked to close (their window
  // closes), and the pids AskToClose was called for.
  void ClosesWhenAsked(uint32_t pid);
  std::vector<uint32_t> askedToClose();

  uint32_t ListProcesses(std::vector<ProcessInfo>& out) override;
  uint32_t EndProcess(uint32_t pid, uint32_t exitCode, uint32_t waitMs) override;
  uint32_t HoldProcess(uint32_t pid, std::unique_ptr<HeldProcess>& held) override;
  uint32_t AskToClose(uint32_t pid) override;
  StartResult StartProgram(const std::string& program, const std::vector<std::string>& args,
                           const StartOptions& options) override;
  uint32_t CreateNamedMutex(const std::string& name, std::unique_ptr<NamedMutex>& held,
                            bool& alreadyExisted) override;
  uint32_t CurrentProcessId() override { return selfPid_; }

 private:
  struct Mutexes {
    std::mutex mu;
    std::map<std::string, int> holders;  // names are case-sensitive, as kernel object names
  };

  FileSystem& files_;
  std::mutex mu_;
  std::map<uint32_t, ProcessInfo> table_;
  // Which process holds a pid now: a serial per process started.
  std::map<uint32_t, uint64_t> serial_;
  uint64_t nextSerial_ = 1;
  class Held;
  uint32_t EndSerial(uint32_t pid, uint64_t serial, uint32_t exitCode);
  std::set<uint32_t> protected_;
  std::set<uint32_t> closesWhenAsked_;
  std::vector<uint32_t> askedToClose_;
  std::vector<Started> started_;
  std::vector<Ended> ended_;
  uint32_t nextPid_ = 1000;
  uint32_t selfPid_ = 0;
  uint32_t exitCode_ = 0;
  std::shared_ptr<Mutexes> mutexes_ = std::make_shared<Mutexes>();
};

}  // namespace vl::sys
