// TRegistryThread: scan of one category and the run-at-startup value.
#include "registry_cleaner/registry_thread.h"

#include "app/db_access.h"
#include "registry_cleaner/file_exists_wow64.h"
#include "registry_cleaner/repair.h"
#include "registry_cleaner/scan_context.h"
#include "sysaccess/shell_folders.h"

namespace vl::registry {

namespace {
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Vantorel";
}  // namespace

// The scan as the checks see it, on the worker's thread.
class ThreadScanContext : public ScanContext {
 public:
  explicit ThreadScanContext(TRegistryThread& t)
      : t_(t), m_(t.cleaner_.main()), registry_(*m_.platform().registry), record_(t.record_) {}

  sys::Platform& platform() override { return m_.platform(); }
  sys::Registry& registry() override { return registry_; }
  uint32_t access() const override { return sys::AccessMask(t_.bitness_.wow64); }
  sys::Bitness bitness() const override { return t_.bitness_; }
  const std::string& systemFolder() const override { return t_.systemFolder_; }
  bool Stopped() const override { return m_.stopFlag.load() == 1; }

  void ShowProgress(const std::string& item) override {
    // Coalesced: the window shows the newest item; the scan does not wait for each repaint.
    RegistryCleaner& cleaner = t_.cleaner_;
    t_.Post(&cleaner, [&cleaner, item] { cleaner.ShowProgress(item); });
  }

  void AddProblem(uint32_t root, const std::string& keyPath, uint32_t access, uint16_t code,
                  const std::string& data, const std::string& valueName, bool unnamedValue = false) override {
    const int category = t_.category_;
    // Shortcut problems are files, never ignored.
    if (category != kShortcuts && t_.cleaner_.IsIgnored(category, root, keyPath)) return;
    TScanRegistry problem{root, keyPath, valueName, data, code, access, unnamedValue};
    if (!record_) record_ = FindRecord(category);
    if (record_) {
      record_->problems.push_back(std::move(problem));
      record_->count.fetch_add(1);
    } else {
      // No record made for this category: the list changes shape, so on the main thread.
      t_.Synchronize([&] {
        auto rec = std::make_unique<TSearchRegistry>(static_cast<int16_t>(category));
        rec->problems.push_back(problem);
        rec->count = 1;
        record_ = rec.get();
        m_.scanResults.push_back(std::move(rec));
      });
    }
    t_.Synchronize([this] { t_.cleaner_.UpdateScanList(); });
  }

  bool FileExistsWow64(const std::string& path, int mode) override {
    return registry::FileExistsWow64(*m_.platform().files, t_.bitness_, t_.systemFolder_, path, mode);
  }

 private:
  // The record was made before the worker started; the list keeps its shape meanwhile.
  TSearchRegistry* FindRecord(int category) {
    TSearchRegistry* found = nullptr;
    t_.Synchronize([&] {
      for (size_t i = 0; !found && i < m_.scanResults.size(); ++i) {
        TSearchRegistry* r = t_.cleaner_.Record(i);
        if (r && r->category == category) found = r;
      }
    });
    return found;
  }

  TRegistryThread& t_;
  MainForm& m_;
  sys::Registry registry_;
  TSearchRegistry* record_ = nullptr;
};

TRegistryThread::TRegistryThread(RegistryCleaner& cleaner, int job, int category, sys::Bitness bitness,
                                 TSearchRegistry* record)
    : Worker(cleaner.main().runner()),
      cleaner_(cleaner),
      job_(job),
      category_(category),
      bitness_(bitness),
      record_(record) {
  systemFolder_ = sys::SpecialFolderPath(*cleaner.main().platform().shell, 25);
}

void TRegistryThread::Start(RegistryCleaner& cleaner, int job, int category, sys::Bitness bitness,
                            TSearchRegistry* record) {
  Worker::Start(cleaner.main().runner(),
                std::unique_ptr<Worker>(new TRegistryThread(cleaner, job, category, bitness, record)));
}

bool TRegistryThread::HasEndStep() const {
  return job_ == kScanCategory || job_ == kRepair || job_ == kOneClickRepair ||
         (job_ == kFullBackup && category_ == 1);
}

void TRegistryThread::Execute() {
  switch (job_) {
    case kFullBackup: started_ = cleaner_.StartFullBackup(); break;
    case kScanCategory: ScanCategory(); break;
    case kRepair: Repair(); break;
    case kRunAtStartup: RunAtStartup(); break;
    case kOneClickRepair: OneClickRepair(); break;
    default: break;
  }
}

void TRegistryThread::ScanCategory() {
  ThreadScanContext context(*this);
  RunCategoryCheck(category_, context);
}

void TRegistryThread::EndStep() {
  if (job_ == kScanCategory) {
    // Counted down here, on every path, so that the last worker always finds zero.
    cleaner_.main().runningScans.fetch_sub(1);
    cleaner_.ScanFinished(job_);
    return;
  }
  cleaner_.JobFinished(job_, category_, started_);
}

void TRegistryThread::RemoveProblem(Repairer& repairer, int category, const TScanRegistry& problem,
                                    int* counters) {
  // Coalesced like the scan's: the repair does not wait for each repaint.
  RegistryCleaner& cleaner = cleaner_;
  Post(&cleaner, [&cleaner, item = "Cleaning " + problem.keyPath] { cleaner.ShowProgress(item); });
  TCleanInfo info = repairer.Remove(category, problem);
  if (info.status == 1 && counters && category >= 0 && category < kCategoryCount) ++counters[category];
  cleaner_.repairLog.push_back(std::move(info));
}

void TRegistryThread::Repair() {
  MainForm& m = cleaner_.main();
  if (cleaner_.results.empty()) return;
  Repairer repairer(m.platform(), cleaner_.RepairBackupPath());
  int counters[kCategoryCount] = {};
  for (const TSearchRegResult& row : cleaner_.results) {
    if (m.stopFlag.load() == 1) break;
    if (row.rowKind != 1 || !row.checked) continue;
    TScanRegistry p{row.root, row.keyPath, row.valueName, row.data, static_cast<uint16_t>(row.code), row.access};
    RemoveProblem(repairer, row.category, p, counters);
  }
  WithDatabase(*m.platform().files, m.dataDbPath(), {"scanlog"}, [&](store::Connection& c) {
    for (int i = 0; i < kCategoryCount; ++i)
      store::RunStatement(c, "update scanlog set cleannum=" + std::to_string(counters[i]) +
                                 " where type=1 and id=" + std::to_string(i));
  });
}

void TRegistryThread::OneClickRepair() {
  MainForm& m = cleaner_.main();
  for (int c = 0; c < kCategoryCount; ++c) {
    category_ = c;
    {
      ThreadScanContext context(*this);
      RunCategoryCheck(c, context);
    }
    Synchronize([this] { cleaner_.ScanFinished(job_); });
  }
  // Stopped while scanning: nothing is removed.
  if (m.stopFlag.load() == 1 || m.scanResults.empty()) return;
  Repairer repairer(m.platform(), cleaner_.RepairBackupPath());
  for (size_t i = 0; i < m.scanResults.size(); ++i) {
    if (m.stopFlag.load() == 1) break;
    TSearchRegistry* rec = cleaner_.Record(i);
    if (!rec) continue;
    for (const TScanRegistry& p : rec->problems) RemoveProblem(repairer, rec->category, p, nullptr);
  }
  Synchronize([&m] { m.scanResults.clear(); });
}

void TRegistryThread::RunAtStartup() {
  sys::Registry reg(*cleaner_.main().platform().registry);
  const uint32_t mask = sys::AccessMask(bitness_.wow64);
  if (category_ == 1)
    reg.WriteString(sys::kHKLM, kRunKey, kRunValue, cleaner_.main().exePath, mask);
  else if (category_ == 2)
    reg.DeleteValue(sys::kHKLM, kRunKey, kRunValue, mask);
}

}  // namespace vl::registry
