// TOpThread: the worker of the backup page's restore (job 2). Job 1, the
// update check, joins it with the updater.
#pragma once
#include <cstdint>
#include <string>

#include "ui/jobs.h"
#include "app/main_form.h"

namespace vl::backup {

class TOpThread : public Worker {
 public:
  enum Job { kRestore = 2 };

  // How long a restore may take before the user is told it did not finish.
  static constexpr uint32_t kRestoreTimeoutMs = 10 * 60 * 1000;

  // Starts the worker running with the file path as `text`; it frees itself
  // when done. Throws std::invalid_argument for a job it does not know.
  static void Start(MainForm& main, int job, const std::string& text);

 protected:
  void Execute() override;
  bool HasEndStep() const override { return true; }
  void EndStep() override;

 private:
  TOpThread(MainForm& main, int job, std::string text);

  MainForm& main_;
  const int job_;
  const std::string text_;
  sys::System& system_;
  bool editorRan_ = false;
};

}  // namespace vl::backup
