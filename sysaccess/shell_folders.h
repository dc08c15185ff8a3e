// Special folders by the program's own index.
#pragma once
#include <string>

#include "sysaccess/shell.h"

namespace vl::sys {

// Special folders by this program's own index (1..27; anything else is the
// History folder). SpecialFolderPath adds a trailing backslash to a
// non-empty result.
int CsidlForIndex(int index);
std::string SpecialFolderPath(Shell& shell, int index);

}  // namespace vl::sys
