// Tests of the SQLite layer: opening, statements, queries, error texts,
// locking between connections, table lookup and quoting.
#include "store/database.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "store/temp_folder_for_test.h"

namespace vl::store {
namespace {

using testing::PathFromUtf8;
using testing::TempFolder;

// The DbError fn throws; fails the test when nothing is thrown.
template <typename Fn>
DbError ErrorOf(Fn fn) {
  try {
    fn();
  } catch (const DbError& error) {
    return error;
  }
  ADD_FAILURE() << "no DbError thrown";
  return DbError("");
}

// Its text.
template <typename Fn>
std::string ErrorText(Fn fn) {
  return ErrorOf(fn).what();
}

class DatabaseTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string path_ = folder_.File("test.db");
};

TEST_F(DatabaseTest, OpenCreatesTheFile) {
  ASSERT_FALSE(std::filesystem::exists(PathFromUtf8(path_)));
  Connection connection = OpenDatabase(path_);
  EXPECT_TRUE(connection.IsOpen());
  EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(path_)));
}

TEST_F(DatabaseTest, OpenFailureNamesPathAndReason) {
  const std::string path = folder_.File("missing folder/data.db");
  EXPECT_EQ(ErrorText([&] { OpenDatabase(path); }),
            "Failed to open database \"" + path + "\" : unable to open database file");
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(path)));
}

// Allocator hooks whose start-up fails, so sqlite3_open hands back no connection.
int FailingInit(void*) { return SQLITE_NOMEM; }

TEST_F(DatabaseTest, OpenWithoutAnyConnectionSaysUnknownError) {
  sqlite3_mem_methods original{};
  ASSERT_EQ(sqlite3_shutdown(), SQLITE_OK);
  ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_GETMALLOC, &original), SQLITE_OK);
  sqlite3_mem_methods failing = original;
  failing.xInit = FailingInit;
  ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_MALLOC, &failing), SQLITE_OK);
  const std::string text = ErrorText([&] { OpenDatabase(path_); });
  sqlite3_shutdown();
  ASSERT_EQ(sqlite3_config(SQLITE_CONFIG_MALLOC, &original), SQLITE_OK);
  ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
  EXPECT_EQ(text, "Failed to open database \"" + path_ + "\" : unknown error");
  // The layer works again once SQLite can start.
  Connection connection = OpenDatabase(path_);
  EXPECT_FALSE(HasTable(connection, "t"));
}

TEST_F(DatabaseTest, NonAsciiPathIsUsedAsUtf8) {
  const std::string name = "Dätenbänk \xE6\x95\xB0\xE6\x8D\xAE \xCE\xA9.db";
  const std::string path = folder_.File(name);
  {
    Connection connection = OpenDatabase(path);
    RunStatement(connection, "create table t(a varchar(10))");
    RunStatement(connection, "insert into t(a) values ('\xC3\xA9t\xC3\xA9')");
  }
  // Exactly one file, under exactly that name (no code-page mangling).
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    ++files;
    EXPECT_EQ(testing::Utf8FromPath(entry.path().filename()), name);
  }
  EXPECT_EQ(files, 1);
  Connection again = OpenDatabase(path);
  ResultTable table = RunQuery(again, "select a from t");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnByName("a"), "\xC3\xA9t\xC3\xA9");
}

TEST_F(DatabaseTest, ConnectionClosesAndMoves) {
  Connection first = OpenDatabase(path_);
  RunStatement(first, "create table t(a integer)");
  Connection second = std::move(first);
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(second.IsOpen());
  RunStatement(second, "insert into t(a) values (1)");
  EXPECT_EQ(ErrorText([&] { RunStatement(first, "insert into t(a) values (2)"); }),
            "Database is not open");
  CloseDatabase(second);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(ErrorText([&] { RunQuery(second, "select * from t"); }), "Database is not open");
  CloseDatabase(second);  // a second close does nothing
  // Closed for real: the file can go (Windows refuses while a handle is open).
  std::error_code error;
  EXPECT_TRUE(std::filesystem::remove(PathFromUtf8(path_), error)) << error.message();
}

TEST_F(DatabaseTest, StatementChangesAreCommittedAtOnce) {
  Connection writer = OpenDatabase(path_);
  RunStatement(writer, "create table t(a integer)");
  RunStatement(writer, "insert into t(a) values (7)");
  Connection reader = OpenDatabase(path_);
  ResultTable table = RunQuery(reader, "select a from t");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnText(0), "7");
}

TEST_F(DatabaseTest, PrepareErrorText) {
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(ErrorText([&] { RunStatement(connection, "SELEC 1"); }),
            "Error executing SQL.\rError [1]: SQL logic error.\r\"SELEC 1\": "
            "near \"SELEC\": syntax error");
  EXPECT_EQ(ErrorText([&] { RunQuery(connection, "select * from nosuch"); }),
            "Error executing SQL.\rError [1]: SQL logic error.\r\"select * from nosuch\": "
            "no such table: nosuch");
}

TEST_F(DatabaseTest, NoStatementErrorText) {
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(ErrorText([&] { RunStatement(connection, ""); }),
            "Could not prepare SQL statement.\rError [0]: not an error.\r\"\": not an error");
  EXPECT_EQ(ErrorText([&] { RunQuery(connection, " -- only a comment"); }),
            "Could not prepare SQL statement.\rError [0]: not an error.\r"
            "\" -- only a comment\": not an error");
}

TEST_F(DatabaseTest, ConstraintFailureText) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table t(a integer not null)");
  const std::string sql = "insert into t(a) values (NULL)";
  EXPECT_EQ(ErrorText([&] { RunStatement(connection, sql); }),
            "Error executing SQL statement.\rError [19]: constraint failed.\r\"" + sql +
                "\": NOT NULL constraint failed: t.a");
  EXPECT_EQ(RunQuery(connection, "select * from t").RowCount(), 0u);
}

TEST_F(DatabaseTest, ReadOnlyFailureText) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table t(a integer)");
  RunStatement(connection, "PRAGMA query_only = 1");
  const std::string sql = "insert into t(a) values (1)";
  EXPECT_EQ(ErrorText([&] { RunStatement(connection, sql); }),
            "Error executing SQL statement.\rError [8]: attempt to write a readonly database.\r\"" +
                sql + "\": attempt to write a readonly database");
}

TEST_F(DatabaseTest, StatementReturningRowsIsAnError) {
  Connection connection = OpenDatabase(path_);
  EXPECT_EQ(ErrorText([&] { RunStatement(connection, "select 1"); }),
            "Error executing SQL statement.\rError [100]: another row available.\r"
            "\"select 1\": another row available");
}

TEST_F(DatabaseTest, OnlyTheFirstStatementRuns) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table a(x integer); create table b(x integer)");
  EXPECT_TRUE(HasTable(connection, "a"));
  EXPECT_FALSE(HasTable(connection, "b"));
}

TEST_F(DatabaseTest, StepErrorWhileReadingRowsText) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table t(n integer)");
  RunStatement(connection, "insert into t(n) values (5)");
  RunStatement(connection, "insert into t(n) values (-9223372036854775807 - 1)");
  const std::string sql = "select abs(n) from t order by rowid";
  EXPECT_EQ(ErrorText([&] { RunQuery(connection, sql); }),
            "Could not retrieve data.\rError [1]: SQL logic error.\r\"" + sql +
                "\": integer overflow");
  // The connection stays usable after the failure.
  EXPECT_EQ(RunQuery(connection, "select n from t").RowCount(), 2u);
}

TEST_F(DatabaseTest, WriteMeetingAnotherWriterFailsAtOnce) {
  Connection holder = OpenDatabase(path_);
  RunStatement(holder, "create table t(a integer)");
  RunStatement(holder, "BEGIN IMMEDIATE");
  RunStatement(holder, "insert into t(a) values (1)");
  Connection other = OpenDatabase(path_);
  const std::string sql = "insert into t(a) values (2)";
  EXPECT_EQ(ErrorText([&] { RunStatement(other, sql); }),
            "Error executing SQL statement.\rError [5]: database is locked.\r\"" + sql +
                "\": database is locked");
  RunStatement(holder, "COMMIT");
  RunStatement(other, sql);
  EXPECT_EQ(RunQuery(other, "select * from t").RowCount(), 2u);
}

TEST_F(DatabaseTest, QueryOnBusyDatabaseSaysSQLiteIsBusy) {
  Connection holder = OpenDatabase(path_);
  RunStatement(holder, "create table t(a integer)");
  Connection other = OpenDatabase(path_);
  EXPECT_EQ(RunQuery(other, "select * from t").RowCount(), 0u);  // schema now known
  RunStatement(holder, "BEGIN EXCLUSIVE");
  RunStatement(holder, "insert into t(a) values (1)");
  EXPECT_EQ(ErrorText([&] { RunQuery(other, "select * from t"); }),
            "Could not prepare SQL statement.\rSQLite is Busy.\r\"select * from t\"");
  RunStatement(holder, "COMMIT");
  EXPECT_EQ(RunQuery(other, "select * from t").RowCount(), 1u);
}

TEST_F(DatabaseTest, QueryNeedingTheSchemaOfABusyDatabaseFailsInPrepare) {
  Connection holder = OpenDatabase(path_);
  RunStatement(holder, "create table t(a integer)");
  RunStatement(holder, "BEGIN EXCLUSIVE");
  RunStatement(holder, "insert into t(a) values (1)");
  Connection other = OpenDatabase(path_);
  EXPECT_EQ(ErrorText([&] { RunQuery(other, "select * from t"); }),
            "Error executing SQL.\rError [5]: database is locked.\r\"select * from t\": "
            "database is locked");
  RunStatement(holder, "ROLLBACK");
}

TEST_F(DatabaseTest, HasTableIgnoresLetterCase) {
  Connection connection = OpenDatabase(path_);
  EXPECT_FALSE(HasTable(connection, "sysset"));
  RunStatement(connection, "create table sysset(a integer)");
  RunStatement(connection, "create table MixedCase(a integer)");
  RunStatement(connection, "create view someview as select 1");
  EXPECT_TRUE(HasTable(connection, "sysset"));
  EXPECT_TRUE(HasTable(connection, "SYSSET"));
  EXPECT_TRUE(HasTable(connection, "SysSet"));
  EXPECT_TRUE(HasTable(connection, "mixedcase"));
  EXPECT_TRUE(HasTable(connection, "MIXEDCASE"));
  EXPECT_FALSE(HasTable(connection, "someview"));  // views are not tables
  EXPECT_FALSE(HasTable(connection, "syss"));
  EXPECT_FALSE(HasTable(connection, ""));
}

TEST_F(DatabaseTest, HasTableTakesQuotesInTheNameLiterally) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table \"it's\"(a integer)");
  EXPECT_TRUE(HasTable(connection, "IT'S"));
  EXPECT_FALSE(HasTable(connection, "x' or '1'='1"));
}

TEST(QuoteTest, DoublesInnerQuotes) {
  EXPECT_EQ(Quote(""), "''");
  EXPECT_EQ(Quote("abc"), "'abc'");
  EXPECT_EQ(Quote("it's"), "'it''s'");
  EXPECT_EQ(Quote("''"), "''''''");
  EXPECT_EQ(Quote("\"x\""), "'\"x\"'");
}

TEST_F(DatabaseTest, QuotedTextRoundTrips) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table t(a varchar(100))");
  const std::string values[] = {"Bob's file", "'", "''x''", "x'); drop table t; --",
                                "caf\xC3\xA9 \"quoted\""};
  for (const std::string& value : values) {
    RunStatement(connection, "insert into t(a) values (" + Quote(value) + ")");
  }
  ResultTable table = RunQuery(connection, "select a from t order by rowid");
  ASSERT_EQ(table.RowCount(), std::size(values));
  for (const std::string& value : values) {
    ASSERT_FALSE(table.AtEnd());
    EXPECT_EQ(table.ColumnByName("a"), value);
    table.NextRow();
  }
  EXPECT_TRUE(HasTable(connection, "t"));
  EXPECT_EQ(RunQuery(connection, "select a from t where a = " + Quote("Bob's file")).RowCount(),
            1u);
}

// The code a DbError carries tells a database held by another program from
// a damaged one; a read-only open never makes a file.


TEST_F(DatabaseTest, ErrorsKeepTheResultCode) {
  Connection holder = OpenDatabase(path_);
  RunStatement(holder, "create table t(a integer)");
  RunStatement(holder, "BEGIN EXCLUSIVE");
  RunStatement(holder, "insert into t(a) values (1)");
  Connection other = OpenDatabase(path_);
  DbError locked = ErrorOf([&] { RunQuery(other, "select * from t"); });
  EXPECT_TRUE(locked.BusyOrLocked());
  EXPECT_FALSE(locked.Corrupt());
  RunStatement(holder, "ROLLBACK");

  DbError constraint = ErrorOf([&] { RunStatement(holder, "create table t(a integer)"); });
  EXPECT_EQ(constraint.code() & 0xff, SQLITE_ERROR);
  EXPECT_FALSE(constraint.BusyOrLocked());

  const std::string junk = folder_.File("junk.db");
  {
    std::FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string bytes(4096, 'J');
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  Connection damaged = OpenDatabaseReadOnly(junk);  // SQLite reads the header lazily
  DbError notADatabase = ErrorOf([&] { RunQuery(damaged, "select * from sqlite_master"); });
  EXPECT_TRUE(notADatabase.Corrupt());
  EXPECT_FALSE(notADatabase.BusyOrLocked());
  EXPECT_EQ(DbError("Database is not open").code(), 0);
}

TEST_F(DatabaseTest, ReadOnlyOpenNeverCreatesAndNeverWrites) {
  const std::string missing = folder_.File("places.sqlite");
  DbError error = ErrorOf([&] { OpenDatabaseReadOnly(missing); });
  EXPECT_EQ(error.code(), SQLITE_CANTOPEN);
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(missing)));

  {
    Connection writer = OpenDatabase(path_);
    RunStatement(writer, "create table t(a integer)");
    RunStatement(writer, "insert into t(a) values (7)");
  }
  Connection reader = OpenDatabaseReadOnly(path_);
  EXPECT_EQ(RunQuery(reader, "select a from t").ColumnByName("a"), "7");
  EXPECT_EQ(ErrorOf([&] { RunStatement(reader, "delete from t"); }).code() & 0xff, SQLITE_READONLY);
}

TEST_F(DatabaseTest, BoundValuesStayValues) {
  Connection connection = OpenDatabase(path_);
  RunStatement(connection, "create table t(id integer, name text, size real)");
  const std::string hostile = "x'); drop table t; --";
  RunStatement(connection, "insert into t(id, name, size) values (?, ?, ?)",
               {int64_t{9007199254740993}, hostile, 1.5});
  RunStatement(connection, "insert into t(id, name, size) values (?, ?, ?)", {int64_t{2}, nullptr, nullptr});
  ResultTable table = RunQuery(connection, "select id, name, size from t where name = ?", {hostile});
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnByName("id"), "9007199254740993");
  EXPECT_EQ(table.ColumnByName("name"), hostile);
  EXPECT_EQ(RunQuery(connection, "select id from t where name is ?", {nullptr}).ColumnByName("id"), "2");
  // A count that does not match the statement's parameters is an error, not a partial bind.
  DbError error = ErrorOf([&] { RunStatement(connection, "delete from t where id = ?", {}); });
  EXPECT_EQ(error.code(), SQLITE_RANGE);
  EXPECT_EQ(RunQuery(connection, "select id from t").RowCount(), 2u);
}

}  // namespace
}  // namespace vl::store
