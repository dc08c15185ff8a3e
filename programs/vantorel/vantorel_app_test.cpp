// The main window model: page flow, start-up sequence, closing rules and
// the worker protocol (busy state, stop, multi-worker completion).
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "app/control_ids.h"
#include "ui/testing/scripted_ports.h"
#include "sysaccess/sim/sim_platform.h"
#include "programs/vantorel/vantorel_app.h"
#include "store/database.h"

namespace vl {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() : fs(sim.files()), platform(sim.platform()), ports(dispatcher), runner(dispatcher) {
    fs.CreateFolder("C:\\Vantorel");
    // No first-start full backup: its worker would race these page checks for
    // data.db (the registry tests cover it).
    fs.CreateFolder("C:\\Vantorel\\backup");
    fs.CreateFolder("C:\\Vantorel\\backup\\full_backup");
    platform.appDir = "C:\\Vantorel\\";
  }
  std::filesystem::path Host(const std::string& path) { return fs.NativePath(path); }
  ~MainFormTest() override { Drain(); }

  MainForm& Start() {
    main = BuildMainForm(platform, ports, runner);
    main->startUpdateCheck = nullptr;  // its own tests: update/
    main->FormShow();
    return *main;
  }
  // Runs main-thread steps until no worker is left.
  void Drain() {
    for (int i = 0; i < 2000 && (runner.running() > 0 || dispatcher.Pump() > 0); ++i)
      dispatcher.PumpWait(5);
    dispatcher.Pump();
  }
  std::string Text(id::ControlId control) { return main->control(control).text(); }
  std::vector<std::string> Highlighted() {
    std::vector<std::string> on;
    for (id::ControlId n : {id::imgMStatus, id::imgMCleanup, id::imgMOptimize, id::imgMBackup, id::imgMOptions})
      if (main->control(n).highlighted()) on.push_back(main->control(n).name);
    return on;
  }

  sys::SimPlatform sim;
  sys::FileSystem& fs;
  sys::Platform& platform;
  ManualDispatcher dispatcher;
  testing::ScriptedPorts ports;
  JobRunner runner;
  std::unique_ptr<MainForm> main;
};

TEST_F(MainFormTest, FirstShowCreatesTheDatabaseAndShowsTheStatusPage) {
  MainForm& m = Start();
  EXPECT_TRUE(fs.FileExists("C:\\Vantorel\\data.db"));
  EXPECT_EQ(m.currentPage(), 1);
  EXPECT_EQ(m.form().activeSheet(), sheet::tabStatus);
  EXPECT_EQ(Text(id::labStatus_Right_Title),
            "Deep scan, Clean and Optimize the Registry to boost your PC speed!");
  EXPECT_EQ(Highlighted(), std::vector<std::string>{"imgMStatus"});
  EXPECT_TRUE(ports.messages.empty());
  // A second show (back from the tray) runs nothing again.
  std::filesystem::remove(Host("C:\\Vantorel\\data.db"));
  m.FormShow();
  EXPECT_FALSE(fs.FileExists("C:\\Vantorel\\data.db"));
}

TEST_F(MainFormTest, AnExistingDatabaseIsLeftAlone) {
  {
    auto c = store::OpenDatabase(fs.NativePath("C:\\Vantorel\\data.db"));
    store::RunStatement(c, "create table mine(x integer)");
  }
  Start();
  auto c = store::OpenDatabase(fs.NativePath("C:\\Vantorel\\data.db"));
  EXPECT_TRUE(store::HasTable(c, "mine"));
  EXPECT_FALSE(store::HasTable(c, "sysset"));
}

TEST_F(MainFormTest, AStartUpErrorIsShownAndEndsTheSequence) {
  // A folder where data.db should be: opening it fails.
  std::filesystem::create_directories(Host("C:\\Vantorel\\data.db"));
  // FileExists is false for a folder, so creation is attempted and fails.
  MainForm& m = Start();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_FALSE(ports.messages[0].text.empty());
  EXPECT_EQ(m.currentPage(), 0);  // step 7 never ran
}

TEST_F(MainFormTest, TopButtonsSwitchPagesAndHighlightExactlyOne) {
  MainForm& m = Start();
  const struct {
    id::ControlId button;
    int page;
    int sheet;
  } cases[] = {{id::imgMCleanup, 2, sheet::tabCleanup},
               {id::imgMOptimize, 3, sheet::tabOptimize},
               {id::imgMBackup, 4, sheet::tabBackup},
               {id::imgMOptions, 5, sheet::tabOptions},
               {id::imgMStatus, 1, sheet::tabStatus}};
  for (auto& c : cases) {
    m.control(c.button).onClick();
    EXPECT_EQ(m.currentPage(), c.page);
    EXPECT_EQ(m.form().activeSheet(), c.sheet);
    EXPECT_EQ(Highlighted(), std::vector<std::string>{m.control(c.button).name});
  }
  // Other pages leave the top bar as it was.
  m.ShowPage(4);
  m.ShowPage(101);
  EXPECT_EQ(m.form().activeSheet(), sheet::tabRegistry);
  EXPECT_EQ(Highlighted(), std::vector<std::string>{"imgMBackup"});
  // Unknown codes (there is no page 406) change nothing.
  m.ShowPage(406);
  m.ShowPage(0);
  EXPECT_EQ(m.currentPage(), 101);
  EXPECT_EQ(m.form().activeSheet(), sheet::tabRegistry);
}

TEST_F(MainFormTest, PageSwitchesWriteTheirFixedTexts) {
  MainForm& m = Start();
  m.ShowPage(102);
  EXPECT_EQ(Text(id::labRegTitle),
            "Please be patient while Vantorel is scanning your system. It may take a few minutes.");
  m.ShowPage(104);
  EXPECT_EQ(m.form().activeSheet(), sheet::tabRegistry_Scan);
  EXPECT_EQ(Text(id::labRegTitle),
            "Please be patient while Vantorel is repairing your errors. It may take a few minutes.");
  m.control(id::labErrorOpen).SetVisible(true);
  m.control(id::labRegError).SetText("old");
  m.ShowPage(103);
  EXPECT_FALSE(m.control(id::labErrorOpen).visible());
  EXPECT_FALSE(m.control(id::labErrorIgnore).visible());
  EXPECT_EQ(Text(id::labRegError), "");
  m.ShowPage(4);
  EXPECT_EQ(Text(id::labBackup_Desc),
            "Full Backup supports complete registry backup. To return to any previous configuration, "
            "please select an item\rfrom the list below and click on \"Restore\" button to start the "
            "restore.");
  m.ShowPage(204);
  EXPECT_EQ(Text(id::labJunk_Scan_Title), "Clean up junk files");
  m.ShowPage(202);
  EXPECT_EQ(Text(id::labJunk_Scan_Title), "Search Disk Drives");
  m.ShowPage(205);
  EXPECT_EQ(Text(id::labJunk_Finish_Desc), "Junk files have been cleared. ");
  m.ShowPage(302);
  EXPECT_EQ(Text(id::labEvidenceSTitle), "Search Evidence");
  m.ShowPage(304);
  EXPECT_EQ(Text(id::labEvidenceSTitle), "Clean up Evidence");
  m.ShowPage(402);
  EXPECT_EQ(Text(id::labDiskCacheDesc),
            "According to your computer type and memory size, set disk size in order to save the "
            "time to calculate cache\rand ensure the memory needs of other programs.");
  m.ShowPage(405);
  EXPECT_EQ(Text(id::labStartupDesc), "Choose which applications you wish to launch when Windows starts.");
  m.ShowPage(502);
  EXPECT_EQ(Text(id::labSettingsDesc), "Customize how Vantorel behaves.");
  EXPECT_EQ(Text(id::chkSEUpdate), "Check for Vantorel update automatically");
}

TEST_F(MainFormTest, OverviewListsAndCleanerLinksOpenTheirPages) {
  MainForm& m = Start();
  m.control(id::lstvOptimize).onItemClick(3);
  EXPECT_EQ(m.currentPage(), 404);
  m.control(id::imgOBack4).onClick();
  EXPECT_EQ(m.currentPage(), 3);
  m.control(id::lstvOptimize).onItemClick(-1);  // outside any item
  EXPECT_EQ(m.currentPage(), 3);
  m.control(id::lstvOptions).onItemClick(1);
  EXPECT_EQ(m.currentPage(), 503);
  m.control(id::imgOPBack3).onClick();
  EXPECT_EQ(m.currentPage(), 5);
  m.control(id::labJunk).onClick();
  EXPECT_EQ(m.currentPage(), 201);
  m.control(id::imgCBack2).onClick();
  EXPECT_EQ(m.currentPage(), 2);
  m.control(id::imgEvidence).onClick();
  EXPECT_EQ(m.currentPage(), 301);
}

TEST_F(MainFormTest, ClosingIsRefusedOnlyWhileAJobRuns) {
  MainForm& m = Start();
  EXPECT_TRUE(m.FormCloseQuery());
  m.EnterBusyState();
  m.stopFlag = 0;
  EXPECT_FALSE(m.control(id::panMain_Top).enabled());
  EXPECT_FALSE(m.FormCloseQuery());
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "You cannot quit Vantorel because scanning is in progress.");
  EXPECT_EQ(ports.messages[0].caption, "Error");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Information);
  // Stop makes closing possible at once, before the job has ended.
  m.control(id::imgRegStop).onClick();
  EXPECT_TRUE(m.FormCloseQuery());
  EXPECT_FALSE(m.control(id::panMain_Top).enabled());
  m.LeaveBusyState();
  EXPECT_TRUE(m.control(id::panMain_Top).enabled());
}

TEST_F(MainFormTest, StartupMinimizeHidesForAnyValueButZero) {
  Start();
  EXPECT_FALSE(main->CoolTrayIconStartup());  // no Settings.ini
  for (auto [value, hidden] : {std::pair{"0", false}, {"1", true}, {"2", true}, {"x", false}}) {
    fs.WriteFileBytes("C:\\Vantorel\\Settings.ini", std::string("[Basic]\r\nStartup Minimize=") + value);
    EXPECT_EQ(main->CoolTrayIconStartup(), hidden) << value;
  }
}

TEST_F(MainFormTest, ErrorsOfHandlersAreShownAndTheActionAbandoned) {
  MainForm& m = Start();
  bool after = false;
  m.Guard([&] {
    throw std::runtime_error("Field not found in dataset: x");
    after = true;
  });
  EXPECT_FALSE(after);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Field not found in dataset: x");
}

// A scan worker as the registry and evidence scans run them: it works on its
// own record, tests the stop flag per item, decrements the counter when done
// and runs its finished step; the step that sees zero shows the result page.
struct TestRecord : ScanRecord {
  std::atomic<int> found{0};
};

class ScanWorker : public Worker {
 public:
  ScanWorker(JobRunner& r, MainForm& m, TestRecord& rec, int items, std::atomic<int>& gate,
             std::vector<int>& completions)
      : Worker(r), m_(m), rec_(rec), items_(items), gate_(gate), completions_(completions) {}
  void Execute() override {
    for (int i = 0; i < items_; ++i) {
      if (m_.stopFlag.load() == 1) break;
      while (gate_.load() == 0 && m_.stopFlag.load() == 0) std::this_thread::yield();
      rec_.found.fetch_add(1);
      Synchronize([this] { m_.control(id::labScanInfo).SetText("item"); });
    }
    left_ = m_.runningScans.fetch_sub(1) - 1;
  }
  bool HasEndStep() const override { return true; }
  void EndStep() override {
    if (m_.runningScans.load() > 0) {
      m_.control(id::lstvRegistryScan).SetRowCount(static_cast<int>(m_.scanResults.size()));
      return;
    }
    completions_.push_back(left_);
    m_.ShowPage(103);
    m_.LeaveBusyState();
  }

 private:
  MainForm& m_;
  TestRecord& rec_;
  int items_;
  std::atomic<int>& gate_;
  std::vector<int>& completions_;
  int left_ = -1;
};

TEST_F(MainFormTest, MultiWorkerScanShowsTheResultOnlyAfterTheLastWorker) {
  MainForm& m = Start();
  std::atomic<int> gate{1};
  std::vector<int> completions;
  m.scanResults.clear();
  std::vector<TestRecord*> recs;
  for (int i = 0; i < 3; ++i) {
    auto r = std::make_unique<TestRecord>();
    recs.push_back(r.get());
    m.scanResults.push_back(std::move(r));
  }
  m.runningScans = 3;
  m.EnterBusyState();
  m.stopFlag = 0;
  m.ShowPage(102);
  for (int i = 0; i < 3; ++i)
    Worker::Start(runner, std::make_unique<ScanWorker>(runner, m, *recs[i], 10 * (i + 1), gate, completions));
  Drain();
  EXPECT_EQ(m.currentPage(), 103);
  EXPECT_EQ(m.runningScans.load(), 0);
  EXPECT_EQ(m.stopFlag.load(), 1);
  EXPECT_TRUE(m.control(id::panMain_Top).enabled());
  // The completion ran once per worker that saw zero: at least once, never
  // for a worker that finished while others still ran.
  ASSERT_GE(completions.size(), 1u);
  EXPECT_EQ(completions.back(), 0);
  EXPECT_EQ(recs[0]->found + recs[1]->found + recs[2]->found, 60);
}

TEST_F(MainFormTest, StopEndsEveryWorkerAndStillShowsTheResultPage) {
  MainForm& m = Start();
  std::atomic<int> gate{0};  // workers block on their first item until stopped
  std::vector<int> completions;
  std::vector<TestRecord*> recs;
  for (int i = 0; i < 3; ++i) {
    auto r = std::make_unique<TestRecord>();
    recs.push_back(r.get());
    m.scanResults.push_back(std::move(r));
  }
  m.runningScans = 3;
  m.EnterBusyState();
  m.stopFlag = 0;
  for (int i = 0; i < 3; ++i)
    Worker::Start(runner, std::make_unique<ScanWorker>(runner, m, *recs[i], 1000, gate, completions));
  EXPECT_FALSE(m.FormCloseQuery());
  m.control(id::imgRegStop).onClick();
  EXPECT_TRUE(m.FormCloseQuery());
  Drain();
  EXPECT_EQ(m.currentPage(), 103);
  EXPECT_LE(recs[0]->found + recs[1]->found + recs[2]->found, 3);
  EXPECT_TRUE(m.control(id::panMain_Top).enabled());
}

class FailingBusyJob : public Worker {
 public:
  FailingBusyJob(JobRunner& r, MainForm& m) : Worker(r), m_(m) {}
  void Execute() override { throw std::runtime_error("access denied"); }
  bool HasEndStep() const override { return true; }
  void EndStep() override {
    m_.ports().CloseWait();
    m_.ShowPage(105);
    m_.LeaveBusyState();
  }

 private:
  MainForm& m_;
};

TEST_F(MainFormTest, AFailingJobClosesTheWaitWindowAndReturnsToIdle) {
  MainForm& m = Start();
  m.EnterBusyState();
  m.stopFlag = 0;
  Worker::Start(runner, std::make_unique<FailingBusyJob>(runner, m));
  m.ports().ShowWaitModal();  // returns only once the end step closed it
  EXPECT_FALSE(ports.waitOpen);
  EXPECT_EQ(m.currentPage(), 105);
  EXPECT_EQ(m.stopFlag.load(), 1);
  EXPECT_TRUE(m.FormCloseQuery());
}

// A worker whose end step meets a database error, and one whose posted
// progress step fails: both errors reach the default error handler.
class EndStepErrorJob : public Worker {
 public:
  explicit EndStepErrorJob(JobRunner& r) : Worker(r) {}
  void Execute() override {
    Post(this, [] { throw std::runtime_error("progress failed"); });
  }
  bool HasEndStep() const override { return true; }
  void EndStep() override { throw store::DbError("Error executing SQL statement.\rError [5]: database is locked."); }
};

TEST_F(MainFormTest, ErrorsOfAWorkersMainThreadStepsAreShownAsErrors) {
  Start();
  Worker::Start(runner, std::make_unique<EndStepErrorJob>(runner));
  Drain();
  EXPECT_EQ(runner.running(), 0);
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[0].text, "progress failed");
  EXPECT_EQ(ports.messages[1].text, "Error executing SQL statement.\rError [5]: database is locked.");
  EXPECT_EQ(ports.messages[1].icon, MsgIcon::Error);
}

TEST_F(MainFormTest, TrayAndTitleButtonsUseTheWindowPorts) {
  MainForm& m = Start();
  m.control(id::imgMin).onClick();
  EXPECT_FALSE(ports.mainVisible);
  m.Kestrune1Click();
  EXPECT_TRUE(ports.mainVisible);
  m.control(id::imgClose).onClick();
  EXPECT_EQ(ports.closeRequests, 1);
}

}  // namespace
}  // namespace vl
