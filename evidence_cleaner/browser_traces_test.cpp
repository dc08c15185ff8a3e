// Firefox's profile lookup and its history, download and cookie rows,
// against real SQLite files made by the test.
#include "evidence_cleaner/browser_traces.h"

#include <gmock/gmock.h>

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "sysaccess/sim/sim_platform.h"
#include "store/database.h"

namespace vl::evidence::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kAppData = "C:\\Users\\Tester\\AppData\\Roaming\\";
const std::string kFirefox = kAppData + "Mozilla\\Firefox\\";
const std::string kProfile = kFirefox + "Profiles\\k3x9.default-release\\";

class FirefoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.files().CreateFolder(kProfile);
    Put(kFirefox + "profiles.ini",
        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/k3x9.default-release\r\nLocked=1\r\n\r\n"
        "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/old.default\r\nDefault=1\r\n\r\n"
        "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/k3x9.default-release\r\n");
    sim.files().CreateFolder(kFirefox + "Profiles\\old.default");
  }
  void Put(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(sim.files().WriteFileBytes(path, text));
  }
  std::string Native(const std::string& path) { return sim.files().NativePath(path); }
  void Sql(const std::string& file, std::initializer_list<const char*> statements) {
    store::Connection db = store::OpenDatabase(Native(file));
    for (const char* s : statements) store::RunStatement(db, s);
  }
  // Today's schema: places with foreign_count, visits, bookmarks.
  void Places(bool foreignCount = true) {
    if (foreignCount)
      Sql(kProfile + "places.sqlite",
          {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count "
           "INTEGER DEFAULT 0, last_visit_date INTEGER, foreign_count INTEGER DEFAULT 0 NOT NULL)"});
    else
      Sql(kProfile + "places.sqlite", {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
                                       "LONGVARCHAR, visit_count INTEGER DEFAULT 0, last_visit_date INTEGER)"});
    Sql(kProfile + "places.sqlite",
        {"CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER)",
         "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, title LONGVARCHAR)"});
    {
      // As Firefox keeps it.
      store::Connection wal = store::OpenDatabase(Native(kProfile + "places.sqlite"));
      store::RunQuery(wal, "PRAGMA journal_mode=WAL");
    }
    std::string fc = foreignCount ? ",foreign_count" : "";
    store::Connection db = store::OpenDatabase(Native(kProfile + "places.sqlite"));
    store::RunStatement(db, "INSERT INTO moz_places (id,url,title,visit_count,last_visit_date" + fc +
                                ") VALUES (12,'http://127.0.0.1/it''s','Grüße ☃',2,5" + (foreignCount ? ",1" : "") + ")");
    store::RunStatement(db, "INSERT INTO moz_places (id,url,title,visit_count,last_visit_date) VALUES "
                            "(15,'http://127.0.0.1/b','B',1,6)");
    store::RunStatement(db, "INSERT INTO moz_places (id,url,title,visit_count,last_visit_date) VALUES "
                            "(16,'http://127.0.0.1/c','C',1,7)");
    store::RunStatement(db, "INSERT INTO moz_historyvisits (id,place_id) VALUES (1,12),(2,15),(3,12),(4,16)");
    store::RunStatement(db, "INSERT INTO moz_bookmarks (id,type,fk,title) VALUES (100,1,12,'mark')");
  }
  int64_t Count(const std::string& file, const std::string& sql) {
    store::Connection db = store::OpenDatabaseReadOnly(Native(file));
    return std::stoll(store::RunQuery(db, sql).ColumnText(0));
  }
  std::unique_ptr<RecordingContext> Scan(int type) {
    auto ctx = std::make_unique<RecordingContext>(sim.platform(), type);
    CollectType(*ctx);
    return ctx;
  }
  std::unique_ptr<TSearchEvidence> Record(int type, const RecordingContext& ctx) {
    auto r = std::make_unique<TSearchEvidence>(type, "x");
    r->items = ctx.items;
    r->sources = ctx.sources;
    r->itemCount = static_cast<int32_t>(ctx.items.size());
    return r;
  }

  sys::SimPlatform sim;
};

TEST_F(FirefoxTest, TheInstallsDefaultProfileWinsOverTheLegacyDefaultOne) {
  EXPECT_EQ(FirefoxProfile(sim.files(), kAppData), kProfile);
  // The cache lies below the local folder, at the same relative path.
  const std::string local = "C:\\Users\\Tester\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\";
  sim.files().CreateFolder(local);
  EXPECT_EQ(FirefoxLocalProfile(sim.files(), kAppData, "C:\\Users\\Tester\\AppData\\Local\\"), local);
}

TEST_F(FirefoxTest, WithoutProfilesIniTheFirstDefaultFolderIsTaken) {
  sim.files().RemoveFile(kFirefox + "profiles.ini");
  sim.files().CreateFolder(kFirefox + "Profiles\\second.default");
  const std::string found = FirefoxProfile(sim.files(), kAppData);
  EXPECT_EQ(found, FindDefaultProfile(sim.files(), kFirefox + "Profiles\\"));
  EXPECT_THAT(found, ::testing::EndsWith(".default\\"));
}

TEST_F(FirefoxTest, AProfilePathLeavingTheFirefoxFolderIsRefused) {
  Put(kFirefox + "profiles.ini", "[Profile0]\r\nIsRelative=1\r\nPath=..\\..\\Elsewhere\r\nDefault=1\r\n");
  EXPECT_EQ(FirefoxProfile(sim.files(), kAppData), kFirefox + "Profiles\\old.default\\");
}

TEST_F(FirefoxTest, OneItemPerVisitReadWithoutChangingOrCreatingFiles) {
  Places();
  std::string before;
  sim.files().ReadFileBytes(kProfile + "places.sqlite", before);
  auto ctx = Scan(405);
  ASSERT_EQ(ctx->items.size(), 4u);
  int visitsOf12 = 0;
  for (const auto& i : ctx->items) {
    EXPECT_EQ(i.kind, kBrowserRow);
    EXPECT_EQ(i.name, "visits");
    if (i.key == 12) {
      ++visitsOf12;
      EXPECT_EQ(i.path, "Grüße ☃");
      EXPECT_EQ(i.value, "http://127.0.0.1/it's");
    }
  }
  EXPECT_EQ(visitsOf12, 2);
  std::string after;
  sim.files().ReadFileBytes(kProfile + "places.sqlite", after);
  EXPECT_EQ(before, after);
  EXPECT_FALSE(sim.files().FileExists(kProfile + "downloads.sqlite"));
  EXPECT_FALSE(sim.files().FileExists(kProfile + "cookies.sqlite"));
}

TEST_F(FirefoxTest, CleaningHistoryKeepsBookmarkedPlacesAndWhatWasUnticked) {
  Places();
  auto ctx = Scan(405);
  auto record = Record(405, *ctx);
  TSearchEvidence& r = *record;
  // One of the two visits of place 16 is all it has; untick it.
  for (auto& i : r.items)
    if (i.key == 16) i.selected = false;
  EXPECT_EQ(RemoveFirefoxRows(sim.files(), r), 3);
  EXPECT_TRUE(r.notCleaned.empty());
  const std::string f = kProfile + "places.sqlite";
  EXPECT_EQ(Count(f, "select count(*) from moz_historyvisits where place_id in (12,15)"), 0);
  EXPECT_EQ(Count(f, "select count(*) from moz_historyvisits where place_id=16"), 1);
  // The bookmark still leads to its page.
  EXPECT_EQ(Count(f, "select count(*) from moz_places p join moz_bookmarks b on b.fk=p.id where p.id=12"), 1);
  EXPECT_EQ(Count(f, "select visit_count from moz_places where id=12"), 0);
  EXPECT_EQ(Count(f, "select count(*) from moz_places where id=15"), 0);
  EXPECT_EQ(Count(f, "select count(*) from moz_places where id=16"), 1);
  store::Connection check = store::OpenDatabaseReadOnly(Native(f));
  EXPECT_EQ(store::RunQuery(check, "PRAGMA integrity_check").ColumnText(0), "ok");
}

TEST_F(FirefoxTest, AnOlderSchemaKeepsPlacesThatABookmarkPointsTo) {
  Places(false);
  auto ctx = Scan(405);
  auto record = Record(405, *ctx);
  TSearchEvidence& r = *record;
  EXPECT_EQ(RemoveFirefoxRows(sim.files(), r), 4);
  const std::string f = kProfile + "places.sqlite";
  EXPECT_EQ(Count(f, "select count(*) from moz_historyvisits"), 0);
  EXPECT_EQ(Count(f, "select count(*) from moz_places"), 1);
  EXPECT_EQ(Count(f, "select id from moz_places"), 12);
}

TEST_F(FirefoxTest, DownloadsAreReadAndRemovedFromTheirOwnFile) {
  Sql(kProfile + "downloads.sqlite",
      {"CREATE TABLE moz_downloads (id INTEGER PRIMARY KEY, name TEXT, target TEXT)",
       "INSERT INTO moz_downloads VALUES (7,'setup.exe','file:///C:/Users/Tester/Downloads/setup.exe')",
       "INSERT INTO moz_downloads VALUES (8,'b.zip','file:///C:/b.zip')"});
  auto ctx = Scan(405);
  ASSERT_EQ(ctx->items.size(), 2u);
  EXPECT_EQ(ctx->items[0].name, "downloads");
  EXPECT_EQ(ctx->items[0].key, 7u);
  EXPECT_EQ(ctx->items[0].path, "setup.exe");
  auto record = Record(405, *ctx);
  TSearchEvidence& r = *record;
  r.items[1].selected = false;
  EXPECT_EQ(RemoveFirefoxRows(sim.files(), r), 1);
  EXPECT_EQ(Count(kProfile + "downloads.sqlite", "select id from moz_downloads"), 8);
  EXPECT_FALSE(sim.files().FileExists(kProfile + "places.sqlite"));
}

TEST_F(FirefoxTest, CookiesAreLabelledAndAnUntickedOneKeepsItsRow) {
  Sql(kProfile + "cookies.sqlite",
      {"CREATE TABLE moz_cookies (id, name TEXT, value TEXT, host TEXT)",
       "INSERT INTO moz_cookies VALUES (1,'sid','abc','.example.test')",
       "INSERT INTO moz_cookies VALUES (2,'pref','x''y','www.example.test')",
       "INSERT INTO moz_cookies VALUES ('1) or (1=1','evil','v','h')"});
  auto ctx = Scan(406);
  // A row whose id is no integer is not listed, so it never reaches SQL.
  ASSERT_EQ(ctx->items.size(), 2u);
  EXPECT_EQ(ctx->items[0].path, "sid@example.test");
  EXPECT_EQ(ctx->items[0].name, "1");
  EXPECT_EQ(ctx->items[1].path, "pref@www.example.test");
  // A cookie's value is a session credential: never listed.
  EXPECT_EQ(ctx->items[1].value, "");
  EXPECT_EQ(ctx->items[0].value, "");
  EXPECT_EQ(ctx->items[0].key, 0u);
  auto record = Record(406, *ctx);
  TSearchEvidence& r = *record;
  r.items[1].selected = false;
  EXPECT_EQ(RemoveFirefoxRows(sim.files(), r), 1);
  EXPECT_EQ(Count(kProfile + "cookies.sqlite", "select count(*) from moz_cookies"), 2);
  EXPECT_EQ(Count(kProfile + "cookies.sqlite", "select count(*) from moz_cookies where id=2"), 1);
}

TEST_F(FirefoxTest, ADatabaseHeldByTheRunningBrowserIsLeftWholeAndSaysWhy) {
  Places();
  auto ctx = Scan(405);
  auto record = Record(405, *ctx);
  TSearchEvidence& r = *record;
  store::Connection browser = store::OpenDatabase(Native(kProfile + "places.sqlite"));
  store::RunQuery(browser, "PRAGMA locking_mode=EXCLUSIVE");
  store::RunStatement(browser, "BEGIN EXCLUSIVE");
  EXPECT_EQ(RemoveFirefoxRows(sim.files(), r), 0);
  EXPECT_THAT(r.notCleaned, HasSubstr("Close Firefox"));
  store::RunStatement(browser, "COMMIT");
  browser.Close();
  EXPECT_EQ(Count(kProfile + "places.sqlite", "select count(*) from moz_historyvisits"), 4);
}

TEST_F(FirefoxTest, ADatabaseHeldByTheRunningBrowserCannotBeScannedAndSaysWhy) {
  Places();
  Sql(kProfile + "cookies.sqlite", {"CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT)",
                                    "INSERT INTO moz_cookies VALUES (1,'a','b','127.0.0.1')"});
  for (const char* file : {"places.sqlite", "cookies.sqlite"}) {
    store::Connection browser = store::OpenDatabase(Native(kProfile + file));
    store::RunQuery(browser, "PRAGMA locking_mode=EXCLUSIVE");
    store::RunStatement(browser, "BEGIN EXCLUSIVE");
    const int type = std::string(file) == "places.sqlite" ? 405 : 406;
    RecordingContext ctx(sim.platform(), type);
    try {
      CollectType(ctx);
      ADD_FAILURE() << file << " was read while held";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Firefox is running and holds its data. Close Firefox and scan again.");
    }
    EXPECT_TRUE(ctx.items.empty());
    store::RunStatement(browser, "COMMIT");
  }
}

TEST_F(FirefoxTest, IdsAreIntegersOnly) {
  EXPECT_EQ(ParseId("12"), 12);
  EXPECT_EQ(ParseId("-3"), -3);
  EXPECT_FALSE(ParseId(""));
  EXPECT_FALSE(ParseId("1,2"));
  EXPECT_FALSE(ParseId("1) or (1=1"));
  EXPECT_FALSE(ParseId("99999999999999999999"));
  // 19 digits beyond 63 bits used to wrap around into another row's id.
  EXPECT_FALSE(ParseId("9999999999999999999"));
  EXPECT_FALSE(ParseId("9223372036854775808"));
  EXPECT_EQ(ParseId("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseId("-9223372036854775807"), -INT64_MAX);
  EXPECT_FALSE(ParseId("-"));
}

}  // namespace
}  // namespace vl::evidence::testing
