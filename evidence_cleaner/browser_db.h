// What every browser type shares: where a profile may lie, how the
// browser's own database files are opened and changed, and the texts for a
// browser that holds them.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/database.h"
#include "sysaccess/files.h"
#include "sysaccess/shell.h"

namespace vl::evidence {

// An existing plain file (not a folder, not a link).
bool PlainFile(sys::FileSystem& files, const std::string& path);

// `folder` lies below `base` (both absolute, letter case ignored, no ".."
// on the way) and every folder from below `base` down to `folder` exists
// and is no link: a link planted by the user could lead elsewhere.
bool PlainFolderBelow(sys::FileSystem& files, const std::string& base, const std::string& folder);

// The user's own profile folder (C:\Users\name\), ending with "\"; empty
// when the system does not say.
std::string UserProfileFolder(sys::Shell& shell);

// Why a profile named by an absolute path is not read: it lies outside the
// user's own folder; empty when it may be read.
std::string OutsideUserFolderReason(sys::FileSystem& files, sys::Shell& shell, const std::string& profile);

// A decimal integer that fits in 63 bits and nothing else; ids from a
// browser's database go into SQL only through this.
std::optional<int64_t> ParseId(const std::string& text);

// "name@host"; a domain cookie's leading dot is dropped.
std::string CookieLabel(const std::string& name, const std::string& host);

// The text shown for a type whose browser holds its files; `action` is what
// to do again once it is closed ("clean", "scan").
std::string CloseBrowserText(const std::string& browser, const std::string& action = "clean");

// Runs a scan's reads; a lock of the running browser becomes its message.
void ReadUnlessHeld(const std::string& browser, const std::function<void()>& read);

// Runs `work` in one transaction on the existing database `path` (a path of
// `files`); false, with nothing changed and `problem` set, when it could not
// be opened or changed.
bool InTransaction(sys::FileSystem& files, const std::string& path, const std::string& browser,
                   const std::function<void(store::Connection&)>& work, std::string* problem);

// Opens a browser's database for reading.
store::Connection OpenForReading(sys::FileSystem& files, const std::string& path);

bool HasColumn(store::Connection& db, const std::string& table, const std::string& column);
std::string IdList(const std::vector<int64_t>& ids);

}  // namespace vl::evidence
