// The startup manager in the main window on the simulated platform: the two
// lists, removing and restoring Run values and Startup-folder shortcuts, the
// startup table, and what happens when an entry cannot be moved.
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "optimizer/optimizer.h"
#include "optimizer/testing/optimizer_testing.h"
#include "programs/vantorel/testing/app_fixture.h"

namespace vl::optimizer {
namespace {

using testing::Value;

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUserStartup[] = "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\";
const char kCommonStartup[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\";
const char kLnk[] = "C:\\Vantorel\\backup\\lnk\\";
const char kAsk[] =
    "Are you sure to remove the item from the Startup List?\rYou could view or recovery the item from the "
    "RestoreList.";

class StartupManagerTest : public vl::testing::AppFixture {
 protected:
  StartupManagerTest() {
    sim.files().CreateFolder(kUserStartup);
    sim.files().CreateFolder(kCommonStartup);
    sim.files().CreateFolder("C:\\Apps");
  }
  void Reg(const std::string& body) { ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body)); }
  void RunValue(const std::string& name, const std::string& data, bool machine = false) {
    sys::RegKey k;
    ASSERT_EQ(sim.registry().CreateKey(machine ? sys::kHKLM : sys::kHKCU, kRun, sys::kMaskAll, &k), 0);
    sim.registry().SetValue(k, name, sys::kRegSz, sys::Utf8ToUtf16Bytes(data) + std::string(2, '\0'));
    sim.registry().CloseKey(k);
  }
  void Shortcut(const std::string& path, const std::string& target) {
    WriteFile(path, testing::ShortcutBytes(target));
  }
  Optimizer& Open() {
    if (!main) Start();
    main->ShowPage(page::kStartupManager);
    Drain();
    return *features.optimizer;
  }
  std::vector<std::string> Rows(id::ControlId view) {
    std::vector<std::string> rows;
    ui::Control& c = main->control(view);
    for (int r = 0; r < c.rowCount(); ++r) rows.push_back(c.rowProvider(r, 0).text + "|" + c.rowProvider(r, 1).text);
    return rows;
  }
  // Ticks a row as the user does: a press on its icon.
  void Tick(id::ControlId view, int row) { main->control(view).onMouseDown(row, true); }
  int TickRow(id::ControlId view, const std::string& name) {
    ui::Control& c = main->control(view);
    for (int r = 0; r < c.rowCount(); ++r)
      if (c.rowProvider(r, 0).text == name) {
        Tick(view, r);
        return r;
      }
    ADD_FAILURE() << name << " not listed";
    return -1;
  }
  void Remove() {
    main->control(id::imgStartupRemove).Click();
    Drain();
  }
  void Restore() {
    main->control(id::imgStartupRestore).Click();
    Drain();
  }
  std::vector<std::string> Table() {
    store::Connection c = Db();
    store::ResultTable t = store::RunQuery(c, "select sid,sname,spath,stype,sdate from startup order by rowid");
    std::vector<std::string> rows;
    for (; !t.AtEnd(); t.NextRow())
      rows.push_back(t.ColumnByName("sname") + "|" + t.ColumnByName("spath") + "|" + t.ColumnByName("stype"));
    return rows;
  }
  std::vector<std::string> Sids() {
    store::Connection c = Db();
    store::ResultTable t = store::RunQuery(c, "select sid from startup order by rowid");
    std::vector<std::string> ids;
    for (; !t.AtEnd(); t.NextRow()) ids.push_back(t.ColumnByName("sid"));
    return ids;
  }
  void Reopen() {
    main->ShowPage(page::kOptimize);
    main->ShowPage(page::kStartupManager);
    Drain();
  }
};

TEST_F(StartupManagerTest, EmptyPlacesGiveEmptyListsAndRemoveDoesNothing) {
  Open();
  EXPECT_EQ(main->form().activeSheet(), sheet::tabOptimize_Startup);
  EXPECT_EQ(Text(id::labStartupTitle), "Startup Program Manager");
  EXPECT_EQ(Text(id::labStartupDesc), "Choose which applications you wish to launch when Windows starts.");
  EXPECT_TRUE(main->control(id::lstvSRemove).visible());
  EXPECT_FALSE(main->control(id::lstvSRestore).visible());
  EXPECT_EQ(main->control(id::lstvSRemove).rowCount(), 0);
  EXPECT_EQ(main->control(id::lstvSRestore).rowCount(), 0);
  Remove();
  Restore();
  EXPECT_TRUE(ports.messages.empty());
}

TEST_F(StartupManagerTest, NothingTickedIsRefusedWithAMessage) {
  RunValue("Tool", "C:\\Apps\\tool.exe /min");
  Open();
  ASSERT_EQ(Rows(id::lstvSRemove), std::vector<std::string>{"Tool|C:\\Apps\\tool.exe /min"});
  EXPECT_EQ(main->control(id::lstvSRemove).rowProvider(0, 0).image, 0);
  Remove();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "You choose not to remove startup items.");
  EXPECT_EQ(ports.messages[0].caption, "Error");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Warning);
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Tool"), "sz:C:\\Apps\\tool.exe /min");
}

TEST_F(StartupManagerTest, ARunValueIsRemovedAfterTheQuestionAndRestoredAsTheSameRegSz) {
  RunValue("Tool", "C:\\Apps\\tool.exe /min");
  RunValue("Machine Tool", "C:\\Apps\\m.exe", true);
  Open();
  ASSERT_EQ(Rows(id::lstvSRemove),
            (std::vector<std::string>{"Tool|C:\\Apps\\tool.exe /min", "Machine Tool|C:\\Apps\\m.exe"}));
  ports.answers.push_back(MsgAnswer::No);
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_EQ(ports.messages.back().text, kAsk);
  EXPECT_EQ(ports.messages.back().caption, "Confrim");
  EXPECT_EQ(ports.messages.back().icon, MsgIcon::Information);
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Tool"), "sz:C:\\Apps\\tool.exe /min");
  Remove();  // Yes
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Tool"), "absent");
  EXPECT_EQ(Rows(id::lstvSRemove), std::vector<std::string>{"Machine Tool|C:\\Apps\\m.exe"});
  EXPECT_EQ(Rows(id::lstvSRestore), std::vector<std::string>{"Tool|C:\\Apps\\tool.exe /min"});
  EXPECT_EQ(Table(), std::vector<std::string>{"Tool|C:\\Apps\\tool.exe /min|1"});

  main->control(id::imgSRestore).Click();
  EXPECT_TRUE(main->control(id::lstvSRestore).visible());
  Tick(id::lstvSRestore, 0);
  Restore();
  sys::RegData d;
  {
    sys::ScopedKey k(sim.registry(), sys::kHKCU, kRun, sys::kMaskAll);
    ASSERT_EQ(sim.registry().QueryValue(k.get(), "Tool", 0, &d), 0);
  }
  EXPECT_EQ(d.type, sys::kRegSz);
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Tool"), "sz:C:\\Apps\\tool.exe /min");
  EXPECT_TRUE(Table().empty());
  EXPECT_EQ(main->control(id::lstvSRestore).rowCount(), 0);
  EXPECT_EQ(Rows(id::lstvSRemove),
            (std::vector<std::string>{"Machine Tool|C:\\Apps\\m.exe", "Tool|C:\\Apps\\tool.exe /min"}));
}

TEST_F(StartupManagerTest, TwoEntriesRemovedAtOnceGoInReverseOrderWithDistinctIdsAndReloadNewestFirst) {
  RunValue("First", "C:\\Apps\\1.exe");
  RunValue("Second", "C:\\Apps\\2.exe");
  // An older removal, from a version that counted days.
  Start();
  {
    store::Connection c = Db();
    store::RunStatement(c, "insert into startup (sid,sname,spath,stype,sdate) values (19000,'Old','C:\\Apps\\o.exe',1,"
                           "'2020-01-01 10:00:00')");
  }
  Open();
  Tick(id::lstvSRemove, 0);
  Tick(id::lstvSRemove, 1);
  Remove();
  EXPECT_EQ(Rows(id::lstvSRestore),
            (std::vector<std::string>{"Old|C:\\Apps\\o.exe", "Second|C:\\Apps\\2.exe", "First|C:\\Apps\\1.exe"}));
  EXPECT_EQ(Table(), (std::vector<std::string>{"Old|C:\\Apps\\o.exe|1", "Second|C:\\Apps\\2.exe|1",
                                               "First|C:\\Apps\\1.exe|1"}));
  const auto ids = Sids();
  EXPECT_NE(ids[1], ids[2]);
  Reopen();
  const auto rows = Rows(id::lstvSRestore);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], "Old|C:\\Apps\\o.exe");
}

TEST_F(StartupManagerTest, OldRowsSharingADayNumberLoadAndOnlyTheRestoredOneIsDeleted) {
  Start();
  {
    store::Connection c = Db();
    for (const char* name : {"A", "B"})
      store::RunStatement(c, std::string("insert into startup (sid,sname,spath,stype,sdate) values (19000,'") + name +
                                 "','C:\\Apps\\" + name + ".exe',1,'2020-01-01 10:00:00')");
  }
  Reg("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n");
  Open();
  ASSERT_EQ(main->control(id::lstvSRestore).rowCount(), 2);
  TickRow(id::lstvSRestore, "A");
  Restore();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "A"), "sz:C:\\Apps\\A.exe");
  EXPECT_EQ(Table(), std::vector<std::string>{"B|C:\\Apps\\B.exe|1"});
  EXPECT_EQ(Rows(id::lstvSRestore), std::vector<std::string>{"B|C:\\Apps\\B.exe"});
}

TEST_F(StartupManagerTest, ShortcutsInAnyCaseAreListedAndOtherFilesAreNot) {
  Shortcut(std::string(kUserStartup) + "Tool.LNK", "C:\\Apps\\tool.exe");
  Shortcut(std::string(kCommonStartup) + "Shared.lnk", "C:\\Apps\\shared.exe");
  WriteFile(std::string(kUserStartup) + "desktop.ini", "[.ShellClassInfo]\r\n");
  sim.files().CreateFolder(std::string(kUserStartup) + "folder.lnk");
  Open();
  EXPECT_EQ(Rows(id::lstvSRemove),
            (std::vector<std::string>{"Tool.LNK|C:\\Apps\\tool.exe", "Shared.lnk|C:\\Apps\\shared.exe"}));
}

TEST_F(StartupManagerTest, AShortcutIsMovedIntoBackupLnkAndBack) {
  WriteFile("C:\\Apps\\tool.exe", "MZ");
  Shortcut(std::string(kCommonStartup) + "Tool.lnk", "C:\\Apps\\tool.exe");
  const std::string bytes = ReadFile(std::string(kCommonStartup) + "Tool.lnk");
  Open();
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_FALSE(sim.files().FileExists(std::string(kCommonStartup) + "Tool.lnk"));
  EXPECT_EQ(ReadFile(std::string(kLnk) + "Tool.lnk"), bytes);
  EXPECT_EQ(Table(), std::vector<std::string>{"Tool.lnk|C:\\Apps\\tool.exe|4"});
  Tick(id::lstvSRestore, 0);
  Restore();
  EXPECT_EQ(ReadFile(std::string(kCommonStartup) + "Tool.lnk"), bytes);
  EXPECT_FALSE(sim.files().FileExists(std::string(kLnk) + "Tool.lnk"));
  EXPECT_TRUE(Table().empty());
  EXPECT_TRUE(ports.messages.size() == 1);  // the question only
}

TEST_F(StartupManagerTest, TheUnnamedValueIsShownAsDefaultAndComesBackAsTheUnnamedValue) {
  RunValue("", "C:\\Apps\\default.exe");
  Open();
  ASSERT_EQ(Rows(id::lstvSRemove), std::vector<std::string>{"(Default)|C:\\Apps\\default.exe"});
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, ""), "absent");
  Tick(id::lstvSRestore, 0);
  Restore();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, ""), "sz:C:\\Apps\\default.exe");
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "(Default)"), "absent");
}

TEST_F(StartupManagerTest, ExpandableAndMultiStringRunValuesComeBackWithTheirTypeAndExactBytes) {
  const std::string expand = sys::Utf8ToUtf16Bytes("%windir%\\system32\\tool.exe") + std::string(2, '\0');
  const std::string multi = sys::Utf8ToUtf16Bytes("C:\\Apps\\m.exe") + std::string(2, '\0') +
                            sys::Utf8ToUtf16Bytes("/second") + std::string(4, '\0');
  // Odd bytes after the text: kept too.
  const std::string odd = sys::Utf8ToUtf16Bytes("C:\\Apps\\o.exe") + std::string("\0\0\x07", 3);
  {
    sys::RegKey k;
    ASSERT_EQ(sim.registry().CreateKey(sys::kHKCU, kRun, sys::kMaskAll, &k), 0);
    sim.registry().SetValue(k, "Expand", sys::kRegExpandSz, expand);
    sim.registry().SetValue(k, "Multi", sys::kRegMultiSz, multi);
    sim.registry().SetValue(k, "Odd", sys::kRegSz, odd);
    sim.registry().CloseKey(k);
  }
  Open();
  for (int r = 0; r < 3; ++r) Tick(id::lstvSRemove, r);
  Remove();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Expand"), "absent");
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Multi"), "absent");
  // Read back from the table, as after a new start.
  Reopen();
  ASSERT_EQ(main->control(id::lstvSRestore).rowCount(), 3);
  for (int r = 0; r < 3; ++r) Tick(id::lstvSRestore, r);
  Restore();
  EXPECT_TRUE(ports.messages.size() == 1u) << (ports.messages.empty() ? "" : ports.messages.back().text);
  auto raw = [&](const char* name) {
    sys::RegData d;
    sys::ScopedKey k(sim.registry(), sys::kHKCU, kRun, sys::kMaskAll);
    sim.registry().QueryValue(k.get(), name, 4096, &d);
    return d;
  };
  EXPECT_EQ(raw("Expand").type, sys::kRegExpandSz);
  EXPECT_EQ(raw("Expand").bytes, expand);
  EXPECT_EQ(raw("Multi").type, sys::kRegMultiSz);
  EXPECT_EQ(raw("Multi").bytes, multi);
  EXPECT_EQ(raw("Odd").type, sys::kRegSz);
  EXPECT_EQ(raw("Odd").bytes, odd);
  EXPECT_TRUE(Table().empty());
}

TEST_F(StartupManagerTest, TheUnnamedValueAndAValueNamedDefaultStayApart) {
  RunValue("", "C:\\Apps\\unnamed.exe");
  RunValue("(Default)", "C:\\Apps\\named.exe");
  Open();
  ASSERT_EQ(Rows(id::lstvSRemove),
            (std::vector<std::string>{"(Default)|C:\\Apps\\unnamed.exe", "(Default)|C:\\Apps\\named.exe"}));
  Tick(id::lstvSRemove, 1);
  Remove();
  // The real value went; the unnamed one stays as it was.
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, ""), "sz:C:\\Apps\\unnamed.exe");
  std::vector<std::string> names;
  sys::Registry(sim.registry()).EnumValueNamesExact(names, sys::kHKCU, kRun, sys::kMaskAll);
  EXPECT_EQ(names, std::vector<std::string>{""});
  EXPECT_EQ(Rows(id::lstvSRemove), std::vector<std::string>{"(Default)|C:\\Apps\\unnamed.exe"});
  Reopen();
  Tick(id::lstvSRestore, 0);
  Restore();
  sys::Registry(sim.registry()).EnumValueNamesExact(names, sys::kHKCU, kRun, sys::kMaskAll);
  EXPECT_EQ(names, (std::vector<std::string>{"", "(Default)"}));
  EXPECT_EQ(sys::Registry(sim.registry()).ReadStringExact(sys::kHKCU, kRun, "(Default)", sys::kMaskAll),
            "C:\\Apps\\named.exe");
  EXPECT_EQ(sys::Registry(sim.registry()).ReadStringExact(sys::kHKCU, kRun, "", sys::kMaskAll),
            "C:\\Apps\\unnamed.exe");
  // The unnamed one, removed and restored, is the unnamed one again.
  Reopen();
  Tick(id::lstvSRemove, 0);
  Remove();
  sys::Registry(sim.registry()).EnumValueNamesExact(names, sys::kHKCU, kRun, sys::kMaskAll);
  EXPECT_EQ(names, std::vector<std::string>{"(Default)"});
  Reopen();
  Tick(id::lstvSRestore, 0);
  Restore();
  EXPECT_EQ(sys::Registry(sim.registry()).ReadStringExact(sys::kHKCU, kRun, "", sys::kMaskAll),
            "C:\\Apps\\unnamed.exe");
  EXPECT_EQ(sys::Registry(sim.registry()).ReadStringExact(sys::kHKCU, kRun, "(Default)", sys::kMaskAll),
            "C:\\Apps\\named.exe");
}

TEST_F(StartupManagerTest, RowsOfAnOlderVersionRestoreAsRegSzAndDefaultAsTheUnnamedValue) {
  RunValue("Other", "C:\\Apps\\other.exe");
  Open();
  {
    store::Connection c = Db();
    store::RunStatement(c,
                        "insert into startup (sid,sname,spath,stype,sdate) values (1,'Old','C:\\Apps\\old.exe',1,"
                        "'2020-01-01 00:00:00'),(2,'(Default)','C:\\Apps\\d.exe',1,'2020-01-01 00:00:00')");
  }
  Reopen();
  ASSERT_EQ(main->control(id::lstvSRestore).rowCount(), 2);
  Tick(id::lstvSRestore, 0);
  Tick(id::lstvSRestore, 1);
  Restore();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Old"), "sz:C:\\Apps\\old.exe");
  EXPECT_EQ(sys::Registry(sim.registry()).ReadStringExact(sys::kHKCU, kRun, "", sys::kMaskAll), "C:\\Apps\\d.exe");
  EXPECT_TRUE(Table().empty());
}

TEST_F(StartupManagerTest, AShortcutWhoseNameIsTakenInBackupLnkStaysActiveAndTheUserIsTold) {
  Shortcut(std::string(kUserStartup) + "Tool.lnk", "C:\\Apps\\tool.exe");
  sim.files().CreateFolder(kLnk);
  WriteFile(std::string(kLnk) + "Tool.lnk", "an older copy");
  Open();
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_TRUE(sim.files().FileExists(std::string(kUserStartup) + "Tool.lnk"));
  EXPECT_EQ(ReadFile(std::string(kLnk) + "Tool.lnk"), "an older copy");
  EXPECT_EQ(Rows(id::lstvSRemove), std::vector<std::string>{"Tool.lnk|C:\\Apps\\tool.exe"});
  EXPECT_EQ(main->control(id::lstvSRestore).rowCount(), 0);
  EXPECT_TRUE(Table().empty());
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text,
            "These startup items could not be removed:\rTool.lnk: backup\\lnk\\ already holds a file of that name");
}

TEST_F(StartupManagerTest, ARestoreWhoseTargetIsGoneKeepsTheEntryRemovedAndSaysWhy) {
  WriteFile("C:\\Apps\\tool.exe", "MZ");
  Shortcut(std::string(kUserStartup) + "Tool.lnk", "C:\\Apps\\tool.exe");
  Open();
  Tick(id::lstvSRemove, 0);
  Remove();
  ASSERT_EQ(sim.files().RemoveFile("C:\\Apps\\tool.exe"), 0u);
  Tick(id::lstvSRestore, 0);
  Restore();
  EXPECT_TRUE(sim.files().FileExists(std::string(kLnk) + "Tool.lnk"));
  EXPECT_FALSE(sim.files().FileExists(std::string(kUserStartup) + "Tool.lnk"));
  EXPECT_EQ(Rows(id::lstvSRestore), std::vector<std::string>{"Tool.lnk|C:\\Apps\\tool.exe"});
  EXPECT_EQ(main->control(id::lstvSRemove).rowCount(), 0);
  EXPECT_EQ(Table(), std::vector<std::string>{"Tool.lnk|C:\\Apps\\tool.exe|3"});
  EXPECT_EQ(ports.messages.back().text,
            "These startup items could not be restored:\rTool.lnk: the program it starts no longer exists "
            "(C:\\Apps\\tool.exe)");
  // Still there after the next opening.
  Reopen();
  EXPECT_EQ(Rows(id::lstvSRestore), std::vector<std::string>{"Tool.lnk|C:\\Apps\\tool.exe"});
}

TEST_F(StartupManagerTest, ANameWithAnApostropheIsRecordedAndRestored) {
  RunValue("Bob's Tool", "\"C:\\Apps\\bob's.exe\" -x");
  Open();
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_EQ(Table(), std::vector<std::string>{"Bob's Tool|\"C:\\Apps\\bob's.exe\" -x|1"});
  Reopen();
  ASSERT_EQ(Rows(id::lstvSRestore), std::vector<std::string>{"Bob's Tool|\"C:\\Apps\\bob's.exe\" -x"});
  Tick(id::lstvSRestore, 0);
  Restore();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Bob's Tool"), "sz:\"C:\\Apps\\bob's.exe\" -x");
  EXPECT_TRUE(Table().empty());
}

TEST_F(StartupManagerTest, WithoutTheDatabaseNothingIsRemovedAndTheUserIsTold) {
  RunValue("Tool", "C:\\Apps\\tool.exe");
  Open();
  ASSERT_EQ(sim.files().RemoveFile("C:\\Vantorel\\data.db"), 0u);
  Tick(id::lstvSRemove, 0);
  Remove();
  EXPECT_EQ(Value(sim.registry(), sys::kHKCU, kRun, "Tool"), "sz:C:\\Apps\\tool.exe");
  EXPECT_EQ(main->control(id::lstvSRemove).rowCount(), 1);
  EXPECT_NE(ports.messages.back().text.find("could not be removed:\rTool: the removal could not be recorded"), std::string::npos);
}

TEST_F(StartupManagerTest, TheListsAreHandedOverOnlyWhenAJobEnds) {
  RunValue("Tool", "C:\\Apps\\tool.exe");
  Start();
  main->ShowPage(page::kStartupManager);
  // The loaders run; the views show nothing of their lists until they end,
  // and the buttons wait for them.
  EXPECT_EQ(main->control(id::lstvSRemove).rowCount(), 0);
  EXPECT_FALSE(main->control(id::imgStartupRemove).enabled());
  Drain();
  EXPECT_EQ(main->control(id::lstvSRemove).rowCount(), 1);
  EXPECT_TRUE(main->control(id::imgStartupRemove).enabled());
}

}  // namespace
}  // namespace vl::optimizer
