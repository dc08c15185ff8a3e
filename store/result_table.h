// ResultTable: the rows of one query held in memory, walked with a cursor.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vl::store {

class ResultTable {
 public:
  ResultTable() = default;
  // Every row holds one text per column; NULL values are already "".
  ResultTable(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows);

  std::size_t RowCount() const { return rows_.size(); }
  // True when the cursor is past the last row (always for an empty result).
  bool AtEnd() const { return cursor_ >= rows_.size(); }
  // Moves the cursor one row on; no effect at the end.
  void NextRow();

  // Position of the column, letter case ignored. Throws DbError when the result
  // has no rows or no such column.
  std::size_t ColumnIndex(const std::string& name) const;
  // The current row's value. Throws DbError at the end or for a bad position.
  std::string ColumnText(std::size_t pos) const;
  std::string ColumnByName(const std::string& name) const;

  const std::vector<std::string>& ColumnNames() const { return columns_; }

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<std::string>> rows_;
  std::size_t cursor_ = 0;
};

}  // namespace vl::store
