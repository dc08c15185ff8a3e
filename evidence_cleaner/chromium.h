// The browsers built on Chromium (Edge, Brave, Vivaldi, Opera, Opera GX,
// Chromium itself, and Chrome's own types): their profiles, the history
// and cookie rows of their SQLite files, their caches, and the rows'
// removal. Bookmarks and saved passwords live in files these types never
// open.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "evidence_cleaner/evidence_context.h"
#include "evidence_cleaner/evidence_types.h"
#include "sysaccess/files.h"

namespace vl::evidence {

struct ChromiumBrowser {
  const char* name;  // as the user knows it, also in "close ..." messages
  int history, cookies, cache;  // the type numbers
  int folderIndex;              // SpecialFolderPath index: 22 local, 17 roaming
  const char* folder;           // below that folder
  // Opera keeps its one profile in the folder itself (no "Default").
  bool singleProfile;
};
// Every browser of the family with types of its own.
const std::vector<ChromiumBrowser>& ChromiumBrowsers();
// The browser whose history, cookies or cache type this is; nullptr when none.
const ChromiumBrowser* ChromiumBrowserOf(int32_t typeNo);

struct ChromiumProfile {
  std::string folder;  // ends with "\"
  std::string label;   // the name the browser shows ("Person 1", "Work")
};
// The profiles of a "User Data" folder (ending with "\"): those that
// "Local State" lists (profile.info_cache), else every "Default" /
// "Profile N" folder holding a History or Preferences file. Only plain
// names below the folder, never a link.
std::vector<ChromiumProfile> ChromiumProfiles(sys::FileSystem& files, const std::string& userData);

// The types of ChromiumBrowsers(): rows of History (one per URL, and the
// downloads) and of Cookies (name@host, never the value), and the cache
// files, from every profile.
void CollectChromiumType(EvidenceContext& c, const ChromiumBrowser& browser);

// Chrome's own types 411 to 413 (whole files), on every profile.
void CollectChromeFiles(EvidenceContext& c);

// Removes the selected rows of a history or cookie record from the files
// they were read from, one transaction per file; the number removed. A
// file the running browser holds is left whole and `notCleaned` names the
// browser.
int32_t RemoveChromiumRows(sys::FileSystem& files, TSearchEvidence& record);

// Chromium's time (microseconds since 1601-01-01 UTC) as "yyyy-mm-dd hh:nn UTC";
// empty for 0 or what is no time.
std::string ChromiumTimeText(const std::string& microseconds);

}  // namespace vl::evidence
