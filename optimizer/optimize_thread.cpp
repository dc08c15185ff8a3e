// TOptimizeThread: the profile runs and the startup manager's jobs.
#include "optimizer/optimize_thread.h"

#include "app/clock.h"
#include "app/db_access.h"
#include "optimizer/tweak_tables.h"

namespace vl::optimizer {

TOptimizeThread::TOptimizeThread(Optimizer& optimizer, int job, int profile, uint32_t options, bool wow64)
    : Worker(optimizer.main().runner()),
      optimizer_(optimizer),
      job_(job),
      profile_(profile),
      options_(options),
      access_(sys::AccessMask(wow64)) {
  if (job >= kNetwork && job <= kFileSystem) backupPath_ = optimizer.OptimizeBackupPath();
  // Copies made here, on the main thread, before the job runs.
  if ((job == kStartupActive || job == kStartupRemoved) && profile == kChange) {
    active_ = optimizer.activeList;
    removed_ = optimizer.removedList;
  }
}

void TOptimizeThread::Start(Optimizer& optimizer, int job, int profile, uint32_t options, bool wow64) {
  Worker::Start(optimizer.main().runner(),
                std::unique_ptr<Worker>(new TOptimizeThread(optimizer, job, profile, options, wow64)));
}

void TOptimizeThread::Execute() {
  MainForm& m = optimizer_.main();
  StartupStore store(m.platform(), access_, m.dataDbPath());
  switch (job_) {
    case kNetwork:
    case kDiskCache:
    case kDesktop:
    case kFileSystem: RunProfile(); break;
    case kStartupActive:
      if (profile_ == kReload) active_ = store.LoadActive();
      else store.Remove(active_, removed_, problems_);
      break;
    case kStartupRemoved:
      if (profile_ == kReload) removed_ = store.LoadRemoved();
      else store.Restore(active_, removed_, problems_);
      break;
    default: break;
  }
}

void TOptimizeThread::RunProfile() {
  MainForm& m = optimizer_.main();
  WithDatabase(*m.platform().files, m.dataDbPath(), {"sysset"}, [](store::Connection& c) {
    store::RunStatement(c, "Update sysset set last_optimize='" + NowTimestamp() + "'");
  });
  outcome_ = ApplyTweaks(m.platform(), ProfileTweaks(job_, profile_, options_), access_, backupPath_);
}

void TOptimizeThread::EndStep() {
  switch (job_) {
    case kStartupActive:
      if (profile_ == kReload) optimizer_.ActiveLoaded(std::move(active_), error());
      else optimizer_.StartupChanged(job_, std::move(active_), std::move(removed_), problems_, error());
      break;
    case kStartupRemoved:
      if (profile_ == kReload) optimizer_.RemovedLoaded(std::move(removed_), error());
      else optimizer_.StartupChanged(job_, std::move(active_), std::move(removed_), problems_, error());
      break;
    default: optimizer_.OptimizeFinished(outcome_, error()); break;
  }
}

}  // namespace vl::optimizer
