// TJunkThread: the junk cleaner's worker, job 1 scans the junk groups of the
// shared scan result list, job 2 removes what they hold. One job per thread;
// it frees itself when done and ends with its main-thread step on every
// path (scan: result page; clean: finish page).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "junk_cleaner/junk_engine.h"
#include "ui/jobs.h"

namespace vl::junk {

class TJunkThread : public Worker, private JunkContext {
 public:
  enum Job { kScan = 1, kClean = 2 };
  enum Mode { kRecycleBin = 1, kDelete = 2, kMove = 3 };

  // Scan: (kScan, masks, "", 0). Clean: (kClean, {}, target folder ending
  // with "\" (mode 3 only), mode). The groups are the junk records of
  // m.scanResults, made before the start; the caller has entered the busy state.
  // A scan never enters the folders of `protect` (none when null).
  static void Start(MainForm& m, int job, std::vector<std::string> masks, std::string targetFolder, int mode,
                    std::shared_ptr<const ProtectedFolders> protect = nullptr);

 protected:
  void Execute() override;
  bool HasEndStep() const override { return true; }
  void EndStep() override;

 private:
  TJunkThread(MainForm& m, int job, std::vector<std::string> masks, std::string targetFolder, int mode,
              std::shared_ptr<const ProtectedFolders> protect);
  // The engine's view of the window.
  bool Stopped() const override;
  void ShowHint(const std::string& text) override;
  void StateChanged() override;

  MainForm& m_;
  const int job_;
  const std::vector<std::string> masks_;
  const std::string target_;
  const int mode_;
  const std::shared_ptr<const ProtectedFolders> protect_;
  int32_t total_ = 0;
};

}  // namespace vl::junk
