// The one way features use data.db: skip silently when the file or one of
// the tables is missing, else open a connection for this piece of work only.
#pragma once
#include <functional>
#include <initializer_list>
#include <string>

#include "store/database.h"
#include "sysaccess/files.h"

namespace vl {

// Runs `work` when `dbPath` exists and holds every table; false when skipped.
// Database errors propagate to the caller.
bool WithDatabase(sys::FileSystem& files, const std::string& dbPath,
                  std::initializer_list<const char*> tables,
                  const std::function<void(store::Connection&)>& work);

}  // namespace vl
