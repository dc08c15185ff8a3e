// Column reading rules: the declared type, compared exactly in capitals, decides
// how a value is read; columns without one (expressions) go by the value itself.
#include "store/column_value.h"

#include <sqlite3.h>

#include <charconv>
#include <cstring>

namespace vl::store {
namespace {

enum class Kind { kInteger, kFloat, kBlob, kText };

Kind KindOfDeclaration(const char* decl) {
  if (std::strcmp(decl, "INTEGER") == 0 || std::strcmp(decl, "BOOLEAN") == 0) {
    return Kind::kInteger;
  }
  if (std::strcmp(decl, "NUMERIC") == 0 || std::strcmp(decl, "FLOAT") == 0 ||
      std::strcmp(decl, "DOUBLE") == 0 || std::strcmp(decl, "REAL") == 0) {
    return Kind::kFloat;
  }
  if (std::strcmp(decl, "BLOB") == 0) return Kind::kBlob;
  return Kind::kText;
}

Kind KindOfValue(int type) {
  switch (type) {
    case SQLITE_INTEGER: return Kind::kInteger;
    case SQLITE_FLOAT: return Kind::kFloat;
    case SQLITE_BLOB: return Kind::kBlob;
    default: return Kind::kText;
  }
}

// General format, 15 significant digits, independent of the C locale.
std::string FloatText(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                              std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string ReadColumnText(sqlite3_stmt* statement, int column) {
  // The storage type must be taken before any reader converts the value.
  const int type = sqlite3_column_type(statement, column);
  if (type == SQLITE_NULL) return std::string();
  const char* decl = sqlite3_column_decltype(statement, column);
  switch (decl ? KindOfDeclaration(decl) : KindOfValue(type)) {
    case Kind::kInteger:
      return std::to_string(static_cast<long long>(sqlite3_column_int64(statement, column)));
    case Kind::kFloat:
      return FloatText(sqlite3_column_double(statement, column));
    case Kind::kBlob: {
      const void* bytes = sqlite3_column_blob(statement, column);
      const int size = sqlite3_column_bytes(statement, column);
      if (!bytes || size <= 0) return std::string();
      return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
    }
    case Kind::kText:
      break;
  }
  const unsigned char* text = sqlite3_column_text(statement, column);
  const int size = sqlite3_column_bytes(statement, column);
  if (!text || size <= 0) return std::string();
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

}  // namespace vl::store
