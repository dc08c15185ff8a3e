// The restore job: the registry editor imports the file while the wait
// window is shown; the end step closes it and tells the user the outcome.
// The update check brings its own work and end step.
#include "backup/op_thread.h"

#include <stdexcept>

namespace vl::backup {

TOpThread::TOpThread(MainForm& main, int job, std::string text, std::unique_ptr<OpJob> body)
    : Worker(main.runner()),
      main_(main),
      job_(job),
      text_(std::move(text)),
      body_(std::move(body)),
      system_(*main.platform().system) {}

void TOpThread::Start(MainForm& main, int job, const std::string& text, std::unique_ptr<OpJob> body) {
  if (job != kRestore && job != kUpdateCheck)
    throw std::invalid_argument("TOpThread: unknown job " + std::to_string(job));
  if (job == kUpdateCheck && !body) throw std::invalid_argument("TOpThread: the update check needs its work");
  Worker::Start(main.runner(), std::unique_ptr<Worker>(new TOpThread(main, job, text, std::move(body))));
}

void TOpThread::Execute() {
  if (job_ == kUpdateCheck) {
    body_->Run();
    return;
  }
  // Waiting for the editor lets the message say what really happened
  // instead of claiming success as soon as it was started.
  editorRan_ = system_.RunRegistryEditor("/s \"" + text_ + "\"", kRestoreTimeoutMs);
}

void TOpThread::EndStep() {
  if (job_ == kUpdateCheck) {
    // Ends quietly whatever went wrong on the way.
    if (error().empty()) body_->End();
    else main_.ports().CloseWait();
    return;
  }
  main_.ports().CloseWait();
  if (editorRan_ && error().empty())
    main_.ports().ShowMessage("The registry was restored successfully!", "Vantorel", MsgButtons::Ok, MsgIcon::None);
  else
    main_.ports().ShowMessage(
        "The registry could not be restored: the registry editor could not be started or did not finish.",
        "Vantorel", MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace vl::backup
