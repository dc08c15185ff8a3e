// Process services on kernel32: WOW64 detection and redirection bound at run
// time, environment, local time, and the system's registry editor.
#pragma once
#include "sysaccess/system.h"

namespace vl::sys {

class Win32System : public System {
 public:
  bool IsWow64() override;
  bool Is64BitWindows() override;
  bool DisableFsRedirection(void** saved) override;
  bool RevertFsRedirection(void* saved) override;
  std::string EnvironmentVariable(const std::string& name) override;
  bool FileTimeToLocal(uint64_t utc, uint64_t* local) override;
  bool RunRegistryEditor(const std::string& arguments, uint32_t timeoutMs) override;
  EditorRun RunRegistryEditorWait(const std::string& arguments, uint32_t timeoutMs,
                                  const std::function<void()>& started) override;
  bool StartRegistryEditor(const std::string& arguments) override;
  DateNames UserDateNames() override;
  std::string DecimalSeparator() override;
};

}  // namespace vl::sys
