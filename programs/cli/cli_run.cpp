// The command line's job. Each kind runs as the window runs it: the same
// handlers and workers on a main form that no window shows, its
// main-thread steps pumped here. Kinds run one after the other, since they
// share the form's scan result list.
#include "programs/cli/cli_run.h"

#include <chrono>
#include <exception>
#include <thread>
#include <functional>
#include <memory>
#include <vector>

#include "app/clock.h"
#include "app/control_ids.h"
#include "app/export_report.h"
#include "evidence_cleaner/evidence_cleaner.h"
#include "evidence_cleaner/evidence_types.h"
#include "junk_cleaner/junk_cleaner.h"
#include "junk_cleaner/junk_types.h"
#include "programs/cli/cli_json.h"
#include "programs/cli/job_guard.h"
#include "programs/vantorel/vantorel_app.h"
#include "registry_cleaner/registry_cleaner.h"
#include "registry_cleaner/registry_export.h"
#include "registry_cleaner/scan_types.h"
#include "store/database.h"
#include "store/schema.h"
#include "ui/dispatcher.h"
#include "ui/jobs.h"
#include "ui/ports.h"
#include "ui/ui_model.h"

namespace vl::cli {

namespace {

// The window's questions, answered without anyone to ask: the clean the
// command asked for is confirmed once; every other question gets the safe
// answer; what would have been shown is kept for the output.
class SilentPorts : public UiPorts {
 public:
  explicit SilentPorts(ManualDispatcher& d) : dispatcher_(d) {}
  MsgAnswer ShowMessage(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) override {
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo;
    if (question && confirmations > 0) {
      --confirmations;
      return MsgAnswer::Yes;
    }
    messages.push_back(question ? "Answered No: " + text : text);
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return question ? MsgAnswer::No : MsgAnswer::Cancel;
  }
  std::string SaveFileDialog(const std::string&, const std::string&, const std::string&) override { return {}; }
  void ShowWaitModal() override {
    waitOpen_ = true;
    while (waitOpen_) dispatcher_.PumpWait(50);
  }
  void CloseWait() override { waitOpen_ = false; }
  int ShowModalForm(ui::Form&) override { return ui::kModalCancel; }
  void HideMainWindow() override {}
  void ShowMainWindow() override {}
  void CloseMainWindow() override {}

  int confirmations = 0;
  std::vector<std::string> messages;

 private:
  ManualDispatcher& dispatcher_;
  bool waitOpen_ = false;
};

// The machine's shell, except that nothing is shown: the folder dialog of a
// move clean answers with the folder of /move.
class SilentShell : public sys::Shell {
 public:
  SilentShell(sys::Shell& real, std::string folder) : real_(real), folder_(std::move(folder)) {}
  std::string FolderByCsidl(int csidl) override { return real_.FolderByCsidl(csidl); }
  bool LoadShortcut(const std::string& path, sys::TLinkInfo& info) override { return real_.LoadShortcut(path, info); }
  std::string BrowseForFolder(const std::string&, const std::string&) override { return folder_; }
  std::string FileVersion(const std::string& path) override { return real_.FileVersion(path); }
  void ShowKeyInRegistryEditor(const std::string&) override {}
  uint32_t SendToRecycleBin(const std::string& path) override { return real_.SendToRecycleBin(path); }
  uint32_t RecycleSeen(const std::string& path, const sys::SeenEntry& seen) override {
    return real_.RecycleSeen(path, seen);
  }

 private:
  sys::Shell& real_;
  const std::string folder_;
};

struct Item {
  std::string kind;    // a registry category, a drive, an evidence type
  std::string text;    // the key, file or trace
  std::string detail;  // value name and problem, or the data
  uint64_t size = 0;
  std::string status;  // "found", "removed", "failed"
  std::string reason;
};

struct KindResult {
  bool ran = false;
  int64_t found = 0, removed = 0, failed = 0;
  uint64_t bytes = 0;
  std::vector<Item> items;
  std::vector<std::string> notes;  // per-type reasons (evidence)
};

class Job {
 public:
  Job(sys::Platform& platform, const Arguments& args, const Environment& env)
      : args_(args), env_(env), ports_(dispatcher_), runner_(dispatcher_),
        shell_(*platform.shell, args.moveFolder) {
    platform_ = platform;
    platform_.shell = &shell_;
  }

  Output Run();

 private:
  void Drain() {
    while (runner_.running() > 0 || dispatcher_.Pump() > 0) dispatcher_.PumpWait(50);
  }
  // Runs a handler that starts a job; false (and the window's message as the
  // reason) when it started none.
  bool StartAndWait(const char* what, const std::function<void()>& handler);
  void Prepare();
  void Registry();
  void Junk();
  void Evidence();
  std::string ShortJson() const;
  std::string FullJson() const;
  void KindJson(JsonWriter& w, const char* name, const KindResult& r, bool full) const;
  void TakeMessages(const char* what);

  const Arguments& args_;
  const Environment& env_;
  sys::Platform platform_;
  ManualDispatcher dispatcher_;
  SilentPorts ports_;
  JobRunner runner_;
  SilentShell shell_;
  std::unique_ptr<MainForm> main_;
  VantorelFeatures features_;
  KindResult registry_, junk_, evidence_;
  std::vector<report::ExportGroup> reportGroups_;
  std::vector<std::string> errors_;
  std::string reportPath_;
  bool couldNotRun_ = false;
};

void Job::TakeMessages(const char* what) {
  for (const std::string& m : ports_.messages) errors_.push_back(std::string(what) + ": " + m);
  ports_.messages.clear();
}

bool Job::StartAndWait(const char* what, const std::function<void()>& handler) {
  main_->Guard(handler);
  const bool started = main_->busy() || runner_.running() > 0;
  Drain();
  if (!started) {
    couldNotRun_ = true;
    if (ports_.messages.empty()) ports_.messages.push_back("nothing to do");
  }
  TakeMessages(what);
  return started;
}

void Job::Prepare() {
  main_ = BuildMainForm(platform_, ports_, runner_, &features_);
  // This process holds the guard itself for the whole run, and no update
  // check joins an unattended job.
  main_->onLeaveBusy = nullptr;
  main_->startUpdateCheck = nullptr;
  main_->bitness = env_.bitness;
  if (!env_.exePath.empty()) main_->exePath = env_.exePath;
  // A repair always writes its backup first, whatever Settings.ini says.
  main_->backupBeforeRepair = true;
  // What the window's start-up gives the jobs, without its window, update
  // check and first-start full backup.
  sys::FileSystem& files = *platform_.files;
  if (!files.FileExists(main_->dataDbPath())) store::CreateDatabase(files.NativePath(main_->dataDbPath()));
  features_.junk->BuildDriveList();
  features_.junk->LoadJunkTypes();
  features_.registry->LoadIgnoreList();
  features_.evidence->BuildTree();
  main_->control(id::chkSelectAll).SetChecked(true);
  features_.registry->chkSelectAllClick();
  main_->control(id::chkESelectAll).SetChecked(true);
  features_.evidence->chkESelectAllClick();
  // Junk is looked for on the local fixed drives.
  for (junk::JunkDrive& d : features_.junk->drives)
    d.checked = files.DriveKindOf(std::string(1, d.row.letter) + ":\\") == sys::DriveKind::kFixed;
  main_->control(args_.removal == Removal::kDelete ? id::radDeleteFile
                 : args_.removal == Removal::kMove ? id::radRemoveDir
                                                    : id::radDeleteToRec)
      .SetChecked(true);
  TakeMessages("start");
}

void Job::Registry() {
  registry::RegistryCleaner& rc = *features_.registry;
  registry_.ran = true;
  if (!StartAndWait("registry", [&rc] { rc.imgRegScanClick(); })) return;
  for (auto& g : registry::RegistryExportGroups(main_->scanResults)) {
    g.caption = std::string(report::kRegistryExport.title) + " - " + g.caption;
    reportGroups_.push_back(std::move(g));
  }
  std::vector<size_t> checkedRows;
  for (const registry::TSearchRegResult& r : rc.results) {
    if (r.rowKind != 1) continue;
    Item item;
    item.kind = registry::CategoryCaption(r.category);
    item.text = r.category == registry::kShortcuts ? r.keyPath : registry::RegistryCleaner::KeyText(r.root, r.keyPath);
    item.detail = r.valueName.empty() ? registry::ProblemText(static_cast<int>(r.code))
                                      : r.valueName + ": " + registry::ProblemText(static_cast<int>(r.code));
    item.status = "found";
    if (r.checked) checkedRows.push_back(registry_.items.size());
    registry_.items.push_back(std::move(item));
  }
  registry_.found = static_cast<int64_t>(registry_.items.size());
  if (args_.mode != Mode::kClean || registry_.found == 0) return;
  ports_.confirmations = 1;
  StartAndWait("registry", [&rc] { rc.imgRegCleanClick(); });
  ports_.confirmations = 0;
  // The repair log holds one line per checked problem, in list order.
  for (size_t i = 0; i < checkedRows.size(); ++i) {
    Item& item = registry_.items[checkedRows[i]];
    if (i < rc.repairLog.size() && rc.repairLog[i].status == 1) {
      item.status = "removed";
      ++registry_.removed;
    } else {
      item.status = "failed";
      item.reason = i < rc.repairLog.size() ? rc.repairLog[i].reason : "not repaired";
      if (item.reason.empty()) item.reason = "Repair failed";
      ++registry_.failed;
    }
  }
  for (Item& item : registry_.items)
    if (item.status == "found") {
      item.status = "failed";
      item.reason = "not repaired";
      ++registry_.failed;
    }
}

void Job::Junk() {
  junk::JunkCleaner& jc = *features_.junk;
  junk_.ran = true;
  if (!StartAndWait("junk", [&jc] { jc.imgJunkScanClick(); })) return;
  for (auto& g : junk::JunkExportGroups(main_->scanResults)) {
    g.caption = std::string(report::kJunkExport.title) + " - " + g.caption;
    reportGroups_.push_back(std::move(g));
  }
  for (junk::TSearchJunk* g : junk::JunkGroups(*main_)) {
    for (const junk::TScanResultBye& f : g->files) {
      Item item;
      item.kind = g->drive;
      item.text = g->PathOf(f);
      item.size = f.size;
      item.status = "found";
      junk_.bytes += f.size;
      junk_.items.push_back(std::move(item));
    }
  }
  junk_.found = static_cast<int64_t>(junk_.items.size());
  if (args_.mode != Mode::kClean || junk_.found == 0) return;
  ports_.confirmations = 1;
  StartAndWait("junk", [&jc] { jc.imgJunkCleanClick(); });
  ports_.confirmations = 0;
  // The engine counts failures per drive; a file still in its place is one.
  sys::FileSystem& files = *platform_.files;
  for (Item& item : junk_.items) {
    if (files.FileExists(item.text)) {
      item.status = "failed";
      item.reason = "still in place: in use, access denied, or changed since the scan";
      ++junk_.failed;
    } else {
      item.status = "removed";
      ++junk_.removed;
    }
  }
}

void Job::Evidence() {
  evidence::EvidenceCleaner& ec = *features_.evidence;
  evidence_.ran = true;
  if (!StartAndWait("evidence", [&ec] { ec.imgEviScanClick(); })) return;
  std::vector<evidence::TSearchEvidence*> records = evidence::EvidenceRecords(*main_);
  for (auto& g : evidence::EvidenceExportGroups(records)) {
    g.caption = std::string(report::kEvidenceExport.title) + " - " + g.caption;
    reportGroups_.push_back(std::move(g));
  }
  auto count = [](const evidence::TSearchEvidence* r) {
    return std::min(r->items.size(), static_cast<size_t>(std::max<int32_t>(r->itemCount.load(), 0)));
  };
  for (evidence::TSearchEvidence* r : records) {
    for (size_t i = 0; i < count(r); ++i) {
      Item item;
      item.kind = evidence::RecordCaption(r->typeNo, r->name);
      item.text = evidence::ItemText(r->items[i]);
      item.detail = r->items[i].value;
      item.status = "found";
      evidence_.items.push_back(std::move(item));
    }
    if (!r->notScanned.empty())
      evidence_.notes.push_back(evidence::RecordCaption(r->typeNo, r->name) + ": not all read: " + r->notScanned);
  }
  evidence_.found = static_cast<int64_t>(evidence_.items.size());
  if (args_.mode != Mode::kClean || evidence_.found == 0) return;
  ports_.confirmations = 1;
  StartAndWait("evidence", [&ec] { ec.imgECleanClick(); });
  ports_.confirmations = 0;
  // The removal counts per type; the items of a type share its outcome.
  size_t at = 0;
  for (evidence::TSearchEvidence* r : records) {
    const int64_t n = static_cast<int64_t>(count(r));
    const int64_t cleaned = std::min<int64_t>(std::max<int32_t>(r->cleanedCount.load(), 0), n);
    const std::string why = !r->notCleaned.empty() ? r->notCleaned : "not removed";
    for (int64_t i = 0; i < n; ++i, ++at) {
      Item& item = evidence_.items[at];
      if (i < cleaned) {
        item.status = "removed";
      } else {
        item.status = "failed";
        item.reason = why;
      }
    }
    evidence_.removed += cleaned;
    evidence_.failed += n - cleaned;
    if (!r->notCleaned.empty())
      evidence_.notes.push_back(evidence::RecordCaption(r->typeNo, r->name) + ": not cleaned: " + r->notCleaned);
  }
}

void Job::KindJson(JsonWriter& w, const char* name, const KindResult& r, bool full) const {
  if (!r.ran) return;
  w.BeginObject(name);
  if (std::string(name) == "registry") {
    w.Number("found", r.found).Number("repaired", r.removed).Number("failed", r.failed);
  } else if (std::string(name) == "junk") {
    w.Number("files", r.found).Unsigned("bytes", r.bytes).Number("removed", r.removed).Number("failed", r.failed);
  } else {
    w.Number("items", r.found).Number("removed", r.removed).Number("failed", r.failed);
  }
  if (full) {
    const bool isRegistry = std::string(name) == "registry", isJunk = std::string(name) == "junk";
    w.BeginArray("details");
    for (const Item& i : r.items) {
      w.BeginObject();
      w.String(isRegistry ? "category" : isJunk ? "drive" : "type", i.kind);
      w.String(isRegistry ? "key" : isJunk ? "path" : "item", i.text);
      if (isRegistry) w.String("problem", i.detail);
      else if (isJunk) w.Unsigned("size", i.size);
      else w.String("value", i.detail);
      w.String("status", i.status);
      if (!i.reason.empty()) w.String("reason", i.reason);
      w.EndObject();
    }
    w.EndArray();
    if (!r.notes.empty()) {
      w.BeginArray("notes");
      for (const std::string& n : r.notes) w.String(nullptr, n);
      w.EndArray();
    }
  }
  w.EndObject();
}

std::string Job::FullJson() const {
  JsonWriter w;
  w.BeginObject().String("version", env_.version).String("mode", args_.mode == Mode::kClean ? "clean" : "scan");
  KindJson(w, "registry", registry_, true);
  KindJson(w, "junk", junk_, true);
  KindJson(w, "evidence", evidence_, true);
  w.String("report", reportPath_).BeginArray("errors");
  for (const std::string& e : errors_) w.String(nullptr, e);
  w.EndArray().EndObject();
  return w.text() + "\r\n";
}

// The summary line: counts always fit; errors are taken while they fit, the
// last one says how many were left out.
std::string Job::ShortJson() const {
  auto build = [&](const std::string& report, size_t errorCount, size_t errorCap) {
    JsonWriter w;
    w.BeginObject().String("version", env_.version).String("mode", args_.mode == Mode::kClean ? "clean" : "scan");
    KindJson(w, "registry", registry_, false);
    KindJson(w, "junk", junk_, false);
    KindJson(w, "evidence", evidence_, false);
    w.String("report", report).BeginArray("errors");
    for (size_t i = 0; i < errorCount; ++i) {
      std::string e = errors_[i];
      if (e.size() > errorCap) e = e.substr(0, errorCap) + "...";
      w.String(nullptr, e);
    }
    if (errorCount < errors_.size())
      w.String(nullptr, std::to_string(errors_.size() - errorCount) + " more, see the full result (/json)");
    w.EndArray().EndObject();
    return w.text() + "\r\n";
  };
  std::string report = reportPath_;
  if (build(report, 0, 0).size() > kStdoutCap) report = report.substr(0, 300) + "...";
  std::string best = build(report, 0, 0);
  for (size_t n = 1; n <= errors_.size(); ++n) {
    std::string line = build(report, n, 300);
    if (line.size() > kStdoutCap) break;
    best = std::move(line);
  }
  return best;
}

Output Job::Run() {
  Output out;
  JobGuard guard(*platform_.processes);
  if (!guard.Take()) {
    errors_.push_back(kJobGuardBusy);
    out.stderrText = std::string(kJobGuardBusy) + "\r\n";
    out.stdoutText = ShortJson();
    out.exitCode = kExitCouldNotRun;
    return out;
  }
  try {
    // A window that is starting holds data.db for a moment: wait for it.
    for (int attempt = 0;; ++attempt) {
      try {
        Prepare();
        break;
      } catch (const store::DbError& e) {
        if (!e.BusyOrLocked() || attempt >= 40) throw;
        ports_.messages.clear();
        main_.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
      }
    }
    if (args_.registry) Registry();
    if (args_.junk) Junk();
    if (args_.evidence) Evidence();
  } catch (const std::exception& e) {
    couldNotRun_ = true;
    errors_.push_back(e.what());
  }
  Drain();
  sys::FileSystem& files = *platform_.files;
  if (!args_.reportFile.empty()) {
    reportPath_ = files.FullPath(args_.reportFile);
    std::string title;
    for (auto [ran, kind] : {std::pair{registry_.ran, report::kRegistryExport}, std::pair{junk_.ran, report::kJunkExport},
                             std::pair{evidence_.ran, report::kEvidenceExport}})
      if (ran) title += (title.empty() ? "" : ", ") + std::string(kind.title);
    const std::string bytes =
        report::BuildReport(title, NowTimestamp(), platform_.system->UserDateNames(), reportGroups_);
    if (!files.WriteFileBytes(reportPath_, bytes)) {
      couldNotRun_ = true;
      errors_.push_back("Cannot write the report \"" + reportPath_ + "\".");
    }
  }
  if (!args_.jsonFile.empty()) {
    const std::string path = files.FullPath(args_.jsonFile);
    if (!files.WriteFileBytes(path, FullJson())) {
      couldNotRun_ = true;
      errors_.push_back("Cannot write the result \"" + path + "\".");
      // Said once more in the line, which is written after this.
    }
  }
  for (const std::string& e : errors_) out.stderrText += e + "\r\n";
  out.stdoutText = ShortJson();
  if (couldNotRun_)
    out.exitCode = kExitCouldNotRun;
  else if (args_.mode == Mode::kScan)
    out.exitCode = registry_.found + junk_.found + evidence_.found > 0 ? kExitFound : kExitClean;
  else
    out.exitCode = registry_.failed + junk_.failed + evidence_.failed > 0 ? kExitFound : kExitClean;
  return out;
}

}  // namespace

Output Run(sys::Platform& platform, const Arguments& args, const Environment& env) {
  Output out;
  if (!args.error.empty()) {
    out.stderrText = args.error + "\r\n\r\n" + UsageText();
    out.exitCode = kExitBadArguments;
    return out;
  }
  if (args.mode == Mode::kHelp) {
    out.stdoutText = UsageText();
    out.exitCode = kExitClean;
    return out;
  }
  if (args.removal == Removal::kMove && !platform.files->DirectoryExists(platform.files->FullPath(args.moveFolder))) {
    out.stderrText = "The folder of /move does not exist: " + args.moveFolder + "\r\n\r\n" + UsageText();
    out.exitCode = kExitBadArguments;
    return out;
  }
  Arguments resolved = args;
  if (resolved.removal == Removal::kMove) resolved.moveFolder = platform.files->FullPath(args.moveFolder);
  return Job(platform, resolved, env).Run();
}

}  // namespace vl::cli
