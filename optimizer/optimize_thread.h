// TOptimizeThread: the optimizer's worker. One job per thread, chosen by
// its job code: 1 to 4 the profiles (network, disk cache, desktop, file
// system), 5 the active startup list (sub-mode 1 reload, 2 remove the ticked
// entries), 6 the removed list (1 reload, 2 restore the ticked entries).
// A startup job works on its own copies of the lists and hands them over in
// its completion step, so the views never read a list a job is changing.
#pragma once
#include <string>
#include <vector>

#include "optimizer/optimizer.h"
#include "ui/jobs.h"

namespace vl::optimizer {

class TOptimizeThread : public Worker {
 public:
  enum Job { kNetwork = 1, kDiskCache = 2, kDesktop = 3, kFileSystem = 4, kStartupActive = 5, kStartupRemoved = 6 };
  enum SubMode { kReload = 1, kChange = 2 };

  // Main thread: takes the copies it needs, then starts running.
  static void Start(Optimizer& optimizer, int job, int profile, uint32_t options, bool wow64);

 protected:
  void Execute() override;
  bool HasEndStep() const override { return true; }
  void EndStep() override;

 private:
  TOptimizeThread(Optimizer& optimizer, int job, int profile, uint32_t options, bool wow64);
  void RunProfile();

  Optimizer& optimizer_;
  const int job_;
  const int profile_;
  const uint32_t options_;
  const uint32_t access_;
  std::function<std::string()> backupPath_;
  TweakOutcome outcome_;
  std::vector<TStartup> active_, removed_;
  std::vector<std::string> problems_;
};

}  // namespace vl::optimizer
