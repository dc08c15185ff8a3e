// Settings.ini: reading and writing integer keys of an ini file through the
// platform's file access. Sections and keys match without regard to case,
// as Windows' own profile functions do.
#pragma once
#include <string>

#include "sysaccess/files.h"

namespace vl {

// The key's value when it is a whole number, else `fallback` (also for a
// missing file, section or key).
int ReadIniInteger(sys::FileSystem& files, const std::string& path, const std::string& section,
                   const std::string& key, int fallback);

// Parses ini text; exposed for tests.
bool FindIniValue(const std::string& text, const std::string& section, const std::string& key,
                  std::string& value);

// Sets `key` in `section` of `text`, adding the section or key when missing.
std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace vl
