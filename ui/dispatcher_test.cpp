// The test dispatcher and the worker protocol's threading rules.
#include "ui/dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/jobs.h"

namespace vl {
namespace {

TEST(ManualDispatcher, StepsRunOnTheOwnerThreadInOrderAndBlockTheCaller) {
  ManualDispatcher d;
  JobRunner runner(d);
  const auto owner = std::this_thread::get_id();
  std::vector<int> order;
  std::atomic<int> afterStep{0};
  runner.Start([&] {
    for (int i = 0; i < 5; ++i) {
      d.Call([&, i] {
        EXPECT_EQ(std::this_thread::get_id(), owner);
        // The worker is blocked while its step runs.
        EXPECT_EQ(afterStep.load(), i);
        order.push_back(i);
      });
      afterStep++;
    }
  });
  while (runner.running() > 0 || d.Pump() > 0) d.PumpWait(10);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(ManualDispatcher, CallFromTheOwnerRunsAtOnce) {
  ManualDispatcher d;
  int ran = 0;
  d.Call([&] { ran++; });
  EXPECT_EQ(ran, 1);
}

TEST(ManualDispatcher, PostedStepsUnderOneKeyCoalesceToTheNewest) {
  ManualDispatcher d;
  JobRunner runner(d);
  int key = 0, other = 0;
  std::vector<std::string> shown;
  std::atomic<bool> posted{false};
  runner.Start([&] {
    for (int i = 0; i < 3; ++i) d.Post(&key, [&shown, i] { shown.push_back("item " + std::to_string(i)); });
    d.Post(&other, [&shown] { shown.push_back("other"); });
    posted = true;
  });
  while (!posted) std::this_thread::yield();
  while (runner.running() > 0) d.PumpWait(10);
  d.Pump();
  EXPECT_EQ(shown, (std::vector<std::string>{"item 2", "other"}));
}

TEST(ManualDispatcher, ACallRunsTheStepsPostedBeforeIt) {
  ManualDispatcher d;
  JobRunner runner(d);
  int key = 0;
  std::vector<std::string> order;
  runner.Start([&] {
    d.Post(&key, [&order] { order.push_back("progress"); });
    d.Call([&order] { order.push_back("finished"); });
  });
  while (runner.running() > 0 || d.Pump() > 0) d.PumpWait(10);
  EXPECT_EQ(order, (std::vector<std::string>{"progress", "finished"}));
}

TEST(ManualDispatcher, PostFromTheOwnerRunsAtOnce) {
  ManualDispatcher d;
  int key = 0, ran = 0;
  d.Post(&key, [&] { ran++; });
  EXPECT_EQ(ran, 1);
}

TEST(ManualDispatcher, TheLastPostedStepAlwaysRunsWhileTheMainThreadPumps) {
  ManualDispatcher d;
  JobRunner runner(d);
  int key = 0;
  std::string label;  // main-thread state: only posted steps write it
  int runs = 0;
  constexpr int kItems = 20000;
  runner.Start([&] {
    for (int i = 0; i < kItems; ++i)
      d.Post(&key, [&label, &runs, i] {
        label = "item " + std::to_string(i);
        runs++;
      });
  });
  while (runner.running() > 0 || d.Pump() > 0) d.PumpWait(1);
  EXPECT_EQ(label, "item " + std::to_string(kItems - 1));
  EXPECT_GE(runs, 1);
  EXPECT_LE(runs, kItems);
}

TEST(PostedSteps, OnlyTheFirstPutAsksForAWakeUpUntilReleased) {
  ManualDispatcher owner;
  PostedSteps s(owner);
  int key = 0, ran = 0;
  EXPECT_TRUE(s.Put(&key, [&] { ran++; }));
  EXPECT_FALSE(s.Put(&key, [&] { ran += 10; }));
  EXPECT_EQ(s.Run(), 1);
  EXPECT_EQ(ran, 10);
  // Still pending after Run: the wake-up already sent will come.
  EXPECT_FALSE(s.Put(&key, [&] { ran++; }));
  EXPECT_EQ(s.RunOrRelease(), 1);
  EXPECT_EQ(s.RunOrRelease(), 0);
  EXPECT_TRUE(s.Put(&key, [&] { ran++; }));
  EXPECT_EQ(s.RunAndRelease(), 1);
  EXPECT_TRUE(s.Put(&key, [] {}));
  EXPECT_EQ(ran, 12);
}

TEST(ManualDispatcher, AStepsErrorGoesToTheErrorHandlerAndTheRestStillRun) {
  ManualDispatcher d;
  JobRunner runner(d);
  std::vector<std::string> errors;
  int later = 0;
  d.SetErrorHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      errors.push_back(x.what());
    }
  });
  int key1 = 0, key2 = 0;
  runner.Start([&] {
    d.Post(&key1, [] { throw std::runtime_error("posted"); });
    d.Post(&key2, [&] { ++later; });
    d.Call([] { throw std::runtime_error("called"); });
    d.Call([&] { ++later; });
  });
  while (runner.running() > 0 || d.Pump() > 0) d.PumpWait(1);
  EXPECT_EQ(errors, (std::vector<std::string>{"posted", "called"}));
  EXPECT_EQ(later, 2);
  // Without a handler the test's own pump sees the error.
  d.SetErrorHandler(nullptr);
  runner.Start([&] { d.Call([] { throw std::runtime_error("unhandled"); }); });
  EXPECT_THROW(
      {
        while (runner.running() > 0 || d.Pump() > 0) d.PumpWait(1);
      },
      std::runtime_error);
  runner.WaitIdle(5000);
}

class ThrowingWorker : public Worker {
 public:
  ThrowingWorker(JobRunner& r, int& endSteps, std::string& seen)
      : Worker(r), endSteps_(endSteps), seen_(seen) {}
  void Execute() override { throw std::runtime_error("disk on fire"); }
  bool HasEndStep() const override { return true; }
  void EndStep() override {
    endSteps_++;
    seen_ = error();
  }

 private:
  int& endSteps_;
  std::string& seen_;
};

TEST(Worker, EndStepRunsOnTheMainThreadAlsoWhenTheJobFails) {
  ManualDispatcher d;
  JobRunner runner(d);
  int endSteps = 0;
  std::string seen;
  Worker::Start(runner, std::make_unique<ThrowingWorker>(runner, endSteps, seen));
  while (runner.running() > 0) d.PumpWait(10);
  d.Pump();
  EXPECT_EQ(endSteps, 1);
  EXPECT_EQ(seen, "disk on fire");
  EXPECT_TRUE(runner.WaitIdle(1000));
}

TEST(JobRunner, CountsRunningWorkersAndWaitsForIdle) {
  ManualDispatcher d;
  JobRunner runner(d);
  std::atomic<bool> release{false};
  for (int i = 0; i < 3; ++i)
    runner.Start([&] {
      while (!release) std::this_thread::yield();
    });
  EXPECT_EQ(runner.running(), 3);
  EXPECT_FALSE(runner.WaitIdle(20));
  release = true;
  EXPECT_TRUE(runner.WaitIdle(5000));
  EXPECT_EQ(runner.running(), 0);
}

}  // namespace
}  // namespace vl
