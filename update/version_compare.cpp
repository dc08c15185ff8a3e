#include "update/version_compare.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace vl::update {
namespace {

// A whole number as a 32-bit signed reader takes it: digits only (one
// leading sign allowed), within range; anything else is 0.
int64_t PartNumber(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return 0;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    n = n * 10 + (text[i] - '0');
    if (n > 2147483648LL) return 0;
  }
  if (negative) n = -n;
  return (n > 2147483647LL || n < -2147483648LL) ? 0 : n;
}

std::string Padded(int64_t n, size_t width) {
  bool negative = n < 0;
  std::string digits = std::to_string(negative ? -n : n);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

// "Text before the next dot" and "remove up to and including it".
std::string TakePart(std::string& rest, bool lastPart) {
  if (lastPart) return std::exchange(rest, std::string());
  size_t dot = rest.find('.');
  if (dot == std::string::npos) return std::string();
  std::string part = rest.substr(0, dot);
  rest.erase(0, dot + 1);
  return part;
}

// Compares two signed decimal texts by value.
int CompareNumbers(std::string a, std::string b) {
  bool negA = !a.empty() && a[0] == '-', negB = !b.empty() && b[0] == '-';
  if (negA) a.erase(0, 1);
  if (negB) b.erase(0, 1);
  a.erase(0, std::min(a.find_first_not_of('0'), a.empty() ? 0 : a.size() - 1));
  b.erase(0, std::min(b.find_first_not_of('0'), b.empty() ? 0 : b.size() - 1));
  if (a == "0") negA = false;
  if (b == "0") negB = false;
  if (negA != negB) return negA ? -1 : 1;
  int sign = negA ? -1 : 1;
  if (a.size() != b.size()) return a.size() < b.size() ? -sign : sign;
  return a == b ? 0 : (a < b ? -sign : sign);
}

}  // namespace

std::string VersionDigits(const std::string& version) {
  // Each part is the text before the next dot, 0 when there is none; the
  // build is whatever remains ("1.2.3" is 1, 2, 0, 3; "7" is 0, 0, 0, 7).
  std::string rest = version;
  std::string major = TakePart(rest, false);
  std::string minor = TakePart(rest, false);
  std::string release = TakePart(rest, false);
  std::string build = TakePart(rest, true);
  return Padded(PartNumber(major), 2) + Padded(PartNumber(minor), 3) + Padded(PartNumber(release), 3) +
         Padded(PartNumber(build), 4);
}

bool IsNewerVersion(const std::string& local, const std::string& remote) {
  if (remote.find('.') == std::string::npos) return remote > local;
  return CompareNumbers(VersionDigits(remote), VersionDigits(local)) > 0;
}

}  // namespace vl::update
