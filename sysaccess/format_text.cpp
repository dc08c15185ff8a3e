// Size texts and text splitting.
#include <cstdio>
#include <mutex>

#include "sysaccess/format_text.h"

namespace vl::sys {

namespace {
// n / unit with one decimal, rounded half away from zero, exactly.
std::string OneDecimal(uint64_t n, uint64_t unit, const std::string& sep) {
  uint64_t whole = n / unit, rest = n % unit;
  uint64_t tenths = whole * 10 + (rest * 20 + unit) / (2 * unit);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(tenths / 10));
  return std::string(buf) + sep + static_cast<char>('0' + tenths % 10);
}

// The separator FormatSize(bytes) uses: set once at start, read by workers.
std::mutex& SeparatorLock() {
  static std::mutex mu;
  return mu;
}
std::string& UserSeparator() {
  static std::string sep = ".";
  return sep;
}
}  // namespace

void UseDecimalSeparator(const std::string& separator) {
  std::lock_guard<std::mutex> lock(SeparatorLock());
  UserSeparator() = separator.empty() ? "." : separator;
}

std::string FormatSize(uint64_t n) {
  std::string sep;
  {
    std::lock_guard<std::mutex> lock(SeparatorLock());
    sep = UserSeparator();
  }
  return FormatSize(n, sep);
}

std::string FormatSize(uint64_t n, const std::string& sep) {
  if (n > 1073741824ull) return OneDecimal(n, 1073741824ull, sep) + " GB";
  if (n > 1048576ull) return OneDecimal(n, 1048576ull, sep) + " MB";
  if (n > 1024ull) return OneDecimal(n, 1024ull, sep) + " KB";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llu B", static_cast<unsigned long long>(n));
  return buf;
}

void SplitText(const std::string& text, char separator, std::vector<std::string>& list) {
  list.clear();
  std::string piece;
  for (char c : text) {
    if (c == separator) {
      list.push_back(piece);
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  if (!piece.empty()) list.push_back(piece);
}

}  // namespace vl::sys
