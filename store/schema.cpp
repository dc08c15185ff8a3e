// The creation sequence of data.db: table statements and seed inserts, run one
// by one in a fixed order.
#include "store/schema.h"

#include <filesystem>
#include <system_error>

#include "store/database.h"
#include "store/seed_data.h"

namespace vl::store {

std::vector<std::string> CreationStatements() {
  std::vector<std::string> statements;
  statements.reserve(3 + kEvidenceSeeds.size() + 3 + kJunkSeeds.size() + 4);
  statements.emplace_back(
      "CREATE TABLE evidencetype(no integer not null,name varchar(50) not null,"
      "state integer not null DEFAULT 1,father integer not null DEFAULT 0,"
      "imgidx integer not null DEFAULT 0);");
  for (const EvidenceSeed& seed : kEvidenceSeeds) {
    statements.push_back("insert into evidencetype (no,name,state,father,imgidx) values (" +
                         std::to_string(seed.no) + "," + Quote(seed.name) + ",1," +
                         std::to_string(seed.father) + ",5);");
  }
  statements.emplace_back(
      "CREATE TABLE ignorelist(id bigint,root int64,key varchar(255),value varchar(100),"
      "type integer);");
  statements.emplace_back("CREATE TABLE junktype(fileext char(20),filedesc varchar(100));");
  for (const JunkSeed& seed : kJunkSeeds) {
    statements.push_back("insert into junktype(fileext,filedesc) values (" + Quote(seed.mask) +
                         "," + Quote(seed.description) + ")");
  }
  statements.emplace_back(
      "CREATE TABLE scanlog(id integer,type integer,scannum integer,cleannum integer);");
  statements.emplace_back(
      "CREATE TABLE startup(sid bigint,sname varchar(100),stype integer,spath varchar(255),"
      "sdate datetime);");
  statements.emplace_back(
      "CREATE TABLE sysset(removedir varchar(255),optime char(14),last_rscan char(14),"
      "last_backup char(14),last_optimize char(14),last_escan char(14),last_jscan char(14),"
      "last_update char(14));");
  statements.emplace_back(
      "insert into sysset(removedir,optime,last_rscan,last_backup,last_optimize,last_escan,"
      "last_jscan,last_update) values('','0','0','0','0','0','0','0');");
  return statements;
}

void CreateDatabase(const std::string& utf8Path) {
  Connection connection = OpenDatabase(utf8Path);
  // No surrounding transaction: each statement commits by itself, and a failure
  // leaves the file as far as it got.
  for (const std::string& sql : CreationStatements()) RunStatement(connection, sql);
  CloseDatabase(connection);
}

int AddMissingEvidenceTypes(const std::string& utf8Path) {
  Connection connection = OpenDatabaseExisting(utf8Path);
  if (!HasTable(connection, "evidencetype")) return 0;
  int added = 0;
  RunStatement(connection, "BEGIN IMMEDIATE");
  try {
    for (const EvidenceSeed& seed : kAddedEvidenceTypes) {
      const ResultTable there =
          RunQuery(connection, "select no from evidencetype where no = ?", {static_cast<int64_t>(seed.no)});
      if (there.RowCount() > 0) continue;
      RunStatement(connection, "insert into evidencetype (no,name,state,father,imgidx) values (?,?,1,?,?)",
                   {static_cast<int64_t>(seed.no), std::string(seed.name), static_cast<int64_t>(seed.father),
                    static_cast<int64_t>(seed.imgidx)});
      ++added;
    }
    RunStatement(connection, "COMMIT");
  } catch (...) {
    try {
      RunStatement(connection, "ROLLBACK");
    } catch (const DbError&) {
    }
    throw;
  }
  return added;
}

bool CreateDatabaseIfMissing(const std::string& utf8Path) {
  const std::filesystem::path path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8Path.data()), utf8Path.size()));
  std::error_code error;
  // Anything but a clear "not found" counts as present: an existing file is never touched.
  if (std::filesystem::status(path, error).type() != std::filesystem::file_type::not_found) {
    return false;
  }
  CreateDatabase(utf8Path);
  return true;
}

}  // namespace vl::store
