// What a browser's files and profile lists cannot make the elevated
// cleaner do: clean a profile that was switched after the scan, reach a
// folder outside the user's own, run a trigger of the file, show a
// cookie's value, or take a number that does not fit as an id.
#include <gmock/gmock.h>

#include <filesystem>

#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/chromium.h"
#include "evidence_cleaner/evidence_cleaner.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "store/database.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kAppData = "C:\\Users\\Tester\\AppData\\Roaming\\";
const std::string kFirefox = kAppData + "Mozilla\\Firefox\\";
const std::string kA = kFirefox + "Profiles\\a.default-release\\";
const std::string kB = kFirefox + "Profiles\\b.default\\";

class BrowserSecurityTest : public ::testing::Test {
 protected:
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
  void Places(const std::string& profile, const std::string& title) {
    Sql(profile + "places.sqlite",
        {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count INTEGER, "
         "last_visit_date INTEGER, foreign_count INTEGER DEFAULT 0 NOT NULL)",
         "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER)",
         "INSERT INTO moz_places (id,url,title) VALUES (1,'http://127.0.0.1/1','" + title + "')",
         "INSERT INTO moz_historyvisits (id,place_id) VALUES (1,1)"});
  }
  void Ini(const std::string& text) { Put(kFirefox + "profiles.ini", text); }
  std::unique_ptr<TSearchEvidence> ScanRecord(int type, std::string* problem = nullptr) {
    RecordingContext ctx(sim.platform(), type);
    try {
      CollectType(ctx);
    } catch (const std::runtime_error& e) {
      if (problem) *problem = e.what();
    }
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

TEST_F(BrowserSecurityTest, AProfileSwitchedBetweenScanAndCleanNeverReceivesTheScannedIds) {
  Places(kA, "scanned");
  Places(kB, "other");
  Ini("[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\nDefault=1\r\n");
  auto r = ScanRecord(405);
  ASSERT_EQ(r->items.size(), 1u);
  // profiles.ini now names the other profile, which has a row of the same id.
  Ini("[Profile0]\r\nName=b\r\nIsRelative=1\r\nPath=Profiles/b.default\r\nDefault=1\r\n");
  EXPECT_EQ(Clean(*r), 1);
  EXPECT_EQ(Count(kA + "places.sqlite", "select count(*) from moz_historyvisits"), 0);
  EXPECT_EQ(Count(kB + "places.sqlite", "select count(*) from moz_historyvisits"), 1);
  EXPECT_EQ(Count(kB + "places.sqlite", "select count(*) from moz_places"), 1);
}

TEST_F(BrowserSecurityTest, AProfileFolderSwappedForALinkAfterTheScanIsNotCleaned) {
  Places(kA, "scanned");
  Places("C:\\Users\\Admin\\Secret\\", "admin");
  Ini("[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\nDefault=1\r\n");
  auto r = ScanRecord(405);
  ASSERT_EQ(r->items.size(), 1u);
  std::filesystem::remove_all(Native(kA.substr(0, kA.size() - 1)));
  std::filesystem::create_directory_symlink(Native("C:\\Users\\Admin\\Secret"), Native(kA.substr(0, kA.size() - 1)));
  EXPECT_EQ(Clean(*r), 0);
  EXPECT_THAT(r->notCleaned, HasSubstr("no longer where the scan found it"));
  EXPECT_EQ(Count("C:\\Users\\Admin\\Secret\\places.sqlite", "select count(*) from moz_historyvisits"), 1);
}

TEST_F(BrowserSecurityTest, AnAbsoluteProfileOutsideTheUsersFolderIsNamedAndNeverRead) {
  const std::string admin = "C:\\Users\\Admin\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\adm.default\\";
  const std::string own = "C:\\Users\\Tester\\Elsewhere\\mine\\";
  Places(admin, "admin");
  Places(own, "mine");
  Ini("[Profile0]\r\nName=adm\r\nIsRelative=0\r\nPath=" + admin + "\r\nDefault=1\r\n\r\n"
      "[Profile1]\r\nName=mine\r\nIsRelative=0\r\nPath=" + own + "\r\n");
  std::string problem;
  auto r = ScanRecord(405, &problem);
  EXPECT_THAT(problem, HasSubstr("C:\\Users\\Admin\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\adm.default lies "
                                 "outside your user folder"));
  // The profile below the user's own folder is read and cleaned.
  ASSERT_EQ(r->items.size(), 1u);
  EXPECT_EQ(r->items[0].path, "mine");
  EXPECT_EQ(Clean(*r), 1);
  EXPECT_EQ(Count(own + "places.sqlite", "select count(*) from moz_historyvisits"), 0);
  EXPECT_EQ(Count(admin + "places.sqlite", "select count(*) from moz_historyvisits"), 1);
  // A link inside the user's folder that leads out of it does not count as inside.
  std::filesystem::create_directory_symlink(Native("C:\\Users\\Admin"), Native("C:\\Users\\Tester\\Door"));
  Ini("[Profile0]\r\nName=adm\r\nIsRelative=0\r\nPath=C:\\Users\\Tester\\Door\\AppData\\Roaming\\Mozilla\\Firefox\\"
      "Profiles\\adm.default\r\nDefault=1\r\n");
  problem.clear();
  auto viaLink = ScanRecord(405, &problem);
  EXPECT_THAT(problem, HasSubstr("outside your user folder"));
  EXPECT_TRUE(viaLink->items.empty());
}

TEST_F(BrowserSecurityTest, ChromiumProfileNamesThatArePathsAreNeverFollowed) {
  const std::string userData = "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Edge\\User Data\\";
  sim.files().CreateFolder(userData + "Default");
  sim.files().CreateFolder("C:\\Users\\Admin\\Edge");
  Put(userData + "Local State",
      R"({"profile":{"info_cache":{"..\\..\\..\\..\\..\\Admin\\Edge":{"name":"Up"},"C:\\Users\\Admin\\Edge":{"name":"Abs"},"Default":{"name":"Person 1"}}}})");
  const auto profiles = ChromiumProfiles(sim.files(), userData);
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(profiles[0].folder, userData + "Default\\");
  EXPECT_EQ(profiles[0].label, "Person 1");
}

TEST_F(BrowserSecurityTest, ATriggerStoredInABrowsersFileNeverRunsWhileItIsCleaned) {
  Places(kA, "p");
  Ini("[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\nDefault=1\r\n");
  Sql(kA + "places.sqlite",
      {"CREATE TABLE planted (what TEXT)",
       "CREATE TRIGGER on_delete AFTER DELETE ON moz_historyvisits BEGIN INSERT INTO planted VALUES ('ran'); END",
       "CREATE TRIGGER on_place AFTER DELETE ON moz_places BEGIN INSERT INTO planted VALUES ('ran'); END",
       // Reading through a view would run what the file defines.
       "CREATE VIEW moz_sneaky AS SELECT * FROM moz_places"});
  auto r = ScanRecord(405);
  ASSERT_EQ(r->items.size(), 1u);
  EXPECT_EQ(Clean(*r), 1);
  EXPECT_TRUE(r->notCleaned.empty()) << r->notCleaned;
  EXPECT_EQ(Count(kA + "places.sqlite", "select count(*) from moz_historyvisits"), 0);
  EXPECT_EQ(Count(kA + "places.sqlite", "select count(*) from planted"), 0);
}

TEST_F(BrowserSecurityTest, ABrowsersFileOpenedByTheCleanerRefusesSchemaWritesAndItsViews) {
  Places(kA, "p");
  Sql(kA + "places.sqlite", {"CREATE VIEW v AS SELECT * FROM moz_places"});
  store::Connection db = store::OpenBrowserDatabase(Native(kA + "places.sqlite"), true);
  EXPECT_EQ(store::RunQuery(db, "PRAGMA trusted_schema").ColumnText(0), "0");
  store::RunStatement(db, "PRAGMA writable_schema=ON");
  EXPECT_THROW(store::RunStatement(db, "UPDATE sqlite_master SET sql='x' WHERE name='v'"), store::DbError);
  EXPECT_THROW(store::RunQuery(db, "SELECT * FROM v"), store::DbError);
  // A file's own triggers are off on every connection the cleaner opens.
  store::Connection reading = store::OpenBrowserDatabase(Native(kA + "places.sqlite"), false);
  EXPECT_EQ(store::RunQuery(reading, "PRAGMA trusted_schema").ColumnText(0), "0");
}

TEST_F(BrowserSecurityTest, ACookiesValueIsShownNowhere) {
  Ini("[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\nDefault=1\r\n");
  Sql(kA + "cookies.sqlite", {"CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT)",
                              "INSERT INTO moz_cookies VALUES (1,'sid','s3ss10n-t0ken','.127.0.0.1')"});
  const std::string edge = "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Edge\\User Data\\Default\\Network\\";
  Sql(edge + "Cookies", {"CREATE TABLE cookies (host_key TEXT, name TEXT, value TEXT, encrypted_value BLOB)",
                         "INSERT INTO cookies VALUES ('127.0.0.1','auth','edge-s3cret',x'00')"});
  Put(edge + "..\\Preferences", "{}");
  for (int type : {406, 416}) {
    auto r = ScanRecord(type);
    ASSERT_EQ(r->items.size(), 1u) << type;
    EXPECT_EQ(r->items[0].value, "");
    const auto groups = EvidenceExportGroups({r.get()});
    ASSERT_EQ(groups.size(), 1u);
    for (const auto& row : groups[0].rows) {
      EXPECT_THAT(row.detailHtml + row.thirdHtml, Not(HasSubstr("s3")));
      EXPECT_THAT(row.detailHtml, HasSubstr("@127.0.0.1"));
    }
  }
}

TEST_F(BrowserSecurityTest, AnIdBeyond63BitsIsNoIdAndReachesNoStatement) {
  Ini("[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\nDefault=1\r\n");
  Sql(kA + "cookies.sqlite", {"CREATE TABLE moz_cookies (id, name TEXT, value TEXT, host TEXT)",
                              // Wrapped around, this would have been id 8446744073709551617 - 2^64 = ...
                              "INSERT INTO moz_cookies VALUES ('18446744073709551617','big','v','h')",
                              "INSERT INTO moz_cookies VALUES (1,'small','v','h')"});
  auto r = ScanRecord(406);
  ASSERT_EQ(r->items.size(), 1u);
  EXPECT_EQ(r->items[0].name, "1");
  EXPECT_FALSE(ParseId("9999999999999999999"));
}

}  // namespace
}  // namespace vl::evidence::testing
