// Simulated file system: files held open by the process that made them. As
// on Windows (opened without FILE_SHARE_DELETE or FILE_SHARE_WRITE), a held
// file cannot be deleted, renamed, replaced or written by path.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sysaccess/sim/files_sim.h"
#include "sysaccess/sys_error.h"

namespace vl::sys {

namespace {

uint32_t ErrnoError(int e) {
  if (e == ENOSPC) return err::kDiskFull;
  if (e == EACCES || e == EPERM) return err::kAccessDenied;
  if (e == ENOENT) return err::kFileNotFound;
  return err::kGenFailure;
}

bool WriteFully(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class SimHeldFile : public HeldFile {
 public:
  SimHeldFile(SimFileSystem& fs, int fd, SimFileSystem::FileId id) : fs_(fs), fd_(fd), id_(id) {}
  ~SimHeldFile() override {
    close(fd_);
    fs_.Release(id_);
  }
  uint32_t Append(const std::string& data) override {
    std::string part = data;
    bool fails = false;
    if (fs_.appendFailsAfter >= 0) {
      part = data.substr(0, std::min<size_t>(static_cast<size_t>(fs_.appendFailsAfter), data.size()));
      fs_.appendFailsAfter = -1;
      fails = true;
    }
    if (lseek(fd_, 0, SEEK_END) < 0) return ErrnoError(errno);
    if (!WriteFully(fd_, part) || fsync(fd_) != 0) return ErrnoError(errno);
    return fails ? err::kDiskFull : err::kSuccess;
  }
  uint32_t Truncate(uint64_t size) override {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0 || fsync(fd_) != 0) return ErrnoError(errno);
    return err::kSuccess;
  }

 private:
  SimFileSystem& fs_;
  int fd_;
  SimFileSystem::FileId id_;
};

}  // namespace

uint32_t SimFileSystem::CreateHeldFile(const std::string& path, const std::string& data,
                                       std::unique_ptr<HeldFile>* out) {
  out->reset();
  std::string h = HostPath(path);
  struct stat parent;
  const size_t slash = h.rfind('/');
  if (h.empty() || slash == std::string::npos ||
      stat(slash == 0 ? "/" : h.substr(0, slash).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode))
    return err::kPathNotFound;
  int fd = open(h.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return errno == EEXIST ? err::kFileExists : ErrnoError(errno);
  if (!WriteFully(fd, data) || fsync(fd) != 0) {
    const uint32_t rc = ErrnoError(errno);
    close(fd);
    unlink(h.c_str());
    return rc;
  }
  struct stat st;
  fstat(fd, &st);
  const FileId id{st.st_dev, st.st_ino};
  {
    std::lock_guard<std::mutex> lock(mu_);
    heldFiles_.insert(id);
  }
  *out = std::make_unique<SimHeldFile>(*this, fd, id);
  return err::kSuccess;
}

void SimFileSystem::Release(FileId id) {
  std::lock_guard<std::mutex> lock(mu_);
  heldFiles_.erase(id);
}

bool SimFileSystem::IsHeld(const std::string& host) {
  struct stat st;
  if (host.empty() || lstat(host.c_str(), &st) != 0) return false;
  std::lock_guard<std::mutex> lock(mu_);
  return heldFiles_.count({st.st_dev, st.st_ino}) != 0;
}

}  // namespace vl::sys
