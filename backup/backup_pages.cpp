// The backup page: its controls, the three lists and their handlers.
#include "backup/backup_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"
#include "backup/op_thread.h"

namespace vl::backup {

using ui::Picture;
namespace st = ui::style;

namespace {

const char kNotSelected[] = "You have not selected a registry backup file or backup file does not exist.";

struct Tab {
  BackupKind kind;
  id::ControlId button;
  id::ControlId list;
};
const Tab kTabs[] = {
    {BackupKind::kFull, id::imgFBackup, id::lstvFBackup},
    {BackupKind::kRepair, id::imgRBackup, id::lstvRBackup},
    {BackupKind::kOptimize, id::imgOBackup, id::lstvOBackup},
};

// Enables a control again however the handler is left.
class EnableOnExit {
 public:
  explicit EnableOnExit(ui::Control& c) : c_(c) {}
  ~EnableOnExit() { c_.SetEnabled(true); }
  EnableOnExit(const EnableOnExit&) = delete;
  EnableOnExit& operator=(const EnableOnExit&) = delete;

 private:
  ui::Control& c_;
};

}  // namespace

BackupPage::BackupPage(MainForm& m) : m_(m) {}

ui::Control& BackupPage::list(BackupKind kind) { return m_.control(kTabs[Index(kind)].list); }

ui::Cell BackupPage::RowData(BackupKind kind, int row, int col) const {
  ui::Cell cell;
  const auto& rows = rows_[Index(kind)];
  if (row < 0 || static_cast<size_t>(row) >= rows.size()) return cell;
  cell.text = col == 0 ? rows[row].dateText : rows[row].fileName;
  return cell;
}

void BackupPage::LoadList(BackupKind kind) {
  ui::Control& view = list(kind);
  view.SetSelected(-1);
  rows_[Index(kind)].clear();
  view.SetRowCount(0);
  rows_[Index(kind)] = ListBackups(*m_.platform().files, *m_.platform().system, m_.appDir() + BackupFolder(kind));
  view.SetRowCount(static_cast<int>(rows_[Index(kind)].size()));
}

void BackupPage::ShowTab(BackupKind kind) {
  active_ = kind;
  for (const Tab& t : kTabs) {
    m_.control(t.button).SetHighlighted(t.kind == kind);
    m_.control(t.list).SetVisible(t.kind == kind);
  }
  LoadList(kind);
}

std::string BackupPage::PathOf(BackupKind kind, int row) const {
  return m_.appDir() + BackupFolder(kind) + rows_[Index(kind)][row].fileName;
}

int BackupPage::SelectedRow() {
  int row = list(active_).selected();
  if (row < 0 || static_cast<size_t>(row) >= rows_[Index(active_)].size()) {
    m_.ports().ShowMessage(kNotSelected, "Vantorel", MsgButtons::Ok, MsgIcon::Error);
    return -1;
  }
  return row;
}

void BackupPage::imgBDeleteClick() {
  const BackupKind kind = active_;
  int row = SelectedRow();
  if (row < 0) return;
  if (kind == BackupKind::kFull &&
      m_.ports().ShowMessage("Are you sure to remove this backup file now?\rThis operation is not reversible!",
                             "Confrim", MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)
    return;
  const std::string path = PathOf(kind, row);
  sys::FileSystem& files = *m_.platform().files;
  // A file that stays behind keeps its row: the list never hides a backup
  // that is still on disk.
  if (files.RemoveFile(path) != 0 && files.FileExists(path)) {
    m_.ports().ShowMessage("The backup file could not be deleted.", "Vantorel", MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  ui::Control& view = list(kind);
  view.SetSelected(-1);
  rows_[Index(kind)].erase(rows_[Index(kind)].begin() + row);
  view.SetRowCount(static_cast<int>(rows_[Index(kind)].size()));
}

void BackupPage::imgBRestoreClick() {
  // A .reg file planted by another account would be imported as administrator.
  if (!m_.MayTrustOwnFiles("Restoring a registry backup")) return;
  const BackupKind kind = active_;
  int row = SelectedRow();
  if (row < 0) return;
  if (m_.ports().ShowMessage("Would you like to restore the registry now?", "Confrim", MsgButtons::YesNo,
                             MsgIcon::Information) != MsgAnswer::Yes)
    return;
  ui::Control& button = m_.control(id::imgBRestore);
  button.SetEnabled(false);
  EnableOnExit enable(button);
  const std::string path = PathOf(kind, row);
  if (!m_.platform().files->FileExists(path)) {
    m_.ports().ShowMessage("Registry backup file has been lost.", "Vantorel", MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  TOpThread::Start(m_, TOpThread::kRestore, path);
  m_.ports().ShowWaitModal();
}

void BackupPage::imgRegBackupClick() {
  if (!startFullBackup) return;
  startFullBackup();
  m_.ports().ShowWaitModal();
}

void BackupPage::FullBackupFinished(bool started) {
  // The new backup is a full one: show that list, reloaded.
  ShowTab(BackupKind::kFull);
  m_.ports().CloseWait();
  if (!started)
    m_.ports().ShowMessage("The registry editor could not be started, so no full backup was taken.", "Vantorel",
                           MsgButtons::Ok, MsgIcon::Error);
}

void BackupPage::FullBackupWritten() {
  if (active_ == BackupKind::kFull) LoadList(BackupKind::kFull);
}

BackupPage& AddBackupPages(MainForm& m) {
  BackupPage& page = m.AddFeature(std::make_unique<BackupPage>(m));
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabBackup, "tabBackup", st::kPage);
  ui::PageBuilder b(f, sheet::tabBackup, MainForm::kWidth);
  b.Title(id::labBackup_Title, "labBackup_Title");
  b.Description(id::labBackup_Desc, "labBackup_Desc", {}, 54);

  // The page control pgcBackup: one button per tab above one list per tab,
  // only the active tab's list visible.
  const struct {
    const char* caption;
    void (BackupPage::*click)();
  } tabs[] = {
      {"Full Backup", &BackupPage::imgFBackupClick},
      {"Repair Backup", &BackupPage::imgRBackupClick},
      {"Optimize Backup", &BackupPage::imgOBackupClick},
  };
  int x = st::kMargin;
  for (size_t i = 0; i < 3; ++i) {
    const Tab& t = kTabs[i];
    auto click = tabs[i].click;
    ui::Control& button = b.Button(t.button, id::Name(t.button), {x, 104, 150, 32}, tabs[i].caption, Picture::None);
    button.onClick = [&page, click] { (page.*click)(); };
    x += 158;
    ui::Control& view = b.List(t.list, id::Name(t.list), {st::kMargin, 142, 709, 204});
    view.columns = {{"Date", 300}, {"File", 0}};
    view.showHeader = false;
    view.striped = true;
    view.SetVisible(t.kind == BackupKind::kFull);
    const BackupKind kind = t.kind;
    view.rowProvider = [&page, kind](int row, int col) { return page.RowData(kind, row, col); };
    view.onItemDoubleClick = [&page](int) { page.imgBRestoreClick(); };
  }
  b.BottomButton(id::imgRegBackup, "imgRegBackup", 0, "Backup Now", Picture::Backup).onClick = [&page] {
    page.imgRegBackupClick();
  };
  b.BottomButton(id::imgBDelete, "imgBDelete", -2, "Delete", Picture::Delete).onClick = [&page] {
    page.imgBDeleteClick();
  };
  b.BottomButton(id::imgBRestore, "imgBRestore", -1, "Restore", Picture::Restore).onClick = [&page] {
    page.imgBRestoreClick();
  };

  m.RegisterPage(page::kBackup, sheet::tabBackup, [&m, &page] {
    m.control(id::labBackup_Title).SetText("Registry Backup and Restore");
    m.control(id::labBackup_Desc)
        .SetText(
            "Full Backup supports complete registry backup. To return to any previous "
            "configuration, please select an item\r"
            "from the list below and click on \"Restore\" button to start the restore.");
    page.imgFBackupClick();
  });
  return page;
}

}  // namespace vl::backup
