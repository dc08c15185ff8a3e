// The table junkprotect of data.db: the junk cleaner's protected folders.
// A row with a key stands for one of the default places (found on the
// machine at each start: the key names which), a row without one for a
// folder the user added; `enabled` 0 switches a place off.
#pragma once
#include <array>

#include "store/database.h"

namespace vl::store {

// The default places, in list order.
extern const std::array<const char*, 6> kJunkProtectKeys;

// Creates the table with a row per default place when it is missing; an
// existing table is left as it is. True when it created the table.
bool EnsureJunkProtectTable(Connection& connection);

}  // namespace vl::store
