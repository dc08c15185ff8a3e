// The browser types at the size of a heavy user's profiles: a Firefox
// profile of 200,000 visits and 50,000 cookies and a Chromium-family
// (Edge) profile of 200,000 URLs, on the simulated machine (its drive C: is
// a temporary folder). Prints, per type, the scan against the bare SQL that
// reads the same rows, the removal of every row against the bare SQL that
// deletes them in one transaction, and the memory each listed item takes.
// Never fails on time.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "store/database.h"
#include "sysaccess/sim/sim_platform.h"

namespace {

using vl::evidence::TScanEvidence;
using vl::evidence::TSearchEvidence;
using vl::evidence::testing::RecordingContext;
using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& f) {
  const auto t0 = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "?");
    sqlite3_free(error);
    std::exit(1);
  }
}

sqlite3* Open(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) std::exit(1);
  return db;
}

// Reads every row of the query, every column as text: what a scan must do at least.
size_t BareRead(const std::string& path, const std::string& sql) {
  sqlite3* db = Open(path);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  size_t bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const unsigned char* t = sqlite3_column_text(st, i);
      bytes += t ? static_cast<size_t>(sqlite3_column_bytes(st, i)) : 0;
    }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return bytes;
}

void BareDelete(const std::string& path, const std::vector<std::string>& statements) {
  sqlite3* db = Open(path);
  Exec(db, "BEGIN IMMEDIATE");
  for (const std::string& s : statements) Exec(db, s);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

double ItemBytes(const TSearchEvidence& r) {
  size_t bytes = r.items.capacity() * sizeof(TScanEvidence);
  for (const TScanEvidence& i : r.items)
    for (const std::string* s : {&i.path, &i.name, &i.value})
      if (s->capacity() > 15) bytes += s->capacity() + 1;  // beyond the in-place buffer
  return r.items.empty() ? 0 : static_cast<double>(bytes) / static_cast<double>(r.items.size());
}

struct Case {
  const char* label;
  int type;
  std::string file;         // the database, as a host path
  std::string bareQuery;    // what the scan reads
  std::vector<std::string> bareDelete;
};

void Run(vl::sys::SimPlatform& sim, const Case& c) {
  const std::string copy = c.file + ".bench";
  std::filesystem::copy_file(c.file, copy, std::filesystem::copy_options::overwrite_existing);
  // Scans: best of three, each against the bare read of the same run.
  double scan = 1e9, bare = 1e9;
  std::unique_ptr<TSearchEvidence> record;
  for (int round = 0; round < 3; ++round) {
    bare = std::min(bare, Seconds([&] { BareRead(c.file, c.bareQuery); }));
    auto r = std::make_unique<TSearchEvidence>(c.type, c.label);
    scan = std::min(scan, Seconds([&] {
      RecordingContext ctx(sim.platform(), c.type);
      vl::evidence::CollectType(ctx);
      ctx.MoveInto(*r);
    }));
    record = std::move(r);
  }
  std::printf("  %-28s %7zu items  scan %6.3f s, bare read %6.3f s: %4.2fx %s\n", c.label, record->items.size(), scan,
              bare, bare > 0 ? scan / bare : 0, scan <= 2 * bare ? "(within 2x)" : "(MORE than 2x)");
  std::printf("  %-28s memory per listed item %.0f bytes %s\n", "", ItemBytes(*record),
              ItemBytes(*record) <= 300 ? "(within 300)" : "(MORE than 300)");
  // Removal of every item, against the bare deletes on a copy of the same file.
  const double bareDel = Seconds([&] { BareDelete(copy, c.bareDelete); });
  RecordingContext removal(sim.platform(), 0);
  const double del = Seconds([&] { vl::evidence::RemoveEvidence(removal, {record.get()}); });
  std::printf("  %-28s removal %6.3f s (%d cleaned), bare delete %6.3f s: %4.2fx %s\n", "", del,
              record->cleanedCount.load(), bareDel, bareDel > 0 ? del / bareDel : 0,
              del <= 2 * bareDel ? "(within 2x)" : "(MORE than 2x)");
  if (!record->notCleaned.empty()) std::printf("  not cleaned: %s\n", record->notCleaned.c_str());
  std::filesystem::remove(copy);
}

}  // namespace

int main(int argc, char** argv) {
  const int visits = argc > 1 ? std::atoi(argv[1]) : 200000;
  const int cookies = argc > 2 ? std::atoi(argv[2]) : 50000;
  const int urls = argc > 3 ? std::atoi(argv[3]) : 200000;
  vl::sys::SimPlatform sim;
  auto& files = sim.files();
  const std::string ff = "C:\\Users\\Tester\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\bench.default\\";
  const std::string edge = "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Edge\\User Data\\Default\\";
  files.CreateFolder(ff);
  files.CreateFolder(edge + "Network");
  files.WriteFileBytes(edge + "Preferences", "{}");
  const std::string places = files.NativePath(ff + "places.sqlite");
  const std::string jar = files.NativePath(ff + "cookies.sqlite");
  const std::string history = files.NativePath(edge + "History");
  std::printf("making the profiles: %d visits, %d cookies, %d URLs\n", visits, cookies, urls);
  {
    sqlite3* db = Open(places);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER "
             "DEFAULT 0, last_visit_date INTEGER, foreign_count INTEGER DEFAULT 0 NOT NULL)");
    Exec(db, "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date "
             "INTEGER, visit_type INTEGER)");
    Exec(db, "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date)");
    Exec(db, "BEGIN");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < " + std::to_string(visits / 2) +
                 ") INSERT INTO moz_places (id,url,title,visit_count) SELECT i, 'https://site' || (i % 5000) || "
                 "'.example/page/' || i, 'Page number ' || i, 2 FROM n");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < " + std::to_string(visits) +
                 ") INSERT INTO moz_historyvisits (id,place_id,visit_date,visit_type) SELECT i, (i+1)/2, i, 1 FROM n");
    Exec(db, "COMMIT");
    sqlite3_close(db);
    db = Open(jar);
    Exec(db, "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, path TEXT)");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < " + std::to_string(cookies) +
                 ") INSERT INTO moz_cookies SELECT i, 'cookie' || i, hex(randomblob(16)), '.site' || (i % 5000) || "
                 "'.example', '/' FROM n");
    sqlite3_close(db);
    db = Open(history);
    Exec(db, "CREATE TABLE urls (id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, visit_count "
             "INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden "
             "INTEGER DEFAULT 0 NOT NULL)");
    Exec(db, "CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER NOT NULL, visit_time INTEGER NOT NULL)");
    Exec(db, "CREATE INDEX visits_url_index ON visits (url)");
    Exec(db, "BEGIN");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < " + std::to_string(urls) +
                 ") INSERT INTO urls (id,url,title,visit_count,last_visit_time) SELECT i, 'https://site' || (i % 5000) || "
                 "'.example/page/' || i, 'Page number ' || i, 1, 13300000000000000 + i FROM n");
    Exec(db, "INSERT INTO visits (url, visit_time) SELECT id, last_visit_time FROM urls");
    Exec(db, "COMMIT");
    sqlite3_close(db);
  }
  const std::vector<Case> cases = {
      {"Firefox History (405)", 405, places,
       "SELECT b.id as id,b.title as title,b.url as url FROM moz_historyvisits a LEFT JOIN moz_places b WHERE (a.place_id "
       "= b.id)",
       {"DELETE FROM moz_historyvisits", "DELETE FROM moz_places WHERE foreign_count = 0"}},
      {"Firefox Cookies (406)", 406, jar, "SELECT id,name,host FROM moz_cookies", {"DELETE FROM moz_cookies"}},
      {"Microsoft Edge History (415)", 415, history,
       "SELECT id, url, title, visit_count, last_visit_time FROM urls ORDER BY id",
       {"DELETE FROM visits", "DELETE FROM urls"}},
  };
  for (const Case& c : cases) Run(sim, c);
  return 0;
}
