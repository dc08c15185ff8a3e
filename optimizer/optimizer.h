// The optimizer as the main window sees it: the four profile pages (radio
// groups, option lists, optimize buttons, the finish page) and the startup
// manager (its two lists, remove and restore), with the main-thread steps of
// their worker, TOptimizeThread.
#pragma once
#include <string>
#include <vector>

#include "app/main_form.h"
#include "optimizer/startup_entries.h"
#include "optimizer/tweak_run.h"

namespace vl::optimizer {

class Optimizer : public Feature {
 public:
  explicit Optimizer(MainForm& m);
  MainForm& main() { return m_; }

  // --- profile pages ---------------------------------------------------------------
  // The index of the radio group's checked item (ItemIndex), -1 for none.
  int radgNetworkIndex();
  int radgDiskCacheIndex();
  int radgDesktopIndex();
  int radgFileSystemIndex();
  void radgDiskCacheClick();
  void radgDesktopClick();
  void radgFileSystemClick();
  void imgOptimizeNClick();
  void imgOptimizeDClick();
  void imgOptimizeDTClick();
  void imgOptimizeFClick();
  ui::Cell lstvDesktopData(int row, int col);
  void lstvDesktopMouseDown(int row, bool onImage);
  // The desktop rows' check boxes.
  std::vector<bool> desktopTicks;
  // Completion step of jobs 1 to 4.
  void OptimizeFinished(const TweakOutcome& outcome, const std::string& error);
  // Where a profile run's backup goes: backup\optimize_backup\<time>.reg;
  // null when backups are off.
  std::function<std::string()> OptimizeBackupPath();
  bool profileJobRunning() const { return profileJobRunning_; }

  // --- startup manager ---------------------------------------------------------------
  // Shown by the views; changed only by the completion steps.
  std::vector<TStartup> activeList, removedList;
  void OpenStartupManager();
  void imgSRemoveClick();
  void imgSRestoreClick();
  ui::Cell lstvSRemoveData(const std::vector<TStartup>& list, int row, int col) const;
  void lstvSRemoveMouseDown(ui::Control& view, std::vector<TStartup>& list, int row, bool onImage);
  void imgStartupRemoveClick();
  void imgStartupRestoreClick();
  // Completion steps: a job hands over the lists it made.
  void ActiveLoaded(std::vector<TStartup> list, const std::string& error);
  void RemovedLoaded(std::vector<TStartup> list, const std::string& error);
  void StartupChanged(int job, std::vector<TStartup> active, std::vector<TStartup> removed,
                      const std::vector<std::string>& problems, const std::string& error);
  int startupJobs() const { return startupJobs_; }

 private:
  // Bit i set for each ticked item i.
  static uint32_t MaskOf(const std::vector<bool>& ticks);
  void StartProfileJob(int job, int profile, uint32_t mask);
  void StartStartupJob(int job, int subMode);
  void StartupJobEnded();
  void RefreshStartupViews();

  MainForm& m_;
  bool profileJobRunning_ = false;
  int startupJobs_ = 0;
};

}  // namespace vl::optimizer
