// The evidence cleaner in the real program: types ticked in the tree, their
// traces planted in the real registry, a Firefox profile and its cache in
// the prefix, scanned, shown item by item, one item unticked, the rest erased.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/control_ids.h"
#include "store/database.h"
#include "tests/gui/gui_test_app.h"

namespace vl::gui {
namespace {

const wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

bool HasValue(const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, kRunMru, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void PlantRunMru() {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunMru, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, data] : {std::pair<const wchar_t*, const wchar_t*>{L"a", L"notepad\\1"},
                                   {L"b", L"vl_gui_evidence\\1"}, {L"MRUList", L"ba"}})
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? std::wstring(path) + L"\\" : L"";
}

class EvidenceGui : public GuiTestApp {
 protected:
  static void SetUpTestSuite() {
    folderName_ = L"C:\\vltest_gui_evidence\\";
    GuiTestApp::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    GuiTestApp::TearDownTestSuite();
    folderName_ = L"C:\\vltest_gui\\";
  }

  // The child of `parent` with this text, expanded into view.
  HTREEITEM Node(HWND tree, HTREEITEM parent, const std::wstring& text) {
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (int i = 0;; ++i) {
      HTREEITEM item = TreeChild(tree, parent, i);
      if (!item) return nullptr;
      if (TreeItemText(tree, item) == text) {
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        return item;
      }
    }
  }
  // The evidence page with its tree pulled; the tree's top node in `root`.
  HWND OpenTree(HTREEITEM* root) {
    Click(id::imgMCleanup);
    Click(id::imgEvidence);
    if (!SheetShown(L"tabEvidence")) return nullptr;
    HWND tree = Control(id::treeEvidence);
    return WaitFor([&] { return (*root = TreeChild(tree, nullptr, 0)) != nullptr; }) ? tree : nullptr;
  }
  // Select All off: nothing ticked.
  bool UntickAll(HWND tree, HTREEITEM root) {
    Click(id::chkESelectAll);
    return WaitFor([&] { return TreeStateImage(tree, root) == 1; });
  }
  // The node's own box clicked, as the mouse would, until it shows ticked.
  bool Tick(HWND tree, HTREEITEM node) {
    return node && ClickTreeCheckBox(tree, node) && WaitFor([&] { return TreeStateImage(tree, node) == 2; });
  }
};

TEST_F(EvidenceGui, ATickedTypeIsScannedShownAndErased) {
  PlantRunMru();

  HTREEITEM root = nullptr;
  HWND tree = OpenTree(&root);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(TreeItemText(tree, root), L"My Computer");
  EXPECT_EQ(TreeStateImage(tree, root), 2);  // everything starts ticked
  Shot(L"evidence_tree");

  // Only "Run History": Select All off, then its own box.
  ASSERT_TRUE(UntickAll(tree, root));
  HTREEITEM group = Node(tree, root, L"Windows System");
  ASSERT_NE(group, nullptr);
  ASSERT_TRUE(Tick(tree, Node(tree, group, L"Run History")));
  EXPECT_EQ(TreeStateImage(tree, group), 1);  // a parent is not worked out from its children

  PostMessageW(Control(id::imgEviScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Result", 0); }, 120000));
  HWND result = Control(id::lstvEResult);
  ASSERT_EQ(ListRowCount(result), 1);
  EXPECT_EQ(ListCellText(result, 0, 0), L"Windows System - Run History");
  EXPECT_EQ(ListCellText(result, 0, 1), L"3");
  HWND details = Control(id::lstvEResultDesc);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(details) == 3; }));
  std::wstring all;
  for (int i = 0; i < 3; ++i)
    for (int c = 0; c < 3; ++c) all += ListCellText(details, i, c) + L"|";
  EXPECT_NE(all.find(L"vl_gui_evidence\\1"), std::wstring::npos) << Narrow(all);
  // Too long for its column, the path is shortened where it is painted only:
  // another program still reads it whole.
  EXPECT_NE(all.find(L"|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\\MRUList|"),
            std::wstring::npos)
      << Narrow(all);
  Shot(L"evidence_result");

  PostMessageW(Control(id::imgEClean), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  EXPECT_EQ(text, L"Are you sure you want to delete the specified evidence?");
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Finish", 0); }, 120000));
  Shot(L"evidence_finish");
  EXPECT_FALSE(HasValue(L"a"));
  EXPECT_FALSE(HasValue(L"b"));
  EXPECT_FALSE(HasValue(L"MRUList"));
}

// A Firefox profile as Firefox keeps it: profiles.ini naming a relative
// profile, its history in places.sqlite, its cache below the local folder.
class EvidenceFirefoxGui : public EvidenceGui {
 protected:
  void SetUp() override {
    EvidenceGui::SetUp();
    roaming_ = KnownFolder(CSIDL_APPDATA) + L"Mozilla\\Firefox\\";
    local_ = KnownFolder(CSIDL_LOCAL_APPDATA) + L"Mozilla\\Firefox\\";
    ASSERT_FALSE(roaming_.empty());
    for (const std::wstring& base : {roaming_, local_}) {
      SHCreateDirectoryExW(nullptr, (base + kProfile).c_str(), nullptr);
      ASSERT_NE(GetFileAttributesW((base + kProfile).c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(base);
    }
    ASSERT_TRUE(WriteFileText(roaming_ + L"profiles.ini",
                              "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
                              "Path=Profiles/vltest.default-release\r\nDefault=1\r\n"));
    store::Connection db = store::OpenDatabase(Narrow(roaming_ + kProfile + L"\\places.sqlite"));
    for (const char* sql :
         {"create table moz_places (id integer primary key, url text, title text, visit_count integer,"
          " last_visit_date integer, foreign_count integer not null default 0)",
          "create table moz_historyvisits (id integer primary key, place_id integer, visit_date integer)",
          "create table moz_bookmarks (id integer primary key, fk integer, title text)",
          // Visited twice; a bookmarked page; a page the user keeps.
          "insert into moz_places values (1, 'http://127.0.0.1/a', 'Grüße ☃', 2, 10, 0)",
          "insert into moz_places values (2, 'http://127.0.0.1/b', 'Marked', 1, 11, 1)",
          "insert into moz_places values (3, 'http://127.0.0.1/c', 'Kept page', 1, 12, 0)",
          "insert into moz_historyvisits values (1, 1, 10), (2, 1, 11), (3, 2, 12), (4, 3, 13)",
          "insert into moz_bookmarks values (1, 2, 'Marked')"})
      store::RunStatement(db, sql);
    SHCreateDirectoryExW(nullptr, (local_ + kProfile + L"\\cache2\\entries").c_str(), nullptr);
    ASSERT_TRUE(WriteFileText(local_ + kProfile + L"\\cache2\\entries\\0A1B2C", "cached page"));
  }
  void TearDown() override {
    EvidenceGui::TearDown();
    for (const std::wstring& base : {roaming_, local_}) {
      std::wstring tree = base + L"Profiles";
      tree.push_back(L'\0');  // the double terminator SHFileOperation wants
      SHFILEOPSTRUCTW op{};
      op.wFunc = FO_DELETE;
      op.pFrom = tree.c_str();
      op.fFlags = FOF_NO_UI;
      SHFileOperationW(&op);
    }
    DeleteFileW((roaming_ + L"profiles.ini").c_str());
  }
  std::vector<std::string> Column(const std::string& sql, const std::wstring& file) {
    store::Connection db = store::OpenDatabase(Narrow(file));
    std::vector<std::string> out;
    for (store::ResultTable t = store::RunQuery(db, sql); !t.AtEnd(); t.NextRow()) out.push_back(t.ColumnText(0));
    return out;
  }
  // The detail row whose cells hold `text`, -1 when none.
  static int DetailRow(HWND details, const std::wstring& text) {
    for (int i = 0; i < ListRowCount(details); ++i)
      for (int c = 1; c < 3; ++c)
        if (ListCellText(details, i, c).find(text) != std::wstring::npos) return i;
    return -1;
  }
  static constexpr const wchar_t* kProfile = L"Profiles\\vltest.default-release";
  std::wstring roaming_, local_;
};

TEST_F(EvidenceFirefoxGui, UntickedItemsStayAndEverythingElseTickedGoes) {
  PlantRunMru();
  HTREEITEM root = nullptr;
  HWND tree = OpenTree(&root);
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(UntickAll(tree, root));
  for (const auto& [group, type] : {std::pair<const wchar_t*, const wchar_t*>{L"Windows System", L"Run History"},
                                    {L"Internet Software", L"Firefox History"},
                                    {L"Internet Software", L"Firefox Cache"}})
    ASSERT_TRUE(Tick(tree, Node(tree, Node(tree, root, group), type))) << Narrow(type);

  PostMessageW(Control(id::imgEviScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Result", 0); }, 120000));
  HWND result = Control(id::lstvEResult);
  ASSERT_EQ(ListRowCount(result), 3);
  EXPECT_EQ(ListCellText(result, 0, 0), L"Windows System - Run History");
  EXPECT_EQ(ListCellText(result, 1, 0), L"Internet Software - Firefox History");
  EXPECT_EQ(ListCellText(result, 2, 0), L"Internet Software - Firefox Cache");
  EXPECT_EQ(ListCellText(result, 0, 1), L"3");
  EXPECT_EQ(ListCellText(result, 1, 1), L"4");  // one row per visit
  EXPECT_EQ(ListCellText(result, 2, 1), L"1");

  // Run History: "b" unticked.
  HWND details = Control(id::lstvEResultDesc);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(details) == 3; }));
  const int b = DetailRow(details, L"vl_gui_evidence\\1");
  ASSERT_GE(b, 0);
  ASSERT_TRUE(ClickListRow(details, b, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(details, b) == 0; }));
  // Firefox History: the kept page's visit unticked (the ticks of the first
  // row stay when another row is shown).
  ASSERT_TRUE(ClickListRow(result, 1, false));
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(details) == 4 && DetailRow(details, L"Kept page") >= 0; }));
  EXPECT_GE(DetailRow(details, L"Grüße ☃"), 0);
  const int kept = DetailRow(details, L"Kept page");
  ASSERT_TRUE(ClickListRow(details, kept, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(details, kept) == 0; }));
  Shot(L"evidence_firefox");

  // The report: every type with its items, the unticked ones too.
  DeleteFileW(L"C:\\vl\\evidence_gui_export.html");
  PostMessageW(Control(id::imgEExport), BM_CLICK, 0, 0);
  std::wstring suggested, text;
  ASSERT_TRUE(SaveAs(L"C:\\vl\\evidence_gui_export", &suggested));
  ASSERT_TRUE(Answer(IDOK, &text));
  EXPECT_EQ(text, L"Data has been exported to C:\\vl\\evidence_gui_export.html");
  const std::string html = ReadFileText(L"C:\\vl\\evidence_gui_export.html");
  for (const char* shown : {"Windows System - Run History", "Internet Software - Firefox History",
                            "Internet Software - Firefox Cache", "Grüße ☃", "http://127.0.0.1/c", "0A1B2C"})
    EXPECT_NE(html.find(shown), std::string::npos) << shown;

  PostMessageW(Control(id::imgEClean), BM_CLICK, 0, 0);
  ASSERT_TRUE(Answer(IDYES, &text));
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Finish", 0); }, 120000));
  HWND finish = Control(id::lstvEFinish);
  ASSERT_EQ(ListRowCount(finish), 3);
  EXPECT_EQ(ListCellText(finish, 0, 2), L"2");
  EXPECT_EQ(ListCellText(finish, 1, 2), L"3");
  EXPECT_EQ(ListCellText(finish, 2, 2), L"1");

  // Exactly what was ticked is gone.
  EXPECT_FALSE(HasValue(L"a"));
  EXPECT_TRUE(HasValue(L"b"));
  EXPECT_FALSE(HasValue(L"MRUList"));
  const std::wstring places = roaming_ + kProfile + L"\\places.sqlite";
  EXPECT_EQ(Column("select place_id from moz_historyvisits order by id", places), std::vector<std::string>{"3"});
  // The bookmarked page stays (without its visits), so the bookmark still opens it.
  EXPECT_EQ(Column("select id from moz_places order by id", places), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Column("select url from moz_places p join moz_bookmarks b on b.fk = p.id", places),
            std::vector<std::string>{"http://127.0.0.1/b"});
  EXPECT_EQ(GetFileAttributesW((local_ + kProfile + L"\\cache2\\entries\\0A1B2C").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((local_ + kProfile + L"\\cache2\\entries").c_str()), INVALID_FILE_ATTRIBUTES);
  for (const wchar_t* v : {L"b"}) RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunMru, v);
}

// Edge and Brave as Windows keeps them: two profiles each in Local State,
// History and Network\Cookies, a bookmark in each profile.
class EvidenceChromiumGui : public EvidenceFirefoxGui {
 protected:
  void SetUp() override {
    EvidenceGui::SetUp();
    const std::wstring local = KnownFolder(CSIDL_LOCAL_APPDATA);
    ASSERT_FALSE(local.empty());
    for (const wchar_t* b : {L"Microsoft\\Edge\\User Data\\", L"BraveSoftware\\Brave-Browser\\User Data\\"}) {
      const std::wstring data = local + b;
      roots_.push_back(data);
      for (const wchar_t* p : {L"Default", L"Profile 1"}) {
        SHCreateDirectoryExW(nullptr, (data + p + L"\\Network").c_str(), nullptr);
        ASSERT_TRUE(WriteFileText(data + p + L"\\Bookmarks", kMarks));
        ASSERT_TRUE(WriteFileText(data + p + L"\\Login Data", "saved passwords"));
        store::Connection h = store::OpenDatabase(Narrow(data + p + L"\\History"));
        for (const char* sql :
             {"create table urls (id integer primary key, url text, title text, visit_count integer, last_visit_time integer)",
              "create table visits (id integer primary key, url integer, visit_time integer)",
              "insert into urls values (1, 'http://127.0.0.1/a', 'Page A', 1, 13300000000000000)",
              "insert into urls values (2, 'http://127.0.0.1/b', 'Page B', 1, 13300000000000000)",
              "insert into visits values (1, 1, 1), (2, 2, 2)"})
          store::RunStatement(h, sql);
        store::Connection c = store::OpenDatabase(Narrow(data + p + L"\\Network\\Cookies"));
        for (const char* sql : {"create table cookies (host_key text, name text, value text, encrypted_value blob)",
                                "insert into cookies values ('127.0.0.1', 'one', '', x'00')",
                                "insert into cookies values ('localhost', 'two', '', x'00')"})
          store::RunStatement(c, sql);
      }
      ASSERT_TRUE(WriteFileText(data + L"Local State",
                                R"({"profile":{"info_cache":{"Default":{"name":"Home"},"Profile 1":{"name":"Work"}}}})"));
    }
  }
  void TearDown() override {
    EvidenceGui::TearDown();
    for (const std::wstring& r : roots_) {
      std::wstring tree = r.substr(0, r.size() - 1);
      tree.push_back(L'\0');
      SHFILEOPSTRUCTW op{};
      op.wFunc = FO_DELETE;
      op.pFrom = tree.c_str();
      op.fFlags = FOF_NO_UI;
      SHFileOperationW(&op);
    }
  }
  static constexpr const char* kMarks =
      R"({"roots":{"bookmark_bar":{"children":[{"name":"mark","type":"url","url":"http://127.0.0.1/a"}]}}})";
  std::vector<std::wstring> roots_;
};

TEST_F(EvidenceChromiumGui, EdgeAndBraveProfilesKeepExactlyTheUntickedRowsAndEveryBookmark) {
  HTREEITEM root = nullptr;
  HWND tree = OpenTree(&root);
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(UntickAll(tree, root));
  HTREEITEM group = Node(tree, root, L"Internet Software");
  for (const wchar_t* type : {L"Microsoft Edge History", L"Microsoft Edge Cookies", L"Brave History", L"Brave Cookies"})
    ASSERT_TRUE(Tick(tree, Node(tree, group, type))) << Narrow(type);
  Shot(L"evidence_tree_browsers");

  PostMessageW(Control(id::imgEviScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Result", 0); }, 120000));
  HWND result = Control(id::lstvEResult);
  ASSERT_EQ(ListRowCount(result), 4);
  EXPECT_EQ(ListCellText(result, 0, 0), L"Internet Software - Microsoft Edge History");
  EXPECT_EQ(ListCellText(result, 3, 0), L"Internet Software - Brave Cookies");
  for (int r = 0; r < 4; ++r) EXPECT_EQ(ListCellText(result, r, 1), L"4") << r;

  // Edge History: Page B of the Work profile unticked.
  HWND details = Control(id::lstvEResultDesc);
  ASSERT_TRUE(WaitFor([&] { return ListRowCount(details) == 4 && DetailRow(details, L"[Work] Page B") >= 0; }));
  const int url = DetailRow(details, L"[Work] Page B");
  ASSERT_TRUE(ClickListRow(details, url, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(details, url) == 0; }));
  // Brave Cookies: the Home profile's localhost cookie unticked.
  ASSERT_TRUE(ClickListRow(result, 3, false));
  ASSERT_TRUE(WaitFor([&] { return DetailRow(details, L"[Home] two@localhost") >= 0; }));
  const int cookie = DetailRow(details, L"[Home] two@localhost");
  ASSERT_TRUE(ClickListRow(details, cookie, true));
  ASSERT_TRUE(WaitFor([&] { return ListItemImage(details, cookie) == 0; }));
  Shot(L"evidence_result_browsers");

  PostMessageW(Control(id::imgEClean), BM_CLICK, 0, 0);
  std::wstring text;
  ASSERT_TRUE(Answer(IDYES, &text));
  ASSERT_TRUE(WaitFor([&] { return SheetShown(L"tabEvidence_Finish", 0); }, 120000));
  HWND finish = Control(id::lstvEFinish);
  ASSERT_EQ(ListRowCount(finish), 4);
  EXPECT_EQ(ListCellText(finish, 0, 2), L"3");
  EXPECT_EQ(ListCellText(finish, 1, 2), L"4");
  EXPECT_EQ(ListCellText(finish, 2, 2), L"4");
  EXPECT_EQ(ListCellText(finish, 3, 2), L"3");

  const std::wstring& edge = roots_[0];
  const std::wstring& brave = roots_[1];
  using Rows = std::vector<std::string>;
  EXPECT_EQ(Column("select url from urls", edge + L"Profile 1\\History"), Rows{"http://127.0.0.1/b"});
  EXPECT_EQ(Column("select url from visits", edge + L"Profile 1\\History"), Rows{"2"});
  for (const std::wstring& h : {edge + L"Default\\History", brave + L"Default\\History", brave + L"Profile 1\\History"})
    EXPECT_EQ(Column("select count(*) from urls", h), Rows{"0"}) << Narrow(h);
  EXPECT_EQ(Column("select name from cookies", brave + L"Default\\Network\\Cookies"), Rows{"two"});
  for (const std::wstring& c : {brave + L"Profile 1\\Network\\Cookies", edge + L"Default\\Network\\Cookies",
                                edge + L"Profile 1\\Network\\Cookies"})
    EXPECT_EQ(Column("select count(*) from cookies", c), Rows{"0"}) << Narrow(c);
  for (const std::wstring& r : roots_)
    for (const wchar_t* p : {L"Default", L"Profile 1"}) {
      EXPECT_EQ(ReadFileText(r + p + L"\\Bookmarks"), kMarks) << Narrow(r + p);
      EXPECT_EQ(ReadFileText(r + p + L"\\Login Data"), "saved passwords") << Narrow(r + p);
    }
}

}  // namespace
}  // namespace vl::gui
