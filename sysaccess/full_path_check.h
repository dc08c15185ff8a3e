// Whether a path names one entry by a full path: the check made before a
// path is handed to a call that would expand wildcards or resolve it against
// the current folder.
#pragma once
#include <string>

namespace vl::sys {

// "C:\dir\name" or "\\server\share\name": no wildcard, no relative part, not
// ending in a separator, and something below the root.
bool IsFullEntryPath(const std::string& path);

}  // namespace vl::sys
