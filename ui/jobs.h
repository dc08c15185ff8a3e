// Workers: one job object per thread. A worker is started running, meets the
// window only through shared state and synchronous main-thread steps, and
// frees itself when its work is done. The runner only counts running workers
// so that tests and shutdown can wait; the window itself never waits.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "ui/dispatcher.h"

namespace vl {

class JobRunner {
 public:
  explicit JobRunner(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}
  Dispatcher& dispatcher() { return dispatcher_; }

  // Runs `body` on a new detached thread.
  void Start(std::function<void()> body);
  // Taken under the runner's lock: once it reads 0, no worker touches the
  // runner any more and it may be destroyed.
  int running();
  // For tests and shutdown: true when no worker runs within `timeoutMs`.
  bool WaitIdle(int timeoutMs);

 private:
  Dispatcher& dispatcher_;
  int running_ = 0;
  std::mutex mutex_;
  std::condition_variable idle_;
};

// Base of the worker classes (TRegistryThread and friends). Subclasses put
// the job into Execute() and its end step into EndStep(); the end step runs
// on the main thread on every path, also when Execute() threw.
class Worker {
 public:
  virtual ~Worker() = default;

  // Starts the worker running; it frees itself when done.
  static void Start(JobRunner& runner, std::unique_ptr<Worker> worker);

 protected:
  explicit Worker(JobRunner& runner) : runner_(runner) {}
  virtual void Execute() = 0;
  // Main-thread end step; the default has none.
  virtual void EndStep() {}
  virtual bool HasEndStep() const { return false; }
  // Runs `step` on the main thread and waits for it.
  void Synchronize(const std::function<void()>& step) { runner_.dispatcher().Call(step); }
  // Hands a progress step to the main thread without waiting; a newer step
  // under the same key replaces one not yet run.
  void Post(const void* key, std::function<void()> step) { runner_.dispatcher().Post(key, std::move(step)); }
  // The error that ended Execute(), empty when it ran to the end.
  const std::string& error() const { return error_; }

 private:
  void Run();
  JobRunner& runner_;
  std::string error_;
};

}  // namespace vl
