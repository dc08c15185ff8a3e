// Firefox's profiles (and its forks'), their history, download, cookie and
// form rows, their session files, and the rows' removal.
#include "evidence_cleaner/browser_traces.h"

#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

#include "evidence_cleaner/collectors.h"
#include "store/database.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/format_text.h"
#include "sysaccess/shell_folders.h"
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
                                  bool relative, const std::string& name) {
  const std::string p = Backslashes(path);
  IniProfile out;
  out.name = name;
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

struct IniFile {
  std::vector<std::pair<std::string, IniSection>> sections;
  std::vector<const IniSection*> profiles;
};

bool ReadIni(sys::FileSystem& files, const std::string& folder, IniFile& ini) {
  std::string text;
  if (!PlainFile(files, folder + "profiles.ini") || !files.ReadFileBytes(folder + "profiles.ini", text)) return false;
  ini.sections = ParseIni(text);
  for (const auto& [name, values] : ini.sections)
    if (name.rfind("profile", 0) == 0 && values.count("path")) ini.profiles.push_back(&values);
  return true;
}

bool RelativeOf(const IniSection& s) {
  auto it = s.find("isrelative");
  return it == s.end() || it->second != "0";
}

std::string NameOf(const IniSection& s) {
  auto it = s.find("name");
  return it == s.end() || it->second.empty() ? s.at("path") : it->second;
}

std::optional<IniProfile> DefaultOf(sys::FileSystem& files, const std::string& folder, const IniFile& ini) {
  // The install's default: what today's Firefox starts with.
  for (const auto& [name, values] : ini.sections) {
    if (name.rfind("install", 0) != 0) continue;
    auto it = values.find("default");
    if (it == values.end() || it->second.empty()) continue;
    bool relative = !IsAbsolute(Backslashes(it->second));
    std::string profileName = it->second;
    for (const IniSection* p : ini.profiles)
      if (p->at("path") == it->second) {
        relative = RelativeOf(*p);
        profileName = NameOf(*p);
      }
    if (auto r = Resolve(files, folder, it->second, relative, profileName)) return r;
  }
  for (const IniSection* p : ini.profiles) {
    auto it = p->find("default");
    if (it != p->end() && it->second == "1")
      if (auto r = Resolve(files, folder, p->at("path"), RelativeOf(*p), NameOf(*p))) return r;
  }
  if (ini.profiles.size() == 1)
    return Resolve(files, folder, ini.profiles[0]->at("path"), RelativeOf(*ini.profiles[0]), NameOf(*ini.profiles[0]));
  return std::nullopt;
}

std::string JoinProblems(const std::vector<std::string>& problems) {
  std::string s;
  std::set<std::string> seen;
  for (const std::string& p : problems)
    if (seen.insert(p).second) s += (s.empty() ? "" : " ") + p;
  return s;
}

std::string FileNameOfUri(const std::string& uri) {
  std::string name = uri.substr(uri.find_last_of("/\\") == std::string::npos ? 0 : uri.find_last_of("/\\") + 1);
  // %xx as the file system has it.
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%' && i + 2 < name.size() && std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
      out += static_cast<char>(std::stoi(name.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += name[i];
    }
  }
  return out;
}

}  // namespace

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
  IniFile ini;
  if (!ReadIni(files, firefoxFolder, ini)) return std::nullopt;
  return DefaultOf(files, firefoxFolder, ini);
}

std::vector<IniProfile> ProfilesFromIni(sys::FileSystem& files, const std::string& firefoxFolder) {
  std::vector<IniProfile> out;
  IniFile ini;
  if (!ReadIni(files, firefoxFolder, ini)) return out;
  std::set<std::string> seen;
  auto add = [&](const std::optional<IniProfile>& p) {
    if (p && seen.insert(sys::AsciiLower(p->path)).second) out.push_back(*p);
  };
  add(DefaultOf(files, firefoxFolder, ini));
  for (const IniSection* p : ini.profiles) add(Resolve(files, firefoxFolder, p->at("path"), RelativeOf(*p), NameOf(*p)));
  return out;
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

std::vector<FirefoxProfileInfo> FirefoxProfiles(sys::Platform& platform) {
  sys::FileSystem& files = *platform.files;
  const std::string appData = sys::SpecialFolderPath(*platform.shell, 17);
  const std::string localAppData = sys::SpecialFolderPath(*platform.shell, 22);
  std::vector<FirefoxProfileInfo> out;
  if (appData.empty()) return out;
  struct Family {
    const char* browser;
    const char* folder;
  };
  for (const Family& f : {Family{"Firefox", "Mozilla\\Firefox\\"}, Family{"Waterfox", "Waterfox\\"},
                          Family{"LibreWolf", "LibreWolf\\"}}) {
    const std::string folder = appData + f.folder;
    if (!files.DirectoryExists(folder)) continue;
    const std::string localFolder = localAppData.empty() ? "" : localAppData + f.folder;
    std::vector<IniProfile> profiles = ProfilesFromIni(files, folder);
    if (profiles.empty()) {
      // Without profiles.ini: the one profile the older lookup finds.
      const std::string p = FindDefaultProfile(files, folder + "Profiles\\");
      if (!p.empty()) profiles.push_back({p, p.substr(folder.size()), p.substr(folder.size() + 9, p.size() - folder.size() - 10)});
    }
    for (const IniProfile& p : profiles) {
      FirefoxProfileInfo info;
      info.roaming = p.path;
      info.name = p.name;
      info.browser = f.browser;
      if (!p.relative.empty()) {
        info.base = folder;
        if (!PlainFolderBelow(files, folder, p.path))
          info.refused = "the profile " + p.path + " is reached through a link and is not cleaned.";
        const std::string local = localFolder.empty() ? "" : localFolder + p.relative;
        if (!local.empty() && PlainFolderBelow(files, localFolder, local)) info.local = local;
      } else {
        // Named by an absolute path: anyone who can write profiles.ini could
        // point it at another user's folder.
        info.base = UserProfileFolder(*platform.shell);
        info.refused = OutsideUserFolderReason(files, *platform.shell, p.path);
        info.local = p.path;
      }
      if (!info.refused.empty()) info.refused = std::string(f.browser) + ": " + info.refused;
      out.push_back(std::move(info));
    }
  }
  return out;
}

namespace {

// One profile's rows or files for the context's type.
void CollectProfile(EvidenceContext& c, const FirefoxProfileInfo& p) {
  sys::FileSystem& files = *c.platform().files;
  const int32_t type = c.typeNo();
  const std::string& folder = type == 407 ? p.local : p.roaming;
  if (folder.empty()) return;
  if (type == 407) {
    for (const char* cache : {"Cache", "cache2"}) {
      const std::string d = folder + cache;
      if (files.DirectoryExists(d)) CollectFileTree(c, d, "*.*");
    }
    return;
  }
  // Named only once something of it is listed: an empty profile says nothing.
  int32_t sourceIndex = -1;
  auto source = [&] {
    if (sourceIndex < 0)
      sourceIndex = c.AddSource({p.roaming, p.browser == "Firefox" ? p.name : p.browser + " " + p.name, p.browser, p.base});
    return sourceIndex;
  };
  auto read = [&](const char* file, const std::function<void(store::Connection&)>& work) {
    const std::string path = p.roaming + file;
    if (!PlainFile(files, path)) return;
    source();
    c.ShowHint("Scanning " + path);
    ReadUnlessHeld(p.browser, [&] {
      store::Connection db = OpenForReading(files, path);
      work(db);
    });
  };
  switch (type) {
    case 405:
      read("places.sqlite", [&](store::Connection& db) {
        if (!store::HasTable(db, "moz_historyvisits") || !store::HasTable(db, "moz_places")) return;
        // Read row by row: a heavy user's history runs to 100,000s of visits.
        store::ForEachRow(
            db, "SELECT b.id as id,b.title as title,b.url as url FROM moz_historyvisits a LEFT JOIN moz_places b WHERE (a.place_id = b.id)",
            [&](const store::RowView& row) {
              if (const auto id = ParseId(row.Text(0)))
                c.AddRow(sourceIndex, kBrowserRow, static_cast<uint64_t>(*id), row.Text(1), "visits", row.Text(2));
            });
        // Since Firefox 26 the download list lives here.
        if (!store::HasTable(db, "moz_annos") || !store::HasTable(db, "moz_anno_attributes")) return;
        store::ResultTable d = store::RunQuery(
            db,
            "SELECT a.id AS id, a.content AS target, p.url AS url FROM moz_annos a JOIN moz_anno_attributes n ON "
            "a.anno_attribute_id = n.id LEFT JOIN moz_places p ON p.id = a.place_id WHERE n.name = "
            "'downloads/destinationFileURI' ORDER BY a.id");
        for (; !d.AtEnd(); d.NextRow())
          if (const auto id = ParseId(d.ColumnByName("id")))
            c.AddRow(sourceIndex, kBrowserRow, static_cast<uint64_t>(*id), FileNameOfUri(d.ColumnByName("target")),
                     "annos", d.ColumnByName("url"));
      });
      read("downloads.sqlite", [&](store::Connection& db) {
        if (!store::HasTable(db, "moz_downloads")) return;
        store::ResultTable t = store::RunQuery(db, "SELECT id,name,target FROM moz_downloads");
        for (; !t.AtEnd(); t.NextRow())
          if (const auto id = ParseId(t.ColumnByName("id")))
            c.AddRow(sourceIndex, kBrowserRow, static_cast<uint64_t>(*id), t.ColumnByName("name"), "downloads",
                     t.ColumnByName("target"));
      });
      break;
    case 406:
      read("cookies.sqlite", [&](store::Connection& db) {
        if (!store::HasTable(db, "moz_cookies")) return;
        store::ForEachRow(db, "SELECT id,name,host FROM moz_cookies", [&](const store::RowView& row) {
          const std::string id = row.Text(0);
          // The value is a session credential: it is never shown.
          if (ParseId(id)) c.AddRow(sourceIndex, kBrowserRow, 0, CookieLabel(row.Text(1), row.Text(2)), id, "");
        });
      });
      break;
    case 433:
      read("formhistory.sqlite", [&](store::Connection& db) {
        if (!store::HasTable(db, "moz_formhistory")) return;
        store::ResultTable t = store::RunQuery(db, "SELECT id,fieldname,value FROM moz_formhistory ORDER BY id");
        for (; !t.AtEnd(); t.NextRow())
          if (const auto id = ParseId(t.ColumnByName("id")))
            c.AddRow(sourceIndex, kBrowserRow, static_cast<uint64_t>(*id), t.ColumnByName("fieldname"), "formhistory",
                     t.ColumnByName("value"));
      });
      break;
    case 434: {
      auto file = [&](const std::string& path) {
        sys::FileEntry e;
        if (!files.GetEntry(path, e) || e.IsFolder() || e.IsReparsePoint()) return;
        c.ShowHint("Scanning " + path);
        c.AddRow(source(), kFile, 0, path, "", sys::FormatSize(e.size));
      };
      file(p.roaming + "sessionstore.jsonlz4");
      const std::string backups = p.roaming + "sessionstore-backups";
      sys::FileEntry e;
      if (files.GetEntry(backups, e) && e.IsFolder() && !e.IsReparsePoint()) {
        std::vector<sys::FileEntry> entries;
        files.ListFolder(backups + "\\", entries);
        for (const sys::FileEntry& f : entries)
          if (!f.IsFolder() && !f.IsReparsePoint() && !c.Stopped()) file(backups + "\\" + f.name);
      }
      break;
    }
    default: break;
  }
}

}  // namespace

void CollectFirefoxType(EvidenceContext& c, const std::vector<FirefoxProfileInfo>& profiles) {
  std::vector<std::string> problems;
  for (const FirefoxProfileInfo& p : profiles) {
    if (c.Stopped()) break;
    if (!p.refused.empty()) {
      problems.push_back(p.refused);
      continue;
    }
    try {
      CollectProfile(c, p);
    } catch (const std::runtime_error& e) {
      problems.push_back(e.what());
    }
  }
  if (!problems.empty()) throw std::runtime_error(JoinProblems(problems));
}

bool SourceStillThere(sys::FileSystem& files, const EvidenceSource& source, std::string* problem) {
  if (PlainFolderBelow(files, source.base, source.folder)) return true;
  *problem = "the profile " + source.folder + " is no longer where the scan found it and is not cleaned.";
  return false;
}

bool BrowserHoldsProfile(sys::FileSystem& files, const EvidenceSource& source, std::string* problem) {
  const std::string places = source.folder + "places.sqlite";
  if (!PlainFile(files, places)) return false;
  std::string why;
  if (InTransaction(files, places, source.browser, [](store::Connection&) {}, &why)) return false;
  *problem = why;
  return true;
}

namespace {

using Items = std::vector<const TScanEvidence*>;

int32_t RemoveHistory(sys::FileSystem& files, const EvidenceSource& src, const Items& items, std::string* problem) {
  // A place goes only when every visit of it listed is selected: an
  // unticked visit keeps its place and all its visits.
  std::map<int64_t, std::pair<int32_t, bool>> places;  // id -> (items, all selected)
  std::vector<int64_t> downloads, annos;
  for (const TScanEvidence* item : items) {
    const int64_t id = static_cast<int64_t>(item->key);
    if (item->name == "visits") {
      auto& p = places.try_emplace(id, 0, true).first->second;
      ++p.first;
      p.second = p.second && item->selected;
    } else if (item->selected && item->name == "annos") {
      annos.push_back(id);
    } else if (item->selected && item->name == "downloads") {
      downloads.push_back(id);
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
  const std::string placesFile = src.folder + "places.sqlite";
  if ((!ids.empty() || !annos.empty()) && PlainFile(files, placesFile)) {
    int32_t done = 0;
    const bool ok = InTransaction(files, placesFile, src.browser, [&](store::Connection& db) {
      done = 0;
      if (!store::HasTable(db, "moz_historyvisits") || !store::HasTable(db, "moz_places")) return;
      const bool foreignCount = HasColumn(db, "moz_places", "foreign_count");
      // A place that a bookmark or keyword points to stays, without its visits.
      auto unreferenced = [&](const std::string& list) {
        std::string s = "id in (" + list + ")";
        if (foreignCount) {
          s += " and foreign_count = 0";
        } else {
          if (store::HasTable(db, "moz_bookmarks"))
            s += " and id not in (select fk from moz_bookmarks where fk is not null)";
          if (store::HasTable(db, "moz_keywords") && HasColumn(db, "moz_keywords", "place_id"))
            s += " and id not in (select place_id from moz_keywords where place_id is not null)";
        }
        return s;
      };
      if (!annos.empty() && store::HasTable(db, "moz_annos") && store::HasTable(db, "moz_anno_attributes")) {
        // A download is its place's download annotations and download visits.
        const std::string a = IdList(annos);
        std::vector<int64_t> downloadPlaces;
        store::ResultTable t =
            store::RunQuery(db, "SELECT DISTINCT place_id FROM moz_annos WHERE id in (" + a + ")");
        for (; !t.AtEnd(); t.NextRow())
          if (auto id = ParseId(t.ColumnText(0))) downloadPlaces.push_back(*id);
        if (!downloadPlaces.empty()) {
          const std::string dp = IdList(downloadPlaces);
          store::RunStatement(db,
                              "delete from moz_annos where place_id in (" + dp +
                                  ") and anno_attribute_id in (select id from moz_anno_attributes where name in "
                                  "('downloads/destinationFileURI','downloads/metaData'))");
          if (HasColumn(db, "moz_historyvisits", "visit_type"))
            store::RunStatement(db, "delete from moz_historyvisits where visit_type = 7 and place_id in (" + dp + ")");
          // A page that was only downloaded goes with its download.
          store::RunStatement(db, "delete from moz_places where " + unreferenced(dp) +
                                      " and id not in (select place_id from moz_historyvisits) and id not in (select "
                                      "place_id from moz_annos)");
        }
        done += static_cast<int32_t>(annos.size());
      }
      if (!ids.empty()) {
        const std::string h = IdList(ids);
        store::RunStatement(db, "delete from moz_historyvisits where place_id in (" + h + ")");
        for (const char* table : {"moz_inputhistory", "moz_places_metadata"})
          if (store::HasTable(db, table) && HasColumn(db, table, "place_id"))
            store::RunStatement(db, std::string("delete from ") + table + " where place_id in (" + h + ")");
        store::RunStatement(db, "delete from moz_places where " + unreferenced(h) +
                                    (store::HasTable(db, "moz_annos")
                                         ? " and id not in (select place_id from moz_annos)"
                                         : ""));
        if (HasColumn(db, "moz_places", "visit_count") && HasColumn(db, "moz_places", "last_visit_date"))
          store::RunStatement(db, "update moz_places set visit_count = 0, last_visit_date = NULL where id in (" + h + ")");
        done += historyItems;
      }
    }, problem);
    if (!ok) return 0;
    cleaned += done;
  }
  const std::string downloadsFile = src.folder + "downloads.sqlite";
  if (!downloads.empty() && PlainFile(files, downloadsFile)) {
    bool ran = false;
    const bool ok = InTransaction(files, downloadsFile, src.browser, [&](store::Connection& db) {
      if (!store::HasTable(db, "moz_downloads")) return;
      store::RunStatement(db, "delete from moz_downloads where id in (" + IdList(downloads) + ")");
      ran = true;
    }, problem);
    if (ok && ran) cleaned += static_cast<int32_t>(downloads.size());
  }
  return cleaned;
}

// Rows of one table by id: cookies (ids in the name field) and form history.
int32_t RemoveById(sys::FileSystem& files, const EvidenceSource& src, const Items& items, const char* file,
                   const char* table, bool idInName, std::string* problem) {
  std::vector<int64_t> ids;
  for (const TScanEvidence* item : items) {
    if (!item->selected) continue;
    if (!idInName) ids.push_back(static_cast<int64_t>(item->key));
    else if (auto id = ParseId(item->name)) ids.push_back(*id);
  }
  const std::string path = src.folder + file;
  if (ids.empty() || !PlainFile(files, path)) return 0;
  bool ran = false;
  const bool ok = InTransaction(files, path, src.browser, [&](store::Connection& db) {
    if (!store::HasTable(db, table)) return;
    const std::string list = IdList(ids);
    if (std::string(table) == "moz_formhistory" && store::HasTable(db, "moz_history_to_sources") &&
        HasColumn(db, "moz_history_to_sources", "history_id"))
      store::RunStatement(db, "delete from moz_history_to_sources where history_id in (" + list + ")");
    store::RunStatement(db, std::string("delete from ") + table + " where id in (" + list + ")");
    ran = true;
  }, problem);
  return ok && ran ? static_cast<int32_t>(ids.size()) : 0;
}

}  // namespace

int32_t RemoveFirefoxRows(sys::FileSystem& files, TSearchEvidence& record) {
  std::map<int32_t, Items> bySource;
  for (const TScanEvidence& item : record.items)
    if (item.kind == kBrowserRow && item.source >= 0 && static_cast<size_t>(item.source) < record.sources.size())
      bySource[item.source].push_back(&item);
  int32_t cleaned = 0;
  std::vector<std::string> problems;
  for (const auto& [index, items] : bySource) {
    const EvidenceSource& src = record.sources[static_cast<size_t>(index)];
    std::string problem;
    bool any = false;
    for (const TScanEvidence* i : items) any = any || i->selected;
    if (!any) continue;
    if (!SourceStillThere(files, src, &problem)) {
      problems.push_back(problem);
      continue;
    }
    if (record.typeNo == 405) cleaned += RemoveHistory(files, src, items, &problem);
    else if (record.typeNo == 406) cleaned += RemoveById(files, src, items, "cookies.sqlite", "moz_cookies", true, &problem);
    else if (record.typeNo == 433)
      cleaned += RemoveById(files, src, items, "formhistory.sqlite", "moz_formhistory", false, &problem);
    if (!problem.empty()) problems.push_back(problem);
  }
  record.notCleaned = JoinProblems(problems);
  return cleaned;
}

}  // namespace vl::evidence
