// Small pieces the reference checks share: trimming, the path of a command
// line, folder tests and the redirection switch of 64-bit Windows.
#pragma once
#include <optional>
#include <string>

#include "registry_cleaner/scan_context.h"
#include "sysaccess/command_line.h"
#include "sysaccess/system.h"
#include "sysaccess/text.h"

namespace vl::registry::refs {

using sys::Trim;
// The program or file a registry text names (lower case, arguments cut).
std::string PathOf(ScanContext& context, const std::string& text,
                   sys::CommaRule commas = sys::CommaRule::kEndsPath);
// Characters 2 and 3 are ":\" (a full path with a drive letter).
bool IsDrivePath(const std::string& path);
// A backslash appended when the text does not end with one ("" gives "\").
std::string WithBackslash(const std::string& path);
// Network paths count as existing.
bool FolderExists(ScanContext& context, const std::string& path);
// An extension after the last "\" or ":".
bool HasExtension(const std::string& path);

// File-system redirection off for the life of the object, on 64-bit Windows
// only; the checks that test files hold one for their whole run.
class RedirectionOff {
 public:
  explicit RedirectionOff(ScanContext& context) {
    if (context.wow64()) off_.emplace(*context.platform().system);
  }

 private:
  std::optional<sys::ScopedFsRedirectionOff> off_;
};

}  // namespace vl::registry::refs
