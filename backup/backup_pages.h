// The backup page (page 4, sheet tabBackup): the full, repair and optimize
// backup lists, deleting a backup, restoring one through the registry
// editor, and taking a full backup.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "backup/backup_catalogue.h"

namespace vl::backup {

class BackupPage : public Feature {
 public:
  explicit BackupPage(MainForm& m);

  // Tab buttons: make the kind's list the active one and reload it.
  void imgFBackupClick() { ShowTab(BackupKind::kFull); }
  void imgRBackupClick() { ShowTab(BackupKind::kRepair); }
  void imgOBackupClick() { ShowTab(BackupKind::kOptimize); }
  void imgBDeleteClick();
  // Also the double-click handler of the three lists.
  void imgBRestoreClick();
  // Starts a full backup and shows the wait window.
  void imgRegBackupClick();
  // End step of that full backup: the list shows the new file.
  void FullBackupFinished(bool started);
  // A full backup has been written: the full list shows it when it is the
  // one on screen.
  void FullBackupWritten();
  // Starts the full backup job (the registry cleaner's; the program wires it
  // in), which ends with FullBackupFinished.
  std::function<void()> startFullBackup;

  BackupKind activeTab() const { return active_; }
  const std::vector<BackupEntry>& rows(BackupKind kind) const { return rows_[Index(kind)]; }
  ui::Control& list(BackupKind kind);
  ui::Cell RowData(BackupKind kind, int row, int col) const;
  void LoadList(BackupKind kind);

 private:
  static size_t Index(BackupKind kind) { return static_cast<size_t>(kind); }
  void ShowTab(BackupKind kind);
  // The selected row of the active tab, or -1 after telling the user.
  int SelectedRow();
  std::string PathOf(BackupKind kind, int row) const;

  MainForm& m_;
  BackupKind active_ = BackupKind::kFull;
  std::array<std::vector<BackupEntry>, 3> rows_;
};

BackupPage& AddBackupPages(MainForm& m);

}  // namespace vl::backup
