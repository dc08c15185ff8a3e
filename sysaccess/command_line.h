// The program or file a command line names.
#pragma once
#include <string>

#include "sysaccess/platform.h"

namespace vl::sys {

// Whether an unquoted comma ends the path ("shell32.dll,-21"), as in a
// command line, or belongs to it, as in a shortcut's target or a folder.
enum class CommaRule { kEndsPath, kPartOfPath };

// The program or file a command line names, lower-cased except for the
// parts inserted from folders and environment variables. A quoted path is
// taken whole; a network path (\\server\share\...) is kept as it is.
std::string CommandLineToPath(const Platform& p, const std::string& commandLine,
                              CommaRule commas = CommaRule::kEndsPath);

}  // namespace vl::sys
