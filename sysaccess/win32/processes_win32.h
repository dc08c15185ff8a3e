// The real processes: the Tool Help snapshot, OpenProcess/TerminateProcess,
// CreateProcessW and kernel mutex objects.
#pragma once
#include "sysaccess/processes.h"

namespace vl::sys {

class Win32Processes : public Processes {
 public:
  uint32_t ListProcesses(std::vector<ProcessInfo>& out) override;
  uint32_t EndProcess(uint32_t pid, uint32_t exitCode, uint32_t waitMs) override;
  uint32_t HoldProcess(uint32_t pid, std::unique_ptr<HeldProcess>& held) override;
  uint32_t AskToClose(uint32_t pid) override;
  StartResult StartProgram(const std::string& program, const std::vector<std::string>& args,
                           const StartOptions& options) override;
  uint32_t CreateNamedMutex(const std::string& name, std::unique_ptr<NamedMutex>& held,
                            bool& alreadyExisted) override;
  uint32_t CurrentProcessId() override;
};

}  // namespace vl::sys
