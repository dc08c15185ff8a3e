#include "update/update_check.h"

#include "update/update_files.h"
#include "update/update_server.h"
#include "update/version_compare.h"

namespace vl::update {

UpdateCheck::UpdateCheck(const sys::Platform& platform, std::string programPath, std::string server)
    : platform_(platform),
      programPath_(std::move(programPath)),
      server_(std::move(server)),
      updateDir_(platform.appDir + "update\\") {}

bool UpdateCheck::Download(const std::string& url, const std::string& path, uint64_t maxBytes) {
  sys::HttpResult r = platform_.http->GetToFile(UpdateRequest(url, maxBytes, false), path);
  if (!r.ok()) why_ = url + ": " + sys::HttpOutcomeName(r.outcome) + (r.status ? " " + std::to_string(r.status) : "");
  return r.ok();
}

void UpdateCheck::Run() {
  sys::FileSystem& files = *platform_.files;
  const std::string localProgram = platform_.shell->FileVersion(programPath_);
  const std::string localUpdater = platform_.shell->FileVersion(platform_.appDir + "Update.exe");
  if (!files.DirectoryExists(updateDir_) && !files.CreateFolder(updateDir_)) {
    why_ = "the folder " + updateDir_ + " could not be created";
    return;
  }
  const std::string manifestPath = updateDir_ + "Update.xml";
  if (!Download(ServerFileUrl(server_, "Update.xml"), manifestPath, kMaxManifestBytes)) return;
  Manifest m;
  if (!ReadManifest(files, manifestPath, m, why_)) return;

  // A program without a version counts as outdated whatever the server has.
  if (localProgram.empty()) result_ |= kProgramOutdated;
  if (localUpdater.empty()) result_ |= kUpdaterOutdated;
  if (result_ == 0) {
    if (IsNewerVersion(localProgram, m.softver)) result_ |= kProgramOutdated;
    if (IsNewerVersion(localUpdater, m.upver)) result_ |= kUpdaterOutdated;
  }
  if (result_ == 0) {
    end_ = CheckEnd::kLatest;
    return;
  }
  if (result_ & kUpdaterOutdated) {
    InstallUpdater();
    if (stopped_) return;
  }
  end_ = (result_ & kProgramOutdated) ? CheckEnd::kNewerProgram : CheckEnd::kNewerUpdater;
}

void UpdateCheck::InstallUpdater() {
  sys::FileSystem& files = *platform_.files;
  Manifest m;
  std::string error;
  if (!ReadManifest(files, updateDir_ + "Update.xml", m, error) || m.upfile.empty()) return;
  // The name becomes a file in update\: only a plain name is taken.
  if (!IsPlainFileName(m.upfile)) {
    install_ = UpdaterInstall::kDownloadFailed;
    why_ = "the manifest names the updater file \"" + m.upfile + "\", which is not a plain file name";
    stopped_ = true;
    return;
  }
  const std::string packed = updateDir_ + m.upfile, unpacked = updateDir_ + "Update.exe";
  if (!Download(m.uppos + m.upfile, packed, kMaxProgramDownloadBytes)) {
    install_ = UpdaterInstall::kDownloadFailed;
    stopped_ = true;
    return;
  }
  switch (UnpackVerified(files, packed, unpacked, m.upmd5)) {
    case UnpackResult::kOk: break;
    case UnpackResult::kEmpty: install_ = UpdaterInstall::kEmpty; return;
    case UnpackResult::kDigestMismatch: install_ = UpdaterInstall::kDigestMismatch; return;
    default:
      // Corrupt data ends the whole check: the updater is not started.
      install_ = UpdaterInstall::kCorrupt;
      why_ = "the updater download does not inflate";
      stopped_ = true;
      return;
  }
  if (InstallFile(files, unpacked, platform_.appDir + "Update.exe") != 0) {
    install_ = UpdaterInstall::kCopyFailed;
    return;
  }
  files.RemoveFile(packed);
  files.RemoveFile(unpacked);
  install_ = UpdaterInstall::kInstalled;
}

}  // namespace vl::update
