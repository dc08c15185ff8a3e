// What keeps a junk clean safe on a real PC: the protected places found on
// a Windows 11 layout, files of database sets, masks that would list the
// whole drive, and files the user unticked.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "junk_cleaner/database_files.h"
#include "junk_cleaner/junk_engine.h"
#include "junk_cleaner/protected_places.h"
#include "store/seed_data.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::junk {
namespace {

class QuietContext : public JunkContext {
 public:
  bool Stopped() const override { return false; }
  void ShowHint(const std::string& text) override { hints.push_back(text); }
  void StateChanged() override {}
  std::vector<std::string> hints;
};

std::vector<std::string> SeedMasks() {
  std::vector<std::string> masks;
  for (const auto& s : store::kJunkSeeds) masks.push_back(s.mask);
  return masks;
}

class JunkSafetyTest : public ::testing::Test {
 protected:
  sys::FileSystem& fs() { return *sim.platform().files; }
  void File(const std::string& path, const std::string& data = "x") {
    fs().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(fs().WriteFileBytes(path, data)) << path;
  }

  // A Windows 11 machine: the system's logs and databases, an application's
  // backup, two users with temp files and caches, a database with its journal.
  void Windows11() {
    ASSERT_TRUE(sim.LoadReg(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
        "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
        "\"ProgramFilesDir (x86)\"=\"C:\\\\Program Files (x86)\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-18]\r\n"
        "\"ProfileImagePath\"=hex(2):25,00,73,00,79,00,73,00,74,00,65,00,6d,00,72,00,6f,00,6f,00,74,00,25,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,63,00,6f,00,6e,00,66,00,69,00,67,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,70,00,72,00,6f,00,66,00,69,00,6c,00,65,00,00,00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1001]\r\n"
        "\"ProfileImagePath\"=\"C:\\\\Users\\\\Tester\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1002]\r\n"
        "\"ProfileImagePath\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,44,00,72,00,69,00,76,00,65,00,25,00,5c,00,55,00,73,00,65,00,72,00,73,00,5c,00,42,00,6f,00,62,00,00,00\r\n"))
        << "registry";
    // Protected: servicing and setup logs, Windows Update's and Windows Search's database sets.
    for (const char* p : {"C:\\Windows\\Logs\\CBS\\CBS.log", "C:\\Windows\\Logs\\DISM\\dism.log",
                          "C:\\Windows\\Panther\\setupact.log", "C:\\Windows\\INF\\setupapi.dev.log",
                          "C:\\Windows\\System32\\LogFiles\\setup.tmp",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\DataStore.edb",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\Logs\\edb.log",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\Logs\\edb.chk",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\Logs\\edb00001.log",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\Logs\\edbres00001.jrs",
                          "C:\\Windows\\SoftwareDistribution\\DataStore\\Logs\\edbtmp.log",
                          "C:\\ProgramData\\Microsoft\\Search\\Data\\Applications\\Windows\\Windows.edb",
                          "C:\\ProgramData\\Microsoft\\Search\\Data\\Applications\\Windows\\MSS.log",
                          "C:\\ProgramData\\Microsoft\\Search\\Data\\Applications\\Windows\\MSS.chk",
                          "C:\\ProgramData\\Microsoft\\Search\\Data\\Applications\\Windows\\MSS0000A.log",
                          "C:\\Program Files\\Contoso Editor\\settings.bak",
                          "C:\\Program Files\\Vantorel\\scan.log",
                          "C:\\Program Files (x86)\\Contoso Tools\\update.log",
                          "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Shell\\layout.old",
                          "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\WebCache\\V01.log",
                          "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\Shell\\layout.bak",
                          // A database set outside the protected places.
                          "C:\\Tools\\Index\\catalog.edb", "C:\\Tools\\Index\\abc.log", "C:\\Tools\\Index\\abc.chk",
                          "C:\\Tools\\Index\\res1.log", "C:\\Data\\edb.log",
                          // SQLite and Access databases with their side files.
                          "C:\\Users\\Tester\\Documents\\~state.db", "C:\\Users\\Tester\\Documents\\~state.db-journal",
                          "C:\\Users\\Tester\\AppData\\Local\\Temp\\cache.tmp",
                          "C:\\Users\\Tester\\AppData\\Local\\Temp\\cache.tmp-wal",
                          "C:\\Users\\Tester\\Documents\\~books.mdb", "C:\\Users\\Tester\\Documents\\~books.ldb",
                          // What the user deleted, still in the bin, and the restore points.
                          "C:\\$Recycle.Bin\\S-1-5-21-1-2-3-1001\\$RX1Y2Z3.tmp",
                          "C:\\$Recycle.Bin\\S-1-5-21-1-2-3-1001\\$IX1Y2Z3.tmp",
                          "C:\\System Volume Information\\tracking.log"})
      File(p);
    // Junk a careful user would remove.
    for (const char* p : {"C:\\Windows\\Temp\\setup.tmp", "C:\\Windows\\Temp\\cab_1234.log",
                          "C:\\Users\\Tester\\AppData\\Local\\Temp\\~DF1234.tmp",
                          "C:\\Users\\Tester\\AppData\\Local\\Temp\\report.tmp",
                          "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\page.tmp",
                          "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Explorer\\thumbcache_1.tmp",
                          "C:\\Users\\Bob\\AppData\\Local\\Temp\\build.log",
                          "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\x.tmp",
                          "C:\\Data\\old.bak", "C:\\Data\\crash.dmp", "C:\\Data\\app.log", "C:\\thumbs.db",
                          "C:\\FOUND.000\\FILE0000.CHK", "C:\\Users\\Tester\\Documents\\~notes.txt"})
      File(p);
    // Not junk by any mask.
    File("C:\\Data\\report.docx");
  }

  std::vector<std::string> Scan(const ProtectedFolders* protect, const std::vector<std::string>& masks = SeedMasks()) {
    TSearchJunk g("System (C:)", "C:");
    MaskList list(masks);
    std::vector<TSearchJunk*> groups{&g};
    ScanGroups(fs(), groups, list, ctx, protect);
    std::vector<std::string> out;
    for (const auto& f : g.files) out.push_back(g.PathOf(f));
    std::sort(out.begin(), out.end());
    return out;
  }

  ProtectedFolders Defaults(const std::string& without = "") {
    ProtectedFolders set;
    for (const DefaultPlace& d : DefaultPlaces(sim.platform()))
      if (d.key != without)
        for (const ProtectedFolder& f : d.folders) set.Add(f);
    return set;
  }

  static std::vector<std::string> Junk() {
    std::vector<std::string> j = {"C:\\Windows\\Temp\\setup.tmp", "C:\\Windows\\Temp\\cab_1234.log",
                                  "C:\\Users\\Tester\\AppData\\Local\\Temp\\~DF1234.tmp",
                                  "C:\\Users\\Tester\\AppData\\Local\\Temp\\report.tmp",
                                  "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\page.tmp",
                                  "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Explorer\\thumbcache_1.tmp",
                                  "C:\\Users\\Bob\\AppData\\Local\\Temp\\build.log",
                                  "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\x.tmp",
                                  "C:\\Data\\old.bak", "C:\\Data\\crash.dmp", "C:\\Data\\app.log", "C:\\thumbs.db",
                                  "C:\\FOUND.000\\FILE0000.CHK", "C:\\Users\\Tester\\Documents\\~notes.txt"};
    std::sort(j.begin(), j.end());
    return j;
  }

  bool Entered(const std::string& folder) const {
    for (const std::string& h : ctx.hints)
      if (h.compare(0, 9 + folder.size(), "Scanning " + folder) == 0) return true;
    return false;
  }

  sys::SimPlatform sim;
  QuietContext ctx;
};

// --- protected places ------------------------------------------------------------------

TEST_F(JunkSafetyTest, AWindows11ScanListsExactlyTheJunkOutsideProtectedPlaces) {
  Windows11();
  const ProtectedFolders set = Defaults();
  EXPECT_EQ(Scan(&set), Junk());
  // Never entered: the protected folders themselves, only what they leave open.
  for (const char* f : {"C:\\Windows\\Logs", "C:\\Windows\\System32", "C:\\Windows\\SoftwareDistribution",
                        "C:\\Program Files\\Contoso", "C:\\Program Files (x86)\\Contoso",
                        "C:\\ProgramData\\Microsoft\\Search", "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Shell",
                        "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\Shell"})
    EXPECT_FALSE(Entered(f)) << f;
  for (const char* f : {"C:\\Windows\\Temp", "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE",
                        "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Explorer"})
    EXPECT_TRUE(Entered(f)) << f;
}

TEST_F(JunkSafetyTest, TheRecycleBinAndRestorePointsAreNeverWalkedEvenWithNothingProtected) {
  Windows11();
  for (const std::string& p : Scan(nullptr)) {
    EXPECT_EQ(p.find("$Recycle.Bin"), std::string::npos) << p;
    EXPECT_EQ(p.find("System Volume Information"), std::string::npos) << p;
  }
  // Only at a drive's root: a folder of that name elsewhere is an ordinary folder.
  File("C:\\Data\\recycled\\left.tmp");
  const std::vector<std::string> found = Scan(nullptr);
  EXPECT_NE(std::find(found.begin(), found.end(), "C:\\Data\\recycled\\left.tmp"), found.end());
}

TEST_F(JunkSafetyTest, ThePlacesAreFoundThroughTheShellAndTheProfileList) {
  Windows11();
  std::vector<std::string> keys, folders;
  for (const DefaultPlace& d : DefaultPlaces(sim.platform())) {
    keys.push_back(d.key);
    EXPECT_FALSE(d.warning.empty()) << d.key;
    for (const ProtectedFolder& f : d.folders) folders.push_back(f.folder);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"windows", "programfiles", "programfilesx86", "programdata", "appfolder",
                                            "userwindows"}));
  EXPECT_EQ(folders, (std::vector<std::string>{"C:\\Windows\\", "C:\\Program Files\\", "C:\\Program Files (x86)\\",
                                               "C:\\ProgramData\\Microsoft\\", "C:\\Program Files\\Vantorel\\",
                                               "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\",
                                               "C:\\Windows\\system32\\config\\systemprofile\\AppData\\Local\\"
                                               "Microsoft\\Windows\\",
                                               "C:\\Users\\Bob\\AppData\\Local\\Microsoft\\Windows\\"}));
  // A Windows folder on another drive is found where the shell says it is.
  sim.MapDrive('D', sys::SimDrive{});
  sim.shell().SetFolder(0x24, "D:\\WINNT");
  EXPECT_EQ(DefaultPlaces(sim.platform())[0].folders[0].folder, "D:\\WINNT\\");
  EXPECT_EQ(DefaultPlaces(sim.platform())[0].folders[0].exceptions, (std::vector<std::string>{"D:\\WINNT\\Temp\\"}));
}

TEST_F(JunkSafetyTest, APlaceSwitchedOffIsScannedAndAUserFolderIsNot) {
  Windows11();
  ProtectedFolders set = Defaults("windows");
  std::vector<std::string> found = Scan(&set);
  // The servicing logs are listed now; the update database's set still is not.
  for (const char* p : {"C:\\Windows\\Logs\\CBS\\CBS.log", "C:\\Windows\\Logs\\DISM\\dism.log",
                        "C:\\Windows\\Panther\\setupact.log", "C:\\Windows\\INF\\setupapi.dev.log",
                        "C:\\Windows\\System32\\LogFiles\\setup.tmp"})
    EXPECT_NE(std::find(found.begin(), found.end(), p), found.end()) << p;
  for (const std::string& p : found) EXPECT_EQ(p.find("SoftwareDistribution"), std::string::npos) << p;
  EXPECT_EQ(found.size(), Junk().size() + 5);

  // A folder the user protects, named in any letter case.
  ctx.hints.clear();
  set = Defaults();
  set.Add("c:\\data");
  found = Scan(&set);
  EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const std::string& p) { return p.rfind("C:\\Data\\", 0) == 0; }),
            0);
  EXPECT_FALSE(Entered("C:\\Data"));
  EXPECT_EQ(found.size(), Junk().size() - 3);
}

TEST_F(JunkSafetyTest, ProtectingAFolderTwiceLeavesOpenOnlyWhatBothLeaveOpen) {
  ProtectedFolders set;
  set.Add(ProtectedFolder{"C:\\Windows\\", {"C:\\Windows\\Temp\\"}});
  ASSERT_NE(set.Find("c:\\WINDOWS\\"), nullptr);
  EXPECT_EQ(set.Find("C:\\Windows")->size(), 1u);
  EXPECT_EQ(set.Find("C:\\Windows\\Temp\\"), nullptr);
  set.Add("C:\\Windows");
  EXPECT_TRUE(set.Find("C:\\Windows\\")->empty());
}

// --- database sets -----------------------------------------------------------------------

TEST_F(JunkSafetyTest, TheEngineNamesItsDatabaseFilesByOneRule) {
  for (const char* n : {"edb.log", "EDB.LOG", "edb.chk", "edb00001.log", "edb0000FFFF.log", "edbtmp.log",
                        "edbres00001.jrs", "MSS.log", "MSS.chk", "MSS0000A.log", "MSSres00002.jrs", "edb.jtx",
                        "any.jcp", "catalog.jfm", "tmp.edb", "Windows.edb"})
    EXPECT_TRUE(IsEngineFileName(n)) << n;
  for (const char* n : {"setup.log", "app.log", "edb.txt", "edb0001.log", "edbx.log", "edbres1.jrs2", "FILE0000.CHK",
                        "mss.bak", "edbres0000g.log"})
    EXPECT_FALSE(IsEngineFileName(n)) << n;
  EXPECT_EQ(DatabaseOfSideFile("places.sqlite-journal"), "places.sqlite");
  EXPECT_EQ(DatabaseOfSideFile("a.db-WAL"), "a.db");
  EXPECT_EQ(DatabaseOfSideFile("a.db-shm"), "a.db");
  EXPECT_EQ(DatabaseOfSideFile("Books.ldb"), "Books.mdb");
  EXPECT_EQ(DatabaseOfSideFile("Books.laccdb"), "Books.accdb");
  EXPECT_EQ(DatabaseOfSideFile("-journal"), "");
  EXPECT_EQ(DatabaseOfSideFile("journal.txt"), "");
}

TEST_F(JunkSafetyTest, FilesOfADatabaseSetAreNeverListedInAnyFolder) {
  File("C:\\Apps\\Index\\catalog.edb");
  File("C:\\Apps\\Index\\abc.log");   // listed before the database in some volumes' order
  File("C:\\Apps\\Index\\abc.chk");
  File("C:\\Apps\\Logs\\edb.log");     // the engine's own name: in any folder
  File("C:\\Apps\\Logs\\other.log");
  File("C:\\Apps\\Db\\~cache.db");
  File("C:\\Apps\\Db\\~cache.db-journal");
  File("C:\\Apps\\Db\\~lone.db-journal");  // no database beside it: a stray journal
  File("C:\\Apps\\Db\\~work.accdb");
  File("C:\\Apps\\Db\\~work.laccdb");
  File("C:\\Apps\\Db\\~free.accdb");
  EXPECT_EQ(Scan(nullptr, {"*.log", "*.chk", "~*.*"}),
            (std::vector<std::string>{"C:\\Apps\\Db\\~free.accdb", "C:\\Apps\\Db\\~lone.db-journal",
                                      "C:\\Apps\\Logs\\other.log"}));
}

// --- masks for every file -----------------------------------------------------------------

TEST_F(JunkSafetyTest, EveryMaskForAllFilesIsTooWideAndNoSeedIs) {
  for (const char* m : {"*", "**", "?*", "*?", "*??*", "??*", "*.*", "*.???", "*.?*", "*.??", "?*.*", "*.*?", "[!/]*",
                        "*[!:]", "*.[!*]*", "**.**"})
    EXPECT_NE(MaskBreadthError(m), "") << m;
  EXPECT_NE(MaskBreadthError("*").find("every file name"), std::string::npos);
  EXPECT_NE(MaskBreadthError("*.???").find("every file name with an extension"), std::string::npos);
  for (const char* m : {"?", "??", "a*", "*a", "*.tmp", "~*.*", "*.~*", "*.??~", "[ab]*", "*.*.*", "?.*", "*.",
                        "[abc", "*[!a]"})
    EXPECT_EQ(MaskBreadthError(m), "") << m;
  for (const std::string& m : SeedMasks()) EXPECT_EQ(MaskBreadthError(m), "") << m;
}

}  // namespace
}  // namespace vl::junk
