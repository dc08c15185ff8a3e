// ManualDispatcher: the test-side main thread.
#include "app/dispatcher.h"

#include <chrono>

namespace vl {

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

int ManualDispatcher::Pump() {
  int ran = 0;
  for (;;) {
    Pending* next = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return ran;
      next = queue_.front();
      queue_.pop_front();
    }
    // A throwing step must not leave its worker blocked for ever.
    try {
      (*next->step)();
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
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty(); });
  }
  return Pump();
}

}  // namespace vl
