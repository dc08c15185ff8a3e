// The registry cleaner's tab sheets: options, scan, result, finish, ignore list.
#pragma once
#include "app/main_form.h"
#include "registry_cleaner/registry_cleaner.h"

namespace vl::registry {

// Builds the pages and the cleaner's state, owned by the main window.
RegistryCleaner& AddRegistryPages(MainForm& m);

}  // namespace vl::registry
