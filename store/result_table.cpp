// ResultTable: cursor movement and column lookup with the layer's error texts.
#include "store/result_table.h"

#include <utility>

#include "store/database.h"

namespace vl::store {
namespace {

// Column names are ASCII in every table we read; SQLite folds only ASCII too.
bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

ResultTable::ResultTable(std::vector<std::string> columns,
                         std::vector<std::vector<std::string>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {
  // A short row would let ColumnText read past its end.
  for (auto& row : rows_) row.resize(columns_.size());
}

void ResultTable::NextRow() {
  if (!AtEnd()) ++cursor_;
}

std::size_t ResultTable::ColumnIndex(const std::string& name) const {
  if (rows_.empty() || columns_.empty()) {
    throw DbError("Field " + name + " Not found. Empty dataset");
  }
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (SameNameIgnoringCase(columns_[i], name)) return i;
  }
  throw DbError("Field not found in dataset: " + name);
}

std::string ResultTable::ColumnText(std::size_t pos) const {
  if (AtEnd()) throw DbError("Table is at End of File");
  if (pos >= columns_.size()) {
    throw DbError("Field not found in dataset: " + std::to_string(pos));
  }
  return rows_[cursor_][pos];
}

std::string ResultTable::ColumnByName(const std::string& name) const {
  return ColumnText(ColumnIndex(name));
}

}  // namespace vl::store
