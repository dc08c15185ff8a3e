// FileExistsWow64: the registry checks' file test.
#include "registry_cleaner/file_exists_wow64.h"

#include "sysaccess/text.h"

namespace vl::registry {

namespace {

// Replaces every occurrence of `from` (any letter case) by `to`.
std::string ReplaceAllNoCase(const std::string& text, const std::string& from, const std::string& to) {
  const std::string lower = sys::AsciiLower(text), needle = sys::AsciiLower(from);
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = lower.find(needle, pos)) != std::string::npos; pos = hit + from.size())
    out += text.substr(pos, hit - pos) + to;
  return out + text.substr(pos);
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
  return sys::AsciiLower(text).find(sys::AsciiLower(part)) != std::string::npos;
}

}  // namespace

bool FileExistsWow64(sys::FileSystem& files, sys::Bitness bitness, const std::string& systemFolder,
                     const std::string& path, int mode) {
  // A share may simply be offline: a network path is never reported missing.
  if (path.compare(0, 2, "\\\\") == 0) return true;
  if (files.FileExists(path)) return true;
  if (!bitness.windows64 || mode != 1) return false;
  if (!systemFolder.empty() && ContainsNoCase(path, systemFolder))
    return files.FileExists(ReplaceAllNoCase(path, "\\System32", "\\SysWOW64"));
  if (ContainsNoCase(path, ":\\Program Files (x86)"))
    return files.FileExists(ReplaceAllNoCase(path, ":\\Program Files (x86)", ":\\Program Files"));
  if (bitness.process64() && ContainsNoCase(path, ":\\Program Files\\"))
    return files.FileExists(ReplaceAllNoCase(path, ":\\Program Files\\", ":\\Program Files (x86)\\"));
  return false;
}

}  // namespace vl::registry
