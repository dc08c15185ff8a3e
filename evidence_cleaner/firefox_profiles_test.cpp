// Every Firefox profile and fork, downloads as moz_annos rows, form
// history and session files: plant, scan, untick one item, clean, rescan.
#include <gmock/gmock.h>

#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "store/database.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {
namespace {

using ::testing::HasSubstr;

const std::string kRoaming = "C:\\Users\\Tester\\AppData\\Roaming\\";
const std::string kFirefox = kRoaming + "Mozilla\\Firefox\\";
const std::string kWork = kFirefox + "Profiles\\w0rk.work\\";
const std::string kHome = kFirefox + "Profiles\\h0me.default-release\\";
const std::string kWolf = kRoaming + "LibreWolf\\Profiles\\l1.default-default\\";

class FirefoxProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(kFirefox + "profiles.ini",
        "[Profile1]\r\nName=work\r\nIsRelative=1\r\nPath=Profiles/w0rk.work\r\n\r\n"
        "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/h0me.default-release\r\n\r\n"
        "[Install1]\r\nDefault=Profiles/h0me.default-release\r\n");
    Put(kRoaming + "LibreWolf\\profiles.ini", "[Profile0]\r\nName=wolf\r\nIsRelative=1\r\nPath=Profiles/l1.default-default\r\n");
    for (const std::string& p : {kHome, kWork, kWolf}) Places(p);
  }
  void Put(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(sim.files().WriteFileBytes(path, text));
  }
  std::string Native(const std::string& path) { return sim.files().NativePath(path); }
  void Sql(const std::string& file, std::initializer_list<std::string> statements) {
    sim.files().CreateFolder(file.substr(0, file.rfind('\\')));
    store::Connection db = store::OpenDatabase(Native(file));
    for (const std::string& s : statements) store::RunStatement(db, s);
  }
  int64_t Count(const std::string& file, const std::string& sql) {
    store::Connection db = store::OpenDatabaseReadOnly(Native(file));
    return std::stoll(store::RunQuery(db, sql).ColumnText(0));
  }
  // A visited page and two downloads the way today's Firefox keeps them.
  void Places(const std::string& p) {
    Sql(p + "places.sqlite",
        {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count INTEGER, last_visit_date "
         "INTEGER, foreign_count INTEGER DEFAULT 0 NOT NULL)",
         "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date "
         "INTEGER, visit_type INTEGER)",
         "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL)",
         "CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, content "
         "LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER "
         "DEFAULT 0, lastModified INTEGER DEFAULT 0)",
         "INSERT INTO moz_places (id,url,title,visit_count) VALUES (1,'http://127.0.0.1/page','Page',1),"
         "(2,'http://127.0.0.1/a.zip','a.zip',1),(3,'http://127.0.0.1/b.zip','b.zip',1)",
         "INSERT INTO moz_historyvisits (id,place_id,visit_type) VALUES (1,1,1),(2,2,7),(3,3,7)",
         "INSERT INTO moz_anno_attributes VALUES (1,'downloads/destinationFileURI'),(2,'downloads/metaData')",
         "INSERT INTO moz_annos (id,place_id,anno_attribute_id,content) VALUES "
         "(10,2,1,'file:///C:/Users/Tester/Downloads/a%20file.zip'),(11,2,2,'{}'),"
         "(12,3,1,'file:///C:/Users/Tester/Downloads/b.zip'),(13,3,2,'{}')"});
  }
  std::unique_ptr<TSearchEvidence> Scan(int type) {
    RecordingContext ctx(sim.platform(), type);
    CollectType(ctx);
    auto r = std::make_unique<TSearchEvidence>(type, "x");
    ctx.MoveInto(*r);
    return r;
  }
  int32_t Clean(TSearchEvidence& r) {
    RecordingContext removal(sim.platform(), 0);
    RemoveEvidence(removal, {&r});
    return r.cleanedCount.load();
  }

  sys::SimPlatform sim;
};

TEST_F(FirefoxProfilesTest, EveryProfileOfFirefoxAndItsForksIsFoundTheStartingOneFirst) {
  const auto profiles = FirefoxProfiles(sim.platform());
  ASSERT_EQ(profiles.size(), 3u);
  EXPECT_EQ(profiles[0].roaming, kHome);
  EXPECT_EQ(profiles[0].name, "default-release");
  EXPECT_EQ(profiles[1].roaming, kWork);
  EXPECT_EQ(profiles[2].roaming, kWolf);
  EXPECT_EQ(profiles[2].browser, "LibreWolf");
  for (const auto& p : profiles) EXPECT_TRUE(p.refused.empty()) << p.refused;
}

TEST_F(FirefoxProfilesTest, HistoryAndDownloadsOfEveryProfileAndAnUntickedDownloadStays) {
  auto r = Scan(405);
  // Per profile: three visits and two downloads.
  ASSERT_EQ(r->items.size(), 15u);
  ASSERT_EQ(r->sources.size(), 3u);
  const TScanEvidence* download = nullptr;
  for (const TScanEvidence& i : r->items)
    if (i.name == "annos" && !download) download = &i;
  ASSERT_NE(download, nullptr);
  EXPECT_EQ(download->path, "a file.zip");
  EXPECT_EQ(download->value, "http://127.0.0.1/a.zip");
  EXPECT_EQ(ItemTextIn(*r, r->items[5]), "[work] Page");
  // Untick the b.zip download and the visit that came with it, in the work profile.
  for (TScanEvidence& i : r->items)
    if (i.source == 1 && (i.path == "b.zip")) i.selected = false;
  EXPECT_EQ(Clean(*r), 13);
  EXPECT_TRUE(r->notCleaned.empty()) << r->notCleaned;
  for (const std::string& p : {kHome, kWolf}) {
    EXPECT_EQ(Count(p + "places.sqlite", "select count(*) from moz_annos"), 0);
    EXPECT_EQ(Count(p + "places.sqlite", "select count(*) from moz_historyvisits"), 0);
    EXPECT_EQ(Count(p + "places.sqlite", "select count(*) from moz_places"), 0);
  }
  EXPECT_EQ(Count(kWork + "places.sqlite", "select count(*) from moz_annos where place_id=3"), 2);
  EXPECT_EQ(Count(kWork + "places.sqlite", "select count(*) from moz_annos"), 2);
  auto again = Scan(405);
  ASSERT_EQ(again->items.size(), 2u);
  EXPECT_EQ(again->items[0].path, "b.zip");
  EXPECT_EQ(again->items[1].name, "annos");
}

TEST_F(FirefoxProfilesTest, FormHistoryRowsAndAnUntickedOneStays) {
  for (const std::string& p : {kHome, kWork})
    Sql(p + "formhistory.sqlite",
        {"CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT NOT NULL, timesUsed "
         "INTEGER, firstUsed INTEGER, lastUsed INTEGER, guid TEXT)",
         "CREATE TABLE moz_history_to_sources (history_id INTEGER, source_id INTEGER)",
         "INSERT INTO moz_formhistory (id,fieldname,value) VALUES (1,'q','first search'),(2,'email','me@127.0.0.1')",
         "INSERT INTO moz_history_to_sources VALUES (1,1),(2,1)"});
  auto r = Scan(433);
  ASSERT_EQ(r->items.size(), 4u);
  EXPECT_EQ(r->items[0].path, "q");
  EXPECT_EQ(r->items[0].value, "first search");
  r->items[3].selected = false;
  EXPECT_EQ(Clean(*r), 3);
  EXPECT_EQ(Count(kHome + "formhistory.sqlite", "select count(*) from moz_formhistory"), 0);
  EXPECT_EQ(Count(kWork + "formhistory.sqlite", "select id from moz_formhistory"), 2);
  EXPECT_EQ(Count(kWork + "formhistory.sqlite", "select history_id from moz_history_to_sources"), 2);
  auto again = Scan(433);
  ASSERT_EQ(again->items.size(), 1u);
  EXPECT_EQ(again->items[0].path, "email");
}

TEST_F(FirefoxProfilesTest, SessionFilesOfEveryProfileAndARunningBrowsersProfileIsLeftWhole) {
  for (const std::string& p : {kHome, kWork}) {
    Put(p + "sessionstore.jsonlz4", "mozLz40");
    Put(p + "sessionstore-backups\\recovery.jsonlz4", "mozLz40");
    Put(p + "sessionstore-backups\\previous.jsonlz4", "mozLz40");
  }
  auto r = Scan(434);
  ASSERT_EQ(r->items.size(), 6u);
  for (const TScanEvidence& i : r->items) EXPECT_EQ(i.kind, kFile);
  r->items[0].selected = false;
  // The work profile's Firefox is running.
  store::Connection browser = store::OpenDatabase(Native(kWork + "places.sqlite"));
  store::RunQuery(browser, "PRAGMA locking_mode=EXCLUSIVE");
  store::RunStatement(browser, "BEGIN EXCLUSIVE");
  EXPECT_EQ(Clean(*r), 2);
  EXPECT_THAT(r->notCleaned, HasSubstr("Firefox is running and holds its data. Close Firefox and clean again."));
  store::RunStatement(browser, "COMMIT");
  browser.Close();
  EXPECT_TRUE(sim.files().FileExists(kHome + "sessionstore.jsonlz4"));
  EXPECT_FALSE(sim.files().FileExists(kHome + "sessionstore-backups\\recovery.jsonlz4"));
  EXPECT_TRUE(sim.files().FileExists(kWork + "sessionstore.jsonlz4"));
  EXPECT_TRUE(sim.files().FileExists(kWork + "sessionstore-backups\\recovery.jsonlz4"));
  auto again = Scan(434);
  EXPECT_EQ(again->items.size(), 4u);
}

TEST_F(FirefoxProfilesTest, TheCacheOfEveryProfile) {
  const std::string local = "C:\\Users\\Tester\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\";
  Put(local + "h0me.default-release\\cache2\\entries\\A", "x");
  Put(local + "w0rk.work\\cache2\\entries\\B", "x");
  auto r = Scan(407);
  ASSERT_EQ(r->items.size(), 2u);
  r->items[1].selected = false;
  EXPECT_EQ(Clean(*r), 1);
  auto again = Scan(407);
  ASSERT_EQ(again->items.size(), 1u);
  EXPECT_EQ(again->items[0].path, local + "w0rk.work\\cache2\\entries\\B");
}

}  // namespace
}  // namespace vl::evidence::testing
