// The file test of the registry checks, with the 64-bit fallbacks.
#pragma once
#include <string>

#include "sysaccess/files.h"

namespace vl::registry {

// Mode 0: the file exists (not a folder). Mode 1 on 64-bit Windows also
// tries the path with "\System32" → "\SysWOW64" when it lies in the system
// folder, else ":\Program Files (x86)" → ":\Program Files"; letter case is
// ignored in both.
bool FileExistsWow64(sys::FileSystem& files, bool wow64, const std::string& systemFolder,
                     const std::string& path, int mode);

}  // namespace vl::registry
