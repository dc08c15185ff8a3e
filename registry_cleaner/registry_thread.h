// TRegistryThread: the registry cleaner's worker. One job per thread,
// chosen by its job code: 1 full backup, 3 scan of one category, 4 repair
// of the checked problems, 5 the run-at-startup value, 6 one-click scan and
// repair of all fifteen categories.
#pragma once
#include <string>

#include "ui/jobs.h"
#include "registry_cleaner/registry_cleaner.h"
#include "registry_cleaner/repair.h"

namespace vl::registry {

class TRegistryThread : public Worker {
 public:
  enum Job { kFullBackup = 1, kScanCategory = 3, kRepair = 4, kRunAtStartup = 5, kOneClickRepair = 6 };

  // Starts the worker running; it frees itself when done.
  // A scan worker may be handed the record it fills (made on the main thread).
  static void Start(RegistryCleaner& cleaner, int job, int category, sys::Bitness bitness,
                    TSearchRegistry* record = nullptr);

 protected:
  void Execute() override;
  bool HasEndStep() const override;
  void EndStep() override;

 private:
  TRegistryThread(RegistryCleaner& cleaner, int job, int category, sys::Bitness bitness, TSearchRegistry* record);
  void ScanCategory();
  void RunAtStartup();
  void Repair();
  void OneClickRepair();
  // Removes one problem (backup first), logs it and shows progress.
  void RemoveProblem(Repairer& repairer, int category, const TScanRegistry& problem, int* counters);
  friend class ThreadScanContext;

  RegistryCleaner& cleaner_;
  const int job_;
  int category_;  // changes during a one-click repair
  bool started_ = false;  // full backup: the registry editor started
  const sys::Bitness bitness_;
  TSearchRegistry* const record_;
  std::string systemFolder_;
};

}  // namespace vl::registry
