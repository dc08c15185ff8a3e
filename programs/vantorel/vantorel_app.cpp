// Assembly of the main window: pages, the callbacks that join features, and
// the start-up sequence.
#include "programs/vantorel/vantorel_app.h"

#include "app/overview_pages.h"
#include "app/page_codes.h"
#include "app/settings_page.h"
#include "app/status_page.h"
#include "backup/backup_pages.h"
#include "backup/folder_trust.h"
#include "backup/op_thread.h"
#include "evidence_cleaner/evidence_pages.h"
#include "junk_cleaner/junk_pages.h"
#include "optimizer/optimizer_pages.h"
#include "programs/cli/machine_policy.h"
#include "programs/cli/window_job_guard.h"
#include "registry_cleaner/registry_export.h"
#include "registry_cleaner/registry_pages.h"
#include "registry_cleaner/registry_thread.h"
#include "registry_cleaner/report_page.h"
#include "store/database.h"
#include "store/schema.h"
#include "update/update_job.h"

namespace vl {

namespace {
// The verdict on Vantorel's own files, found at start, and whether the user
// has been told.
struct OwnFiles : Feature {
  backup::FolderTrust trust;
  bool checked = false, told = false;

  void Check(MainForm& main) {
    trust = backup::FolderTrust::Check(main.platform());
    checked = true;
  }
  bool Allow(MainForm& main, const std::string& action) {
    if (!checked) Check(main);
    if (trust.trusted()) return true;
    main.ports().ShowMessage(told ? backup::FolderTrust::Refusal(action) : trust.Explanation(), "Vantorel",
                             MsgButtons::Ok, MsgIcon::Warning);
    told = true;
    return false;
  }
};
}  // namespace

std::unique_ptr<MainForm> BuildMainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner,
                                        VantorelFeatures* features) {
  using registry::TRegistryThread;
  auto m = std::make_unique<MainForm>(platform, ports, runner);
  MainForm& main = *m;
  AddStatusPage(main);
  AddOverviewPages(main);
  registry::RegistryCleaner& cleaner = registry::AddRegistryPages(main);
  AddSettingsPage(main, [&main, &cleaner](bool on) {
    TRegistryThread::Start(cleaner, TRegistryThread::kRunAtStartup, on ? 1 : 2, main.bitness);
  });
  registry::AddReportPage(main, cleaner);
  registry::AddRegistryExport(main);
  backup::BackupPage& backupPage = backup::AddBackupPages(main);
  backupPage.startFullBackup = [&main, &cleaner] {
    TRegistryThread::Start(cleaner, TRegistryThread::kFullBackup, 1, main.bitness);
  };
  cleaner.onFullBackupFinished = [&backupPage](bool started) { backupPage.FullBackupFinished(started); };
  cleaner.onFullBackupWritten = [&backupPage] { backupPage.FullBackupWritten(); };
  junk::JunkCleaner& junkCleaner = junk::AddJunkPages(main);
  evidence::EvidenceCleaner& evidenceCleaner = evidence::AddEvidencePages(main);
  optimizer::Optimizer& optimizer = optimizer::AddOptimizerPages(main);
  OwnFiles& ownFiles = main.AddFeature(std::make_unique<OwnFiles>());
  main.ownFilesGate = [&main, &ownFiles](const std::string& action) { return ownFiles.Allow(main, action); };
  main.startUpdateCheck = [&main, &ownFiles](bool withWait) {
    // The machine's policy switches the automatic check off; one the user
    // asks for still runs.
    if (!withWait && !cli::AutoUpdateAllowed(*main.platform().registry)) return;
    // The check of every start stays quiet: the start already told why.
    if (!withWait && ownFiles.checked && !ownFiles.trust.trusted()) return;
    if (!main.MayTrustOwnFiles("Checking for updates")) return;
    backup::TOpThread::Start(main, backup::TOpThread::kUpdateCheck, "", update::MakeUpdateCheckJob(main));
    if (withWait) main.ports().ShowWaitModal();
  };
  main.FormCreate();
  // One job at a time on the machine, beside the command line.
  cli::GuardJobButtons(main);
  if (features) *features = {&cleaner, &backupPage, &junkCleaner, &evidenceCleaner, &optimizer};

  // Start-up sequence; the numbers are the steps' places in it.
  main.AddStartupStep(2, [&main] {
    if (!main.platform().files->FileExists(main.dataDbPath()))
      store::CreateDatabase(main.platform().files->NativePath(main.dataDbPath()));
    // Types added since a data.db was made reach it without touching its rows.
    try {
      if (main.platform().files->FileExists(main.dataDbPath()))
        store::AddMissingEvidenceTypes(main.platform().files->NativePath(main.dataDbPath()));
    } catch (const store::DbError&) {
      // A data.db that cannot take them keeps working with the types it has.
    }
  });
  // Every start: who may change the program's own files, once they all exist.
  main.AddStartupStep(2, [&main, &ownFiles] {
    backup::CreateAdminOnlyFolders(main.platform());
    ownFiles.Check(main);
    if (!ownFiles.trust.trusted()) ownFiles.Allow(main, "");
  });
  main.AddStartupStep(7, [&main] { main.ShowPage(page::kStatus); });
  return m;
}

}  // namespace vl
