// PostedSteps, and ManualDispatcher: the test-side main thread.
#include "ui/dispatcher.h"

#include <chrono>

namespace vl {

void Dispatcher::RunStep(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    if (!onError_) throw;
    onError_(std::current_exception());
  }
}

bool PostedSteps::Put(const void* key, std::function<void()> step) {
  std::lock_guard<std::mutex> lock(mutex_);
  bool replaced = false;
  for (auto& s : steps_) {
    if (s.first == key) {
      s.second = std::move(step);
      replaced = true;
      break;
    }
  }
  if (!replaced) steps_.emplace_back(key, std::move(step));
  if (wakePending_) return false;
  wakePending_ = true;
  return true;
}

int PostedSteps::RunSteps(Steps& steps) {
  for (auto& s : steps) owner_.RunStep(s.second);
  return static_cast<int>(steps.size());
}

int PostedSteps::Run() {
  Steps taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(steps_);
  }
  return RunSteps(taken);
}

int PostedSteps::RunAndRelease() {
  Steps taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(steps_);
    wakePending_ = false;
  }
  return RunSteps(taken);
}

int PostedSteps::RunOrRelease() {
  Steps taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (steps_.empty()) {
      wakePending_ = false;
      return 0;
    }
    taken.swap(steps_);
  }
  return RunSteps(taken);
}

void ManualDispatcher::Call(const std::function<void()>& step) {
  if (std::this_thread::get_id() == owner_) {
    step();
    return;
  }
  Pending pending{&step};
  std::unique_lock<std::mutex> lock(mutex_);
  queue_.push_back(&pending);
  arrived_.notify_all();
  finished_.wait(lock, [&] { return pending.done; });
}

void ManualDispatcher::Post(const void* key, std::function<void()> step) {
  if (std::this_thread::get_id() == owner_) {
    posted_.Run();
    step();
    return;
  }
  if (!posted_.Put(key, std::move(step))) return;
  std::lock_guard<std::mutex> lock(mutex_);
  postedWake_ = true;
  arrived_.notify_all();
}

int ManualDispatcher::Pump() {
  int ran = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      postedWake_ = false;
    }
    ran += posted_.RunAndRelease();
    Pending* next = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return ran;
      next = queue_.front();
      queue_.pop_front();
    }
    // A throwing step must not leave its worker blocked for ever.
    try {
      RunStep(*next->step);
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      next->done = true;
      finished_.notify_all();
      throw;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    next->done = true;
    finished_.notify_all();
    ++ran;
  }
}

int ManualDispatcher::PumpWait(int timeoutMs) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty() || postedWake_; });
  }
  return Pump();
}

}  // namespace vl
