// Reading one column of the current SQLite row as text, by its declared type.
// Internal to the store library.
#pragma once

#include <string>

struct sqlite3_stmt;

namespace vl::store {

std::string ReadColumnText(sqlite3_stmt* statement, int column);

}  // namespace vl::store
