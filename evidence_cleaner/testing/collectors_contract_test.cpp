// The collectors and the removal on both backends: natively on the
// simulated machine, and in the Windows build under Wine against the real
// registry and file system of the sandbox prefix (vl_evidence_wine_tests).
// Every key and file lies below the contract fixture's own key and folder,
// or carries "VlTest" in its name where a catalogue type reads a place of
// the system; only those are compared and removed.
#include <gmock/gmock.h>

#include <map>

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/collectors.h"
#include "evidence_cleaner/removal.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/test_env.h"
#include "sysaccess/testing/shortcut_bytes.h"
#include "sysaccess/text.h"

namespace vl::evidence {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

using testing::RecordingContext;

class CollectorsContractTest : public sys::ContractTest {
 protected:
  // What a catalogue test planted in the system's places goes, whatever the
  // test's outcome: later suites share the prefix.
  void TearDown() override {
    if (env_) {
      reg().DeleteValue(sys::kHKCU, kTyped, "VlTest url1", mask_);
      const std::string recent = sys::SpecialFolderPath(*p().shell, 10);
      if (!recent.empty()) {
        fs().RemoveFile(recent + "VlTest Grüße.lnk");
        sys::DeleteFolderTree(fs(), recent + "VlTest sub", 1);
      }
    }
    ContractTest::TearDown();
  }
  static constexpr const char* kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  // UTF-16 text with its terminator, as a REG_SZ holds it.
  static std::string Sz(const std::string& text) { return sys::Utf8ToUtf16Bytes(text) + std::string(2, '\0'); }
  void Put(const std::string& path, const std::string& data = "x") {
    fs().CreateFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(fs().WriteFileBytes(path, data)) << path;
  }
  std::unique_ptr<RecordingContext> Context(int32_t type) {
    return std::make_unique<RecordingContext>(p(), type, mask_);
  }
  // Removes the context's items through the removal worker's code; returns
  // the cleaned count.
  int32_t Remove(int32_t type, std::vector<TScanEvidence> items) {
    TSearchEvidence record(type, "test");
    record.items = std::move(items);
    record.itemCount = static_cast<int32_t>(record.items.size());
    auto c = Context(0);
    RemoveEvidence(*c, {&record});
    return record.cleanedCount.load();
  }
  static std::vector<std::string> Paths(const std::vector<TScanEvidence>& items) {
    std::vector<std::string> out;
    for (const TScanEvidence& i : items) out.push_back(i.kind == kRegistryValue ? i.path + "|" + i.name : i.path);
    return out;
  }
  static std::vector<TScanEvidence> Marked(const std::vector<TScanEvidence>& items) {
    std::vector<TScanEvidence> out;
    for (const TScanEvidence& i : items)
      if ((i.path + i.name).find("VlTest") != std::string::npos) out.push_back(i);
    return out;
  }
};

TEST_F(CollectorsContractTest, SubKeysAreListedAndRemovedWithTheirTrees) {
  const std::string mru = userKey_ + "\\MRU";
  MakeKey(sys::kHKCU, mru + "\\Grüße ☃\\deeper\\deepest");
  SetRaw(sys::kHKCU, mru + "\\Grüße ☃\\deeper", "v", sys::kRegSz, Sz("x"));
  MakeKey(sys::kHKCU, mru + "\\plain");
  auto c = Context(310);
  CollectRegistry(*c, sys::kHKCU, mru, RegMode::kSubKeys, false);
  EXPECT_THAT(Paths(c->items), UnorderedElementsAre(mru + "\\Grüße ☃", mru + "\\plain"));
  for (const TScanEvidence& i : c->items) {
    EXPECT_EQ(i.kind, kRegistryKey);
    EXPECT_EQ(i.key, static_cast<uint64_t>(sys::kHKCU));
  }
  EXPECT_EQ(Remove(310, c->items), 2);
  EXPECT_FALSE(reg().KeyExists(sys::kHKCU, mru + "\\Grüße ☃", mask_));
  EXPECT_FALSE(reg().KeyExists(sys::kHKCU, mru + "\\plain", mask_));
  EXPECT_TRUE(reg().KeyExists(sys::kHKCU, mru, mask_));
}

TEST_F(CollectorsContractTest, ValuesAreReadWholeByExactNameAndAnUntickedOneStays) {
  const std::string key = userKey_ + "\\TypedPaths";
  SetRaw(sys::kHKCU, key, "url1", sys::kRegSz, Sz("  http://grüße.test/a b  "));
  SetRaw(sys::kHKCU, key, "", sys::kRegSz, Sz("the unnamed one"));
  SetRaw(sys::kHKCU, key, "(Default)", sys::kRegSz, Sz("a value of that name"));
  SetRaw(sys::kHKCU, key, "path ☃", sys::kRegExpandSz, Sz("%TEMP%\\x"));
  // Larger than any fixed buffer: listed and removed all the same.
  SetRaw(sys::kHKCU, key, "IconStreams", sys::kRegBinary, std::string(20000, 'A'));
  SetRaw(sys::kHKCU, key, "keep", sys::kRegSz, Sz("stays"));
  auto c = Context(102);
  CollectRegistry(*c, sys::kHKCU, key, RegMode::kValues, true);
  std::map<std::string, std::string> data;
  for (const TScanEvidence& i : c->items) {
    EXPECT_EQ(i.kind, kRegistryValue);
    EXPECT_EQ(i.path, key);
    data[i.name] = i.value;
  }
  EXPECT_EQ(data.size(), 6u);
  EXPECT_EQ(data["url1"], "http://grüße.test/a b");
  EXPECT_EQ(data[""], "the unnamed one");
  EXPECT_EQ(data["(Default)"], "a value of that name");
  EXPECT_EQ(data["path ☃"], "%TEMP%\\x");
  EXPECT_EQ(data["IconStreams"], std::string(1024, 'A'));
  for (TScanEvidence& i : c->items) i.selected = i.name != "keep";
  EXPECT_EQ(Remove(102, c->items), 5);
  std::vector<std::string> left;
  reg().EnumValueNamesExact(left, sys::kHKCU, key, mask_);
  EXPECT_THAT(left, ElementsAre("keep"));

  // Without data the names alone are listed.
  SetRaw(sys::kHKCU, key, "MRU1", sys::kRegSz, Sz("c:\\doc.txt"));
  auto names = Context(106);
  CollectRegistry(*names, sys::kHKCU, key, RegMode::kValues, false);
  EXPECT_THAT(Paths(names->items), UnorderedElementsAre(key + "|keep", key + "|MRU1"));
  for (const TScanEvidence& i : names->items) EXPECT_EQ(i.value, "");
}

TEST_F(CollectorsContractTest, ASingleValueIsBlankedToAnEmptyStringNotDeleted) {
  const std::string key = userKey_ + "\\Internet Explorer";
  SetRaw(sys::kHKCU, key, "Download Directory", sys::kRegSz, Sz("  D:\\Herunterladen ü  "));
  SetRaw(sys::kHKCU, key, "Save Directory", sys::kRegSz, Sz("   "));
  auto c = Context(107);
  CollectRegistry(*c, sys::kHKCU, key, RegMode::kSingleValue, true, "Download Directory");
  CollectRegistry(*c, sys::kHKCU, key, RegMode::kSingleValue, true, "Save Directory");  // blank: nothing to erase
  CollectRegistry(*c, sys::kHKCU, key, RegMode::kSingleValue, true, "Missing");
  ASSERT_EQ(c->items.size(), 1u);
  EXPECT_EQ(c->items[0].action, kBlankValue);
  EXPECT_EQ(c->items[0].value, "D:\\Herunterladen ü");
  EXPECT_EQ(Remove(107, c->items), 1);
  const sys::RegData d = GetRaw(sys::kHKCU, key, "Download Directory");
  EXPECT_EQ(d.type, sys::kRegSz);
  EXPECT_EQ(d.bytes, std::string(2, '\0'));
}

TEST_F(CollectorsContractTest, AFolderListsItsTopLevelFilesAndFoldersAndRemovesThemWhole) {
  const std::string recent = folder_ + "\\Recent";
  Put(recent + "\\Grüße ☃.lnk", sys::testing::ShortcutBytes("C:\\Grüße ☃.txt"));
  Put(recent + "\\notes.txt", "12345");
  Put(recent + "\\Sub ü\\inner\\deep.lnk");
  auto c = Context(303);
  CollectFolder(*c, recent);
  EXPECT_THAT(Paths(c->items),
              UnorderedElementsAre(recent + "\\Grüße ☃.lnk", recent + "\\notes.txt", recent + "\\Sub ü"));
  for (const TScanEvidence& i : c->items) EXPECT_EQ(i.kind, i.path == recent + "\\Sub ü" ? kFolder : kFile);
  EXPECT_EQ(Remove(303, c->items), 3);
  EXPECT_FALSE(fs().FileExists(recent + "\\Grüße ☃.lnk"));
  EXPECT_FALSE(fs().DirectoryExists(recent + "\\Sub ü"));
  EXPECT_TRUE(fs().DirectoryExists(recent));
}

TEST_F(CollectorsContractTest, AFileTreeListsTheFilesBelowEveryFolderAndKeepsTheFolders) {
  const std::string cache = folder_ + "\\Cache";
  Put(cache + "\\entries\\ÄBC1☃", "abc");
  Put(cache + "\\index");
  Put(cache + "\\doomed\\Bookmark.URL");
  auto all = Context(413);
  CollectFileTree(*all, cache, "*.*");
  EXPECT_THAT(Paths(all->items), UnorderedElementsAre(cache + "\\entries\\ÄBC1☃", cache + "\\index",
                                                      cache + "\\doomed\\Bookmark.URL"));
  auto urls = Context(104);
  CollectFileTree(*urls, cache, ".url");
  EXPECT_THAT(Paths(urls->items), ElementsAre(cache + "\\doomed\\Bookmark.URL"));
  EXPECT_EQ(Remove(413, all->items), 3);
  EXPECT_FALSE(fs().FileExists(cache + "\\entries\\ÄBC1☃"));
  EXPECT_TRUE(fs().DirectoryExists(cache + "\\doomed"));
}

TEST_F(CollectorsContractTest, ALinkInAScannedFolderIsNeitherListedNorEnteredNorRemoved) {
  const std::string recent = folder_ + "\\Recent";
  const std::string outside = folder_ + "\\Outside";
  Put(recent + "\\a.lnk");
  Put(outside + "\\keep.url");
  if (!env_->MakeFolderLink(recent + "\\Link", outside)) GTEST_SKIP() << "this system made no folder link";
  auto top = Context(303);
  CollectFolder(*top, recent);
  EXPECT_THAT(Paths(top->items), ElementsAre(recent + "\\a.lnk"));
  auto tree = Context(104);
  CollectFileTree(*tree, recent, ".url");
  EXPECT_TRUE(tree->items.empty());
  EXPECT_EQ(Remove(303, top->items), 1);
  sys::FileEntry e;
  EXPECT_TRUE(fs().GetEntry(recent + "\\Link", e) && e.IsReparsePoint());
  EXPECT_TRUE(fs().FileExists(outside + "\\keep.url"));
}

TEST_F(CollectorsContractTest, ARemovalDoesNotGoThroughAFolderThatBecameALinkSinceTheScan) {
  const std::string cache = folder_ + "\\Cache";
  const std::string outside = folder_ + "\\Outside";
  Put(cache + "\\entries\\victim.bin");
  Put(outside + "\\victim.bin");
  auto c = Context(413);
  CollectFileTree(*c, cache, "*.*");
  ASSERT_EQ(c->items.size(), 1u);
  // The folder is swapped for a link to another folder holding the same name.
  ASSERT_TRUE(sys::DeleteFolderTree(fs(), cache + "\\entries", 1));
  if (!env_->MakeFolderLink(cache + "\\entries", outside)) GTEST_SKIP() << "this system made no folder link";
  EXPECT_EQ(Remove(413, c->items), 0);
  EXPECT_TRUE(fs().FileExists(outside + "\\victim.bin"));
}

TEST_F(CollectorsContractTest, CatalogueTypesReadTheSystemsOwnPlaces) {
  // Address Bar History: HKCU's TypedURLs, values with data.
  const std::string typed = kTyped;
  SetRaw(sys::kHKCU, typed, "VlTest url1", sys::kRegSz, Sz("http://☃.test/"));
  auto c = Context(102);
  CollectType(*c);
  auto mine = Marked(c->items);
  ASSERT_EQ(mine.size(), 1u);
  EXPECT_EQ(mine[0].value, "http://☃.test/");
  EXPECT_EQ(Remove(102, mine), 1);
  EXPECT_FALSE(reg().ValueExistsExact(sys::kHKCU, typed, "VlTest url1", mask_));

  // Recent Files: the user's Recent folder, top level.
  const std::string recent = sys::SpecialFolderPath(*p().shell, 10);
  ASSERT_FALSE(recent.empty());
  Put(recent + "VlTest Grüße.lnk", sys::testing::ShortcutBytes("C:\\x.txt"));
  Put(recent + "VlTest sub\\inner.lnk");
  auto r = Context(303);
  CollectType(*r);
  auto found = Marked(r->items);
  EXPECT_THAT(Paths(found), UnorderedElementsAre(recent + "VlTest Grüße.lnk", recent + "VlTest sub"));
  EXPECT_EQ(Remove(303, found), 2);
  EXPECT_FALSE(fs().FileExists(recent + "VlTest Grüße.lnk"));
  EXPECT_FALSE(fs().DirectoryExists(recent + "VlTest sub"));
}

}  // namespace
}  // namespace vl::evidence
