// The update check (job 1 of TOpThread): asks the server's manifest whether
// a newer Vantorel or a newer updater exists, installs a newer updater
// itself, and has the updater started when Vantorel needs replacing.
#pragma once
#include <string>

#include "sysaccess/platform.h"
#include "update/manifest.h"

namespace vl::update {

// Bits of the check's result.
constexpr int kProgramOutdated = 1;
constexpr int kUpdaterOutdated = 2;

enum class CheckEnd {
  kSilent,        // stopped early (no server, no manifest ...): nothing to say
  kLatest,        // "Your version is the latest version."
  kNewerProgram,  // the updater is to be started
  kNewerUpdater,  // only the updater was behind; it was installed or left as it was
};

enum class UpdaterInstall { kNotTried, kInstalled, kDownloadFailed, kCorrupt, kEmpty, kDigestMismatch, kVersionMismatch,
                                  kNotNewer, kCopyFailed };;

class UpdateCheck {
 public:
  // `programPath`: the running Vantorel.exe, whose version counts.
  UpdateCheck(const sys::Platform& platform, std::string programPath, std::string server);

  // The whole check, on the worker thread.
  void Run();

  CheckEnd end() const { return end_; }
  int result() const { return result_; }
  UpdaterInstall updaterInstall() const { return install_; }
  // Why the check stopped silently, for tests and logs.
  const std::string& why() const { return why_; }

 private:
  bool Download(const std::string& url, const std::string& path, uint64_t maxBytes);
  void InstallUpdater(const std::string& localUpdater);

  const sys::Platform& platform_;
  const std::string programPath_, server_, updateDir_;
  CheckEnd end_ = CheckEnd::kSilent;
  int result_ = 0;
  UpdaterInstall install_ = UpdaterInstall::kNotTried;
  bool stopped_ = false;
  std::string why_;
  Manifest manifest_;
};

}  // namespace vl::update
