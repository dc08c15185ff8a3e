// Every Chromium-family browser: its profiles, its history and cookie rows
// with one item unticked, its cache, a running browser, and that bookmarks
// and saved passwords are never touched.
#include "evidence_cleaner/chromium.h"

#include <gmock/gmock.h>

#include "evidence_cleaner/browser_db.h"
#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "store/database.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

class ChromiumTest : public ::testing::TestWithParam<ChromiumBrowser> {
 protected:
  void SetUp() override {
    const ChromiumBrowser& b = GetParam();
    root = sys::SpecialFolderPath(sim.shell(), b.folderIndex) + b.folder;
    if (b.singleProfile) {
      profiles = {root};
    } else {
      profiles = {root + "Default\\", root + "Profile 2\\"};
      Put(root + "Local State",
          R"({"profile":{"info_cache":{"Default":{"name":"Home \u00e9"},"Profile 2":{"name":"Work"}},"last_used":"Default"}})");
    }
    for (size_t i = 0; i < profiles.size(); ++i) Profile(profiles[i], static_cast<int>(i));
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
  // Today's History schema in its parts that hold a visited page.
  void Profile(const std::string& p, int n) {
    const std::string site = "http://127.0.0.1:" + std::to_string(8000 + n);
    Sql(p + "History",
        {"CREATE TABLE urls (id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, visit_count "
         "INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden "
         "INTEGER DEFAULT 0 NOT NULL)",
         "CREATE TABLE visits (id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER NOT NULL, "
         "from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL)",
         "CREATE TABLE visit_source (id INTEGER PRIMARY KEY, source INTEGER NOT NULL)",
         "CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL, url_id INTEGER NOT NULL, term LONGVARCHAR NOT "
         "NULL, normalized_term LONGVARCHAR NOT NULL)",
         "CREATE TABLE segments (id INTEGER PRIMARY KEY, name VARCHAR, url_id INTEGER NON NULL)",
         "CREATE TABLE segment_usage (id INTEGER PRIMARY KEY, segment_id INTEGER NOT NULL, time_slot INTEGER NOT NULL, "
         "visit_count INTEGER DEFAULT 0 NOT NULL)",
         "CREATE TABLE downloads (id INTEGER PRIMARY KEY, guid VARCHAR NOT NULL, current_path LONGVARCHAR NOT NULL, "
         "target_path LONGVARCHAR NOT NULL, tab_url VARCHAR NOT NULL)",
         "CREATE TABLE downloads_url_chains (id INTEGER NOT NULL, chain_index INTEGER NOT NULL, url LONGVARCHAR NOT NULL, "
         "PRIMARY KEY (id, chain_index))",
         "INSERT INTO urls VALUES (1,'" + site + "/a','Page A',2,0,13300000000000000,0)",
         "INSERT INTO urls VALUES (2,'" + site + "/b','Page B',1,0,13300000000000000,0)",
         "INSERT INTO urls VALUES (3,'" + site + "/marked','Marked',1,0,13300000000000000,0)",
         "INSERT INTO visits VALUES (1,1,1,0,0),(2,1,2,0,0),(3,2,3,0,0),(4,3,4,0,0)",
         "INSERT INTO visit_source VALUES (1,0),(3,0)",
         "INSERT INTO keyword_search_terms VALUES (1,2,'b','b')",
         "INSERT INTO segments VALUES (1,'x',1),(2,'y',2)",
         "INSERT INTO segment_usage VALUES (1,1,0,2),(2,2,0,1)",
         "INSERT INTO downloads VALUES (1,'g','C:\\f.zip','C:\\f.zip','" + site + "/b')",
         "INSERT INTO downloads_url_chains VALUES (1,0,'" + site + "/f.zip')"});
    Sql(p + "Network\\Cookies",
        {"CREATE TABLE cookies (creation_utc INTEGER NOT NULL, host_key TEXT NOT NULL, top_frame_site_key TEXT NOT "
         "NULL, name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT NULL, path TEXT NOT NULL)",
         "INSERT INTO cookies VALUES (1,'127.0.0.1','','one','v1',x'00','/')",
         "INSERT INTO cookies VALUES (2,'.localhost','','two','v2',x'00','/')"});
    Put(p + "Bookmarks", "{\"roots\":{\"bookmark_bar\":{\"children\":[{\"url\":\"" + site + "/marked\"}]}}}");
    Put(p + "Bookmarks.bak", "backup of the bookmarks");
    Put(p + "Login Data", "saved passwords");
    Put(p + "Preferences", "{}");
    Put(p + "Cache\\Cache_Data\\f_00000" + std::to_string(n), "cached");
    Put(p + "Code Cache\\js\\index", "code");
  }
  std::unique_ptr<TSearchEvidence> Scan(int type, std::string* problem = nullptr) {
    RecordingContext ctx(sim.platform(), type);
    try {
      CollectType(ctx);
    } catch (const std::runtime_error& e) {
      if (problem) *problem = e.what();
      else ADD_FAILURE() << e.what();
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
  std::string Bytes(const std::string& path) {
    std::string s;
    sim.files().ReadFileBytes(path, s);
    return s;
  }

  sys::SimPlatform sim;
  std::string root;
  std::vector<std::string> profiles;
};

TEST_P(ChromiumTest, TheTypesAreInTheCatalogue) {
  const ChromiumBrowser& b = GetParam();
  for (int t : {b.history, b.cookies, b.cache}) {
    EXPECT_TRUE(KnownType(t)) << t;
    ASSERT_NE(ChromiumBrowserOf(t), nullptr);
    EXPECT_STREQ(ChromiumBrowserOf(t)->name, b.name) << t;
  }
}

TEST_P(ChromiumTest, HistoryIsOneRowPerUrlOfEveryProfileAndAnUntickedUrlStays) {
  const ChromiumBrowser& b = GetParam();
  std::vector<std::string> before;
  for (const std::string& p : profiles)
    for (const char* f : {"Bookmarks", "Bookmarks.bak", "Login Data"}) before.push_back(Bytes(p + f));
  auto r = Scan(b.history);
  // Three URLs and one download per profile.
  ASSERT_EQ(r->items.size(), 4 * profiles.size());
  ASSERT_EQ(r->sources.size(), profiles.size());
  EXPECT_EQ(r->items[0].path, "Page A");
  EXPECT_EQ(r->items[0].name, "urls");
  EXPECT_THAT(r->items[0].value, HasSubstr("/a (2 visits, last 2022-06-18 04:26 UTC)"));
  EXPECT_EQ(r->items[3].name, "downloads");
  EXPECT_EQ(r->items[3].path, "C:\\f.zip");
  if (!b.singleProfile) {
    EXPECT_EQ(r->sources[0].label, "Home \xC3\xA9");
    EXPECT_EQ(ItemTextIn(*r, r->items[4]), "[Work] Page A");
  } else {
    EXPECT_EQ(ItemTextIn(*r, r->items[0]), "Page A");
  }
  // Untick page B of the last profile.
  const std::string last = profiles.back();
  for (TScanEvidence& i : r->items)
    if (i.source == static_cast<int32_t>(profiles.size() - 1) && i.path == "Page B") i.selected = false;
  EXPECT_EQ(Clean(*r), static_cast<int32_t>(4 * profiles.size() - 1));
  EXPECT_TRUE(r->notCleaned.empty()) << r->notCleaned;
  for (const std::string& p : profiles) {
    const std::string h = p + "History";
    const bool kept = p == last;
    EXPECT_EQ(Count(h, "select count(*) from urls"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from visits"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from visit_source"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from keyword_search_terms"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from segments"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from segment_usage"), kept ? 1 : 0);
    EXPECT_EQ(Count(h, "select count(*) from downloads"), 0);
    EXPECT_EQ(Count(h, "select count(*) from downloads_url_chains"), 0);
    store::Connection check = store::OpenDatabaseReadOnly(Native(h));
    EXPECT_EQ(store::RunQuery(check, "PRAGMA integrity_check").ColumnText(0), "ok");
  }
  std::vector<std::string> after;
  for (const std::string& p : profiles)
    for (const char* f : {"Bookmarks", "Bookmarks.bak", "Login Data"}) after.push_back(Bytes(p + f));
  EXPECT_EQ(before, after);
  // A rescan lists what was kept, and nothing else.
  auto again = Scan(b.history);
  ASSERT_EQ(again->items.size(), 1u);
  EXPECT_EQ(again->items[0].path, "Page B");
}

TEST_P(ChromiumTest, CookiesAreNameAtHostRowsAndAnUntickedOneStays) {
  const ChromiumBrowser& b = GetParam();
  auto r = Scan(b.cookies);
  ASSERT_EQ(r->items.size(), 2 * profiles.size());
  EXPECT_EQ(r->items[0].path, "one@127.0.0.1");
  EXPECT_EQ(r->items[1].path, "two@localhost");
  EXPECT_EQ(r->items[0].value, "");
  r->items[1].selected = false;
  EXPECT_EQ(Clean(*r), static_cast<int32_t>(2 * profiles.size() - 1));
  EXPECT_EQ(Count(profiles[0] + "Network\\Cookies", "select count(*) from cookies where name='two'"), 1);
  EXPECT_EQ(Count(profiles[0] + "Network\\Cookies", "select count(*) from cookies"), 1);
  auto again = Scan(b.cookies);
  ASSERT_EQ(again->items.size(), 1u);
  EXPECT_EQ(again->items[0].path, "two@localhost");
}

TEST_P(ChromiumTest, TheCacheOfEveryProfileIsListedAndAnUntickedFileStays) {
  const ChromiumBrowser& b = GetParam();
  auto r = Scan(b.cache);
  ASSERT_EQ(r->items.size(), 2 * profiles.size());
  for (const TScanEvidence& i : r->items) EXPECT_EQ(i.kind, kFile);
  r->items[0].selected = false;
  EXPECT_EQ(Clean(*r), static_cast<int32_t>(2 * profiles.size() - 1));
  auto again = Scan(b.cache);
  ASSERT_EQ(again->items.size(), 1u);
  EXPECT_EQ(again->items[0].path, r->items[0].path);
  EXPECT_TRUE(sim.files().FileExists(profiles[0] + "Bookmarks"));
}

TEST_P(ChromiumTest, ARunningBrowserHoldsItsHistoryAndIsNamedNothingHalfDeleted) {
  const ChromiumBrowser& b = GetParam();
  auto r = Scan(b.history);
  store::Connection browser = store::OpenDatabase(Native(profiles[0] + "History"));
  store::RunQuery(browser, "PRAGMA locking_mode=EXCLUSIVE");
  store::RunStatement(browser, "BEGIN EXCLUSIVE");
  Clean(*r);
  EXPECT_THAT(r->notCleaned, HasSubstr(std::string(b.name) + " is running and holds its data. Close " + b.name));
  store::RunStatement(browser, "COMMIT");
  browser.Close();
  EXPECT_EQ(Count(profiles[0] + "History", "select count(*) from urls"), 3);
  EXPECT_EQ(Count(profiles[0] + "History", "select count(*) from visits"), 4);
  // Held while scanning: the scan says so instead of showing it clean.
  store::Connection held = store::OpenDatabase(Native(profiles[0] + "Network\\Cookies"));
  store::RunQuery(held, "PRAGMA locking_mode=EXCLUSIVE");
  store::RunStatement(held, "BEGIN EXCLUSIVE");
  std::string problem;
  Scan(b.cookies, &problem);
  EXPECT_EQ(problem, CloseBrowserText(b.name, "scan"));
  store::RunStatement(held, "COMMIT");
}

INSTANTIATE_TEST_SUITE_P(Family, ChromiumTest, ::testing::ValuesIn(ChromiumBrowsers()),
                         [](const ::testing::TestParamInfo<ChromiumBrowser>& i) {
                           std::string n;
                           for (char ch : std::string(i.param.name))
                             if (std::isalnum(static_cast<unsigned char>(ch))) n += ch;
                           return n;
                         });

TEST(ChromiumProfilesTest, WithoutLocalStateEveryProfileFolderWithHistoryOrPreferencesCounts) {
  sys::SimPlatform sim;
  const std::string u = "C:\\Users\\Tester\\AppData\\Local\\Chromium\\User Data\\";
  for (const char* f : {"Profile 10\\History", "Default\\Preferences", "Profile 2\\History", "System Profile\\History",
                        "Profile 3\\other", "Guest Profile\\Preferences"}) {
    sim.files().CreateFolder(u + std::string(f).substr(0, std::string(f).find('\\')));
    sim.files().WriteFileBytes(u + f, "x");
  }
  std::vector<std::string> names;
  for (const ChromiumProfile& p : ChromiumProfiles(sim.files(), u)) names.push_back(p.label);
  EXPECT_EQ(names, (std::vector<std::string>{"Default", "Profile 2", "Profile 10"}));
}

TEST(ChromiumTimeTest, MicrosecondsSince1601) {
  EXPECT_EQ(ChromiumTimeText("13300000000000000"), "2022-06-18 04:26 UTC");
  EXPECT_EQ(ChromiumTimeText("0"), "");
  EXPECT_EQ(ChromiumTimeText("x"), "");
}

TEST(ChromeTest, ChromeReadsEveryProfileAndTheNewerPlaces) {
  sys::SimPlatform sim;
  const std::string u = "C:\\Users\\Tester\\AppData\\Local\\Google\\Chrome\\User Data\\";
  for (const char* f : {"Default\\History", "Profile 1\\History", "Profile 1\\Network\\Cookies",
                        "Profile 1\\Code Cache\\js\\a", "Profile 1\\GPUCache\\data_0", "Default\\Cache\\Cache_Data\\f_1"}) {
    const std::string path = u + f;
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    sim.files().WriteFileBytes(path, "x");
  }
  auto paths = [&](int type) {
    RecordingContext ctx(sim.platform(), type);
    CollectType(ctx);
    return ctx.Paths();
  };
  EXPECT_THAT(paths(411), UnorderedElementsAre(u + "Default\\History", u + "Profile 1\\History"));
  EXPECT_THAT(paths(412), UnorderedElementsAre(u + "Profile 1\\Network\\Cookies"));
  EXPECT_THAT(paths(413), UnorderedElementsAre(u + "Default\\Cache\\Cache_Data\\f_1", u + "Profile 1\\Code Cache\\js\\a",
                                               u + "Profile 1\\GPUCache\\data_0"));
}

}  // namespace
}  // namespace vl::evidence::testing
