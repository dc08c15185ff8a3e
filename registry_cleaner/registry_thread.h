// TRegistryThread: the registry cleaner's worker. One job per thread,
// chosen by its job code: 3 scans one category, 5 writes or removes the
// run-at-startup value. (1 full backup, 4 repair and 6 one-click repair
// come with the repair.)
#pragma once
#include <string>

#include "app/jobs.h"
#include "registry_cleaner/registry_cleaner.h"

namespace vl::registry {

class TRegistryThread : public Worker {
 public:
  enum Job { kFullBackup = 1, kScanCategory = 3, kRepair = 4, kRunAtStartup = 5, kOneClickRepair = 6 };

  // Starts the worker running; it frees itself when done.
  static void Start(RegistryCleaner& cleaner, int job, int category, bool wow64);

  const std::string& currentItem() const { return currentItem_; }

 protected:
  void Execute() override;
  bool HasEndStep() const override { return job_ == kScanCategory; }
  void EndStep() override;

 private:
  TRegistryThread(RegistryCleaner& cleaner, int job, int category, bool wow64);
  void ScanCategory();
  void RunAtStartup();
  friend class ThreadScanContext;

  RegistryCleaner& cleaner_;
  const int job_;
  const int category_;
  const bool wow64_;
  std::string systemFolder_;
  std::string currentItem_;
};

}  // namespace vl::registry
