// Simulated file system: the walk of one folder and the calls that move,
// copy and replace files, answering with the error numbers Windows gives.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "sysaccess/sim/files_sim.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

std::string HostParent(const std::string& host) {
  size_t slash = host.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : host.substr(0, slash);
}

bool IsHostFolder(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t ErrorOfErrno(int e) {
  switch (e) {
    case ENOENT: return err::kPathNotFound;
    case ENOTDIR: return err::kPathNotFound;
    case EEXIST: return err::kAlreadyExists;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return err::kAccessDenied;
    case ENOTEMPTY: return err::kDirNotEmpty;
    case EXDEV: return err::kNotSameDevice;
    case ENOSPC: return err::kDiskFull;
    case ENAMETOOLONG: return err::kInvalidName;
    default: return err::kGenFailure;
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Copies the bytes, permissions and modification time of `from` into the
// file `to` opened with `flags`, flushed. 0 or the error.
uint32_t CopyHostFile(const std::string& from, const std::string& to, int flags) {
  int in = open(from.c_str(), O_RDONLY);
  if (in < 0) return ErrorOfErrno(errno);
  struct stat st;
  if (fstat(in, &st) != 0) {
    close(in);
    return err::kGenFailure;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | flags, 0644);
  if (out < 0) {
    uint32_t e = errno == EEXIST ? err::kFileExists : ErrorOfErrno(errno);
    close(in);
    return e;
  }
  uint32_t result = 0;
  char buf[65536];
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n > 0 && !WriteAll(out, buf, static_cast<size_t>(n)))) {
      result = ErrorOfErrno(errno);
      break;
    }
    if (n == 0) break;
  }
  if (result == 0 && fsync(out) != 0) result = ErrorOfErrno(errno);
  if (result == 0) {
    // CopyFile keeps the attributes (read-only) and the last write time.
    fchmod(out, st.st_mode & 07777);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
  }
  close(in);
  if (close(out) != 0 && result == 0) result = ErrorOfErrno(errno);
  if (result != 0) unlink(to.c_str());
  return result;
}

std::atomic<unsigned> g_tempNumber{0};

}  // namespace

uint32_t SimFileSystem::MissingError(const std::string& host) {
  return IsHostFolder(HostParent(host)) ? err::kFileNotFound : err::kPathNotFound;
}

uint32_t SimFileSystem::WalkFolder(const std::string& folder, const WalkVisitor& visit) {
  Step("WalkFolder", folder);
  std::string h = HostPath(folder);
  if (h.empty()) return err::kPathNotFound;
  DIR* dir = opendir(h.c_str());
  if (!dir) return errno == EACCES ? err::kAccessDenied : err::kPathNotFound;
  // The order a Windows volume lists: by name without regard to case (the
  // key made once per entry, not per comparison).
  std::vector<std::pair<std::u16string, FileEntry>> entries;
  while (dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (!n[1] || (n[1] == '.' && !n[2]))) continue;
    struct stat st, target;
    if (fstatat(dirfd(dir), n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    bool linkToFolder = S_ISLNK(st.st_mode) && fstatat(dirfd(dir), n, &target, 0) == 0 && S_ISDIR(target.st_mode);
    FileEntry entry;
    FillEntry(st, linkToFolder, n, entry);
    std::u16string key = Utf8ToUtf16(entry.name);
    for (char16_t& c : key) c = UpperChar(c);
    entries.emplace_back(std::move(key), std::move(entry));
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& e : entries)
    if (!visit(e.second)) break;
  return 0;
}

uint32_t SimFileSystem::MoveFileTo(const std::string& from, const std::string& to) {
  Step("MoveFileTo", from);
  std::string hf = HostPath(from), ht = HostPath(to);
  if (hf.empty() || ht.empty()) return err::kPathNotFound;
  if (IsHeld(hf)) return err::kSharingViolation;
  struct stat st, target;
  if (lstat(hf.c_str(), &st) != 0) return MissingError(hf);
  if (uint32_t held = HeldAgainstMove(hf)) return held;
  if (ht == hf) {
    // Names are matched without regard to case: only the spelling changes.
    std::string full = FullPath(to);
    ht = HostParent(hf) + "/" + full.substr(full.rfind('\\') + 1);
    if (ht == hf) return 0;
  } else if (lstat(ht.c_str(), &target) == 0) {
    return err::kAlreadyExists;
  }
  if (!IsHostFolder(HostParent(ht))) return err::kPathNotFound;
  if (renameat2(AT_FDCWD, hf.c_str(), AT_FDCWD, ht.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int e = errno;
  if (e == EINVAL || e == ENOSYS) {
    // A host file system without the no-replace rename: the test above decided.
    if (rename(hf.c_str(), ht.c_str()) == 0) return 0;
    e = errno;
  }
  if (e != EXDEV) return ErrorOfErrno(e);
  if (S_ISDIR(st.st_mode)) return err::kNotSameDevice;  // folders move within a drive only
  uint32_t copied = CopyHostFile(hf, ht, O_EXCL);
  if (copied != 0) return copied == err::kFileExists ? err::kAlreadyExists : copied;
  if (unlink(hf.c_str()) != 0) return ErrorOfErrno(errno);
  return 0;
}

uint32_t SimFileSystem::CopyFileTo(const std::string& from, const std::string& to, bool overwrite) {
  std::string hf = HostPath(from), ht = HostPath(to);
  if (hf.empty() || ht.empty()) return err::kPathNotFound;
  struct stat st, target;
  if (stat(hf.c_str(), &st) != 0) return MissingError(hf);
  if (S_ISDIR(st.st_mode)) return err::kAccessDenied;
  if (lstat(ht.c_str(), &target) == 0) {
    if (!overwrite) return err::kFileExists;
    if (IsHeld(ht)) return err::kSharingViolation;
    if (S_ISDIR(target.st_mode) || !(target.st_mode & S_IWUSR)) return err::kAccessDenied;
    if (target.st_dev == st.st_dev && target.st_ino == st.st_ino) return err::kAccessDenied;  // itself
  }
  if (!IsHostFolder(HostParent(ht))) return err::kPathNotFound;
  return CopyHostFile(hf, ht, overwrite ? O_TRUNC : O_EXCL);
}

uint32_t SimFileSystem::ReplaceFileData(const std::string& path, const std::string& data) {
  std::string h = HostPath(path);
  if (h.empty()) return err::kPathNotFound;
  if (IsHeld(h)) return err::kSharingViolation;
  std::string parent = HostParent(h);
  if (!IsHostFolder(parent)) return err::kPathNotFound;
  struct stat st;
  // Windows refuses to rename over a read-only file or a folder.
  if (lstat(h.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)))
    return err::kAccessDenied;
  std::string temp = h + "." + std::to_string(getpid()) + "-" + std::to_string(++g_tempNumber) + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return ErrorOfErrno(errno);
  uint32_t result = 0;
  if (!WriteAll(fd, data.data(), data.size()) || fsync(fd) != 0) result = ErrorOfErrno(errno);
  if (close(fd) != 0 && result == 0) result = ErrorOfErrno(errno);
  if (result == 0 && rename(temp.c_str(), h.c_str()) != 0) result = ErrorOfErrno(errno);
  if (result != 0) {
    unlink(temp.c_str());
    return result;
  }
  // The rename itself reaches the disk with the folder.
  int dirFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return 0;
}

uint32_t SimFileSystem::CreateNewFile(const std::string& path, const std::string& data) {
  std::string h = HostPath(path);
  if (h.empty() || !IsHostFolder(HostParent(h))) return err::kPathNotFound;
  int fd = open(h.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return errno == EEXIST ? err::kFileExists : ErrorOfErrno(errno);
  uint32_t result = 0;
  if (!WriteAll(fd, data.data(), data.size()) || fsync(fd) != 0) result = ErrorOfErrno(errno);
  if (close(fd) != 0 && result == 0) result = ErrorOfErrno(errno);
  if (result != 0) unlink(h.c_str());
  return result;
}

uint32_t SimFileSystem::TruncateFile(const std::string& path, uint64_t size) {
  std::string h = HostPath(path);
  if (h.empty()) return err::kPathNotFound;
  if (IsHeld(h)) return err::kSharingViolation;
  int fd = open(h.c_str(), O_WRONLY);
  if (fd < 0) return errno == ENOENT ? err::kFileNotFound : ErrorOfErrno(errno);
  uint32_t result = 0;
  if (ftruncate(fd, static_cast<off_t>(size)) != 0 || fsync(fd) != 0) result = ErrorOfErrno(errno);
  close(fd);
  return result;
}

uint32_t SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  Step("SetAttributes", path);
  std::string h = HostPath(path);
  struct stat st;
  if (h.empty()) return err::kPathNotFound;
  if (lstat(h.c_str(), &st) != 0) return err::kFileNotFound;
  if (S_ISLNK(st.st_mode)) return err::kSuccess;
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else mode |= S_IWUSR;
  return chmod(h.c_str(), mode) == 0 ? err::kSuccess : ErrorOfErrno(errno);
}

uint32_t SimFileSystem::RemoveFile(const std::string& path) {
  Step("RemoveFile", path);
  std::string h = HostPath(path);
  struct stat st, target;
  if (h.empty()) return err::kPathNotFound;
  if (IsHeld(h)) return err::kSharingViolation;
  if (lstat(h.c_str(), &st) != 0) return err::kFileNotFound;
  if (uint32_t held = HeldAgainstMove(h)) return held;
  if (S_ISDIR(st.st_mode)) return err::kAccessDenied;
  // A link to a folder is removed as a folder, a read-only file not at all.
  if (S_ISLNK(st.st_mode) && stat(h.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return err::kAccessDenied;
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) return err::kAccessDenied;
  return unlink(h.c_str()) == 0 ? err::kSuccess : ErrorOfErrno(errno);
}

uint32_t SimFileSystem::RemoveFolder(const std::string& path) {
  Step("RemoveFolder", path);
  std::string h = HostPath(path);
  struct stat st, target;
  if (h.empty()) return err::kPathNotFound;
  if (lstat(h.c_str(), &st) != 0) return err::kFileNotFound;
  if (uint32_t held = HeldAgainstMove(h)) return held;
  if (S_ISLNK(st.st_mode)) {
    if (stat(h.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return err::kDirectory;
    return unlink(h.c_str()) == 0 ? err::kSuccess : ErrorOfErrno(errno);
  }
  if (!S_ISDIR(st.st_mode)) return err::kDirectory;
  return rmdir(h.c_str()) == 0 ? err::kSuccess : ErrorOfErrno(errno);
}

}  // namespace vl::sys
