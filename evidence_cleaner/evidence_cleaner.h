// The evidence cleaner as the main window sees it: the catalogue tree, the
// scan start and the workers' main-thread steps, the result, detail and
// finish lists, the removal start and the evidence report.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "app/export_report.h"
#include "app/main_form.h"
#include "evidence_cleaner/evidence_types.h"
#include "ui/ui_model.h"

namespace vl::evidence {

class EvidenceCleaner : public Feature, public ui::TreeSource {
 public:
  explicit EvidenceCleaner(MainForm& m);
  MainForm& main() { return m_; }

  // --- the catalogue tree -------------------------------------------------------
  struct Node {
    std::string text;
    ui::NodeKey parent = ui::kTreeRoot;
    std::vector<ui::NodeKey> children;
    bool checked = false;
    int image = -1;  // index into the tree's pictures
    bool hasData = false;
    TEvidence data;
  };
  // Root "My Computer", the four groups and the offered types of evidencetype.
  void BuildTree();
  const std::vector<Node>& nodes() const { return nodes_; }
  // The first node with that caption; kTreeRoot when none.
  ui::NodeKey FindNode(const std::string& text) const;
  int ChildCount(ui::NodeKey parent) override;
  ui::NodeKey ChildAt(ui::NodeKey parent, int index) override;
  std::string Text(ui::NodeKey node) override;
  bool Checked(ui::NodeKey node) override;
  int Image(ui::NodeKey node) override;
  // A click on a node's check box: the node and all below it take its new state.
  void treeEvidenceMouseDown(ui::NodeKey node, bool checked);
  void chkESelectAllClick();

  // --- scan -----------------------------------------------------------------------
  void imgEviScanClick();
  // Main-thread steps of the workers.
  void ShowHint(const std::string& text);
  void RepaintScanList();
  void ScanEnded();
  void CleanEnded();
  const int scanListKey = 0;  // the address keys the coalesced repaint

  // --- result page ---------------------------------------------------------------
  void lstvEResultClick();
  // Carries the detail list's check boxes into the items of the record shown.
  void lstvEResultDescExit();
  void lstvEResultDescMouseDown(int row, bool onImage);
  ui::Cell lstvEResultDescData(int row, int col) const;
  ui::Cell ResultListData(int row, int col);
  ui::Cell FinishListData(int row, int col);
  void imgECleanClick();
  void imgEExportClick();
  void imgEvidenceBackClick();

  // The report's groups: one per record, one row per item.
  std::vector<report::ExportGroup> ExportGroups();

 private:
  TSearchEvidence* Record(int index);
  void SetChecked(ui::NodeKey node, bool on);

  MainForm& m_;
  std::vector<Node> nodes_;
  // The detail list: rows of record detailRecord_, their check boxes.
  struct DetailRow {
    std::string name, third;
  };
  int detailRecord_ = -1;
  std::vector<DetailRow> detailRows_;
  std::vector<bool> detailChecks_;
  // Types whose warning the user answered with Yes since the start.
  std::set<int32_t> accepted_;
};

// The warning shown before a type that erases what the user made on
// purpose is ticked; empty for every other type (which "Select All" ticks).
std::string KeptTypeWarning(int32_t typeNo);

// The evidence report's groups: one per record, captioned "group - type";
// a file-like type's value in the third column, any other's in red below
// the item.
std::vector<report::ExportGroup> EvidenceExportGroups(const std::vector<TSearchEvidence*>& records);

}  // namespace vl::evidence
