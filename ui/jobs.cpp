// Worker threads and the count of those running.
#include "ui/jobs.h"

#include <chrono>
#include <exception>
#include <thread>

namespace vl {

void JobRunner::Start(std::function<void()> body) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++running_;
  }
  std::thread([this, body = std::move(body)] {
    try {
      body();
    } catch (...) {
      // Workers catch their own errors; nothing may escape a thread.
    }
    std::lock_guard<std::mutex> lock(mutex_);
    --running_;
    idle_.notify_all();
  }).detach();
}

bool JobRunner::WaitIdle(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                        [&] { return running_ == 0; });
}

int JobRunner::running() {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

void Worker::Start(JobRunner& runner, std::unique_ptr<Worker> worker) {
  Worker* raw = worker.release();
  runner.Start([raw] {
    std::unique_ptr<Worker> self(raw);
    self->Run();
  });
}

void Worker::Run() {
  try {
    Execute();
  } catch (const std::exception& e) {
    error_ = e.what();
    if (error_.empty()) error_ = "error";
  } catch (...) {
    error_ = "error";
  }
  if (HasEndStep()) {
    try {
      Synchronize([this] { EndStep(); });
    } catch (...) {
    }
  }
}

}  // namespace vl
