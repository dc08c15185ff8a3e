// The registry cleaner's main-thread side: scan start and steps, result
// rows with the scan counts, details panel and the ignore list.
#include "registry_cleaner/registry_cleaner.h"

#include <cstdlib>
#include <set>

#include "app/clock.h"
#include "app/db_access.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"
#include "backup/backup_folders.h"
#include "backup/full_backup.h"
#include "registry_cleaner/registry_thread.h"
#include "store/database.h"
#include "sysaccess/registry.h"
#include "sysaccess/text.h"

namespace vl::registry {

namespace {

}  // namespace

RegistryCleaner::RegistryCleaner(MainForm& m) : m_(m) {}

TSearchRegistry* RegistryCleaner::Record(size_t index) {
  if (index >= m_.scanResults.size()) return nullptr;
  return dynamic_cast<TSearchRegistry*>(m_.scanResults[index].get());
}

std::string RegistryCleaner::KeyText(uint32_t root, const std::string& keyPath) {
  std::string name = sys::RootLongName(root);
  return name.empty() ? keyPath : name + "\\" + keyPath;
}

// --- options page and scan start -------------------------------------------------

void RegistryCleaner::chkSelectAllClick() {
  ui::Control& list = m_.control(id::chklstRegistry);
  bool on = m_.control(id::chkSelectAll).checked();
  for (size_t i = 0; i < list.itemChecked.size(); ++i) list.SetItemChecked(static_cast<int>(i), on);
}

void RegistryCleaner::imgRegScanClick() {
  ui::Control& list = m_.control(id::chklstRegistry);
  std::vector<int> chosen;
  for (int i = 0; i < kCategoryCount && i < static_cast<int>(list.itemChecked.size()); ++i)
    if (list.itemChecked[i]) chosen.push_back(i);
  if (chosen.empty()) {
    m_.ports().ShowMessage("Please select the specific options before scaning.", "Hint", MsgButtons::Ok,
                           MsgIcon::None);
    return;
  }
  m_.runningScans = 0;
  m_.scanResults.clear();
  results.clear();
  m_.control(id::lstvRegistry).SetRowCount(0);
  std::vector<TSearchRegistry*> records;
  for (int c : chosen) {
    m_.runningScans.fetch_add(1);
    auto record = std::make_unique<TSearchRegistry>(static_cast<int16_t>(c));
    records.push_back(record.get());
    m_.scanResults.push_back(std::move(record));
  }
  ui::Control& bar = m_.control(id::pbarRegistry);
  bar.SetMaximum(10000);
  bar.SetPosition(0);
  m_.EnterBusyState();
  m_.stopFlag = 0;
  m_.ShowPage(page::kRegistryScan);
  m_.control(id::labScanInfo).SetText("");
  m_.control(id::lstvRegistryScan).SetRowCount(static_cast<int>(chosen.size()));
  // Each worker gets its own record; the list keeps its shape while they run.
  for (size_t i = 0; i < chosen.size(); ++i)
    TRegistryThread::Start(*this, TRegistryThread::kScanCategory, chosen[i], m_.bitness, records[i]);
}

// --- worker steps -------------------------------------------------------------------

void RegistryCleaner::ShowProgress(const std::string& item) {
  if (m_.stopFlag.load() == 1) return;
  m_.control(id::labScanInfo).SetText(item);
  ui::Control& bar = m_.control(id::pbarRegistry);
  int pos = bar.position() + 1;
  bar.SetPosition(pos >= bar.maximum() ? 0 : pos);
}

void RegistryCleaner::UpdateScanList() {
  m_.control(id::lstvRegistryScan).SetRowCount(static_cast<int>(m_.scanResults.size()));
}

void RegistryCleaner::ScanFinished(int job) {
  if (m_.runningScans.load() > 0) {
    UpdateScanList();
    return;
  }
  if (job == TRegistryThread::kScanCategory) {
    m_.ShowPage(page::kRegistryResult);
    m_.LeaveBusyState();
    BuildResults();
    m_.control(id::lstvRegistry).Repaint();
  } else if (job == TRegistryThread::kOneClickRepair) {
    m_.ShowPage(page::kRegistryRepair);
  }
}

// --- result rows --------------------------------------------------------------------

void RegistryCleaner::BuildResults() {
  results.clear();
  int counts[kCategoryCount] = {};
  int group = 0, total = 0;
  for (size_t i = 0; i < m_.scanResults.size(); ++i) {
    TSearchRegistry* rec = Record(i);
    if (!rec) continue;
    const int count = rec->count.load();
    if (rec->category >= 0 && rec->category < kCategoryCount) counts[rec->category] = count;
    ++group;
    TSearchRegResult row;
    row.rowKind = 0;
    row.category = rec->category;
    row.count = count;
    row.group = group;
    results.push_back(row);
    total += count;
    for (const TScanRegistry& p : rec->problems) {
      TSearchRegResult pr;
      pr.rowKind = 1;
      pr.group = group;
      pr.category = rec->category;
      pr.count = count;
      pr.root = p.root;
      pr.keyPath = p.keyPath;
      pr.valueName = p.valueName;
      pr.data = p.data;
      pr.code = p.code;
      pr.access = p.access;
      results.push_back(std::move(pr));
    }
  }
  m_.control(id::lstvRegistry).SetRowCount(static_cast<int>(results.size()));
  m_.control(id::chkRegSelectAll).SetChecked(true);
  m_.control(id::labStatus_Registry).SetText(std::to_string(total) + " Error(s)");
  m_.control(id::labRegistryRDesc).SetText("A total of " + std::to_string(total) + " Entries have been detected.");
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"scanlog", "sysset"}, [&](store::Connection& c) {
    store::RunStatement(c, "Delete from scanlog where type=1");
    for (int i = 0; i < kCategoryCount; ++i)
      store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (" + std::to_string(i) +
                                 ",1," + std::to_string(counts[i]) + ",0)");
    const std::string t = NowTimestamp();
    store::RunStatement(c, "update sysset set last_rscan='" + t + "',optime='" + t + "'");
  });
}

ui::Cell RegistryCleaner::lstvRegistryData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(results.size())) return cell;
  const TSearchRegResult& r = results[row];
  cell.image = r.checked ? 1 : 0;
  if (r.rowKind == 0) {
    cell.text = col == 0 ? CategoryCaption(r.category) : std::to_string(r.count) + " entries";
    cell.background = 0xF5F5F5;
    cell.bold = true;
    cell.color = 0x0000FF;  // blue
  } else {
    cell.indent = 1;
    if (col == 0) {
      cell.text = r.category == kShortcuts ? r.keyPath : KeyText(r.root, r.keyPath);
      if (!r.valueName.empty()) cell.text += "\\" + r.valueName;
    }
    cell.color = 0x000000;
  }
  return cell;
}

void RegistryCleaner::lstvRegistryMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(results.size())) return;
  const bool on = !results[row].checked;
  results[row].checked = on;
  if (results[row].rowKind == 0)
    for (size_t i = row + 1; i < results.size() && results[i].rowKind == 1; ++i) results[i].checked = on;
  m_.control(id::lstvRegistry).Repaint();
}

void RegistryCleaner::ClearDetails() {
  m_.control(id::labRegError).SetText("");
  m_.control(id::labErrorKey).SetText("");
  m_.control(id::labErrorValue).SetText("");
}

void RegistryCleaner::lstvRegistryClick() {
  int row = m_.control(id::lstvRegistry).selected();
  if (results.empty() || row < 0 || row >= static_cast<int>(results.size())) return;
  const TSearchRegResult& r = results[row];
  if (r.rowKind == 0) {
    ClearDetails();
  } else {
    std::string text = ProblemText(static_cast<int>(r.code));
    if (!text.empty()) m_.control(id::labRegError).SetText(text);
    std::string key = r.category == kShortcuts ? "File: " + r.keyPath : "Key: " + KeyText(r.root, r.keyPath);
    if (r.category != kShortcuts && !r.valueName.empty()) key += "\\" + r.valueName;
    m_.control(id::labErrorKey).SetText(key);
    m_.control(id::labErrorValue).SetText("Value: " + r.data);
  }
  const bool links = r.rowKind == 1 && r.category != kShortcuts;
  m_.control(id::labErrorOpen).SetVisible(links);
  m_.control(id::labErrorIgnore).SetVisible(links);
}

void RegistryCleaner::labErrorOpenClick() {
  int row = m_.control(id::lstvRegistry).selected();
  if (row < 0 || row >= static_cast<int>(results.size())) return;
  // The key alone: the editor's tree has no node for a value.
  m_.platform().shell->ShowKeyInRegistryEditor(KeyText(results[row].root, results[row].keyPath));
}

void RegistryCleaner::chkRegSelectAllClick() {
  const bool on = m_.control(id::chkRegSelectAll).checked();
  for (auto& r : results) r.checked = on;
  m_.control(id::lstvRegistry).Repaint();
}

// --- repair, one-click repair, finish page ----------------------------------------------

void RegistryCleaner::imgRegCleanClick() {
  if (results.empty()) return;
  if (m_.ports().ShowMessage("Do you want to fix the detected errors?", "Confirm", MsgButtons::YesNo,
                             MsgIcon::Question) != MsgAnswer::Yes)
    return;
  m_.EnterBusyState();
  m_.stopFlag = 0;
  repairLog.clear();
  ui::Control& bar = m_.control(id::pbarRegistry);
  bar.SetMaximum(static_cast<int>(results.size()));
  bar.SetPosition(0);
  m_.ShowPage(page::kRegistryRepair);
  TRegistryThread::Start(*this, TRegistryThread::kRepair, 0, m_.bitness);
}

void RegistryCleaner::imgSOptimizerClick() {
  if (m_.ports().ShowMessage("Are you want to perform One Click Optimization?", "Confirm", MsgButtons::YesNo,
                             MsgIcon::Question) != MsgAnswer::Yes)
    return;
  m_.scanResults.clear();
  results.clear();
  repairLog.clear();
  m_.control(id::lstvRegistry).SetRowCount(0);
  ui::Control& bar = m_.control(id::pbarRegistry);
  bar.SetMaximum(10000);
  bar.SetPosition(0);
  m_.EnterBusyState();
  m_.stopFlag = 0;
  for (int c = 0; c < kCategoryCount; ++c)
    m_.scanResults.push_back(std::make_unique<TSearchRegistry>(static_cast<int16_t>(c)));
  TRegistryThread::Start(*this, TRegistryThread::kOneClickRepair, 0, m_.bitness);
  m_.ShowPage(page::kRegistryScan);
  m_.control(id::lstvRegistryScan).SetRowCount(kCategoryCount);
}

void RegistryCleaner::JobFinished(int job, int category, bool started) {
  if (job == TRegistryThread::kFullBackup) {
    if (onFullBackupFinished) onFullBackupFinished(started);
  } else {
    m_.ShowPage(page::kRegistryFinish);
  }
  m_.LeaveBusyState();
}

ui::Cell RegistryCleaner::lstvRegFinishData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(repairLog.size())) return cell;
  const TCleanInfo& info = repairLog[row];
  if (col == 0) {
    cell.text = info.text;
  } else {
    // A failure says why when the repair knows.
    cell.text = info.status == 1 ? "Repaired Successfully"
                : info.reason.empty() ? "Repair failed"
                                      : "Repair failed: " + info.reason;
    cell.color = info.status == 1 ? 0x008000 : 0xFF0000;
  }
  return cell;
}

std::function<std::string()> RegistryCleaner::RepairBackupPath() {
  if (!m_.backupBeforeRepair) return nullptr;
  const std::string folder = m_.appDir() + backup::BackupFolder(backup::BackupKind::kRepair);
  return [folder] { return folder + NowTimestamp() + ".reg"; };
}

bool RegistryCleaner::StartFullBackup() {
  sys::FileSystem& files = *m_.platform().files;
  const std::string folder = m_.appDir() + backup::BackupFolder(backup::BackupKind::kFull);
  const uint64_t now = static_cast<uint64_t>(NowMillis()) * 10000ull + 116444736000000000ull;
  JobRunner& runner = m_.runner();
  MainForm& m = m_;
  auto written = onFullBackupWritten;
  const bool started = backup::StartFullBackupExport(
      m_.platform(), folder, NowTimestamp(), now, [&runner](std::function<void()> body) { runner.Start(body); },
      [&runner, &m, written](const backup::FullBackupOutcome& out) {
        // Told on the main thread: the list gains the backup, or the user
        // learns that there is none.
        runner.dispatcher().Call([&m, written, out] {
          if (!out.path.empty()) {
            if (written) written();
          } else {
            m.ports().ShowMessage("The full backup could not be completed: " + out.problem + ".", "Vantorel",
                                  MsgButtons::Ok, MsgIcon::Error);
          }
        });
      });
  if (!started) return false;
  WithDatabase(files, m_.dataDbPath(), {"sysset"}, [&](store::Connection& c) {
    store::RunStatement(c, "update sysset set last_backup='" + NowTimestamp() + "'");
  });
  return true;
}

// --- ignore list ----------------------------------------------------------------------

bool RegistryCleaner::IsIgnored(int category, uint32_t root, const std::string& keyPath) const {
  for (const TIgnore& e : ignoreList)
    if (e.category == category && e.root == root && e.keyPath == keyPath) return true;
  return false;
}

int64_t RegistryCleaner::NewIgnoreId() const {
  // Unique ids: the clock in milliseconds, past every id already in use (old
  // rows hold day numbers, far below).
  int64_t id = NowMillis();
  for (const TIgnore& e : ignoreList)
    if (e.id >= id) id = e.id + 1;
  return id;
}

void RegistryCleaner::LoadIgnoreList() {
  ignoreList.clear();
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"ignorelist"}, [&](store::Connection& c) {
    store::ResultTable t = store::RunQuery(c, "SELECT * FROM ignorelist");
    for (; !t.AtEnd(); t.NextRow()) {
      TIgnore e;
      e.id = std::strtoll(t.ColumnByName("id").c_str(), nullptr, 10);
      e.root = static_cast<uint32_t>(std::strtoll(t.ColumnByName("root").c_str(), nullptr, 10));
      e.keyPath = sys::Trim(t.ColumnByName("key"));
      e.valueName = sys::Trim(t.ColumnByName("value"));
      e.category = static_cast<int32_t>(std::strtol(t.ColumnByName("type").c_str(), nullptr, 10));
      ignoreList.push_back(std::move(e));
    }
  });
}

void RegistryCleaner::labErrorIgnoreClick() {
  ui::Control& list = m_.control(id::lstvRegistry);
  int row = list.selected();
  if (row < 0 || row >= static_cast<int>(results.size()) || results[row].rowKind != 1) return;
  const TSearchRegResult r = results[row];
  TIgnore e{NewIgnoreId(), r.root, r.keyPath, r.valueName, r.category, false};
  ignoreList.push_back(e);
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"ignorelist"}, [&](store::Connection& c) {
    store::RunStatement(c, "insert into ignorelist (id,root,key,value,type) values (" + std::to_string(e.id) +
                               "," + std::to_string(e.root) + "," + store::Quote(e.keyPath) + "," +
                               store::Quote(e.valueName) + "," + std::to_string(e.category) + ")");
  });
  results.erase(results.begin() + row);
  for (auto& cat : results)
    if (cat.rowKind == 0 && cat.category == r.category) {
      --cat.count;
      break;
    }
  ClearDetails();
  // The row that moves into the selection is not described: hide the links too.
  m_.control(id::labErrorOpen).SetVisible(false);
  m_.control(id::labErrorIgnore).SetVisible(false);
  list.SetRowCount(static_cast<int>(results.size()));
  list.Repaint();
}

ui::Cell RegistryCleaner::lstvIgnoreData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(ignoreList.size())) return cell;
  const TIgnore& e = ignoreList[row];
  cell.image = e.checked ? 1 : 0;
  if (col == 0) {
    cell.text = CategoryCaption(e.category);
  } else {
    cell.text = KeyText(e.root, e.keyPath);
    if (!e.valueName.empty()) cell.text += "\\" + e.valueName;
  }
  return cell;
}

void RegistryCleaner::lstvIgnoreMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(ignoreList.size())) return;
  ignoreList[row].checked = !ignoreList[row].checked;
  m_.control(id::lstvIgnore).Repaint();
}

void RegistryCleaner::chkISelectAllClick() {
  if (ignoreList.empty()) return;
  const bool on = m_.control(id::chkISelectAll).checked();
  for (auto& e : ignoreList) e.checked = on;
  m_.control(id::lstvIgnore).Repaint();
}

void RegistryCleaner::imgIDeleteClick() {
  if (ignoreList.empty()) return;
  // From the last entry to the first, as the ids are listed.
  std::vector<TIgnore> removed;
  for (size_t i = ignoreList.size(); i-- > 0;) {
    if (!ignoreList[i].checked) continue;
    removed.push_back(ignoreList[i]);
    ignoreList.erase(ignoreList.begin() + static_cast<long>(i));
  }
  if (removed.empty()) return;
  // Old rows may share a day-number id with an entry that stays: those are
  // deleted by their whole content, so only the checked entries go.
  std::set<int64_t> kept;
  for (const TIgnore& e : ignoreList) kept.insert(e.id);
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"ignorelist"}, [&](store::Connection& c) {
    std::string plain;
    for (const TIgnore& e : removed) {
      if (!kept.count(e.id)) {
        plain += (plain.empty() ? "" : ",") + std::to_string(e.id);
        continue;
      }
      store::RunStatement(c, "delete from ignorelist where rowid in (select rowid from ignorelist where id=" +
                                 std::to_string(e.id) + " and root=" + std::to_string(e.root) +
                                 " and trim(key)=" + store::Quote(e.keyPath) + " and trim(value)=" +
                                 store::Quote(e.valueName) + " and type=" + std::to_string(e.category) +
                                 " limit 1)");
    }
    if (!plain.empty()) store::RunStatement(c, "delete from ignorelist where id in (" + plain + ")");
  });
  m_.control(id::lstvIgnore).SetRowCount(static_cast<int>(ignoreList.size()));
  m_.control(id::lstvIgnore).Repaint();
}

}  // namespace vl::registry
