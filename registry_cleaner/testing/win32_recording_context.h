// A ScanContext for running the category checks' fixtures against the real
// registry and file system (the Windows build under Wine): keys come in
// through the real registry editor, files are created on C:, and everything a
// fixture planted is removed again when the context ends.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "registry_cleaner/scan_context.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/win32/win32_platform.h"

namespace vl::registry::testing {

class Win32RecordingContext : public ScanContext {
 public:
  Win32RecordingContext();
  ~Win32RecordingContext() override;

  sys::Platform& platform() override { return platform_->platform(); }
  sys::Registry& registry() override { return registry_; }
  uint32_t access() const override { return sys::AccessMask(bitness_.wow64); }
  sys::Bitness bitness() const override { return bitness_; }
  const std::string& systemFolder() const override { return systemFolder_; }
  bool Stopped() const override { return stopAfter_ >= 0 && static_cast<int>(progress.size()) >= stopAfter_; }
  void ShowProgress(const std::string& item) override { progress.push_back(item); }
  void AddProblem(uint32_t root, const std::string& keyPath, uint32_t access, uint16_t code,
                  const std::string& data, const std::string& valueName, bool unnamedValue = false) override;
  bool FileExistsWow64(const std::string& path, int mode) override;

  // Imports .reg text with the system's registry editor (in its native
  // view). Every key path must have a part holding a test marker ("VlTest"
  // or a {7E57...} class id); below shared keys only values whose names
  // hold the marker may be set. Fails the test otherwise.
  void LoadReg(const std::string& regText);
  // Creates a real file (and its missing folders); removed at the end.
  void AddFile(const std::string& path, const std::string& data = "x");
  // A file in the native system folder (redirection off while it is made).
  void AddNativeFile(const std::string& path, const std::string& data = "x");
  // Runs the check of `category`; returns what it filed.
  const std::vector<TScanRegistry>& Run(int category);
  void StopAfter(int items) { stopAfter_ = items; }
  // Removes what the fixtures planted (also done by the destructor).
  void CleanUp();

  std::vector<TScanRegistry> problems;
  std::vector<std::string> progress;

 private:
  std::unique_ptr<sys::Win32Platform> platform_;
  sys::Registry registry_;
  sys::Bitness bitness_;
  std::string systemFolder_;
  int stopAfter_ = -1;
  int regFiles_ = 0;
  struct PlantedKey { sys::RegRoot root; std::string key; };
  struct PlantedValue { sys::RegRoot root; std::string key, name; };
  std::vector<PlantedKey> keys_;
  std::vector<PlantedValue> values_;
  std::vector<std::string> files_, folders_, nativeFiles_;
};

// True when the text holds a test marker ("VlTest", or a class id starting
// "{7E57"), in any letter case.
bool HasTestMarker(const std::string& text);

}  // namespace vl::registry::testing
