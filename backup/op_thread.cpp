// The restore job: the registry editor imports the file while the wait
// window is shown, then the file is read back against the registry; the end
// step closes the window and tells the user what really happened.
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
  // The editor says nothing when it rejects a file or a key, so success is
  // what the registry shows afterwards, not that the editor ran.
  run_ = system_.RunRegistryEditorWait("/s \"" + text_ + "\"", kRestoreTimeoutMs);
  if (run_ != sys::EditorRun::kFinished) return;
  std::string bytes;
  sys::RegFileContent content;
  if (!main_.platform().files->ReadFileBytes(text_, bytes)) {
    notRestored_ = "The registry could not be restored: the backup file could not be read back.";
    return;
  }
  if (!sys::ParseRegFile(bytes, &content)) {
    notRestored_ = "The registry could not be restored: the backup file is not a registry file.";
    return;
  }
  // The editor writes the native view, so that is the one read back.
  const uint32_t view = main_.bitness.wow64 ? sys::kWow64Key64 : 0;
  sys::RegImportCheck check = sys::CheckRegImport(*main_.platform().registry, content, view);
  if (!check.ok()) notRestored_ = NotRestoredText(check);
}

std::string NotRestoredText(const sys::RegImportCheck& check) {
  std::string text = "The registry was not fully restored: " + std::to_string(check.failed) + " of " +
                     std::to_string(check.entries) + " entries of the backup file did not come back.";
  for (const std::string& e : check.examples) text += "\r" + e;
  if (check.failed > check.examples.size())
    text += "\r... and " + std::to_string(check.failed - check.examples.size()) + " more.";
  return text;
}

void TOpThread::EndStep() {
  if (job_ == kUpdateCheck) {
    // Ends quietly whatever went wrong on the way.
    if (error().empty()) body_->End();
    else main_.ports().CloseWait();
    return;
  }
  main_.ports().CloseWait();
  if (!error().empty())
    main_.ports().ShowMessage("The registry could not be restored: " + error(), "Vantorel", MsgButtons::Ok,
                              MsgIcon::Error);
  else if (run_ == sys::EditorRun::kNotStarted)
    main_.ports().ShowMessage("The registry could not be restored: the registry editor could not be started.",
                              "Vantorel", MsgButtons::Ok, MsgIcon::Error);
  else if (run_ == sys::EditorRun::kStillRunning)
    main_.ports().ShowMessage(
        "The registry editor is still restoring the backup after 10 minutes and goes on in the background, "
        "so it is not known yet whether everything came back.",
        "Vantorel", MsgButtons::Ok, MsgIcon::Warning);
  else if (!notRestored_.empty())
    main_.ports().ShowMessage(notRestored_, "Vantorel", MsgButtons::Ok, MsgIcon::Error);
  else
    main_.ports().ShowMessage("The registry was restored successfully!", "Vantorel", MsgButtons::Ok, MsgIcon::None);
}

}  // namespace vl::backup
