// The thin SQLite layer every feature uses for data.db and for the browsers'
// own database files: open, run a statement, read a query, test for a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "store/result_table.h"

struct sqlite3;

namespace vl::store {

// Every database failure; what() is the text shown to the user. code() is
// SQLite's result code (extended where SQLite gave one), 0 for failures of
// this layer itself (no connection, a missing column).
class DbError : public std::runtime_error {
 public:
  explicit DbError(const std::string& text, int code = 0) : std::runtime_error(text), code_(code) {}
  int code() const { return code_; }
  // Another connection holds the database: trying again later may work.
  bool BusyOrLocked() const;
  // The file is damaged or is no database at all.
  bool Corrupt() const;

 private:
  int code_;
};

// A value bound to a "?" of a statement: values that come from outside (a
// browser's database, a file name) never become SQL text.
using SqlValue = std::variant<std::nullptr_t, int64_t, double, std::string>;
using SqlValues = std::vector<SqlValue>;

// One open SQLite connection, closed when destroyed. Not shared between threads.
class Connection {
 public:
  Connection() = default;
  explicit Connection(sqlite3* db) : db_(db) {}
  Connection(Connection&& other) noexcept;
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }
  void Close();

 private:
  sqlite3* db_ = nullptr;
};

// Opens (and when missing creates) the database at a UTF-8 path.
Connection OpenDatabase(const std::string& utf8Path);
// Opens an existing database for reading only; never creates a file. For
// other programs' databases (browsers), which must be left as they are.
Connection OpenDatabaseReadOnly(const std::string& utf8Path);
// Opens an existing database for reading and writing; never creates a file
// (removing rows from a browser's own database).
Connection OpenDatabaseExisting(const std::string& utf8Path);
// Opens another program's existing database (a browser's) for reading, or
// reading and writing: never creates a file, and nothing stored in the file
// (triggers, views, functions named by its schema) runs in this process.
Connection OpenBrowserDatabase(const std::string& utf8Path, bool writable);
void CloseDatabase(Connection& connection);

// Prepares and runs the first statement of sql; it must return no rows.
// `values` are bound to its "?" parameters in order.
void RunStatement(Connection& connection, const std::string& sql, const SqlValues& values = {});
// Runs the first statement of sql and reads every row into memory.
ResultTable RunQuery(Connection& connection, const std::string& sql, const SqlValues& values = {});
// One row of ForEachRow: its columns' texts by index, valid during the call.
class RowView {
 public:
  explicit RowView(void* statement) : statement_(statement) {}
  std::string Text(int column) const;
  int64_t Integer(int column) const;
  bool IsNull(int column) const;

 private:
  void* statement_;
};
// Runs the first statement of sql and hands each row to `row` as it is read,
// keeping none: for the large tables of browsers' files.
void ForEachRow(Connection& connection, const std::string& sql, const std::function<void(const RowView&)>& row);
// True when a table of that name exists, letter case ignored.
bool HasTable(Connection& connection, const std::string& name);

// text between single quotes, every inner single quote doubled.
std::string Quote(const std::string& text);

}  // namespace vl::store
