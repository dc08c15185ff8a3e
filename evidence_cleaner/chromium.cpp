// Chromium-family browsers: profiles, history and cookie rows, caches.
#include "evidence_cleaner/chromium.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "evidence_cleaner/browser_db.h"
#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/collectors.h"
#include "evidence_cleaner/json_text.h"
#include "store/database.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

namespace vl::evidence {

const std::vector<ChromiumBrowser>& ChromiumBrowsers() {
  static const std::vector<ChromiumBrowser> browsers = {
      {"Microsoft Edge", 415, 416, 417, 22, "Microsoft\\Edge\\User Data\\", false},
      {"Brave", 418, 419, 420, 22, "BraveSoftware\\Brave-Browser\\User Data\\", false},
      {"Vivaldi", 421, 422, 423, 22, "Vivaldi\\User Data\\", false},
      {"Opera", 424, 425, 426, 17, "Opera Software\\Opera Stable\\", true},
      {"Opera GX", 427, 428, 429, 17, "Opera Software\\Opera GX Stable\\", true},
      {"Chromium", 430, 431, 432, 22, "Chromium\\User Data\\", false},
  };
  return browsers;
}

const ChromiumBrowser* ChromiumBrowserOf(int32_t typeNo) {
  for (const ChromiumBrowser& b : ChromiumBrowsers())
    if (b.history == typeNo || b.cookies == typeNo || b.cache == typeNo) return &b;
  return nullptr;
}

namespace {

// A folder name Chromium makes for a profile: no path of any kind.
bool PlainName(const std::string& n) {
  if (n.empty() || n == "." || n == ".." || n.size() > 200) return false;
  for (char ch : n)
    if (ch == '\\' || ch == '/' || ch == ':' || static_cast<unsigned char>(ch) < 0x20) return false;
  return true;
}

bool ProfileFolderName(const std::string& n) {
  if (n == "Default") return true;
  if (n.rfind("Profile ", 0) != 0 || n.size() == 8) return false;
  return std::all_of(n.begin() + 8, n.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// Days since 1970-01-01 to the civil date.
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

std::string Two(unsigned v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string Joined(const std::vector<std::string>& problems) {
  std::string s;
  std::set<std::string> seen;
  for (const std::string& p : problems)
    if (seen.insert(p).second) s += (s.empty() ? "" : " ") + p;
  return s;
}

}  // namespace

std::string ChromiumTimeText(const std::string& microseconds) {
  const auto us = ParseId(microseconds);
  if (!us || *us <= 0) return "";
  const int64_t seconds = *us / 1000000 - 11644473600LL;
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  if (y < 1601 || y > 9999) return "";
  return std::to_string(y) + "-" + Two(m) + "-" + Two(d) + " " + Two(static_cast<unsigned>(rest / 3600)) + ":" +
         Two(static_cast<unsigned>(rest % 3600 / 60)) + " UTC";
}

std::vector<ChromiumProfile> ChromiumProfiles(sys::FileSystem& files, const std::string& userData) {
  std::vector<ChromiumProfile> out;
  std::set<std::string> seen;
  auto add = [&](const std::string& name, const std::string& label) {
    if (!PlainName(name) || !seen.insert(sys::AsciiLower(name)).second) return;
    const std::string folder = userData + name + "\\";
    sys::FileEntry e;
    if (!files.GetEntry(userData + name, e) || !e.IsFolder() || e.IsReparsePoint()) return;
    out.push_back({folder, label.empty() ? name : label});
  };
  std::string text;
  if (PlainFile(files, userData + "Local State") && files.ReadFileBytes(userData + "Local State", text)) {
    if (auto root = json::Parse(text)) {
      const json::Value* profile = root->Find("profile");
      const json::Value* cache = profile ? profile->Find("info_cache") : nullptr;
      if (cache && cache->kind == json::Value::Kind::kObject) {
        for (const auto& [dir, info] : cache->members) {
          const json::Value* name = info.Find("name");
          add(dir, name && name->kind == json::Value::Kind::kText ? name->text : "");
        }
      }
    }
  }
  if (out.empty()) {
    std::vector<sys::FileEntry> entries;
    files.ListFolder(userData, entries);
    std::vector<std::string> names;
    for (const sys::FileEntry& e : entries)
      if (e.IsFolder() && !e.IsReparsePoint() && ProfileFolderName(e.name) &&
          (PlainFile(files, userData + e.name + "\\History") || PlainFile(files, userData + e.name + "\\Preferences")))
        names.push_back(e.name);
    // Default first, then by number.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      if (a == "Default" || b == "Default") return a == "Default" && b != "Default";
      if (a.size() != b.size()) return a.size() < b.size();
      return a < b;
    });
    for (const std::string& n : names) add(n, n);
  }
  return out;
}

namespace {

struct Place {
  std::string folder;  // the profile's folder
  std::string label;
};

std::vector<Place> PlacesOf(const std::string& root, const ChromiumBrowser& b, sys::FileSystem& files) {
  std::vector<Place> out;
  if (b.singleProfile) {
    if (files.DirectoryExists(root)) out.push_back({root, b.name});
    return out;
  }
  for (const ChromiumProfile& p : ChromiumProfiles(files, root)) out.push_back({p.folder, p.label});
  return out;
}

void ReadRows(EvidenceContext& c, const ChromiumBrowser& b, const std::string& base, const Place& p,
              std::vector<std::string>& problems) {
  sys::FileSystem& files = *c.platform().files;
  if (!PlainFolderBelow(files, base, p.folder)) {
    problems.push_back(std::string(b.name) + ": the profile " + p.folder + " is reached through a link and is not cleaned.");
    return;
  }
  const bool history = c.typeNo() == b.history;
  std::vector<std::string> folders;
  if (history) folders = {p.folder};
  else folders = {p.folder + "Network\\", p.folder};  // today's place first
  for (const std::string& folder : folders) {
    const std::string file = folder + (history ? "History" : "Cookies");
    if (!PlainFile(files, file) || !PlainFolderBelow(files, base, folder)) continue;
    c.ShowHint("Scanning " + file);
    const int32_t source = c.AddSource({folder, p.label, b.name, base});
    try {
      ReadUnlessHeld(b.name, [&] {
        store::Connection db = OpenForReading(files, file);
        if (history) {
          if (store::HasTable(db, "urls")) {
            store::ForEachRow(db, "SELECT id, url, title, visit_count, last_visit_time FROM urls ORDER BY id",
                              [&](const store::RowView& row) {
              const auto id = ParseId(row.Text(0));
              if (!id) return;
              const std::string url = row.Text(1), title = row.Text(2);
              const std::string when = ChromiumTimeText(row.Text(4));
              const std::string visits = row.Text(3);
              c.AddRow(source, kBrowserRow, static_cast<uint64_t>(*id), title.empty() ? url : title, "urls",
                       url + " (" + (visits.empty() ? "0" : visits) + (visits == "1" ? " visit" : " visits") +
                           (when.empty() ? "" : ", last " + when) + ")");
            });
          }
          if (store::HasTable(db, "downloads")) {
            const bool tab = HasColumn(db, "downloads", "tab_url");
            store::ResultTable t = store::RunQuery(
                db, std::string("SELECT id, target_path, ") + (tab ? "tab_url" : "''") + " AS url FROM downloads ORDER BY id");
            for (; !t.AtEnd(); t.NextRow())
              if (const auto id = ParseId(t.ColumnByName("id")))
                c.AddRow(source, kBrowserRow, static_cast<uint64_t>(*id), t.ColumnByName("target_path"), "downloads",
                         t.ColumnByName("url"));
          }
        } else if (store::HasTable(db, "cookies")) {
          store::ForEachRow(db, "SELECT rowid AS id, name, host_key FROM cookies ORDER BY rowid", [&](const store::RowView& row) {
            const std::string id = row.Text(0);
            // The value is a session credential: it is never shown.
            if (ParseId(id)) c.AddRow(source, kBrowserRow, 0, CookieLabel(row.Text(1), row.Text(2)), id, "");
          });
        }
      });
    } catch (const std::runtime_error& e) {
      problems.push_back(e.what());
    }
  }
}

}  // namespace

void CollectChromiumType(EvidenceContext& c, const ChromiumBrowser& b) {
  sys::FileSystem& files = *c.platform().files;
  const std::string base = sys::SpecialFolderPath(*c.platform().shell, b.folderIndex);
  if (base.empty()) return;
  const std::string root = base + b.folder;
  std::vector<std::string> problems;
  if (c.typeNo() == b.cache) {
    std::vector<std::string> folders;
    for (const Place& p : PlacesOf(root, b, files)) folders.push_back(p.folder);
    // Opera keeps its cache below the local folder, at the same place.
    const std::string local = sys::SpecialFolderPath(*c.platform().shell, 22);
    if (b.singleProfile && b.folderIndex != 22 && !local.empty() && files.DirectoryExists(local + b.folder))
      folders.push_back(local + b.folder);
    for (const std::string& f : folders)
      for (const char* cache : {"Cache", "Code Cache", "GPUCache", "Media Cache"})
        if (!c.Stopped() && files.DirectoryExists(f + cache)) CollectFileTree(c, f + cache, "*.*");
    return;
  }
  for (const Place& p : PlacesOf(root, b, files)) {
    if (c.Stopped()) break;
    ReadRows(c, b, base, p, problems);
  }
  if (!problems.empty()) throw std::runtime_error(Joined(problems));
}

void CollectChromeFiles(EvidenceContext& c) {
  sys::FileSystem& files = *c.platform().files;
  const std::string local = sys::SpecialFolderPath(*c.platform().shell, 22);
  if (local.empty()) return;
  const std::string userData = local + "Google\\Chrome\\User Data\\";
  // Default at its old place first, then the other profiles.
  std::vector<std::string> dirs = {userData + "Default"};
  for (const ChromiumProfile& p : ChromiumProfiles(files, userData))
    if (!sys::EqualsNoCase(p.folder, userData + "Default\\")) dirs.push_back(p.folder.substr(0, p.folder.size() - 1));
  for (const std::string& d : dirs) {
    if (c.Stopped()) break;
    switch (c.typeNo()) {
      case 411: CollectHistoryFiles(c, d); break;
      case 412:
        CollectFolder(c, d, "Cookies");
        // Where today's Chrome keeps them.
        CollectFolder(c, d + "\\Network", "Cookies");
        break;
      case 413:
        CollectFileTree(c, d + "\\Cache", "*.*");
        CollectFileTree(c, d + "\\Media Cache", "*.*");
        CollectFileTree(c, d + "\\Local Storage", "*.*");
        CollectFileTree(c, d + "\\Code Cache", "*.*");
        CollectFileTree(c, d + "\\GPUCache", "*.*");
        break;
      default: break;
    }
  }
}

namespace {

using Items = std::vector<const TScanEvidence*>;

int32_t RemoveHistoryRows(sys::FileSystem& files, const EvidenceSource& src, const Items& items, std::string* problem) {
  std::vector<int64_t> urls, downloads;
  for (const TScanEvidence* i : items) {
    if (!i->selected) continue;
    if (i->name == "urls") urls.push_back(static_cast<int64_t>(i->key));
    else if (i->name == "downloads") downloads.push_back(static_cast<int64_t>(i->key));
  }
  if (urls.empty() && downloads.empty()) return 0;
  const std::string file = src.folder + "History";
  if (!PlainFile(files, file)) return 0;
  int32_t done = 0;
  const bool ok = InTransaction(files, file, src.browser, [&](store::Connection& db) {
    done = 0;
    if (!urls.empty() && store::HasTable(db, "urls")) {
      const std::string u = IdList(urls);
      const bool visits = store::HasTable(db, "visits");
      const std::string visitIds = "(select id from visits where url in (" + u + "))";
      if (visits) {
        // Rows that hang on the visits go first.
        for (const char* table : {"visit_source", "context_annotations", "content_annotations", "clusters_and_visits",
                                  "visited_links"}) {
          if (!store::HasTable(db, table)) continue;
          if (HasColumn(db, table, "visit_id"))
            store::RunStatement(db, std::string("delete from ") + table + " where visit_id in " + visitIds);
          else if (std::string(table) == "visit_source" && HasColumn(db, table, "id"))
            store::RunStatement(db, "delete from visit_source where id in " + visitIds);
        }
        store::RunStatement(db, "delete from visits where url in (" + u + ")");
      }
      if (store::HasTable(db, "keyword_search_terms") && HasColumn(db, "keyword_search_terms", "url_id"))
        store::RunStatement(db, "delete from keyword_search_terms where url_id in (" + u + ")");
      if (store::HasTable(db, "segments") && HasColumn(db, "segments", "url_id")) {
        if (store::HasTable(db, "segment_usage"))
          store::RunStatement(db, "delete from segment_usage where segment_id in (select id from segments where url_id in (" +
                                      u + "))");
        store::RunStatement(db, "delete from segments where url_id in (" + u + ")");
      }
      store::RunStatement(db, "delete from urls where id in (" + u + ")");
      done += static_cast<int32_t>(urls.size());
    }
    if (!downloads.empty() && store::HasTable(db, "downloads")) {
      const std::string d = IdList(downloads);
      if (store::HasTable(db, "downloads_url_chains"))
        store::RunStatement(db, "delete from downloads_url_chains where id in (" + d + ")");
      if (store::HasTable(db, "downloads_slices") && HasColumn(db, "downloads_slices", "download_id"))
        store::RunStatement(db, "delete from downloads_slices where download_id in (" + d + ")");
      store::RunStatement(db, "delete from downloads where id in (" + d + ")");
      done += static_cast<int32_t>(downloads.size());
    }
  }, problem);
  return ok ? done : 0;
}

int32_t RemoveCookieRows(sys::FileSystem& files, const EvidenceSource& src, const Items& items, std::string* problem) {
  std::vector<int64_t> ids;
  for (const TScanEvidence* i : items)
    if (i->selected)
      if (auto id = ParseId(i->name)) ids.push_back(*id);
  const std::string file = src.folder + "Cookies";
  if (ids.empty() || !PlainFile(files, file)) return 0;
  bool ran = false;
  const bool ok = InTransaction(files, file, src.browser, [&](store::Connection& db) {
    if (!store::HasTable(db, "cookies")) return;
    store::RunStatement(db, "delete from cookies where rowid in (" + IdList(ids) + ")");
    ran = true;
  }, problem);
  return ok && ran ? static_cast<int32_t>(ids.size()) : 0;
}

}  // namespace

int32_t RemoveChromiumRows(sys::FileSystem& files, TSearchEvidence& record) {
  const ChromiumBrowser* b = ChromiumBrowserOf(record.typeNo);
  if (!b || record.typeNo == b->cache) return 0;
  std::map<int32_t, Items> bySource;
  for (const TScanEvidence& item : record.items)
    if (item.kind == kBrowserRow && item.source >= 0 && static_cast<size_t>(item.source) < record.sources.size())
      bySource[item.source].push_back(&item);
  int32_t cleaned = 0;
  std::vector<std::string> problems;
  for (const auto& [index, items] : bySource) {
    const EvidenceSource& src = record.sources[static_cast<size_t>(index)];
    if (std::none_of(items.begin(), items.end(), [](const TScanEvidence* i) { return i->selected; })) continue;
    std::string problem;
    if (!SourceStillThere(files, src, &problem)) {
      problems.push_back(problem);
      continue;
    }
    cleaned += record.typeNo == b->history ? RemoveHistoryRows(files, src, items, &problem)
                                           : RemoveCookieRows(files, src, items, &problem);
    if (!problem.empty()) problems.push_back(problem);
  }
  record.notCleaned = Joined(problems);
  return cleaned;
}

}  // namespace vl::evidence
