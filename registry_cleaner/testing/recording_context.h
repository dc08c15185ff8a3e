// A ScanContext for tests of the category checks: runs on the simulated
// platform, records every problem and progress line, and can stop after a
// given number of progress steps.
#pragma once
#include <string>
#include <vector>

#include "registry_cleaner/scan_context.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::registry::testing {

class RecordingContext : public ScanContext {
 public:
  explicit RecordingContext(sys::SimPlatform& sim);

  sys::Platform& platform() override { return sim_.platform(); }
  sys::Registry& registry() override { return registry_; }
  uint32_t access() const override { return sys::AccessMask(wow64()); }
  sys::Bitness bitness() const override;
  const std::string& systemFolder() const override;
  bool Stopped() const override { return stopAfter_ >= 0 && static_cast<int>(progress.size()) >= stopAfter_; }
  void ShowProgress(const std::string& item) override { progress.push_back(item); }
  void AddProblem(uint32_t root, const std::string& keyPath, uint32_t access, uint16_t code,
                  const std::string& data, const std::string& valueName, bool unnamedValue = false) override;
  bool FileExistsWow64(const std::string& path, int mode) override;

  // Loads .reg text (REGEDIT4 or version 5) into the simulated registry; fails the test when it cannot.
  void LoadReg(const std::string& regText);
  // Creates a file (and its folders) on the simulated drives.
  void AddFile(const std::string& path, const std::string& data = "x");
  // Runs the check of `category` and returns what it filed.
  const std::vector<TScanRegistry>& Run(int category);
  // Stop once this many progress lines were shown (-1: never).
  void StopAfter(int items) { stopAfter_ = items; }

  std::vector<TScanRegistry> problems;
  std::vector<std::string> progress;

 private:
  sys::SimPlatform& sim_;
  sys::Registry registry_;
  mutable std::string systemFolder_;
  int stopAfter_ = -1;
};

}  // namespace vl::registry::testing
