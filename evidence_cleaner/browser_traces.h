// Browser traces kept in the browsers' own files: the Firefox profile
// lookup, the history, download and cookie rows read from Firefox's SQLite
// files (opened read-only, never created), and their removal.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/files.h"

namespace vl::evidence {

// The first entry of `base` (ending with "\") whose name ends in ".default",
// as base + name + "\"; empty when none.
std::string FindDefaultProfile(sys::FileSystem& files, const std::string& base);

// The profile Firefox itself starts with, from `firefoxFolder` + "profiles.ini"
// (the install's default, else the profile marked Default=1, else the only
// one): `path` is the profile's folder ending with "\", `relative` its path
// below the Firefox folder when profiles.ini gives a relative one.
struct IniProfile {
  std::string path;
  std::string relative;
};
std::optional<IniProfile> ProfileFromIni(sys::FileSystem& files, const std::string& firefoxFolder);

// The roaming profile folder below APPDATA (history, cookies), ending with
// "\"; empty when there is none. `appData` ends with "\".
std::string FirefoxProfile(sys::FileSystem& files, const std::string& appData);
// The local profile folder below LOCALAPPDATA (cache), ending with "\"; empty
// when there is none.
std::string FirefoxLocalProfile(sys::FileSystem& files, const std::string& appData, const std::string& localAppData);

// A decimal integer and nothing else; ids from a browser's database go into
// SQL only through this.
std::optional<int64_t> ParseId(const std::string& text);

// "name@host"; a domain cookie's leading dot is dropped.
std::string CookieLabel(const std::string& name, const std::string& host);

// Types 405 and 406 on the profile folder `profile` (ending with "\").
// A database the running browser holds throws the CloseBrowserText error:
// it cannot be read, and listing nothing would look like a clean profile.
void CollectFirefoxHistory(EvidenceContext& c, const std::string& profile);
void CollectFirefoxCookies(EvidenceContext& c, const std::string& profile);

// Removes the selected rows of a type 405 or 406 record from the profile's
// files; every statement of one file in one transaction. Returns the number
// of items removed. A database that cannot be changed (the browser runs and
// holds it) changes nothing of that record and sets its `notCleaned`.
int32_t RemoveFirefoxRows(sys::FileSystem& files, const std::string& profile, TSearchEvidence& record);

// The text shown for a type whose browser holds its files; `action` is what
// to do again once it is closed ("clean", "scan").
std::string CloseBrowserText(const std::string& browser, const std::string& action = "clean");

}  // namespace vl::evidence
