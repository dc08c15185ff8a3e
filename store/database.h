// The thin SQLite layer every feature uses for data.db and for the browsers'
// own database files: open, run a statement, read a query, test for a table.
#pragma once

#include <stdexcept>
#include <string>

#include "store/result_table.h"

struct sqlite3;

namespace vl::store {

// Every database failure; what() is the text shown to the user.
class DbError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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
void CloseDatabase(Connection& connection);

// Prepares and runs the first statement of sql; it must return no rows.
void RunStatement(Connection& connection, const std::string& sql);
// Runs the first statement of sql and reads every row into memory.
ResultTable RunQuery(Connection& connection, const std::string& sql);
// True when a table of that name exists, letter case ignored.
bool HasTable(Connection& connection, const std::string& name);

// text between single quotes, every inner single quote doubled.
std::string Quote(const std::string& text);

}  // namespace vl::store
