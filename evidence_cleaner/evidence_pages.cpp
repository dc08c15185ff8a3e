// Evidence cleaner pages 301 to 305: their controls and what each switch writes.
#include "evidence_cleaner/evidence_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl::evidence {

using ui::Picture;
namespace st = ui::style;

EvidenceCleaner& AddEvidencePages(MainForm& m) {
  EvidenceCleaner& ec = m.AddFeature(std::make_unique<EvidenceCleaner>(m));
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabEvidence, "tabEvidence", st::kPage);
  f.AddSheet(sheet::tabEvidence_Scan, "tabEvidence_Scan", st::kPage);
  f.AddSheet(sheet::tabEvidence_Result, "tabEvidence_Result", st::kPage);
  f.AddSheet(sheet::tabEvidence_Finish, "tabEvidence_Finish", st::kPage);
  auto resize = [&m](id::ControlId list) {
    m.control(list).SetRowCount(static_cast<int>(m.scanResults.size()));
    m.control(list).Repaint();
  };
  // The progress and result lists: a row per type, each with the evidence picture.
  auto countColumns = [](ui::Control& list) {
    list.columns = {{"Item", 560}, {"Num", 120}};
    list.rowPicture = Picture::Report;
  };
  {
    ui::PageBuilder b(f, sheet::tabEvidence, MainForm::kWidth);
    b.Title(id::labEvidenceOTitle, "labEvidenceOTitle", "Evidence Cleaner");
    b.Description(id::labEvidenceODesc, "labEvidenceODesc",
                  "Choose the traces of your PC and Internet activities to search for.", 24);
    ui::Control& tree = f.Add(id::treeEvidence, ui::Kind::Tree, "treeEvidence", sheet::tabEvidence,
                              {st::kMargin, 72, 709, 276});
    tree.treeSource = &ec;
    // The evidence pictures, by the node's image index: the computer, the
    // four groups, and the types (the catalogue's `imgidx`, 5 for all).
    tree.treePictures = {Picture::Desktop, Picture::Network, Picture::RegistryCleaner,
                         Picture::Settings, Picture::Browser, Picture::Report};
    tree.onNodeChecked = [&ec](ui::NodeKey node, bool checked) { ec.treeEvidenceMouseDown(node, checked); };
    ui::Control& all = f.Add(id::chkESelectAll, ui::Kind::CheckBox, "chkESelectAll", sheet::tabEvidence,
                             {160, st::kButtonY + 7, 120, 22}, "Select All");
    all.SetChecked(true);
    all.onClick = [&ec] { ec.chkESelectAllClick(); };
    b.Back(id::imgCBack3, "imgCBack3").onClick = [&m] { m.ShowPage(page::kCleanup); };
    b.BottomButton(id::imgEviScan, "imgEviScan", -1, "Scan", Picture::Scan).onClick = [&ec] {
      ec.imgEviScanClick();
    };
    m.RegisterPage(page::kEvidenceOptions, sheet::tabEvidence, [&m] { m.control(id::treeEvidence).ExpandTree(); });
  }
  {
    ui::PageBuilder b(f, sheet::tabEvidence_Scan, MainForm::kWidth);
    b.Title(id::labEvidenceSTitle, "labEvidenceSTitle");
    b.Description(id::labEvidenceSDesc, "labEvidenceSDesc");
    ui::Control& list = b.List(id::lstvEScan, "lstvEScan", {st::kMargin, 90, 709, 230});
    countColumns(list);
    list.rowProvider = [&ec](int row, int col) { return ec.ResultListData(row, col); };
    b.Label(id::panEvidenceHint, "panEvidenceHint", {st::kMargin, 326, 709, 20}, {}, ui::FontStyle::Small,
            st::kMuted);
    b.BottomButton(id::imgEStop, "imgEStop", -1, "Stop", Picture::Stop).onClick = [&m] {
      m.imgJunkStopClick();
    };
    m.RegisterPage(page::kEvidenceScan, sheet::tabEvidence_Scan, [&m, resize] {
      m.control(id::labEvidenceSTitle).SetText("Search Evidence");
      m.control(id::labEvidenceSDesc)
          .SetText("Please wait while Vantorel Evidence Cleaner searches the selected items for evidences. ");
      resize(id::lstvEScan);
    });
    m.RegisterPage(page::kEvidenceClean, sheet::tabEvidence_Scan, [&m] {
      m.control(id::labEvidenceSTitle).SetText("Clean up Evidence");
      m.control(id::labEvidenceSDesc)
          .SetText("Please wait while Vantorel Evidence Cleaner cleans the selected items for evidences. ");
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabEvidence_Result, MainForm::kWidth);
    b.Title(id::labEvidenceRTitle, "labEvidenceRTitle", "Scan Result");
    b.Description(id::labEvidenceRDesc, "labEvidenceRDesc", {}, 20);
    ui::Control& list = b.List(id::lstvEResult, "lstvEResult", {st::kMargin, 70, 709, 120});
    countColumns(list);
    list.rowProvider = [&ec](int row, int col) { return ec.ResultListData(row, col); };
    list.onItemClick = [&ec](int) { ec.lstvEResultClick(); };
    ui::Control& desc = b.List(id::lstvEResultDesc, "lstvEResultDesc", {st::kMargin, 196, 709, 150});
    // Items of one key differ only in their value names, at the end.
    desc.columns = {{"No", 50}, {"Name", 380, ui::Align::Left, true}, {"Value", 250}};
    desc.checkImages = true;
    desc.rowProvider = [&ec](int row, int col) { return ec.lstvEResultDescData(row, col); };
    desc.onMouseDown = [&ec](int row, bool onImage) { ec.lstvEResultDescMouseDown(row, onImage); };
    b.Back(id::imgCBack6, "imgCBack6").onClick = [&m] { m.ShowPage(page::kEvidenceOptions); };
    b.BottomButton(id::imgEClean, "imgEClean", -1, "Clean", Picture::Delete).onClick = [&ec] {
      ec.imgECleanClick();
    };
    b.BottomButton(id::imgEExport, "imgEExport", -2, "Export", Picture::Export).onClick = [&ec] {
      ec.imgEExportClick();
    };
    m.RegisterPage(page::kEvidenceResult, sheet::tabEvidence_Result, [&m, &ec, resize] {
      resize(id::lstvEResult);
      ui::Control& list = m.control(id::lstvEResult);
      if (list.rowCount() > 0) {
        list.SetSelected(0);
        ec.lstvEResultClick();
      }
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabEvidence_Finish, MainForm::kWidth);
    b.Title(id::labEvidenceFTitle, "labEvidenceFTitle", "Cleanup is finished");
    b.Description(id::labEvidenceFDesc, "labEvidenceFDesc");
    ui::Control& list = b.List(id::lstvEFinish, "lstvEFinish", {st::kMargin, 90, 709, 250});
    list.columns = {{"Item", 480}, {"Num", 100}, {"Cleaned", 100}};
    list.striped = true;
    list.rowProvider = [&ec](int row, int col) { return ec.FinishListData(row, col); };
    b.Back(id::imgEvidenceBack, "imgEvidenceBack").onClick = [&ec] { ec.imgEvidenceBackClick(); };
    m.RegisterPage(page::kEvidenceFinish, sheet::tabEvidence_Finish, [resize] { resize(id::lstvEFinish); });
  }
  // Start-up: the tree (step 4); every node checked (step 8).
  m.AddStartupStep(4, [&ec] { ec.BuildTree(); });
  m.AddStartupStep(8, [&m, &ec] {
    m.control(id::chkESelectAll).SetChecked(true);
    ec.chkESelectAllClick();
  });
  return ec;
}

}  // namespace vl::evidence
