// The full backup: export under a temporary name, checked, then renamed.
#include "backup/full_backup.h"

#include <future>
#include <memory>
#include <mutex>
#include <set>

#include "sysaccess/error_text.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"

namespace vl::backup {

namespace {

// Temporary exports this process is writing now (folded paths).
std::mutex g_mu;
std::set<std::string> g_inProgress;

bool InProgress(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_mu);
  return g_inProgress.count(sys::AsciiLower(path)) != 0;
}

bool IsPartName(const std::string& name) {
  const std::string lower = sys::AsciiLower(name);
  const std::string end = std::string(".reg") + kExportPartSuffix;
  return lower.rfind("fbackup_", 0) == 0 && lower.size() > end.size() &&
         lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

// "...\FBackup_T.reg" -> "...\FBackup_T_2.reg".
std::string Numbered(const std::string& path, int n) {
  return path.substr(0, path.size() - 4) + "_" + std::to_string(n) + ".reg";
}

FullBackupOutcome Finish(sys::FileSystem& files, sys::EditorRun run, const std::string& part,
                         const std::string& final) {
  FullBackupOutcome out;
  if (run == sys::EditorRun::kStillRunning) {
    // Left as it is: the editor may still be writing it; it counts as a
    // leftover once nothing has written it for a while.
    out.problem = "the registry editor did not finish the export in time";
    return out;
  }
  std::string why;
  if (!sys::IsWholeRegExport(files, part, &why)) {
    files.RemoveFile(part);
    out.problem = "the registry editor's export is not whole (" + why + ")";
    return out;
  }
  for (int n = 1; n <= 100; ++n) {
    const std::string name = n == 1 ? final : Numbered(final, n);
    const uint32_t rc = files.MoveFileTo(part, name);
    if (rc == 0) {
      out.path = name;
      return out;
    }
    if (rc != sys::err::kAlreadyExists && rc != sys::err::kFileExists) {
      out.problem = "the export could not be renamed: " + sys::SystemErrorText(static_cast<long>(rc));
      return out;
    }
  }
  out.problem = "no free name for the export";
  return out;
}

}  // namespace

int RemoveStaleExports(sys::FileSystem& files, const std::string& folder, uint64_t nowFileTime) {
  std::vector<sys::FileEntry> entries;
  if (!files.ListFolder(folder, entries)) return 0;
  int removed = 0;
  for (const sys::FileEntry& e : entries) {
    if (e.IsFolder() || e.IsReparsePoint() || !IsPartName(e.name)) continue;
    const std::string path = folder + e.name;
    if (InProgress(path)) continue;
    // An editor left running by an earlier start keeps writing its file.
    if (e.lastWriteTime + kStaleExportAge > nowFileTime) continue;
    if (files.RemoveFile(path) == 0) ++removed;
  }
  return removed;
}

bool StartFullBackupExport(sys::Platform& platform, const std::string& folder, const std::string& stamp,
                           uint64_t nowFileTime, const std::function<void(std::function<void()>)>& inBackground,
                           std::function<void(const FullBackupOutcome&)> done) {
  sys::FileSystem& files = *platform.files;
  if (!files.DirectoryExists(folder)) files.CreateFolder(folder);
  RemoveStaleExports(files, folder, nowFileTime);
  const std::string final = folder + "FBackup_" + stamp + ".reg";
  std::string part = final + kExportPartSuffix;
  for (int n = 2; files.FileExists(part) && n <= 100; ++n) part = Numbered(final, n) + kExportPartSuffix;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_inProgress.insert(sys::AsciiLower(part));
  }
  auto started = std::make_shared<std::promise<bool>>();
  std::future<bool> running = started->get_future();
  sys::System& system = *platform.system;
  inBackground([&files, &system, part, final, started, done = std::move(done)] {
    bool told = false;
    const sys::EditorRun run = system.RunRegistryEditorWait("/E \"" + part + "\"", kFullExportWaitMs, [&] {
      told = true;
      started->set_value(true);
    });
    if (!told) started->set_value(false);
    FullBackupOutcome out;
    if (run != sys::EditorRun::kNotStarted) out = Finish(files, run, part, final);
    {
      std::lock_guard<std::mutex> lock(g_mu);
      g_inProgress.erase(sys::AsciiLower(part));
    }
    if (run != sys::EditorRun::kNotStarted && done) done(out);
  });
  return running.get();
}

}  // namespace vl::backup
