// The naming rules of database sets.
#include "junk_cleaner/database_files.h"

#include <cstring>

#include "sysaccess/text.h"

namespace vl::junk {

namespace {

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = s[s.size() - n + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != tail[i]) return false;
  }
  return true;
}

bool IsHex(const std::string& s, size_t from, size_t count) {
  if (from + count > s.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    const char c = s[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// "<base>" + tail where `tail` follows the engine's log and checkpoint names.
bool HasEngineTail(const std::string& lower, size_t baseLength) {
  if (lower.size() <= baseLength) return false;
  const std::string tail = lower.substr(baseLength);
  if (tail == ".log" || tail == ".chk" || tail == "tmp.log") return true;
  for (size_t digits : {5u, 8u})
    if (tail.size() == digits + 4 && IsHex(tail, 0, digits) && tail.compare(digits, 4, ".log") == 0) return true;
  return tail.size() == 12 && tail.compare(0, 3, "res") == 0 && IsHex(tail, 3, 5) &&
         tail.compare(8, 4, ".jrs") == 0;
}

}  // namespace

bool IsEngineFileName(const std::string& name) {
  if (EndsWith(name, ".jtx") || EndsWith(name, ".jcp") || EndsWith(name, ".jrs") || EndsWith(name, ".jfm") ||
      EndsWith(name, ".edb"))
    return true;
  const std::string lower = sys::AsciiLower(name);
  if (lower.compare(0, 3, "edb") != 0 && lower.compare(0, 3, "mss") != 0) return false;
  return HasEngineTail(lower, 3);
}

bool IsEngineLogOrCheckpoint(const std::string& name) { return EndsWith(name, ".log") || EndsWith(name, ".chk"); }

std::string DatabaseOfSideFile(const std::string& name) {
  for (const char* suffix : {"-journal", "-wal", "-shm"})
    if (EndsWith(name, suffix) && name.size() > std::strlen(suffix)) return name.substr(0, name.size() - std::strlen(suffix));
  if (EndsWith(name, ".ldb") && name.size() > 4) return name.substr(0, name.size() - 4) + ".mdb";
  if (EndsWith(name, ".laccdb") && name.size() > 7) return name.substr(0, name.size() - 7) + ".accdb";
  return "";
}

bool EndsWithEdb(const std::string& name) {
  const size_t n = name.size();
  return n >= 4 && (name[n - 1] | 0x20) == 'b' && EndsWith(name, ".edb");
}

bool MayBeSideFile(const std::string& name) {
  if (name.empty()) return false;
  const char last = static_cast<char>(name.back() | 0x20);
  if (last != 'l' && last != 'm' && last != 'b') return false;
  return !DatabaseOfSideFile(name).empty();
}

}  // namespace vl::junk
