// The SQLite layer: connections, statements, queries into memory, and the
// error texts the user sees when any of them fails.
#include "store/database.h"

#include <sqlite3.h>

#include <memory>
#include <utility>
#include <vector>

#include "store/column_value.h"

namespace vl::store {
namespace {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// context + ".\rError [code]: description.\r\"sql\": SQLite's message"
[[noreturn]] void RaiseError(sqlite3* db, const char* context, const std::string& sql, int rc) {
  int code = sqlite3_errcode(db);
  std::string message;
  if (code != SQLITE_OK) {
    message = sqlite3_errmsg(db);
  } else {
    // The connection holds no error (a step result such as SQLITE_ROW): name the result itself.
    code = rc;
    message = sqlite3_errstr(rc);
  }
  const int extended = sqlite3_extended_errcode(db) != SQLITE_OK ? sqlite3_extended_errcode(db) : code;
  throw DbError(std::string(context) + ".\rError [" + std::to_string(code) + "]: " +
                    sqlite3_errstr(code) + ".\r\"" + sql + "\": " + message,
                extended);
}

sqlite3* OpenHandle(Connection& connection) {
  if (!connection.IsOpen()) throw DbError("Database is not open");
  return connection.Handle();
}

Statement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
  Statement statement(raw);
  if (rc != SQLITE_OK) RaiseError(db, "Error executing SQL", sql, rc);
  // Empty text or only a comment: nothing to run.
  if (!statement) RaiseError(db, "Could not prepare SQL statement", sql, rc);
  return statement;
}

void Bind(sqlite3* db, sqlite3_stmt* statement, const std::string& sql, const SqlValues& values) {
  if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(statement))
    throw DbError("Error executing SQL.\r" + std::to_string(values.size()) + " values for " +
                      std::to_string(sqlite3_bind_parameter_count(statement)) + " parameters.\r\"" + sql + "\"",
                  SQLITE_RANGE);
  for (size_t i = 0; i < values.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    const SqlValue& v = values[i];
    int rc = SQLITE_OK;
    if (std::holds_alternative<int64_t>(v)) {
      rc = sqlite3_bind_int64(statement, at, std::get<int64_t>(v));
    } else if (std::holds_alternative<double>(v)) {
      rc = sqlite3_bind_double(statement, at, std::get<double>(v));
    } else if (std::holds_alternative<std::string>(v)) {
      const std::string& text = std::get<std::string>(v);
      rc = sqlite3_bind_text64(statement, at, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } else {
      rc = sqlite3_bind_null(statement, at);
    }
    if (rc != SQLITE_OK) RaiseError(db, "Error executing SQL", sql, rc);
  }
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool DbError::BusyOrLocked() const {
  const int primary = code_ & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool DbError::Corrupt() const {
  const int primary = code_ & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Connection::Connection(Connection&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    Close();
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

Connection::~Connection() { Close(); }

void Connection::Close() {
  // Every statement is finalized before its operation returns, so this closes for real.
  if (db_) sqlite3_close(std::exchange(db_, nullptr));
}

namespace {
Connection Open(const std::string& utf8Path, int flags) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(utf8Path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : "unknown error";
    if (db) sqlite3_close(db);
    throw DbError("Failed to open database \"" + utf8Path + "\" : " + message, rc);
  }
  return Connection(db);
}
}  // namespace

Connection OpenDatabase(const std::string& utf8Path) {
  return Open(utf8Path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

Connection OpenDatabaseReadOnly(const std::string& utf8Path) { return Open(utf8Path, SQLITE_OPEN_READONLY); }

Connection OpenDatabaseExisting(const std::string& utf8Path) { return Open(utf8Path, SQLITE_OPEN_READWRITE); }

Connection OpenBrowserDatabase(const std::string& utf8Path, bool writable) {
  Connection connection = Open(utf8Path, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
  sqlite3* db = connection.Handle();
  // Another program's file runs nothing of its own inside this process: no
  // stored triggers or views, no untrusted functions from its schema, no
  // writes to its schema or shadow tables.
  const int settings[][2] = {{SQLITE_DBCONFIG_DEFENSIVE, 1},
                             {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                             {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
                             {SQLITE_DBCONFIG_ENABLE_VIEW, 0}};
  for (const auto& [option, value] : settings) {
    int now = -1;
    if (sqlite3_db_config(db, option, value, &now) != SQLITE_OK || now != value)
      throw DbError("Failed to open database \"" + utf8Path + "\" : it cannot be opened safely", SQLITE_MISUSE);
  }
  RunStatement(connection, "PRAGMA trusted_schema=OFF");
  return connection;
}

void CloseDatabase(Connection& connection) { connection.Close(); }

void RunStatement(Connection& connection, const std::string& sql, const SqlValues& values) {
  sqlite3* db = OpenHandle(connection);
  Statement statement = Prepare(db, sql);
  Bind(db, statement.get(), sql, values);
  const int rc = sqlite3_step(statement.get());
  if (rc != SQLITE_DONE) {
    sqlite3_reset(statement.get());
    RaiseError(db, "Error executing SQL statement", sql, rc);
  }
}

ResultTable RunQuery(Connection& connection, const std::string& sql, const SqlValues& values) {
  sqlite3* db = OpenHandle(connection);
  Statement statement = Prepare(db, sql);
  Bind(db, statement.get(), sql, values);
  const int columnCount = sqlite3_column_count(statement.get());
  std::vector<std::string> columns;
  columns.reserve(static_cast<std::size_t>(columnCount));
  for (int i = 0; i < columnCount; ++i) {
    const char* name = sqlite3_column_name(statement.get(), i);
    columns.emplace_back(name ? name : "");
  }
  std::vector<std::vector<std::string>> rows;
  for (;;) {
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE) break;
    if (rc == SQLITE_ROW) {
      std::vector<std::string> row;
      row.reserve(columns.size());
      for (int i = 0; i < columnCount; ++i) row.push_back(ReadColumnText(statement.get(), i));
      rows.push_back(std::move(row));
      continue;
    }
    // No busy timeout and no retry: a lock held elsewhere fails the query at once.
    if ((rc & 0xff) == SQLITE_BUSY) {
      throw DbError("Could not prepare SQL statement.\rSQLite is Busy.\r\"" + sql + "\"", rc);
    }
    sqlite3_reset(statement.get());
    RaiseError(db, "Could not retrieve data", sql, rc);
  }
  return ResultTable(std::move(columns), std::move(rows));
}

std::string RowView::Text(int column) const {
  auto* st = static_cast<sqlite3_stmt*>(statement_);
  const unsigned char* t = sqlite3_column_text(st, column);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(st, column)))
           : std::string();
}

int64_t RowView::Integer(int column) const {
  return sqlite3_column_int64(static_cast<sqlite3_stmt*>(statement_), column);
}

bool RowView::IsNull(int column) const {
  return sqlite3_column_type(static_cast<sqlite3_stmt*>(statement_), column) == SQLITE_NULL;
}

void ForEachRow(Connection& connection, const std::string& sql, const std::function<void(const RowView&)>& row) {
  sqlite3* db = OpenHandle(connection);
  Statement statement = Prepare(db, sql);
  const RowView view(statement.get());
  for (;;) {
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE) return;
    if (rc == SQLITE_ROW) {
      row(view);
      continue;
    }
    if ((rc & 0xff) == SQLITE_BUSY)
      throw DbError("Could not prepare SQL statement.\rSQLite is Busy.\r\"" + sql + "\"", rc);
    sqlite3_reset(statement.get());
    RaiseError(db, "Could not retrieve data", sql, rc);
  }
}

bool HasTable(Connection& connection, const std::string& name) {
  // Names are program constants; doubling quotes keeps any other text a literal.
  const std::string sql =
      "select [sql] from sqlite_master where [type] = 'table' and lower(name) = " +
      Quote(AsciiLower(name)) + " ";
  return RunQuery(connection, sql).RowCount() > 0;
}

std::string Quote(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('\'');
  for (char c : text) {
    if (c == '\'') quoted.push_back('\'');
    quoted.push_back(c);
  }
  quoted.push_back('\'');
  return quoted;
}

}  // namespace vl::store
