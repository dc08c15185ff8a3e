// The optimizer's main-thread side: radio handlers, optimize buttons, the
// finish page, and the startup manager's handlers and completion steps.
#include "optimizer/optimizer.h"

#include <algorithm>

#include "app/clock.h"
#include "app/db_access.h"
#include "app/page_codes.h"
#include "backup/backup_folders.h"
#include "optimizer/optimize_thread.h"
#include "optimizer/tweak_tables.h"

namespace vl::optimizer {

namespace {

const id::ControlId kNetworkRadios[] = {id::radgNetwork0, id::radgNetwork1, id::radgNetwork2, id::radgNetwork3,
                                        id::radgNetwork4, id::radgNetwork5, id::radgNetwork6};
const id::ControlId kDiskCacheRadios[] = {id::radgDiskCache0, id::radgDiskCache1, id::radgDiskCache2,
                                          id::radgDiskCache3, id::radgDiskCache4};
const id::ControlId kDesktopRadios[] = {id::radgDesktop0, id::radgDesktop1};
const id::ControlId kFileSystemRadios[] = {id::radgFileSystem0, id::radgFileSystem1};

const char kFinishText[] =
    "The optimization you want has completed. Some optimization items become effective after restart.\rYou can "
    "restore your registry if you think your system acts weird after optimization. ";

template <size_t N>
int CheckedIndex(MainForm& m, const id::ControlId (&radios)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (m.control(radios[i]).checked()) return static_cast<int>(i);
  return -1;
}

void TickAll(ui::Control& list) {
  for (size_t i = 0; i < list.itemChecked.size(); ++i) list.SetItemChecked(static_cast<int>(i), true);
}

}  // namespace

Optimizer::Optimizer(MainForm& m) : m_(m) {}

// --- profile pages ------------------------------------------------------------------------

int Optimizer::radgNetworkIndex() { return CheckedIndex(m_, kNetworkRadios); }
int Optimizer::radgDiskCacheIndex() { return CheckedIndex(m_, kDiskCacheRadios); }
int Optimizer::radgDesktopIndex() { return CheckedIndex(m_, kDesktopRadios); }
int Optimizer::radgFileSystemIndex() { return CheckedIndex(m_, kFileSystemRadios); }

void Optimizer::radgDiskCacheClick() {
  ui::Control& list = m_.control(id::chklstDiskCache);
  list.SetCheckItems(DiskCacheOptions(radgDiskCacheIndex()));
  TickAll(list);
}

void Optimizer::radgDesktopClick() {
  desktopTicks.assign(DesktopRows().size(), true);
  ui::Control& list = m_.control(id::lstvDesktop);
  list.SetRowCount(static_cast<int>(desktopTicks.size()));
  list.Repaint();
}

void Optimizer::radgFileSystemClick() {
  const int profile = radgFileSystemIndex();
  ui::Control& list = m_.control(id::chklstFileSystem);
  std::vector<std::string> items = list.checkItems;
  const std::vector<std::string> captions = FileSystemOptions(profile);
  if (items.size() >= 2 && (profile == 0 || profile == 1)) items[1] = captions[1];
  if (profile == 1 && items.size() == 6) items.push_back(kContiguousAllocationOption);
  if (profile == 0 && items.size() == 7) items.pop_back();
  list.SetCheckItems(items);
  TickAll(list);
}

uint32_t Optimizer::MaskOf(const std::vector<bool>& ticks) {
  uint32_t mask = 0;
  for (size_t i = 0; i < ticks.size() && i < 32; ++i)
    if (ticks[i]) mask |= 1u << i;
  return mask;
}

void Optimizer::imgOptimizeNClick() {
  // An empty mask still writes the base block.
  StartProfileJob(kNetworkJob, radgNetworkIndex(), MaskOf(m_.control(id::chklstNetwork).itemChecked));
}

void Optimizer::imgOptimizeDClick() {
  StartProfileJob(kDiskCacheJob, radgDiskCacheIndex(), MaskOf(m_.control(id::chklstDiskCache).itemChecked));
}

void Optimizer::imgOptimizeDTClick() { StartProfileJob(kDesktopJob, radgDesktopIndex(), MaskOf(desktopTicks)); }

void Optimizer::imgOptimizeFClick() {
  StartProfileJob(kFileSystemJob, radgFileSystemIndex(), MaskOf(m_.control(id::chklstFileSystem).itemChecked));
}

void Optimizer::StartProfileJob(int job, int profile, uint32_t mask) {
  // A second click while a run is under way starts nothing.
  if (profileJobRunning_) return;
  if (job != kNetworkJob && mask == 0) {
    m_.ports().ShowMessage("You did not choose to optimize option.", "Error", MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  profileJobRunning_ = true;
  m_.EnterBusyState();
  m_.stopFlag = 0;
  TOptimizeThread::Start(*this, job, profile, mask, m_.bitness.wow64);
}

std::function<std::string()> Optimizer::OptimizeBackupPath() {
  if (!m_.backupBeforeOptimize) return nullptr;
  const std::string folder = m_.appDir() + backup::BackupFolder(backup::BackupKind::kOptimize);
  return [folder] { return folder + NowTimestamp() + ".reg"; };
}

void Optimizer::OptimizeFinished(const TweakOutcome& outcome, const std::string& error) {
  // The window comes back whatever happens below.
  struct Idle {
    Optimizer& o;
    ~Idle() {
      o.profileJobRunning_ = false;
      o.m_.LeaveBusyState();
    }
  } idle{*this};
  m_.ShowPage(page::kOptimizeFinish);
  const bool stopped = outcome.backupFailed || !error.empty();
  std::string text;
  if (outcome.backupFailed) {
    text = "The optimization stopped: the registry backup could not be written (" + outcome.backupProblem +
           "), so nothing further was changed.";
    text += outcome.made > 0 ? "\rThe changes made before that can be undone from the backup page."
                             : "\rNothing was changed.";
  } else if (!error.empty()) {
    text = "The optimization stopped: " + error;
    if (outcome.made > 0 || !outcome.backupFile.empty())
      text += "\rThe changes made before that can be undone from the backup page.";
  } else {
    text = kFinishText;
    if (!outcome.refused.empty())
      text += "\r" + std::to_string(outcome.refused.size()) + " change(s) could not be made, the first: " +
              outcome.refused.front();
  }
  m_.control(id::labOptimize_Finish_Desc).SetText(text);
  if (stopped) return;
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"sysset"}, [](store::Connection& c) {
    const std::string t = NowTimestamp();
    store::RunStatement(c, "update sysset set last_optimize='" + t + "',optime='" + t + "'");
  });
}

ui::Cell Optimizer::lstvDesktopData(int row, int col) {
  ui::Cell cell;
  const auto& rows = DesktopRows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return cell;
  cell.image = row < static_cast<int>(desktopTicks.size()) && desktopTicks[row] ? 1 : 0;
  if (col == 0) {
    cell.text = rows[row].caption;
  } else {
    const int profile = radgDesktopIndex();
    cell.text = rows[row].shown[profile == 1 ? 1 : 0];
  }
  return cell;
}

void Optimizer::lstvDesktopMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(desktopTicks.size())) return;
  desktopTicks[row] = !desktopTicks[row];
  m_.control(id::lstvDesktop).Repaint();
}

// --- startup manager ------------------------------------------------------------------------

void Optimizer::OpenStartupManager() {
  m_.control(id::labStartupDesc).SetText("Choose which applications you wish to launch when Windows starts.");
  imgSRemoveClick();
  // Jobs still running hand over their lists when they end: loading now as
  // well would race them.
  if (startupJobs_ > 0) return;
  StartStartupJob(TOptimizeThread::kStartupActive, TOptimizeThread::kReload);
  StartStartupJob(TOptimizeThread::kStartupRemoved, TOptimizeThread::kReload);
}

void Optimizer::imgSRemoveClick() {
  m_.control(id::imgSRemove).SetHighlighted(true);
  m_.control(id::imgSRestore).SetHighlighted(false);
  m_.control(id::lstvSRemove).SetVisible(true);
  m_.control(id::imgStartupRemove).SetVisible(true);
  m_.control(id::lstvSRestore).SetVisible(false);
  m_.control(id::imgStartupRestore).SetVisible(false);
}

void Optimizer::imgSRestoreClick() {
  m_.control(id::imgSRemove).SetHighlighted(false);
  m_.control(id::imgSRestore).SetHighlighted(true);
  m_.control(id::lstvSRemove).SetVisible(false);
  m_.control(id::imgStartupRemove).SetVisible(false);
  m_.control(id::lstvSRestore).SetVisible(true);
  m_.control(id::imgStartupRestore).SetVisible(true);
}

ui::Cell Optimizer::lstvSRemoveData(const std::vector<TStartup>& list, int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(list.size())) return cell;
  const TStartup& e = list[row];
  cell.text = col == 0 ? e.sname : e.spath;
  cell.image = e.ticked ? 1 : 0;
  return cell;
}

void Optimizer::lstvSRemoveMouseDown(ui::Control& view, std::vector<TStartup>& list, int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(list.size())) return;
  list[row].ticked = !list[row].ticked;
  view.Repaint();
}

void Optimizer::imgStartupRemoveClick() {
  if (startupJobs_ > 0 || activeList.empty()) return;
  if (std::none_of(activeList.begin(), activeList.end(), [](const TStartup& e) { return e.ticked; })) {
    m_.ports().ShowMessage("You choose not to remove startup items.", "Error", MsgButtons::Ok, MsgIcon::Warning);
    return;
  }
  if (m_.ports().ShowMessage("Are you sure to remove the item from the Startup List?\rYou could view or recovery "
                             "the item from the RestoreList.",
                             "Confrim", MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)
    return;
  StartStartupJob(TOptimizeThread::kStartupActive, TOptimizeThread::kChange);
}

void Optimizer::imgStartupRestoreClick() {
  if (startupJobs_ > 0 || removedList.empty()) return;
  // The rows come from data.db: whoever can change it picks what starts.
  if (!m_.MayTrustOwnFiles("Restoring a startup entry")) return;
  StartStartupJob(TOptimizeThread::kStartupRemoved, TOptimizeThread::kChange);
}

void Optimizer::StartStartupJob(int job, int subMode) {
  ++startupJobs_;
  m_.control(id::imgStartupRemove).SetEnabled(false);
  m_.control(id::imgStartupRestore).SetEnabled(false);
  TOptimizeThread::Start(*this, job, subMode, 0, m_.bitness.wow64);
}

void Optimizer::StartupJobEnded() {
  if (--startupJobs_ > 0) return;
  m_.control(id::imgStartupRemove).SetEnabled(true);
  m_.control(id::imgStartupRestore).SetEnabled(true);
}

void Optimizer::RefreshStartupViews() {
  ui::Control& active = m_.control(id::lstvSRemove);
  active.SetRowCount(static_cast<int>(activeList.size()));
  active.Repaint();
  ui::Control& removed = m_.control(id::lstvSRestore);
  removed.SetRowCount(static_cast<int>(removedList.size()));
  removed.Repaint();
}

void Optimizer::ActiveLoaded(std::vector<TStartup> list, const std::string& error) {
  activeList = std::move(list);
  ui::Control& view = m_.control(id::lstvSRemove);
  view.SetRowCount(static_cast<int>(activeList.size()));
  view.Repaint();
  StartupJobEnded();
  if (!error.empty()) m_.ShowError(error);
}

void Optimizer::RemovedLoaded(std::vector<TStartup> list, const std::string& error) {
  removedList = std::move(list);
  ui::Control& view = m_.control(id::lstvSRestore);
  view.SetRowCount(static_cast<int>(removedList.size()));
  view.Repaint();
  StartupJobEnded();
  if (!error.empty()) m_.ShowError(error);
}

void Optimizer::StartupChanged(int job, std::vector<TStartup> active, std::vector<TStartup> removed,
                               const std::vector<std::string>& problems, const std::string& error) {
  activeList = std::move(active);
  removedList = std::move(removed);
  RefreshStartupViews();
  StartupJobEnded();
  if (!problems.empty()) {
    std::string text = job == TOptimizeThread::kStartupActive ? "These startup items could not be removed:"
                                                              : "These startup items could not be restored:";
    for (const std::string& p : problems) text += "\r" + p;
    m_.ports().ShowMessage(text, "Error", MsgButtons::Ok, MsgIcon::Warning);
  }
  if (!error.empty()) m_.ShowError(error);
}

}  // namespace vl::optimizer
