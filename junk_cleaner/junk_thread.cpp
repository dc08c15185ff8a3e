// TJunkThread: the engine run on the worker's thread, its progress shown
// through the main window.
#include "junk_cleaner/junk_thread.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "junk_cleaner/junk_engine.h"

namespace vl::junk {

TJunkThread::TJunkThread(MainForm& m, int job, std::vector<std::string> masks, std::string targetFolder, int mode,
                         std::shared_ptr<const ProtectedFolders> protect)
    : Worker(m.runner()),
      m_(m),
      job_(job),
      masks_(std::move(masks)),
      target_(std::move(targetFolder)),
      mode_(mode),
      protect_(std::move(protect)) {}

void TJunkThread::Start(MainForm& m, int job, std::vector<std::string> masks, std::string targetFolder, int mode,
                        std::shared_ptr<const ProtectedFolders> protect) {
  Worker::Start(m.runner(), std::unique_ptr<Worker>(new TJunkThread(m, job, std::move(masks), std::move(targetFolder),
                                                                    mode, std::move(protect))));
}

void TJunkThread::Execute() {
  // The list keeps its shape while the worker runs.
  std::vector<TSearchJunk*> groups;
  Synchronize([&] { groups = JunkGroups(m_); });
  sys::Platform& p = m_.platform();
  if (job_ == kScan) {
    // Never a mask that would list the whole drive, whoever started the scan.
    std::vector<std::string> usable;
    for (const std::string& mask : masks_)
      if (MaskBreadthError(mask).empty()) usable.push_back(mask);
    MaskList masks(usable);
    total_ = ScanGroups(*p.files, groups, masks, *this, protect_.get());
  } else if (job_ == kClean && mode_ >= kRecycleBin && mode_ <= kMove) {
    CleanGroups(*p.files, *p.shell, groups, static_cast<RemovalMode>(mode_), target_, *this);
  }
}

bool TJunkThread::Stopped() const { return m_.stopFlag.load() == 1; }

void TJunkThread::ShowHint(const std::string& text) {
  // Coalesced: the line shows the newest folder, the walk does not wait for it.
  MainForm& m = m_;
  Post(this, [&m, text] {
    if (m.stopFlag.load() == 0) m.control(id::panJunk_Scan_Hint).SetText(text);
  });
}

void TJunkThread::StateChanged() {
  MainForm& m = m_;
  Synchronize([&m] { m.control(id::lstvJunkScan).Repaint(); });
}

void TJunkThread::EndStep() {
  if (job_ == kScan) {
    m_.ShowPage(page::kJunkResult);
    m_.control(id::labStatus_Junk).SetText(std::to_string(total_) + " File(s)");
    m_.LeaveBusyState();
  } else if (job_ == kClean) {
    m_.ShowPage(page::kJunkFinish);
    m_.LeaveBusyState();
  }
}

}  // namespace vl::junk
