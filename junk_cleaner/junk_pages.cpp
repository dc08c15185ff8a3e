// Junk cleaner pages 201 to 205: their controls and what each switch writes.
#include "junk_cleaner/junk_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl::junk {

using ui::Align;
using ui::Picture;
namespace st = ui::style;

namespace {
// Radio groups are numbered per form; the junk cleaner's take its hundred.
constexpr int kDeletionOptions = 200;
}  // namespace

JunkCleaner& AddJunkPages(MainForm& m) {
  JunkCleaner& jc = m.AddFeature(std::make_unique<JunkCleaner>(m));
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabJunk, "tabJunk", st::kPage);
  f.AddSheet(sheet::tabJunk_Scan, "tabJunk_Scan", st::kPage);
  f.AddSheet(sheet::tabJunk_Result, "tabJunk_Result", st::kPage);
  f.AddSheet(sheet::tabJunk_Finish, "tabJunk_Finish", st::kPage);
  // The lists show the shared scan result list: one row per record.
  auto resize = [&m](id::ControlId list) {
    m.control(list).SetRowCount(static_cast<int>(m.scanResults.size()));
    m.control(list).Repaint();
  };
  {
    ui::PageBuilder b(f, sheet::tabJunk, MainForm::kWidth);
    b.Title(id::labJunkSTitle, "labJunkSTitle", "Junk File Cleaner").rect.w = 480;
    // The folders no scan enters, beside the types they overrule.
    b.Button(id::imgJunkProtect, "imgJunkProtect", {533, 12, 200, 32}, "Protected Folders", Picture::Settings)
        .onClick = [&jc] { jc.imgJunkProtectClick(); };
    b.Description(id::labJunkSDesc, "labJunkSDesc");
    ui::Control& drives = b.List(id::lstvJunkDrives, "lstvJunkDrives", {st::kMargin, 84, 709, 96});
    drives.columns = {{"Drives", 470}, {"Total Space", 100, Align::Right}, {"Free Space", 100, Align::Right}};
    drives.checkImages = true;
    drives.rowPicture = Picture::Drive;
    drives.rowProvider = [&jc](int row, int col) { return jc.lstvJunkDrivesData(row, col); };
    drives.onMouseDown = [&jc](int row, bool onImage) { jc.lstvJunkDrivesMouseDown(row, onImage); };
    ui::Control& types = b.List(id::lstvJunkType, "lstvJunkType", {st::kMargin, 188, 709, 160});
    types.columns = {{"Type", 150}, {"Description", 510}};
    types.checkImages = true;
    types.multiSelect = true;
    types.rowProvider = [&jc](int row, int col) { return jc.lstvJunkTypeData(row, col); };
    types.onMouseDown = [&jc](int row, bool onImage) { jc.lstvJunkTypeMouseDown(row, onImage); };
    types.onItemDoubleClick = [&jc](int row) {
      if (row >= 0) jc.imgEditJunkClick();
    };
    f.Add(id::chkSelectAll_Junk, ui::Kind::CheckBox, "chkSelectAll_Junk", sheet::tabJunk,
          {156, st::kButtonY + 7, 100, 22}, "Select All")
        .onClick = [&jc] { jc.chkSelectAll_JunkClick(); };
    b.Button(id::imgAddJunk, "imgAddJunk", {262, st::kButtonY, 96, st::kButtonH}, "Add", Picture::Add).onClick =
        [&jc] { jc.imgAddJunkClick(); };
    b.Button(id::imgEditJunk, "imgEditJunk", {364, st::kButtonY, 96, st::kButtonH}, "Edit", Picture::Edit)
        .onClick = [&jc] { jc.imgEditJunkClick(); };
    b.Button(id::imgDelJunk, "imgDelJunk", {466, st::kButtonY, 100, st::kButtonH}, "Delete", Picture::Delete)
        .onClick = [&jc] { jc.imgDelJunkClick(); };
    b.Back(id::imgCBack2, "imgCBack2").onClick = [&m] { m.ShowPage(page::kCleanup); };
    b.BottomButton(id::imgJunkScan, "imgJunkScan", -1, "Scan", Picture::Scan).onClick = [&jc] {
      jc.imgJunkScanClick();
    };
    m.RegisterPage(page::kJunkOptions, sheet::tabJunk, [&m] {
      m.control(id::labJunkSDesc)
          .SetText(
              "This cleaner can clean up various junk files from your system, speed up application "
              "performance\rand free up more hard drive space. ");
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Scan, MainForm::kWidth);
    b.Title(id::labJunk_Scan_Title, "labJunk_Scan_Title");
    b.Description(id::labJunk_Scan_Desc, "labJunk_Scan_Desc");
    ui::Control& list = b.List(id::lstvJunkScan, "lstvJunkScan", {st::kMargin, 90, 709, 230});
    list.columns = {{"Examining Drive", 500}, {"Status", 180}};
    list.rowPicture = Picture::Drive;
    list.rowProvider = [&jc](int row, int col) { return jc.lstvJunkScanData(row, col); };
    b.Label(id::panJunk_Scan_Hint, "panJunk_Scan_Hint", {st::kMargin, 326, 709, 20}, {},
            ui::FontStyle::Small, st::kMuted);
    b.BottomButton(id::imgJunkStop, "imgJunkStop", -1, "Stop", Picture::Stop).onClick = [&m] {
      m.imgJunkStopClick();
    };
    m.RegisterPage(page::kJunkScan, sheet::tabJunk_Scan, [&m, resize] {
      m.control(id::labJunk_Scan_Title).SetText("Search Disk Drives");
      m.control(id::labJunk_Scan_Desc)
          .SetText("Please wait while Vantorel Junk File Cleaner searches the selected drives for junk files. ");
      resize(id::lstvJunkScan);
    });
    m.RegisterPage(page::kJunkClean, sheet::tabJunk_Scan, [&m, resize] {
      m.control(id::labJunk_Scan_Title).SetText("Clean up junk files");
      m.control(id::labJunk_Scan_Desc)
          .SetText("Please wait while Vantorel Junk File Cleaner cleans the selected drives for junk files. ");
      resize(id::lstvJunkScan);
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Result, MainForm::kWidth);
    b.Title(id::labJunkRTitle, "labJunkRTitle", "Scan Result");
    ui::Control& list = b.List(id::lstvJunkResult, "lstvJunkResult", {st::kMargin, 52, 709, 78});
    list.columns = {{"Scanned Drive", 450}, {"Total", 100, Align::Center}, {"Space occupied", 130}};
    list.rowPicture = Picture::Drive;
    list.rowProvider = [&jc](int row, int col) { return jc.lstvJunkResultData(row, col); };
    list.onSelectionChange = [&jc](int row) {
      if (row >= 0) jc.ShowFilesOf(row);
    };
    // Every file of the selected drive; only the ticked ones are removed.
    ui::Control& files = b.List(id::lstvJunkFiles, "lstvJunkFiles", {st::kMargin, 136, 709, 136});
    files.columns = {{"Name", 165},
                     {"Folder", 225, Align::Left, true},
                     {"Size", 65, Align::Right},
                     {"Last Write Time", 145},
                     {"Type", 70}};
    files.checkImages = true;
    files.rowProvider = [&jc](int row, int col) { return jc.lstvJunkFilesData(row, col); };
    files.onMouseDown = [&jc](int row, bool onImage) { jc.lstvJunkFilesMouseDown(row, onImage); };
    f.Add(id::chkSelectAll_JunkFiles, ui::Kind::CheckBox, "chkSelectAll_JunkFiles", sheet::tabJunk_Result,
          {156, st::kButtonY + 7, 100, 22}, "Select All")
        .onClick = [&jc] { jc.chkSelectAll_JunkFilesClick(); };
    b.Label(id::labJunkOptionsGroup, "labJunkOptionsGroup", {st::kMargin, 278, 400, 22}, "File Deletion Options",
            ui::FontStyle::Bold);
    struct Option {
      id::ControlId id;
      const char* name;
      const char* caption;
      int x;
    };
    for (const Option& o : {Option{id::radDeleteToRec, "radDeleteToRec", "Remove to recycle bin", 40},
                            Option{id::radDeleteFile, "radDeleteFile", "Delete directly", 270},
                            Option{id::radRemoveDir, "radRemoveDir", "Remove to a folder ", 470}}) {
      ui::Control& r = f.Add(o.id, ui::Kind::Radio, o.name, sheet::tabJunk_Result, {o.x, 306, 200, 22}, o.caption);
      r.group = kDeletionOptions;
    }
    f.Get(id::radDeleteToRec).SetChecked(true);
    b.Back(id::imgCBack5, "imgCBack5").onClick = [&jc] { jc.labJunkClick(); };
    b.BottomButton(id::imgJunkExport, "imgJunkExport", -2, "Export", Picture::Export).onClick = [&jc] {
      jc.imgJunkExportClick();
    };
    b.BottomButton(id::imgJunkClean, "imgJunkClean", -1, "Clean", Picture::Delete).onClick = [&jc] {
      jc.imgJunkCleanClick();
    };
    m.RegisterPage(page::kJunkResult, sheet::tabJunk_Result, [&m, &jc, resize] {
      resize(id::lstvJunkResult);
      // The first drive's files at first; every file ticked after a scan.
      ui::Control& drives = m.control(id::lstvJunkResult);
      const int row = drives.selected() >= 0 ? drives.selected() : 0;
      drives.SetSelected(row);
      jc.ShowFilesOf(row);
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Finish, MainForm::kWidth);
    b.Title(id::labJunk_Finish_Title, "labJunk_Finish_Title");
    b.Description(id::labJunk_Finish_Desc, "labJunk_Finish_Desc");
    ui::Control& list = b.List(id::lstvJunkFinish, "lstvJunkFinish", {st::kMargin, 90, 709, 250});
    list.columns = {{"Cleaned Drive", 380},
                    {"Total", 90, Align::Center},
                    {"Delete failed", 100, Align::Center},
                    {"Space saved", 110}};
    list.striped = true;
    list.rowPicture = Picture::Drive;
    list.rowProvider = [&jc](int row, int col) { return jc.lstvJunkFinishData(row, col); };
    b.Back(id::imgJunkBack, "imgJunkBack").onClick = [&jc] { jc.imgJunkBackClick(); };
    m.RegisterPage(page::kJunkFinish, sheet::tabJunk_Finish, [&m, resize] {
      m.control(id::labJunk_Finish_Title).SetText("Cleanup is finished");
      m.control(id::labJunk_Finish_Desc).SetText("Junk files have been cleared. ");
      resize(id::lstvJunkFinish);
    });
  }
  // Start-up: the drives (step 1), the junk types once data.db exists (step 3).
  m.AddStartupStep(1, [&jc] { jc.BuildDriveList(); });
  m.AddStartupStep(3, [&jc] {
    jc.LoadJunkTypes();
    jc.LoadProtectedPlaces();
  });
  return jc;
}

}  // namespace vl::junk
