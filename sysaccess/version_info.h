// File version resources.
#pragma once
#include <string>

#include "sysaccess/shell.h"

namespace vl::sys {

// Version string of a file's version resource (its first translation's
// FileVersion); empty when there is none.
std::string FileVersion(Shell& shell, const std::string& path);
// Portable readers of the version resource: the resource out of a PE file,
// and the FileVersion text out of the resource.
bool ExtractVersionResource(const std::string& peFile, std::string& block);
std::string FileVersionFromBlock(const std::string& block);

}  // namespace vl::sys
