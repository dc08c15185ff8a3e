// Simulated file system: removals and moves through one opened entry, and
// holds. A handle is modelled by the folder that holds the entry, opened
// from the drive root one folder at a time without following any link, and
// the entry's name and identity inside it, so a folder swapped for a link
// after the open does not move the removal anywhere else.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "sysaccess/sim/files_sim.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/text.h"

namespace vl::sys {

namespace {

uint64_t ToFileTime(const struct timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec + 11644473600LL) * 10000000ull + ts.tv_nsec / 100;
}

std::vector<std::string> Split(const std::string& rest) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : rest + "\\") {
    if (c == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  return parts;
}

uint32_t ErrorOf(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR: return err::kPathNotFound;
    case EEXIST: return err::kAlreadyExists;
    case ENOTEMPTY: return err::kDirNotEmpty;
    case EXDEV: return err::kNotSameDevice;
    case ENOSPC: return err::kDiskFull;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return err::kAccessDenied;
    default: return err::kGenFailure;
  }
}

// The name inside the folder `dirFd` that `want` means (names are matched
// without regard to case); empty when there is none.
std::string FindName(int dirFd, const std::string& want) {
  struct stat st;
  if (fstatat(dirFd, want.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return want;
  int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return "";
  DIR* dir = fdopendir(listFd);
  if (!dir) {
    close(listFd);
    return "";
  }
  std::string match;
  while (dirent* e = readdir(dir)) {
    if (EqualsNoCase(e->d_name, want)) {
      match = e->d_name;
      break;
    }
  }
  closedir(dir);
  return match;
}

bool SameEntry(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

struct SimFileSystem::Opened {
  int dirFd = -1;                    // the folder that holds the entry
  std::string name;                  // the entry's name there, as the host spells it
  std::string host;                  // host path of the entry
  std::vector<std::string> folders;  // host paths of the folders on its way
  struct stat st {};
  Opened() = default;
  Opened(const Opened&) = delete;
  Opened& operator=(const Opened&) = delete;
  ~Opened() {
    if (dirFd >= 0) close(dirFd);
  }
  // The folder still holds this very entry under its name.
  bool StillThere() const {
    struct stat now;
    return fstatat(dirFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && SameEntry(now, st);
  }
};

class SimFileSystem::Hold : public EntryHold {
 public:
  uint64_t identity = 0;
  Hold(SimFileSystem& fs, std::vector<Held> held) : fs_(fs), held_(std::move(held)) {
    std::lock_guard<std::mutex> lock(fs_.mu_);
    for (const Held& h : held_) fs_.held_.push_back(h);
  }
  ~Hold() override {
    std::lock_guard<std::mutex> lock(fs_.mu_);
    for (const Held& h : held_) {
      auto it = std::find_if(fs_.held_.begin(), fs_.held_.end(), [&](const Held& x) {
        return x.host == h.host && x.shareDelete == h.shareDelete;
      });
      if (it != fs_.held_.end()) fs_.held_.erase(it);
    }
  }

 private:
  SimFileSystem& fs_;
  std::vector<Held> held_;
};

uint32_t SimFileSystem::OpenSeen(const std::string& path, const SeenEntry& seen, Opened& out) {
  const std::string full = FullPath(path);
  if (full.size() < 3) return err::kPathNotFound;
  const SimDrive* d = Drive(full[0]);
  if (!d) return err::kPathNotFound;
  const std::vector<std::string> parts = Split(full.substr(2));
  if (parts.empty()) return err::kAccessDenied;  // a drive root is never removed
  int fd = open(d->hostRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return err::kPathNotFound;
  std::string host = d->hostRoot;
  out.folders.push_back(host);
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string name = FindName(fd, parts[i]);
    if (name.empty()) {
      close(fd);
      return err::kPathNotFound;
    }
    int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      const int e = errno;
      struct stat ls;
      const bool link = fstatat(fd, name.c_str(), &ls, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(ls.st_mode);
      close(fd);
      // A link on the way: the entry would lie somewhere else than the path says.
      if (link) return err::kStoppedOnSymlink;
      return e == ENOTDIR ? err::kPathNotFound : ErrorOf(e);
    }
    close(fd);
    fd = next;
    host += "/" + name;
    out.folders.push_back(host);
  }
  const std::string name = FindName(fd, parts.back());
  struct stat st;
  if (name.empty() || fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    close(fd);
    return err::kFileNotFound;
  }
  out.dirFd = fd;
  out.name = name;
  out.host = host + "/" + name;
  out.st = st;
  if (S_ISLNK(st.st_mode)) return seen.link ? 0 : err::kStoppedOnSymlink;
  if (seen.link) return err::kFileChanged;  // a link then, a real entry now
  if (S_ISDIR(st.st_mode) != seen.folder) return err::kFileChanged;
  if (seen.checkSizeAndTime &&
      (static_cast<uint64_t>(st.st_size) != seen.size || ToFileTime(st.st_mtim) != seen.lastWriteTime))
    return err::kFileChanged;
  return 0;
}

uint32_t SimFileSystem::HeldAgainstMove(const std::string& path) {
  const std::string host = !path.empty() && path[0] == '/' ? path : HostPath(path);
  // A hold names each folder on its way itself, so only the entry's own
  // hold counts (a file inside a held folder moves freely).
  std::lock_guard<std::mutex> lock(mu_);
  for (const Held& h : held_)
    if (!h.shareDelete && h.host == host) return err::kSharingViolation;
  return 0;
}

uint32_t SimFileSystem::SwapForLink(const std::string& folder, const std::string& hostTarget) {
  const std::string host = HostPath(folder);
  if (host.empty()) return err::kPathNotFound;
  // Renaming a folder needs delete access to it, which a hold on it (a hold
  // covers every folder on its entry's way) does not share.
  if (uint32_t rc = HeldAgainstMove(host)) return rc;
  if (rename(host.c_str(), (host + ".away").c_str()) != 0) return ErrorOf(errno);
  return symlink(hostTarget.c_str(), host.c_str()) == 0 ? 0 : ErrorOf(errno);
}

uint32_t SimFileSystem::RemoveSeen(const std::string& path, const SeenEntry& seen) {
  Step("open", path);
  Opened o;
  if (uint32_t rc = OpenSeen(path, seen, o)) return rc;
  Step("checked", path);
  // Windows deletes the opened entry wherever it is now; the model deletes
  // it only while its folder still holds it (never anything else).
  if (!o.StillThere()) return err::kFileNotFound;
  if (uint32_t rc = HeldAgainstMove(o.host)) return rc;
  const bool isFolder = S_ISDIR(o.st.st_mode);
  const bool readOnly = !S_ISLNK(o.st.st_mode) && !(o.st.st_mode & S_IWUSR);
  const mode_t mode = o.st.st_mode & 07777;
  if (readOnly && fchmodat(o.dirFd, o.name.c_str(), mode | S_IWUSR, 0) != 0) return ErrorOf(errno);
  uint32_t rc = 0;
  if (failNextDelete) {
    rc = failNextDelete;
    failNextDelete = 0;
  } else if (unlinkat(o.dirFd, o.name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0) {
    rc = (isFolder && errno == EEXIST) ? err::kDirNotEmpty : ErrorOf(errno);
  }
  // A delete that failed leaves the entry as it was, read-only included.
  if (rc && readOnly) fchmodat(o.dirFd, o.name.c_str(), mode, 0);
  return rc;
}

uint32_t SimFileSystem::MoveSeen(const std::string& from, const std::string& to, const SeenEntry& seen) {
  Step("open", from);
  Opened o;
  if (uint32_t rc = OpenSeen(from, seen, o)) return rc;
  Step("checked", from);
  if (!o.StillThere()) return err::kFileNotFound;
  if (uint32_t rc = HeldAgainstMove(o.host)) return rc;
  const std::string target = HostPath(to);
  if (target.empty()) return err::kPathNotFound;
  const size_t slash = target.rfind('/');
  struct stat st;
  if (slash == std::string::npos || stat(target.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return err::kPathNotFound;
  if (lstat(target.c_str(), &st) == 0) return err::kAlreadyExists;
  // Drives are volumes of their own, whatever host folder holds them.
  const std::string fullFrom = FullPath(from), fullTo = FullPath(to);
  int e = EXDEV;
  if (!fullFrom.empty() && !fullTo.empty() && std::toupper(static_cast<unsigned char>(fullFrom[0])) ==
                                                  std::toupper(static_cast<unsigned char>(fullTo[0]))) {
    if (renameat2(o.dirFd, o.name.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    e = errno;
    if (e == EINVAL || e == ENOSYS) {
      if (renameat(o.dirFd, o.name.c_str(), AT_FDCWD, target.c_str()) == 0) return 0;
      e = errno;
    }
  }
  if (e != EXDEV) return ErrorOf(e);
  if (!S_ISREG(o.st.st_mode)) return err::kNotSameDevice;  // only files leave their drive
  // Across drives: the copy is made from the checked file and flushed
  // before the file goes.
  int in = openat(o.dirFd, o.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return ErrorOf(errno);
  struct stat inSt;
  if (fstat(in, &inSt) != 0 || !SameEntry(inSt, o.st)) {
    close(in);
    return err::kFileNotFound;
  }
  int out = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    e = errno;
    close(in);
    return e == EEXIST ? err::kAlreadyExists : ErrorOf(e);
  }
  uint32_t rc = 0;
  char buf[65536];
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      rc = ErrorOf(errno);
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
      if (w <= 0) {
        rc = ErrorOf(errno);
        break;
      }
      done += w;
    }
    if (rc) break;
  }
  if (!rc && fsync(out) != 0) rc = ErrorOf(errno);
  if (!rc) {
    fchmod(out, inSt.st_mode & 07777);
    struct timespec times[2] = {inSt.st_atim, inSt.st_mtim};
    futimens(out, times);
  }
  close(in);
  if (close(out) != 0 && !rc) rc = ErrorOf(errno);
  if (!rc) {
    Step("copied", from);
    if (!o.StillThere()) rc = err::kFileNotFound;
    else if (failNextDelete) {
      rc = failNextDelete;
      failNextDelete = 0;
    } else if (unlinkat(o.dirFd, o.name.c_str(), 0) != 0) {
      rc = ErrorOf(errno);
    }
  }
  // Nothing is doubled: a move that could not finish leaves only the original.
  if (rc) unlink(target.c_str());
  return rc;
}

uint32_t SimFileSystem::HoldSeen(const std::string& path, const SeenEntry& seen, bool shareDelete,
                                 std::unique_ptr<EntryHold>& hold) {
  hold.reset();
  Step("open", path);
  Opened o;
  if (uint32_t rc = OpenSeen(path, seen, o)) return rc;
  std::vector<Held> held;
  for (const std::string& f : o.folders) held.push_back({f, false});
  held.push_back({o.host, shareDelete});
  auto made = std::make_unique<Hold>(*this, std::move(held));
  made->identity = static_cast<uint64_t>(o.st.st_ino);
  hold = std::move(made);
  Step("held", path);
  if (!o.StillThere()) {
    hold.reset();
    return err::kFileNotFound;
  }
  return 0;
}

uint64_t SimFileSystem::HeldIdentity(const EntryHold& hold) {
  auto* h = dynamic_cast<const Hold*>(&hold);
  return h ? h->identity : 0;
}

uint64_t SimFileSystem::IdentityOf(const std::string& path) {
  const std::string host = HostPath(path);
  struct stat st;
  return !host.empty() && lstat(host.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
}

void SimFileSystem::SetRecycleBinRoom(char letter, uint64_t room) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  if (it != drives_.end()) it->second.recycleBinRoom = room;
}

bool SimFileSystem::RecycleBinTakes(const std::string& path, uint64_t size) {
  const std::string full = FullPath(path);
  const SimDrive* d = full.size() >= 3 ? Drive(full[0]) : nullptr;
  return d && d->kind == DriveKind::kFixed && d->hasRecycleBin && size <= d->recycleBinRoom;
}

}  // namespace vl::sys
