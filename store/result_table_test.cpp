// Tests of the in-memory result table: cursor, column lookup, error texts.
#include "store/result_table.h"

#include <gtest/gtest.h>

#include <string>

#include "store/database.h"
#include "store/temp_folder_for_test.h"

namespace vl::store {
namespace {

template <typename Fn>
std::string ErrorText(Fn fn) {
  try {
    fn();
  } catch (const DbError& error) {
    return error.what();
  }
  ADD_FAILURE() << "no DbError thrown";
  return std::string();
}

ResultTable TwoRows() {
  return ResultTable({"fileext", "FileDesc", "fileext"},
                     {{"*.tmp", "Temporary", "first"}, {"*.bak", "Backup", "second"}});
}

TEST(ResultTableTest, WalksRowsWithCursor) {
  ResultTable table = TwoRows();
  EXPECT_EQ(table.RowCount(), 2u);
  ASSERT_FALSE(table.AtEnd());
  EXPECT_EQ(table.ColumnByName("fileext"), "*.tmp");
  EXPECT_EQ(table.ColumnText(1), "Temporary");
  table.NextRow();
  ASSERT_FALSE(table.AtEnd());
  EXPECT_EQ(table.ColumnByName("filedesc"), "Backup");
  table.NextRow();
  EXPECT_TRUE(table.AtEnd());
  table.NextRow();  // no effect at the end
  EXPECT_TRUE(table.AtEnd());
  EXPECT_EQ(table.RowCount(), 2u);
}

TEST(ResultTableTest, ColumnIndexIgnoresCaseAndTakesTheFirstOfDuplicates) {
  ResultTable table = TwoRows();
  EXPECT_EQ(table.ColumnIndex("FILEEXT"), 0u);
  EXPECT_EQ(table.ColumnIndex("filedesc"), 1u);
  EXPECT_EQ(table.ColumnIndex("FileDesc"), 1u);
}

TEST(ResultTableTest, MissingColumnText) {
  ResultTable table = TwoRows();
  EXPECT_EQ(ErrorText([&] { table.ColumnIndex("nosuch"); }),
            "Field not found in dataset: nosuch");
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("file"); }), "Field not found in dataset: file");
  EXPECT_EQ(ErrorText([&] { table.ColumnText(3); }), "Field not found in dataset: 3");
}

TEST(ResultTableTest, EmptyDatasetText) {
  ResultTable table({"fileext"}, {});
  EXPECT_EQ(table.RowCount(), 0u);
  EXPECT_TRUE(table.AtEnd());
  EXPECT_EQ(ErrorText([&] { table.ColumnIndex("fileext"); }),
            "Field fileext Not found. Empty dataset");
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("other"); }),
            "Field other Not found. Empty dataset");
  EXPECT_EQ(ErrorText([&] { table.ColumnText(0); }), "Table is at End of File");
  ResultTable defaulted;
  EXPECT_TRUE(defaulted.AtEnd());
  EXPECT_EQ(ErrorText([&] { defaulted.ColumnByName("x"); }), "Field x Not found. Empty dataset");
}

TEST(ResultTableTest, EndOfFileText) {
  ResultTable table = TwoRows();
  table.NextRow();
  table.NextRow();
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("fileext"); }), "Table is at End of File");
  EXPECT_EQ(ErrorText([&] { table.ColumnText(0); }), "Table is at End of File");
  // A wrong name is still reported as such at the end.
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("nosuch"); }),
            "Field not found in dataset: nosuch");
}

TEST(ResultTableTest, ShortRowsAreFilledWithEmptyText) {
  ResultTable table({"a", "b"}, {{"1"}});
  EXPECT_EQ(table.ColumnByName("b"), "");
}

TEST(ResultTableTest, QueriesGiveTheSameBehaviour) {
  testing::TempFolder folder;
  Connection connection = OpenDatabase(folder.File("r.db"));
  RunStatement(connection, "create table junktype(fileext char(20),filedesc varchar(100))");
  ResultTable empty = RunQuery(connection, "SELECT * FROM junktype");
  EXPECT_EQ(empty.RowCount(), 0u);
  EXPECT_TRUE(empty.AtEnd());
  EXPECT_EQ(ErrorText([&] { empty.ColumnByName("fileext"); }),
            "Field fileext Not found. Empty dataset");
  RunStatement(connection, "insert into junktype(fileext,filedesc) values ('*.tmp','Temp')");
  RunStatement(connection, "insert into junktype(fileext,filedesc) values ('*.old','Old')");
  ResultTable table = RunQuery(connection, "SELECT * FROM junktype");
  EXPECT_EQ(table.RowCount(), 2u);
  EXPECT_EQ(table.ColumnByName("FILEEXT"), "*.tmp");
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("nosuch"); }),
            "Field not found in dataset: nosuch");
  table.NextRow();
  EXPECT_EQ(table.ColumnByName("filedesc"), "Old");
  table.NextRow();
  EXPECT_EQ(ErrorText([&] { table.ColumnByName("fileext"); }), "Table is at End of File");
}

}  // namespace
}  // namespace vl::store
