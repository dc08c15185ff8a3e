// TOpThread: the worker of the update check (job 1, whose work the update
// feature supplies) and of the backup page's restore (job 2).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "sysaccess/reg_file.h"
#include "sysaccess/system.h"
#include "ui/jobs.h"
#include "app/main_form.h"

namespace vl::backup {

// A job's work on the worker thread and its end step on the main thread.
class OpJob {
 public:
  virtual ~OpJob() = default;
  virtual void Run() = 0;
  virtual void End() = 0;
};

class TOpThread : public Worker {
 public:
  enum Job { kUpdateCheck = 1, kRestore = 2 };

  // How long a restore is waited for before the user is told it is still
  // under way.
  static constexpr uint32_t kRestoreTimeoutMs = 10 * 60 * 1000;

  // Starts the worker running with the file path as `text` (restore) or
  // the job's `body` (update check); it frees itself when done. Throws
  // std::invalid_argument for a job it does not know or a missing body.
  static void Start(MainForm& main, int job, const std::string& text, std::unique_ptr<OpJob> body = nullptr);

 protected:
  void Execute() override;
  bool HasEndStep() const override { return true; }
  void EndStep() override;

 private:
  TOpThread(MainForm& main, int job, std::string text, std::unique_ptr<OpJob> body);

  MainForm& main_;
  const int job_;
  const std::string text_;
  std::unique_ptr<OpJob> body_;
  sys::System& system_;
  sys::EditorRun run_ = sys::EditorRun::kNotStarted;
  // What the read-back found; empty when every entry came back.
  std::string notRestored_;
};

// The message after a restore whose read-back `check` found entries not as
// the file says (the first few, and the count).
std::string NotRestoredText(const sys::RegImportCheck& check);

}  // namespace vl::backup
