// Assembly of the main window: pages, the callbacks that join features, and
// the start-up sequence.
#include "programs/vantorel/vantorel_app.h"

#include "app/overview_pages.h"
#include "app/page_codes.h"
#include "app/settings_page.h"
#include "app/status_page.h"
#include "backup/backup_pages.h"
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
#include "store/schema.h"
#include "update/update_job.h"

namespace vl {

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
  junk::JunkCleaner& junkCleaner = junk::AddJunkPages(main);
  evidence::EvidenceCleaner& evidenceCleaner = evidence::AddEvidencePages(main);
  optimizer::Optimizer& optimizer = optimizer::AddOptimizerPages(main);
  main.startUpdateCheck = [&main](bool withWait) {
    // The machine's policy switches the automatic check off; one the user
    // asks for still runs.
    if (!withWait && !cli::AutoUpdateAllowed(*main.platform().registry)) return;
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
  });
  main.AddStartupStep(7, [&main] { main.ShowPage(page::kStatus); });
  return m;
}

}  // namespace vl
