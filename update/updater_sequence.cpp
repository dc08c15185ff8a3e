#include "update/updater_sequence.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "app/db_access.h"
#include "sysaccess/text.h"
#include "update/manifest.h"
#include "update/trust.h"
#include "update/version_compare.h"
#include "update/update_files.h"
#include "update/update_server.h"

namespace vl::update {

namespace {

int Clamped(uint64_t n) { return n > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

std::string KbText(uint64_t bytes) { return std::to_string(bytes / 1024) + " KB"; }

}  // namespace

UpdaterSequence::UpdaterSequence(const sys::Platform& platform, UiPorts& ports, UpdaterView& view)
    : UpdaterSequence(platform, ports, view, Timing{}) {}

UpdaterSequence::UpdaterSequence(const sys::Platform& platform, UiPorts& ports, UpdaterView& view, Timing timing)
    : platform_(platform), ports_(ports), view_(view), timing_(std::move(timing)) {}

void UpdaterSequence::Sleep(uint32_t ms) {
  if (timing_.sleep)
    timing_.sleep(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void UpdaterSequence::Fail(const std::string& text) {
  ports_.ShowMessage(text, kCaption, MsgButtons::Ok, MsgIcon::Error);
  end_ = UpdaterEnd::kFailed;
}

UpdaterSequence::Fetch UpdaterSequence::Download(const std::string& url, const std::string& path,
                                                 uint64_t maxBytes) {
  const int row = view_.AddRow(path.substr(path.rfind('\\') + 1), "downloading");
  // The body replaces whatever an earlier attempt left under that name.
  if (platform_.files->FileExists(path)) platform_.files->RemoveFile(path);
  sys::HttpRequest request = UpdateRequest(url, maxBytes, true);
  bool started = false;
  request.progress = [&](uint64_t expected, uint64_t received) {
    try {
      if (!started) {
        started = true;
        view_.SetGaugeMaximum(Clamped(expected));
        view_.SetGaugePosition(0);
      }
      // The window's messages (the close question among them) run here.
      view_.ProcessMessages();
      if (cancel_) return false;
      view_.SetGaugePosition(Clamped(received));
      view_.SetRowDownloads(row, KbText(received));
    } catch (...) {
      // A failing repaint is no reason to lose the download.
    }
    return !cancel_;
  };
  sys::HttpResult r = platform_.http->GetToFile(request, path);
  if (cancel_ || r.outcome == sys::HttpOutcome::kCancelled) return Fetch::kCancelled;
  if (!r.ok()) return Fetch::kFailed;
  view_.SetRowDownloads(row, KbText(r.bytes));
  return platform_.files->FileExists(path) ? Fetch::kOk : Fetch::kFailed;
}

void UpdaterSequence::Run() {
  if (running_) return;
  running_ = true;
  cancel_ = false;
  end_ = UpdaterEnd::kFailed;
  view_.SetGaugePosition(0);
  view_.SetUpdateEnabled(false);
  struct Finish {
    UpdaterSequence& s;
    ~Finish() {
      s.running_ = false;
      s.view_.SetUpdateEnabled(true);
    }
  } finish{*this};

  sys::FileSystem& files = *platform_.files;
  const std::string& appDir = platform_.appDir;
  const std::string updateDir = appDir + "update\\";
  if (!files.DirectoryExists(updateDir) && !files.CreateFolder(updateDir)) {
    ports_.ShowMessage(kNoFolder, "Error", MsgButtons::Ok, MsgIcon::None);
    return;
  }

  const std::string manifestPath = updateDir + "Update.xml", signaturePath = manifestPath + ".sig";
  const std::string server = UpdateServer(platform_);
  switch (Download(ServerFileUrl(server, "Update.xml"), manifestPath, kMaxManifestBytes)) {
    case Fetch::kOk: break;
    case Fetch::kCancelled: end_ = UpdaterEnd::kAbandoned; return;
    case Fetch::kFailed: return Fail(kNoServer);
  }
  switch (Download(ServerFileUrl(server, "Update.xml.sig"), signaturePath, kMaxSignatureBytes)) {
    case Fetch::kOk: break;
    case Fetch::kCancelled: end_ = UpdaterEnd::kAbandoned; return;
    case Fetch::kFailed: return Fail(kNoDocument);  // an unsigned manifest is no document of ours
  }
  Manifest m;
  std::string error;
  switch (ReadSignedManifest(files, manifestPath, signaturePath, TrustedUpdateKeys(*platform_.registry),
                             NowMillis(), m, error)) {
    case ManifestRead::kOk: break;
    case ManifestRead::kNotManifest: return Fail(error);
    default: return Fail(kNoDocument);
  }
  // The name becomes a file in update\: only a plain file name is taken.
  if (m.softfile.empty() || !IsPlainFileName(m.softfile)) return Fail(kNoDocument);
  // Never back to an older or the same build, however the updater was
  // started (a program without a readable version is behind any).
  if (!IsNewerVersion(platform_.shell->FileVersion(appDir + "Vantorel.exe"), m.softver)) return Fail(kNoDocument);

  const std::string packed = updateDir + m.softfile, unpacked = updateDir + "ks.exe";
  switch (Download(m.softpos + m.softfile, packed, kMaxProgramDownloadBytes)) {
    case Fetch::kOk: break;
    case Fetch::kCancelled: end_ = UpdaterEnd::kAbandoned; return;
    case Fetch::kFailed: return Fail(kNoUpgradeFile);
  }
  // The checked bytes stay in memory until they are in place: a file
  // swapped in update\ while the question is open changes nothing.
  std::string program;
  if (UnpackVerified(files, packed, unpacked, {m.softmd5, m.softsha256, m.softsize, m.softver}, program) !=
      UnpackResult::kOk)
    return Fail(kBadDownload);

  if (ports_.ShowMessage(kConfirm, kCaption, MsgButtons::YesNo, MsgIcon::None) != MsgAnswer::Yes) {
    end_ = UpdaterEnd::kDeclined;
    return;
  }
  if (cancel_) {
    end_ = UpdaterEnd::kAbandoned;
    return;
  }
  StopRunningProgram();
  if (cancel_) {
    end_ = UpdaterEnd::kAbandoned;
    return;
  }
  // Written beside the old program and renamed over it: a full disk or a
  // locked file leaves the old program whole.
  if (files.ReplaceFileData(appDir + "Vantorel.exe", program) != 0) {
    Fail(kInstallFailed);
    end_ = UpdaterEnd::kInstallFailed;
    view_.CloseWindow();
    return;
  }
  files.RemoveFile(packed);
  files.RemoveFile(unpacked);
  RecordUpdateTime();
  end_ = UpdaterEnd::kInstalled;
  if (ports_.ShowMessage(kCompleted, kCaption, MsgButtons::YesNo, MsgIcon::Information) == MsgAnswer::Yes) {
    sys::StartOptions options;
    options.workingFolder = appDir;
    platform_.processes->StartProgram(appDir + "Vantorel.exe", {}, options);
  }
  view_.CloseWindow();
}

void UpdaterSequence::StopRunningProgram() {
  // Only the Vantorel of this folder: another installation, or another
  // program that happens to share the name, is none of our business. A
  // process whose path cannot be read is left alone.
  const std::string program = platform_.appDir + "Vantorel.exe";
  sys::Processes& processes = *platform_.processes;
  // Each one is held from the listing on and its path read again through
  // that handle: an id freed and given to another process meanwhile is
  // never asked or ended.
  std::vector<std::unique_ptr<sys::HeldProcess>> running;
  std::vector<sys::ProcessInfo> all;
  processes.ListProcesses(all);
  for (const sys::ProcessInfo& p : all) {
    if (p.imagePath.empty() || !sys::EqualsNoCase(p.imagePath, program)) continue;
    std::unique_ptr<sys::HeldProcess> held;
    if (processes.HoldProcess(p.pid, held) == 0 && held && !held->imagePath().empty() &&
        sys::EqualsNoCase(held->imagePath(), program))
      running.push_back(std::move(held));
  }
  if (running.empty()) return;
  auto dropExited = [&] {
    running.erase(std::remove_if(running.begin(), running.end(), [](const auto& h) { return h->Exited(); }),
                  running.end());
  };
  // Asked first, as a user closing its window would: it saves and ends cleanly.
  for (const auto& p : running) processes.AskToClose(p->pid());
  for (uint32_t waited = 0;; waited += timing_.pollMs) {
    view_.ProcessMessages();
    dropExited();
    if (running.empty() || waited >= timing_.graceMs) break;
    Sleep(timing_.pollMs);
  }
  for (const auto& p : running) {
    p->End(0, 5000);
    Sleep(timing_.pauseMs);
  }
}

void UpdaterSequence::RecordUpdateTime() {
  try {
    WithDatabase(*platform_.files, platform_.appDir + "data.db", {"sysset"}, [](store::Connection& c) {
      store::RunStatement(c, "update sysset set last_update=?", {NowTimestamp()});
    });
  } catch (const store::DbError&) {
    // The new program is in place; a locked or damaged data.db only loses
    // the date of the update.
  }
}

}  // namespace vl::update
