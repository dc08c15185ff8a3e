// Synchronous main-thread calls: a worker hands a step to the main thread and
// waits until it has run. The Win32 dispatcher sends a message to a
// message-only window (so steps also run inside modal loops); tests use
// ManualDispatcher, whose "main thread" is the test itself.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vl {

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  // Runs `step` on the main thread and returns when it has returned. Called
  // on the main thread itself, it runs the step at once.
  virtual void Call(const std::function<void()>& step) = 0;
};

// Steps queue up until the owning thread pumps them.
class ManualDispatcher : public Dispatcher {
 public:
  ManualDispatcher() : owner_(std::this_thread::get_id()) {}
  void Call(const std::function<void()>& step) override;
  // Runs queued steps; returns how many ran.
  int Pump();
  // Waits up to `timeoutMs` for a step to arrive, then runs all queued steps.
  int PumpWait(int timeoutMs);

 private:
  struct Pending {
    const std::function<void()>* step;
    bool done = false;
  };
  std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable arrived_, finished_;
  std::deque<Pending*> queue_;
};

}  // namespace vl
