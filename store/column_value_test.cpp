// Tests of how query columns become text: by declared type, exactly in capitals,
// and by the value's own type for expressions.
#include <gtest/gtest.h>

#include <string>

#include "store/database.h"
#include "store/temp_folder_for_test.h"

namespace vl::store {
namespace {

class ColumnValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunStatement(connection_,
                 "create table c(i INTEGER, bo BOOLEAN, r REAL, n NUMERIC, f FLOAT, d DOUBLE, "
                 "b BLOB, t TEXT, li integer, lr real, lb blob, v varchar(10), u, lf float, "
                 "ld Double, lbo boolean, ln numeric)");
  }
  // The single row of sql, column by column.
  std::string One(const std::string& sql) {
    ResultTable table = RunQuery(connection_, sql);
    EXPECT_EQ(table.RowCount(), 1u) << sql;
    return table.AtEnd() ? std::string("<no row>") : table.ColumnText(0);
  }
  void Insert(const std::string& column, const std::string& literal) {
    RunStatement(connection_, "delete from c");
    RunStatement(connection_, "insert into c(" + column + ") values (" + literal + ")");
  }
  std::string Read(const std::string& column, const std::string& literal) {
    Insert(column, literal);
    return One("select " + column + " from c");
  }

  testing::TempFolder folder_;
  Connection connection_ = OpenDatabase(folder_.File("c.db"));
};

TEST_F(ColumnValueTest, IntegerAndBooleanReadAsInt64) {
  EXPECT_EQ(Read("i", "42"), "42");
  EXPECT_EQ(Read("i", "-9223372036854775807 - 1"), "-9223372036854775808");
  EXPECT_EQ(Read("i", "9223372036854775807"), "9223372036854775807");
  EXPECT_EQ(Read("i", "3.75"), "3");    // a real kept in the column, read as an integer
  EXPECT_EQ(Read("i", "'abc'"), "0");   // text kept in the column, read as an integer
  EXPECT_EQ(Read("i", "'12'"), "12");
  EXPECT_EQ(Read("bo", "1"), "1");
  EXPECT_EQ(Read("bo", "0"), "0");
}

TEST_F(ColumnValueTest, FloatingDeclarationsUseFifteenDigits) {
  EXPECT_EQ(Read("r", "1.5"), "1.5");
  EXPECT_EQ(Read("r", "0.1"), "0.1");
  EXPECT_EQ(Read("r", "1.0/3"), "0.333333333333333");
  EXPECT_EQ(Read("r", "1e20"), "1e+20");
  EXPECT_EQ(Read("r", "123456789012345678"), "1.23456789012346e+17");
  EXPECT_EQ(Read("r", "-2.5e-7"), "-2.5e-07");
  EXPECT_EQ(Read("r", "3"), "3");
  EXPECT_EQ(Read("n", "10"), "10");
  EXPECT_EQ(Read("n", "2.25"), "2.25");
  EXPECT_EQ(Read("f", "0.1 + 0.2"), "0.3");
  EXPECT_EQ(Read("d", "-7.125"), "-7.125");
}

TEST_F(ColumnValueTest, BlobKeepsEveryByte) {
  EXPECT_EQ(Read("b", "x'00410042FF'"), std::string("\0A\0B\xFF", 5));
  EXPECT_EQ(Read("b", "x''"), "");
  EXPECT_EQ(Read("lb", "x'41'"), "A");
}

TEST_F(ColumnValueTest, OtherDeclarationsGiveStoredText) {
  EXPECT_EQ(Read("t", "'h\xC3\xA9llo'"), "h\xC3\xA9llo");
  // "float", "Double", "boolean", "numeric" are not the capital names: SQLite's own text.
  EXPECT_EQ(Read("lf", "3"), "3.0");
  EXPECT_EQ(Read("f", "3"), "3");
  EXPECT_EQ(Read("ld", "1e20"), "1.0e+20");
  EXPECT_EQ(Read("d", "1e20"), "1e+20");
  EXPECT_EQ(Read("lbo", "'yes'"), "yes");
  EXPECT_EQ(Read("bo", "'yes'"), "0");
  EXPECT_EQ(Read("ln", "'12abc'"), "12abc");
  EXPECT_EQ(Read("n", "'12abc'"), "12");
  EXPECT_EQ(Read("v", "'x''y'"), "x'y");
  EXPECT_EQ(Read("t", "'a' || char(0) || 'b'"), std::string("a\0b", 3));
}

TEST_F(ColumnValueTest, NullIsEmptyWhateverTheDeclaration) {
  RunStatement(connection_, "insert into c(i) values (NULL)");
  ResultTable table = RunQuery(connection_, "select * from c");
  ASSERT_EQ(table.RowCount(), 1u);
  ASSERT_EQ(table.ColumnNames().size(), 17u);
  for (std::size_t i = 0; i < 17; ++i) EXPECT_EQ(table.ColumnText(i), "") << i;
}

TEST_F(ColumnValueTest, ColumnsWithoutDeclarationGoByValue) {
  ResultTable table = RunQuery(
      connection_, "select 1+1, 2.5*2, 0.1+0.2, x'4142', 'a'||'b', NULL, 1e20, 10/4");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.ColumnText(0), "2");
  EXPECT_EQ(table.ColumnText(1), "5");
  EXPECT_EQ(table.ColumnText(2), "0.3");
  EXPECT_EQ(table.ColumnText(3), "AB");
  EXPECT_EQ(table.ColumnText(4), "ab");
  EXPECT_EQ(table.ColumnText(5), "");
  EXPECT_EQ(table.ColumnText(6), "1e+20");
  EXPECT_EQ(table.ColumnText(7), "2");
  // A column declared without a type is read by value as well.
  EXPECT_EQ(Read("u", "1.0/4"), "0.25");
}

TEST_F(ColumnValueTest, ExpressionTypeIsTakenPerRow) {
  RunStatement(connection_, "insert into c(u) values (5)");
  RunStatement(connection_, "insert into c(u) values (0.5)");
  RunStatement(connection_, "insert into c(u) values ('text')");
  RunStatement(connection_, "insert into c(u) values (NULL)");
  RunStatement(connection_, "insert into c(u) values (x'43')");
  ResultTable table = RunQuery(connection_, "select u + 0 as sum, u from c order by rowid");
  const char* expectedSum[] = {"5", "0.5", "0", "", "0"};
  const char* expectedValue[] = {"5", "0.5", "text", "", "C"};
  for (int row = 0; row < 5; ++row) {
    ASSERT_FALSE(table.AtEnd());
    EXPECT_EQ(table.ColumnByName("sum"), expectedSum[row]) << row;
    EXPECT_EQ(table.ColumnByName("U"), expectedValue[row]) << row;
    table.NextRow();
  }
  EXPECT_TRUE(table.AtEnd());
}

// SQLite reports the standard names INTEGER, REAL and BLOB in capitals however
// they were written, so lower-case "integer" and "real" columns read like the capital ones.
TEST_F(ColumnValueTest, StandardTypeNamesComeBackInCapitals) {
  EXPECT_EQ(Read("li", "7"), "7");
  EXPECT_EQ(Read("li", "'abc'"), "0");
  EXPECT_EQ(Read("lr", "3"), "3");
  EXPECT_EQ(Read("lr", "2.5"), "2.5");
}

TEST_F(ColumnValueTest, DeclaredTypeFollowsTheColumnThroughAnAlias) {
  Insert("i", "'12abc'");
  EXPECT_EQ(One("select i as alias from c"), "12");   // still the INTEGER column
  EXPECT_EQ(One("select i || '' from c"), "12abc");  // an expression: by value
}

}  // namespace
}  // namespace vl::store
