// Browser traces kept in Firefox's own files: the profiles of Firefox and
// of the forks that keep its layout, the history, download, cookie and
// form rows read from their SQLite files (opened read-only, never
// created), the session files, and their removal.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "evidence_cleaner/browser_db.h"
#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/files.h"

namespace vl::evidence {

// The first entry of `base` (ending with "\") whose name ends in ".default",
// as base + name + "\"; empty when none.
std::string FindDefaultProfile(sys::FileSystem& files, const std::string& base);

// A profile of profiles.ini: `path` is the profile's folder ending with
// "\", `relative` its path below the browser's folder when profiles.ini
// gives a relative one (empty for an absolute one), `name` its Name=.
struct IniProfile {
  std::string path;
  std::string relative;
  std::string name;
};
// The profile Firefox itself starts with, from `firefoxFolder` + "profiles.ini"
// (the install's default, else the profile marked Default=1, else the only one).
std::optional<IniProfile> ProfileFromIni(sys::FileSystem& files, const std::string& firefoxFolder);
// Every profile of profiles.ini whose folder exists, the one it starts
// with first, then in the file's order.
std::vector<IniProfile> ProfilesFromIni(sys::FileSystem& files, const std::string& firefoxFolder);

// The roaming profile folder below APPDATA (history, cookies), ending with
// "\"; empty when there is none. `appData` ends with "\".
std::string FirefoxProfile(sys::FileSystem& files, const std::string& appData);
// The local profile folder below LOCALAPPDATA (cache), ending with "\"; empty
// when there is none.
std::string FirefoxLocalProfile(sys::FileSystem& files, const std::string& appData, const std::string& localAppData);

// One profile to scan, of Firefox or of a fork.
struct FirefoxProfileInfo {
  std::string roaming;  // history, cookies, forms, sessions; ends with "\"
  std::string local;    // its cache folder; may be empty
  std::string name;     // as profiles.ini names it
  std::string browser;  // "Firefox", "Waterfox", "LibreWolf"
  std::string base;     // the folder it was found from (see EvidenceSource)
  std::string refused;  // why it is not read; empty when it is
};
// Every profile of Firefox, Waterfox and LibreWolf on this machine.
std::vector<FirefoxProfileInfo> FirefoxProfiles(sys::Platform& platform);

// Types 405 (history and downloads), 406 (cookies), 433 (form history) and
// 434 (session files) on every profile. A database the running browser
// holds, and a profile that is not read, end in a runtime_error naming it,
// after the other profiles were read: listing nothing would look clean.
void CollectFirefoxType(EvidenceContext& c, const std::vector<FirefoxProfileInfo>& profiles);

// Removes the selected rows of a type 405, 406 or 433 record from the
// files of the profiles they were read from; every statement of one file in
// one transaction. Returns the number of items removed. A database that
// cannot be changed (the browser runs and holds it) changes nothing of
// that profile and says why in the record's `notCleaned`.
int32_t RemoveFirefoxRows(sys::FileSystem& files, TSearchEvidence& record);

// Whether the running browser holds the profile (its places.sqlite cannot
// be locked); `problem` then says so.
bool BrowserHoldsProfile(sys::FileSystem& files, const EvidenceSource& source, std::string* problem);

// Whether the source's folder is still where the scan found it, with no
// link on the way; `problem` says why not.
bool SourceStillThere(sys::FileSystem& files, const EvidenceSource& source, std::string* problem);

}  // namespace vl::evidence
