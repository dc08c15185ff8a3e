// Every type of the catalogue found from traces planted at its locations,
// every worker at once, then everything removed.
#include <gmock/gmock.h>

#include "app/page_codes.h"
#include "evidence_cleaner/evidence_cleaner.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "store/database.h"
#include "store/seed_data.h"

namespace vl::evidence {
namespace {

class AllTypesTest : public vl::testing::AppFixture {
 protected:
  void Put(const std::string& path, const std::string& text = "trace") {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    WriteFile(path, text);
  }
  void Reg(const std::string& body) {
    ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body));
  }
  void Sql(const std::string& file, std::initializer_list<const char*> statements) {
    sim.files().CreateFolder(file.substr(0, file.rfind('\\')));
    store::Connection db = store::OpenDatabase(sim.files().NativePath(file));
    for (const char* s : statements) store::RunStatement(db, s);
  }
  // A Chromium profile's History and Cookies as the browser makes them.
  void ChromiumProfile(const std::string& profile, bool networkCookies = true) {
    Put(profile + "Preferences", "{}");
    Sql(profile + "History",
        {"CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count INTEGER, last_visit_time INTEGER)",
         "CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER)",
         "INSERT INTO urls VALUES (1,'http://127.0.0.1/a','A',1,13300000000000000)",
         "INSERT INTO visits VALUES (1,1,13300000000000000)"});
    Sql(profile + (networkCookies ? "Network\\Cookies" : "Cookies"),
        {"CREATE TABLE cookies (host_key TEXT, name TEXT, value TEXT, encrypted_value BLOB)",
         "INSERT INTO cookies VALUES ('127.0.0.1','sid','',x'00')"});
  }
  void Plant() {
    const std::string roaming = "C:\\Users\\Tester\\AppData\\Roaming\\";
    const std::string local = "C:\\Users\\Tester\\AppData\\Local\\";
    Put(local + "Microsoft\\Windows\\Temporary Internet Files\\Content.IE5\\AB12\\page[1].htm");
    Put(roaming + "Microsoft\\Windows\\Cookies\\tester@site[1].txt");
    Put("C:\\Users\\Tester\\Favorites\\site.url");
    Put(local + "Microsoft\\Windows\\History\\visited.dat");
    Put(roaming + "Real\\RealPlayer\\realplayer.ste");
    Put(roaming + "Microsoft\\Windows\\Recent\\letter.lnk");
    const std::string profile = roaming + "Mozilla\\Firefox\\Profiles\\p.default\\";
    Sql(profile + "places.sqlite",
        {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT, foreign_count INTEGER DEFAULT 0)",
         "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)",
         "INSERT INTO moz_places (id,url,title) VALUES (3,'http://127.0.0.1/','Home')",
         "INSERT INTO moz_historyvisits (id,place_id) VALUES (1,3)"});
    Sql(profile + "cookies.sqlite", {"CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT)",
                                     "INSERT INTO moz_cookies VALUES (1,'a','b','.site.test')"});
    Put(local + "Mozilla\\Firefox\\Profiles\\p.default\\cache2\\entries\\0A1B");
    Put(roaming + "Opera\\Opera\\global_history.dat");
    Put(roaming + "Opera\\Opera\\cookies4.dat");
    Put(local + "Opera\\Opera\\cache\\g_0000\\opr00001.tmp");
    const std::string chrome = local + "Google\\Chrome\\User Data\\Default\\";
    Put(chrome + "History");
    Put(chrome + "Network\\Cookies");
    Put(chrome + "Cache\\f_000001");
    Put(roaming + "Macromedia\\Flash Player\\#SharedObjects\\XYZ\\site.sol");
    Sql(profile + "formhistory.sqlite", {"CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT, value TEXT)",
                                         "INSERT INTO moz_formhistory VALUES (1,'q','typed')"});
    Put(profile + "sessionstore.jsonlz4");
    Put(local + "Microsoft\\Windows\\Explorer\\thumbcache_256.db");
    for (const char* userData : {"Microsoft\\Edge\\User Data\\", "BraveSoftware\\Brave-Browser\\User Data\\",
                                 "Vivaldi\\User Data\\", "Chromium\\User Data\\"}) {
      ChromiumProfile(local + userData + "Default\\");
      Put(local + userData + "Default\\Cache\\Cache_Data\\f_000001");
    }
    for (const char* opera : {"Opera Software\\Opera Stable\\", "Opera Software\\Opera GX Stable\\"}) {
      ChromiumProfile(roaming + opera, false);
      Put(local + opera + "Cache\\Cache_Data\\f_000001");
    }
    std::string reg;
    for (const char* key :
         {"Software\\Microsoft\\Internet Explorer\\TypedURLs", "Software\\Microsoft\\Protected Storage System Provider",
          "Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List",
          "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "Software\\Adobe\\Dreamweaver CS4\\Recent File List",
          "Software\\Microsoft\\Microsoft Help Workshop\\Recent File List",
          "Software\\Microsoft\\FrontPage\\Editor\\Recent Templates", "Software\\Microsoft\\Conferencing\\UI\\CallMRU",
          "Software\\Microsoft\\MessengerService\\PhoneMRU", "Software\\Microsoft\\MSDN",
          "Software\\WinRAR\\DialogEditHistory\\ExtrPath", "Software\\WinZip\\ArcHistory",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "Software\\Microsoft\\Telnet",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\PublishingWizard\\AddNetPlace\\LocationMRU",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Map Network Drive MRU",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths",
          "Software\\Microsoft\\Microsoft Management Console\\Recent File List",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
          "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", "Software\\Microsoft\\Terminal Server Client\\Default",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
          "Software\\Headlight\\GetRight\\TypedURLs", "Software\\SpeedBit\\Download Accelerator\\FileList",
          "Software\\Kazaa\\Kazaa Media Desktop\\Recent File List",
          "Software\\Microsoft\\Office\\12.0\\Excel\\Recent Files",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\CIDSizeMRU",
          "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
          "Software\\Microsoft\\Office\\16.0\\Word\\User MRU\\ADAL_1\\File MRU"})
      reg += std::string("[HKEY_CURRENT_USER\\") + key + "]\n\"File1\"=\"C:\\\\Users\\\\Tester\\\\doc.txt\"\n";
    for (const char* key : {"Software\\Adobe\\Acrobat Reader\\9.0\\AVGeneral\\cRecentFiles\\c1",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{GUID}\\Count",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Accessories",
                            "Software\\Microsoft\\Search Assistant\\ACMru\\5603"})
      reg += std::string("[HKEY_CURRENT_USER\\") + key + "]\n\"x\"=\"1\"\n";
    reg += "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer]\n\"Download Directory\"=\"C:\\\\Down\"\n";
    reg += "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n\"Save Directory\"=\"C:\\\\Saved\"\n";
    reg += "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify]\n\"IconStreams\"=hex:01\n";
    reg += "[HKEY_LOCAL_MACHINE\\Software\\RealNetworks\\RealDownload]\n\"Last\"=\"http://127.0.0.1/f.zip\"\n";
    Reg(reg);
  }
};

TEST_F(AllTypesTest, EveryTypeFindsItsTracesAndTheRemovalTakesThemAll) {
  Plant();
  Start();
  EvidenceCleaner& ec = *features.evidence;
  main->ShowPage(page::kEvidenceOptions);
  // The types that start unticked, ticked after their warnings.
  for (const char* kept : {"Favorites Export File", "Saved Passwords", "Firefox Form History"})
    main->control(id::treeEvidence).UserChecksNode(ec.FindNode(kept), true);
  ports.messages.clear();
  main->control(id::imgEviScan).Click();
  Drain();
  ASSERT_EQ(main->currentPage(), page::kEvidenceResult);
  const auto records = EvidenceRecords(*main);
  ASSERT_EQ(records.size(), 52u + store::kAddedEvidenceTypes.size());
  for (TSearchEvidence* r : records) EXPECT_GT(r->itemCount.load(), 0) << r->typeNo << " " << r->name;
  main->control(id::imgEClean).Click();
  Drain();
  ASSERT_EQ(main->currentPage(), page::kEvidenceFinish);
  EXPECT_TRUE(ports.messages.size() == 1) << "only the confirmation";
  for (TSearchEvidence* r : records)
    EXPECT_EQ(r->cleanedCount.load(), r->itemCount.load()) << r->typeNo << " " << r->name;
  // A second scan finds nothing of what was erased (blanked values hold no text).
  main->ShowPage(page::kEvidenceOptions);
  main->control(id::imgEviScan).Click();
  Drain();
  for (TSearchEvidence* r : EvidenceRecords(*main)) {
    // The recent folder and the TrayNotify values are the only ones Windows refills; none here.
    EXPECT_EQ(r->itemCount.load(), 0) << r->typeNo << " " << r->name;
  }
  (void)ec;
}

}  // namespace
}  // namespace vl::evidence
