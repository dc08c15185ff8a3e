// Shortcut (.lnk) files: through the shell, and our own reader of the format.
#pragma once
#include <string>

#include "sysaccess/files.h"
#include "sysaccess/shell.h"

namespace vl::sys {

// Reads a shortcut: false for a file that is not a shortcut to a file-system
// object (link-info flag clear), without asking the shell.
bool ReadShortcut(FileSystem& files, Shell& shell, const std::string& path, TLinkInfo& info);
std::string ShortcutTarget(FileSystem& files, Shell& shell, const std::string& path);
// Parser of the shortcut file format itself (the sim backend's link object).
bool ParseShortcutFile(const std::string& bytes, TLinkInfo& info);

}  // namespace vl::sys
