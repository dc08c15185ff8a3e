// The simulated machine for native tests: an in-memory registry, drive C:
// mapped to a fresh temporary host folder (removed again on destruction),
// the usual Windows folders inside it, special folders and environment to
// match, the registry editor stand-in, a process table, and HTTP through
// libcurl (real transfers, for the test's own loopback servers). Test use only.
#pragma once
#include <memory>
#include <string>

#include "sysaccess/platform.h"
#include "sysaccess/sim/files_sim.h"
#include "sysaccess/sim/http_curl.h"
#include "sysaccess/sim/processes_sim.h"
#include "sysaccess/sim/registry_sim.h"
#include "sysaccess/sim/security_sim.h"
#include "sysaccess/sim/shell_sim.h"
#include "sysaccess/sim/system_sim.h"

namespace vl::sys {

class SimPlatform {
 public:
  SimPlatform();
  ~SimPlatform();
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  Platform& platform() { return platform_; }
  SimRegistry& registry() { return *registry_; }
  SimFileSystem& files() { return *files_; }
  SimShell& shell() { return *shell_; }
  SimSystem& system() { return *system_; }
  SimProcesses& processes() { return *processes_; }
  SimSecurity& security() { return *security_; }
  // The temporary host folder that holds every simulated drive.
  const std::string& hostRoot() const { return hostRoot_; }

  // A 32-bit process on 64-bit Windows: registry views and system folder
  // redirection.
  void SetWow64(bool on);
  // A 64-bit process on 64-bit Windows (the x86_64 build): no WOW64 flag,
  // one registry view, no redirection, but SysWOW64 and both program folders.
  void Set64BitProcess();
  // Maps another drive letter to a new folder inside hostRoot() unless the
  // drive names a host folder itself (which must be a temporary one).
  void MapDrive(char letter, SimDrive drive);
  // Imports .reg text (either header, any encoding); false when it is not
  // one or a line could not be applied.
  bool LoadReg(const std::string& regText);

 private:
  std::string hostRoot_;
  std::unique_ptr<SimRegistry> registry_;
  std::unique_ptr<SimFileSystem> files_;
  std::unique_ptr<SimShell> shell_;
  std::unique_ptr<SimSystem> system_;
  std::unique_ptr<SimProcesses> processes_;
  std::unique_ptr<CurlHttpClient> http_;
  std::unique_ptr<SimSecurity> security_;
  Platform platform_;
};

}  // namespace vl::sys
