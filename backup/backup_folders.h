// Where backups live below the application folder. The one place that
// spells these folders: the registry cleaner writes into them, the
// optimizer and startup manager will, and the backup page lists them.
#pragma once

namespace vl::backup {

enum class BackupKind { kFull = 0, kRepair = 1, kOptimize = 2 };

// Folder of a kind below the application folder, with a trailing backslash.
const char* BackupFolder(BackupKind kind);
// Shortcuts moved out of the Startup folders (not listed on the backup page).
inline constexpr char kLnkFolder[] = "backup\\lnk\\";

}  // namespace vl::backup
