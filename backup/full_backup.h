// The full registry backup: the registry editor exports the whole registry
// into a temporary file of backup\full_backup\, which becomes
// "FBackup_<time>.reg" only once the editor has finished and the file is a
// whole export. The backup list shows ".reg" files only, so it never offers
// an export in progress or one that was cut short.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "sysaccess/platform.h"

namespace vl::backup {

// The ending of an export in progress.
inline constexpr const char* kExportPartSuffix = ".tmp";
// How long the editor may take for the whole registry.
inline constexpr uint32_t kFullExportWaitMs = 60u * 60u * 1000u;
// A temporary export nobody has written for this long is a leftover.
inline constexpr uint64_t kStaleExportAge = 10ull * 60ull * 10000000ull;  // 10 minutes, in FILETIME units

// How one full backup ended, on the thread that waited for it.
struct FullBackupOutcome {
  std::string path;     // the finished backup; empty when there is none
  std::string problem;  // why there is none
};

// Starts the export of the whole registry into `folder` (with its trailing
// backslash, created when missing) for the backup "FBackup_" + stamp +
// ".reg" and returns when the editor runs; false when it could not be
// started. `inBackground` runs the wait on another thread; `done` is called
// there with the outcome. Leftover temporary exports are removed first.
bool StartFullBackupExport(sys::Platform& platform, const std::string& folder, const std::string& stamp,
                           uint64_t nowFileTime, const std::function<void(std::function<void()>)>& inBackground,
                           std::function<void(const FullBackupOutcome&)> done);

// Removes the temporary exports of `folder` that are no export of this
// process in progress and that nothing has written for kStaleExportAge.
// Returns how many went.
int RemoveStaleExports(sys::FileSystem& files, const std::string& folder, uint64_t nowFileTime);

}  // namespace vl::backup
