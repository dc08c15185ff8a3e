// Assembly of the main window and its start-up sequence.
#include "app/vantorel_app.h"

#include "app/overview_pages.h"
#include "app/report_page.h"
#include "app/settings_page.h"
#include "app/status_page.h"
#include "backup/backup_pages.h"
#include "evidence_cleaner/evidence_pages.h"
#include "junk_cleaner/junk_pages.h"
#include "optimizer/optimizer_pages.h"
#include "registry_cleaner/registry_export.h"
#include "registry_cleaner/registry_pages.h"
#include "store/schema.h"

namespace vl {

std::unique_ptr<MainForm> BuildMainForm(sys::Platform& platform, UiPorts& ports, JobRunner& runner) {
  auto m = std::make_unique<MainForm>(platform, ports, runner);
  MainForm& main = *m;
  AddStatusPage(main);
  AddOverviewPages(main);
  AddSettingsPage(main);
  AddReportPage(main);
  registry::AddRegistryPages(main);
  registry::AddRegistryExport(main);
  backup::AddBackupPages(main);
  junk::AddJunkPages(main);
  evidence::AddEvidencePages(main);
  optimizer::AddOptimizerPages(main);
  main.FormCreate();

  // Start-up sequence; the numbers are the steps' places in it.
  main.AddStartupStep(2, [&main] {
    if (!main.platform().files->FileExists(main.dataDbPath()))
      store::CreateDatabase(main.platform().files->NativePath(main.dataDbPath()));
  });
  main.AddStartupStep(7, [&main] { main.ShowPage(1); });
  return m;
}

}  // namespace vl
