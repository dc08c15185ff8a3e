// The program or file a command line names.
#pragma once
#include <string>

#include "sysaccess/platform.h"

namespace vl::sys {

// The program or file a command line names, lower-cased except for the
// parts inserted from folders and environment variables.
std::string CommandLineToPath(const Platform& p, const std::string& commandLine);

}  // namespace vl::sys
