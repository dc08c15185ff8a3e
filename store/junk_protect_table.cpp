// The table junkprotect, made on first use in an existing data.db.
#include "store/junk_protect_table.h"

#include <string>

namespace vl::store {

const std::array<const char*, 6> kJunkProtectKeys = {
    "windows", "programfiles", "programfilesx86", "programdata", "appfolder", "userwindows"};

bool EnsureJunkProtectTable(Connection& connection) {
  if (HasTable(connection, "junkprotect")) return false;
  RunStatement(connection, "BEGIN");
  try {
    RunStatement(connection,
                 "CREATE TABLE junkprotect(pkey varchar(20) not null DEFAULT '',folder varchar(255) not null "
                 "DEFAULT '',enabled integer not null DEFAULT 1);");
    for (const char* key : kJunkProtectKeys)
      RunStatement(connection, "insert into junkprotect(pkey,folder,enabled) values (?,'',1)", {std::string(key)});
    RunStatement(connection, "COMMIT");
  } catch (...) {
    RunStatement(connection, "ROLLBACK");
    throw;
  }
  return true;
}

}  // namespace vl::store
