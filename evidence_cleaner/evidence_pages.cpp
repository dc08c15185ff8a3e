// Evidence cleaner pages 301 to 305: their controls and what each switch writes.
#include "evidence_cleaner/evidence_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl::evidence {

using ui::Picture;
namespace st = ui::style;

void AddEvidencePages(MainForm& m) {
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabEvidence, "tabEvidence", st::kPage);
  f.AddSheet(sheet::tabEvidence_Scan, "tabEvidence_Scan", st::kPage);
  f.AddSheet(sheet::tabEvidence_Result, "tabEvidence_Result", st::kPage);
  f.AddSheet(sheet::tabEvidence_Finish, "tabEvidence_Finish", st::kPage);
  auto resize = [&m](id::ControlId list) {
    m.control(list).SetRowCount(static_cast<int>(m.scanResults.size()));
  };
  {
    ui::PageBuilder b(f, sheet::tabEvidence, MainForm::kWidth);
    b.Title(id::labEvidenceOTitle, "labEvidenceOTitle", "Evidence Cleaner");
    b.Description(id::labEvidenceODesc, "labEvidenceODesc",
                  "Choose the traces of your PC and Internet activities to search for.");
    b.Back(id::imgCBack3, "imgCBack3").onClick = [&m] { m.ShowPage(page::kCleanup); };
    m.RegisterPage(page::kEvidenceOptions, sheet::tabEvidence);
  }
  {
    ui::PageBuilder b(f, sheet::tabEvidence_Scan, MainForm::kWidth);
    b.Title(id::labEvidenceSTitle, "labEvidenceSTitle");
    b.Description(id::labEvidenceSDesc, "labEvidenceSDesc");
    ui::Control& list = b.List(id::lstvEScan, "lstvEScan", {st::kMargin, 90, 709, 230});
    list.columns = {{"Evidence", 480}, {"Items", 200}};
    b.Label(id::panEvidenceHint, "panEvidenceHint", {st::kMargin, 326, 709, 20}, {},
            ui::FontStyle::Small, st::kMuted);
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
    ui::Control& list = b.List(id::lstvEResult, "lstvEResult", {st::kMargin, 60, 709, 280});
    list.columns = {{"Evidence", 480}, {"Items", 200}};
    b.Back(id::imgCBack6, "imgCBack6").onClick = [&m] { m.ShowPage(page::kEvidenceOptions); };
    m.RegisterPage(page::kEvidenceResult, sheet::tabEvidence_Result, [&m, resize] {
      resize(id::lstvEResult);
      ui::Control& list = m.control(id::lstvEResult);
      if (list.rowCount() > 0) list.SetSelected(0);
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabEvidence_Finish, MainForm::kWidth);
    b.Title(id::labEvidenceFTitle, "labEvidenceFTitle", "Cleanup is finished");
    ui::Control& list = b.List(id::lstvEFinish, "lstvEFinish", {st::kMargin, 60, 709, 280});
    list.columns = {{"Evidence", 480}, {"Items", 200}};
    list.striped = true;
    b.Back(id::imgEvidenceBack, "imgEvidenceBack").onClick = [&m] { m.ShowPage(page::kEvidenceOptions); };
    m.RegisterPage(page::kEvidenceFinish, sheet::tabEvidence_Finish, [resize] { resize(id::lstvEFinish); });
  }
}

}  // namespace vl::evidence
