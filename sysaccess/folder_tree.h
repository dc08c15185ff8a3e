// File sizes, deleting folder trees and name masks.
#pragma once
#include <cstdint>
#include <string>

#include "sysaccess/files.h"

namespace vl::sys {

// Size of the first entry found for the path (wildcards allowed in the last
// component), low 32 bits taken as signed; 0 when none is found.
int32_t FileSizeOf(FileSystem& files, const std::string& path);

// Deletes the folder's contents and, with mode 1, the folder itself; true
// when the folder does not exist afterwards. Links inside (junctions,
// symbolic links) are removed as links, never entered; each entry is
// removed through a handle checked to lie at its path below `folder`
// (FileSystem::RemoveSeen), children first.
bool DeleteFolderTree(FileSystem& files, const std::string& folder, int mode);

// Windows-style name mask match ("*", "?"), without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace vl::sys
