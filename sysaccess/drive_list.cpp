// The drives offered to the junk cleaner.
#include "sysaccess/drive_list.h"

#include "sysaccess/format_text.h"

namespace vl::sys {

std::vector<DriveRow> BuildDriveList(FileSystem& files) {
  std::vector<DriveRow> rows;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    DriveKind kind = files.DriveKindOf(root);
    if (kind != DriveKind::kRemovable && kind != DriveKind::kFixed && kind != DriveKind::kRemote &&
        kind != DriveKind::kRamDisk)
      continue;
    if (files.IsHostRoot(root)) continue;
    uint64_t total = 0, free = 0;
    if (kind != DriveKind::kFixed) {
      // An empty card reader must not bring up the system's "insert a disk" dialog.
      files.SuppressCriticalErrorDialogs();
      if (!files.DiskSpace(root, total, free) || free == 0) continue;
    }
    std::string label;
    if (!files.VolumeLabel(root, label)) continue;
    if (!files.DiskSpace(root, total, free)) continue;
    DriveRow row;
    row.letter = letter;
    row.caption = label + " (" + letter + ":)";
    row.totalText = FormatSize(total);
    row.freeText = FormatSize(free);
    row.kind = kind;
    row.checkedByDefault = kind == DriveKind::kFixed;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace vl::sys
