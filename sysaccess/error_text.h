// Texts of the system error codes our registry and file calls return
// (sysaccess/sys_error.h), as
// Windows words them, for logs that say why something failed. The same on
// both backends, so the logs read the same in tests.
#pragma once
#include <string>

namespace vl::sys {

// "Access is denied. (5)"; "Error 1234" for a code without a text here.
std::string SystemErrorText(long code);

}  // namespace vl::sys
