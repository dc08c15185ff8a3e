// Ini text parsing and editing for Settings.ini.
#include "app/ini_file.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "sysaccess/text.h"

namespace vl {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  // Skip a UTF-8 byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  while (start <= text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  for (auto& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return lines;
}

bool IsSection(const std::string& line, std::string* name) {
  std::string t = sys::Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  if (name) *name = sys::Trim(t.substr(1, close - 1));
  return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = sys::Trim(line.substr(0, eq));
  if (value) *value = sys::Trim(line.substr(eq + 1));
  return true;
}

}  // namespace

bool FindIniValue(const std::string& text, const std::string& section, const std::string& key,
                  std::string& value) {
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    std::string name, k, v;
    if (IsSection(line, &name)) {
      inSection = SameText(name, section);
      continue;
    }
    if (inSection && KeyOf(line, &k, &v) && SameText(k, key)) {
      if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.substr(1, v.size() - 2);
      value = v;
      return true;
    }
  }
  return false;
}

int ReadIniInteger(sys::FileSystem& files, const std::string& path, const std::string& section,
                   const std::string& key, int fallback) {
  std::string text, value;
  if (!files.ReadFileBytes(path, text)) return fallback;
  if (!FindIniValue(text, section, key, value)) return fallback;
  if (value.empty()) return fallback;
  // A whole number, optionally signed; "$1F" hex as Windows' integer reader takes it.
  const char* s = value.c_str();
  char* end = nullptr;
  long long n;
  if (s[0] == '$') {
    if (!std::isxdigit(static_cast<unsigned char>(s[1]))) return fallback;
    n = std::strtoll(s + 1, &end, 16);
  } else {
    n = std::strtoll(s, &end, 10);
  }
  if (end == s || *end != '\0' || n < INT32_MIN || n > INT32_MAX) return fallback;
  return static_cast<int>(n);
}

std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& value) {
  std::vector<std::string> lines = Lines(text);
  int sectionLine = -1, lastInSection = -1;
  bool inSection = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    std::string name, k;
    if (IsSection(lines[i], &name)) {
      inSection = SameText(name, section);
      if (inSection && sectionLine < 0) {
        sectionLine = i;
        lastInSection = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (!sys::Trim(lines[i]).empty()) lastInSection = i;
    if (KeyOf(lines[i], &k, nullptr) && SameText(k, key)) {
      lines[i] = k + "=" + value;
      std::string out;
      for (auto& l : lines) out += l + "\r\n";
      return out;
    }
  }
  if (sectionLine < 0) {
    if (!lines.empty() && !sys::Trim(lines.back()).empty()) lines.push_back("");
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
  } else {
    lines.insert(lines.begin() + lastInSection + 1, key + "=" + value);
  }
  std::string out;
  for (auto& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace vl
