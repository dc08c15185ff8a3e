// Synchronous main-thread calls: a worker hands a step to the main thread and
// waits until it has run. The Win32 dispatcher sends a message to a
// message-only window (so steps also run inside modal loops); tests use
// ManualDispatcher, whose "main thread" is the test itself. Progress steps
// may instead be posted: they do not wait, and a newer one under the same
// key replaces one the main thread has not taken yet.
#pragma once
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace vl {

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  // Runs `step` on the main thread and returns when it has returned. Called
  // on the main thread itself, it runs the step at once.
  virtual void Call(const std::function<void()>& step) = 0;
  // Hands `step` to the main thread without waiting for it. A step posted
  // under the same key that has not run yet is replaced (only the newest
  // runs), so `step` must own what it shows. A later Call first runs the
  // posted steps, keeping their order. Called on the main thread, it runs at once.
  virtual void Post(const void* key, std::function<void()> step) = 0;

  // Where an error thrown by a worker's step on the main thread goes: the
  // program's default error handler, the same in the program and in tests.
  // Without one, the Win32 dispatcher drops the error (it must not unwind
  // into Windows) and the test dispatcher throws it out of Pump().
  using ErrorHandler = std::function<void(std::exception_ptr)>;
  void SetErrorHandler(ErrorHandler handler) { onError_ = std::move(handler); }
  // Runs one step of a worker on the main thread, its error to the handler.
  void RunStep(const std::function<void()>& step);

 private:
  ErrorHandler onError_;
};

// The posted steps of a dispatcher, one per key, and whether a wake-up for
// the main thread is pending. Workers put, the main thread runs.
class PostedSteps {
 public:
  explicit PostedSteps(Dispatcher& owner) : owner_(owner) {}
  // Stores `step`; true when no wake-up is pending (the caller sends one).
  bool Put(const void* key, std::function<void()> step);
  // Runs what is stored, in first-posted order; a pending wake-up stays pending.
  int Run();
  // Runs what is stored and ends the pending wake-up.
  int RunAndRelease();
  // Runs what is stored; with nothing stored ends the pending wake-up and returns 0.
  int RunOrRelease();

 private:
  using Steps = std::vector<std::pair<const void*, std::function<void()>>>;
  int RunSteps(Steps& steps);
  Dispatcher& owner_;
  std::mutex mutex_;
  Steps steps_;
  bool wakePending_ = false;
};

// Steps queue up until the owning thread pumps them.
class ManualDispatcher : public Dispatcher {
 public:
  ManualDispatcher() : owner_(std::this_thread::get_id()) {}
  void Call(const std::function<void()>& step) override;
  void Post(const void* key, std::function<void()> step) override;
  // Runs posted and queued steps; returns how many ran.
  int Pump();
  // Waits up to `timeoutMs` for a step to arrive, then runs all steps.
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
  PostedSteps posted_{*this};
  bool postedWake_ = false;  // under mutex_
};

}  // namespace vl
