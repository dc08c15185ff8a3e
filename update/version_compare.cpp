#include "update/version_compare.h"

namespace vl::update {

bool ParseVersion(const std::string& text, std::array<uint16_t, 4>& parts) {
  parts = {0, 0, 0, 0};
  size_t index = 0, at = 0;
  for (;;) {
    if (index == 4) return false;
    uint32_t n = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      n = n * 10 + static_cast<uint32_t>(text[at] - '0');
      if (n > 65535) return false;
    }
    if (digits == 0) return false;
    parts[index++] = static_cast<uint16_t>(n);
    if (at == text.size()) return true;
    if (text[at] != '.') return false;
    ++at;
  }
}

bool IsNewerVersion(const std::string& local, const std::string& remote) {
  std::array<uint16_t, 4> l, r;
  if (!ParseVersion(remote, r)) return false;
  if (!ParseVersion(local, l)) return true;
  return r > l;
}

bool SameVersion(const std::string& a, const std::string& b) {
  std::array<uint16_t, 4> x, y;
  return ParseVersion(a, x) && ParseVersion(b, y) && x == y;
}

}  // namespace vl::update
