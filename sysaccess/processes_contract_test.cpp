// Contract tests of the process list, termination, program start and named
// mutexes on both backends: natively the sim's table, under Wine this test
// program started again as a waiting helper.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"
#include "sysaccess/text.h"

namespace vl::sys {
namespace {

using ProcessesContract = ContractTest;

bool Find(Processes& procs, uint32_t pid, ProcessInfo& found) {
  std::vector<ProcessInfo> list;
  EXPECT_EQ(procs.ListProcesses(list), 0u);
  for (const auto& p : list)
    if (p.pid == pid) {
      found = p;
      return true;
    }
  return false;
}

TEST_F(ProcessesContract, ListHoldsThisProcessWithItsPath) {
  ProcessInfo self;
  ASSERT_TRUE(Find(procs(), procs().CurrentProcessId(), self));
  EXPECT_FALSE(self.exeName.empty());
  ASSERT_FALSE(self.imagePath.empty());
  EXPECT_TRUE(EqualsNoCase(self.imagePath.substr(self.imagePath.rfind('\\') + 1), self.exeName));
}

TEST_F(ProcessesContract, StartedProgramIsListedEndedAndGone) {
  std::string program;
  std::vector<std::string> args;
  env_->WaitingProgram(program, args);
  StartResult started = procs().StartProgram(program, args, StartOptions());
  ASSERT_EQ(started.error, 0u);
  ASSERT_NE(started.pid, 0u);
  ProcessInfo info;
  ASSERT_TRUE(Find(procs(), started.pid, info));
  EXPECT_TRUE(EqualsNoCase(info.imagePath, program)) << info.imagePath;
  EXPECT_TRUE(EqualsNoCase(info.exeName, program.substr(program.rfind('\\') + 1))) << info.exeName;
  EXPECT_EQ(info.parentPid, procs().CurrentProcessId());

  EXPECT_EQ(procs().EndProcess(started.pid, 3, 10000), 0u);
  // Gone from the list once ended (the call waited for it).
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = !Find(procs(), started.pid, info);
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(gone);
}

// A process held from its listing is ended through that hold.
TEST_F(ProcessesContract, AHeldProcessIsEndedThroughItsHandle) {
  std::string program;
  std::vector<std::string> args;
  env_->WaitingProgram(program, args);
  StartResult started = procs().StartProgram(program, args, StartOptions());
  ASSERT_EQ(started.error, 0u);
  std::unique_ptr<HeldProcess> held;
  ASSERT_EQ(procs().HoldProcess(started.pid, held), 0u);
  ASSERT_TRUE(held);
  EXPECT_EQ(held->pid(), started.pid);
  EXPECT_TRUE(EqualsNoCase(held->imagePath(), program)) << held->imagePath();
  EXPECT_FALSE(held->Exited());
  EXPECT_EQ(held->End(3, 10000), 0u);
  EXPECT_TRUE(held->Exited());
  // Once more: it has ended, which is what was asked.
  EXPECT_EQ(held->End(3, 0), 0u);
  ProcessInfo info;
  EXPECT_FALSE(Find(procs(), started.pid, info));
}

TEST_F(ProcessesContract, HoldingAnUnknownProcessFails) {
  std::unique_ptr<HeldProcess> held;
  EXPECT_NE(procs().HoldProcess(0x7FFFFFF0u, held), 0u);
  EXPECT_FALSE(held);
}

TEST_F(ProcessesContract, StartErrors) {
  StartResult r = procs().StartProgram(folder_ + "\\none.exe", {}, StartOptions());
  EXPECT_EQ(r.error, err::kFileNotFound);
  EXPECT_EQ(r.pid, 0u);
  r = procs().StartProgram(folder_ + "\\no\\none.exe", {}, StartOptions());
  EXPECT_EQ(r.error, err::kPathNotFound);
}

TEST_F(ProcessesContract, EndingAnUnknownProcessFails) {
  // Process ids are multiples of four: this one is never given.
  EXPECT_EQ(procs().EndProcess(0x7FFFFFF1u, 0, 0), err::kInvalidParameter);
}

TEST_F(ProcessesContract, AskingAnUnknownProcessToCloseFails) {
  EXPECT_EQ(procs().AskToClose(0x7FFFFFF1u), err::kInvalidParameter);
}

TEST_F(ProcessesContract, SecondMutexOfTheNameSaysItExisted) {
  std::string name = "VL_TEST_MUTEX_" + std::to_string(procs().CurrentProcessId()) + "_" + folder_.substr(folder_.rfind('_') + 1);
  std::unique_ptr<NamedMutex> first, second, third;
  bool existed = true;
  ASSERT_EQ(procs().CreateNamedMutex(name, first, existed), 0u);
  EXPECT_FALSE(existed);
  ASSERT_TRUE(first);
  ASSERT_EQ(procs().CreateNamedMutex(name, second, existed), 0u);
  EXPECT_TRUE(existed);
  first.reset();
  second.reset();
  // Released by every holder: the name is free again.
  ASSERT_EQ(procs().CreateNamedMutex(name, third, existed), 0u);
  EXPECT_FALSE(existed);
}

}  // namespace
}  // namespace vl::sys
