#include "update/update_check.h"

#include "app/clock.h"
#include "update/trust.h"
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
  const std::string manifestPath = updateDir_ + "Update.xml", signaturePath = manifestPath + ".sig";
  if (!Download(ServerFileUrl(server_, "Update.xml"), manifestPath, kMaxManifestBytes)) return;
  if (!Download(ServerFileUrl(server_, "Update.xml.sig"), signaturePath, kMaxSignatureBytes)) return;
  // What is not signed by a trusted key, or is stale, is not looked at.
  if (ReadSignedManifest(files, manifestPath, signaturePath, TrustedUpdateKeys(*platform_.registry), NowMillis(),
                         manifest_, why_) != ManifestRead::kOk)
    return;
  const Manifest& m = manifest_;

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
    InstallUpdater(localUpdater);
    if (stopped_) return;
  }
  end_ = (result_ & kProgramOutdated) ? CheckEnd::kNewerProgram : CheckEnd::kNewerUpdater;
}

void UpdateCheck::InstallUpdater(const std::string& localUpdater) {
  sys::FileSystem& files = *platform_.files;
  // The manifest that was verified, never the file read again.
  const Manifest& m = manifest_;
  if (m.upfile.empty()) return;
  // Never an older or the same build, also when the installed one had no
  // readable version.
  if (!IsNewerVersion(localUpdater, m.upver)) {
    install_ = UpdaterInstall::kNotNewer;
    return;
  }
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
  std::string program;
  switch (UnpackVerified(files, packed, unpacked, {m.upmd5, m.upsha256, m.upsize, m.upver}, program)) {
    case UnpackResult::kOk: break;
    case UnpackResult::kEmpty: install_ = UpdaterInstall::kEmpty; return;
    case UnpackResult::kDigestMismatch:
    case UnpackResult::kSizeMismatch: install_ = UpdaterInstall::kDigestMismatch; return;
    case UnpackResult::kVersionMismatch: install_ = UpdaterInstall::kVersionMismatch; return;
    case UnpackResult::kWriteFailed: install_ = UpdaterInstall::kCopyFailed; return;
    default:
      // Corrupt data ends the whole check: the updater is not started.
      install_ = UpdaterInstall::kCorrupt;
      why_ = "the updater download does not inflate";
      stopped_ = true;
      return;
  }
  // The verified bytes themselves, written beside and renamed over.
  if (files.ReplaceFileData(platform_.appDir + "Update.exe", program) != 0) {
    install_ = UpdaterInstall::kCopyFailed;
    return;
  }
  files.RemoveFile(packed);
  files.RemoveFile(unpacked);
  install_ = UpdaterInstall::kInstalled;
}

}  // namespace vl::update
