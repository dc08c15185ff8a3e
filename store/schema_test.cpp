// Tests of data.db creation: the six tables, the seed rows in order, creation
// only when the file is missing, and the stop at the first failing statement.
#include "store/schema.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "store/database.h"
#include "store/seed_data.h"
#include "store/temp_folder_for_test.h"

namespace vl::store {
namespace {

using testing::PathFromUtf8;
using testing::TempFolder;

std::string FileBytes(const std::string& utf8Path) {
  std::ifstream in(PathFromUtf8(utf8Path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> TableNames(Connection& connection) {
  std::set<std::string> names;
  ResultTable table = RunQuery(connection, "select name from sqlite_master where type='table'");
  for (; !table.AtEnd(); table.NextRow()) names.insert(table.ColumnByName("name"));
  return names;
}

std::size_t Rows(Connection& connection, const std::string& table) {
  return RunQuery(connection, "select * from " + table).RowCount();
}

TEST(SeedDataTest, EvidenceNumbersAndGroups) {
  int previous = 0;
  std::size_t perGroup[5] = {};
  for (const EvidenceSeed& seed : kEvidenceSeeds) {
    EXPECT_GT(seed.no, previous);
    EXPECT_EQ(seed.no / 100, seed.father) << seed.no;
    EXPECT_NE(seed.no, 207);
    EXPECT_NE(seed.no, 302);
    ASSERT_GE(seed.father, 1);
    ASSERT_LE(seed.father, 4);
    ++perGroup[seed.father];
    previous = seed.no;
  }
  EXPECT_EQ(perGroup[1], 9u);
  EXPECT_EQ(perGroup[2], 14u);
  EXPECT_EQ(perGroup[3], 15u);
  EXPECT_EQ(perGroup[4], 14u);
  EXPECT_STREQ(kEvidenceSeeds.front().name, "Cache");
  EXPECT_STREQ(kEvidenceSeeds[9].name, "Paint");
  EXPECT_STREQ(kEvidenceSeeds.back().name, "Macromedia Flash Player");
}

TEST(SeedDataTest, JunkMasks) {
  EXPECT_STREQ(kJunkSeeds.front().mask, "*.swp");
  EXPECT_STREQ(kJunkSeeds[1].mask, "*._");
  EXPECT_STREQ(kJunkSeeds[9].mask, "*.??~");
  EXPECT_STREQ(kJunkSeeds[30].mask, "file????._dd");
  EXPECT_STREQ(kJunkSeeds[30].description, "CHKDSK Log File");
  EXPECT_STREQ(kJunkSeeds.back().mask, "*.wri");
  EXPECT_STREQ(kJunkSeeds.back().description, "Readme File");
  std::set<std::string> masks;
  for (const JunkSeed& seed : kJunkSeeds) masks.insert(seed.mask);
  EXPECT_EQ(masks.size(), kJunkSeeds.size());
}

TEST(CreationStatementsTest, OrderAndExactTexts) {
  const std::vector<std::string> statements = CreationStatements();
  ASSERT_EQ(statements.size(), 1u + 52u + 1u + 1u + 44u + 1u + 1u + 1u + 1u);
  EXPECT_EQ(statements[0],
            "CREATE TABLE evidencetype(no integer not null,name varchar(50) not null,"
            "state integer not null DEFAULT 1,father integer not null DEFAULT 0,"
            "imgidx integer not null DEFAULT 0);");
  EXPECT_EQ(statements[1],
            "insert into evidencetype (no,name,state,father,imgidx) values (101,'Cache',1,1,5);");
  EXPECT_EQ(statements[5],
            "insert into evidencetype (no,name,state,father,imgidx) values "
            "(105,'History (Visited sites)',1,1,5);");
  EXPECT_EQ(statements[52],
            "insert into evidencetype (no,name,state,father,imgidx) values "
            "(414,'Macromedia Flash Player',1,4,5);");
  EXPECT_EQ(statements[53],
            "CREATE TABLE ignorelist(id bigint,root int64,key varchar(255),value varchar(100),"
            "type integer);");
  EXPECT_EQ(statements[54], "CREATE TABLE junktype(fileext char(20),filedesc varchar(100));");
  EXPECT_EQ(statements[55],
            "insert into junktype(fileext,filedesc) values ('*.swp','Temporary Junk File')");
  EXPECT_EQ(statements[98],
            "insert into junktype(fileext,filedesc) values ('*.wri','Readme File')");
  EXPECT_EQ(statements[99],
            "CREATE TABLE scanlog(id integer,type integer,scannum integer,cleannum integer);");
  EXPECT_EQ(statements[100],
            "CREATE TABLE startup(sid bigint,sname varchar(100),stype integer,"
            "spath varchar(255),sdate datetime);");
  EXPECT_EQ(statements[101],
            "CREATE TABLE sysset(removedir varchar(255),optime char(14),last_rscan char(14),"
            "last_backup char(14),last_optimize char(14),last_escan char(14),"
            "last_jscan char(14),last_update char(14));");
  EXPECT_EQ(statements[102],
            "insert into sysset(removedir,optime,last_rscan,last_backup,last_optimize,"
            "last_escan,last_jscan,last_update) values('','0','0','0','0','0','0','0');");
}

class SchemaTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string path_ = folder_.File("data.db");
};

TEST_F(SchemaTest, CreatesSixTablesAsWritten) {
  CreateDatabase(path_);
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(TableNames(connection),
            (std::set<std::string>{"evidencetype", "ignorelist", "junktype", "scanlog", "startup",
                                   "sysset"}));
  // SQLite keeps each CREATE text as written, without the closing semicolon.
  for (const std::string& statement : CreationStatements()) {
    if (statement.rfind("CREATE TABLE ", 0) != 0) continue;
    const std::string name = statement.substr(13, statement.find('(') - 13);
    ResultTable table =
        RunQuery(connection, "select sql from sqlite_master where name=" + Quote(name));
    ASSERT_EQ(table.RowCount(), 1u) << name;
    EXPECT_EQ(table.ColumnByName("sql") + ";", statement);
  }
  EXPECT_EQ(Rows(connection, "ignorelist"), 0u);
  EXPECT_EQ(Rows(connection, "scanlog"), 0u);
  EXPECT_EQ(Rows(connection, "startup"), 0u);
}

TEST_F(SchemaTest, EvidenceRowsInOrder) {
  CreateDatabase(path_);
  Connection connection = OpenDatabase(path_);
  ResultTable table = RunQuery(connection, "select * from evidencetype order by rowid");
  ASSERT_EQ(table.RowCount(), 52u);
  for (const EvidenceSeed& seed : kEvidenceSeeds) {
    ASSERT_FALSE(table.AtEnd());
    EXPECT_EQ(table.ColumnByName("no"), std::to_string(seed.no));
    EXPECT_EQ(table.ColumnByName("name"), seed.name);
    EXPECT_EQ(table.ColumnByName("state"), "1");
    EXPECT_EQ(table.ColumnByName("father"), std::to_string(seed.father));
    EXPECT_EQ(table.ColumnByName("imgidx"), "5");
    table.NextRow();
  }
  EXPECT_TRUE(table.AtEnd());
  // The evidence tree's own query for one group.
  ResultTable group =
      RunQuery(connection, "SELECT * FROM evidencetype where father=3 and state=1 order by no");
  ASSERT_EQ(group.RowCount(), 15u);
  EXPECT_EQ(group.ColumnByName("name"), "Run History");
  EXPECT_EQ(RunQuery(connection, "select * from evidencetype where no in (207,302)").RowCount(),
            0u);
}

TEST_F(SchemaTest, JunkRowsInOrder) {
  CreateDatabase(path_);
  Connection connection = OpenDatabase(path_);
  ResultTable table = RunQuery(connection, "SELECT * FROM junktype");
  ASSERT_EQ(table.RowCount(), 44u);
  for (const JunkSeed& seed : kJunkSeeds) {
    ASSERT_FALSE(table.AtEnd());
    EXPECT_EQ(table.ColumnByName("fileext"), seed.mask);
    EXPECT_EQ(table.ColumnByName("filedesc"), seed.description);
    table.NextRow();
  }
  EXPECT_TRUE(table.AtEnd());
}

TEST_F(SchemaTest, OneSyssetRowOfNevers) {
  CreateDatabase(path_);
  Connection connection = OpenDatabase(path_);
  ResultTable table = RunQuery(connection, "select * from sysset");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnByName("removedir"), "");
  for (const char* column : {"optime", "last_rscan", "last_backup", "last_optimize",
                             "last_escan", "last_jscan", "last_update"}) {
    EXPECT_EQ(table.ColumnByName(column), "0") << column;
  }
  // Stored as text, not as NULL or a number.
  EXPECT_EQ(RunQuery(connection, "select * from sysset where removedir = '' and "
                                 "typeof(optime) = 'text' and typeof(last_update) = 'text'")
                .RowCount(),
            1u);
}

TEST_F(SchemaTest, CreatesOnlyWhenMissing) {
  EXPECT_TRUE(CreateDatabaseIfMissing(path_));
  {
    Connection connection = OpenDatabase(path_);
    RunStatement(connection, "update sysset set optime='20240102030405'");
    RunStatement(connection, "delete from junktype where fileext='*.tmp'");
  }
  const std::string before = FileBytes(path_);
  EXPECT_FALSE(CreateDatabaseIfMissing(path_));
  EXPECT_EQ(FileBytes(path_), before);
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(Rows(connection, "junktype"), 43u);
  EXPECT_EQ(Rows(connection, "sysset"), 1u);
  EXPECT_EQ(RunQuery(connection, "select optime from sysset").ColumnText(0), "20240102030405");
}

TEST_F(SchemaTest, ExistingFileWithoutTablesIsNotRepaired) {
  { std::ofstream(PathFromUtf8(path_), std::ios::binary); }
  EXPECT_FALSE(CreateDatabaseIfMissing(path_));
  EXPECT_EQ(std::filesystem::file_size(PathFromUtf8(path_)), 0u);
  Connection connection = OpenDatabase(path_);
  EXPECT_FALSE(HasTable(connection, "sysset"));
}

TEST_F(SchemaTest, DroppedTableStaysMissing) {
  CreateDatabaseIfMissing(path_);
  {
    Connection connection = OpenDatabase(path_);
    RunStatement(connection, "drop table ignorelist");
  }
  EXPECT_FALSE(CreateDatabaseIfMissing(path_));
  Connection connection = OpenDatabase(path_);
  EXPECT_FALSE(HasTable(connection, "ignorelist"));
  EXPECT_TRUE(HasTable(connection, "JUNKTYPE"));
}

TEST_F(SchemaTest, StopsAtTheFirstFailingStatement) {
  {
    Connection connection = OpenDatabase(path_);
    RunStatement(connection, "create table junktype(x integer)");
  }
  std::string text;
  try {
    CreateDatabase(path_);
  } catch (const DbError& error) {
    text = error.what();
  }
  EXPECT_EQ(text,
            "Error executing SQL.\rError [1]: SQL logic error.\r"
            "\"CREATE TABLE junktype(fileext char(20),filedesc varchar(100));\": "
            "table junktype already exists");
  Connection connection = OpenDatabase(path_);
  // Everything before the failure was committed; nothing after it ran.
  EXPECT_EQ(Rows(connection, "evidencetype"), 52u);
  EXPECT_TRUE(HasTable(connection, "ignorelist"));
  EXPECT_EQ(Rows(connection, "junktype"), 0u);
  EXPECT_FALSE(HasTable(connection, "scanlog"));
  EXPECT_FALSE(HasTable(connection, "startup"));
  EXPECT_FALSE(HasTable(connection, "sysset"));
}

TEST_F(SchemaTest, FailingFirstStatementCreatesNothing) {
  {
    Connection connection = OpenDatabase(path_);
    RunStatement(connection, "create table EvidenceType(x integer)");
  }
  EXPECT_THROW(CreateDatabase(path_), DbError);
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(TableNames(connection), (std::set<std::string>{"EvidenceType"}));
  EXPECT_EQ(Rows(connection, "evidencetype"), 0u);
}

TEST_F(SchemaTest, UnopenablePathRaisesOpenError) {
  const std::string path = folder_.File("no folder/data.db");
  std::string text;
  try {
    CreateDatabaseIfMissing(path);
  } catch (const DbError& error) {
    text = error.what();
  }
  EXPECT_EQ(text, "Failed to open database \"" + path + "\" : unable to open database file");
}

TEST_F(SchemaTest, NonAsciiApplicationFolder) {
  const std::string folder = folder_.File("Programme \xC3\x9C" "ber \xE6\xB8\x85\xE7\x90\x86");
  std::filesystem::create_directory(PathFromUtf8(folder));
  const std::string path = folder + std::string(1, static_cast<char>(
                                        std::filesystem::path::preferred_separator)) +
                           "data.db";
  EXPECT_TRUE(CreateDatabaseIfMissing(path));
  EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(path)));
  EXPECT_FALSE(CreateDatabaseIfMissing(path));
  Connection connection = OpenDatabase(path);
  EXPECT_EQ(Rows(connection, "evidencetype"), 52u);
  EXPECT_EQ(Rows(connection, "junktype"), 44u);
}

TEST_F(SchemaTest, JunkDescriptionWithApostropheIsKept) {
  CreateDatabase(path_);
  Connection connection = OpenDatabase(path_);
  const std::string mask = "o'brien.*";
  const std::string description = "Bob's \"special\" files";
  RunStatement(connection, "insert into junktype(fileext,filedesc) values (" + Quote(mask) + "," +
                               Quote(description) + ")");
  ResultTable table = RunQuery(
      connection, "SELECT fileext, filedesc FROM junktype where fileext=" + Quote(mask));
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnByName("fileext"), mask);
  EXPECT_EQ(table.ColumnByName("filedesc"), description);
}

}  // namespace
}  // namespace vl::store

namespace vl::store {
namespace {

class EvidenceTypeMigrationTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string path_ = folder_.File("data.db");
};

TEST_F(EvidenceTypeMigrationTest, ADatabaseWithTheFirstTypesGetsTheNewOnesAndKeepsItsOwnRows) {
  CreateDatabase(path_);
  {
    Connection c = OpenDatabase(path_);
    // The user's changes: a type switched off, one renamed, a row of their own at 415.
    RunStatement(c, "update evidencetype set state=0 where no=405");
    RunStatement(c, "update evidencetype set name='Mine', imgidx=2 where no=101");
    RunStatement(c, "insert into evidencetype (no,name,state,father,imgidx) values (415,'Own row',1,4,3)");
  }
  EXPECT_EQ(AddMissingEvidenceTypes(path_), static_cast<int>(kAddedEvidenceTypes.size()) - 1);
  Connection c = OpenDatabase(path_);
  ResultTable t = RunQuery(c, "select count(*) from evidencetype");
  EXPECT_EQ(t.ColumnText(0), std::to_string(52 + kAddedEvidenceTypes.size()));
  EXPECT_EQ(RunQuery(c, "select state from evidencetype where no=405").ColumnText(0), "0");
  EXPECT_EQ(RunQuery(c, "select name||imgidx from evidencetype where no=101").ColumnText(0), "Mine2");
  EXPECT_EQ(RunQuery(c, "select name||imgidx from evidencetype where no=415").ColumnText(0), "Own row3");
  ResultTable added = RunQuery(c, "select name, father, imgidx, state from evidencetype where no=418");
  EXPECT_EQ(added.ColumnByName("name"), "Brave History");
  EXPECT_EQ(added.ColumnByName("father"), "4");
  EXPECT_EQ(added.ColumnByName("imgidx"), "4");
  EXPECT_EQ(added.ColumnByName("state"), "1");
  // Numbers stay unique, and a second run adds nothing.
  EXPECT_EQ(RunQuery(c, "select count(*) from (select no from evidencetype group by no having count(*) > 1)").ColumnText(0),
            "0");
  c.Close();
  EXPECT_EQ(AddMissingEvidenceTypes(path_), 0);
}

TEST_F(EvidenceTypeMigrationTest, ADatabaseWithoutTheTableIsLeftAlone) {
  { Connection c = OpenDatabase(path_); RunStatement(c, "create table other(x)"); }
  EXPECT_EQ(AddMissingEvidenceTypes(path_), 0);
  Connection c = OpenDatabase(path_);
  EXPECT_FALSE(HasTable(c, "evidencetype"));
}

TEST(AddedEvidenceTypesTest, NumberedAfterTheFirstOnesInTheirGroups) {
  std::set<int> numbers;
  for (const EvidenceSeed& s : kEvidenceSeeds) numbers.insert(s.no);
  for (const EvidenceSeed& s : kAddedEvidenceTypes) {
    EXPECT_TRUE(numbers.insert(s.no).second) << s.no;
    EXPECT_EQ(s.no / 100, s.father) << s.no;
    EXPECT_GT(s.no % 100, s.father == 4 ? 14 : 16) << s.no;
  }
}

}  // namespace
}  // namespace vl::store
