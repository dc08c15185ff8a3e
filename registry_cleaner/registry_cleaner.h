// The registry cleaner as the main window sees it: its lists (ignore list,
// result rows), the start of a scan, the main-thread steps of the scan
// workers, the result rows and the ignore actions.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "registry_cleaner/repair.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

class RegistryCleaner : public Feature {
 public:
  explicit RegistryCleaner(MainForm& m);

  MainForm& main() { return m_; }

  // --- lists owned by the window ------------------------------------------------
  std::vector<TIgnore> ignoreList;
  std::vector<TSearchRegResult> results;
  std::vector<TCleanInfo> repairLog;
  // Set by the backup page: runs when a full backup started from it ended
  // (`started` false when the registry editor could not be started).
  std::function<void(bool started)> onFullBackupFinished;
  // Set by the backup page: runs on the main thread when a full backup has
  // been written and renamed into its folder (the editor works on after
  // the job ended).
  std::function<void()> onFullBackupWritten;

  // Records of the shared scan result list that are registry records.
  TSearchRegistry* Record(size_t index);

  // --- options page and scan start ----------------------------------------------
  void chkSelectAllClick();
  void imgRegScanClick();

  // --- main-thread steps of the scan workers ------------------------------------
  void ShowProgress(const std::string& item);
  void UpdateScanList();
  // After each category; the one that sees the counter at 0 shows the results.
  void ScanFinished(int job);

  // --- result page ----------------------------------------------------------------
  void BuildResults();
  ui::Cell lstvRegistryData(int row, int col) const;
  void lstvRegistryMouseDown(int row, bool onImage);
  void lstvRegistryClick();
  void chkRegSelectAllClick();
  void labErrorIgnoreClick();
  void labErrorOpenClick();

  // --- repair, one-click repair, finish page ------------------------------------
  void imgRegCleanClick();
  void imgSOptimizerClick();
  // End of jobs 1 (from the backup page), 4 and 6.
  void JobFinished(int job, int category, bool started);
  ui::Cell lstvRegFinishData(int row, int col) const;
  // Where a repair's backup goes: backup\repair_backup\<time>.reg; empty
  // when backups are off.
  std::function<std::string()> RepairBackupPath();
  // The full backup of job 1; false when the registry editor could not start.
  bool StartFullBackup();

  // --- ignore list ------------------------------------------------------------------
  void LoadIgnoreList();
  ui::Cell lstvIgnoreData(int row, int col) const;
  void lstvIgnoreMouseDown(int row, bool onImage);
  void chkISelectAllClick();
  void imgIDeleteClick();
  // Whether a problem of `category` at root/key is covered by an ignore entry.
  bool IsIgnored(int category, uint32_t root, const std::string& keyPath) const;

  // The text of a key as shown: root long name + "\" + key path.
  static std::string KeyText(uint32_t root, const std::string& keyPath);

 private:
  void ClearDetails();
  int64_t NewIgnoreId() const;

  MainForm& m_;
};

}  // namespace vl::registry
