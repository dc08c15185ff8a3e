// The evidence cleaner's main-thread side: the tree, scan start and steps,
// result, detail and finish lists, removal start and the report.
#include "evidence_cleaner/evidence_cleaner.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "app/db_access.h"
#include "app/page_codes.h"
#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/evidence_thread.h"
#include "store/database.h"
#include "ui/page_builder.h"

namespace vl::evidence {

namespace st = ui::style;

EvidenceCleaner::EvidenceCleaner(MainForm& m) : m_(m) {}

TSearchEvidence* EvidenceCleaner::Record(int index) {
  if (index < 0 || index >= static_cast<int>(m_.scanResults.size())) return nullptr;
  return dynamic_cast<TSearchEvidence*>(m_.scanResults[static_cast<size_t>(index)].get());
}

// --- the catalogue tree -------------------------------------------------------------

void EvidenceCleaner::BuildTree() {
  nodes_.clear();
  Node root;
  root.text = "My Computer";
  root.image = 0;
  nodes_.push_back(std::move(root));
  auto add = [this](ui::NodeKey parent, std::string text, int image) {
    const ui::NodeKey key = static_cast<ui::NodeKey>(nodes_.size());
    Node n;
    n.text = std::move(text);
    n.image = image;
    n.parent = parent;
    nodes_.push_back(std::move(n));
    nodes_[static_cast<size_t>(parent)].children.push_back(key);
    return key;
  };
  const bool built = WithDatabase(*m_.platform().files, m_.dataDbPath(), {"evidencetype"}, [&](store::Connection& c) {
    for (int g = 1; g <= 4; ++g) {
      const ui::NodeKey group = add(0, GroupCaption(g), g);
      store::ResultTable t =
          store::RunQuery(c, "SELECT * FROM evidencetype where father=" + std::to_string(g) + " and state=1 order by no");
      for (; !t.AtEnd(); t.NextRow()) {
        const auto no = ParseId(t.ColumnByName("no"));
        if (!no || *no < INT32_MIN || *no > INT32_MAX) continue;
        const auto image = ParseId(t.ColumnByName("imgidx"));
        const ui::NodeKey type =
            add(group, t.ColumnByName("name"), image && *image >= 0 && *image <= INT32_MAX ? static_cast<int>(*image) : -1);
        Node& n = nodes_[static_cast<size_t>(type)];
        n.hasData = true;
        n.data = {static_cast<int32_t>(*no), n.text};
      }
    }
  });
  if (built) m_.control(id::chkESelectAll).SetChecked(true);
  m_.control(id::treeEvidence).TreeChanged();
}

ui::NodeKey EvidenceCleaner::FindNode(const std::string& text) const {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].text == text) return static_cast<ui::NodeKey>(i);
  return ui::kTreeRoot;
}

int EvidenceCleaner::ChildCount(ui::NodeKey parent) {
  if (parent == ui::kTreeRoot) return nodes_.empty() ? 0 : 1;
  if (parent < 0 || parent >= static_cast<ui::NodeKey>(nodes_.size())) return 0;
  return static_cast<int>(nodes_[static_cast<size_t>(parent)].children.size());
}

ui::NodeKey EvidenceCleaner::ChildAt(ui::NodeKey parent, int index) {
  if (parent == ui::kTreeRoot) return 0;
  return nodes_[static_cast<size_t>(parent)].children[static_cast<size_t>(index)];
}

std::string EvidenceCleaner::Text(ui::NodeKey node) {
  if (node < 0 || node >= static_cast<ui::NodeKey>(nodes_.size())) return "";
  return nodes_[static_cast<size_t>(node)].text;
}

int EvidenceCleaner::Image(ui::NodeKey node) {
  if (node < 0 || node >= static_cast<ui::NodeKey>(nodes_.size())) return -1;
  return nodes_[static_cast<size_t>(node)].image;
}

bool EvidenceCleaner::Checked(ui::NodeKey node) {
  if (node < 0 || node >= static_cast<ui::NodeKey>(nodes_.size())) return false;
  return nodes_[static_cast<size_t>(node)].checked;
}

void EvidenceCleaner::SetChecked(ui::NodeKey node, bool on) {
  Node& n = nodes_[static_cast<size_t>(node)];
  n.checked = on;
  for (ui::NodeKey child : n.children) SetChecked(child, on);
}

std::string KeptTypeWarning(int32_t typeNo) {
  switch (typeNo) {
    case 104:
      return "Cleaning \"Favorites Export File\" removes every favorite (bookmark) of Internet Explorer and Edge "
             "Legacy. They cannot be brought back.\r\rTick it all the same?";
    case 109:
      return "Cleaning \"Saved Passwords\" removes every password that Internet Explorer saved. You will have to "
             "type them in again.\r\rTick it all the same?";
    case 433:
      return "Cleaning \"Firefox Form History\" removes everything Firefox remembers for its forms (names, "
             "addresses, searches and other text you typed).\r\rTick it all the same?";
    default:
      return "";
  }
}

void EvidenceCleaner::treeEvidenceMouseDown(ui::NodeKey node, bool checked) {
  if (node < 0 || node >= static_cast<ui::NodeKey>(nodes_.size())) return;
  // The types that erase what the user made on purpose are ticked only
  // after a warning, which is asked once per start.
  std::vector<ui::NodeKey> refused;
  if (checked) {
    std::function<void(ui::NodeKey)> visit = [&](ui::NodeKey key) {
      const Node& n = nodes_[static_cast<size_t>(key)];
      if (n.hasData && !n.checked && !KeptTypeWarning(n.data.no).empty() && !accepted_.count(n.data.no)) {
        if (m_.ports().ShowMessage(KeptTypeWarning(n.data.no), "Vantorel", MsgButtons::YesNo, MsgIcon::Warning) ==
            MsgAnswer::Yes)
          accepted_.insert(n.data.no);
        else
          refused.push_back(key);
      }
      for (ui::NodeKey child : n.children) visit(child);
    };
    visit(node);
  }
  // A parent is not recomputed from its children.
  SetChecked(node, checked);
  for (ui::NodeKey key : refused) nodes_[static_cast<size_t>(key)].checked = false;
  m_.control(id::treeEvidence).ChecksChanged();
}

void EvidenceCleaner::chkESelectAllClick() {
  const bool on = m_.control(id::chkESelectAll).checked();
  // "Select All" never ticks what would erase the user's own things.
  for (Node& n : nodes_)
    if (!on || !n.hasData || KeptTypeWarning(n.data.no).empty()) n.checked = on;
  m_.control(id::treeEvidence).ChecksChanged();
}

// --- scan -------------------------------------------------------------------------------

void EvidenceCleaner::imgEviScanClick() {
  m_.scanResults.clear();
  detailRecord_ = -1;
  detailRows_.clear();
  detailChecks_.clear();
  m_.control(id::lstvEScan).SetRowCount(0);
  m_.control(id::lstvEResult).SetRowCount(0);
  m_.control(id::lstvEResultDesc).SetRowCount(0);
  // Tree order, top to bottom as shown.
  std::vector<TSearchEvidence*> records;
  std::function<void(ui::NodeKey)> visit = [&](ui::NodeKey key) {
    const Node& n = nodes_[static_cast<size_t>(key)];
    if (n.checked && n.children.empty() && n.hasData) {
      auto r = std::make_unique<TSearchEvidence>(n.data.no, n.data.name);
      records.push_back(r.get());
      m_.scanResults.push_back(std::move(r));
    }
    for (ui::NodeKey child : n.children) visit(child);
  };
  if (!nodes_.empty()) visit(0);
  if (records.empty()) {
    m_.ports().ShowMessage("Please select the evidence you want to scan.", "Error", MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  m_.EnterBusyState();
  m_.stopFlag = 0;
  m_.control(id::panEvidenceHint).SetText("");
  m_.ShowPage(page::kEvidenceScan);
  m_.runningScans = static_cast<int32_t>(records.size());
  for (TSearchEvidence* r : records)
    TEvidenceThread::Start(*this, TEvidenceThread::kScan, m_.bitness.wow64, r->name, r->typeNo, r);
}

void EvidenceCleaner::ShowHint(const std::string& text) {
  if (m_.stopFlag.load() == 1) return;
  m_.control(id::panEvidenceHint).SetText(text);
}

void EvidenceCleaner::RepaintScanList() { m_.control(id::lstvEScan).Repaint(); }

void EvidenceCleaner::ScanEnded() {
  m_.ShowPage(page::kEvidenceResult);
  m_.LeaveBusyState();
  int64_t total = 0;
  for (TSearchEvidence* r : EvidenceRecords(m_)) total += r->itemCount.load();
  m_.control(id::labStatus_Evidence).SetText(std::to_string(total) + " Item(s)");
  m_.control(id::labEvidenceRDesc)
      .SetText(std::to_string(total) +
               " item(s) detected. Click on the following items to view the privacy information details.");
  // A type that could not be read shows a count that is not the truth.
  std::string problems;
  for (TSearchEvidence* r : EvidenceRecords(m_))
    if (!r->notScanned.empty()) problems += (problems.empty() ? "" : "\r") + r->name + ": " + r->notScanned;
  if (!problems.empty()) m_.ports().ShowMessage(problems, "Vantorel", MsgButtons::Ok, MsgIcon::Warning);
}

void EvidenceCleaner::CleanEnded() {
  m_.ShowPage(page::kEvidenceFinish);
  m_.LeaveBusyState();
  std::string problems;
  for (TSearchEvidence* r : EvidenceRecords(m_))
    if (!r->notCleaned.empty()) problems += (problems.empty() ? "" : "\r") + r->name + ": " + r->notCleaned;
  m_.control(id::labEvidenceFDesc).SetText(problems);
  if (!problems.empty()) m_.ports().ShowMessage(problems, "Vantorel", MsgButtons::Ok, MsgIcon::Warning);
}

// --- result page ---------------------------------------------------------------------

ui::Cell EvidenceCleaner::ResultListData(int row, int col) {
  ui::Cell cell;
  if (TSearchEvidence* r = Record(row)) {
    if (col == 0) {
      cell.text = RecordCaption(r->typeNo, r->name);
      cell.color = st::kText;
    } else {
      cell.text = std::to_string(r->itemCount.load());
      cell.color = st::kRed;
    }
  }
  return cell;
}

ui::Cell EvidenceCleaner::FinishListData(int row, int col) {
  ui::Cell cell;
  TSearchEvidence* r = Record(row);
  if (!r) return cell;
  if (col == 0) {
    cell.text = RecordCaption(r->typeNo, r->name);
  } else if (col == 1) {
    cell.text = std::to_string(r->itemCount.load());
    cell.bold = true;
    cell.color = st::kRed;
  } else {
    cell.bold = true;
    if (r->notCleaned.empty()) {
      cell.text = std::to_string(r->cleanedCount.load());
      cell.color = st::kGreen;
    } else {
      cell.text = "Not cleaned";
      cell.color = st::kRed;
    }
  }
  return cell;
}

void EvidenceCleaner::lstvEResultDescExit() {
  TSearchEvidence* r = Record(detailRecord_);
  if (!r || detailChecks_.empty() || detailChecks_.size() > r->items.size()) return;
  for (size_t i = 0; i < detailChecks_.size(); ++i) r->items[i].selected = detailChecks_[i];
}

void EvidenceCleaner::lstvEResultClick() {
  ui::Control& list = m_.control(id::lstvEResult);
  const int row = list.selected();
  TSearchEvidence* r = Record(row);
  if (list.rowCount() == 0 || !r) return;
  // What was unticked in the rows shown so far stays unticked.
  lstvEResultDescExit();
  ui::Control& desc = m_.control(id::lstvEResultDesc);
  detailRows_.clear();
  detailChecks_.clear();
  detailRecord_ = row;
  switch (LayoutOf(r->typeNo)) {
    case DetailLayout::kSize:
      desc.columns[1].width = 550;
      desc.columns[2] = {"Size", 80};
      break;
    case DetailLayout::kHidden:
      desc.columns[1].width = 630;
      desc.columns[2].width = 0;
      break;
    case DetailLayout::kValue:
      desc.columns[1].width = 380;
      desc.columns[2] = {"Value", 250};
      break;
  }
  desc.ColumnsChanged();
  const size_t n = std::min(r->items.size(), static_cast<size_t>(std::max<int32_t>(r->itemCount.load(), 0)));
  for (size_t i = 0; i < n; ++i) {
    const TScanEvidence& item = r->items[i];
    detailRows_.push_back({ItemTextIn(*r, item), item.value});
    detailChecks_.push_back(item.selected);
  }
  desc.SetRowCount(static_cast<int>(detailRows_.size()));
  desc.SetSelected(detailRows_.empty() ? -1 : 0);
}

ui::Cell EvidenceCleaner::lstvEResultDescData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(detailRows_.size())) return cell;
  cell.image = detailChecks_[static_cast<size_t>(row)] ? 1 : 0;
  if (col == 0) cell.text = std::to_string(row + 1);
  else if (col == 1) cell.text = detailRows_[static_cast<size_t>(row)].name;
  else cell.text = detailRows_[static_cast<size_t>(row)].third;
  return cell;
}

void EvidenceCleaner::lstvEResultDescMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(detailChecks_.size())) return;
  detailChecks_[static_cast<size_t>(row)] = !detailChecks_[static_cast<size_t>(row)];
  m_.control(id::lstvEResultDesc).Repaint();
}

void EvidenceCleaner::imgECleanClick() {
  if (m_.scanResults.empty()) return;
  // The clean button takes no focus: what the user just unticked must count.
  lstvEResultDescExit();
  if (m_.ports().ShowMessage("Are you sure you want to delete the specified evidence?", "Confirm", MsgButtons::YesNo,
                             MsgIcon::Question) != MsgAnswer::Yes)
    return;
  m_.EnterBusyState();
  m_.stopFlag = 0;
  m_.control(id::panEvidenceHint).SetText("");
  m_.ShowPage(page::kEvidenceClean);
  TEvidenceThread::Start(*this, TEvidenceThread::kClean, m_.bitness.wow64, "", 0, nullptr);
}

void EvidenceCleaner::imgEvidenceBackClick() { m_.ShowPage(page::kEvidenceOptions); }

// --- report ------------------------------------------------------------------------------

std::vector<report::ExportGroup> EvidenceExportGroups(const std::vector<TSearchEvidence*>& records) {
  using report::HtmlEscape;
  std::vector<report::ExportGroup> groups;
  for (TSearchEvidence* r : records) {
    report::ExportGroup g;
    g.caption = RecordCaption(r->typeNo, r->name);
    const size_t n = std::min(r->items.size(), static_cast<size_t>(std::max<int32_t>(r->itemCount.load(), 0)));
    for (size_t j = 0; j < n; ++j) {
      const TScanEvidence& item = r->items[j];
      report::ExportRow row;
      row.detailHtml = HtmlEscape(ItemTextIn(*r, item));
      if (!item.value.empty()) {
        if (LayoutOf(r->typeNo) == DetailLayout::kSize)
          row.thirdHtml = HtmlEscape(item.value);
        else
          row.detailHtml += "<br /><span class=\"color02\">" + HtmlEscape(item.value) + "</span>";
      }
      g.rows.push_back(std::move(row));
    }
    groups.push_back(std::move(g));
  }
  return groups;
}

std::vector<report::ExportGroup> EvidenceCleaner::ExportGroups() { return EvidenceExportGroups(EvidenceRecords(m_)); }

void EvidenceCleaner::imgEExportClick() {
  report::ExportScanResult(m_, report::kEvidenceExport, [this] { return ExportGroups(); });
}

}  // namespace vl::evidence
