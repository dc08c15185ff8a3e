// Making data.db: the six tables and their seed rows.
#pragma once

#include <string>
#include <vector>

namespace vl::store {

// Every statement of the creation sequence, in the order it runs.
std::vector<std::string> CreationStatements();

// Opens (creating) the file and runs the creation sequence, each statement
// committing by itself. The first failing statement ends it with its DbError;
// what ran before stays in the file.
void CreateDatabase(const std::string& utf8Path);

// Runs CreateDatabase only when nothing exists at the path yet; an existing
// file is never touched, even when it lacks tables. Returns true when it created.
bool CreateDatabaseIfMissing(const std::string& utf8Path);

// Adds each type of kAddedEvidenceTypes whose number the evidencetype table
// does not hold yet, in one transaction; rows already there (the user's
// own among them) are left as they are. Nothing happens without the table.
// Returns the number of rows added.
int AddMissingEvidenceTypes(const std::string& utf8Path);

}  // namespace vl::store
