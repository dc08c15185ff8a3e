// The junk cleaner's main-thread side: drive and type lists, the type
// dialog, scan and clean start, the rows of its lists and the export.
#include "junk_cleaner/junk_cleaner.h"

#include <algorithm>

#include "app/clock.h"
#include "app/db_access.h"
#include "app/page_codes.h"
#include "junk_cleaner/junk_thread.h"
#include "junk_cleaner/mask_match.h"
#include "store/database.h"
#include "store/junk_protect_table.h"
#include "store/seed_data.h"
#include "sysaccess/file_time.h"
#include "sysaccess/format_text.h"
#include "sysaccess/shell.h"
#include "sysaccess/text.h"
#include "ui/page_builder.h"

namespace vl::junk {

namespace st = ui::style;
using store::Quote;

namespace {

constexpr ui::Color kBlack = 0x000000;
constexpr ui::Color kRed = 0xFF0000;
constexpr ui::Color kGreen = 0x008000;

const char* StateText(int16_t state) {
  switch (state) {
    case kWaiting: return "Waiting";
    case kScanning: return "Scanning";
    case kScanned: return "Scanned";
    case kCleaning: return "Cleaning";
    case kFinished: return "Finished";
  }
  return "";
}

// "yyyy-mm-dd hh:nn:ss" of a file time, as the directory entry gives it.
std::string FileTimeText(uint64_t fileTime) {
  const sys::DateTime t = sys::FileTimeToCalendar(fileTime);
  if (!t.valid) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

bool SameFolder(std::string a, std::string b) {
  if (!a.empty() && a.back() != '\\') a += '\\';
  if (!b.empty() && b.back() != '\\') b += '\\';
  return sys::AsciiLower(a) == sys::AsciiLower(b);
}

}  // namespace

std::vector<JunkType> BuiltInJunkTypes() {
  // The seed rows, with the first five in the order the list has always shown them.
  std::vector<JunkType> list;
  auto description = [](const std::string& mask) -> std::string {
    for (const auto& s : store::kJunkSeeds)
      if (mask == s.mask) return s.description;
    return {};
  };
  const char* first[] = {"*.swp", "*.$$$", "*.~*", "*._", "*.^"};
  for (const char* mask : first) list.push_back({mask, description(mask)});
  for (const auto& s : store::kJunkSeeds)
    if (std::find(std::begin(first), std::end(first), std::string(s.mask)) == std::end(first))
      list.push_back({s.mask, s.description});
  list.push_back({"readme.txt", "Readme File"});
  return list;
}

std::string DriveOfCaption(const std::string& caption) {
  const size_t open = caption.rfind('(');
  if (open == std::string::npos || open + 2 >= caption.size()) return {};
  return caption.substr(open + 1, 2);
}

std::vector<report::ExportGroup> JunkExportGroups(const std::vector<std::unique_ptr<ScanRecord>>& records) {
  std::vector<report::ExportGroup> groups;
  for (const auto& record : records) {
    const auto* g = dynamic_cast<const TSearchJunk*>(record.get());
    if (!g) continue;
    report::ExportGroup eg;
    eg.caption = g->caption;
    // The count never reaches past the files actually recorded; unticked
    // files are not going and are not listed.
    const size_t n = std::min(static_cast<size_t>(std::max<int32_t>(g->fileCount, 0)), g->files.size());
    eg.rows.reserve(n);
    for (size_t j = 0; j < n; ++j)
      if (g->files[j].ticked)
        eg.rows.push_back({report::HtmlEscape(g->PathOf(g->files[j])), report::HtmlEscape(sys::FormatSize(g->files[j].size))});
    groups.push_back(std::move(eg));
  }
  return groups;
}

JunkCleaner::JunkCleaner(MainForm& m) : m_(m) {
  BuildDialog();
  BuildProtectDialog();
}

const TSearchJunk* JunkCleaner::Group(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= m_.scanResults.size()) return nullptr;
  return dynamic_cast<const TSearchJunk*>(m_.scanResults[static_cast<size_t>(row)].get());
}

// --- start page -----------------------------------------------------------------------

void JunkCleaner::BuildDriveList() {
  drives.clear();
  for (sys::DriveRow& row : sys::BuildDriveList(*m_.platform().files)) {
    const bool checked = row.checkedByDefault;
    drives.push_back({std::move(row), checked});
  }
  m_.control(id::lstvJunkDrives).SetRowCount(static_cast<int>(drives.size()));
}

void JunkCleaner::LoadJunkTypes() {
  ui::Control& list = m_.control(id::lstvJunkType);
  types.clear();
  list.SetRowCount(0);
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"junktype"}, [&](store::Connection& c) {
    store::ResultTable t = store::RunQuery(c, "SELECT * FROM junktype");
    for (; !t.AtEnd(); t.NextRow()) types.push_back({t.ColumnByName("fileext"), t.ColumnByName("filedesc"), true});
  });
  if (!types.empty()) {
    ui::Control& all = m_.control(id::chkSelectAll_Junk);
    if (!all.checked()) {
      all.SetChecked(true);
      chkSelectAll_JunkClick();
    }
  } else {
    types = BuiltInJunkTypes();
  }
  list.SetRowCount(static_cast<int>(types.size()));
  list.Repaint();
}

ui::Cell JunkCleaner::lstvJunkDrivesData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(drives.size())) return cell;
  const JunkDrive& d = drives[static_cast<size_t>(row)];
  cell.image = d.checked ? 1 : 0;
  cell.text = col == 0 ? d.row.caption : col == 1 ? d.row.totalText : col == 2 ? d.row.freeText : "";
  return cell;
}

void JunkCleaner::lstvJunkDrivesMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(drives.size())) return;
  drives[static_cast<size_t>(row)].checked = !drives[static_cast<size_t>(row)].checked;
  m_.control(id::lstvJunkDrives).Repaint();
}

ui::Cell JunkCleaner::lstvJunkTypeData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(types.size())) return cell;
  const JunkType& t = types[static_cast<size_t>(row)];
  cell.image = t.checked ? 1 : 0;
  cell.text = col == 0 ? t.mask : col == 1 ? t.description : "";
  return cell;
}

void JunkCleaner::lstvJunkTypeMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(types.size())) return;
  types[static_cast<size_t>(row)].checked = !types[static_cast<size_t>(row)].checked;
  m_.control(id::lstvJunkType).Repaint();
}

void JunkCleaner::chkSelectAll_JunkClick() {
  if (types.empty()) return;
  const bool on = m_.control(id::chkSelectAll_Junk).checked();
  for (JunkType& t : types) t.checked = on;
  m_.control(id::lstvJunkType).Repaint();
}

void JunkCleaner::imgAddJunkClick() {
  frmJunk_.SetTitle("Add a new file type");
  oldMask_.clear();
  frmJunk_.Get(id::edtExt).SetText("");
  frmJunk_.Get(id::edtDesc).SetText("");
  frmJunk_.Get(id::btnOk).SetEnabled(false);
  ShowDialog();
}

void JunkCleaner::imgEditJunkClick() {
  const int row = m_.control(id::lstvJunkType).selected();
  if (types.empty() || row < 0 || row >= static_cast<int>(types.size())) return;
  frmJunk_.SetTitle("Modify file type");
  oldMask_ = types[static_cast<size_t>(row)].mask;
  frmJunk_.Get(id::edtExt).SetText(oldMask_);
  frmJunk_.Get(id::edtDesc).SetText(types[static_cast<size_t>(row)].description);
  frmJunk_.Get(id::btnOk).SetEnabled(true);
  ShowDialog();
}

void JunkCleaner::imgDelJunkClick() {
  if (types.empty()) return;
  if (m_.ports().ShowMessage("Are you sure to remove the selected item(s)?", "Confrim", MsgButtons::YesNo,
                             MsgIcon::None) != MsgAnswer::Yes)
    return;
  ui::Control& list = m_.control(id::lstvJunkType);
  // Highlighted rows go, whatever their check boxes say.
  std::vector<int> rows = list.selectedRows();
  rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r >= static_cast<int>(types.size()); }),
             rows.end());
  if (rows.empty()) return;
  std::vector<std::string> masks;
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
    masks.insert(masks.begin(), types[static_cast<size_t>(*r)].mask);
    types.erase(types.begin() + *r);
  }
  list.SetSelected(-1);
  list.SetRowCount(static_cast<int>(types.size()));
  list.Repaint();
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"junktype"}, [&](store::Connection& c) {
    std::string where;
    for (const std::string& mask : masks) where += (where.empty() ? "" : " or ") + ("(fileext=" + Quote(mask) + ")");
    store::RunStatement(c, "delete from junktype where " + where);
  });
}

void JunkCleaner::imgJunkScanClick() {
  m_.control(id::lstvJunkScan).SetRowCount(0);
  m_.scanResults.clear();
  std::vector<std::string> masks;
  if (!drives.empty() && !types.empty()) {
    for (const JunkDrive& d : drives)
      if (d.checked)
        m_.scanResults.push_back(std::make_unique<TSearchJunk>(d.row.caption, DriveOfCaption(d.row.caption)));
    for (const JunkType& t : types)
      if (t.checked) masks.push_back(t.mask);
  }
  if (m_.scanResults.empty()) {
    m_.ports().ShowMessage("Please select the disk you want to scan.", "Error", MsgButtons::Ok, MsgIcon::None);
    return;
  }
  // A mask the language rejects or one that would list the whole drive
  // (stored before the dialog checked masks) is named once here and left
  // out, rather than failing on the first file or emptying the drive.
  std::vector<std::string> valid;
  std::string rejected;
  for (const std::string& mask : masks) {
    std::string why = MaskError(mask);
    if (why.empty()) why = MaskBreadthError(mask);
    if (why.empty())
      valid.push_back(mask);
    else
      rejected += "\r" + mask + ": " + why;
  }
  if (!rejected.empty())
    m_.ports().ShowMessage("These junk types cannot be used and are left out of the scan:" + rejected, "Hint",
                           MsgButtons::Ok, MsgIcon::Warning);
  if (valid.empty()) {
    m_.scanResults.clear();
    m_.ports().ShowMessage("Please select the types of Junk Files for searching.", "Confrim", MsgButtons::Ok,
                           MsgIcon::None);
    return;
  }
  m_.ShowPage(page::kJunkScan);
  m_.stopFlag = 0;
  m_.EnterBusyState();
  TJunkThread::Start(m_, TJunkThread::kScan, std::move(valid), "", 0, ProtectedSet());
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"sysset"}, [&](store::Connection& c) {
    store::RunStatement(c, "Update sysset set last_jscan=" + Quote(NowTimestamp()));
  });
}

// --- protected folders ---------------------------------------------------------------------

void JunkCleaner::LoadProtectedPlaces() {
  protectedPlaces.clear();
  for (DefaultPlace& d : DefaultPlaces(m_.platform())) {
    if (d.folders.empty()) continue;
    protectedPlaces.push_back({d.key, d.caption, d.warning, std::move(d.folders), true});
  }
  // The table comes with the first use; without data.db the defaults stand.
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {}, [&](store::Connection& c) {
    store::EnsureJunkProtectTable(c);
    store::ResultTable t = store::RunQuery(c, "SELECT pkey,folder,enabled FROM junkprotect");
    for (; !t.AtEnd(); t.NextRow()) {
      const std::string key = t.ColumnByName("pkey");
      const bool enabled = t.ColumnByName("enabled") != "0";
      if (!key.empty()) {
        for (JunkProtect& p : protectedPlaces)
          if (p.key == key) p.enabled = enabled;
        continue;
      }
      std::string folder = sys::Trim(t.ColumnByName("folder"));
      if (folder.size() < 3 || folder[1] != ':') continue;
      if (folder.back() != '\\') folder += '\\';
      protectedPlaces.push_back({"", folder, "", {{folder, {}}}, enabled});
    }
  });
  frmJunkProtect_.Get(id::lstvJunkProtect).SetRowCount(static_cast<int>(protectedPlaces.size()));
  frmJunkProtect_.Get(id::lstvJunkProtect).Repaint();
}

void JunkCleaner::BuildProtectDialog() {
  ui::Form& f = frmJunkProtect_;
  ui::Control& prompt = f.Add(id::labProtectPrompt, ui::Kind::Label, "labProtectPrompt", 0, {16, 12, 528, 28},
                              "No junk scan enters these folders, whatever the junk types. Untick a folder to let "
                              "the scan in.");
  prompt.color = st::kText;
  ui::Control& list = f.Add(id::lstvJunkProtect, ui::Kind::ListView, "lstvJunkProtect", 0, {16, 44, 528, 220});
  list.columns = {{"Protected Folders", 500}};
  list.checkImages = true;
  list.rowProvider = [this](int row, int col) { return lstvJunkProtectData(row, col); };
  list.onMouseDown = [this](int row, bool onImage) { lstvJunkProtectMouseDown(row, onImage); };
  ui::Control& add = f.Add(id::imgAddProtect, ui::Kind::ImageButton, "imgAddProtect", 0, {16, 278, 140, 34},
                           "Add Folder");
  add.SetPicture(ui::Picture::Add);
  add.onClick = [this] { imgAddProtectClick(); };
  ui::Control& del = f.Add(id::imgDelProtect, ui::Kind::ImageButton, "imgDelProtect", 0, {164, 278, 150, 34},
                           "Remove Folder");
  del.SetPicture(ui::Picture::Delete);
  del.onClick = [this] { imgDelProtectClick(); };
  ui::Control& close = f.Add(id::btnProtectClose, ui::Kind::ImageButton, "btnProtectClose", 0, {434, 278, 110, 34},
                             "Close");
  close.SetHighlighted(true);
  close.onClick = [this] { frmJunkProtect_.EndModal(ui::kModalOk); };
}

void JunkCleaner::imgJunkProtectClick() {
  ui::Control& list = frmJunkProtect_.Get(id::lstvJunkProtect);
  list.SetRowCount(static_cast<int>(protectedPlaces.size()));
  list.Repaint();
  m_.ports().ShowModalForm(frmJunkProtect_);
}

std::shared_ptr<ProtectedFolders> JunkCleaner::ProtectedSet() const {
  auto set = std::make_shared<ProtectedFolders>();
  for (const JunkProtect& p : protectedPlaces)
    if (p.enabled)
      for (const ProtectedFolder& f : p.folders) set->Add(f);
  return set;
}

ui::Cell JunkCleaner::lstvJunkProtectData(int row, int col) const {
  ui::Cell cell;
  if (row < 0 || row >= static_cast<int>(protectedPlaces.size()) || col != 0) return cell;
  const JunkProtect& p = protectedPlaces[static_cast<size_t>(row)];
  cell.text = p.caption;
  cell.image = p.enabled ? 1 : 0;
  return cell;
}

void JunkCleaner::SaveProtect(const JunkProtect& p, bool added) {
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {}, [&](store::Connection& c) {
    store::EnsureJunkProtectTable(c);
    const int64_t on = p.enabled ? 1 : 0;
    if (!p.key.empty()) {
      const bool known = store::RunQuery(c, "SELECT pkey FROM junkprotect where pkey=?", {p.key}).RowCount() > 0;
      if (known)
        store::RunStatement(c, "update junkprotect set enabled=? where pkey=?", {on, p.key});
      else
        store::RunStatement(c, "insert into junkprotect(pkey,folder,enabled) values (?,'',?)", {p.key, on});
    } else if (added) {
      store::RunStatement(c, "insert into junkprotect(pkey,folder,enabled) values ('',?,?)", {p.caption, on});
    } else {
      store::RunStatement(c, "update junkprotect set enabled=? where pkey='' and folder=?", {on, p.caption});
    }
  });
}

void JunkCleaner::lstvJunkProtectMouseDown(int row, bool onImage) {
  if (!onImage || row < 0 || row >= static_cast<int>(protectedPlaces.size())) return;
  JunkProtect& p = protectedPlaces[static_cast<size_t>(row)];
  if (p.enabled && !p.key.empty() &&
      m_.ports().ShowMessage("Stop protecting " + p.caption + "?\r\r" + p.warning +
                                 "\r\rThe junk scan will then list files there, and a clean removes them.",
                             "Protected Folders", MsgButtons::YesNoDefaultNo, MsgIcon::Warning) != MsgAnswer::Yes)
    return;
  p.enabled = !p.enabled;
  SaveProtect(p, false);
  frmJunkProtect_.Get(id::lstvJunkProtect).Repaint();
}

void JunkCleaner::imgAddProtectClick() {
  std::string folder = m_.platform().shell->BrowseForFolder("", "Please select a folder to protect...");
  if (folder.empty()) return;
  if (folder.back() != '\\') folder += '\\';
  if (folder.size() < 3 || folder[1] != ':') {
    m_.ports().ShowMessage("Only folders of local drives can be protected.", "Hint", MsgButtons::Ok, MsgIcon::None);
    return;
  }
  for (JunkProtect& p : protectedPlaces)
    if (p.key.empty() && SameFolder(p.caption, folder)) {
      if (!p.enabled) {
        p.enabled = true;
        SaveProtect(p, false);
        frmJunkProtect_.Get(id::lstvJunkProtect).Repaint();
      }
      return;
    }
  protectedPlaces.push_back({"", folder, "", {{folder, {}}}, true});
  SaveProtect(protectedPlaces.back(), true);
  ui::Control& list = frmJunkProtect_.Get(id::lstvJunkProtect);
  list.SetRowCount(static_cast<int>(protectedPlaces.size()));
  list.SetSelected(static_cast<int>(protectedPlaces.size()) - 1);
  list.Repaint();
}

void JunkCleaner::imgDelProtectClick() {
  ui::Control& list = frmJunkProtect_.Get(id::lstvJunkProtect);
  const int row = list.selected();
  if (row < 0 || row >= static_cast<int>(protectedPlaces.size())) return;
  const JunkProtect p = protectedPlaces[static_cast<size_t>(row)];
  if (!p.key.empty()) {
    m_.ports().ShowMessage("The folders Vantorel protects by itself cannot be removed; untick one to switch it off.",
                           "Hint", MsgButtons::Ok, MsgIcon::None);
    return;
  }
  if (m_.ports().ShowMessage("Are you sure to remove the selected item(s)?", "Confrim", MsgButtons::YesNo,
                             MsgIcon::None) != MsgAnswer::Yes)
    return;
  protectedPlaces.erase(protectedPlaces.begin() + row);
  list.SetSelected(-1);
  list.SetRowCount(static_cast<int>(protectedPlaces.size()));
  list.Repaint();
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"junkprotect"}, [&](store::Connection& c) {
    store::RunStatement(c, "delete from junkprotect where pkey='' and folder=?", {p.caption});
  });
}

// --- the type dialog ---------------------------------------------------------------------

void JunkCleaner::BuildDialog() {
  ui::Form& f = frmJunk_;
  auto label = [&f](int id, const char* name, ui::Rect r, const char* text) {
    ui::Control& c = f.Add(id, ui::Kind::Label, name, 0, r, text);
    c.color = st::kText;
  };
  label(id::labJunkPrompt, "labJunkPrompt", {16, 14, 448, 20},
        "Enter  the filename with extension you want to search for ...");
  label(id::labExt, "labExt", {16, 50, 120, 20}, "File Extension");
  f.Add(id::edtExt, ui::Kind::Edit, "edtExt", 0, {140, 46, 324, 26}).onChange = [this] { edtExtChange(); };
  label(id::labDesc, "labDesc", {16, 90, 120, 20}, "File Description");
  f.Add(id::edtDesc, ui::Kind::Edit, "edtDesc", 0, {140, 86, 324, 26});
  ui::Control& ok = f.Add(id::btnOk, ui::Kind::ImageButton, "btnOk", 0, {256, 140, 100, 34}, "OK");
  ok.SetHighlighted(true);  // the filled look of the main action
  ok.onClick = [this] { btnOkClick(); };
  f.Add(id::btnCancel, ui::Kind::ImageButton, "btnCancel", 0, {364, 140, 100, 34}, "Cancel").onClick = [this] {
    btnCancelClick();
  };
}

void JunkCleaner::ShowDialog() { m_.ports().ShowModalForm(frmJunk_); }

void JunkCleaner::edtExtChange() {
  frmJunk_.Get(id::btnOk).SetEnabled(!sys::Trim(frmJunk_.Get(id::edtExt).text()).empty());
}

void JunkCleaner::btnCancelClick() { frmJunk_.EndModal(ui::kModalCancel); }

void JunkCleaner::btnOkClick() {
  const std::string mask = sys::Trim(frmJunk_.Get(id::edtExt).text());
  const std::string desc = sys::Trim(frmJunk_.Get(id::edtDesc).text());
  if (mask.empty()) return;
  const std::string why = MaskError(mask);
  if (!why.empty()) {
    m_.ports().ShowMessage("\"" + mask + "\" is not a valid file mask: " + why, "Error", MsgButtons::Ok,
                           MsgIcon::Warning);
    return;
  }
  // A mask for every file (or every file with an extension) would empty the drive.
  const std::string wide = MaskBreadthError(mask);
  if (!wide.empty()) {
    m_.ports().ShowMessage("\"" + mask + "\" cannot be a junk type: " + wide + ".", "Error", MsgButtons::Ok,
                           MsgIcon::Warning);
    return;
  }
  // A database error leaves the dialog open (the window's error handler shows it).
  bool changed = false;
  WithDatabase(*m_.platform().files, m_.dataDbPath(), {"junktype"}, [&](store::Connection& c) {
    const bool exists = store::RunQuery(c, "SELECT fileext FROM junktype where fileext=" + Quote(mask)).RowCount() > 0;
    if (!oldMask_.empty()) {
      // Also when the mask stays: the description may have changed.
      store::RunStatement(c, "update junktype set fileext=" + Quote(mask) + ",filedesc=" + Quote(desc) +
                                 " where  fileext=" + Quote(oldMask_));
      changed = true;
    } else if (!exists) {
      store::RunStatement(c, "insert into junktype (fileext,filedesc) values(" + Quote(mask) + "," + Quote(desc) + ")");
      changed = true;
    }
  });
  if (changed) LoadJunkTypes();
  frmJunk_.EndModal(ui::kModalOk);
}

// --- scan, result and finish lists ------------------------------------------------------

ui::Cell JunkCleaner::lstvJunkScanData(int row, int col) const {
  ui::Cell cell;
  const TSearchJunk* g = Group(row);
  if (!g) return cell;
  if (col == 0) {
    cell.text = g->caption;
    cell.color = kBlack;
  } else if (col == 1) {
    const int16_t state = g->state.load();
    cell.text = StateText(state);
    cell.color = state == kScanning || state == kCleaning ? kRed : kGreen;
  }
  return cell;
}

ui::Cell JunkCleaner::lstvJunkResultData(int row, int col) const {
  ui::Cell cell;
  const TSearchJunk* g = Group(row);
  if (!g) return cell;
  // What is ticked in the file list: what a clean would take.
  cell.text = col == 0   ? g->caption
              : col == 1 ? std::to_string(g->TickedCount())
              : col == 2 ? sys::FormatSize(g->TickedBytes())
                         : "";
  return cell;
}

TSearchJunk* JunkCleaner::ShownGroup() const { return const_cast<TSearchJunk*>(Group(shownGroup_)); }

void JunkCleaner::ShowFilesOf(int resultRow) {
  shownGroup_ = Group(resultRow) ? resultRow : -1;
  const TSearchJunk* g = ShownGroup();
  ui::Control& list = m_.control(id::lstvJunkFiles);
  list.SetSelected(-1);
  list.SetRowCount(g ? static_cast<int>(g->files.size()) : 0);
  m_.control(id::chkSelectAll_JunkFiles).SetChecked(!g || g->untickedCount == 0);
  list.Repaint();
}

ui::Cell JunkCleaner::lstvJunkFilesData(int row, int col) const {
  ui::Cell cell;
  const TSearchJunk* g = ShownGroup();
  if (!g || row < 0 || static_cast<size_t>(row) >= g->files.size()) return cell;
  const TScanResultBye& f = g->files[static_cast<size_t>(row)];
  switch (col) {
    case 0: cell.text = f.name; cell.image = f.ticked ? 1 : 0; break;
    case 1: cell.text = g->FolderOf(f); break;
    case 2: cell.text = sys::FormatSize(f.size); break;
    case 3: cell.text = FileTimeText(f.lastWriteTime); break;
    case 4: cell.text = g->MaskOf(f); break;
  }
  return cell;
}

void JunkCleaner::lstvJunkFilesMouseDown(int row, bool onImage) {
  TSearchJunk* g = ShownGroup();
  if (!onImage || !g || row < 0 || static_cast<size_t>(row) >= g->files.size() || m_.busy()) return;
  g->SetTicked(static_cast<size_t>(row), !g->files[static_cast<size_t>(row)].ticked);
  m_.control(id::chkSelectAll_JunkFiles).SetChecked(g->untickedCount == 0);
  m_.control(id::lstvJunkFiles).Repaint();
  m_.control(id::lstvJunkResult).Repaint();
}

void JunkCleaner::chkSelectAll_JunkFilesClick() {
  TSearchJunk* g = ShownGroup();
  if (!g || m_.busy()) return;
  const bool on = m_.control(id::chkSelectAll_JunkFiles).checked();
  for (size_t i = 0; i < g->files.size(); ++i) g->SetTicked(i, on);
  m_.control(id::lstvJunkFiles).Repaint();
  m_.control(id::lstvJunkResult).Repaint();
}

ui::Cell JunkCleaner::lstvJunkFinishData(int row, int col) const {
  ui::Cell cell;
  const TSearchJunk* g = Group(row);
  if (!g) return cell;
  switch (col) {
    case 0: cell.text = g->caption; break;
    case 1: cell.text = std::to_string(g->TickedCount()); cell.color = kBlack; break;
    case 2: cell.text = std::to_string(g->failedCount); cell.color = kRed; break;
    case 3: cell.text = sys::FormatSize(g->removedBytes); cell.color = kGreen; break;
  }
  return cell;
}

int JunkCleaner::RemovalMode() {
  if (m_.control(id::radDeleteFile).checked()) return TJunkThread::kDelete;
  if (m_.control(id::radRemoveDir).checked()) return TJunkThread::kMove;
  return TJunkThread::kRecycleBin;
}

std::string JunkCleaner::ChooseMoveFolder() {
  sys::FileSystem& files = *m_.platform().files;
  std::string start;
  bool withDb = files.FileExists(m_.dataDbPath());
  if (withDb) {
    // Without the settings row there is nowhere to keep the folder: no clean.
    bool hasTable = false;
    WithDatabase(files, m_.dataDbPath(), {}, [&](store::Connection& c) {
      hasTable = store::HasTable(c, "sysset");
      if (!hasTable) return;
      store::ResultTable t = store::RunQuery(c, "SELECT removedir FROM sysset");
      if (!t.AtEnd()) start = t.ColumnByName("removedir");
    });
    if (!hasTable) return {};
  }
  std::string folder = m_.platform().shell->BrowseForFolder(start, "Please select the folder to remove...");
  // No folder chosen, no clean: nothing is moved anywhere the user did not pick.
  if (folder.empty()) return {};
  if (folder.back() != '\\') folder += '\\';
  if (withDb)
    WithDatabase(files, m_.dataDbPath(), {"sysset"}, [&](store::Connection& c) {
      store::RunStatement(c, "update sysset set removedir=" + Quote(folder));
    });
  // Each clean gets a folder of its own: yyyymmdd_1, yyyymmdd_2 ...
  const std::string day = NowTimestamp().substr(0, 8);
  std::string sub;
  for (int n = 1;; ++n) {
    sub = folder + day + "_" + std::to_string(n);
    if (!files.DirectoryExists(sub) && !files.FileExists(sub)) break;
  }
  return files.CreateFolder(sub) ? sub + "\\" : folder;
}

void JunkCleaner::imgJunkCleanClick() {
  if (m_.scanResults.empty()) return;
  const int mode = RemovalMode();
  // The target folder comes from data.db: whoever can change it picks where.
  if (mode == TJunkThread::kMove && !m_.MayTrustOwnFiles("Moving junk files to a folder")) return;
  const char* question =
      mode == TJunkThread::kDelete
          ? "The files will be permanently deleted and can not recovered!\r\rAre you sure to proceed?"
      : mode == TJunkThread::kMove
          ? "The files will will be removed to the appointed folder.\r\rAre you sure to proceed?"
          : "The selected files will be moved to the recycle bin \rwhere you can recover the files if needed. "
            "\r\rAre you sure to proceed?";
  if (m_.ports().ShowMessage(question, "Delete Confirmation", MsgButtons::YesNoDefaultNo, MsgIcon::Warning) !=
      MsgAnswer::Yes)
    return;
  std::string target;
  if (mode == TJunkThread::kMove) {
    target = ChooseMoveFolder();
    if (target.empty()) return;
  }
  m_.stopFlag = 0;
  m_.EnterBusyState();
  m_.ShowPage(page::kJunkClean);
  TJunkThread::Start(m_, TJunkThread::kClean, {}, target, mode);
}

void JunkCleaner::imgJunkExportClick() {
  report::ExportScanResult(m_, report::kJunkExport, [this] { return JunkExportGroups(m_.scanResults); });
}

void JunkCleaner::labJunkClick() { m_.ShowPage(page::kJunkOptions); }

void JunkCleaner::imgJunkBackClick() { m_.ShowPage(page::kCleanup); }

}  // namespace vl::junk
