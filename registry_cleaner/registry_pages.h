// The registry cleaner's tab sheets: options, scan, result, finish, ignore list.
#pragma once
#include "app/main_form.h"

namespace vl::registry {

void AddRegistryPages(MainForm& m);

}  // namespace vl::registry
