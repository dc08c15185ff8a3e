// Registry cleaner pages 101 to 105 and the ignore list page 503: their
// controls and what each page switch writes.
#include "registry_cleaner/registry_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"
#include "backup/backup_folders.h"
#include "registry_cleaner/registry_thread.h"

namespace vl::registry {

using ui::Picture;
namespace st = ui::style;

RegistryCleaner& AddRegistryPages(MainForm& m) {
  RegistryCleaner& rc = m.AddFeature(std::make_unique<RegistryCleaner>(m));
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabRegistry, "tabRegistry", st::kPage);
  f.AddSheet(sheet::tabRegistry_Scan, "tabRegistry_Scan", st::kPage);
  f.AddSheet(sheet::tabRegistry_Result, "tabRegistry_Result", st::kPage);
  f.AddSheet(sheet::tabRegistry_Finish, "tabRegistry_Finish", st::kPage);
  f.AddSheet(sheet::tabIgnore, "tabIgnore", st::kPage);
  auto toCleanup = [&m] { m.ShowPage(page::kCleanup); };
  auto toOptions = [&m] { m.ShowPage(page::kRegistryOptions); };

  {
    ui::PageBuilder b(f, sheet::tabRegistry, MainForm::kWidth);
    b.Title(id::labRegistryOTitle, "labRegistryOTitle", "Registry Cleaner");
    b.Description(id::labRegistryODesc, "labRegistryODesc",
                  "Choose the categories of registry entries to scan.");
    ui::Control& list = f.Add(id::chklstRegistry, ui::Kind::CheckList, "chklstRegistry",
                              sheet::tabRegistry, {st::kMargin, 84, 709, 200});
    for (int i = 0; i < kCategoryCount; ++i) list.checkItems.push_back(CategoryCaption(i));
    list.itemChecked.assign(kCategoryCount, false);
    list.checkColumns = 2;
    ui::Control& all = f.Add(id::chkSelectAll, ui::Kind::CheckBox, "chkSelectAll", sheet::tabRegistry,
                             {st::kMargin, 322, 200, 22}, "Select All");
    all.onClick = [&rc] { rc.chkSelectAllClick(); };
    b.Back(id::imgCBack1, "imgCBack1").onClick = toCleanup;
    b.BottomButton(id::imgRegScan, "imgRegScan", -1, "Scan", Picture::Scan).onClick = [&rc] {
      rc.imgRegScanClick();
    };
    m.RegisterPage(page::kRegistryOptions, sheet::tabRegistry);
  }
  {
    ui::PageBuilder b(f, sheet::tabRegistry_Scan, MainForm::kWidth);
    // Long titles: a smaller font, room for two lines.
    b.Label(id::labRegTitle, "labRegTitle", {st::kMargin, 14, 709, 40}, {}, ui::FontStyle::Heading);
    ui::Control& bar = f.Add(id::pbarRegistry, ui::Kind::Progress, "pbarRegistry",
                             sheet::tabRegistry_Scan, {st::kMargin, 58, 709, 16});
    bar.SetMaximum(15);
    b.Label(id::labScanInfo, "labScanInfo", {st::kMargin, 80, 709, 20}, {}, ui::FontStyle::Small,
            st::kMuted);
    ui::Control& list = b.List(id::lstvRegistryScan, "lstvRegistryScan", {st::kMargin, 106, 709, 240});
    list.columns = {{"Scan Items", 580}, {"Problems", 100}};
    list.striped = true;
    list.rowProvider = [&rc](int row, int col) {
      ui::Cell cell;
      if (TSearchRegistry* r = rc.Record(static_cast<size_t>(row))) {
        cell.text = col == 0 ? CategoryCaption(r->category) : std::to_string(r->count.load());
        if (col == 1) {
          cell.bold = true;
          cell.color = st::kRed;
        }
      }
      return cell;
    };
    b.BottomButton(id::imgRegStop, "imgRegStop", -1, "Stop", Picture::Stop).onClick = [&m] {
      m.imgJunkStopClick();
    };
    m.RegisterPage(page::kRegistryScan, sheet::tabRegistry_Scan, [&m] {
      m.control(id::labRegTitle)
          .SetText("Please be patient while Vantorel is scanning your system. It may take a few minutes.");
    });
    m.RegisterPage(page::kRegistryRepair, sheet::tabRegistry_Scan, [&m] {
      m.control(id::labRegTitle)
          .SetText("Please be patient while Vantorel is repairing your errors. It may take a few minutes.");
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabRegistry_Result, MainForm::kWidth);
    b.Title(id::labRegistryRTitle, "labRegistryRTitle", "Scan Result");
    b.Description(id::labRegistryRDesc, "labRegistryRDesc");
    ui::Control& list = b.List(id::lstvRegistry, "lstvRegistry", {st::kMargin, 84, 709, 190});
    list.columns = {{"Scan Items", 580}, {"Problems", 100}};
    list.checkImages = true;
    list.rowProvider = [&rc](int row, int col) { return rc.lstvRegistryData(row, col); };
    list.onMouseDown = [&rc](int row, bool onImage) { rc.lstvRegistryMouseDown(row, onImage); };
    list.onItemClick = [&rc](int) { rc.lstvRegistryClick(); };
    b.Label(id::labRegError, "labRegError", {st::kMargin, 280, 709, 18}, {}, ui::FontStyle::Bold);
    b.Label(id::labErrorKey, "labErrorKey", {st::kMargin, 298, 709, 18}, {}, ui::FontStyle::Small);
    b.Label(id::labErrorValue, "labErrorValue", {st::kMargin, 316, 480, 18}, {}, ui::FontStyle::Small);
    b.Label(id::labErrorOpen, "labErrorOpen", {520, 316, 80, 18}, "Open Key", ui::FontStyle::Link,
            st::kLink)
        .onClick = [&rc] { rc.labErrorOpenClick(); };
    b.Label(id::labErrorIgnore, "labErrorIgnore", {604, 316, 130, 18}, "Add to Ignore List",
            ui::FontStyle::Link, st::kLink)
        .onClick = [&rc] { rc.labErrorIgnoreClick(); };
    ui::Control& all = f.Add(id::chkRegSelectAll, ui::Kind::CheckBox, "chkRegSelectAll",
                             sheet::tabRegistry_Result, {160, st::kButtonY + 7, 120, 22}, "Select All");
    all.SetChecked(true);
    all.onClick = [&rc] { rc.chkRegSelectAllClick(); };
    b.BottomButton(id::imgRegClean, "imgRegClean", -1, "Repair", Picture::Repair).onClick = [&rc] {
      rc.imgRegCleanClick();
    };
    b.Back(id::imgCBack4, "imgCBack4").onClick = toOptions;
    m.RegisterPage(page::kRegistryResult, sheet::tabRegistry_Result, [&m] {
      m.control(id::labRegError).SetText("");
      m.control(id::labErrorKey).SetText("");
      m.control(id::labErrorValue).SetText("");
      m.control(id::labErrorOpen).SetVisible(false);
      m.control(id::labErrorIgnore).SetVisible(false);
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabRegistry_Finish, MainForm::kWidth);
    b.Title(id::labRegistry_Finish_Title, "labRegistry_Finish_Title", "Finished");
    b.Description(id::labRegistry_Finish_Desc, "labRegistry_Finish_Desc");
    ui::Control& list = b.List(id::lstvRegFinish, "lstvRegFinish", {st::kMargin, 90, 709, 250});
    list.columns = {{"Registry Name", 520}, {"Status", 160}};
    list.striped = true;
    list.rowProvider = [&rc](int row, int col) { return rc.lstvRegFinishData(row, col); };
    b.BottomButton(id::imgRegFinish, "imgRegFinish", -1, "Finish", Picture::Back).onClick = toOptions;
    m.RegisterPage(page::kRegistryFinish, sheet::tabRegistry_Finish, [&m, &rc] {
      ui::Control& finish = m.control(id::lstvRegFinish);
      finish.SetRowCount(static_cast<int>(rc.repairLog.size()));
      finish.Repaint();
      m.control(id::labRegistry_Finish_Desc)
          .SetText(std::to_string(rc.repairLog.size()) + " Entrie(s) have been repaired.");
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabIgnore, MainForm::kWidth);
    b.Title(id::labIgnoreTitle, "labIgnoreTitle", "Ignore List");
    b.Description(id::labIgnoreDesc, "labIgnoreDesc", "Ignore error you don't want to fix.");
    ui::Control& list = b.List(id::lstvIgnore, "lstvIgnore", {st::kMargin, 90, 709, 250});
    list.columns = {{"Category", 150}, {"Registry Key", 520}};
    list.checkImages = true;
    list.rowProvider = [&rc](int row, int col) { return rc.lstvIgnoreData(row, col); };
    list.onMouseDown = [&rc](int row, bool onImage) { rc.lstvIgnoreMouseDown(row, onImage); };
    f.Add(id::chkISelectAll, ui::Kind::CheckBox, "chkISelectAll", sheet::tabIgnore,
          {160, st::kButtonY + 7, 120, 22}, "Select All")
        .onClick = [&rc] { rc.chkISelectAllClick(); };
    b.BottomButton(id::imgIDelete, "imgIDelete", -1, "Delete", Picture::Delete).onClick = [&rc] {
      rc.imgIDeleteClick();
    };
    b.Back(id::imgOPBack3, "imgOPBack3").onClick = [&m] { m.ShowPage(page::kOptions); };
    m.RegisterPage(page::kIgnoreList, sheet::tabIgnore, [&m, &rc] {
      m.control(id::lstvIgnore).SetRowCount(static_cast<int>(rc.ignoreList.size()));
      m.control(id::lstvIgnore).Repaint();
    });
  }

  // The one-click scan and repair sits on the status page.
  {
    ui::PageBuilder b(f, sheet::tabStatus, MainForm::kWidth);
    b.BottomButton(id::imgSOptimizer, "imgSOptimizer", -1, "One Click Optimization", Picture::OneClick)
        .onClick = [&rc] { rc.imgSOptimizerClick(); };
    f.Get(id::imgSOptimizer).rect.w = 220;
    f.Get(id::imgSOptimizer).rect.x = MainForm::kWidth - st::kMargin - 220;
  }

  // Start-up: the ignore list (step 5); all categories checked (step 8).
  m.AddStartupStep(5, [&rc] { rc.LoadIgnoreList(); });
  // The first start leaves a complete backup of the registry (step 9).
  m.AddStartupStep(9, [&m, &rc] {
    if (!m.platform().files->DirectoryExists(m.appDir() + backup::BackupFolder(backup::BackupKind::kFull)))
      TRegistryThread::Start(rc, TRegistryThread::kFullBackup, 0, m.bitness);
  });
  m.AddStartupStep(8, [&m, &rc] {
    m.control(id::chkSelectAll).SetChecked(true);
    rc.chkSelectAllClick();
  });
  return rc;
}

}  // namespace vl::registry
