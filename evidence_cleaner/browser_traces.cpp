// Firefox's profile lookup, its history, download and cookie rows, and
// their removal.
#include "evidence_cleaner/browser_traces.h"

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

#include "store/database.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/format_text.h"
#include "sysaccess/text.h"

namespace vl::evidence {

namespace {

std::string WithBackslash(std::string p) {
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

bool IsAbsolute(const std::string& p) {
  return (p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/')) || (p.size() >= 2 && p[0] == '\\' && p[1] == '\\');
}

// A relative profile path that stays below the Firefox folder.
bool StaysInside(const std::string& relative) {
  std::vector<std::string> parts;
  sys::SplitText(relative, '\\', parts);
  for (const std::string& part : parts)
    if (sys::Trim(part) == "..") return false;
  return !relative.empty() && relative[0] != '\\';
}

using IniSection = std::map<std::string, std::string>;  // keys in lower case

std::vector<std::pair<std::string, IniSection>> ParseIni(const std::string& text) {
  std::vector<std::pair<std::string, IniSection>> sections;
  size_t pos = 0;
  // A byte-order mark is not part of the first line.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = sys::Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      sections.push_back({sys::AsciiLower(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || sections.empty()) continue;
    sections.back().second[sys::AsciiLower(sys::Trim(line.substr(0, eq)))] = sys::Trim(line.substr(eq + 1));
  }
  return sections;
}

std::string Backslashes(std::string p) {
  for (char& ch : p)
    if (ch == '/') ch = '\\';
  return p;
}

// The profile folder a profiles.ini path names; empty when unusable.
std::optional<IniProfile> Resolve(sys::FileSystem& files, const std::string& firefoxFolder, const std::string& path,
                                  bool relative) {
  const std::string p = Backslashes(path);
  IniProfile out;
  if (relative && !IsAbsolute(p)) {
    if (!StaysInside(p)) return std::nullopt;
    out.relative = WithBackslash(p);
    out.path = firefoxFolder + out.relative;
  } else if (IsAbsolute(p)) {
    out.path = WithBackslash(p);
  } else {
    return std::nullopt;
  }
  sys::FileEntry e;
  // A profile folder that is a link is not followed.
  if (!files.GetEntry(out.path.substr(0, out.path.size() - 1), e) || !e.IsFolder() || e.IsReparsePoint())
    return std::nullopt;
  return out;
}

std::string NativeOf(sys::FileSystem& files, const std::string& path) { return files.NativePath(path); }

// Runs a scan's reads; a lock of the running browser becomes its message.
template <class Read>
void ReadUnlessHeld(Read read) {
  try {
    read();
  } catch (const store::DbError& e) {
    if (e.BusyOrLocked()) throw std::runtime_error(CloseBrowserText("Firefox", "scan"));
    throw;
  }
}

// An existing plain file (not a folder, not a link).
bool PlainFile(sys::FileSystem& files, const std::string& path) {
  sys::FileEntry e;
  return files.GetEntry(path, e) && !e.IsFolder() && !e.IsReparsePoint();
}

bool HasColumn(store::Connection& db, const std::string& table, const std::string& column) {
  store::ResultTable t = store::RunQuery(db, "PRAGMA table_info(" + table + ")");
  for (; !t.AtEnd(); t.NextRow())
    if (sys::AsciiLower(t.ColumnByName("name")) == column) return true;
  return false;
}

std::string IdList(const std::vector<int64_t>& ids) {
  std::string s;
  for (int64_t id : ids) s += (s.empty() ? "" : ",") + std::to_string(id);
  return s;
}

// Runs `work` in one transaction on an existing database; false (and
// nothing changed) when the database could not be opened or changed.
bool InTransaction(const std::string& nativePath, const std::function<void(store::Connection&)>& work,
                   std::string* problem) {
  try {
    store::Connection db = store::OpenDatabaseExisting(nativePath);
    store::RunStatement(db, "BEGIN IMMEDIATE");
    try {
      work(db);
      store::RunStatement(db, "COMMIT");
    } catch (...) {
      try {
        store::RunStatement(db, "ROLLBACK");
      } catch (const store::DbError&) {
      }
      throw;
    }
    return true;
  } catch (const store::DbError& e) {
    *problem = e.BusyOrLocked() ? CloseBrowserText("Firefox") : std::string("Firefox's data could not be changed: ") + e.what();
    return false;
  }
}

}  // namespace

std::string CloseBrowserText(const std::string& browser, const std::string& action) {
  return browser + " is running and holds its data. Close " + browser + " and " + action + " again.";
}

std::string FindDefaultProfile(sys::FileSystem& files, const std::string& base) {
  std::string found;
  files.WalkFolder(base, [&](const sys::FileEntry& e) {
    if (!sys::MatchesMask(e.name, "*.default")) return true;
    found = base + e.name + "\\";
    return false;
  });
  return found;
}

std::optional<IniProfile> ProfileFromIni(sys::FileSystem& files, const std::string& firefoxFolder) {
  std::string text;
  if (!PlainFile(files, firefoxFolder + "profiles.ini") || !files.ReadFileBytes(firefoxFolder + "profiles.ini", text))
    return std::nullopt;
  const auto sections = ParseIni(text);
  std::vector<const IniSection*> profiles;
  for (const auto& [name, values] : sections)
    if (name.rfind("profile", 0) == 0 && values.count("path")) profiles.push_back(&values);
  auto relativeOf = [](const IniSection& s) {
    auto it = s.find("isrelative");
    return it == s.end() || it->second != "0";
  };
  // The install's default: what today's Firefox starts with.
  for (const auto& [name, values] : sections) {
    if (name.rfind("install", 0) != 0) continue;
    auto it = values.find("default");
    if (it == values.end() || it->second.empty()) continue;
    bool relative = !IsAbsolute(Backslashes(it->second));
    for (const IniSection* p : profiles)
      if (p->at("path") == it->second) relative = relativeOf(*p);
    if (auto r = Resolve(files, firefoxFolder, it->second, relative)) return r;
  }
  for (const IniSection* p : profiles) {
    auto it = p->find("default");
    if (it != p->end() && it->second == "1")
      if (auto r = Resolve(files, firefoxFolder, p->at("path"), relativeOf(*p))) return r;
  }
  if (profiles.size() == 1) return Resolve(files, firefoxFolder, profiles[0]->at("path"), relativeOf(*profiles[0]));
  return std::nullopt;
}

std::string FirefoxProfile(sys::FileSystem& files, const std::string& appData) {
  if (appData.empty()) return "";
  const std::string firefox = appData + "Mozilla\\Firefox\\";
  if (auto p = ProfileFromIni(files, firefox)) return p->path;
  return FindDefaultProfile(files, firefox + "Profiles\\");
}

std::string FirefoxLocalProfile(sys::FileSystem& files, const std::string& appData, const std::string& localAppData) {
  if (localAppData.empty()) return "";
  if (!appData.empty()) {
    if (auto p = ProfileFromIni(files, appData + "Mozilla\\Firefox\\")) {
      // A relative profile keeps its cache below the local folder; a profile
      // elsewhere keeps it in itself.
      if (p->relative.empty()) return p->path;
      const std::string local = localAppData + "Mozilla\\Firefox\\" + p->relative;
      if (files.DirectoryExists(local)) return local;
    }
  }
  return FindDefaultProfile(files, localAppData + "Mozilla\\Firefox\\Profiles\\");
}

std::optional<int64_t> ParseId(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -v : v;
}

std::string CookieLabel(const std::string& name, const std::string& host) {
  return name + "@" + (!host.empty() && host[0] == '.' ? host.substr(1) : host);
}

void CollectFirefoxHistory(EvidenceContext& c, const std::string& profile) {
  if (profile.empty()) return;
  sys::FileSystem& files = *c.platform().files;
  const std::string places = profile + "places.sqlite";
  if (PlainFile(files, places)) ReadUnlessHeld([&] {
    c.ShowHint("Scanning " + places);
    store::Connection db = store::OpenDatabaseReadOnly(NativeOf(files, places));
    if (store::HasTable(db, "moz_historyvisits") && store::HasTable(db, "moz_places")) {
      store::ResultTable t = store::RunQuery(
          db, "SELECT b.id as id,b.title as title,b.url as url FROM moz_historyvisits a LEFT JOIN moz_places b WHERE (a.place_id = b.id)");
      for (; !t.AtEnd(); t.NextRow()) {
        const auto id = ParseId(t.ColumnByName("id"));
        if (!id) continue;
        c.AddItem(kBrowserRow, kDeleteItem, static_cast<uint64_t>(*id), t.ColumnByName("title"), "visits",
                  t.ColumnByName("url"));
      }
    }
  });
  const std::string downloads = profile + "downloads.sqlite";
  if (PlainFile(files, downloads)) ReadUnlessHeld([&] {
    c.ShowHint("Scanning " + downloads);
    store::Connection db = store::OpenDatabaseReadOnly(NativeOf(files, downloads));
    if (store::HasTable(db, "moz_downloads")) {
      store::ResultTable t = store::RunQuery(db, "SELECT id,name,target FROM moz_downloads");
      for (; !t.AtEnd(); t.NextRow()) {
        const auto id = ParseId(t.ColumnByName("id"));
        if (!id) continue;
        c.AddItem(kBrowserRow, kDeleteItem, static_cast<uint64_t>(*id), t.ColumnByName("name"), "downloads",
                  t.ColumnByName("target"));
      }
    }
  });
}

void CollectFirefoxCookies(EvidenceContext& c, const std::string& profile) {
  if (profile.empty()) return;
  sys::FileSystem& files = *c.platform().files;
  const std::string cookies = profile + "cookies.sqlite";
  if (!PlainFile(files, cookies)) return;
  c.ShowHint("Scanning " + cookies);
  ReadUnlessHeld([&] {
    store::Connection db = store::OpenDatabaseReadOnly(NativeOf(files, cookies));
    if (!store::HasTable(db, "moz_cookies")) return;
    store::ResultTable t = store::RunQuery(db, "SELECT id,name,host,value FROM moz_cookies");
    for (; !t.AtEnd(); t.NextRow()) {
      const std::string id = t.ColumnByName("id");
      if (!ParseId(id)) continue;
      c.AddItem(kBrowserRow, kDeleteItem, 0, CookieLabel(t.ColumnByName("name"), t.ColumnByName("host")), id,
                t.ColumnByName("value"));
    }
  });
}

namespace {

int32_t RemoveHistory(sys::FileSystem& files, const std::string& profile, TSearchEvidence& record) {
  // A place goes only when every visit of it listed is selected: an
  // unticked visit keeps its place and all its visits.
  std::map<int64_t, std::pair<int32_t, bool>> places;  // id -> (items, all selected)
  std::vector<int64_t> downloads;
  int32_t downloadItems = 0;
  for (const TScanEvidence& item : record.items) {
    if (item.kind != kBrowserRow) continue;
    const int64_t id = static_cast<int64_t>(item.key);
    if (item.name == "visits") {
      auto& p = places.try_emplace(id, 0, true).first->second;
      ++p.first;
      p.second = p.second && item.selected;
    } else if (item.selected) {
      downloads.push_back(id);
      ++downloadItems;
    }
  }
  std::vector<int64_t> ids;
  int32_t historyItems = 0;
  for (const auto& [id, p] : places)
    if (p.second) {
      ids.push_back(id);
      historyItems += p.first;
    }
  int32_t cleaned = 0;
  const std::string placesFile = profile + "places.sqlite";
  if (!ids.empty() && PlainFile(files, placesFile)) {
    bool ran = false;
    const std::string h = IdList(ids);
    const bool ok = InTransaction(files.NativePath(placesFile), [&](store::Connection& db) {
      if (!store::HasTable(db, "moz_historyvisits") || !store::HasTable(db, "moz_places")) return;
      store::RunStatement(db, "delete from moz_historyvisits where place_id in (" + h + ")");
      for (const char* table : {"moz_inputhistory", "moz_places_metadata"})
        if (store::HasTable(db, table) && HasColumn(db, table, "place_id"))
          store::RunStatement(db, std::string("delete from ") + table + " where place_id in (" + h + ")");
      // A place that a bookmark or keyword points to stays, without its visits.
      std::string placesDelete = "delete from moz_places where id in (" + h + ")";
      if (HasColumn(db, "moz_places", "foreign_count")) {
        placesDelete += " and foreign_count = 0";
      } else {
        if (store::HasTable(db, "moz_bookmarks"))
          placesDelete += " and id not in (select fk from moz_bookmarks where fk is not null)";
        if (store::HasTable(db, "moz_keywords") && HasColumn(db, "moz_keywords", "place_id"))
          placesDelete += " and id not in (select place_id from moz_keywords where place_id is not null)";
      }
      store::RunStatement(db, placesDelete);
      if (HasColumn(db, "moz_places", "visit_count") && HasColumn(db, "moz_places", "last_visit_date"))
        store::RunStatement(db, "update moz_places set visit_count = 0, last_visit_date = NULL where id in (" + h + ")");
      ran = true;
    }, &record.notCleaned);
    if (ok && ran) cleaned += historyItems;
    if (!ok) return 0;
  }
  const std::string downloadsFile = profile + "downloads.sqlite";
  if (!downloads.empty() && PlainFile(files, downloadsFile)) {
    bool ran = false;
    const bool ok = InTransaction(files.NativePath(downloadsFile), [&](store::Connection& db) {
      if (!store::HasTable(db, "moz_downloads")) return;
      store::RunStatement(db, "delete from moz_downloads where id in (" + IdList(downloads) + ")");
      ran = true;
    }, &record.notCleaned);
    if (ok && ran) cleaned += downloadItems;
  }
  return cleaned;
}

int32_t RemoveCookies(sys::FileSystem& files, const std::string& profile, TSearchEvidence& record) {
  std::vector<int64_t> ids;
  for (const TScanEvidence& item : record.items) {
    if (item.kind != kBrowserRow || !item.selected) continue;
    if (auto id = ParseId(item.name)) ids.push_back(*id);
  }
  const std::string cookies = profile + "cookies.sqlite";
  if (ids.empty() || !PlainFile(files, cookies)) return 0;
  bool ran = false;
  const bool ok = InTransaction(files.NativePath(cookies), [&](store::Connection& db) {
    if (!store::HasTable(db, "moz_cookies")) return;
    store::RunStatement(db, "delete from moz_cookies where id in (" + IdList(ids) + ")");
    ran = true;
  }, &record.notCleaned);
  return ok && ran ? static_cast<int32_t>(ids.size()) : 0;
}

}  // namespace

int32_t RemoveFirefoxRows(sys::FileSystem& files, const std::string& profile, TSearchEvidence& record) {
  if (profile.empty()) return 0;
  if (record.typeNo == 405) return RemoveHistory(files, profile, record);
  if (record.typeNo == 406) return RemoveCookies(files, profile, record);
  return 0;
}

}  // namespace vl::evidence
