// The junk cleaner as the main window sees it: the drive and type lists of
// the start page, the type dialog, the start of a scan and of a clean, the
// rows of the progress, result and finish lists, and the export.
#pragma once
#include <string>
#include <vector>

#include "app/export_report.h"
#include "app/main_form.h"
#include "junk_cleaner/junk_types.h"
#include "junk_cleaner/protected_places.h"
#include "sysaccess/drive_list.h"
#include "ui/ui_model.h"

namespace vl::junk {

// One row of the type list lstvJunkType: a mask and its description.
struct JunkType {
  std::string mask;         // fileext
  std::string description;  // filedesc
  bool checked = true;
};

// One row of the drive list lstvJunkDrives.
struct JunkDrive {
  sys::DriveRow row;
  bool checked = true;
};

// One row of the protected folder list lstvJunkProtect: a default place
// (key set) or a folder the user added.
struct JunkProtect {
  std::string key;      // junkprotect.pkey; empty for the user's folders
  std::string caption;  // as the list shows it
  std::string warning;  // what may break without it (defaults only)
  std::vector<ProtectedFolder> folders;
  bool enabled = true;
};

// The types shown when data.db gives none.
std::vector<JunkType> BuiltInJunkTypes();

// "C:" of a drive row caption such as "Backup (old) (E:)": the two characters
// inside the final parentheses; empty when there are none.
std::string DriveOfCaption(const std::string& caption);

// The junk kind of the report: one group per drive, one row per ticked file.
std::vector<report::ExportGroup> JunkExportGroups(const std::vector<std::unique_ptr<ScanRecord>>& records);

class JunkCleaner : public Feature {
 public:
  explicit JunkCleaner(MainForm& m);

  MainForm& main() { return m_; }

  std::vector<JunkDrive> drives;
  std::vector<JunkType> types;
  std::vector<JunkProtect> protectedPlaces;

  // --- start page -------------------------------------------------------------------
  // Start-up step 1: the drives worth cleaning, every row checked.
  void BuildDriveList();
  // Start-up step 3 and after each save in the dialog.
  void LoadJunkTypes();
  ui::Cell lstvJunkDrivesData(int row, int col) const;
  void lstvJunkDrivesMouseDown(int row, bool onImage);
  ui::Cell lstvJunkTypeData(int row, int col) const;
  void lstvJunkTypeMouseDown(int row, bool onImage);
  void chkSelectAll_JunkClick();
  void imgAddJunkClick();
  void imgEditJunkClick();
  void imgDelJunkClick();
  void imgJunkScanClick();
  // Start-up step 3 (after the types): the default places of this machine,
  // switched on or off by junkprotect, and the user's folders.
  void LoadProtectedPlaces();
  // The dialog frmJunkProtect with the list of protected folders.
  void imgJunkProtectClick();
  ui::Form& frmJunkProtect() { return frmJunkProtect_; }
  ui::Cell lstvJunkProtectData(int row, int col) const;
  // The check image switches a place on or off (a default only after a warning).
  void lstvJunkProtectMouseDown(int row, bool onImage);
  void imgAddProtectClick();
  void imgDelProtectClick();
  // What the next scan never enters.
  std::shared_ptr<ProtectedFolders> ProtectedSet() const;

  // --- the type dialog TfrmJunk ---------------------------------------------------
  ui::Form& frmJunk() { return frmJunk_; }
  void edtExtChange();
  void btnOkClick();
  void btnCancelClick();

  // --- scan page, result page, finish page ----------------------------------------
  ui::Cell lstvJunkScanData(int row, int col) const;
  ui::Cell lstvJunkResultData(int row, int col) const;
  // The file list of the selected drive row: every file found, ticked or not.
  void ShowFilesOf(int resultRow);
  ui::Cell lstvJunkFilesData(int row, int col) const;
  void lstvJunkFilesMouseDown(int row, bool onImage);
  void chkSelectAll_JunkFilesClick();
  void imgJunkCleanClick();
  ui::Cell lstvJunkFinishData(int row, int col) const;
  void imgJunkExportClick();
  void labJunkClick();
  void imgJunkBackClick();

  // The checked deletion option: 1 recycle bin, 2 delete, 3 move.
  int RemovalMode();

 private:
  void BuildDialog();
  void ShowDialog();
  // The folder a move clean goes to, ending with "\"; empty when the clean
  // is not to start.
  std::string ChooseMoveFolder();
  const TSearchJunk* Group(int row) const;
  TSearchJunk* ShownGroup() const;
  void SaveProtect(const JunkProtect& p, bool added);

  MainForm& m_;
  ui::Form frmJunk_{"Add a new file type", 480, 196};
  ui::Form frmJunkProtect_{"Protected Folders", 560, 330};
  void BuildProtectDialog();
  std::string oldMask_;  // the mask of the row being edited; empty when adding
  int shownGroup_ = -1;  // the result row whose files lstvJunkFiles shows
};

}  // namespace vl::junk
