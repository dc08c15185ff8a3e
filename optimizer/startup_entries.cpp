// StartupStore: the two Run keys, the two Startup folders, data.db and
// backup\lnk\.
#include "optimizer/startup_entries.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "app/clock.h"
#include "app/db_access.h"
#include "backup/backup_folders.h"
#include "store/database.h"
#include "sysaccess/error_text.h"
#include "sysaccess/shortcut.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"

namespace vl::optimizer {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

constexpr int kCsidlStartup = 7;
constexpr int kCsidlCommonStartup = 24;

sys::RegRoot RunRoot(int16_t stype) { return stype == kUserRun ? sys::kHKCU : sys::kHKLM; }
bool IsRun(int16_t stype) { return stype == kUserRun || stype == kMachineRun; }

bool IsShortcutName(const std::string& name) {
  return name.size() >= 4 && sys::AsciiLower(name.substr(name.size() - 4)) == ".lnk";
}

// The next identity: the clock in milliseconds, past every identity in use
// (rows of older versions hold day numbers, far below).
int64_t NextId(store::Connection& c, const std::vector<TStartup>& removed) {
  int64_t id = NowMillis();
  store::ResultTable t = store::RunQuery(c, "select max(sid) as top from startup");
  if (!t.AtEnd()) {
    const std::string top = t.ColumnByName("top");
    if (!top.empty()) id = std::max<int64_t>(id, std::strtoll(top.c_str(), nullptr, 10) + 1);
  }
  for (const TStartup& e : removed) id = std::max<int64_t>(id, e.sid + 1);
  return id;
}

// The Run value's exact name.
std::string ValueNameOf(const TStartup& e, bool knowsUnnamed) {
  if (knowsUnnamed) return e.unnamed ? "" : e.sname;
  // Older rows: "(Default)" stood for the unnamed value.
  return sys::EffectiveValueName(e.sname);
}

std::string HexText(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
  }
  return out;
}

bool FromHex(const std::string& text, std::string* out) {
  if (text.size() % 2 != 0) return false;
  out->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    auto digit = [](char c) {
      return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    const int hi = digit(text[i]), lo = digit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

// The columns that keep a Run value exact, added to tables of older
// versions (which read only their own columns and go on working).
const char* const kValueColumns[][2] = {{"svtype", "integer"}, {"sdata", "text"}, {"sunnamed", "integer"}};

bool HasValueColumns(store::Connection& c) {
  store::ResultTable t = store::RunQuery(c, "select * from startup limit 0");
  int found = 0;
  for (const std::string& col : t.ColumnNames())
    for (const auto& v : kValueColumns)
      if (sys::AsciiLower(col) == v[0]) ++found;
  return found == 3;
}

void AddValueColumns(store::Connection& c) {
  store::ResultTable t = store::RunQuery(c, "select * from startup limit 0");
  for (const auto& v : kValueColumns) {
    bool there = false;
    for (const std::string& col : t.ColumnNames()) there = there || sys::AsciiLower(col) == v[0];
    if (!there) store::RunStatement(c, std::string("alter table startup add column ") + v[0] + " " + v[1]);
  }
}

// The value's type and bytes; false when it cannot be read.
bool ReadRaw(sys::RegistryApi& api, sys::RegRoot root, const std::string& name, uint32_t access, sys::RegData* d) {
  sys::ScopedKey k(api, root, kRunKey, access);
  if (!k.ok()) return false;
  long rc = api.QueryValue(k.get(), name, 0, d);
  if (rc == sys::kErrSuccess || rc == sys::kErrMoreData) rc = api.QueryValue(k.get(), name, d->size + 2, d);
  return rc == sys::kErrSuccess;
}

}  // namespace

StartupStore::StartupStore(sys::Platform& platform, uint32_t access, std::string dbPath)
    : platform_(platform), access_(access), dbPath_(std::move(dbPath)) {}

std::string StartupStore::StartupFolder(int16_t stype) {
  std::string folder = platform_.shell->FolderByCsidl(stype == kUserFolder ? kCsidlStartup : kCsidlCommonStartup);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string StartupStore::LnkFolder() const { return platform_.appDir + backup::kLnkFolder; }

std::vector<TStartup> StartupStore::LoadActive() {
  std::vector<TStartup> list;
  sys::Registry reg(*platform_.registry);
  for (int16_t stype : {kUserRun, kMachineRun}) {
    std::vector<std::string> names;
    reg.EnumValueNamesExact(names, RunRoot(stype), kRunKey, access_);
    for (const std::string& name : names) {
      TStartup e;
      e.sname = sys::ShownValueName(name);
      e.unnamed = name.empty();
      e.stype = stype;
      e.spath = reg.ReadStringExact(RunRoot(stype), kRunKey, name, access_);
      sys::RegData d;
      if (ReadRaw(*platform_.registry, RunRoot(stype), name, access_, &d)) {
        e.exact = true;
        e.vtype = d.type;
        e.vdata = d.bytes;
      }
      list.push_back(std::move(e));
    }
  }
  sys::FileSystem& files = *platform_.files;
  for (int16_t stype : {kUserFolder, kCommonFolder}) {
    const std::string folder = StartupFolder(stype);
    std::vector<sys::FileEntry> entries;
    if (folder.empty() || !files.ListFolder(folder, entries)) continue;
    for (const sys::FileEntry& f : entries) {
      if (f.IsFolder() || !IsShortcutName(f.name)) continue;
      TStartup e;
      e.sname = f.name;
      e.stype = stype;
      e.spath = sys::ShortcutTarget(files, *platform_.shell, folder + f.name);
      list.push_back(std::move(e));
    }
  }
  return list;
}

std::vector<TStartup> StartupStore::LoadRemoved() {
  std::vector<TStartup> list;
  WithDatabase(*platform_.files, dbPath_, {"startup"}, [&](store::Connection& c) {
    const bool exact = HasValueColumns(c);
    store::ResultTable t = store::RunQuery(
        c, exact ? "SELECT sid,sname,spath,stype,svtype,sdata,sunnamed FROM startup order by sdate desc"
                 : "SELECT sid,sname,spath,stype FROM startup order by sdate desc");
    for (; !t.AtEnd(); t.NextRow()) {
      TStartup e;
      e.sid = std::strtoll(t.ColumnByName("sid").c_str(), nullptr, 10);
      e.sname = t.ColumnByName("sname");
      e.spath = t.ColumnByName("spath");
      e.stype = static_cast<int16_t>(std::strtol(t.ColumnByName("stype").c_str(), nullptr, 10));
      if (exact && IsRun(e.stype)) {
        const std::string type = t.ColumnByName("svtype");
        std::string bytes;
        if (!type.empty() && FromHex(t.ColumnByName("sdata"), &bytes)) {
          e.exact = true;
          e.vtype = static_cast<uint32_t>(std::strtoul(type.c_str(), nullptr, 10));
          e.vdata = std::move(bytes);
          e.unnamed = t.ColumnByName("sunnamed") == "1";
        }
      }
      list.push_back(std::move(e));
    }
  });
  return list;
}

namespace {

std::string MoveProblem(uint32_t rc, const char* whereTaken) {
  if (rc == sys::err::kAlreadyExists || rc == sys::err::kFileExists)
    return std::string(whereTaken) + " already holds a file of that name";
  return "the shortcut could not be moved: " + sys::SystemErrorText(static_cast<long>(rc));
}

}  // namespace

void StartupStore::Remove(std::vector<TStartup>& active, std::vector<TStartup>& removed,
                          std::vector<std::string>& problems) {
  if (std::none_of(active.begin(), active.end(), [](const TStartup& e) { return e.ticked; })) return;
  sys::FileSystem& files = *platform_.files;
  sys::Registry reg(*platform_.registry);
  // Empty when the entry is gone from where Windows starts it.
  auto take = [&](const TStartup& e) -> std::string {
    if (IsRun(e.stype)) {
      // Exact names: removing a value named "(Default)" leaves the unnamed one.
      const long rc = reg.RemoveValue(RunRoot(e.stype), kRunKey, e.unnamed ? "" : e.sname, access_);
      return rc == sys::kErrSuccess ? "" : "the registry refused to delete the value: " + sys::SystemErrorText(rc);
    }
    const std::string folder = StartupFolder(e.stype);
    if (folder.empty()) return "the Startup folder could not be found";
    if (!files.CreateFolder(LnkFolder())) return "the folder backup\\lnk\\ could not be made";
    const uint32_t rc = files.MoveFileTo(folder + e.sname, LnkFolder() + e.sname);
    return rc == 0 ? "" : MoveProblem(rc, "backup\\lnk\\");
  };
  const bool recorded = WithDatabase(files, dbPath_, {"startup"}, [&](store::Connection& c) {
    AddValueColumns(c);
    int64_t next = NextId(c, removed);
    for (size_t i = active.size(); i-- > 0;) {
      if (!active[i].ticked) continue;
      TStartup r = active[i];
      r.sid = next;
      r.ticked = false;
      // Recorded first: a removal the table does not hold could not be undone.
      try {
        if (IsRun(r.stype) && !r.exact)
          throw store::DbError("the value could not be read");
        if (IsRun(r.stype))
          store::RunStatement(
              c, "insert into startup (sid,sname,spath,stype,sdate,svtype,sdata,sunnamed) values (?,?,?,?,?,?,?,?)",
              {r.sid, r.sname, r.spath, static_cast<int64_t>(r.stype), NowDateTimeText(),
               static_cast<int64_t>(r.vtype), HexText(r.vdata), static_cast<int64_t>(r.unnamed ? 1 : 0)});
        else
          store::RunStatement(c, "insert into startup (sid,sname,spath,stype,sdate) values (?,?,?,?,?)",
                              {r.sid, r.sname, r.spath, static_cast<int64_t>(r.stype), NowDateTimeText()});
      } catch (const store::DbError& e) {
        problems.push_back(r.sname + ": it could not be recorded, so it was not removed (" + e.what() + ")");
        continue;
      }
      const std::string why = take(r);
      if (!why.empty()) {
        store::RunStatement(c, "delete from startup where sid=?", {r.sid});
        problems.push_back(r.sname + ": " + why);
        continue;
      }
      ++next;
      removed.push_back(std::move(r));
      active.erase(active.begin() + static_cast<long>(i));
    }
  });
  if (!recorded)
    for (size_t i = active.size(); i-- > 0;)
      if (active[i].ticked)
        problems.push_back(active[i].sname +
                           ": the removal could not be recorded (data.db or its table is missing), so it was not "
                           "removed");
}

void StartupStore::Restore(std::vector<TStartup>& active, std::vector<TStartup>& removed,
                           std::vector<std::string>& problems) {
  sys::FileSystem& files = *platform_.files;
  sys::Registry reg(*platform_.registry);
  std::map<int64_t, int> uses;
  for (const TStartup& e : removed) ++uses[e.sid];
  // Empty when the entry starts with Windows again.
  auto putBack = [&](const TStartup& e) -> std::string {
    if (IsRun(e.stype)) {
      const bool exact = e.exact;
      const std::string name = ValueNameOf(e, exact);
      const uint32_t type = exact ? e.vtype : sys::kRegSz;
      const std::string bytes = exact ? e.vdata : sys::Utf8ToUtf16Bytes(e.spath) + std::string(2, '\0');
      long rc;
      {
        sys::ScopedKey k(*platform_.registry, RunRoot(e.stype), kRunKey, access_);
        rc = k.ok() ? platform_.registry->SetValue(k.get(), name, type, bytes) : k.status();
      }
      if (rc != sys::kErrSuccess) return "the registry refused to write the value: " + sys::SystemErrorText(rc);
      // Only what reads back as written counts as restored.
      sys::RegData d;
      if (!ReadRaw(*platform_.registry, RunRoot(e.stype), name, access_, &d) || d.type != type || d.bytes != bytes)
        return "the value did not come back as it was written";
      return "";
    }
    const std::string folder = StartupFolder(e.stype);
    if (folder.empty()) return "the Startup folder could not be found";
    const std::string copy = LnkFolder() + e.sname, to = folder + e.sname;
    if (!files.FileExists(copy)) {
      // Back already (moved by hand, or the removal was cut short).
      if (files.FileExists(to)) return "";
      return "its copy in backup\\lnk\\ is missing";
    }
    if (!e.spath.empty()) {
      sys::ScopedFsRedirectionOff off(*platform_.system);
      if (!files.FileExists(e.spath) && !files.DirectoryExists(e.spath))
        return "the program it starts no longer exists (" + e.spath + ")";
    }
    files.CreateFolder(folder);
    const uint32_t rc = files.MoveFileTo(copy, to);
    return rc == 0 ? "" : MoveProblem(rc, "the Startup folder");
  };
  std::vector<TStartup> back;
  for (size_t i = removed.size(); i-- > 0;) {
    if (!removed[i].ticked) continue;
    const std::string why = putBack(removed[i]);
    if (!why.empty()) {
      problems.push_back(removed[i].sname + ": " + why);
      continue;
    }
    TStartup a = removed[i];
    a.sid = 0;
    a.ticked = false;
    active.push_back(std::move(a));
    back.push_back(removed[i]);
    removed.erase(removed.begin() + static_cast<long>(i));
  }
  if (back.empty()) return;
  WithDatabase(files, dbPath_, {"startup"}, [&](store::Connection& c) {
    std::string plain;
    for (const TStartup& e : back) {
      if (uses[e.sid] <= 1) {
        plain += (plain.empty() ? "" : ",") + std::to_string(e.sid);
        continue;
      }
      // Old rows may share a day-number identity: only this entry's row goes.
      store::RunStatement(c,
                          "delete from startup where rowid in (select rowid from startup where sid=? and sname=? "
                          "and spath=? and stype=? limit 1)",
                          {e.sid, e.sname, e.spath, static_cast<int64_t>(e.stype)});
    }
    if (!plain.empty()) store::RunStatement(c, "delete from startup where sid in (" + plain + ")");
  });
}

}  // namespace vl::optimizer
