// The file test of the registry checks, with the 64-bit fallbacks.
#pragma once
#include <string>

#include "sysaccess/files.h"
#include "sysaccess/system.h"

namespace vl::registry {

// Mode 0: the file exists (not a folder). Mode 1 on 64-bit Windows also
// tries the path with "\System32" → "\SysWOW64" when it lies in the system
// folder, else ":\Program Files (x86)" → ":\Program Files"; a 64-bit process
// also tries ":\Program Files\" → ":\Program Files (x86)\", since it expands
// %ProgramFiles% to the 64-bit folder where a 32-bit one gets the x86 folder.
// Letter case is ignored throughout.
bool FileExistsWow64(sys::FileSystem& files, sys::Bitness bitness, const std::string& systemFolder,
                     const std::string& path, int mode);

}  // namespace vl::registry
