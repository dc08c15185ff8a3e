// The junk engine: the walk that fills the groups and the removal of what
// they hold, behind a small context so that it runs the same in the worker,
// in tests and in the benchmark.
#pragma once
#include <string>
#include <vector>

#include "junk_cleaner/junk_types.h"
#include "junk_cleaner/mask_match.h"
#include "junk_cleaner/protected_places.h"
#include "sysaccess/files.h"
#include "sysaccess/shell.h"

namespace vl::junk {

class JunkContext {
 public:
  virtual ~JunkContext() = default;
  virtual bool Stopped() const = 0;
  // The progress line: "Scanning <folder>" per folder, "Deleting <file>" per file.
  virtual void ShowHint(const std::string& text) = 0;
  // A group's state changed (the progress list repaints).
  virtual void StateChanged() = 0;
};

// Whether a matching file is one the system needs (index.dat of the browser
// cache, desktop.ini of History, the update and profile logs).
bool IsExcluded(const std::string& folder, const std::string& name);

// Walks each group's drive depth first, in the order the volume lists
// entries, into hidden and system folders but never through a link, and
// adds each file whose name a mask matches. Never enters a folder of
// `protect` (only the subfolders it leaves open), and never lists a file of
// a database set (see database_files.h). Stops within one entry when asked.
// Returns the number of files added over all groups.
int32_t ScanGroups(sys::FileSystem& files, const std::vector<TSearchJunk*>& groups, const MaskList& masks,
                   JunkContext& context, const ProtectedFolders* protect = nullptr);

enum class RemovalMode { kRecycleBin = 1, kDelete = 2, kMove = 3 };

// Why a file was left alone, from the error of its removal:
// "<path> cannot be moved to the Recycle Bin" and the like.
std::string RemovalFailureText(const std::string& path, uint32_t error);

// Removes the ticked files of each scanned group with files; stops between groups
// when asked. Each file is opened and checked right before its removal and
// removed through that handle: one that vanished, changed or now sits behind
// a link since the scan, and in the recycle-bin mode one the bin cannot
// take, is counted as failed with its reason and left alone. `target` (mode
// kMove) ends with "\".
void CleanGroups(sys::FileSystem& files, sys::Shell& shell, const std::vector<TSearchJunk*>& groups,
                 RemovalMode mode, const std::string& target, JunkContext& context);

}  // namespace vl::junk
