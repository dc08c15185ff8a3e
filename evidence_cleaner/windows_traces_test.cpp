// The lists Windows 10 and 11 keep: plant, scan, untick one item, clean,
// rescan; the jump lists are never touched.
#include <gmock/gmock.h>

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "sysaccess/registry.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

class WindowsTracesTest : public ::testing::Test {
 protected:
  void Reg(const std::string& body) {
    ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body));
  }
  void Put(const std::string& path) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(sim.files().WriteFileBytes(path, "x"));
  }
  std::unique_ptr<TSearchEvidence> Scan(int type) {
    RecordingContext ctx(sim.platform(), type);
    CollectType(ctx);
    auto r = std::make_unique<TSearchEvidence>(type, "x");
    ctx.MoveInto(*r);
    return r;
  }
  std::vector<std::string> Paths(const TSearchEvidence& r) {
    std::vector<std::string> out;
    for (const TScanEvidence& i : r.items) out.push_back(i.kind == kRegistryValue ? i.path + "\\" + i.name : i.path);
    return out;
  }
  // Scans, unticks the item at `untick`, cleans; the rescan's paths.
  std::vector<std::string> UntickCleanRescan(int type, size_t untick, int32_t* cleaned) {
    auto r = Scan(type);
    EXPECT_LT(untick, r->items.size());
    if (untick >= r->items.size()) return {};
    r->items[untick].selected = false;
    RecordingContext removal(sim.platform(), 0);
    RemoveEvidence(removal, {r.get()});
    *cleaned = r->cleanedCount.load();
    return Paths(*Scan(type));
  }

  sys::SimPlatform sim;
};

TEST_F(WindowsTracesTest, RecentDocumentsValuesAndTheirPerExtensionKeys) {
  Reg("[HKEY_CURRENT_USER\\" + kExplorer + "RecentDocs]\n\"0\"=hex:41,00\n\"MRUListEx\"=hex:00,00,00,00\n"
      "[HKEY_CURRENT_USER\\" + kExplorer + "RecentDocs\\.txt]\n\"0\"=hex:41,00\n"
      "[HKEY_CURRENT_USER\\" + kExplorer + "RecentDocs\\.docx]\n\"0\"=hex:41,00\n");
  EXPECT_THAT(Paths(*Scan(317)), ElementsAre(kExplorer + "RecentDocs\\0", kExplorer + "RecentDocs\\MRUListEx",
                                             kExplorer + "RecentDocs\\.docx", kExplorer + "RecentDocs\\.txt"));
  int32_t cleaned = 0;
  EXPECT_THAT(UntickCleanRescan(317, 3, &cleaned), ElementsAre(kExplorer + "RecentDocs\\.txt"));
  EXPECT_EQ(cleaned, 3);
}

TEST_F(WindowsTracesTest, SearchBoxHistory) {
  Reg("[HKEY_CURRENT_USER\\" + kExplorer + "WordWheelQuery]\n\"0\"=hex:61,00\n\"1\"=hex:62,00\n\"MRUListEx\"=hex:01\n");
  int32_t cleaned = 0;
  EXPECT_THAT(UntickCleanRescan(318, 1, &cleaned), ElementsAre(kExplorer + "WordWheelQuery\\1"));
  EXPECT_EQ(cleaned, 2);
}

TEST_F(WindowsTracesTest, TheDialogsListsSinceVista) {
  const std::string d = kExplorer + "ComDlg32\\";
  Reg("[HKEY_CURRENT_USER\\" + d + "OpenSavePidlMRU]\n\"MRUListEx\"=hex:00\n"
      "[HKEY_CURRENT_USER\\" + d + "OpenSavePidlMRU\\txt]\n\"0\"=hex:00\n"
      "[HKEY_CURRENT_USER\\" + d + "LastVisitedPidlMRU]\n\"0\"=hex:00\n"
      "[HKEY_CURRENT_USER\\" + d + "CIDSizeMRU]\n\"0\"=hex:00\n");
  EXPECT_THAT(Paths(*Scan(319)), ElementsAre(d + "OpenSavePidlMRU\\MRUListEx", d + "OpenSavePidlMRU\\txt",
                                             d + "LastVisitedPidlMRU\\0", d + "CIDSizeMRU\\0"));
  int32_t cleaned = 0;
  EXPECT_THAT(UntickCleanRescan(319, 2, &cleaned), ElementsAre(d + "LastVisitedPidlMRU\\0"));
  EXPECT_EQ(cleaned, 3);
}

TEST_F(WindowsTracesTest, TheMuiCacheInTheUsersClasses) {
  const std::string k = "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
  Reg("[HKEY_CURRENT_USER\\" + k + "]\n\"C:\\\\Tools\\\\a.exe.FriendlyAppName\"=\"A\"\n"
      "\"C:\\\\Tools\\\\b.exe.FriendlyAppName\"=\"B\"\n");
  auto r = Scan(320);
  ASSERT_EQ(r->items.size(), 2u);
  EXPECT_EQ(r->items[0].value, "A");
  int32_t cleaned = 0;
  EXPECT_THAT(UntickCleanRescan(320, 0, &cleaned), ElementsAre(k + "\\C:\\Tools\\a.exe.FriendlyAppName"));
  EXPECT_EQ(cleaned, 1);
}

TEST_F(WindowsTracesTest, OfficeFileAndPlaceListsDirectlyAndBelowUserMru) {
  const std::string w = "Software\\Microsoft\\Office\\16.0\\Word\\";
  const std::string x = "Software\\Microsoft\\Office\\15.0\\Excel\\";
  Reg("[HKEY_CURRENT_USER\\" + w + "File MRU]\n\"Item 1\"=\"[F00000000][T01D9]*C:\\\\a.docx\"\n"
      "[HKEY_CURRENT_USER\\" + w + "Place MRU]\n\"Item 1\"=\"[F00000000][T01D9]*C:\\\\Docs\\\\\"\n"
      "[HKEY_CURRENT_USER\\" + w + "User MRU\\ADAL_1234\\File MRU]\n\"Item 1\"=\"[F00000000][T01D9]*C:\\\\b.docx\"\n"
      "[HKEY_CURRENT_USER\\" + x + "File MRU]\n\"Item 1\"=\"[F00000000][T01D9]*C:\\\\c.xlsx\"\n"
      "[HKEY_CURRENT_USER\\" + w + "Options]\n\"Keep\"=\"1\"\n");
  EXPECT_THAT(Paths(*Scan(321)),
              UnorderedElementsAre(w + "File MRU\\Item 1", w + "Place MRU\\Item 1", w + "User MRU\\ADAL_1234\\File MRU\\Item 1",
                                   x + "File MRU\\Item 1"));
  int32_t cleaned = 0;
  EXPECT_EQ(UntickCleanRescan(321, 0, &cleaned).size(), 1u);
  EXPECT_EQ(cleaned, 3);
  sys::Registry reg(sim.registry());
  EXPECT_TRUE(reg.ValueExistsExact(sys::kHKCU, w + "Options", "Keep", sys::kMaskAll));
}

TEST_F(WindowsTracesTest, ThumbnailCacheFilesOnly) {
  const std::string e = "C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Explorer\\";
  for (const char* f : {"thumbcache_256.db", "thumbcache_idx.db", "iconcache_16.db", "thumbcache_old.txt"}) Put(e + f);
  EXPECT_THAT(Paths(*Scan(322)), UnorderedElementsAre(e + "thumbcache_256.db", e + "thumbcache_idx.db"));
  int32_t cleaned = 0;
  EXPECT_EQ(UntickCleanRescan(322, 0, &cleaned).size(), 1u);
  EXPECT_EQ(cleaned, 1);
  EXPECT_TRUE(sim.files().FileExists(e + "iconcache_16.db"));
}

TEST_F(WindowsTracesTest, RecentFilesLeavesThePinnedJumpListsAlone) {
  const std::string recent = "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\";
  Put(recent + "letter.lnk");
  Put(recent + "AutomaticDestinations\\5f7b5f1e01b83767.automaticDestinations-ms");
  Put(recent + "CustomDestinations\\28c8b86deab549a1.customDestinations-ms");
  sim.files().CreateFolder(recent + "Other");
  EXPECT_THAT(Paths(*Scan(303)), UnorderedElementsAre(recent + "letter.lnk", recent + "Other"));
}

}  // namespace
}  // namespace vl::evidence::testing
