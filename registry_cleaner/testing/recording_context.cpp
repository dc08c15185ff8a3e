// RecordingContext: the check tests' view of a scan.
#include "registry_cleaner/testing/recording_context.h"

#include <gtest/gtest.h>

#include "registry_cleaner/file_exists_wow64.h"
#include "sysaccess/shell_folders.h"

namespace vl::registry::testing {

RecordingContext::RecordingContext(sys::SimPlatform& sim)
    : sim_(sim), registry_(*sim.platform().registry) {}

sys::Bitness RecordingContext::bitness() const { return sys::ProcessBitness(*sim_.platform().system); }

const std::string& RecordingContext::systemFolder() const {
  systemFolder_ = sys::SpecialFolderPath(*sim_.platform().shell, 25);  // the system folder
  return systemFolder_;
}

void RecordingContext::AddProblem(uint32_t root, const std::string& keyPath, uint32_t access,
                                  uint16_t code, const std::string& data, const std::string& valueName, bool unnamedValue) {
  problems.push_back({root, keyPath, valueName, data, code, access, unnamedValue});
}

bool RecordingContext::FileExistsWow64(const std::string& path, int mode) {
  return registry::FileExistsWow64(*sim_.platform().files, bitness(), systemFolder(), path, mode);
}

void RecordingContext::LoadReg(const std::string& regText) { ASSERT_TRUE(sim_.LoadReg(regText)); }

void RecordingContext::AddFile(const std::string& path, const std::string& data) {
  size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos) sim_.platform().files->CreateFolder(path.substr(0, slash));
  ASSERT_TRUE(sim_.platform().files->WriteFileBytes(path, data)) << path;
}

const std::vector<TScanRegistry>& RecordingContext::Run(int category) {
  problems.clear();
  progress.clear();
  RunCategoryCheck(category, *this);
  return problems;
}

}  // namespace vl::registry::testing
