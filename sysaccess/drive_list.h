// The junk cleaner's drive list.
#pragma once
#include <string>
#include <vector>

#include "sysaccess/files.h"

namespace vl::sys {

// One row of the junk cleaner's drive list.
struct DriveRow {
  char letter = 0;
  std::string caption;  // label + " (" + letter + ":)"
  std::string totalText;
  std::string freeText;
  DriveKind kind = DriveKind::kUnknown;
  // Local fixed drives are ticked at first; removable, network and RAM
  // drives have no recycle bin and are listed unticked.
  bool checkedByDefault = false;
};
// Drives C: to Z: worth cleaning: removable, fixed, network and RAM drives;
// removable, network and RAM ones only with free space; never a drive that
// is the host's whole file system (Wine's Z:).
std::vector<DriveRow> BuildDriveList(FileSystem& files);

}  // namespace vl::sys
